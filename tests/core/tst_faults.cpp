// The fault seam under the system module: which call a fault picks, what the caller then sees, and the
// hook the crash and lock tests rely on.
#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

using Os::Faults::Kind;

class TestFaults : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    std::string pathOf(const char *name) const { return QFile::encodeName(m_dir->filePath(name)).toStdString(); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        Os::Faults::disarm();
        m_dir.reset();
    }

    // Writes go in turn to an archive and to a temporary named after it; "x" marks the writes that fail.
    void aFaultPicksItsCalls_data()
    {
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("wholeName");
        QTest::addColumn<bool>("lasting");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<int>("counted");
        QTest::newRow("the second write anywhere") << 2 << QString() << false << false << ".x...." << 6;
        QTest::newRow("on any file with the name") << 3 << "Magazzino.pro" << false << false << "..x..." << 6;
        QTest::newRow("on the archive itself") << 2 << "Magazzino.pro" << true << false << "..x..." << 3;
        QTest::newRow("on the temporary only") << 1 << "Magazzino.pro." << false << false << ".x...." << 3;
        QTest::newRow("from the second on") << 2 << "Magazzino.pro" << true << true << "..x.x." << 3;
        QTest::newRow("none: only counting") << 0 << QString() << false << false << "......" << 6;
    }
    void aFaultPicksItsCalls()
    {
        QFETCH(int, call);
        QFETCH(QString, path);
        QFETCH(bool, wholeName);
        QFETCH(bool, lasting);
        QFETCH(QString, failed);
        QFETCH(int, counted);
        Os::Faults::arm({ .kind = Kind::Write,
            .call = call,
            .path = path.toStdString(),
            .wholeName = wholeName,
            .lasting = lasting });
        const Os::File files[]
            = { Os::createNew(pathOf("Magazzino.pro")), Os::createNew(pathOf("Magazzino.pro.AbCdEf")) };
        QString seen;
        for (int i = 0; i < 6; ++i)
            seen += Os::writeAt(files[i % 2], i / 2, "r", 1) ? QLatin1Char('.') : QLatin1Char('x');
        QCOMPARE(seen, failed);
        QCOMPARE(Os::Faults::fired(), failed.contains(QLatin1Char('x')));
        QCOMPARE(Os::Faults::calls(Kind::Write), counted);
        for (Os::File f : files)
            QVERIFY(Os::close(f));
    }

    // The caller sees the failure as the system's own: the chosen reason, and nothing done.
    void theCallerSeesTheChosenReason_data()
    {
        QTest::addColumn<Os::Error>("error");
        QTest::newRow("not found") << Os::Error::NotFound;
        QTest::newRow("busy") << Os::Error::Busy;
        QTest::newRow("name refused") << Os::Error::NameRefused;
        QTest::newRow("other") << Os::Error::Other;
    }
    void theCallerSeesTheChosenReason()
    {
        QFETCH(Os::Error, error);
        Os::Faults::arm({ .kind = Kind::Create, .call = 1, .error = error });
        QCOMPARE(Os::createNew(pathOf("nuovo")), Os::kNoFile);
        QCOMPARE(Os::lastError(), error);
        QVERIFY(!QFile::exists(m_dir->filePath("nuovo")));
        // The next call works again.
        const Os::File file = Os::createNew(pathOf("nuovo"));
        QVERIFY(file != Os::kNoFile);
        QVERIFY(Os::close(file));
    }

    void aHalfWriteStoresHalfItsBytes()
    {
        // Opened before arming, a file is not known by its name: a fault on the name leaves it alone.
        const Os::File before = Os::createNew(pathOf("prima.jpg"));
        Os::Faults::arm(diskFault(DiskFault::ShortWrite, 1, ".jpg"));
        QVERIFY(Os::writeAt(before, 0, "abcdefgh", 8));
        const Os::File file = Os::createNew(pathOf("foto.jpg"));
        QVERIFY(!Os::writeAt(file, 0, "abcdefgh", 8));
        Os::Status status;
        QVERIFY(Os::status(file, status));
        QCOMPARE(status.size, 4);
        QVERIFY(Os::close(file) && Os::close(before));
    }

    // The hook sees each call it picks with its number and path, before the call, even when none fails.
    void theHookSeesEveryPickedCall()
    {
        QStringList seen;
        Os::Faults::Fault watch;
        watch.hook = [&](Kind kind, int call, const std::string &path) {
            // A rename's path holds both names; the last one is the new name.
            seen << QStringLiteral("%1 %2 %3")
                        .arg(int(kind))
                        .arg(call)
                        .arg(QFileInfo(QString::fromStdString(path)).fileName());
        };
        Os::Faults::arm(watch);
        const Os::File file = Os::createNew(pathOf("a"));
        QVERIFY(Os::writeAt(file, 0, "x", 1));
        QVERIFY(Os::close(file));
        QVERIFY(Os::replace(pathOf("a"), pathOf("b")));
        QCOMPARE(seen,
            (QStringList { QStringLiteral("%1 1 a").arg(int(Kind::Create)),
                QStringLiteral("%1 2 a").arg(int(Kind::Write)), QStringLiteral("%1 3 a").arg(int(Kind::Close)),
                QStringLiteral("%1 4 b").arg(int(Kind::Rename)) }));
        QVERIFY(!Os::Faults::fired());
        QCOMPARE(Os::Faults::calls(), 4);
        QCOMPARE(Os::Faults::calls(Kind::Write), 1);
    }

    // Jobs write on worker threads: every call is counted once, and the chosen one fails exactly once.
    void callsFromManyThreadsAreCountedOnce()
    {
        Os::Faults::arm({ .kind = Kind::Write, .call = 250 });
        std::vector<Os::File> files;
        for (int t = 0; t < 4; ++t)
            files.push_back(Os::createNew(pathOf(QByteArray::number(t).constData())));
        std::atomic<int> failures { 0 };
        std::vector<std::thread> threads;
        for (Os::File file : files)
            threads.emplace_back([&, file] {
                for (int i = 0; i < 100; ++i)
                    if (!Os::writeAt(file, i, "r", 1))
                        ++failures;
            });
        for (std::thread &t : threads)
            t.join();
        QCOMPARE(failures.load(), 1);
        QCOMPARE(Os::Faults::calls(Kind::Write), 400);
        for (Os::File file : files)
            QVERIFY(Os::close(file));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
