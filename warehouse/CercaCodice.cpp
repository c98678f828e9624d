#include "warehouse/CercaCodice.h"

#include "storage/ArchiveResult.h"
#include "warehouse/rules/CodeLookup.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmCercaCodice::TfrmCercaCodice(QWidget *owner, Found found)
    : DialogWindow(owner, QStringLiteral(" Cerca codice"), QSize(460, 150), QColor(0x46, 0x82, 0xB4))
    , m_found(std::move(found))
{
    setObjectName(QStringLiteral("frmCercaCodice"));
    setFont(verdana());
    auto *caption = placeLabel(this, QStringLiteral("lblCodice"), QPoint(16, 14),
        QStringLiteral("Codice articolo (digitarlo o leggerlo con il lettore, poi Invio):"), verdana(9, true));
    QPalette white = caption->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(white);
    txtCercaCodice = new QLineEdit(this);
    txtCercaCodice->setObjectName(QStringLiteral("txtCercaCodice"));
    txtCercaCodice->setGeometry(16, 36, 428, 26);
    txtCercaCodice->setFont(verdana(12, true));
    txtCercaCodice->setAccessibleName(QStringLiteral("Codice da cercare"));
    keepOneLine(txtCercaCodice);
    caption->setBuddy(txtCercaCodice);
    lblEsito = placeLabel(this, QStringLiteral("lblEsito"), QPoint(16, 70), QString(), verdana(9, true));
    lblEsito->setPalette(white);
    lblEsito->setFixedWidth(428);
    lblEsito->setWordWrap(true);
    auto *btnChiudi = placeButton(this, QStringLiteral("btnChiudi"), QRect(16, 108, 137, 28), QStringLiteral("Chiudi"));
    auto *btnCerca = placeButton(this, QStringLiteral("btnCerca"), QRect(307, 108, 137, 28), QStringLiteral("Cerca"));
    connect(btnCerca, &QPushButton::clicked, this, &TfrmCercaCodice::btnCercaClick);
    // The scanner ends every code with Enter.
    connect(txtCercaCodice, &QLineEdit::returnPressed, this, &TfrmCercaCodice::btnCercaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(txtCercaCodice, btnCerca);
    setTabOrder(btnCerca, btnChiudi);
    txtCercaCodice->setFocus();
}

void TfrmCercaCodice::openFrom(QWidget *owner, Found found)
{
    TfrmCercaCodice window(owner, std::move(found));
    window.exec();
}

void TfrmCercaCodice::keyPressEvent(QKeyEvent *event)
{
    // Enter on a button presses it; in the box it has searched already, and it never closes the window.
    if (!pressFocusedButton(this, event->key()))
        DialogWindow::keyPressEvent(event);
}

void TfrmCercaCodice::btnCercaClick()
{
    const QString code = txtCercaCodice->text().trimmed();
    if (code.isEmpty()) {
        lblEsito->setText(QStringLiteral("Digitare o leggere un codice."));
        txtCercaCodice->setFocus();
        return;
    }
    const ArchiveResult<CodeLookup> found = archiveResult([&] { return findCardByCode(code); });
    if (!found) {
        Msg::archiveError(this, found.error());
        return;
    }
    if (found->number == 0) {
        lblEsito->setText(QStringLiteral("Nessuna scheda ha il codice \u00ab%1\u00bb.").arg(code));
        // The next scan replaces the code instead of going after it.
        txtCercaCodice->selectAll();
        txtCercaCodice->setFocus();
        return;
    }
    m_found(found->card, found->number);
    accept();
}
