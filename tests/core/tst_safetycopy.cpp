#include "pricelist/rules/ListFiles.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"

#include <zip.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Os::Faults::Kind;
using SafetyCopy::Problem;

Q_DECLARE_METATYPE(SafetyCopy::Problem)

namespace {
/** Every file under `folder` with its bytes, links as "-> target". */
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString name = it.filePath().mid(folder.size());
        if (it.fileInfo().isSymLink())
            out.insert(name, "-> " + it.fileInfo().symLinkTarget().toUtf8());
        else if (it.fileInfo().isDir())
            out.insert(name + QLatin1Char('/'), QByteArray());
        else {
            QFile f(it.filePath());
            f.open(QIODevice::ReadOnly);
            out.insert(name, f.readAll());
        }
    }
    return out;
}

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct ZipItem
{
    QString name;
    QByteArray bytes;
    bool link = false;
};

/** A ZIP made by hand; its list is made from the items unless `manifest` is given. */
void makeZip(const QString &path, const QList<ZipItem> &items, QByteArray manifest = QByteArray())
{
    if (manifest.isNull()) {
        manifest = "Vetrinova copia di sicurezza\nversione 1\ncreata 2025-01-07T10:30:00\n";
        for (const ZipItem &i : items)
            manifest += QCryptographicHash::hash(i.bytes, QCryptographicHash::Sha256).toHex() + ' '
                + QByteArray::number(i.bytes.size()) + ' ' + i.name.toUtf8() + '\n';
    }
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    QList<ZipItem> all = items;
    if (!manifest.isEmpty())
        all << ZipItem { SafetyCopy::manifestName(), manifest };
    QList<QByteArray> keep; // libzip reads the bytes when the archive is closed
    for (const ZipItem &i : all) {
        keep << i.bytes;
        zip_source_t *src = zip_source_buffer(zip, keep.last().constData(), keep.last().size(), 0);
        const zip_int64_t index = zip_file_add(zip, i.name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
        QVERIFY(index >= 0);
        if (i.link)
            zip_file_set_external_attributes(zip, index, 0, ZIP_OPSYS_UNIX, 0120777u << 16);
    }
    QCOMPARE(zip_close(zip), 0);
}

QByteArray entryOf(const QString &zipPath, const QString &name)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return QByteArray();
    QByteArray out;
    zip_stat_t st;
    if (zip_stat(zip, name.toUtf8().constData(), 0, &st) == 0) {
        zip_file_t *f = zip_fopen(zip, name.toUtf8().constData(), 0);
        out.resize(st.size);
        if (!f || zip_fread(f, out.data(), st.size) != static_cast<zip_int64_t>(st.size))
            out.clear();
        if (f)
            zip_fclose(f);
    }
    zip_discard(zip);
    return out;
}
} // namespace

