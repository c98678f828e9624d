#include "storage/ArchiveFile.h"
#include "storage/Codepage.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "storage/platform/Faults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

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

    static void writeEmpty(const QString &path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup()
    {
        Os::Faults::disarm();
        setProgramFolderOverride(QString());
    }

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
        const QByteArray twoRecords(5184, 'r');
        f.write(twoRecords + QByteArray(100, 't'));
        f.close();
        QCOMPARE(WarehouseArchive::count(), 2);
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("TERZO");
        QCOMPARE(WarehouseArchive::append(card), 3);
        const QByteArray file = bytes(warehousePath());
        QCOMPARE(file.size(), 7776);
        QCOMPARE(file.left(5184), twoRecords);
        // The new record starts where the stray tail was, with nothing of the tail left in it.
        QCOMPARE(file.mid(5184, 6), QByteArray("\x05TERZO"));
        QVERIFY(!file.mid(5184).contains('t'));
        QCOMPARE(WarehouseArchive::read(3)[TSchedaProdotto::Codice], QStringLiteral("TERZO"));
    }

    void everyFieldLandsAtItsOffset()
    {
        // Each field filled to its width with its own letter: together they must cover the
        // whole record without overlapping.
        static const int offsets[TSchedaProdotto::FieldCount] = { 0, 26, 39, 90, 95, 99, 220, 271, 522, 573, 624, 675,
            706, 757, 808, 819, 1070, 1083, 1086, 1337, 1588, 1839, 2090, 2341 };
        static const int widths[TSchedaProdotto::FieldCount]
            = { 25, 12, 50, 4, 3, 120, 50, 250, 50, 50, 50, 30, 50, 50, 10, 250, 12, 2, 250, 250, 250, 250, 250, 250 };
        TSchedaProdotto card;
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
            card.values[i] = QString(widths[i] + 5, QChar(u'A' + i));
        WarehouseArchive::append(card);
        const QByteArray record = bytes(warehousePath());
        QCOMPARE(record.size(), TSchedaProdotto::RecordSize);
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
            QCOMPARE(int(static_cast<unsigned char>(record.at(offsets[i]))), widths[i]);
            QCOMPARE(record.mid(offsets[i] + 1, widths[i]), QByteArray(widths[i], char('A' + i)));
        }
        QCOMPARE(offsets[23] + widths[23] + 1, TSchedaProdotto::RecordSize);
        const TSchedaProdotto back = WarehouseArchive::read(1);
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
            QCOMPARE(back.values[i], QString(widths[i], QChar(u'A' + i)));
    }

    void missingArchiveIsCreatedEmpty()
    {
        QVERIFY(!QFile::exists(warehousePath()));
        QCOMPARE(WarehouseArchive::count(), 0);
        QVERIFY(QFile::exists(warehousePath()));
        QCOMPARE(QFileInfo(warehousePath()).size(), 0);
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::read(1));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::overwrite(1, TSchedaProdotto()));
        QCOMPARE(QFileInfo(warehousePath()).size(), 0);
    }

    void failedWriteLeavesTheFileAlone()
    {
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("UNO");
        WarehouseArchive::append(card);
        const QByteArray before = bytes(warehousePath());
        Os::Faults::arm({ .kind = Os::Faults::Kind::Write, .call = 1, .lasting = true });
        card[TSchedaProdotto::Codice] = QStringLiteral("DUE");
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::append(card));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::overwrite(1, card));
        Os::Faults::disarm();
        QCOMPARE(bytes(warehousePath()), before);
        // The lock went with the failed operation: the next one gets the file.
        QCOMPARE(WarehouseArchive::append(card), 2);
    }

    // A disk that fills in the middle of a record (here a file-size limit, which stops a write part
    // way as a full disk does): the file keeps its old bytes, stray tail included, and no part of the
    // new record, so it still passes a strict check.
    void aFailedAppendLeavesNoPartOfARecord_data()
    {
        QTest::addColumn<bool>("page");
        QTest::addColumn<int>("strayTail");
        QTest::addColumn<int>("roomLeft");
        QTest::newRow("card, 640 bytes fit") << false << 0 << 640;
        QTest::newRow("card after a stray tail") << false << 100 << 640;
        QTest::newRow("page, 1200 bytes fit") << true << 0 << 1200;
    }
    void aFailedAppendLeavesNoPartOfARecord()
    {
        QFETCH(bool, page);
        QFETCH(int, strayTail);
        QFETCH(int, roomLeft);
        const QString path = page ? m_dir->filePath(QStringLiteral("Fiori.lis")) : warehousePath();
        auto append = [&] {
            if (page)
                PriceListFile::append(path, TPaginaListino());
            else
                WarehouseArchive::append(TSchedaProdotto());
        };
        append();
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(strayTail, 'z'));
        }
        const QByteArray before = bytes(path);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = rlim_t(before.size() - strayTail + roomLeft);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            append();
        } catch (const ArchiveError &) {
            threw = true;
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_DFL);
        QVERIFY(threw);
        QCOMPARE(bytes(path).size(), before.size());
        QCOMPARE(bytes(path), before);
        append();
        QCOMPARE(bytes(path).size() % (page ? TPaginaListino::RecordSize : TSchedaProdotto::RecordSize), 0);
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
        char damaged[4] = { char(200), 'A', 'B', 'C' };
        QCOMPARE(readTextField(damaged, 3), QStringLiteral("ABC"));
        char shorter[7] = { 3, 'A', 'B', 'C', 'D', 'E', 'F' };
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

    void pageFieldsLieAtTheirOffsets_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::newRow("A Codice") << 0 << int(TVoceListino::Codice) << 0 << 25;
        QTest::newRow("B Nome") << 1 << int(TVoceListino::Nome) << 462 + 26 << 50;
        QTest::newRow("D UM") << 3 << int(TVoceListino::UM) << 1386 + 77 << 120;
        QTest::newRow("G Caratteristiche") << 6 << int(TVoceListino::Caratteristiche) << 2772 + 198 << 250;
        QTest::newRow("H Prezzo") << 7 << int(TVoceListino::Prezzo) << 3234 + 449 << 12;
    }

    void pageFieldsLieAtTheirOffsets()
    {
        QFETCH(int, slot);
        QFETCH(int, field);
        QFETCH(int, offset);
        QFETCH(int, width);
        const QString path = programPath(QStringLiteral("Fiori.lis"));
        const QString full = QString(width - 1, QLatin1Char('x')) + QStringLiteral("\u00e8");
        TPaginaListino page;
        page.voci[slot].values[field] = full;
        QCOMPARE(PriceListFile::append(path, page), 1);
        page.voci[slot].values[field] = full + QStringLiteral("Z");
        QCOMPARE(PriceListFile::append(path, page), 2);

        const QByteArray file = bytes(path);
        QCOMPARE(file.size(), 2 * 3696);
        for (int p = 0; p < 2; ++p) {
            const QByteArray stored = file.mid(p * 3696 + offset, width + 1);
            QCOMPARE(int(quint8(stored.at(0))), width);
            QCOMPARE(stored.mid(1), QByteArray(width - 1, 'x') + QByteArray("\xE8"));
            QCOMPARE(PriceListFile::read(path, p + 1).voci[slot].values[field], full);
        }
        // Every other field of the page is empty.
        for (int s = 0; s < TPaginaListino::SlotCount; ++s)
            for (int f = 0; f < TVoceListino::FieldCount; ++f)
                if (s != slot || f != field)
                    QCOMPARE(file.at(s * 462 + TVoceListino::layout()[f].offset), char(0));
    }

    void firstSaveAndOverwriteOfPages()
    {
        const QString path = programPath(QStringLiteral("Fiori.lis"));
        writeEmpty(path);
        TPaginaListino page;
        page.voci[0][TVoceListino::Nome] = QStringLiteral("Rosa");
        QCOMPARE(PriceListFile::pageCount(path), 0);
        QCOMPARE(PriceListFile::append(path, page), 1);
        QCOMPARE(QFileInfo(path).size(), 3696);
        for (int i = 2; i <= 5; ++i) {
            page.voci[0][TVoceListino::Nome] = QStringLiteral("Pagina %1").arg(i);
            QCOMPARE(PriceListFile::append(path, page), i);
        }
        const QByteArray before = bytes(path);
        TPaginaListino changed;
        changed.voci[7][TVoceListino::Prezzo] = QStringLiteral("12,50");
        QCOMPARE(PriceListFile::write(path, 3, changed), 3);
        const QByteArray after = bytes(path);
        QCOMPARE(after.size(), 18480);
        QCOMPARE(after.left(7392), before.left(7392));
        QCOMPARE(after.mid(11088), before.mid(11088));
        QVERIFY(after.mid(7392, 3696) != before.mid(7392, 3696));
        QCOMPARE(PriceListFile::read(path, 3).voci[7][TVoceListino::Prezzo], QStringLiteral("12,50"));
        QCOMPARE(PriceListFile::read(path, 3).voci[0][TVoceListino::Nome], QString());
        QVERIFY_THROWS_EXCEPTION(ArchiveError, PriceListFile::write(path, 7, changed));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, PriceListFile::read(path, 6));
    }

    void everyCharacterTakesOneByte()
    {
        // Characters outside the code page, one beyond 16 bits among them, are one '?' each.
        QCOMPARE(toCp1252(QStringLiteral("\u20ac1\u0103\U0001F339x")),
            QByteArray("\x80"
                       "1??x"));
        char field[6] = {};
        writeTextField(field, 5, QStringLiteral("\U0001F339\U0001F339\U0001F339\U0001F339\U0001F339\U0001F339"));
        QCOMPARE(int(field[0]), 5);
    }

    void pageWritesHoldTheFileLock()
    {
        // Another program trying the list's lock while a page is counted and written must wait.
        const QString path = programPath(QStringLiteral("Fiori.lis"));
        writeEmpty(path);
        const int other = ::open(QFile::encodeName(path).constData(), O_RDWR);
        QVERIFY(other >= 0);
        QList<bool> lockedOut;
        Os::Faults::Fault watch;
        watch.path = "Fiori.lis";
        bool locked = false; // the opening's own look at the file comes before its lock
        watch.hook = [&](Os::Faults::Kind kind, int, const std::string &) {
            if (kind == Os::Faults::Kind::Lock || kind == Os::Faults::Kind::Close)
                locked = kind == Os::Faults::Kind::Lock;
            else if (locked && (kind == Os::Faults::Kind::Status || kind == Os::Faults::Kind::Write)) {
                const bool busy = ::flock(other, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                if (!busy)
                    ::flock(other, LOCK_UN);
                lockedOut << busy;
            }
        };
        Os::Faults::arm(watch);
        TPaginaListino page;
        PriceListFile::append(path, page);
        PriceListFile::write(path, 1, page);
        Os::Faults::disarm();
        ::close(other);
        QVERIFY(lockedOut.size() >= 4);
        QVERIFY(!lockedOut.contains(false));
    }

    void folderInPlaceOfArchiveFails()
    {
        QDir(m_dir->path()).mkdir(QStringLiteral("Magazzino.pro"));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, WarehouseArchive::count());
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
