// Importing the spreadsheets a shop keeps besides .xlsx: OpenDocument (.ods, .fods) and Excel 97-2003
// (.xls). The fixtures in tests/fixtures/sheets were made by LibreOffice Calc from one table of awkward
// cells (scripts/make-sheet-fixtures makes them again).
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/ImportOptions.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/ImportSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

#include <memory>

using F = TSchedaProdotto::Field;

namespace {
QString fixture(const QString &name)
{
    return QStringLiteral(FIXTURES_DIR "/sheets/") + name;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every row of a sheet as read, cells joined by "|", rows by "~"; or the first refusal met.
QString rowsOf(const QString &path, int sheet = 0)
{
    ImportSource::Format format = ImportSource::detect(path);
    if (format.error.failed())
        return QStringLiteral("ERROR ") + format.error.text();
    format.sheet = sheet;
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    if (!reader)
        return QStringLiteral("ERROR ") + error.text();
    QStringList rows;
    for (QStringList cells; reader->next(cells);)
        rows.append(cells.join(QLatin1Char('|')));
    if (reader->error().failed())
        rows.append(QStringLiteral("ERROR ") + reader->error().text());
    return rows.join(QLatin1Char('~'));
}

// A flat OpenDocument spreadsheet of one sheet with the given rows.
QByteArray flatSheet(const QByteArray &rows, const QByteArray &name = "Foglio1")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body><office:spreadsheet>"
           "<table:table table:name=\""
        + name + "\">" + rows + "</table:table></office:spreadsheet></office:body></office:document>";
}

QByteArray textCell(const QByteArray &text, const QByteArray &attributes = QByteArray())
{
    return "<table:table-cell office:value-type=\"string\"" + attributes + "><text:p>" + text
        + "</text:p></table:table-cell>";
}
} // namespace

