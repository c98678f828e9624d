#include "app/CambiaPassword.h"

#include "app/Password.h"
#include "app/rules/AccessRules.h"
#include "app/rules/PasswordStore.h"
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

const QString ChangeFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica "
                                            "della password. Si consiglia di reinstallare il software.");
} // namespace

TfrmCambiaPassword::TfrmCambiaPassword()
    : FixedWindow(QStringLiteral(" Cambia password"), QSize(411, 418), SteelBlue)
{
    setObjectName(QStringLiteral("frmCambiaPassword"));
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panCambiaPassword"));
    panel->setGeometry((411 - 385) / 2, (418 - 390) / 2, 385, 390);

    auto *shpSfondo = new ShapeWidget(panel, QRect(8, 8, 369, 334), SteelBlue, Qt::white, Qt::white);
    shpSfondo->setObjectName(QStringLiteral("shpSfondo"));

    auto *imgLogo = new QLabel(panel);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(16, 16, 353, 148);
    imgLogo->setPixmap(Resources::pixmap(QStringLiteral("logo-cambia-password"), imgLogo->size()));

    auto addBox = [panel](const char *label, const char *labelName, int y, const char *name, const char *highlight,
                      HighlightRect **eff) {
        auto *lbl = new QLabel(QString::fromUtf8(label), panel);
        lbl->setObjectName(QLatin1String(labelName));
        lbl->setFont(designFont(QStringLiteral("Verdana"), 9, true));
        lbl->move(16, y - 21);
        lbl->adjustSize();
        auto *box = new QLineEdit(panel);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(16, y, 353, 22);
        box->setFont(designFont(QStringLiteral("Verdana"), 14, true));
        box->setEchoMode(QLineEdit::Password);
        box->setAccessibleName(lbl->text().chopped(1));
        *eff = new HighlightRect(box, QLatin1String(highlight));
        return box;
    };
    txtPasswordOld = addBox("Vecchia password:", "lblRigo05", 193, "txtPasswordOld", "effPasswordOld", &effPasswordOld);
    txtPasswordNew = addBox("Nuova password:", "lblRigo06", 249, "txtPasswordNew", "effPasswordNew", &effPasswordNew);
    txtConferma = addBox("Conferma nuova password:", "lblRigo07", 305, "txtConferma", "effConferma", &effConferma);

    cmdEsci = new QPushButton(QStringLiteral("Chiudi"), panel);
    cmdEsci->setObjectName(QStringLiteral("cmdEsci"));
    cmdEsci->setGeometry(8, 350, 146, 32);
    cmdEsci->setCursor(Qt::PointingHandCursor);

    cmdOK = new QPushButton(QStringLiteral("OK"), panel);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(232, 350, 146, 32);
    cmdOK->setCursor(Qt::PointingHandCursor);
    cmdOK->setEnabled(false);

    setTabOrder(txtPasswordOld, txtPasswordNew);
    setTabOrder(txtPasswordNew, txtConferma);
    setTabOrder(txtConferma, cmdEsci);
    setTabOrder(cmdEsci, cmdOK);

    BoxBehaviour::attach(txtPasswordOld, effPasswordOld)->next(txtPasswordNew);
    BoxBehaviour::attach(txtPasswordNew, effPasswordNew)->next(txtConferma);
    BoxBehaviour::attach(txtConferma, effConferma)->next(txtPasswordOld);
    for (QLineEdit *box : { txtPasswordOld, txtPasswordNew, txtConferma })
        connect(box, &QLineEdit::textChanged, this, &TfrmCambiaPassword::txtPasswordChange);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdOKClick);
    connect(cmdEsci, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdEsciClick);
}

void TfrmCambiaPassword::formShow()
{
    txtPasswordOld->clear();
    txtPasswordNew->clear();
    txtConferma->clear();
    txtPasswordOld->setFocus(Qt::OtherFocusReason);
}

void TfrmCambiaPassword::formClose()
{
    TfrmPassword *password = WindowSet::instance<TfrmPassword>();
    password->txtPassword->clear();
    password->show();
    password->activateWindow();
    password->txtPassword->setFocus(Qt::OtherFocusReason);
}

void TfrmCambiaPassword::txtPasswordChange()
{
    cmdOK->setEnabled(!trimText(txtPasswordOld->text()).isEmpty() && !trimText(txtPasswordNew->text()).isEmpty()
        && !trimText(txtConferma->text()).isEmpty());
}

void TfrmCambiaPassword::cmdOKClick()
{
    const Result<QString, PasswordStore::Error> read = Access::stored();
    if (!read) {
        Msg::plain(this, ChangeFailed);
        return;
    }
    const QString &stored = *read;
    // An empty store holds no password at all: no old password may match it.
    if (stored.isEmpty() || stored != Access::normalise(txtPasswordOld->text())) {
        Msg::plain(this, QStringLiteral("Attenzione: vecchia password errata."));
        txtPasswordOld->clear();
        txtPasswordOld->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (trimText(txtPasswordNew->text()) != trimText(txtConferma->text())) {
        refuseNew(QStringLiteral("Attenzione: la nuova password non è stata confermata correttamente. "
                                 "E' necessario reinserire entrambi i valori."));
        return;
    }
    // The store keeps 8 bits of at most 255 characters: anything else would never match again.
    const QString plain = Access::normalise(txtPasswordNew->text());
    switch (Access::problem(plain)) {
    case Access::Problem::TooLong:
        refuseNew(QStringLiteral("Attenzione: la nuova password è troppo lunga; può contenere al massimo 255 "
                                 "caratteri. E' necessario reinserire entrambi i valori."));
        return;
    case Access::Problem::Character:
        refuseNew(QStringLiteral("Attenzione: la nuova password contiene il carattere \"%1\", che non può essere "
                                 "memorizzato. E' necessario reinserire entrambi i valori.")
                      .arg(Access::firstUnstorable(plain)));
        return;
    case Access::Problem::None:
        break;
    }
    if (const Result<Done, PasswordStore::Error> kept = Access::store(plain); !kept) {
        const bool linkOutside = kept.error().reason == PasswordStore::Error::Reason::NotWritten
            && kept.error().why == WriteError::LinkOutside;
        Msg::plain(this, linkOutside ? Msg::linkOutsideMessage(QStringLiteral("unins000.dll")) : ChangeFailed);
        return;
    }
    Msg::plain(this, QStringLiteral("Modifica della password completata con successo."));
    close();
}

void TfrmCambiaPassword::refuseNew(const QString &message)
{
    Msg::plain(this, message);
    txtPasswordNew->clear();
    txtConferma->clear();
    txtPasswordNew->setFocus(Qt::OtherFocusReason);
}

void TfrmCambiaPassword::cmdEsciClick()
{
    close();
}
