// What an import must not get wrong with the files shops really have: an update from a file with only
// some columns, workbooks laid out by other programs, row numbers, the workbook calendar and its
// escapes, damaged files, and the pictures of Magazzino.xlsx.
#include "app/rules/Picture.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/ImportOptions.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/ImportSource.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "warehouse/rules/WorkbookWriter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

#include <memory>

using F = TSchedaProdotto::Field;
using Members = QList<QPair<QByteArray, QByteArray>>;

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void writeZip(const QString &path, const Members &members)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    for (const auto &[name, bytes] : members) {
        zip_source_t *src = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        QVERIFY(zip_file_add(zip, name.constData(), src, ZIP_FL_ENC_UTF_8) >= 0);
    }
    QCOMPARE(zip_close(zip), 0); // the buffers are read here, while `members` still holds them
}

QByteArray zipMember(const QString &path, const char *name)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return {};
    QByteArray bytes;
    if (zip_file_t *file = zip_fopen(zip, name, 0)) {
        char buffer[65536];
        for (zip_int64_t got; (got = zip_fread(file, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, qsizetype(got));
        zip_fclose(file);
    }
    zip_discard(zip);
    return bytes;
}

// The usual parts of a workbook of one sheet: the relationships, the workbook, a date style (s="1").
Members workbook(const QByteArray &strings, const QByteArray &rows)
{
    return {
        { "_rels/.rels",
            "<Relationships><Relationship Id=\"r1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>" },
        { "xl/workbook.xml",
            "<workbook><sheets><sheet name=\"Foglio1\" sheetId=\"1\" r:id=\"rId1\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"/>"
            "</sheets></workbook>" },
        { "xl/_rels/workbook.xml.rels",
            "<Relationships>"
            "<Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
            "<Relationship Id=\"rId2\" Type=\"http://x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
            "<Relationship Id=\"rId3\" Type=\"http://x/styles\" Target=\"styles.xml\"/></Relationships>" },
        { "xl/styles.xml",
            "<styleSheet><cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>"
            "</styleSheet>" },
        { "xl/sharedStrings.xml", "<sst>" + strings + "</sst>" },
        { "xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + rows + "</sheetData></worksheet>" },
    };
}

QByteArray si(const QByteArray &text)
{
    return "<si><t>" + text + "</t></si>";
}

// Every row of a file as detected, cells joined by "|", rows by "/"; then the failure, if any.
QString rowsOf(const QString &path)
{
    const ImportSource::Format format = ImportSource::detect(path);
    if (format.error.failed())
        return QStringLiteral("ERROR ") + format.error.text();
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    if (!reader)
        return QStringLiteral("ERROR ") + error.text();
    QStringList rows;
    for (QStringList cells; reader->next(cells);)
        rows.append(reader->rowError().failed() ? QStringLiteral("DAMAGED ") + reader->rowError().text()
                                                : cells.join(QLatin1Char('|')));
    if (reader->error().failed())
        rows.append(QStringLiteral("ERROR ") + reader->error().text());
    return rows.join(QLatin1Char('/'));
}

QStringList texts(const QList<ImportError> &errors)
{
    QStringList out;
    for (const ImportError &e : errors)
        out << e.text();
    return out;
}

TSchedaProdotto goodCard(const QString &code)
{
    TSchedaProdotto c;
    c[F::Codice] = code;
    c[F::Costo] = QStringLiteral("10,00");
    c[F::Nome] = QStringLiteral("Vaso ") + code;
    c[F::Giacenza] = QStringLiteral("3");
    c[F::Avviso] = QStringLiteral("2");
    c[F::UM] = QStringLiteral("Ceramica");
    c[F::Tipologia] = QStringLiteral("Casa");
    c[F::Caratteristiche] = QStringLiteral("Smaltato");
    c[F::Note] = QStringLiteral("da tenere");
    c[F::DataSca] = QStringLiteral("31/12/2030");
    c[F::Prezzo] = QStringLiteral("25,00");
    c[F::Pagato] = QStringLiteral("S\u00ec");
    return c;
}

QByteArray recordOf(const TSchedaProdotto &card)
{
    QByteArray r(TSchedaProdotto::RecordSize, '\0');
    card.store(r.data());
    return r;
}

const QStringList kHeaders = { "Codice articolo", "Costo unitario", "Nome prodotto", "Giacenza",
    "Aspetto esteriore del bene", "Categoria merceologica", "Caratteristiche", "Collocazione in magazzino",
    "Ditta fornitrice", "Agente", "Recapito telefonico", "Documento di acquisto",
    QStringLiteral("Modalit\u00e0 di pagamento"), "Data scadenza", "Note", "Prezzo di vendita", "Pagato" };

const char kCsvHeader[] = "Codice;Costo;Nome;Aspetto;Categoria;Caratteristiche;Prezzo\n";

QByteArray csvRow(int n)
{
    return "C" + QByteArray::number(n) + ";10,00;Vaso;Ceramica;Casa;Smaltato;25,00\n";
}
} // namespace

class TestImportFaults : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;

    QString sourceFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_source + QLatin1Char('/') + name;
        writeAll(path, bytes);
        return path;
    }
    QString sourceZip(const QString &name, const Members &members)
    {
        const QString path = m_source + QLatin1Char('/') + name;
        writeZip(path, members);
        return path;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkdir(QStringLiteral("programma"));
        QDir(m_dir->path()).mkdir(QStringLiteral("sorgente"));
        setProgramFolderOverride(m_dir->path() + QStringLiteral("/programma"));
        m_source = m_dir->path() + QStringLiteral("/sorgente");
    }
    void cleanup()
    {
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    // A supplier's list with only some columns updates those fields and keeps the rest of each card;
    // a code not in the archive would be a card missing its required fields, and is refused.
    void partialUpdateKeepsEveryOtherField()
    {
        WarehouseArchive::append(goodCard(QStringLiteral("A1")));
        WarehouseArchive::append(goodCard(QStringLiteral("B2")));
        const QByteArray before = readAll(warehousePath());
        const QString path = sourceFile(QStringLiteral("listino.csv"),
            "Codice;Prezzo;Giacenza\n"
            "a1;30;7\n" // an update, the code in other capitals
            "NEW;5;1\n" // a new card without cost, name ...
            "B2;;4\n"); // an update whose price cell is empty: the file has the column
        ImportRun::Options options = importOptionsFor(path);
        options.updateByCode = true;
        const QStringList refusals = { "Riga 3: manca il costo unitario", "Riga 4: manca il prezzo di vendita" };

        const ImportRun::Report checked = ImportRun::check(options);
        QCOMPARE(checked.accepted, 1);
        QCOMPARE(texts(checked.refusals), refusals);

        const ImportRun::Report done = ImportRun::write(options);
        QVERIFY2(!done.failure.failed(), qPrintable(done.failure.text()));
        QCOMPARE(done.updated, 1);
        QCOMPARE(done.added, 0);
        QCOMPARE(texts(done.refusals), refusals);
        TSchedaProdotto expected = goodCard(QStringLiteral("A1"));
        expected[F::Codice] = QStringLiteral("a1");
        expected[F::Prezzo] = QStringLiteral("30,00");
        expected[F::Giacenza] = QStringLiteral("7");
        const QByteArray after = readAll(warehousePath());
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(TSchedaProdotto::RecordSize), recordOf(expected));
        QCOMPARE(after.mid(TSchedaProdotto::RecordSize), before.mid(TSchedaProdotto::RecordSize));

        // Without the update option every row is a new card, and needs every required field.
        options.updateByCode = false;
        QCOMPARE(ImportRun::check(options).accepted, 0);
    }

    // The parts are found through the relationships the file declares, their names in any capitals.
    void workbookPartsFromItsRelationships_data()
    {
        QTest::addColumn<Members>("members");
        const QByteArray strings = si("Codice") + si("Prezzo") + si("A1");
        const QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
                                "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>2</v></c><c r=\"B2\"><v>12.5</v></c></row>";
        const Members usual = workbook(strings, rows);
        auto renamed = [&](const QByteArray &from, const QByteArray &to) {
            Members m = usual;
            for (auto &member : m)
                if (member.first == from)
                    member.first = to;
            return m;
        };
        QTest::newRow("shared strings stored in other capitals")
            << renamed("xl/sharedStrings.xml", "xl/SharedStrings.xml");
        Members upper = usual;
        upper[2]
            .second.replace("sharedStrings.xml", "SHAREDSTRINGS.XML")
            .replace("worksheets/sheet1", "Worksheets/Sheet1");
        QTest::newRow("relationships in other capitals") << upper;
        Members own = renamed("xl/sharedStrings.xml", "xl/testi.xml");
        own = Members(own);
        for (auto &member : own)
            if (member.first == "xl/worksheets/sheet1.xml")
                member.first = "xl/fogli/primo.xml";
        own[2].second.replace("sharedStrings.xml", "testi.xml").replace("worksheets/sheet1.xml", "/xl/fogli/primo.xml");
        QTest::newRow("parts named by the writer, one by an absolute name") << own;
        const Members root = {
            { "[Content_Types].xml", "<Types/>" },
            { "_rels/.rels",
                "<Relationships><Relationship Id=\"r1\" Type=\"http://x/officeDocument\" "
                "Target=\"/workbook.xml\"/></Relationships>" },
            { "workbook.xml", usual[1].second },
            { "_rels/workbook.xml.rels", usual[2].second },
            { "styles.xml", usual[3].second },
            { "sharedStrings.xml", usual[4].second },
            { "worksheets/sheet1.xml", usual[5].second },
        };
        QTest::newRow("parts at the root of the ZIP") << root;
    }
    void workbookPartsFromItsRelationships()
    {
        QFETCH(Members, members);
        QCOMPARE(rowsOf(sourceZip(QStringLiteral("w.xlsx"), members)), QStringLiteral("Codice|Prezzo/A1|12,5"));
    }

    // A report names the row as the sheet numbers it, empty rows between counted.
    void reportRowsAsTheSheetNumbersThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // the ZIP's sheet, or the whole file
        const QByteArray xlsx = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Codice</t></is></c>"
                                "<c r=\"B1\" t=\"inlineStr\"><is><t>Prezzo</t></is></c></row>"
                                "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>A2</t></is></c></row>"
                                "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>A5</t></is></c></row>"
                                "<row><c t=\"inlineStr\"><is><t>A6</t></is></c></row>";
        QTest::newRow(".xlsx") << "r.xlsx" << xlsx;
        QTest::newRow(".csv") << "r.csv" << QByteArray("Codice;Prezzo\nA2\n\n;\nA5\nA6\n");
        QTest::newRow(".fods")
            << "r.fods"
            << QByteArray("<?xml version=\"1.0\"?><office:document "
                          "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                          "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
                          "<office:spreadsheet><table:table table:name=\"F\">"
                          "<table:table-row><table:table-cell><text:p>Codice</text:p></table:table-cell>"
                          "<table:table-cell><text:p>Prezzo</text:p></table:table-cell></table:table-row>"
                          "<table:table-row><table:table-cell><text:p>A2</text:p></table:table-cell></table:table-row>"
                          "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell/></table:table-row>"
                          "<table:table-row><table:table-cell><text:p>A5</text:p></table:table-cell></table:table-row>"
                          "<table:table-row><table:table-cell><text:p>A6</text:p></table:table-cell></table:table-row>"
                          "</table:table></office:spreadsheet></office:body></office:document>");
    }
    void reportRowsAsTheSheetNumbersThem()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = name.endsWith(QLatin1String(".xlsx")) ? sourceZip(name, workbook(QByteArray(), bytes))
                                                                   : sourceFile(name, bytes);
        const ImportRun::Report report = ImportRun::check(importOptionsFor(path));
        QVERIFY2(!report.failure.failed(), qPrintable(report.failure.text()));
        QCOMPARE(texts(report.refusals),
            QStringList({ "Riga 2: manca il costo unitario", "Riga 5: manca il costo unitario",
                "Riga 6: manca il costo unitario" }));
    }

    // Serial days before 1 March 1900 count without the calendar's 29 February that never was.
    void workbookCalendarOf1900_data()
    {
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QString>("day");
        QTest::newRow("1") << QByteArray("1") << "01/01/1900";
        QTest::newRow("31") << QByteArray("31") << "31/01/1900";
        QTest::newRow("59") << QByteArray("59") << "28/02/1900";
        QTest::newRow("60, a day that never was") << QByteArray("60") << "60";
        QTest::newRow("61") << QByteArray("61") << "01/03/1900";
        QTest::newRow("45000") << QByteArray("45000") << "15/03/2023";
    }
    void workbookCalendarOf1900()
    {
        QFETCH(QByteArray, serial);
        QFETCH(QString, day);
        const QString path = sourceZip(QStringLiteral("d.xlsx"),
            workbook(QByteArray(), "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>" + serial + "</v></c></row>"));
        QCOMPARE(rowsOf(path), day);
    }

    // _xHHHH_ stands for a character; a text holding those very letters has its "_" escaped.
    void workbookEscapesRead()
    {
        const QString path = sourceZip(QStringLiteral("e.xlsx"),
            workbook(si("a_x0001_b") + si("_x005F_x0041_") + si("_x00e8_ _xZZ00_ _x41_"),
                "<row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c><c t=\"s\"><v>2</v></c>"
                "<c t=\"inlineStr\"><is><t>x_x0009_y</t></is></c><c t=\"str\"><v>_x0041_</v></c></row>"));
        QCOMPARE(rowsOf(path), QStringLiteral("a\u0001b|_x0041_|\u00e8 _xZZ00_ _x41_|x\ty|A"));
    }

    // What Magazzino.xlsx writes, a spreadsheet reads back as it was: early 1900 dates, control
    // characters and texts that look like escapes.
    void workbookWriterAndReaderAgree()
    {
        if (!(WorkbookWriter::available() && ImportSource::readsWorkbooks()))
            QSKIP("This build neither writes nor reads .xlsx workbooks");
        const QStringList days = { "01/01/1900", "28/02/1900", "01/03/1900", "02/03/1900", "31/12/1999" };
        const QStringList notes = { "_x0041_", "a_x005F_b", "_X0041_", "__x0041__", "ok" };
        WarehouseSheet sheet;
        for (int i = 0; i < days.size(); ++i) {
            TSchedaProdotto card = goodCard(QString::number(i));
            card[F::DataSca] = days[i];
            card[F::Note] = notes[i];
            sheet.appendRecord(recordOf(card).constData());
        }
        const QString path = m_source + QStringLiteral("/Magazzino.xlsx");
        QVERIFY(WorkbookWriter::write(path, sheet, kHeaders, {}));
        const QByteArray xml = zipMember(path, "xl/worksheets/sheet1.xml");
        QVERIFY(xml.contains("_x005F_x0041_")); // as a spreadsheet program itself writes it
        QVERIFY(xml.contains("<v>61</v>")); // 01/03/1900 in the calendar every spreadsheet uses
        QVERIFY(xml.contains("<v>59</v>")); // 28/02/1900

        ImportError error;
        const auto reader = ImportSource::open(path, ImportSource::detect(path), &error);
        QVERIFY(reader);
        QStringList cells;
        QVERIFY(reader->next(cells)); // the header
        for (int i = 0; i < days.size(); ++i) {
            QVERIFY(reader->next(cells));
            QCOMPARE(cells.value(13), days[i]);
            QCOMPARE(cells.value(14), notes[i]);
        }
    }

    // Control characters cannot be stored in a card; in a workbook they are escaped, and read back.
    void workbookControlCharactersRoundTrip()
    {
        if (!(WorkbookWriter::available() && ImportSource::readsWorkbooks()))
            QSKIP("This build neither writes nor reads .xlsx workbooks");
        WarehouseSheet sheet;
        TSchedaProdotto card = goodCard(QStringLiteral("1"));
        sheet.appendRecord(recordOf(card).constData());
        QStringList headers = kHeaders;
        headers[14] = QStringLiteral("Note\u0001_x0041_");
        const QString path = m_source + QStringLiteral("/Magazzino.xlsx");
        QVERIFY(WorkbookWriter::write(path, sheet, headers, {}));
        QVERIFY(!zipMember(path, "xl/worksheets/sheet1.xml").contains('\x01'));
        ImportError error;
        const auto reader = ImportSource::open(path, ImportSource::detect(path), &error);
        QVERIFY(reader);
        QStringList cells;
        QVERIFY(reader->next(cells));
        QCOMPARE(cells.value(14), headers[14]);
    }

    // A damaged file is refused whole with its reason, or its damaged rows are refused with theirs;
    // the other rows are read, and nothing is dropped without a word.
    void damagedFilesSayWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // a workbook's sheet, or the whole file
        QTest::addColumn<QByteArray>("strings"); // a workbook's shared strings
        QTest::addColumn<qint64>("accepted");
        QTest::addColumn<QStringList>("refusals");
        QTest::addColumn<QString>("failure");

        const QByteArray good = "<c t=\"s\"><v>2</v></c><c t=\"s\"><v>3</v></c><c t=\"s\"><v>4</v></c>"
                                "<c t=\"s\"><v>5</v></c><c t=\"s\"><v>6</v></c><c t=\"s\"><v>7</v></c><c><v>25</v></c>";
        const QByteArray strings = si("Codice") + si("Costo") + si("C") + si("10") + si("Vaso") + si("Ceramica")
            + si("Casa") + si("Smaltato") + si("Prezzo");
        const QByteArray header = "<row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>"
                                  "<c t=\"inlineStr\"><is><t>Nome</t></is></c>"
                                  "<c t=\"inlineStr\"><is><t>Aspetto</t></is></c>"
                                  "<c t=\"inlineStr\"><is><t>Categoria</t></is></c>"
                                  "<c t=\"inlineStr\"><is><t>Caratteristiche</t></is></c><c t=\"s\"><v>8</v></c></row>";
        auto rowsUpTo = [&](int last, int damagedRow, const QByteArray &damaged) {
            QByteArray out = header;
            for (int r = 2; r <= last; ++r) {
                const QByteArray n = QByteArray::number(r);
                out += r == damagedRow ? damaged : "<row r=\"" + n + "\">" + good + "</row>";
            }
            return out;
        };
        const QString sheetDamaged = QStringLiteral("Il foglio di lavoro \u00e8 danneggiato");
        QTest::newRow("an unclosed cell in row 3 of 1 002")
            << "a.xlsx" << rowsUpTo(1002, 3, "<row r=\"3\"><c t=\"s\"><v>2</v></row>") << strings << qint64(0)
            << QStringList() << sheetDamaged;
        QTest::newRow("a stray < in row 3 of 1 002")
            << "b.xlsx" << rowsUpTo(1002, 3, "<row r=\"3\"><c t=\"inlineStr\"><is><t>a<b</t></is></c></row>") << strings
            << qint64(0) << QStringList() << sheetDamaged;
        QTest::newRow("a sheet cut short") << "c.xlsx" << rowsUpTo(20, 0, QByteArray()) + "<row r=\"21\"><c t"
                                           << strings << qint64(0) << QStringList() << sheetDamaged;
        const char *badIndexes[] = { "-1", "99999999999", "uno", "1.5", "" };
        QByteArray indexes = header;
        QStringList indexRefusals;
        for (int i = 0; i < 5; ++i) {
            const QByteArray n = QByteArray::number(i + 2);
            indexes += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + badIndexes[i] + "</v></c>"
                + good.mid(good.indexOf("</c>") + 4) + "</row>";
            indexRefusals << QStringLiteral("Riga %1: la cella A%1 (\u00ab%2\u00bb) rimanda a un testo che la cartella "
                                            "di lavoro non contiene, riga non letta")
                                 .arg(i + 2)
                                 .arg(QLatin1String(badIndexes[i]));
        }
        indexes += "<row r=\"7\">" + good + "</row>";
        QTest::newRow("shared text indexes that point nowhere")
            << "d.xlsx" << indexes << strings << qint64(1) << indexRefusals << QString();
        const QString dtd = QStringLiteral("La cartella di lavoro \u00e8 danneggiata o contraffatta");
        QTest::newRow("a document type in the sheet")
            << "e.xlsx" << QByteArray("</sheetData></worksheet>") << strings << qint64(0) << QStringList() << dtd;

        QByteArray csv = kCsvHeader + csvRow(2) + "C3;10,00;\"Vaso;Ceramica;Casa;Smaltato;25,00\n";
        for (int r = 4; r <= 1003; ++r)
            csv += csvRow(r);
        const QStringList quote = { "Riga 3: virgolette aperte e mai chiuse, riga non letta (le righe seguenti sono "
                                    "state lette)" };
        QTest::newRow("a quote never closed") << "f.csv" << csv << QByteArray() << qint64(1001) << quote << QString();
        QByteArray later = kCsvHeader + csvRow(2) + "C3;10,00;\"Vaso;Ceramica;Casa;Smaltato;25,00\r\n";
        for (int r = 4; r <= 200; ++r)
            later += r == 150 ? "C150;10,00;\"Vaso, grande\";Ceramica;Casa;Smaltato;25,00\r\n" : csvRow(r);
        QTest::newRow("a quote closed only by another row's, far below")
            << "g.csv" << later << QByteArray() << qint64(198) << quote << QString();
        QByteArray utf8 = "\xEF\xBB\xBF" + QByteArray(kCsvHeader) + "C\xC3\xA8;10,00;\"Vas\xC3\xB2;x;y;z;1\n";
        for (int r = 3; r <= 5; ++r)
            utf8 += "\xE2\x82\xAC" + csvRow(r);
        QTest::newRow("a quote never closed, text in UTF-8 with its mark")
            << "h.csv" << utf8 << QByteArray() << qint64(3)
            << QStringList({ "Riga 2: virgolette aperte e mai chiuse, riga non letta (le righe seguenti sono state "
                             "lette)" })
            << QString();
    }
    void damagedFilesSayWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, strings);
        QFETCH(qint64, accepted);
        QFETCH(QStringList, refusals);
        QFETCH(QString, failure);
        QString path;
        if (name.endsWith(QLatin1String(".xlsx"))) {
            Members members = workbook(strings, bytes);
            if (name == QLatin1String("e.xlsx"))
                members[5].second = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY c \"C1\">]><worksheet>"
                                    "<sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>&c;</t></is></c></row>"
                    + bytes;
            path = sourceZip(name, members);
        } else {
            path = sourceFile(name, bytes);
        }
        const ImportRun::Options options = importOptionsFor(path);
        for (const ImportRun::Report &report : { ImportRun::check(options), ImportRun::write(options) }) {
            QVERIFY2(report.failure.text().startsWith(failure), qPrintable(report.failure.text()));
            QCOMPARE(report.failure.failed(), !failure.isEmpty());
            QCOMPARE(texts(report.refusals), refusals);
            QCOMPARE(report.refused, refusals.size());
            if (failure.isEmpty())
                QCOMPARE(report.accepted, accepted);
            else
                QVERIFY(!report.written);
        }
        QCOMPARE(WarehouseArchive::count(), failure.isEmpty() ? accepted : 0);
    }

    // Each picture keeps its proportions inside its own row, whatever the rows before it, and a palette
    // picture keeps its colours.
    void workbookPhotosInTheirOwnRows()
    {
        if (!WorkbookWriter::available())
            QSKIP("This build does not write .xlsx workbooks");
        QImage wide(1600, 1200, QImage::Format_RGB32);
        wide.fill(Qt::darkGreen);
        QImage tall(300, 1200, QImage::Format_RGB32);
        tall.fill(Qt::darkBlue);
        // A palette picture, saved as the card's n.jpg the way a program that keeps PNG data would.
        QImage palette(400, 300, QImage::Format_Indexed8);
        palette.setColorTable({ qRgb(200, 20, 20), qRgb(20, 20, 200) });
        palette.fill(0);
        const QString paletteFile = m_source + QStringLiteral("/3.jpg");
        QVERIFY(palette.save(paletteFile, "PNG"));
        const QList<QImage> photos = { wide, tall,
            loadPictureFor(paletteFile, QSize(WorkbookWriter::ThumbnailWidth, WorkbookWriter::ThumbnailHeight)) };
        QCOMPARE(photos.last().isNull(), false);

        WarehouseSheet sheet;
        for (int i = 0; i < 5; ++i)
            sheet.appendRecord(recordOf(goodCard(QString::number(i + 1))).constData());
        const QString path = m_source + QStringLiteral("/Magazzino.xlsx");
        QVERIFY(WorkbookWriter::write(
            path, sheet, kHeaders, [&](qsizetype row) { return row < 3 ? photos[int(row)] : QImage(); }));

        // Row heights in pixels as the sheet sets them, every other row the sheet's default.
        const QString xml = QString::fromUtf8(zipMember(path, "xl/worksheets/sheet1.xml"));
        const double defaultPoints
            = QRegularExpression(QStringLiteral("defaultRowHeight=\"([0-9.]+)\"")).match(xml).captured(1).toDouble();
        QHash<int, double> heights; // sheet row from 0 -> pixels
        for (const auto &m :
            QRegularExpression(QStringLiteral("<row r=\"(\\d+)\"[^>]* ht=\"([0-9.]+)\"")).globalMatch(xml))
            heights.insert(m.captured(1).toInt() - 1, m.captured(2).toDouble() / 0.75);
        auto rowPixels = [&](int row) { return heights.value(row, defaultPoints / 0.75); };

        const QString drawing = QString::fromUtf8(zipMember(path, "xl/drawings/drawing1.xml"));
        const QRegularExpression anchor(QStringLiteral(
            "<xdr:from><xdr:col>(\\d+)</xdr:col><xdr:colOff>(\\d+)</xdr:colOff><xdr:row>(\\d+)</"
            "xdr:row><xdr:rowOff>(\\d+)"
            "</xdr:rowOff></xdr:from><xdr:to><xdr:col>(\\d+)</xdr:col><xdr:colOff>(\\d+)</xdr:colOff><xdr:row>(\\d+)"
            "</xdr:row><xdr:rowOff>(\\d+)</xdr:rowOff></xdr:to>.*?<a:ext cx=\"(\\d+)\" cy=\"(\\d+)\""));
        constexpr double Emu = 9525; // per pixel
        QList<QSize> sizes;
        int count = 0;
        for (const auto &m : anchor.globalMatch(drawing)) {
            const int row = m.captured(3).toInt();
            QCOMPARE(row, count + 1); // the card's own row
            QCOMPARE(m.captured(7).toInt(), row); // and it ends there: it covers no other card's
            QCOMPARE(m.captured(5).toInt(), m.captured(1).toInt());
            const double top = m.captured(4).toDouble() / Emu;
            const double bottom = m.captured(8).toDouble() / Emu;
            QVERIFY2(bottom <= rowPixels(row), qPrintable(QStringLiteral("%1 %2").arg(bottom).arg(rowPixels(row))));
            const QSize size(qRound(m.captured(9).toDouble() / Emu), qRound(m.captured(10).toDouble() / Emu));
            // The anchors span exactly the picture: a spreadsheet shows it unstretched.
            QCOMPARE(qRound(bottom - top), size.height());
            QCOMPARE(qRound((m.captured(6).toDouble() - m.captured(2).toDouble()) / Emu), size.width());
            sizes.append(size);
            ++count;
        }
        QCOMPARE(count, 3);
        QCOMPARE(sizes.at(0).height(), WorkbookWriter::ThumbnailHeight);
        QVERIFY(qAbs(sizes.at(0).width() - 75) <= 1); // 4:3
        QCOMPARE(sizes.at(1).height(), WorkbookWriter::ThumbnailHeight);
        QVERIFY(qAbs(sizes.at(1).width() - 14) <= 1); // 1:4

        // The palette picture in colour: its thumbnail is the third picture stored.
        bool red = false;
        for (const char *name : { "xl/media/image3.jpeg", "xl/media/image3.jpg" }) {
            const QImage stored = QImage::fromData(zipMember(path, name));
            if (stored.isNull())
                continue;
            const QRgb middle = stored.pixel(stored.width() / 2, stored.height() / 2);
            red = qRed(middle) > 150 && qGreen(middle) < 80 && qBlue(middle) < 80;
        }
        QVERIFY(red);
    }

    // A fixed workbook of awkward rows imports to the same cards, byte for byte, and the same report,
    // however its reading is made faster.
    void largeWorkbookImportsToTheSameCards()
    {
        QByteArray strings;
        for (int i = 0; i < 50; ++i)
            strings += si("Testo condiviso " + QByteArray::number(i) + (i % 7 == 0 ? " &amp; &#233;_x0001_" : ""));
        strings
            += "<si><r><t>Ric</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">co </t></r><rPh><t>x</t></rPh></si>";
        QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Codice</t></is></c>"
                          "<c r=\"B1\" t=\"inlineStr\"><is><t>Costo</t></is></c>"
                          "<c r=\"C1\" t=\"inlineStr\"><is><t>Nome</t></is></c>"
                          "<c r=\"D1\" t=\"inlineStr\"><is><t>Giacenza</t></is></c>"
                          "<c r=\"E1\" t=\"inlineStr\"><is><t>Aspetto</t></is></c>"
                          "<c r=\"F1\" t=\"inlineStr\"><is><t>Categoria</t></is></c>"
                          "<c r=\"G1\" t=\"inlineStr\"><is><t>Caratteristiche</t></is></c>"
                          "<c r=\"H1\" t=\"inlineStr\"><is><t>Prezzo</t></is></c>"
                          "<c r=\"I1\" t=\"inlineStr\"><is><t>Scadenza</t></is></c>"
                          "<c r=\"J1\" t=\"inlineStr\"><is><t>Pagato</t></is></c>"
                          "<c r=\"K1\" t=\"inlineStr\"><is><t>Note</t></is></c></row>";
        for (int i = 0; i < 3000; ++i) {
            const QByteArray n = QByteArray::number(i + 2 + i / 100); // an empty row every hundred
            const QByteArray k = QByteArray::number(i);
            rows += "<row r=\"" + n + "\">";
            rows += "<c r=\"A" + n + "\" t=\"inlineStr\"><is><t>ART" + k + "</t></is></c>";
            rows += "<c r=\"B" + n + "\"><v>" + QByteArray::number(i % 97 * 1.25) + "</v></c>";
            rows += "<c r=\"C" + n + "\" t=\"s\"><v>" + QByteArray::number(i % 51) + "</v></c>";
            rows += i % 13 == 0 ? QByteArray("<c r=\"D" + n + "\" t=\"str\"><v>tanti</v></c>")
                                : "<c r=\"D" + n + "\"><v>" + QByteArray::number(i % 40 - 5) + "</v></c>";
            rows += "<c r=\"E" + n + "\" t=\"inlineStr\"><is><t>Scatola \xe2\x82\xac \xe4\xb8\xad</t></is></c>";
            rows += "<c r=\"F" + n + "\" t=\"s\"><v>" + QByteArray::number((i * 7) % 50) + "</v></c>";
            rows += "<c r=\"G" + n + "\" t=\"inlineStr\"><is><t>" + QByteArray(i % 5 * 30, 'x') + "alto</t></is></c>";
            rows += i % 17 == 0 ? QByteArray()
                                : "<c r=\"H" + n + "\"><v>" + QByteArray::number(i % 300 + 0.5) + "</v></c>";
            rows += "<c r=\"I" + n + "\" s=\"1\"><v>" + QByteArray::number(i % 3 ? 40000 + i : 20) + "</v></c>";
            rows += "<c r=\"J" + n + "\" t=\"b\"><v>" + QByteArray::number(i % 2) + "</v></c>";
            rows += "<c r=\"K" + n + "\" t=\"s\"><v>50</v></c></row>";
        }
        const QString path = sourceZip(QStringLiteral("grande.xlsx"), workbook(strings, rows));
        const ImportRun::Report report = ImportRun::write(importOptionsFor(path));
        QVERIFY2(!report.failure.failed(), qPrintable(report.failure.text()));
        QStringList lines = report.text().split(QLatin1Char('\n'));
        lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("Copia dell'archivio")); });
        const QByteArray archive = readAll(warehousePath());
        QCOMPARE(archive.size(), report.added * TSchedaProdotto::RecordSize);
        QCOMPARE(QCryptographicHash::hash(lines.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha256).toHex(),
            QByteArray("3bcf1d0c08e5c0e99fad705bfc35b1e4362b610291fcb543cf6b82c8e76d2703"));
        QCOMPARE(QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex(),
            QByteArray("897e3463d1d1226056d07da5878179aca554cfa4815479a71b73d1e45bebc3e5"));
    }

    // A semicolon file whose numbers have decimal commas is read with its semicolons, however many
    // cells its rows leave out at their end.
    void semicolonsBeforeDecimalCommas()
    {
        const QString path = sourceFile(QStringLiteral("s.csv"),
            "Codice;Nome;Prezzo;Note;Colore\n"
            "A1;Vaso;12,50\n"
            "A2;Tazza;3,20;fragile\n"
            "A3;Piatto;1.234,00;;blu\n"
            "A4;Brocca;7,90\n"
            "A5;Ciotola;2,10;;\n");
        const ImportSource::Format format = ImportSource::detect(path);
        QCOMPARE(QString(format.separator), QStringLiteral(";"));
        QCOMPARE(rowsOf(path),
            QStringLiteral("Codice|Nome|Prezzo|Note|Colore/A1|Vaso|12,50/A2|Tazza|3,20|fragile/"
                           "A3|Piatto|1.234,00||blu/A4|Brocca|7,90/A5|Ciotola|2,10||"));
        // A real comma file keeps its commas.
        QCOMPARE(QString(ImportSource::detect(sourceFile(QStringLiteral("c.csv"), "a,b,c\n1,2,3\n4,5,6\n")).separator),
            QStringLiteral(","));
    }
};

QTEST_GUILESS_MAIN(TestImportFaults)
#include "tst_importfaults.moc"