class TestSafetyCopy : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // the program folder, inside m_dir
    QString m_copies; // where copies go, beside it

    QString zipPath() const { return m_copies + QStringLiteral("copia.zip"); }

    /** A shop: cards, card photos, two lists (one with accents), their photos, attachments, password. */
    void fillShop()
    {
        for (int i = 1; i <= 5; ++i) {
            TSchedaProdotto card;
            card[TSchedaProdotto::Codice] = QStringLiteral("C%1").arg(i);
            card[TSchedaProdotto::Nome] = QStringLiteral("Caffè numero %1").arg(i);
            WarehouseArchive::append(card);
        }
        TPaginaListino page;
        page.voci[0][TVoceListino::Nome] = QStringLiteral("Perù");
        PriceListFile::append(m_folder + QStringLiteral("Fiori d'été.lis"), page);
        PriceListFile::append(m_folder + QStringLiteral("Fiori d'été.lis"), page);
        PriceListFile::append(m_folder + QStringLiteral("Vasi.lis"), page);
        write(m_folder + QStringLiteral("1.jpg"), QByteArray(3000, 'j'));
        write(m_folder + QStringLiteral("4.jpg"), "foto 4");
        write(m_folder + QStringLiteral("Foto_Listino/Fiori d'été_Foto_A_1.jpg"), "foto A");
        write(m_folder + QStringLiteral("Documenti_Allegati/Fattura è n. 3.pdf"), "%PDF fattura");
        write(m_folder + QStringLiteral("Documenti_Allegati/sotto/Scheda.txt"), "scheda");
        write(m_folder + QStringLiteral("unins000.dll"), "password");
        write(m_folder + QStringLiteral("Magazzino.xls"), "<table>");
        // Not the shop's data: never copied, never replaced.
        write(m_folder + QStringLiteral("Guida.pdf"), "%PDF guida");
        write(m_folder + QStringLiteral("Vetrinova"), "programma");
    }

    /**
     * Every kind of name the program lists, opens or writes beside the shop of fillShop(): lists whose
     * extension is in capitals, with ":", a dot name, a double extension, their slot photos and
     * thumbnails, the workbook and attachments with unusual names. Returns their relative names.
     */
    QStringList fillEveryKindOfName()
    {
        TPaginaListino page;
        page.voci[0][TVoceListino::Nome] = QStringLiteral("Rosa");
        QStringList names;
        const QStringList titles = { QStringLiteral("Rose"), QStringLiteral("Orari 10:30"), QStringLiteral(".Segreto"),
            QStringLiteral("x.lis"), QStringLiteral("Però più") };
        for (const QString &title : titles) {
            const QString list
                = title + (title == QLatin1String("Rose") ? QStringLiteral(".LIS") : QStringLiteral(".lis"));
            PriceListFile::append(m_folder + list, page);
            names << list;
            for (const QString &photo :
                { SlotPhotos::photoPath(title, u'A', QStringLiteral("1")), SlotPhotos::thumbnailPath(title, u'H') }) {
                write(photo, "foto di " + title.toUtf8());
                names << photo.mid(m_folder.size());
            }
        }
        for (const QString &name : { QStringLiteral("Magazzino.xlsx"), QStringLiteral("12.jpg"),
                 QStringLiteral("Documenti_Allegati/.nascosto"), QStringLiteral("Documenti_Allegati/ore 10:30.txt") }) {
            write(m_folder + name, "file " + name.toUtf8());
            names << name;
        }
        return names;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path() + QStringLiteral("/Vetrinova/");
        m_copies = m_dir->path() + QStringLiteral("/Copie esterne/");
        QDir().mkpath(m_folder);
        QDir().mkpath(m_copies);
        setProgramFolderOverride(m_folder);
        fillShop();
    }

    void cleanup()
    {
        Os::Faults::disarm();
        SafetyCopy::setLimits({});
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    void copyDeleteRestoreGivesBackEveryByte()
    {
        const auto before = snapshot(m_folder);
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);

        SafetyCopy::Contents contents;
        QCOMPARE(SafetyCopy::inspect(zipPath(), &contents), Problem::None);
        QCOMPARE(contents.cards, 5);
        QCOMPARE(contents.lists, 2);
        QCOMPARE(contents.pages, 3);
        QCOMPARE(contents.photos, 3);
        QCOMPARE(contents.attachments, 2);
        QVERIFY(contents.password);
        QCOMPARE(contents.entries.size(), 10);

        for (const QString &name : SafetyCopy::programFiles())
            QVERIFY(QFile::remove(m_folder + name));
        QDir(m_folder + QStringLiteral("Foto_Listino")).removeRecursively();
        QDir(m_folder + QStringLiteral("Documenti_Allegati")).removeRecursively();
        QVERIFY(SafetyCopy::programFiles().isEmpty());

        QCOMPARE(SafetyCopy::restore(zipPath()), Problem::None);
        QCOMPARE(snapshot(m_folder), before);
    }

    void everyNameTheProgramKeepsIsCopiedAndRestored()
    {
        const QStringList added = fillEveryKindOfName();
        const QStringList kept = SafetyCopy::programFiles();
        // What the list window shows and what the editors write is what a copy holds.
        for (const QString &name : ListFiles::names() + added)
            QVERIFY2(kept.contains(name), qPrintable(name));

        const auto before = snapshot(m_folder);
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        SafetyCopy::Contents contents;
        QCOMPARE(SafetyCopy::inspect(zipPath(), &contents), Problem::None);
        QCOMPARE(contents.lists, 7);
        QCOMPARE(contents.entries.size(), kept.size());

        for (const QString &name : kept)
            QVERIFY(QFile::remove(m_folder + name));
        QCOMPARE(SafetyCopy::restore(zipPath()), Problem::None);
        QCOMPARE(snapshot(m_folder), before);
    }

    void changeCheckSeesAChangeToEveryProgramFile()
    {
        const QStringList added = fillEveryKindOfName();
        for (const QString &name : SafetyCopy::programFiles() + added) {
            SafetyCopy::markCopied();
            QVERIFY(!SafetyCopy::automaticCopyDue());
            QFile file(m_folder + name);
            QVERIFY(file.open(QIODevice::Append));
            file.write("+");
            file.close();
            QVERIFY2(SafetyCopy::automaticCopyDue(), qPrintable(name));
        }
    }

    // A damaged archive or list (a card or a page cut short at the end) is copied as it is, not mended.
    void copyHoldsEveryByteOfADamagedFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("archive") << QStringLiteral("Magazzino.pro");
        QTest::newRow("price list") << QStringLiteral("Fiori d'été.lis");
    }

    void copyHoldsEveryByteOfADamagedFile()
    {
        QFETCH(QString, name);
        QFile file(m_folder + name);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(100, '\x7f'));
        file.close();
        const auto before = snapshot(m_folder);

        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        QCOMPARE(entryOf(zipPath(), name), before.value(name));
        QVERIFY(QFile::remove(m_folder + name));
        QCOMPARE(SafetyCopy::restore(zipPath()), Problem::None);
        QCOMPARE(snapshot(m_folder), before);
    }

    void restoreReturnsTheFolderToTheCopy()
    {
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        const auto before = snapshot(m_folder);
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("NUOVA");
        WarehouseArchive::append(card);
        write(m_folder + QStringLiteral("Nuovo.lis"), QByteArray(TPaginaListino::RecordSize, ' '));
        write(m_folder + QStringLiteral("unins000.dll"), "altra password");
        write(m_folder + QStringLiteral("Foto_Listino/altra.jpg"), "altra");

        QCOMPARE(SafetyCopy::restore(zipPath()), Problem::None);
        // The copy's password file wins, newer files go, and nothing is left set aside.
        QCOMPARE(snapshot(m_folder), before);
    }

    void copyFailureLeavesNoFile_data()
    {
        QTest::addColumn<Kind>("failing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<Problem>("problem");
        QTest::newRow("the archive cannot be read") << Kind::Read << "Magazzino.pro" << Problem::ReadFailed;
        QTest::newRow("a list cannot be opened") << Kind::Open << ".lis" << Problem::ReadFailed;
        QTest::newRow("the copy cannot be made") << Kind::Create << "copia.zip" << Problem::WriteFailed;
        QTest::newRow("disk full at the end") << Kind::Sync << "copia.zip" << Problem::WriteFailed;
        QTest::newRow("the copy cannot take its name") << Kind::Rename << "copia.zip" << Problem::WriteFailed;
    }

    void copyFailureLeavesNoFile()
    {
        QFETCH(Kind, failing);
        QFETCH(QString, name);
        QFETCH(Problem, problem);
        Os::Faults::arm({ .kind = failing, .call = 1, .path = name.toStdString() });
        QCOMPARE(SafetyCopy::create(zipPath()), problem);
        QVERIFY(Os::Faults::fired());
        QCOMPARE(QDir(m_copies).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void cancelledCopyLeavesNoFile()
    {
        write(m_folder + QStringLiteral("2.jpg"), QByteArray(3 << 20, 'x'));
        int calls = 0;
        QCOMPARE(SafetyCopy::create(zipPath(), [&](qint64, qint64) { return ++calls < 2; }), Problem::Cancelled);
        QCOMPARE(QDir(m_copies).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void copyIntoAMissingFolderFails()
    {
        QCOMPARE(SafetyCopy::create(m_copies + QStringLiteral("manca/copia.zip")), Problem::WriteFailed);
    }

    void hostileArchiveChangesNothing_data()
    {
        QTest::addColumn<QList<ZipItem>>("items");
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<Problem>("expected");
        const ZipItem good { QStringLiteral("Vasi.lis"), QByteArray(TPaginaListino::RecordSize, 'v') };
        QTest::newRow("dot-dot") << QList<ZipItem> { good, { QStringLiteral("../fuori.lis"), "x" } } << QByteArray()
                                 << Problem::UnsafeName;
        QTest::newRow("dot-dot inside a folder")
            << QList<ZipItem> { { QStringLiteral("Foto_Listino/../../fuori.jpg"), "x" } } << QByteArray()
            << Problem::UnsafeName;
        QTest::newRow("absolute") << QList<ZipItem> { { QStringLiteral("/tmp/vetrinova-fuori.lis"), "x" } }
                                  << QByteArray() << Problem::UnsafeName;
        QTest::newRow("backslash") << QList<ZipItem> { { QStringLiteral("..\\fuori.lis"), "x" } } << QByteArray()
                                   << Problem::UnsafeName;
        QTest::newRow("not a program file")
            << QList<ZipItem> { { QStringLiteral("Vetrinova"), "virus" } } << QByteArray() << Problem::UnsafeName;
        QTest::newRow("link") << QList<ZipItem> { { QStringLiteral("Foto_Listino/a.jpg"), "/etc/passwd", true } }
                              << QByteArray() << Problem::Link;
        QTest::newRow("no list") << QList<ZipItem> { good } << QByteArray("") << Problem::Foreign;
        QTest::newRow("someone else's list")
            << QList<ZipItem> { good } << QByteArray("altro programma\n") << Problem::Foreign;
        const QByteArray wrongSum = "Vetrinova copia di sicurezza\nversione 1\ncreata 2025-01-07T10:30:00\n"
            + QByteArray(64, 'a') + ' ' + QByteArray::number(good.bytes.size()) + " Vasi.lis\n";
        QTest::newRow("wrong checksum") << QList<ZipItem> { good } << wrongSum << Problem::Mismatch;
        const QByteArray wrongSize = "Vetrinova copia di sicurezza\nversione 1\ncreata 2025-01-07T10:30:00\n"
            + QCryptographicHash::hash(good.bytes, QCryptographicHash::Sha256).toHex() + " 10 Vasi.lis\n";
        QTest::newRow("wrong size") << QList<ZipItem> { good } << wrongSize << Problem::Mismatch;
        const QByteArray listsMore = "Vetrinova copia di sicurezza\nversione 1\ncreata 2025-01-07T10:30:00\n"
            + QByteArray(64, 'a') + " 3 Altro.lis\n";
        QTest::newRow("file in the list, not in the archive") << QList<ZipItem> {} << listsMore << Problem::Mismatch;
    }

    void hostileArchiveChangesNothing()
    {
        QFETCH(QList<ZipItem>, items);
        QFETCH(QByteArray, manifest);
        QFETCH(Problem, expected);
        makeZip(zipPath(), items, manifest);
        const auto before = snapshot(m_dir->path() + QLatin1Char('/'));
        SafetyCopy::Contents contents;
        // Reading the list alone cannot see a wrong checksum; the restore must.
        const Problem seen = SafetyCopy::inspect(zipPath(), &contents);
        QVERIFY(seen == expected || seen == Problem::None);
        QCOMPARE(SafetyCopy::restore(zipPath()), expected);
        QCOMPARE(snapshot(m_dir->path() + QLatin1Char('/')), before);
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/vetrinova-fuori.lis")));
    }

    void copiesPastTheBoundsAreRefusedBeforeUnpacking_data()
    {
        // Only the list is in these copies: the bounds are checked on what it claims, before any
        // name or file is looked at, so a copy at a bound goes on to find its files missing.
        QTest::addColumn<qint64>("files");
        QTest::addColumn<qint64>("size"); // of each file listed
        QTest::addColumn<qint64>("extra"); // a further file of this size, when not 0
        QTest::addColumn<Problem>("expected");
        const SafetyCopy::Limits bounds;
        const qint64 perFile = bounds.totalBytes / bounds.fileBytes;
        QTest::newRow("files at the bound") << bounds.files << qint64(0) << qint64(0) << Problem::Mismatch;
        QTest::newRow("files past it") << bounds.files + 1 << qint64(0) << qint64(0) << Problem::TooManyFiles;
        QTest::newRow("file at the bound") << qint64(1) << bounds.fileBytes << qint64(0) << Problem::Mismatch;
        QTest::newRow("file past it") << qint64(1) << bounds.fileBytes + 1 << qint64(0) << Problem::FileTooLarge;
        QTest::newRow("whole at the bound") << perFile << bounds.fileBytes << qint64(0) << Problem::Mismatch;
        QTest::newRow("whole past it") << perFile << bounds.fileBytes << qint64(1) << Problem::TooLargeInAll;
    }

    void copiesPastTheBoundsAreRefusedBeforeUnpacking()
    {
        QFETCH(qint64, files);
        QFETCH(qint64, size);
        QFETCH(qint64, extra);
        QFETCH(Problem, expected);
        QByteArray manifest = "Vetrinova copia di sicurezza\nversione 1\ncreata 2025-01-07T10:30:00\n";
        const QByteArray sum = QByteArray(64, 'a');
        for (qint64 i = 0; i < files; ++i)
            manifest += sum + ' ' + QByteArray::number(size) + " Documenti_Allegati/f" + QByteArray::number(i) + '\n';
        if (extra > 0)
            manifest += sum + ' ' + QByteArray::number(extra) + " Documenti_Allegati/altro\n";
        makeZip(zipPath(), {}, manifest);
        const auto before = snapshot(m_dir->path() + QLatin1Char('/'));
        SafetyCopy::Contents contents;
        QCOMPARE(SafetyCopy::inspect(zipPath(), &contents), expected);
        QCOMPARE(SafetyCopy::restore(zipPath()), expected);
        QCOMPARE(snapshot(m_dir->path() + QLatin1Char('/')), before);
    }

    void zipBombsAreBoundedByTheirList_data()
    {
        // Zeros inflate a thousandfold: a copy small on disk that unpacks to the bound, or just past it.
        QTest::addColumn<int>("files");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<Problem>("expected");
        QTest::newRow("one file at the bound") << 1 << qint64(1 << 20) << Problem::None;
        QTest::newRow("one file past it") << 1 << qint64(1 << 20) + 1 << Problem::FileTooLarge;
        QTest::newRow("all at the bound") << 3 << qint64(1 << 20) << Problem::None;
        QTest::newRow("all past it") << 4 << qint64(1 << 20) << Problem::TooLargeInAll;
    }

    void zipBombsAreBoundedByTheirList()
    {
        QFETCH(int, files);
        QFETCH(qint64, size);
        QFETCH(Problem, expected);
        SafetyCopy::Limits bounds;
        bounds.fileBytes = 1 << 20;
        bounds.totalBytes = 3 << 20;
        SafetyCopy::setLimits(bounds);
        QList<ZipItem> items;
        for (int i = 0; i < files; ++i)
            items << ZipItem { QStringLiteral("Documenti_Allegati/zeri%1.bin").arg(i), QByteArray(size, '\0') };
        makeZip(zipPath(), items);
        QVERIFY(QFileInfo(zipPath()).size() < 64 << 10);
        const auto before = snapshot(m_dir->path() + QLatin1Char('/'));
        QCOMPARE(SafetyCopy::restore(zipPath()), expected);
        if (expected == Problem::None)
            QCOMPARE(QFileInfo(m_folder + QStringLiteral("Documenti_Allegati/zeri0.bin")).size(), size);
        else
            QCOMPARE(snapshot(m_dir->path() + QLatin1Char('/')), before);
    }

    void damagedArchiveChangesNothing_data()
    {
        QTest::addColumn<int>("keep"); // bytes of the real copy kept; -1: flip a byte inside a file instead
        QTest::addColumn<Problem>("expected");
        QTest::newRow("empty") << 0 << Problem::Unreadable;
        QTest::newRow("truncated") << 2000 << Problem::Unreadable;
        QTest::newRow("a byte changed") << -1 << Problem::Unreadable;
    }

    void damagedArchiveChangesNothing()
    {
        QFETCH(int, keep);
        QFETCH(Problem, expected);
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        QFile f(zipPath());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        if (keep >= 0) {
            bytes.truncate(keep);
        } else {
            // The first file is the stored photo 1.jpg: its bytes are plain in the archive.
            const qsizetype at = bytes.indexOf(QByteArray(3000, 'j'));
            QVERIFY(at > 0);
            bytes[at + 1500] = 'k';
        }
        f.resize(0);
        f.seek(0);
        f.write(bytes);
        f.close();
        const auto before = snapshot(m_dir->path() + QLatin1Char('/'));
        QCOMPARE(SafetyCopy::restore(zipPath()), expected);
        QCOMPARE(snapshot(m_dir->path() + QLatin1Char('/')), before);
    }

    void failedRestoreStepLeavesTheFolderAsItWas_data()
    {
        // Unpacking flushes each file it wrote: the first flush is the first file's, the last the last's
        // (call -1). Setting aside renames the folder's own name; putting in place the unpacked one.
        QTest::addColumn<Kind>("failing");
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("name");
        const QString staged = QStringLiteral("Ripristino-in-corso/");
        QTest::newRow("unpacking the first file") << Kind::Sync << 1 << QString();
        QTest::newRow("unpacking the last file") << Kind::Sync << -1 << QString();
        QTest::newRow("setting aside the first item") << Kind::Rename << 1 << QStringLiteral("Vetrinova/1.jpg");
        QTest::newRow("setting aside a folder") << Kind::Rename << 1 << QStringLiteral("Vetrinova/Foto_Listino");
        QTest::newRow("setting aside the last item") << Kind::Rename << 1 << QStringLiteral("Vetrinova/unins000.dll");
        QTest::newRow("putting the first in place") << Kind::Rename << 1 << staged + QStringLiteral("1.jpg");
        QTest::newRow("putting a folder in place")
            << Kind::Rename << 1 << staged + QStringLiteral("Documenti_Allegati");
        QTest::newRow("putting the last in place") << Kind::Rename << 1 << staged + QStringLiteral("unins000.dll");
    }

    void failedRestoreStepLeavesTheFolderAsItWas()
    {
        QFETCH(Kind, failing);
        QFETCH(int, call);
        QFETCH(QString, name);
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        SafetyCopy::Contents contents;
        QCOMPARE(SafetyCopy::inspect(zipPath(), &contents), Problem::None);
        if (call < 0)
            call = int(contents.entries.size());
        // The folder changes after the copy, so a half-done restore would show.
        write(m_folder + QStringLiteral("1.jpg"), "foto cambiata");
        write(m_folder + QStringLiteral("Nuovo.lis"), QByteArray(TPaginaListino::RecordSize, 'n'));
        write(m_folder + QStringLiteral("Foto_Listino/nuova.jpg"), "nuova");
        const auto before = snapshot(m_folder);
        Os::Faults::arm({ .kind = failing, .call = call, .path = name.toStdString(), .wholeName = !name.isEmpty() });
        const Problem p = SafetyCopy::restore(zipPath());
        QVERIFY(Os::Faults::fired());
        QVERIFY(p == Problem::WriteFailed || p == Problem::RestoreFailed);
        QCOMPARE(snapshot(m_folder), before);
    }

    void cancelledRestoreLeavesTheFolderAsItWas()
    {
        write(m_folder + QStringLiteral("2.jpg"), QByteArray(3 << 20, 'x'));
        QCOMPARE(SafetyCopy::create(zipPath()), Problem::None);
        write(m_folder + QStringLiteral("2.jpg"), "cambiata");
        const auto before = snapshot(m_folder);
        int calls = 0;
        QCOMPARE(SafetyCopy::restore(zipPath(), [&](qint64, qint64) { return ++calls < 2; }), Problem::Cancelled);
        QCOMPARE(snapshot(m_folder), before);
    }

    void copyDuringAppendsHoldsOnlyWholeCards()
    {
        QProcess appender;
        appender.start(QStringLiteral(APPENDER_PATH), { m_folder, QStringLiteral("B"), QStringLiteral("400") });
        QVERIFY(appender.waitForStarted());
        appender.write("go\n");
        QList<QByteArray> copies;
        for (int i = 0; i < 40 && appender.state() == QProcess::Running; ++i) {
            const QString path = m_copies + QStringLiteral("c%1.zip").arg(i);
            QCOMPARE(SafetyCopy::create(path), Problem::None);
            copies << entryOf(path, QStringLiteral("Magazzino.pro"));
        }
        appender.closeWriteChannel();
        QVERIFY(appender.waitForFinished(60000));
        QCOMPARE(appender.exitCode(), 0);
        QVERIFY(copies.size() >= 2);
        QFile archive(m_folder + QStringLiteral("Magazzino.pro"));
        QVERIFY(archive.open(QIODevice::ReadOnly));
        const QByteArray final = archive.readAll();
        for (const QByteArray &copy : copies) {
            QCOMPARE(copy.size() % TSchedaProdotto::RecordSize, 0);
            QVERIFY(copy.size() >= 5 * TSchedaProdotto::RecordSize);
            QVERIFY(final.startsWith(copy));
        }
    }

    void automaticCopyOnlyAfterChangesAndKeepsTheLastOnes()
    {
        QVERIFY(SafetyCopy::Settings::automatic());
        QCOMPARE(SafetyCopy::Settings::keep(), 10);
        QVERIFY(SafetyCopy::automaticCopyDue());
        QVERIFY(SafetyCopy::Settings::setKeep(3));
        const QDateTime start(QDate(2025, 3, 1), QTime(9, 0));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(SafetyCopy::makeAutomaticCopy(start.addDays(i)), Problem::None);
        QCOMPARE(QDir(m_folder + QStringLiteral("Copie")).entryList(QDir::Files),
            QStringList({ QStringLiteral("Vetrinova-copia-2025-03-03-0900.zip"),
                QStringLiteral("Vetrinova-copia-2025-03-04-0900.zip"),
                QStringLiteral("Vetrinova-copia-2025-03-05-0900.zip") }));
        // The copies themselves and the settings are no change to the shop.
        QVERIFY(!SafetyCopy::automaticCopyDue());
        write(m_folder + QStringLiteral("Nuovo.lis"), QByteArray(TPaginaListino::RecordSize, 'n'));
        QVERIFY(SafetyCopy::automaticCopyDue());
        QVERIFY(SafetyCopy::Settings::setAutomatic(false));
        QVERIFY(!SafetyCopy::automaticCopyDue());
        QVERIFY(!SafetyCopy::isProgramFile(QStringLiteral("Copie/Vetrinova-copia-2025-03-05-0900.zip")));
    }

    // Copies made in the same minute are numbered: the order they were made in is by number, not by name.
    void automaticCopiesAreKeptByTheTimeTheyWereMade()
    {
        SafetyCopy::Settings::setKeep(2);
        const QString copies = m_folder + QStringLiteral("Copie/");
        const QStringList usersOwn = { QStringLiteral("Vetrinova-copia-2020-01-01-0000 da tenere.zip"),
            QStringLiteral("Vetrinova-copia-2020-01-01-0000.zip.giugno") };
        for (const QString &name : usersOwn)
            write(copies + name, "mia");
        const QDateTime when(QDate(2025, 3, 1), QTime(9, 0));
        for (int i = 0; i < 11; ++i)
            QCOMPARE(SafetyCopy::makeAutomaticCopy(when), Problem::None);
        QStringList expected = usersOwn
            + QStringList { QStringLiteral("Vetrinova-copia-2025-03-01-0900-10.zip"),
                  QStringLiteral("Vetrinova-copia-2025-03-01-0900-11.zip") };
        expected.sort();
        QCOMPARE(QDir(copies).entryList(QDir::Files, QDir::Name), expected);

        // A clock set back: the copy just made keeps its place however old its name says it is.
        QCOMPARE(SafetyCopy::makeAutomaticCopy(when.addYears(-1)), Problem::None);
        QVERIFY(QFile::exists(copies + QStringLiteral("Vetrinova-copia-2024-03-01-0900.zip")));
        QVERIFY(QFile::exists(copies + QStringLiteral("Vetrinova-copia-2025-03-01-0900-11.zip")));
        QCOMPARE(QDir(copies).entryList(QDir::Files).size(), 4);
    }

    void twoCopiesInOneMinuteGetTwoNames()
    {
        const QDateTime when(QDate(2025, 3, 1), QTime(9, 0));
        const QString first = SafetyCopy::newCopyPath(m_copies, when);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("Vetrinova-copia-2025-03-01-0900.zip"));
        QCOMPARE(SafetyCopy::create(first), Problem::None);
        QCOMPARE(QFileInfo(SafetyCopy::newCopyPath(m_copies, when)).fileName(),
            QStringLiteral("Vetrinova-copia-2025-03-01-0900-2.zip"));
    }
};

QTEST_GUILESS_MAIN(TestSafetyCopy)
#include "tst_safetycopy.moc"
