// The system module as the rest of the program uses it: what each call does with what it finds at a
// name, reading and writing at offsets, the lock between two openings, and the folder listing.
#include "storage/platform/Os.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {
std::string native(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Something to find at a name before the call.
enum class Found { Nothing, File, Folder, DanglingLink };

// Each call opens at most one file; the guard closes it whatever the test does.
struct Opened
{
    Os::File file = Os::kNoFile;
    ~Opened()
    {
        if (file != Os::kNoFile)
            static_cast<void>(Os::close(file));
    }
};
} // namespace

Q_DECLARE_METATYPE(Found)
Q_DECLARE_METATYPE(Os::Error)

class TestPlatform : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void callAtAName_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<Found>("found");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<Os::Error>("error");
        using E = Os::Error;
        QTest::newRow("open: nothing") << "openExisting" << Found::Nothing << false << E::NotFound;
        QTest::newRow("open: a file") << "openExisting" << Found::File << true << E::None;
        QTest::newRow("open: a folder") << "openExisting" << Found::Folder << false << E::NotAFile;
        QTest::newRow("open: a dangling link") << "openExisting" << Found::DanglingLink << false << E::NotFound;
        QTest::newRow("open no link: a file") << "openNoLink" << Found::File << true << E::None;
        QTest::newRow("open no link: a dangling link") << "openNoLink" << Found::DanglingLink << false << E::Other;
        QTest::newRow("create: nothing") << "createNew" << Found::Nothing << true << E::None;
        QTest::newRow("create: a file") << "createNew" << Found::File << false << E::Exists;
        QTest::newRow("create: a folder") << "createNew" << Found::Folder << false << E::Exists;
        QTest::newRow("create: a dangling link") << "createNew" << Found::DanglingLink << false << E::Exists;
        QTest::newRow("replace: nothing") << "replace" << Found::Nothing << true << E::None;
        QTest::newRow("replace: a file") << "replace" << Found::File << true << E::None;
        QTest::newRow("replace: a folder") << "replace" << Found::Folder << false << E::NotAFile;
        QTest::newRow("remove: nothing") << "remove" << Found::Nothing << false << E::NotFound;
        QTest::newRow("remove: a file") << "remove" << Found::File << true << E::None;
        QTest::newRow("remove: a folder") << "remove" << Found::Folder << false << E::NotAFile;
        QTest::newRow("remove: a dangling link") << "remove" << Found::DanglingLink << true << E::None;
    }
    void callAtAName()
    {
        QFETCH(QString, call);
        QFETCH(Found, found);
        QFETCH(bool, succeeds);
        QFETCH(Os::Error, error);
        const QString target = path(QStringLiteral("Magazzino.pro"));
        const QString elsewhere = path(QStringLiteral("altrove/segreto"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("altrove"))));
        switch (found) {
        case Found::Nothing:
            break;
        case Found::File:
            QVERIFY(writeFile(target, "old"));
            break;
        case Found::Folder:
            QVERIFY(QDir().mkpath(target));
            break;
        case Found::DanglingLink:
            QVERIFY(QFile::link(elsewhere, target));
            break;
        }
        QVERIFY(writeFile(path(QStringLiteral("new")), "new"));

        Opened opened;
        bool done = false;
        if (call == QLatin1String("openExisting")) {
            opened.file = Os::openExisting(native(target));
            done = opened.file != Os::kNoFile;
        } else if (call == QLatin1String("openNoLink")) {
            opened.file = Os::openNoLink(native(target));
            done = opened.file != Os::kNoFile;
        } else if (call == QLatin1String("createNew")) {
            opened.file = Os::createNew(native(target));
            done = opened.file != Os::kNoFile;
        } else if (call == QLatin1String("remove")) {
            done = Os::remove(native(target));
        } else {
            done = Os::replace(native(path(QStringLiteral("new"))), native(target));
        }
        QCOMPARE(done, succeeds);
        if (!done) {
            QCOMPARE(Os::lastError(), error);
            QVERIFY(!Os::lastErrorText().empty());
        }
        // Never a file made where a link points.
        QVERIFY(!QFileInfo::exists(elsewhere));
        if (call == QLatin1String("createNew") && done)
            QCOMPARE(contents(target), QByteArray());
        if (call == QLatin1String("replace"))
            QCOMPARE(contents(target), done ? QByteArray("new") : QByteArray("<missing>"));
        if (call == QLatin1String("remove") && done)
            QVERIFY(!QFileInfo(target).exists() && !QFileInfo(target).isSymLink());
        if (found == Found::File && call != QLatin1String("replace") && call != QLatin1String("remove"))
            QCOMPARE(contents(target), QByteArray("old"));
    }

    void aNameTooLongIsRefused()
    {
        const int longest = Os::nameMax(native(m_dir->path()));
        QVERIFY(longest >= 14);
        QVERIFY(Os::createNew(native(path(QString(longest, QLatin1Char('a'))))) != Os::kNoFile);
        QCOMPARE(Os::createNew(native(path(QString(longest + 1, QLatin1Char('b'))))), Os::kNoFile);
        QCOMPARE(Os::lastError(), Os::Error::NameRefused);
    }

    // Offsets past 4 GiB need the 64-bit calls; the file stays sparse, so this costs no disk.
    void readAndWriteAtOffsets()
    {
        Opened f;
        f.file = Os::createNew(native(path(QStringLiteral("a.lis"))));
        QVERIFY(f.file != Os::kNoFile);
        QVERIFY(Os::writeAt(f.file, 0, "abcdef", 6));
        QVERIFY(Os::writeAt(f.file, 2, "XY", 2));
        char buffer[16] = {};
        QCOMPARE(Os::readAt(f.file, 0, buffer, 16), std::int64_t(6)); // short at the end, not an error
        QCOMPARE(QByteArray(buffer, 6), QByteArray("abXYef"));
        QCOMPARE(Os::readAt(f.file, 6, buffer, 4), std::int64_t(0));
        const std::int64_t far = (std::int64_t(1) << 32) + 3;
        QVERIFY(Os::writeAt(f.file, far, "Z", 1));
        Os::Status status;
        QVERIFY(Os::status(f.file, status));
        QCOMPARE(status.size, far + 1);
        QVERIFY(status.regularFile);
        QVERIFY(!status.readOnly);
        QCOMPARE(Os::readAt(f.file, far, buffer, 4), std::int64_t(1));
        QCOMPARE(buffer[0], 'Z');
        QVERIFY(Os::syncFile(f.file));
        QVERIFY(Os::syncFolder(native(m_dir->path())));
        QVERIFY(Os::close(f.file));
        f.file = Os::kNoFile;
    }

    void aFileMarkedReadOnlyShowsSo()
    {
        const QString name = path(QStringLiteral("chiuso.pro"));
        QVERIFY(writeFile(name, "x"));
        Opened f;
        f.file = Os::openExisting(native(name));
        QVERIFY(f.file != Os::kNoFile);
        QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        Os::Status status;
        QVERIFY(Os::status(f.file, status));
        QVERIFY(status.readOnly);
    }

    // Two openings of one file, as two copies of the program: readers share, a writer is alone; a lock
    // is free again once its holder lets it go, by unlocking or by closing.
    void locksBetweenTwoOpenings_data()
    {
        QTest::addColumn<bool>("firstShared");
        QTest::addColumn<bool>("secondShared");
        QTest::addColumn<bool>("together");
        QTest::newRow("writer, writer") << false << false << false;
        QTest::newRow("writer, reader") << false << true << false;
        QTest::newRow("reader, writer") << true << false << false;
        QTest::newRow("reader, reader") << true << true << true;
    }
    void locksBetweenTwoOpenings()
    {
        QFETCH(bool, firstShared);
        QFETCH(bool, secondShared);
        QFETCH(bool, together);
        const std::string name = native(path(QStringLiteral("Magazzino.pro")));
        Opened first, second;
        first.file = Os::createNew(name);
        second.file = Os::openExisting(name);
        QVERIFY(first.file != Os::kNoFile && second.file != Os::kNoFile);
        auto take = [](Os::File file, bool shared) { return shared ? Os::tryLockShared(file) : Os::tryLock(file); };
        QVERIFY(take(first.file, firstShared));
        QCOMPARE(take(second.file, secondShared), together);
        if (together)
            return;
        QCOMPARE(Os::lastError(), Os::Error::Busy);
        QVERIFY(Os::unlock(first.file));
        QVERIFY(take(second.file, secondShared));
        QVERIFY(!take(first.file, firstShared));
        QVERIFY(Os::close(second.file));
        second.file = Os::kNoFile;
        QVERIFY(take(first.file, firstShared));
    }

    // A roll-back cuts a file back to the bytes it had; growing adds zeros.
    void truncateSetsTheLength()
    {
        Opened f;
        f.file = Os::createNew(native(path(QStringLiteral("Fiori.lis"))));
        QVERIFY(f.file != Os::kNoFile);
        QVERIFY(Os::writeAt(f.file, 0, "abcdefghij", 10));
        QVERIFY(Os::truncate(f.file, 4));
        QCOMPARE(contents(path(QStringLiteral("Fiori.lis"))), QByteArray("abcd"));
        QVERIFY(Os::truncate(f.file, 6));
        QCOMPARE(contents(path(QStringLiteral("Fiori.lis"))), QByteArray("abcd\0\0", 6));
        QVERIFY(Os::truncate(f.file, 0));
        QCOMPARE(contents(path(QStringLiteral("Fiori.lis"))), QByteArray());
        QVERIFY(!Os::truncate(f.file, -1));
        QVERIFY(Os::lastError() != Os::Error::None);
    }

    void listsTheFilesWithAnEnding()
    {
        for (const char *name : { "Estate.lis", "INVERNO.LIS", "note.txt", "lis", ".lis" })
            QVERIFY(writeFile(path(QString::fromLatin1(name)), "x"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("Cartella.lis"))));
        QVERIFY(QFile::link(path(QStringLiteral("Estate.lis")), path(QStringLiteral("Collegata.lis"))));
        QVERIFY(QFile::link(path(QStringLiteral("manca")), path(QStringLiteral("Rotta.lis"))));
        // A name that is not UTF-8 arrives as the bytes it is.
        const std::string latin1 = native(m_dir->path()) + "/Caff\xE8.lis";
        Opened raw;
        raw.file = Os::createNew(latin1);
        QVERIFY(raw.file != Os::kNoFile);

        std::vector<std::string> names = Os::regularFiles(native(m_dir->path()), ".lis");
        std::sort(names.begin(), names.end());
        const std::vector<std::string> expected { ".lis", "Caff\xE8.lis", "Collegata.lis", "Estate.lis",
            "INVERNO.LIS" };
        QCOMPARE(names, expected);
        QVERIFY(Os::regularFiles(native(path(QStringLiteral("manca"))), ".lis").empty());
    }

    void knowsItsOwnExecutable()
    {
        QCOMPARE(QFileInfo(QFile::decodeName(QByteArray::fromStdString(Os::executablePath()))).canonicalFilePath(),
            QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
