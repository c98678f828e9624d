#include "storage/Leftovers.h"
#include "storage/ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

// The program killed while it writes a file leaves either the file it had or the new one, whole:
// a helper writes each kind of file in a loop, alternating two versions, and is killed at a random
// moment; every file it was writing must then equal one of the two versions byte for byte.
class TestCrashSafety : public QObject
{
    Q_OBJECT

private:
    static bool writeOnce(const QString &mode, const QString &folder, int version)
    {
        QProcess p;
        p.start(QStringLiteral(CRASH_WRITER_PATH), { mode, folder, QStringLiteral("once"), QString::number(version) });
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    /** Every file under `folder`, by path relative to it, with its bytes. */
    static QMap<QString, QByteArray> files(const QString &folder)
    {
        QMap<QString, QByteArray> out;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                out.insert(QDir(folder).relativeFilePath(path), f.readAll());
        }
        return out;
    }

private slots:
    void killedWriterLeavesAWholeFile_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("card photo") << "card";
        QTest::newRow("page photos") << "page";
        QTest::newRow("export") << "export";
        QTest::newRow("password change") << "password";
    }

    void killedWriterLeavesAWholeFile()
    {
        QFETCH(QString, mode);
        QTemporaryDir refs;
        const QString ref0 = refs.path() + QStringLiteral("/v0/");
        const QString ref1 = refs.path() + QStringLiteral("/v1/");
        QVERIFY(QDir().mkpath(ref0) && QDir().mkpath(ref1));
        QVERIFY(writeOnce(mode, ref0, 0));
        QVERIFY(writeOnce(mode, ref1, 1));
        const QMap<QString, QByteArray> versions[2] = { files(ref0), files(ref1) };
        QVERIFY(!versions[0].isEmpty());
        QCOMPARE(versions[0].keys(), versions[1].keys());

        int seen[2] = { 0, 0 };
        for (int round = 0; round < 5; ++round) {
            QTemporaryDir dir;
            const QString folder = dir.path() + QLatin1Char('/');
            for (auto it = versions[0].cbegin(); it != versions[0].cend(); ++it) {
                QVERIFY(QDir().mkpath(QFileInfo(folder + it.key()).path()));
                QFile f(folder + it.key());
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size());
            }
            QProcess writer;
            writer.start(QStringLiteral(CRASH_WRITER_PATH), { mode, folder });
            QVERIFY(writer.waitForStarted());
            // Killed after a random number of whole writes (none included), so mostly in the middle of one.
            const int lines = 1 + int(QRandomGenerator::global()->bounded(2));
            for (int got = 0; got < lines;) {
                if (writer.canReadLine()) {
                    writer.readLine();
                    ++got;
                } else {
                    QVERIFY2(writer.waitForReadyRead(30000), qPrintable(writer.readAllStandardError()));
                }
            }
            writer.kill();
            QVERIFY(writer.waitForFinished(30000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            // A write killed half-way may leave its temporary beside the file; the next start removes it.
            setProgramFolderOverride(folder);
            const QStringList removed = Leftovers::removeInterruptedSaves();
            setProgramFolderOverride(QString());
            QVERIFY2(removed.size() <= 1, qPrintable(removed.join(QLatin1Char(' '))));
            const QMap<QString, QByteArray> after = files(folder);
            // No half-written file stays behind under another name either.
            QCOMPARE(after.keys(), versions[0].keys());
            for (auto it = after.cbegin(); it != after.cend(); ++it) {
                const int version = it.value() == versions[0].value(it.key()) ? 0
                    : it.value() == versions[1].value(it.key())               ? 1
                                                                              : -1;
                QVERIFY2(version >= 0,
                    qPrintable(QStringLiteral("%1 torn (%2 bytes)").arg(it.key()).arg(it.value().size())));
                ++seen[version];
            }
        }
        qInfo("%s: files found old %d times, new %d times", qPrintable(mode), seen[0], seen[1]);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
