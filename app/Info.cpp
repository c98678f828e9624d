#include "app/Info.h"

#include "app/rules/Links.h"
#include "widgets/ArtLabel.h"
#include "widgets/LinkLabel.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/ShapeWidget.h"

#include <QLabel>
#include <QPushButton>

TfrmInfo::TfrmInfo(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Informazioni su Vetrinova"), QSize(473, 579), Qt::black, Qt::white)
{
    setObjectName(QStringLiteral("frmInfo"));
    auto *panel
        = new ShapeWidget(this, QRect(15, 15, 442, 490), QColor(0xF4, 0xF7, 0xFB), Qt::white, QColor(0x46, 0x82, 0xB4));
    panel->setObjectName(QStringLiteral("panContainer"));
    new ShapeWidget(panel, QRect(8, 8, 425, 72), Qt::white, QColor(), QColor(0xB0, 0xC4, 0xDE));
    artLabel(panel, QStringLiteral("imgLogo"), QStringLiteral("info-heading"), QRect(24, 16, 392, 54),
        QStringLiteral("Informazioni su Vetrinova"));

    auto *about = new QLabel(panel);
    about->setObjectName(QStringLiteral("lblInfo"));
    about->setGeometry(24, 96, 394, 380);
    about->setWordWrap(true);
    about->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    about->setTextFormat(Qt::RichText);
    about->setFont(QFont(QStringLiteral("Verdana"), 10));
    about->setText(QStringLiteral(
        "<p style='font-size:16pt; font-weight:bold; color:#1F3F66; margin:0'>Vetrinova 1.0</p>"
        "<p style='color:#4682B4; font-weight:bold; margin-top:2px'>Magazzino prodotti e listini prezzi in formato "
        "A4</p>"
        "<p>Vetrinova cataloga gli articoli del magazzino, con foto, giacenze, dati del fornitore e dei pagamenti, "
        "e stampa listini prezzi di otto prodotti per pagina con le loro immagini.</p>"
        "<p>Tutti i dati si trovano nella cartella del programma: una sua copia è un backup completo.</p>"
        "<p>Per domande, suggerimenti o assistenza scrivere all'indirizzo indicato qui sotto.</p>"
        "<p style='margin-top:18px'><b>Orvenza Software</b><br>Progettazione e sviluppo</p>"
        "<p style='color:#555555'>&copy; 2025 Orvenza Software. Tutti i diritti riservati.</p>"));

    auto *btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setGeometry(280, 504, 161, 41);
    btnChiudi->setFont(QFont(QStringLiteral("Verdana"), 12));
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmInfo::btnChiudiClick);
    btnChiudi->raise();

    auto *imgEmail = new PictureButton(this, QStringLiteral("imgEmail"), QStringLiteral("link-envelope"),
        QRect(15, 531, 23, 16), Links::mailAddress());
    auto *lnkWeb = new LinkLabel(this, QStringLiteral("lnkWeb"), Links::mailAddress(), QPoint(46, 528));
    lnkWeb->attachIcon(imgEmail);
    connect(lnkWeb, &LinkLabel::clicked, this, &TfrmInfo::lnkWebClick);
    btnChiudi->setFocus();
}

void TfrmInfo::showInfo(QWidget *owner)
{
    TfrmInfo w(owner);
    w.exec();
}

void TfrmInfo::btnChiudiClick()
{
    close();
}

void TfrmInfo::lnkWebClick()
{
    TMisc::Open(Links::mailCommand());
}
