#include "tests/support/TestSupport.h"

#include "shell/Application.h"
#include "storage/FieldRules.h"
#include "widgets/Messages.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

class TestShell : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;

private slots:
    void init() { m_sandbox = std::make_unique<Sandbox>(); }
    void cleanup() { m_sandbox.reset(); }

    void archiveMessage()
    {
        // The one message with line feed before carriage return.
        const QString text = QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                            "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                            "installazione del programma.");
        QCOMPARE(Msg::archiveMessage(), text);
        Msg::archiveError(nullptr);
        Msg::archiveError(nullptr, true);
        QCOMPARE(m_sandbox->messages.size(), 2);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Error);
        QCOMPARE(m_sandbox->messages[1].kind, Msg::Kind::Plain);
        QCOMPARE(m_sandbox->messages[1].text, text);
    }

    void confirmationStopsOnlyOnNo()
    {
        m_sandbox->answers = { QMessageBox::No, QMessageBox::Yes };
        QVERIFY(!Msg::confirm(nullptr, QStringLiteral("Sei sicuro?")));
        QVERIFY(Msg::confirm(nullptr, QStringLiteral("Sei sicuro?")));
    }

    void escapedErrorIsReportedAndTheProgramGoesOn()
    {
        bool later = false;
        QTimer::singleShot(0, [] { toDecimal(QStringLiteral("12.50")); });
        QTimer::singleShot(0, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::ErrorReport);
        QCOMPARE(m_sandbox->messages[0].text, QStringLiteral("'12.50' non è un valore numerico valido."));
    }

    void standardButtonsSpeakItalian()
    {
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(),
            QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Annulla"));
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sì"));
    }
};

VETRINOVA_TEST_MAIN(TestShell)
#include "tst_shell.moc"
