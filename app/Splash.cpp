#include "app/Splash.h"

#include "app/rules/Links.h"
#include "widgets/ArtLabel.h"
#include "widgets/LinkLabel.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"

#include <QPushButton>

TfrmSplash::TfrmSplash(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Vetrinova - Realizzato da Orvenza Software"), QSize(661, 467), Qt::white,
        QColor(0x35, 0x25, 0x25))
{
    setObjectName(QStringLiteral("frmSplash"));
    QWidget *panel = centredPanel(this, size(), QSize(642, 448), QStringLiteral("panContainer"));

    artLabel(panel, QStringLiteral("imgLogo"), QStringLiteral("splash-credits"), QRect(8, 8, 625, 380),
        QStringLiteral("Vetrinova, realizzato da Orvenza Software"));

    auto *imgWeb = new PictureButton(
        panel, QStringLiteral("imgWeb"), QStringLiteral("link-globe"), QRect(8, 400, 39, 36), Links::webSiteShown());
    auto *lnkWeb = new LinkLabel(panel, QStringLiteral("lnkWeb"), Links::webSiteShown(), QPoint(54, 409));
    lnkWeb->attachIcon(imgWeb);
    connect(lnkWeb, &LinkLabel::clicked, this, &TfrmSplash::lnkWebClick);

    auto *btnChiudi = new QPushButton(QStringLiteral("Chiudi"), panel);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setGeometry(473, 402, 160, 34);
    btnChiudi->setFont(QFont(QStringLiteral("Verdana")));
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmSplash::btnChiudiClick);
    btnChiudi->setFocus();
}

void TfrmSplash::showCredits(QWidget *owner)
{
    TfrmSplash w(owner);
    w.exec();
}

void TfrmSplash::btnChiudiClick()
{
    close();
}

void TfrmSplash::lnkWebClick()
{
    TMisc::Open(Links::webSite());
}