class TestImportSheets : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;

    QString sourceFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_source + QLatin1Char('/') + name;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

    QString zipFile(const QString &name, const QList<QPair<const char *, QByteArray>> &members)
    {
        const QString path = m_source + QLatin1Char('/') + name;
        int error = 0;
        zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (const auto &[member, bytes] : members)
            zip_file_add(zip, member, zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
        zip_close(zip);
        return path;
    }

    ImportRun::Report importInto(const QString &program, const QString &path)
    {
        QDir().mkpath(program);
        setProgramFolderOverride(program);
        return ImportRun::write(importOptionsFor(path));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_source = m_dir->path() + QStringLiteral("/sorgente");
        QDir().mkpath(m_source);
        setProgramFolderOverride(m_dir->path() + QStringLiteral("/programma"));
    }
    void cleanup()
    {
        ImportSource::setLimits({});
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    void everyFormatGivesTheSameCards()
    {
        QByteArray first;
        for (const char *name : { "awkward.xlsx", "awkward.ods", "awkward.fods", "awkward.xls" }) {
            const QString program = m_dir->path() + QLatin1Char('/') + QLatin1String(name);
            const ImportRun::Report done = importInto(program, fixture(QLatin1String(name)));
            QVERIFY2(!done.failure.failed(), qPrintable(QLatin1String(name) + QLatin1Char(' ') + done.failure.text()));
            QCOMPARE(done.added, 6);
            QCOMPARE(done.refused, 1);
            // The titles above the headers are no products, and rows keep the sheet's numbers (the .xlsx
            // reader still numbers without its empty rows).
            if (!QByteArray(name).endsWith(".xlsx"))
                QVERIFY2(done.refusals.first().text().startsWith(QStringLiteral("Riga 9: ")),
                    qPrintable(done.refusals.first().text()));
            const QByteArray archive = readAll(program + QStringLiteral("/Magazzino.pro"));
            if (first.isEmpty()) {
                first = archive;
                continue;
            }
            QVERIFY2(archive == first, name);
        }
        // What the shop expects of the awkward cells, whichever format carried them.
        QCOMPARE(first.size(), 6 * TSchedaProdotto::RecordSize);
        const TSchedaProdotto a = TSchedaProdotto::load(first.constData());
        QCOMPARE(a[F::Codice], QStringLiteral("007"));
        QCOMPARE(a[F::Costo], QStringLiteral("12,50"));
        QCOMPARE(a[F::Nome], QStringLiteral("Tazza \u00e0\u00e8\u00ec\u00f2\u00f9 \u20ac \u00abspeciale\u00bb"));
        QCOMPARE(a[F::Prezzo], QStringLiteral("25,00"));
        QCOMPARE(a[F::DataSca], QStringLiteral("31/12/2024"));
        QCOMPARE(a[F::Pagato], QStringLiteral("S\u00ec"));
        QCOMPARE(a[F::Recapito], QStringLiteral("0512345678"));
        const TSchedaProdotto b = TSchedaProdotto::load(first.constData() + TSchedaProdotto::RecordSize);
        QCOMPARE(b[F::Costo], QStringLiteral("12,50"));
        QCOMPARE(b[F::DataSca], QStringLiteral("05/01/2024"));
        QCOMPARE(b[F::Pagato], QStringLiteral("No"));
        QCOMPARE(b[F::Prezzo], QStringLiteral("1234,50"));
        const TSchedaProdotto c = TSchedaProdotto::load(first.constData() + 2 * TSchedaProdotto::RecordSize);
        QCOMPARE(c[F::Codice], QStringLiteral("0042"));
        QCOMPARE(c[F::Nome], QStringLiteral("Piatto  fondo"));
        // Cells typed as text the ways people type them.
        const struct
        {
            int card;
            F field;
            const char16_t *stored;
        } typed[] = {
            { 3, F::Codice, u"00123" },
            { 3, F::Costo, u"1234,50" },
            { 3, F::Giacenza, u"1200" },
            { 3, F::Prezzo, u"12,50" },
            { 3, F::DataSca, u"03/01/2025" },
            { 3, F::Pagato, u"S\u00ec" },
            { 3, F::Recapito, u"0039 051 123456" },
            { 4, F::Codice, u"0815" },
            { 4, F::Costo, u"3,20" },
            { 4, F::Prezzo, u"12,50" },
            { 4, F::DataSca, u"03/01/2025" },
            { 5, F::Costo, u"7,00" },
            { 5, F::Giacenza, u"5" },
            { 5, F::DataSca, u"03/01/2025" },
        };
        for (const auto &t : typed) {
            const TSchedaProdotto card
                = TSchedaProdotto::load(first.constData() + t.card * TSchedaProdotto::RecordSize);
            QCOMPARE(card[t.field], QString::fromUtf16(t.stored));
        }
    }

    void rowsAsTheSheetHasThem_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow(".ods") << "awkward.ods";
        QTest::newRow(".fods") << "awkward.fods";
        QTest::newRow(".xls") << "awkward.xls";
    }
    void rowsAsTheSheetHasThem()
    {
        // The empty rows keep their place, so the report numbers rows as the sheet does; the million
        // empty rows below the table are no rows at all; a merged cell's other columns are empty; the
        // table starts in column B, below a merged title and a note.
        QFETCH(QString, file);
        const QString rows = rowsOf(fixture(file));
        QStringList lines = rows.split(QLatin1Char('~'));
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines.at(0), QStringLiteral("Listino fornitore - gennaio 2025"));
        QCOMPARE(lines.at(1), QStringLiteral("|Prezzi IVA inclusa, aggiornati al 2/1/2025"));
        QCOMPARE(lines.at(2), QString());
        QCOMPARE(lines.at(3),
            QStringLiteral("|Codice|Costo|Nome|Giacenza|Aspetto|Categoria|Caratteristiche|Prezzo|Data scadenza|"
                           "Pagato|Note|Recapito"));
        const bool xls = file.endsWith(QLatin1String(".xls"));
        QCOMPARE(lines.at(4),
            QStringLiteral("|007|12,5|Tazza \u00e0\u00e8\u00ec\u00f2\u00f9 \u20ac \u00abspeciale\u00bb|3|Ceramica|"
                           "Casa|Smaltato\nbordo oro|25|31/12/2024|%1|0,15|0512345678")
                .arg(xls ? QStringLiteral("1") : QStringLiteral("S\u00ec")));
        QVERIFY2(lines.at(5).startsWith(QStringLiteral("|B-2|12,50|Vaso alto decorato a mano Vaso")),
            qPrintable(lines.at(5)));
        QVERIFY2(lines.at(5).endsWith(QStringLiteral("|-4|Vetro|Casa|Soffiato a mano|1234,5|05/01/2024|%1")
                                          .arg(xls ? QStringLiteral("0") : QStringLiteral("No"))),
            qPrintable(lines.at(5)));
        QCOMPARE(lines.at(6), QString());
        QCOMPARE(lines.at(7),
            QStringLiteral("|0042|0,1|Piatto  fondo|0|Porcellana|Cucina|Decoro <blu> & \"oro\"|7,99||No|Cella unita"));
        QCOMPARE(lines.at(8), QStringLiteral("|X9|1|Senza prezzo|1|Legno|Casa|Grezzo"));
        // Typed as text, read as text: the card's rules make them numbers and days.
        QCOMPARE(lines.at(9),
            QStringLiteral("|00123|1.234,50|Cornice a giorno|1.200|Legno|Casa|Noce|\u20ac 12,50|3 gennaio 2025|"
                           "s\u00ec||0039 051 123456"));
        QCOMPARE(
            lines.at(10), QStringLiteral("|0815|EUR 3,20|Candela|12|Cera|Casa|Profumata|12,50 \u20ac|03-01-25|No"));
        QCOMPARE(lines.at(11), QStringLiteral("|A-10|7|Vassoio| 5 |Metallo|Casa|Ottone|9,90|3/1/2025"));
    }

    void everySheetOfferedHiddenOnesMarked_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sheets");
        QTest::newRow(".ods") << "awkward.ods" << QStringList({ "Prodotti", "Riservato (nascosto)" });
        QTest::newRow(".fods") << "awkward.fods" << QStringList({ "Prodotti", "Riservato (nascosto)" });
        // The library reading .xls does not tell a hidden sheet.
        QTest::newRow(".xls") << "awkward.xls" << QStringList({ "Prodotti", "Riservato" });
    }
    void everySheetOfferedHiddenOnesMarked()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, sheets);
        const ImportSource::Format format = ImportSource::detect(fixture(file));
        QVERIFY2(!format.error.failed(), qPrintable(format.error.text()));
        QCOMPARE(format.sheets, sheets);
        QCOMPARE(rowsOf(fixture(file), 1), QStringLiteral("segreto"));
        QVERIFY(rowsOf(fixture(file), 2).startsWith(QStringLiteral("ERROR Il foglio scelto")));
    }

    void refusedWithTheirReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("password .xls") << fixture("protetto.xls") << "protetto da password";
        QTest::newRow("damaged .ods") << fixture("danneggiato.ods") << "\u00e8 danneggiato";
        QTest::newRow("empty .ods sheet") << fixture("vuoto.ods") << "Il foglio \u00abVuoto\u00bb \u00e8 vuoto";
        QTest::newRow("empty .xlsx sheet") << fixture("vuoto.xlsx") << "Il foglio \u00abVuoto\u00bb \u00e8 vuoto";
        QTest::newRow("empty .xls sheet") << fixture("vuoto.xls") << "Il foglio \u00abVuoto\u00bb \u00e8 vuoto";
    }
    void refusedWithTheirReason()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        const QString rows = rowsOf(path);
        QVERIFY2(rows.startsWith(QStringLiteral("ERROR ")) && rows.contains(reason), qPrintable(rows));
    }

    void otherFilesSayWhatTheyAre()
    {
        const QByteArray mimetype = "application/vnd.oasis.opendocument.text";
        const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        const QList<QPair<QString, QString>> cases = {
            { zipFile("lettera.odt", { { "mimetype", mimetype }, { "content.xml", "<x/>" } }),
                "un documento di testo (.odt), non un foglio di calcolo" },
            { zipFile("listino.xlsb", { { "[Content_Types].xml", "<Types/>" }, { "xl/workbook.bin", "x" } }),
                "(.xlsb), un formato che il programma non legge. Salvare il file come .xlsx o .ods da Excel" },
            { zipFile("foto.zip", { { "a.jpg", "x" } }), "archivio ZIP che non contiene un foglio di calcolo" },
            { sourceFile("listino.pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"), "documento PDF, non un foglio di calcolo" },
            { sourceFile("vecchio.xls", QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00", 8) + QByteArray(600, '\1')),
                "anteriore al 1997 (Excel 2.x\u20134.0), un formato che il programma non legge. Salvare il file "
                "come .xlsx o .ods" },
            { sourceFile("rotto.xls", compound + QByteArray(4000, '\xFF')), "Il file .xls \u00e8 danneggiato" },
            // A workbook saved with a password to open it, its directory past the first megabyte.
            { sourceFile("protetto.xlsx",
                  compound + QByteArray(3 << 20, '\0')
                      + QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32)),
                "protetto da password" },
            { sourceFile("listino.xml",
                  "<?xml version=\"1.0\"?><?mso-application progid=\"Excel.Sheet\"?><Workbook "
                  "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"></Workbook>"),
                "foglio XML di Excel 2003, un formato che il programma non legge. Salvare il file come .xlsx o .ods" },
            { sourceFile("grafico.fods",
                  flatSheet("<table:shapes><draw:frame><draw:object/></draw:frame></table:shapes>"
                            "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
                            "table:number-columns-repeated=\"16384\"/></table:table-row>",
                      "Grafico")),
                "Il foglio \u00abGrafico\u00bb \u00e8 vuoto" },
        };
        for (const auto &[path, reason] : cases) {
            const QString rows = rowsOf(path);
            QVERIFY2(rows.startsWith(QStringLiteral("ERROR ")) && rows.contains(reason),
                qPrintable(QFileInfo(path).fileName() + QStringLiteral(": ") + rows));
        }
        // The program's own export keeps its name and is still read as the page it is.
        const QString page = sourceFile(
            "Magazzino.xls", "<html><body><table><tr><td>Codice</td></tr><tr><td>007</td></tr></table></body></html>");
        QCOMPARE(ImportSource::detect(page).kind, ImportSource::Kind::Page);
        QCOMPARE(rowsOf(page), QStringLiteral("Codice~007"));
        // A zipped spreadsheet is told by its members too, when its first bytes do not say what it is.
        const QByteArray content = flatSheet("<table:table-row>" + textCell("Codice") + "</table:table-row>")
                                       .replace("office:document ", "office:document-content ")
                                       .replace("</office:document>", "</office:document-content>");
        for (const auto &members : QList<QList<QPair<const char *, QByteArray>>>({
                 { { "content.xml", content }, { "mimetype", "application/vnd.oasis.opendocument.spreadsheet" } },
                 { { "content.xml", content } },
             })) {
            const QString ods = zipFile("senza_firma.ods", members);
            QCOMPARE(ImportSource::detect(ods).kind, ImportSource::Kind::OpenDocument);
            QCOMPARE(rowsOf(ods), QStringLiteral("Codice"));
        }
    }

    void repeatsExpandWithinTheBounds()
    {
        // A cell repeated past the last column gives the columns a row holds; a row repeated more than
        // the bound allows is refused, not read for ever; a text longer than a cell is cut.
        const QByteArray wide
            = "<table:table-row>" + textCell("x", " table:number-columns-repeated=\"100000\"") + "</table:table-row>";
        QStringList cells = rowsOf(sourceFile("wide.fods", flatSheet(wide))).split(QLatin1Char('|'));
        QCOMPARE(cells.size(), ImportSource::MaxColumns);

        const QByteArray gap = "<table:table-row>" + textCell("a")
            + "<table:table-cell table:number-columns-repeated=\"3\"/>"
            + textCell("b", " table:number-columns-repeated=\"2\"")
            + "<table:covered-table-cell table:number-columns-repeated=\"500\"/></table:table-row>"
              "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell/></table:table-row>"
              "<table:table-row table:number-rows-repeated=\"2\">"
            + textCell("c") + "</table:table-row>";
        QCOMPARE(rowsOf(sourceFile("gap.fods", flatSheet(gap))), QStringLiteral("a||||b|b~~~c~c"));

        ImportSource::Limits bounds;
        bounds.rows = 1000;
        ImportSource::setLimits(bounds);
        const QByteArray many
            = "<table:table-row table:number-rows-repeated=\"1000000000\">" + textCell("y") + "</table:table-row>";
        QVERIFY(rowsOf(sourceFile("many.fods", flatSheet(many)))
                    .endsWith(QStringLiteral(
                        "ERROR Il file contiene pi\u00f9 di 1.000 righe, il massimo che si pu\u00f2 importare.")));
        ImportSource::setLimits({});

        const QByteArray longText = "<table:table-row>" + textCell(QByteArray(ImportSource::MaxCellChars * 3, 'z'))
            + textCell("dopo") + "</table:table-row>";
        cells = rowsOf(sourceFile("long.fods", flatSheet(longText))).split(QLatin1Char('|'));
        QCOMPARE(cells.size(), 2);
        QCOMPARE(cells.at(0).size(), ImportSource::MaxCellChars);
        QCOMPARE(cells.at(1), QStringLiteral("dopo"));
    }

    void partsPastTheirBoundsAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow(".ods") << "awkward.ods";
        QTest::newRow(".fods") << "awkward.fods";
        QTest::newRow(".xls") << "awkward.xls";
    }
    void partsPastTheirBoundsAreRefused()
    {
        QFETCH(QString, file);
        ImportSource::Limits bounds;
        bounds.partBytes = 4096;
        ImportSource::setLimits(bounds);
        const QString rows = rowsOf(fixture(file));
        QVERIFY2(rows.startsWith(QStringLiteral("ERROR La cartella di lavoro \u00e8 troppo grande")), qPrintable(rows));
    }
};

QTEST_GUILESS_MAIN(TestImportSheets)
#include "tst_importsheets.moc"
