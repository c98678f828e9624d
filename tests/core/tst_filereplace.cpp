#include "storage/FileReplace.h"

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
    void cleanup() { FileReplace::setFaultInjector({}); }

    // Each failing step, on the first or the last of several writes: the old file stays whole, nothing is
    // left beside it, and the same replacement without the fault succeeds.
    void anyFailingStepKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("call");
        using S = FileReplace::Step;
        QTest::newRow("first write stores nothing") << int(S::Write) << 1;
        QTest::newRow("last write stores nothing") << int(S::Write) << 3;
        QTest::newRow("first write stores half") << int(S::ShortWrite) << 1;
        QTest::newRow("last write stores half") << int(S::ShortWrite) << 3;
        QTest::newRow("flush to disk") << int(S::Flush) << 1;
        QTest::newRow("rename") << int(S::Commit) << 1;
    }
    void anyFailingStepKeepsTheOldFile()
    {
        QFETCH(int, step);
        QFETCH(int, call);
        int calls = 0;
        FileReplace::setFaultInjector([&](FileReplace::Step s) { return int(s) == step && ++calls == call; });
        const QList<QByteArray> pieces { QByteArray(70000, 'a'), "b", QByteArray(300, 'c') };
        {
            FileReplace file(m_path);
            QVERIFY(file.open());
            bool written = true;
            for (const QByteArray &piece : pieces)
                written = file.write(piece) && written;
            QCOMPARE(written, step > int(FileReplace::Step::ShortWrite));
            QVERIFY(!file.commit());
            QVERIFY(!file.commit()); // and stays failed
        }
        QCOMPARE(calls, call);
        QCOMPARE(contents(m_path), QByteArray("old photo"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { "1.jpg" });

        FileReplace::setFaultInjector({});
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
};

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
