#include "shell/Avvio.h"

#include "shell/Forms.h"
#include "app/Guida.h"
#include "app/Info.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/Resources.h"
#include "app/Splash.h"
#include "app/rules/Links.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "warehouse/ImportaSchede.h"
#include "warehouse/Magazzino.h"
#include "widgets/LinkLabel.h"

#include <QLabel>

namespace {
QLabel *picture(QWidget *parent, const char *name, const QString &art, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setPixmap(Resources::pixmap(art, geometry.size()));
    return label;
}
} // namespace

TfrmAvvio::TfrmAvvio()
    : Workspace(QStringLiteral(" Vetrinova"), QColor(0x5D, 0x85, 0xA6))
{
    setObjectName(QStringLiteral("frmAvvio"));
    QWidget *p = panel();

    picture(p, "imgTitolo", QStringLiteral("avvio-titolo"), QRect(100, 18, 796, 67));
    picture(p, "imgSottotitolo", QStringLiteral("avvio-sottotitolo"), QRect(17, 88, 961, 22));
    picture(p, "linSepara01", QStringLiteral("avvio-separa"), QRect(12, 399, 970, 10));
    picture(p, "linSepara02", QStringLiteral("avvio-separa"), QRect(12, 454, 970, 10));

    // The three ways in: picture, caption bar and note all lead to the same workspace.
    struct Way
    {
        const char *key;
        int x;
        const char *word;
        void (TfrmAvvio::*click)();
    };
    const Way ways[] = {
        { "Magazzino", 46, "Magazzino prodotti", &TfrmAvvio::imgMagazzinoClick },
        { "Crea", 373, "Crea nuovo listino", &TfrmAvvio::imgCreaClick },
        { "Apri", 700, "Apri listino esistente", &TfrmAvvio::imgApriClick },
    };
    for (const Way &way : ways) {
        const QString key = QLatin1String(way.key);
        const QString art = key.toLower();
        const QString word = QLatin1String(way.word);
        auto *img = new PictureButton(
            p, QStringLiteral("img") + key, QStringLiteral("avvio-") + art, QRect(way.x, 148, 248, 248), word);
        auto *btn = new PictureButton(
            p, QStringLiteral("btn") + key, QStringLiteral("avvio-btn-") + art, QRect(way.x - 30, 416, 308, 30), word);
        auto *app = new PictureButton(p, QStringLiteral("app") + key, QStringLiteral("avvio-nota-") + art,
            QRect(way.x + 19, 468, 215, 127), word);
        for (PictureButton *b : { img, btn, app })
            connect(b, &PictureButton::clicked, this, way.click);
    }

    auto *imgInfo = new PictureButton(p, QStringLiteral("imgInfo"), QStringLiteral("icona-info"), QRect(14, 14, 30, 30),
        QStringLiteral("Informazioni su Vetrinova"));
    connect(imgInfo, &PictureButton::clicked, this, &TfrmAvvio::imgInfoClick);
    auto *imgGuida = new PictureButton(
        p, QStringLiteral("imgGuida"), QStringLiteral("icona-guida"), QRect(952, 16, 29, 28), QStringLiteral("Guida"));
    connect(imgGuida, &PictureButton::clicked, this, &TfrmAvvio::imgGuidaClick);
    auto *imgCrediti = new PictureButton(p, QStringLiteral("imgCrediti"), QStringLiteral("icona-crediti"),
        QRect(16, 660, 23, 22), QStringLiteral("Riconoscimenti"));
    connect(imgCrediti, &PictureButton::clicked, this, &TfrmAvvio::imgCreditiClick);
    // Bringing an existing product list in, in the free space beside the credits.
    const QString importStatus = QStringLiteral("Importa le schede prodotto da un file CSV, da una cartella di lavoro "
                                                "Excel o dal file Magazzino.xls.");
    auto *imgImporta = new PictureButton(p, QStringLiteral("imgImporta"), QStringLiteral("icona-importa"),
        QRect(52, 660, 23, 22), QStringLiteral("Importa prodotti da un file"), importStatus);
    auto *lnkImporta = new LinkLabel(p, QStringLiteral("lnkImporta"), QStringLiteral("Importa prodotti da un file"),
        QPoint(80, 661));
    lnkImporta->setAccessibleDescription(importStatus);
    lnkImporta->setProperty("statusText", importStatus);
    lnkImporta->setToolTip(importStatus);
    imgImporta->setToolTip(importStatus);
    lnkImporta->attachIcon(imgImporta);
    connect(lnkImporta, &LinkLabel::clicked, this, &TfrmAvvio::imgImportaClick);
    auto *imgSito = new PictureButton(p, QStringLiteral("imgSito"), QStringLiteral("avvio-sito"),
        QRect(17, 628, 961, 22), QStringLiteral("Sito web di Orvenza Software"));
    connect(imgSito, &PictureButton::clicked, this, &TfrmAvvio::imgSitoClick);
    auto *imgEsci = new PictureButton(
        p, QStringLiteral("imgEsci"), QStringLiteral("icona-esci"), QRect(960, 662, 17, 18), QStringLiteral("Esci"));
    connect(imgEsci, &PictureButton::clicked, this, &TfrmAvvio::imgEsciClick);
}

void TfrmAvvio::imgMagazzinoClick()
{
    Forms::magazzino()->handOverFrom(this);
}

void TfrmAvvio::imgCreaClick()
{
    Forms::creaCatalogo()->handOverFrom(this);
}

void TfrmAvvio::imgApriClick()
{
    Forms::apriCatalogo()->handOverFrom(this);
}

void TfrmAvvio::imgEsciClick()
{
    Forms::endProgram();
}

void TfrmAvvio::imgSitoClick()
{
    TMisc::Open(Links::webSite());
}

void TfrmAvvio::imgInfoClick()
{
    TfrmInfo::showInfo(this);
}

void TfrmAvvio::imgGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::Avvio);
}

void TfrmAvvio::imgCreditiClick()
{
    TfrmSplash::showCredits(this);
}

void TfrmAvvio::imgImportaClick()
{
    TfrmImportaSchede::showFor(this);
}

void TfrmAvvio::formClose()
{
    // Closing the start window ends the program, whatever was open earlier in the run.
    Forms::endProgram();
}
