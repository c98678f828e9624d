#include "storage/ArchiveFile.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestStorage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup() { setProgramFolderOverride(QString()); }

    void paidFlagBytes()
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Pagato] = TSchedaProdotto::paidText(true);
        WarehouseArchive::append(card);
        card[TSchedaProdotto::Pagato] = TSchedaProdotto::paidText(false);
        WarehouseArchive::append(card);
        const QByteArray file = bytes(warehousePath());
        QCOMPARE(file.size(), 2 * 2592);
        QCOMPARE(file.mid(1083, 3), QByteArray("\x02\x53\xEC"));
        QCOMPARE(file.mid(2592 + 1083, 3), QByteArray("\x02\x4E\x6F"));
        QCOMPARE(WarehouseArchive::read(1)[TSchedaProdotto::Pagato], QStringLiteral("S\u00ec"));
    }

    void overwriteTouchesOnlyItsRecord()
    {
        for (int i = 1; i <= 10; ++i) {
            TSchedaProdotto card;
            card[TSchedaProdotto::Codice] = QStringLiteral("C%1").arg(i);
            WarehouseArchive::append(card);
        }
        const QByteArray before = bytes(warehousePath());
        TSchedaProdotto changed;
        changed[TSchedaProdotto::Codice] = QStringLiteral("NUOVO");
        changed[TSchedaProdotto::Note] = QString(300, QLatin1Char('x'));
        WarehouseArchive::overwrite(3, changed);
        const QByteArray after = bytes(warehousePath());
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(5184), before.left(5184));
        QCOMPARE(after.mid(7776), before.mid(7776));
        QVERIFY(after.mid(5184, 2592) != before.mid(5184, 2592));
        QCOMPARE(WarehouseArchive::read(3)[TSchedaProdotto::Note].size(), 250);
    }

    void strayTailIsNotARecord()
    {
        QFile f(warehousePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5284, '\0'));
        f.close();
        QCOMPARE(WarehouseArchive::count(), 2);
        QCOMPARE(WarehouseArchive::append(TSchedaProdotto()), 3);
        QCOMPARE(QFileInfo(warehousePath()).size(), 7776);
    }

    void fieldsAreTrimmedCutAndBounded()
    {
        char field[26] = {};
        writeTextField(field, 25, QStringLiteral("  ") + QString(30, QLatin1Char('A')) + QStringLiteral("  "));
        QCOMPARE(int(field[0]), 25);
        QCOMPARE(readTextField(field, 25), QString(25, QLatin1Char('A')));
        writeTextField(field, 25, QStringLiteral("  Rosa  "));
        QCOMPARE(int(field[0]), 4);
        // A length byte over the width never reads past the field.
        char damaged[4] = {char(200), 'A', 'B', 'C'};
        QCOMPARE(readTextField(damaged, 3), QStringLiteral("ABC"));
        char shorter[7] = {3, 'A', 'B', 'C', 'D', 'E', 'F'};
        QCOMPARE(readTextField(shorter, 6), QStringLiteral("ABC"));
    }

    void pagesAppendAndOverwrite()
    {
        const QString path = programPath(QStringLiteral("Fiori.lis"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4000, '\0'));
        f.close();
        QCOMPARE(PriceListFile::pageCount(path), 1);
        TPaginaListino page;
        page.voci[0][TVoceListino::Nome] = QStringLiteral("  Rosa  ");
        QCOMPARE(PriceListFile::append(path, page), 2);
        QCOMPARE(QFileInfo(path).size(), 7392);
        QCOMPARE(bytes(path).at(3696 + 26), char(4));
        QCOMPARE(PriceListFile::read(path, 2).voci[0][TVoceListino::Nome], QStringLiteral("Rosa"));
    }

    void folderInPlaceOfArchiveFails()
    {
        QDir(m_dir->path()).mkdir(QStringLiteral("Magazzino.pro"));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::count());
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
