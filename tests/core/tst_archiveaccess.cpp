#include "app/rules/PasswordStore.h"
#include "storage/ArchiveFile.h"
#include "storage/DiskSync.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestArchiveAccess : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup() { setProgramFolderOverride(QString()); }

    void missingArchiveIsCreatedEmpty()
    {
        const QString path = programPath(QStringLiteral("Fiori.lis"));
        ArchiveFile file(path, 3696);
        QCOMPARE(file.count(), 0);
        file.close();
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void readOnlyArchiveIsRefused()
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("A1");
        WarehouseArchive::append(card);
        const QString path = warehousePath();
        QFile f(path);
        const QByteArray before = bytes(path);
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        // Refused for reading as well as writing, whoever runs the program.
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::count());
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::append(card));
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(bytes(path), before);
    }

    void savesWaitForTheDisk()
    {
        // Each save flushes what it wrote before it returns, and the folder when a name appeared in it.
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("A1");
        const struct
        {
            const char *what;
            std::function<void()> save;
            int flushes;
        } saves[] = {
            { "first card, archive made", [&] { WarehouseArchive::append(card); }, 2 },
            { "second card", [&] { WarehouseArchive::append(card); }, 1 },
            { "card rewritten", [&] { WarehouseArchive::overwrite(1, card); }, 1 },
            { "card only read", [&] { WarehouseArchive::read(1); }, 0 },
            { "photo replaced", [] { QVERIFY(FileReplace::replace(programPath(QStringLiteral("1.jpg")), "jpg")); }, 2 },
            { "password stored",
                [] {
                    QVERIFY(PasswordStore::write(programPath(QStringLiteral("unins000.dll")), QStringLiteral("48")));
                },
                2 },
        };
        for (const auto &s : saves) {
            const int before = DiskSync::count();
            s.save();
            QVERIFY2(DiskSync::count() - before == s.flushes, s.what);
        }
    }
};

QTEST_GUILESS_MAIN(TestArchiveAccess)
#include "tst_archiveaccess.moc"
