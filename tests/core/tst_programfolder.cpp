#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestProgramFolder : public QObject
{
    Q_OBJECT

private slots:
    void foundFromAnotherWorkingDirectory()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        // An installation under a path with blanks, started from a folder holding a decoy store.
        const QString folder = root.filePath(QStringLiteral("Programmi/Vetrinova negozio"));
        const QString elsewhere = root.filePath(QStringLiteral("altrove"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(elsewhere));
        const QString program = folder + QStringLiteral("/programfolder_probe");
        QVERIFY(QFile::copy(QStringLiteral(PROBE_PATH), program));
        auto put = [](const QString &path, const QByteArray &bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        put(folder + QStringLiteral("/unins000.dll"), "[Accesso]\nValore=485529\n");
        put(elsewhere + QStringLiteral("/unins000.dll"), "[Accesso]\nValore=FFFF\n");

        QProcess probe;
        probe.setWorkingDirectory(elsewhere);
        probe.start(program, {});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(probe.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QFileInfo(folder).canonicalFilePath() + QLatin1Char('/'));
        QCOMPARE(lines.value(1), QStringLiteral("485529"));
    }

    void shippedStoreHoldsTheFirstAccessPasswordAndIsNeverOverwritten()
    {
        QTemporaryDir dir;
        const QString store = dir.filePath(QStringLiteral("unins000.dll"));
        QCOMPARE(QProcess::execute(QStringLiteral(STORE_TOOL_PATH), { store }), 0);
        QCOMPARE(Crypt::decode(PasswordStore::read(store).value()), QStringLiteral("VETRINOVA"));
        // A password changed by the user survives the next build.
        QVERIFY(PasswordStore::write(store, Crypt::encode(QStringLiteral("MIA"))));
        QCOMPARE(QProcess::execute(QStringLiteral(STORE_TOOL_PATH), { store }), 0);
        QCOMPARE(Crypt::decode(PasswordStore::read(store).value()), QStringLiteral("MIA"));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
