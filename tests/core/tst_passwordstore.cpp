#include "app/rules/AccessRules.h"
#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPasswordStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup()
    {
        Os::Faults::disarm();
        setProgramFolderOverride(QString());
    }

    void knownValues_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("hex");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one letter") << "A"
                                    << "48";
        QTest::newRow("ABC") << "ABC"
                             << "485529";
        QTest::newRow("first access") << "VETRINOVA"
                                      << "5F0B6EB54F390DEFD1";
        QTest::newRow("e grave") << QStringLiteral("\u00e8") << "E1";
        QTest::newRow("blank") << " "
                               << "29";
        // The key rolls with every byte: equal characters scramble differently.
        QTest::newRow("repeated") << "AAAA"
                                  << "48564933";
    }
    void knownValues()
    {
        QFETCH(QString, plain);
        QFETCH(QString, hex);
        QCOMPARE(Crypt::encode(plain), hex);
        QCOMPARE(Crypt::decode(hex), plain);
        QCOMPARE(Crypt::decode(hex.toLower()), plain);
    }

    void roundTrip()
    {
        // Every code from 0 to 255, and the longest text the routines keep.
        QString all;
        for (int c = 0; c < 256; ++c)
            all += QChar(char16_t(c));
        const QString longest = all.left(Crypt::MaxLength);
        QCOMPARE(Crypt::decode(Crypt::encode(longest)), longest);
        QCOMPARE(Crypt::decode(Crypt::encode(all.mid(200))), all.mid(200));
    }

    void limits()
    {
        // Only the low 8 bits of a character and only 255 characters are kept.
        QCOMPARE(Crypt::decode(Crypt::encode(QStringLiteral("\u20ac"))), QStringLiteral("\u00ac"));
        QCOMPARE(Crypt::encode(QString(300, QLatin1Char('X'))).size(), 510);
        QCOMPARE(Crypt::decode(Crypt::encode(QString(300, QLatin1Char('X')))), QString(255, QLatin1Char('X')));
        QCOMPARE(Access::problem(QString(255, QLatin1Char('X'))), Access::Problem::None);
        QCOMPARE(Access::problem(QString(256, QLatin1Char('X'))), Access::Problem::TooLong);
        QCOMPARE(Access::problem(QStringLiteral("CAF\u00c8")), Access::Problem::None);
        QCOMPARE(Access::problem(QStringLiteral("PREZZO\u20ac")), Access::Problem::Character);
        QCOMPARE(Access::firstUnstorable(QStringLiteral("A\u20acB")), QStringLiteral("\u20ac"));
        QCOMPARE(Access::firstUnstorable(QStringLiteral("A\U0001F511")), QStringLiteral("\U0001F511"));
    }

    void oddDigitIgnoredBadPairFails()
    {
        QCOMPARE(Crypt::decode(QStringLiteral("4855295")), QStringLiteral("ABC"));
        QCOMPARE(Crypt::decode(QStringLiteral("4")), QString());
        QCOMPARE(Crypt::decode(QStringLiteral("48G529")), std::nullopt);
        QCOMPARE(Crypt::decode(QStringLiteral("48 5")), std::nullopt);
        QCOMPARE(Crypt::decode(QStringLiteral("-1")), std::nullopt);
    }

    void normalising()
    {
        QCOMPARE(Access::normalise(QStringLiteral("  abc\t")), QStringLiteral("ABC"));
        QCOMPARE(Access::normalise(QStringLiteral("Abc")), QStringLiteral("ABC"));
        // Only a to z change case.
        QCOMPARE(Access::normalise(QStringLiteral("caff\u00e8")), QStringLiteral("CAFF\u00e8"));
        QCOMPARE(Access::normalise(QStringLiteral("\u00df")), QStringLiteral("\u00df"));
        QCOMPARE(Access::normalise(QStringLiteral("a b")), QStringLiteral("A B"));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("[Accesso]\r\nValore=485529\r\n") << "485529";
        QTest::newRow("unix line ends") << QByteArray("[Accesso]\nValore=485529\n") << "485529";
        QTest::newRow("names in any case, blanks") << QByteArray("[ accesso ]\n  VALORE = 485529  \n") << "485529";
        QTest::newRow("quoted") << QByteArray("[Accesso]\nValore=\"485529\"\n") << "485529";
        QTest::newRow("among others") << QByteArray(
            "; note\n[Altro]\nValore=FF\n[Accesso]\nChiave=1\nValore=48\n[Dopo]\nValore=00\n")
                                      << "48";
        QTest::newRow("no section") << QByteArray("[Altro]\nValore=485529\n") << "";
        QTest::newRow("no key") << QByteArray("[Accesso]\nChiave=485529\n[Valore]\nValore=1\n") << "";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("no line end") << QByteArray("[Accesso]\nValore=48") << "48";
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        put(PasswordStore::path(), file);
        QCOMPARE(PasswordStore::read().value(), value);
    }

    void missingFileReadsEmpty()
    {
        QCOMPARE(PasswordStore::read().value(), QString());
        QCOMPARE(Access::stored().value(), QString());
    }

    void unreadableStoreFails()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("unins000.dll")));
        const auto read = PasswordStore::read();
        QVERIFY(!read);
        QCOMPARE(read.error().reason, PasswordStore::Error::Reason::Unreadable);
        const auto stored = Access::store(QStringLiteral("ABC"));
        QVERIFY(!stored);
        QCOMPARE(stored.error().reason, PasswordStore::Error::Reason::Unreadable);
    }

    void storedValueDecodesAndTrims()
    {
        put(PasswordStore::path(), "[Accesso]\nValore=" + Crypt::encode(QStringLiteral("  ABC \r")).toLatin1() + "\n");
        QCOMPARE(Access::stored().value(), QStringLiteral("ABC"));
        put(PasswordStore::path(), "[Accesso]\nValore=48ZZ\n");
        const auto damaged = Access::stored();
        QVERIFY(!damaged);
        QCOMPARE(damaged.error().reason, PasswordStore::Error::Reason::Damaged);
    }

    void writingCreatesFile()
    {
        QVERIFY(Access::store(QStringLiteral("ABC")));
        QCOMPARE(contents(PasswordStore::path()), QByteArray("[Accesso]\r\nValore=485529\r\n"));
        QCOMPARE(Access::stored().value(), QStringLiteral("ABC"));
    }

    void writingKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replaces the key")
            << QByteArray("[Accesso]\r\nValore=FF\r\n") << QByteArray("[Accesso]\r\nValore=48\r\n");
        QTest::newRow("keeps other sections and keys")
            << QByteArray("; copia\n[Altro]\nValore=FF\n[accesso]\nChiave=1\nVALORE=FF\nDopo=2\n\n[Fine]\nX=1\n")
            << QByteArray("; copia\n[Altro]\nValore=FF\n[accesso]\nChiave=1\nValore=48\nDopo=2\n\n[Fine]\nX=1\n");
        QTest::newRow("adds the key to the section") << QByteArray("[Accesso]\nChiave=1\n\n[Fine]\nX=1\n")
                                                     << QByteArray("[Accesso]\nChiave=1\nValore=48\n\n[Fine]\nX=1\n");
        QTest::newRow("adds the section")
            << QByteArray("[Altro]\r\nX=1\r\n") << QByteArray("[Altro]\r\nX=1\r\n\r\n[Accesso]\r\nValore=48\r\n");
    }
    void writingKeepsTheRest()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        put(PasswordStore::path(), before);
        QVERIFY(PasswordStore::write(QStringLiteral("48")));
        QCOMPARE(contents(PasswordStore::path()), after);
    }

    void failedWriteLeavesOldPassword()
    {
        QVERIFY(Access::store(QStringLiteral("ABC")));
        const QByteArray before = contents(PasswordStore::path());
        // The disk fills up while the new store is written.
        Os::Faults::arm(diskFault(DiskFault::ShortWrite, 1, "unins000.dll"));
        const auto stored = Access::store(QStringLiteral("NUOVA"));
        Os::Faults::disarm();
        QVERIFY(!stored);
        QCOMPARE(stored.error().reason, PasswordStore::Error::Reason::NotWritten);
        QCOMPARE(stored.error().why, WriteError::WriteFailed);
        QCOMPARE(contents(PasswordStore::path()), before);
        QCOMPARE(Access::stored().value(), QStringLiteral("ABC"));
        // Nothing half-written is left beside the store.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "unins000.dll" });
    }

    void writingToAMissingFolderFails()
    {
        setProgramFolderOverride(m_dir->path() + QStringLiteral("/manca"));
        QVERIFY(!Access::store(QStringLiteral("ABC")));
    }
};

QTEST_GUILESS_MAIN(TestPasswordStore)
#include "tst_passwordstore.moc"
