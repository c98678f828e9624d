#include "app/Password.h"

#include "app/CambiaPassword.h"
#include "app/rules/AccessRules.h"
#include "storage/TextField.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/Fonts.h"
#include "widgets/HighlightRect.h"
#include "widgets/Messages.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QColor SteelBlue(0x46, 0x82, 0xB4);
} // namespace

TfrmPassword::TfrmPassword()
    : FixedWindow(QStringLiteral(" Vetrinova - Accesso"), QSize(388, 405), SteelBlue)
{
    setObjectName(QStringLiteral("frmPassword"));
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panPassword"));
    panel->setGeometry((388 - 360) / 2, (405 - 378) / 2, 360, 378);

    auto *shpSfondo = new ShapeWidget(panel, QRect(8, 8, 344, 265), SteelBlue, Qt::white, Qt::white);
    shpSfondo->setObjectName(QStringLiteral("shpSfondo"));

    auto *imgLogo = new QLabel(panel);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(16, 16, 328, 160);
    imgLogo->setPixmap(Resources::pixmap(QStringLiteral("logo-accesso"), imgLogo->size()));

    auto *shpTitolo = new ShapeWidget(panel, QRect(16, 184, 328, 81), QColor(0x7D, 0xA9, 0xCD), Qt::white, Qt::white);
    shpTitolo->setObjectName(QStringLiteral("shpTitolo"));

    lblRigo05 = new QLabel(QStringLiteral("Immetti la password e premi OK."), panel);
    lblRigo05->setObjectName(QStringLiteral("lblRigo05"));
    lblRigo05->setFont(designFont(QStringLiteral("Verdana"), 9));
    lblRigo05->move(36, 200);
    lblRigo05->adjustSize();

    txtPassword = new QLineEdit(panel);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setGeometry(36, 222, 230, 22);
    txtPassword->setFont(designFont(QStringLiteral("Verdana"), 14, true));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setAccessibleName(QStringLiteral("Password"));
    effPassword = new HighlightRect(txtPassword, QStringLiteral("effPassword"));

    cmdOK = new QPushButton(QStringLiteral("OK"), panel);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(280, 216, 49, 33);
    cmdOK->setEnabled(false);

    cmdEsci = new QPushButton(QStringLiteral("Esci"), panel);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(8, 338, 146, 32);

    btnCambiaPassword = new QPushButton(QStringLiteral("Cambia password"), panel);
    btnCambiaPassword->setObjectName(QStringLiteral("btnCambiaPassword"));
    btnCambiaPassword->setGeometry(205, 338, 146, 32);

    for (QPushButton *b : { cmdOK, cmdEsci, btnCambiaPassword })
        b->setCursor(Qt::PointingHandCursor);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdEsci);
    setTabOrder(cmdEsci, btnCambiaPassword);

    connect(txtPassword, &QLineEdit::textChanged, this, &TfrmPassword::txtPasswordChange);
    BoxBehaviour::attach(txtPassword, effPassword)->onKey([this](int key, const QString &) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (!trimText(txtPassword->text()).isEmpty())
            cmdOKClick();
        return true;
    });
    connect(cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);
    connect(cmdEsci, &QPushButton::clicked, this, &TfrmPassword::cmdEsciClick);
    connect(btnCambiaPassword, &QPushButton::clicked, this, &TfrmPassword::btnCambiaPasswordClick);
}

void TfrmPassword::formShow()
{
    txtPassword->setFocus(Qt::OtherFocusReason);
}

void TfrmPassword::formClose()
{
    // The main window: closing it ends the program.
    WindowSet::endProgram();
}

void TfrmPassword::txtPasswordChange()
{
    cmdOK->setEnabled(!trimText(txtPassword->text()).isEmpty());
}

void TfrmPassword::cmdOKClick()
{
    const Result<QString, PasswordStore::Error> read = Access::stored();
    if (!read) {
        Msg::plain(this,
            QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura della "
                           "password. Si consiglia di reinstallare il software."));
        return;
    }
    const QString &stored = *read;
    const QString typed = Access::normalise(txtPassword->text());
    // An empty store holds no password at all: nothing typed may match it.
    if (!stored.isEmpty() && typed == stored) {
        WindowSet::showStartWindow(this);
        // The window stays hidden for the rest of the run; the typed password need not stay in it.
        txtPassword->clear();
        return;
    }
    Msg::plain(this, QStringLiteral("Attenzione: password errata."));
    txtPassword->clear();
    txtPassword->setFocus(Qt::OtherFocusReason);
}

void TfrmPassword::cmdEsciClick()
{
    close();
}

void TfrmPassword::btnCambiaPasswordClick()
{
    WindowSet::instance<TfrmCambiaPassword>()->show();
    hide();
}
