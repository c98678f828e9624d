#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"

#include "shell/Avvio.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "storage/FileReplace.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "widgets/PictureButton.h"

#include <QCheckBox>

// The safety copies as the user reaches them from the start window.
class TestCopiaSicurezza : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<QTemporaryDir> m_outside; // a folder the user picks, outside the program folder

    QString outside(const QString &name) const { return m_outside->path() + QLatin1Char('/') + name; }

    void click(const char *name)
    {
        auto *button = Forms::avvio()->findChild<PictureButton *>(QLatin1String(name));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void addCard(const QString &code)
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = code;
        WarehouseArchive::append(card);
    }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        m_outside = std::make_unique<QTemporaryDir>();
        Forms::createAll();
        Forms::avvio()->show();
        addCard(QStringLiteral("A1"));
        Sandbox::writeFile(m_sandbox->path(QStringLiteral("1.jpg")), "foto");
        Sandbox::writeFile(m_sandbox->path(QStringLiteral("unins000.dll")), "password");
    }

    void cleanup()
    {
        Os::Faults::disarm();
        Forms::destroyAll();
        m_outside.reset();
        m_sandbox.reset();
    }

    void newControlsSitInTheFreeStrip()
    {
        QWidget *panel = Forms::avvio()->findChild<QWidget *>(QStringLiteral("imgEsci"))->parentWidget();
        const QStringList added
            = { QStringLiteral("imgCopia"), QStringLiteral("imgRipristina"), QStringLiteral("chkCopiaUscita") };
        for (const QString &name : added) {
            auto *w = panel->findChild<QWidget *>(name);
            QVERIFY2(w, qPrintable(name));
            QVERIFY(!w->accessibleName().isEmpty());
            QVERIFY(!w->property("statusText").toString().isEmpty());
            QVERIFY(panel->rect().contains(w->geometry()));
            for (QWidget *other : panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                if (other != w && !added.contains(other->objectName()))
                    QVERIFY2(!other->geometry().intersects(w->geometry()), qPrintable(name + other->objectName()));
        }
    }

    void copyGoesWhereChosenAndTheFolderIsRemembered()
    {
        m_sandbox->nextFiles = { outside(QStringLiteral("mia copia.zip")) };
        click("imgCopia");
        QVERIFY(QFile::exists(outside(QStringLiteral("mia copia.zip"))));
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Information);
        QVERIFY(m_sandbox->messages[0].text.startsWith(QStringLiteral("Copia di sicurezza creata")));
        // The copy just made leaves nothing for the automatic copy at exit.
        QVERIFY(!SafetyCopy::automaticCopyDue());

        m_sandbox->nextFiles = { QString() };
        click("imgCopia");
        QCOMPARE(m_sandbox->fileDialogs.size(), 2);
        QCOMPARE(m_sandbox->fileDialogs[1].at(2),
            QDir(m_outside->path()).filePath(QStringLiteral("Vetrinova-copia-2025-01-07-1030.zip")));
    }

    void fullDiskLeavesNoCopyAndSaysSo()
    {
        // The disk refuses the flush of the finished copy.
        Os::Faults::arm({ .kind = Os::Faults::Kind::Sync, .call = 1, .path = "copia.zip", .lasting = true });
        m_sandbox->nextFiles = { outside(QStringLiteral("copia.zip")) };
        click("imgCopia");
        QCOMPARE(QDir(m_outside->path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Error);
        QVERIFY(m_sandbox->messages[0].text.contains(QStringLiteral("Nessuna copia è stata creata")));
    }

    void restoreShowsWhatTheCopyHoldsAndAsks()
    {
        const QString zip = outside(QStringLiteral("copia.zip"));
        QCOMPARE(SafetyCopy::create(zip), SafetyCopy::Problem::None);
        addCard(QStringLiteral("B2"));
        const QByteArray changed = Sandbox::readFile(m_sandbox->path(QStringLiteral("Magazzino.pro")));

        m_sandbox->nextFiles = { zip };
        m_sandbox->answers = { QMessageBox::No };
        click("imgRipristina");
        QCOMPARE(m_sandbox->messages.size(), 1);
        const QString question = m_sandbox->messages[0].text;
        QVERIFY2(
            question.startsWith(QStringLiteral("Copia di sicurezza del 07/01/2025 alle 10:30.")), qPrintable(question));
        QVERIFY(question.contains(
            QStringLiteral("1 scheda di magazzino, 0 listini (0 pagine), 1 foto e 0 documenti allegati")));
        QVERIFY(question.contains(QStringLiteral("password di accesso diventerà quella salvata nella copia")));
        QCOMPARE(Sandbox::readFile(m_sandbox->path(QStringLiteral("Magazzino.pro"))), changed);

        m_sandbox->clearMessages();
        m_sandbox->nextFiles = { zip };
        click("imgRipristina");
        QCOMPARE(m_sandbox->messageTexts().last(), QStringLiteral("Ripristino completato."));
        QCOMPARE(WarehouseArchive::count(), 1);
    }

    void foreignFileIsRefusedInItalian()
    {
        Sandbox::writeFile(outside(QStringLiteral("altro.zip")), "non sono uno zip");
        m_sandbox->nextFiles = { outside(QStringLiteral("altro.zip")) };
        click("imgRipristina");
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Error);
        QVERIFY(m_sandbox->messages[0].text.startsWith(QStringLiteral("Il file scelto è danneggiato o incompleto")));
    }

    void annullaStopsTheCopy()
    {
        Sandbox::writeFile(m_sandbox->path(QStringLiteral("2.jpg")), QByteArray(4 << 20, 'x'));
        ProgressWatcher watcher(QStringLiteral("Copia di sicurezza in corso"), QStringLiteral("dlgCopiaInCorso"));
        m_sandbox->nextFiles = { outside(QStringLiteral("copia.zip")) };
        click("imgCopia");
        QVERIFY(!watcher.labels.isEmpty());
        QCOMPARE(QDir(m_outside->path()).entryList(QDir::Files), QStringList());
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void switchAndAutomaticCopyAtExit()
    {
        auto *chk = Forms::avvio()->findChild<QCheckBox *>(QStringLiteral("chkCopiaUscita"));
        QVERIFY(chk->isChecked());
        CopiaSicurezza::copiaAllUscita();
        QCOMPARE(QDir(m_sandbox->path(QStringLiteral("Copie"))).entryList(QDir::Files),
            QStringList { QStringLiteral("Vetrinova-copia-2025-01-07-1030.zip") });
        // Nothing changed since: no second copy.
        CopiaSicurezza::copiaAllUscita();
        QCOMPARE(QDir(m_sandbox->path(QStringLiteral("Copie"))).entryList(QDir::Files).size(), 1);

        chk->click();
        QVERIFY(!SafetyCopy::Settings::automatic());
        addCard(QStringLiteral("C3"));
        CopiaSicurezza::copiaAllUscita();
        QCOMPARE(QDir(m_sandbox->path(QStringLiteral("Copie"))).entryList(QDir::Files).size(), 1);
    }

    // A full disk used to leave Vetrinova.ini empty: every setting lost, with no word.
    void aSwitchThatCannotBeSavedKeepsTheSettingsInForceAndSaysSo()
    {
        const QString ini = m_sandbox->path(QStringLiteral("Vetrinova.ini"));
        const QByteArray before("[CopieDiSicurezza]\nAutomatica=true\nDaTenere=3\n");
        Sandbox::writeFile(ini, before);
        auto *chk = Forms::avvio()->findChild<QCheckBox *>(QStringLiteral("chkCopiaUscita"));
        QVERIFY(chk->isChecked());
        Os::Faults::arm({ .kind = Os::Faults::Kind::Write, .call = 1, .path = "Vetrinova.ini", .lasting = true });
        chk->click();
        QCOMPARE(m_sandbox->messageTexts(),
            QStringList { QStringLiteral("Attenzione: non \u00e8 stato possibile salvare la scelta nel file "
                                         "Vetrinova.ini; il disco potrebbe essere pieno. Resta in vigore "
                                         "l'impostazione precedente.") });
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Error);
        QVERIFY(chk->isChecked());
        QCOMPARE(Sandbox::readFile(ini), before);
        QVERIFY(SafetyCopy::Settings::automatic());
        QCOMPARE(SafetyCopy::Settings::keep(), 3);
        QCOMPARE(QDir(m_sandbox->folder()).entryList({ "Vetrinova.ini?*" }, QDir::Files | QDir::Hidden), QStringList());

        // With room on the disk the same click is kept, and the other settings with it.
        Os::Faults::disarm();
        m_sandbox->clearMessages();
        chk->click();
        QVERIFY(m_sandbox->messages.isEmpty());
        QVERIFY(!chk->isChecked());
        QVERIFY(!SafetyCopy::Settings::automatic());
        QCOMPARE(SafetyCopy::Settings::keep(), 3);
    }
};

VETRINOVA_TEST_MAIN(TestCopiaSicurezza)
#include "tst_copiasicurezza.moc"
