#include "storage/ArchiveResult.h"
#include "storage/FileReplace.h"
#include "storage/LogFile.h"
#include "storage/Logging.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

namespace {
QByteArray logText(const QString &name = ProgramFiles::logName())
{
    QFile file(programPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> logLines(const QString &name = ProgramFiles::logName())
{
    QList<QByteArray> lines = logText(name).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

Q_LOGGING_CATEGORY(lcOther, "altro.modulo")
} // namespace

class TestLogFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
        LogFile::install();
    }
    void cleanup()
    {
        LogFile::uninstall();
        LogFile::setLimit(0);
        setProgramFolderOverride(QString());
    }

    // A folder stands where the program writes: the step fails, and the log says which file and why.
    void aFailedStorageStepIsLoggedWithItsReason_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("whole file") << "1.jpg" << QByteArray("name refused");
        QTest::newRow("archive") << "Magazzino.pro" << QByteArray("(failed)");
    }
    void aFailedStorageStepIsLoggedWithItsReason()
    {
        QFETCH(QString, blocked);
        QFETCH(QByteArray, reason);
        QVERIFY(QDir(m_dir->path()).mkdir(blocked));
        if (blocked == QLatin1String("1.jpg"))
            QVERIFY(!FileReplace::replace(programPath(blocked), "jpg"));
        else
            QVERIFY(!archiveResult([] { return WarehouseArchive::read(1); }));

        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(" warning vetrinova.storage: ") && lines[0].contains(reason), lines[0]);
        if (blocked == QLatin1String("1.jpg"))
            QVERIFY2(lines[0].contains(QFile::encodeName(blocked)), lines[0]);
        // The log is no program file: a safety copy neither holds nor restores it.
        QVERIFY(!ProgramFiles::isProgramFile(ProgramFiles::logName()));
        QVERIFY(!ProgramFiles::all().contains(ProgramFiles::logName()));
    }

    void keepsWarningsAndTheProgramsOwnInfoLines()
    {
        qCDebug(lcStorage, "a debug line");
        qCInfo(lcOther, "someone else's info");
        qCInfo(lcCopy, "safety copy done");
        qCWarning(lcOther, "someone else's warning\non two lines");
        qCCritical(lcStorage, "critical");
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].endsWith(" info vetrinova.copy: safety copy done"), lines[0]);
        QVERIFY2(lines[1].endsWith(" warning altro.modulo: someone else's warning on two lines"), lines[1]);
        QVERIFY2(lines[2].endsWith(" critical vetrinova.storage: critical"), lines[2]);
    }

    void aFullLogBecomesThePreviousOneAndTwoAreKept()
    {
        LogFile::setLimit(1000);
        const int count = 100;
        for (int i = 0; i < count; ++i)
            qCWarning(lcStorage, "line %03d", i);
        const QList<QByteArray> current = logLines();
        const QList<QByteArray> previous = logLines(ProgramFiles::previousLogName());
        QVERIFY(QFileInfo(programPath(ProgramFiles::logName())).size() <= 1000);
        QVERIFY(QFileInfo(programPath(ProgramFiles::previousLogName())).size() <= 1000);
        QVERIFY(!current.isEmpty() && !previous.isEmpty());
        // The newest lines, without a gap between the two files; the oldest are gone.
        QVERIFY2(current.last().endsWith("line 099"), current.last());
        const QList<QByteArray> both = previous + current;
        for (qsizetype i = 0; i < both.size(); ++i)
            QVERIFY2(both[i].endsWith(
                         QByteArray("line ") + QByteArray::number(count - both.size() + i).rightJustified(3, '0')),
                both[i]);
        QVERIFY(both.size() < count);
        const QStringList logs = QDir(m_dir->path()).entryList({ QStringLiteral("Vetrinova*") }, QDir::Files);
        QCOMPARE(logs, (QStringList { ProgramFiles::previousLogName(), ProgramFiles::logName() }));
    }

    void linesFromManyThreadsStayWhole()
    {
        const int threads = 4;
        const int each = 200;
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([t] {
                for (int i = 0; i < each; ++i)
                    qCWarning(lcStorage, "thread %d line %d ------------------------------------------", t, i);
            });
        for (std::thread &w : workers)
            w.join();
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), threads * each);
        for (const QByteArray &line : lines)
            QVERIFY2(line.contains(" warning vetrinova.storage: thread ") && line.endsWith('-'), line);
    }

    void aLogThatCannotBeWrittenIsSilent()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(ProgramFiles::logName()));
        qCWarning(lcStorage, "nowhere to go");
        QVERIFY(QFileInfo(programPath(ProgramFiles::logName())).isDir());
        QVERIFY(!QFileInfo::exists(programPath(ProgramFiles::previousLogName())));
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
