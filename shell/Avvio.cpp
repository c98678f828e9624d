#include "shell/Avvio.h"

#include "app/Guida.h"
#include "app/Info.h"
#include "app/Splash.h"
#include "app/rules/Links.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "warehouse/Magazzino.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/Resources.h"

#include <QCheckBox>
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
    auto *imgSito = new PictureButton(p, QStringLiteral("imgSito"), QStringLiteral("avvio-sito"),
        QRect(17, 628, 961, 22), QStringLiteral("Sito web di Orvenza Software"));
    connect(imgSito, &PictureButton::clicked, this, &TfrmAvvio::imgSitoClick);
    auto *imgEsci = new PictureButton(
        p, QStringLiteral("imgEsci"), QStringLiteral("icona-esci"), QRect(960, 662, 17, 18), QStringLiteral("Esci"));
    connect(imgEsci, &PictureButton::clicked, this, &TfrmAvvio::imgEsciClick);

    // Safety copies, in the free strip along the bottom between the credits and the exit icons.
    auto *imgCopia = new PictureButton(p, QStringLiteral("imgCopia"), QStringLiteral("avvio-copia"),
        QRect(250, 658, 230, 26), QStringLiteral("Crea copia di sicurezza"),
        QStringLiteral("Salva in un unico file ZIP tutti i dati del programma: schede, foto, listini e allegati"));
    connect(imgCopia, &PictureButton::clicked, this, &TfrmAvvio::imgCopiaClick);
    auto *imgRipristina = new PictureButton(p, QStringLiteral("imgRipristina"), QStringLiteral("avvio-ripristina"),
        QRect(495, 658, 230, 26), QStringLiteral("Ripristina da una copia"),
        QStringLiteral("Sostituisce i dati del programma con quelli di una copia di sicurezza"));
    connect(imgRipristina, &PictureButton::clicked, this, &TfrmAvvio::imgRipristinaClick);
    auto *chkCopiaUscita = new QCheckBox(QStringLiteral("Copia automatica all'uscita"), p);
    chkCopiaUscita->setObjectName(QStringLiteral("chkCopiaUscita"));
    chkCopiaUscita->setGeometry(740, 660, 200, 22);
    chkCopiaUscita->setFocusPolicy(Qt::NoFocus);
    const QString hint = QStringLiteral("All'uscita, se qualcosa è cambiato, crea una copia di sicurezza nella "
                                        "cartella Copie e tiene le ultime dieci");
    chkCopiaUscita->setProperty("statusText", hint);
    chkCopiaUscita->setAccessibleName(QStringLiteral("Copia automatica all'uscita"));
    chkCopiaUscita->setAccessibleDescription(hint);
    chkCopiaUscita->setToolTip(hint);
    chkCopiaUscita->setChecked(SafetyCopy::Settings::automatic());
    connect(chkCopiaUscita, &QCheckBox::toggled, this, [](bool on) { SafetyCopy::Settings::setAutomatic(on); });
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

void TfrmAvvio::imgCopiaClick()
{
    CopiaSicurezza::crea(this);
}

void TfrmAvvio::imgRipristinaClick()
{
    CopiaSicurezza::ripristina(this);
}

void TfrmAvvio::formClose()
{
    // Closing the start window ends the program, whatever was open earlier in the run.
    Forms::endProgram();
}
