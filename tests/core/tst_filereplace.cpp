#include "storage/FileReplace.h"
#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"

#include "storage/DiskSync.h"
#include "storage/Leftovers.h"
#include "storage/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

Q_DECLARE_METATYPE(WriteError)

class TestFileReplace : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("1.jpg"));
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old photo") == 9);
    }
    void cleanup()
    {
        Os::Faults::disarm();
        FileReplace::setLetterSource({});
        setProgramFolderOverride(QString());
    }

    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    // Each failing step, on the first or the last of several writes: the old file stays whole, nothing is
    // left beside it, and the same replacement without the fault succeeds.
    void anyFailingStepKeepsTheOldFile_data()
    {
        QTest::addColumn<DiskFault>("step");
        QTest::addColumn<int>("call");
        using S = DiskFault;
        QTest::newRow("first write stores nothing") << S::Write << 1;
        QTest::newRow("last write stores nothing") << S::Write << 3;
        QTest::newRow("first write stores half") << S::ShortWrite << 1;
        QTest::newRow("last write stores half") << S::ShortWrite << 3;
        QTest::newRow("flush to disk") << S::Flush << 1;
        QTest::newRow("rename") << S::Rename << 1;
    }
    void anyFailingStepKeepsTheOldFile()
    {
        QFETCH(DiskFault, step);
        QFETCH(int, call);
        Os::Faults::arm(diskFault(step, call));
        const QList<QByteArray> pieces { QByteArray(70000, 'a'), "b", QByteArray(300, 'c') };
        {
            FileReplace file(m_path);
            QVERIFY(file.open());
            bool written = true;
            for (const QByteArray &piece : pieces)
                written = file.write(piece) && written;
            QCOMPARE(written, step > DiskFault::ShortWrite);
            QVERIFY(!file.commit());
            QVERIFY(!file.commit()); // and stays failed
        }
        QVERIFY(Os::Faults::fired());
        QCOMPARE(contents(m_path), QByteArray("old photo"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "1.jpg" });

        Os::Faults::disarm();
        QVERIFY(FileReplace::replace(m_path, pieces.join()));
        QCOMPARE(contents(m_path), pieces.join());
    }

    void aFolderInPlaceOfTheFileIsNotReplaced()
    {
        const QString folder = m_dir->filePath(QStringLiteral("2.jpg"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!FileReplace::replace(folder, "new"));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!FileReplace::replace(m_dir->filePath(QStringLiteral("manca/3.jpg")), "new"));
    }

    // A name already as long as the folder allows still leaves room for the temporary's letters.
    void aNameAsLongAsAllowedIsReplaced()
    {
        const QString longest = m_dir->filePath(QString(255, QLatin1Char('n')));
        QVERIFY(FileReplace::replace(longest, "old"));
        QVERIFY(FileReplace::replace(longest, "new"));
        QCOMPARE(contents(longest), QByteArray("new"));
        QCOMPARE(files().size(), 2); // 1.jpg and the long one, nothing beside them
    }

    // Each refusal carries its own reason, for the caller's message.
    void aRefusalSaysWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failing"); // a DiskFault, or -1
        QTest::addColumn<WriteError>("error");
        QTest::newRow("a link out of the program folder") << "fuori.jpg" << -1 << WriteError::LinkOutside;
        QTest::newRow("a link to nothing") << "rotto.jpg" << -1 << WriteError::LinkOutside;
        QTest::newRow("a folder in the file's place") << "cartella.jpg" << -1 << WriteError::NameRefused;
        QTest::newRow("a name too long") << QString(300, QLatin1Char('n')) << -1 << WriteError::NameRefused;
        QTest::newRow("a missing folder") << "manca/3.jpg" << -1 << WriteError::WriteFailed;
        QTest::newRow("a full disk") << "1.jpg" << int(DiskFault::Write) << WriteError::WriteFailed;
        QTest::newRow("a failing flush") << "1.jpg" << int(DiskFault::Flush) << WriteError::WriteFailed;
    }
    void aRefusalSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(int, failing);
        QFETCH(WriteError, error);
        const QString program = m_dir->filePath(QStringLiteral("programma"));
        const QString outside = m_dir->filePath(QStringLiteral("altrove"));
        QVERIFY(QDir().mkpath(program + QStringLiteral("/cartella.jpg")) && QDir().mkpath(outside));
        QVERIFY(QFile::link(outside + QStringLiteral("/foto.jpg"), program + QStringLiteral("/fuori.jpg")));
        QVERIFY(QFile::link(program + QStringLiteral("/niente.jpg"), program + QStringLiteral("/rotto.jpg")));
        QVERIFY(QFile::copy(m_path, outside + QStringLiteral("/foto.jpg")));
        setProgramFolderOverride(program);
        if (failing >= 0)
            Os::Faults::arm(diskFault(DiskFault(failing)));

        const WriteResult result = FileReplace::replace(programPath(name), "new");
        QVERIFY(!result);
        QCOMPARE(result.error(), error);
        QCOMPARE(contents(outside + QStringLiteral("/foto.jpg")), QByteArray("old photo"));
        QVERIFY(!QFileInfo::exists(program + QStringLiteral("/niente.jpg")));
        QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2); // the two links
    }

    // Links planted at the names the temporary may take, and another writer's temporary, are never
    // written through or touched: the writer takes a name that is free.
    void theTemporaryNeverGoesThroughWhatIsAtItsName()
    {
        setProgramFolderOverride(m_dir->path());
        const QString victim = m_dir->filePath(QStringLiteral("Magazzino.pro"));
        QVERIFY(QFile::copy(m_path, victim));
        const QString outside = m_dir->filePath(QStringLiteral("altrove"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QFile::link(victim, m_path + QStringLiteral(".AbCdEf")));
        QVERIFY(QFile::link(outside + QStringLiteral("/segreto"), m_path + QStringLiteral(".GhIjKl")));
        {
            QFile other(m_path + QStringLiteral(".MnOpQr"));
            QVERIFY(other.open(QIODevice::WriteOnly) && other.write("another writer's") == 16);
        }
        QStringList names { "AbCdEf", "GhIjKl", "MnOpQr", "StUvWx" };
        QStringList tried;
        FileReplace::setLetterSource([&] {
            tried << names.first();
            return names.takeFirst();
        });
        QVERIFY(FileReplace::replace(m_path, "new photo"));
        QCOMPARE(tried, (QStringList { "AbCdEf", "GhIjKl", "MnOpQr", "StUvWx" }));
        QCOMPARE(contents(m_path), QByteArray("new photo"));
        QCOMPARE(contents(victim), QByteArray("old photo"));
        QVERIFY(!QFileInfo::exists(outside + QStringLiteral("/segreto")));
        QCOMPARE(contents(m_path + QStringLiteral(".MnOpQr")), QByteArray("another writer's"));
        QVERIFY(QFileInfo(m_path + QStringLiteral(".AbCdEf")).isSymLink());
        QVERIFY(!QFileInfo::exists(m_path + QStringLiteral(".StUvWx")));

        // When every name tried is taken, nothing is written anywhere.
        FileReplace::setLetterSource([] { return QStringLiteral("AbCdEf"); });
        const WriteResult result = FileReplace::replace(m_path, "newer photo");
        QCOMPARE(result.error(), WriteError::WriteFailed);
        QCOMPARE(contents(m_path), QByteArray("new photo"));
        QCOMPARE(contents(victim), QByteArray("old photo"));
    }

    // Every temporary has the shape the start-up clean-up removes, and two writers never share one:
    // each replaces the file whole, the last one to commit wins.
    void twoWritersAtOnceEachWriteAWholeFile()
    {
        // Many rounds for many random names; waiting for the disk would only slow them.
        DiskSync::setEnabled(false);
        const auto syncAgain = qScopeGuard([] { DiskSync::setEnabled(true); });
        for (int round = 0; round < 100; ++round) {
            FileReplace first(m_path);
            FileReplace second(m_path);
            QVERIFY(first.open() && second.open());
            QVERIFY(first.temporaryPath() != second.temporaryPath());
            for (const FileReplace *f : { &first, &second }) {
                const QString name = QFileInfo(f->temporaryPath()).fileName();
                QVERIFY2(Leftovers::isInterruptedSave(QString(), name), qPrintable(name));
            }
            QVERIFY(first.write(QByteArray(5000, 'a')) && second.write(QByteArray(3000, 'b')));
            QVERIFY(first.write(QByteArray(5000, 'a')) && second.write(QByteArray(3000, 'b')));
            QVERIFY(second.commit());
            QCOMPARE(contents(m_path), QByteArray(6000, 'b'));
            QVERIFY(first.commit());
            QCOMPARE(contents(m_path), QByteArray(10000, 'a'));
        }
        QCOMPARE(files(), QStringList { "1.jpg" });
    }

    // A library that writes to a name gets the temporary; the file is replaced only on commit, and a
    // file whose end never reached the disk is told apart.
    void aLibraryWritesToTheTemporaryByName()
    {
        for (const bool keep : { false, true }) {
            FileReplace file(m_path);
            QVERIFY(file.open());
            QFile library(file.temporaryPath());
            QVERIFY(library.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(library.write("%PDF ... %%EOF\n"), 15);
            library.close();
            QCOMPARE(contents(m_path), QByteArray("old photo"));
            QVERIFY(file.endsWith("%%EOF\n"));
            QVERIFY(!file.endsWith("%%EOF\n\n"));
            if (keep) {
                QVERIFY(file.commit());
                QCOMPARE(contents(m_path), QByteArray("%PDF ... %%EOF\n"));
            } else {
                file.cancel();
                QCOMPARE(contents(m_path), QByteArray("old photo"));
                QVERIFY(!file.commit());
            }
            QCOMPARE(files(), QStringList { "1.jpg" });
        }
    }
};

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
