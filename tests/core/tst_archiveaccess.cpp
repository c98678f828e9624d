#include "storage/ArchiveFile.h"
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
};

QTEST_GUILESS_MAIN(TestArchiveAccess)
#include "tst_archiveaccess.moc"
