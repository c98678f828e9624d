#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/TestSupport.h"

#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "app/rules/AccessRules.h"
#include "app/rules/PasswordStore.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/FileReplace.h"
#include "widgets/HighlightRect.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
const QString Wrong = QStringLiteral("Attenzione: password errata.");
const QString WrongOld = QStringLiteral("Attenzione: vecchia password errata.");
const QString NotConfirmed = QStringLiteral("Attenzione: la nuova password non è stata confermata correttamente. "
                                            "E' necessario reinserire entrambi i valori.");
const QString Changed = QStringLiteral("Modifica della password completata con successo.");
const QString ReadFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di lettura "
                                          "della password. Si consiglia di reinstallare il software.");
const QString ChangeFailed = QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica "
                                            "della password. Si consiglia di reinstallare il software.");

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}
} // namespace

class TestPassword : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;
    TfrmPassword *m_login = nullptr;
    TfrmCambiaPassword *m_change = nullptr;

    void activate(QWidget *window)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void type(QLineEdit *box, const QString &text)
    {
        box->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        box->clear();
        QTest::keyClicks(box, text);
    }
    void login(const QString &text)
    {
        type(m_login->txtPassword, text);
        QTest::mouseClick(m_login->cmdOK, Qt::LeftButton);
    }
    void openChange()
    {
        QTest::mouseClick(m_login->btnCambiaPassword, Qt::LeftButton);
        QVERIFY(m_change->isVisible());
        activate(m_change);
    }
    void change(const QString &oldText, const QString &newText, const QString &confirm)
    {
        m_change->txtPasswordOld->setText(oldText);
        m_change->txtPasswordNew->setText(newText);
        m_change->txtConferma->setText(confirm);
        QTest::mouseClick(m_change->cmdOK, Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        QVERIFY(Access::store(QStringLiteral("ABC")));
        Forms::start();
        m_login = Forms::password();
        m_change = Forms::cambiaPassword();
        QVERIFY(QTest::qWaitForWindowExposed(m_login));
        activate(m_login);
    }
    void cleanup()
    {
        Forms::destroyAll();
        Os::Faults::disarm();
        m_sandbox.reset();
    }

    void startsAloneWithEmptyBox()
    {
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_login });
        QCOMPARE(m_login->txtPassword->text(), QString());
        QVERIFY(!m_login->cmdOK->isEnabled());
        QCOMPARE(m_login->txtPassword->echoMode(), QLineEdit::Password);
        QTRY_COMPARE(QApplication::focusWidget(), m_login->txtPassword);
        QVERIFY(m_login->findChild<QWidget *>(QStringLiteral("effPassword"))->isVisible());
        QCOMPARE(m_login->size(), QSize(388, 405));
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((m_login->geometry().center() - centre).manhattanLength() <= 2);
        // The formats are the program's whatever the machine says.
        QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    }

    void okOnlyWithText()
    {
        type(m_login->txtPassword, QStringLiteral("   "));
        QVERIFY(!m_login->cmdOK->isEnabled());
        QTest::keyClick(m_login->txtPassword, Qt::Key_Return);
        QVERIFY(m_sandbox->messages.isEmpty());
        QVERIFY(m_login->isVisible());
        QTest::keyClicks(m_login->txtPassword, "x");
        QVERIFY(m_login->cmdOK->isEnabled());
        QTest::keyClick(m_login->txtPassword, Qt::Key_Backspace);
        QVERIFY(!m_login->cmdOK->isEnabled());
    }

    void accepted_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::newRow("as stored") << "ABC"
                                   << "ABC";
        QTest::newRow("lower case") << "ABC"
                                    << "abc";
        QTest::newRow("mixed case") << "ABC"
                                    << "Abc";
        QTest::newRow("blanks around") << "ABC"
                                       << "  abc  ";
        QTest::newRow("e grave as typed") << QStringLiteral("CAFF\u00e8") << QStringLiteral("caff\u00e8");
    }
    void accepted()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QVERIFY(Access::store(stored));
        type(m_login->txtPassword, QString());
        for (QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, m_login->txtPassword, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(m_login->txtPassword, Qt::Key_Return);
        QVERIFY(m_sandbox->messages.isEmpty());
        QCOMPARE(visibleWindows(), QList<QWidget *> { Forms::avvio() });
        QVERIFY(Forms::avvio()->isMaximized());
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QString>("typed");
        QTest::newRow("wrong") << QByteArray("[Accesso]\nValore=485529\n") << "abd";
        QTest::newRow("shorter") << QByteArray("[Accesso]\nValore=485529\n") << "ab";
        // The store holds CAFFè: È is another letter.
        QTest::newRow("e grave upper-cased")
            << QByteArray("[Accesso]\nValore=4A12A798EE\n") << QStringLiteral("CAFF\u00c8");
        QTest::newRow("no store") << QByteArray() << "abc";
        QTest::newRow("no section") << QByteArray("[Altro]\nValore=485529\n") << "abc";
        QTest::newRow("no key") << QByteArray("[Accesso]\nAltro=485529\n") << "abc";
        QTest::newRow("empty value") << QByteArray("[Accesso]\nValore=\n") << "abc";
    }
    void refused()
    {
        QFETCH(QByteArray, store);
        QFETCH(QString, typed);
        QFile::remove(PasswordStore::path());
        if (!store.isEmpty())
            Sandbox::writeFile(PasswordStore::path(), store);
        type(m_login->txtPassword, QString());
        m_login->txtPassword->setText(typed);
        QTest::mouseClick(m_login->cmdOK, Qt::LeftButton);
        QCOMPARE(m_sandbox->messageTexts(), QStringList { Wrong });
        QCOMPARE(m_sandbox->messages.first().kind, Msg::Kind::Plain);
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_login });
        QCOMPARE(m_login->txtPassword->text(), QString());
        QCOMPARE(QApplication::focusWidget(), m_login->txtPassword);
    }

    void unreadableStoreOnLogin()
    {
        Sandbox::writeFile(PasswordStore::path(), "[Accesso]\nValore=48XY29\n");
        login(QStringLiteral("abc"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { ReadFailed });
        QCOMPARE(m_sandbox->messages.first().kind, Msg::Kind::Plain);
        QVERIFY(m_login->isVisible());
        QCOMPARE(m_login->txtPassword->text(), QStringLiteral("abc"));
    }

    void esciEndsTheProgram()
    {
        QTest::mouseClick(m_login->cmdEsci, Qt::LeftButton);
        QVERIFY(Forms::ending());
        QVERIFY(visibleWindows().isEmpty());
    }

    void closingTheMainWindowEndsTheProgram()
    {
        m_login->close();
        QVERIFY(Forms::ending());
        QVERIFY(visibleWindows().isEmpty());
    }

    void changeWindowAlternates()
    {
        m_login->txtPassword->setText(QStringLiteral("resto"));
        openChange();
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_change });
        QCOMPARE(m_change->size(), QSize(411, 418));
        for (QLineEdit *box : { m_change->txtPasswordOld, m_change->txtPasswordNew, m_change->txtConferma }) {
            QCOMPARE(box->text(), QString());
            QCOMPARE(box->echoMode(), QLineEdit::Password);
        }
        QVERIFY(!m_change->cmdOK->isEnabled());
        QTRY_COMPARE(QApplication::focusWidget(), m_change->txtPasswordOld);
        QTest::mouseClick(m_change->cmdEsci, Qt::LeftButton);
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_login });
        QCOMPARE(m_login->txtPassword->text(), QString());
        activate(m_login);
        QTRY_COMPARE(QApplication::focusWidget(), m_login->txtPassword);
        // Opened again, the boxes are empty again.
        openChange();
        m_change->txtPasswordOld->setText(QStringLiteral("x"));
        m_change->close();
        openChange();
        QCOMPARE(m_change->txtPasswordOld->text(), QString());
        QVERIFY(!Forms::ending());
    }

    void changeBoxesChainAndEnableOk()
    {
        openChange();
        QLineEdit *old = m_change->txtPasswordOld;
        QLineEdit *fresh = m_change->txtPasswordNew;
        QLineEdit *confirm = m_change->txtConferma;
        QTRY_COMPARE(QApplication::focusWidget(), old);
        QVERIFY(m_change->effPasswordOld->isVisible());
        QTest::keyClicks(old, "abc");
        QTest::keyClick(old, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), fresh);
        QVERIFY(!m_change->effPasswordOld->isVisible());
        QVERIFY(m_change->effPasswordNew->isVisible());
        QTest::keyClicks(fresh, "x");
        QTest::keyClick(fresh, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), confirm);
        QVERIFY(!m_change->cmdOK->isEnabled());
        QTest::keyClicks(confirm, " ");
        QVERIFY(!m_change->cmdOK->isEnabled());
        QTest::keyClicks(confirm, "x");
        QVERIFY(m_change->cmdOK->isEnabled());
        QTest::keyClick(confirm, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), old);
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void successfulChange()
    {
        openChange();
        change(QStringLiteral(" abc "), QStringLiteral(" nuova "), QStringLiteral("nuova"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { Changed });
        QCOMPARE(m_sandbox->messages.first().kind, Msg::Kind::Plain);
        QCOMPARE(Access::stored().value(), QStringLiteral("NUOVA"));
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_login });
        QCOMPARE(m_login->txtPassword->text(), QString());
        // The old password no longer opens the program; the new one does, in any case.
        activate(m_login);
        m_sandbox->clearMessages();
        login(QStringLiteral("abc"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { Wrong });
        m_sandbox->clearMessages();
        login(QStringLiteral("Nuova"));
        QVERIFY(m_sandbox->messages.isEmpty());
        QVERIFY(Forms::avvio()->isVisible());
    }

    void oneCharacterIsEnough()
    {
        openChange();
        change(QStringLiteral("abc"), QStringLiteral("z"), QStringLiteral("z"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { Changed });
        QCOMPARE(Access::stored().value(), QStringLiteral("Z"));
    }

    void wrongOldPassword_data()
    {
        QTest::addColumn<bool>("storeExists");
        QTest::newRow("wrong") << true;
        QTest::newRow("no store") << false;
    }
    void wrongOldPassword()
    {
        QFETCH(bool, storeExists);
        if (!storeExists)
            QFile::remove(PasswordStore::path());
        openChange();
        change(QStringLiteral("abd"), QStringLiteral("nuova"), QStringLiteral("nuova"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { WrongOld });
        QCOMPARE(m_change->txtPasswordOld->text(), QString());
        QCOMPARE(m_change->txtPasswordNew->text(), QStringLiteral("nuova"));
        QCOMPARE(QApplication::focusWidget(), m_change->txtPasswordOld);
        QVERIFY(m_change->isVisible());
        QCOMPARE(QFile::exists(PasswordStore::path()), storeExists);
    }

    void refusedNewPassword_data()
    {
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::newRow("confirmation differs in case") << "abc"
                                                      << "ABC" << NotConfirmed;
        QTest::newRow("confirmation differs") << "nuova"
                                              << "nuovo" << NotConfirmed;
        QTest::newRow("too long") << QString(256, QLatin1Char('x')) << QString(256, QLatin1Char('x'))
                                  << QStringLiteral(
                                         "Attenzione: la nuova password è troppo lunga; può contenere al "
                                         "massimo 255 caratteri. E' necessario reinserire entrambi i valori.");
        QTest::newRow("euro sign") << QStringLiteral("prezzo\u20ac") << QStringLiteral("prezzo\u20ac")
                                   << QStringLiteral(
                                          "Attenzione: la nuova password contiene il carattere \"\u20ac\", "
                                          "che non può essere memorizzato. E' necessario reinserire entrambi "
                                          "i valori.");
    }
    void refusedNewPassword()
    {
        QFETCH(QString, fresh);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        const QByteArray before = Sandbox::readFile(PasswordStore::path());
        openChange();
        change(QStringLiteral("abc"), fresh, confirm);
        QCOMPARE(m_sandbox->messageTexts(), QStringList { message });
        QCOMPARE(m_sandbox->messages.first().kind, Msg::Kind::Plain);
        QCOMPARE(m_change->txtPasswordOld->text(), QStringLiteral("abc"));
        QCOMPARE(m_change->txtPasswordNew->text(), QString());
        QCOMPARE(m_change->txtConferma->text(), QString());
        QCOMPARE(QApplication::focusWidget(), m_change->txtPasswordNew);
        QVERIFY(m_change->isVisible());
        QCOMPARE(Sandbox::readFile(PasswordStore::path()), before);
    }

    void longestPasswordStillOpens()
    {
        const QString longest(255, QLatin1Char('q'));
        openChange();
        change(QStringLiteral("abc"), longest, longest);
        QCOMPARE(m_sandbox->messageTexts(), QStringList { Changed });
        activate(m_login);
        m_sandbox->clearMessages();
        m_login->txtPassword->setText(longest);
        QTest::mouseClick(m_login->cmdOK, Qt::LeftButton);
        QVERIFY(m_sandbox->messages.isEmpty());
        QVERIFY(Forms::avvio()->isVisible());
    }

    // On a full disk the old store must survive whole: with an empty one no password opens the program.
    void storeFailsDuringChange_data()
    {
        QTest::addColumn<int>("failing"); // a DiskFault, or -1
        QTest::newRow("unreadable value") << -1;
        QTest::newRow("disk full, nothing written") << int(DiskFault::Write);
        QTest::newRow("disk full, half written") << int(DiskFault::ShortWrite);
        QTest::newRow("flush to disk fails") << int(DiskFault::Flush);
        QTest::newRow("replacing fails") << int(DiskFault::Rename);
    }
    void storeFailsDuringChange()
    {
        QFETCH(int, failing);
        if (failing >= 0)
            Os::Faults::arm(diskFault(DiskFault(failing), 1, "unins000.dll"));
        else
            Sandbox::writeFile(PasswordStore::path(), "[Accesso]\nValore=4855ZZ\n");
        const QByteArray before = Sandbox::readFile(PasswordStore::path());
        openChange();
        change(QStringLiteral("abc"), QStringLiteral("nuova"), QStringLiteral("nuova"));
        QCOMPARE(m_sandbox->messageTexts(), QStringList { ChangeFailed });
        QCOMPARE(m_sandbox->messages.first().kind, Msg::Kind::Plain);
        QVERIFY(m_change->isVisible());
        QVERIFY(!m_login->isVisible());
        QCOMPARE(Sandbox::readFile(PasswordStore::path()), before);
        QCOMPARE(QDir(m_sandbox->folder()).entryList({ "unins000*" }, QDir::Files | QDir::Hidden),
            QStringList { "unins000.dll" });
        if (failing >= 0) {
            Os::Faults::disarm();
            QCOMPARE(Access::stored().value(), QStringLiteral("ABC"));
        }
    }
};

VETRINOVA_TEST_MAIN(TestPassword)
#include "tst_password.moc"
