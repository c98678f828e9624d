#include "storage/ArchiveFile.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "storage/platform/Faults.h"
#include "tests/support/ImportOptions.h"
#include "warehouse/rules/CardFilter.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/ImportSource.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "warehouse/rules/WorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

#include <memory>

using F = TSchedaProdotto::Field;
using Verdict = ImportRules::Checked::Verdict;

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

QStringList texts(const QList<ImportError> &errors)
{
    QStringList out;
    for (const ImportError &e : errors)
        out << e.text();
    return out;
}

// Every row of a file as detected, cells joined by "|", rows by "/".
QString rowsOf(const QString &path, ImportSource::Format *seen = nullptr)
{
    const ImportSource::Format format = ImportSource::detect(path);
    if (seen)
        *seen = format;
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    if (!reader)
        return QStringLiteral("ERROR ") + error.text();
    QStringList rows;
    for (QStringList cells; reader->next(cells);)
        rows.append(cells.join(QLatin1Char('|')));
    return rows.join(QLatin1Char('/'));
}

// A card that passes every rule, with a code and optional changes.
TSchedaProdotto goodCard(const QString &code)
{
    TSchedaProdotto c;
    c[F::Codice] = code;
    c[F::Costo] = QStringLiteral("10,00");
    c[F::Nome] = QStringLiteral("Vaso ") + code;
    c[F::Giacenza] = QStringLiteral("3");
    c[F::Avviso] = QStringLiteral("0");
    c[F::UM] = QStringLiteral("Ceramica");
    c[F::Tipologia] = QStringLiteral("Casa");
    c[F::Caratteristiche] = QStringLiteral("Smaltato");
    c[F::Prezzo] = QStringLiteral("25,00");
    c[F::Pagato] = QStringLiteral("No");
    return c;
}

const char kHeader[] = "Codice;Costo;Nome;Aspetto;Categoria;Caratteristiche;Prezzo\n";

QByteArray csvRow(const QString &code, const QString &price = QStringLiteral("25,00"))
{
    return (code + QStringLiteral(";10,00;Vaso;Ceramica;Casa;Smaltato;") + price + QLatin1Char('\n')).toUtf8();
}

QByteArray archiveBytes()
{
    return readAll(warehousePath());
}

// A workbook of one sheet with the given shared strings and sheet body, the way any writer lays it out.
void writeWorkbook(const QString &path, const QByteArray &sharedStrings, const QByteArray &sheet)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    const QList<QPair<const char *, QByteArray>> members = {
        { "xl/workbook.xml", "<workbook><sheets><sheet name=\"Foglio1\" sheetId=\"1\"/></sheets></workbook>" },
        { "xl/sharedStrings.xml", "<sst>" + sharedStrings + "</sst>" },
        { "xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + sheet + "</sheetData></worksheet>" },
    };
    for (const auto &[name, bytes] : members) {
        zip_source_t *src = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        QVERIFY(zip_file_add(zip, name, src, ZIP_FL_ENC_UTF_8) >= 0);
    }
    QCOMPARE(zip_close(zip), 0); // the buffers are read here, while `members` still holds them
}

QByteArray repeated(const QByteArray &piece, qint64 times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (qint64 i = 0; i < times; ++i)
        out += piece;
    return out;
}

// How a file reads to its end: the rows it gave and the first row, or the reason it was refused.
struct Outcome
{
    qint64 rows = 0;
    QStringList first;
    QString error;
};

Outcome readThrough(const QString &path)
{
    Outcome out;
    const ImportSource::Format format = ImportSource::detect(path);
    out.error = format.error.text();
    if (!out.error.isEmpty())
        return out;
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    out.error = error.text();
    if (!reader)
        return out;
    for (QStringList cells; reader->next(cells); ++out.rows)
        if (out.rows == 0)
            out.first = cells;
    out.error = reader->error().text();
    return out;
}
} // namespace

class TestImportRules : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source; // a folder outside the program folder for the files imported

    ImportRun::Options optionsFor(const QString &path) { return importOptionsFor(path); }

    QString sourceFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_source + QLatin1Char('/') + name;
        writeAll(path, bytes);
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
        Os::Faults::disarm();
        ArchiveFile::setLockWait(2000);
        ImportSource::setLimits({});
        setProgramFolderOverride(QString());
        m_dir.reset();
    }

    void awkwardText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("rows");
        QTest::newRow("semicolon, UTF-8 with mark") << QByteArray("\xEF\xBB\xBF"
                                                                  "a;\xC3\xA8;c\r\n1;2;3\r\n")
                                                    << ";"
                                                    << "UTF-8" << QStringLiteral("a|\u00e8|c/1|2|3");
        QTest::newRow("comma, UTF-8 without mark") << QByteArray("a,\xE2\x82\xAC\n1,2\n") << ","
                                                   << "UTF-8" << QStringLiteral("a|\u20ac/1|2");
        QTest::newRow("tab, Windows-1252") << QByteArray("a\t\xE8\x80\n1\t2\n") << "\t"
                                           << "Windows-1252 (ANSI)" << QStringLiteral("a|\u00e8\u20ac/1|2");
        QTest::newRow("separator and quotes inside quotes") << QByteArray("a;b\n\"x;y\";\"dice \"\"ciao\"\"\"\n") << ";"
                                                            << "UTF-8" << QStringLiteral("a|b/x;y|dice \"ciao\"");
        QTest::newRow("line break inside quotes") << QByteArray("a;b\n\"riga1\r\nriga2\";z\n") << ";"
                                                  << "UTF-8" << QStringLiteral("a|b/riga1\r\nriga2|z");
        QTest::newRow("ragged rows and empty line, no final break") << QByteArray("a;b;c\n1\n\n1;2;3;4") << ";"
                                                                    << "UTF-8" << QStringLiteral("a|b|c/1//1|2|3|4");
        QTest::newRow("commas inside a semicolon file") << QByteArray("a;b\n1,5;2,5\n3,5;4\n") << ";"
                                                        << "UTF-8" << QStringLiteral("a|b/1,5|2,5/3,5|4");
        QTest::newRow("old Mac line ends") << QByteArray("a;b\r1;2\r") << ";"
                                           << "UTF-8" << QStringLiteral("a|b/1|2");
    }
    void awkwardText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, encoding);
        QFETCH(QString, rows);
        ImportSource::Format format;
        QCOMPARE(rowsOf(sourceFile(QStringLiteral("a.csv"), bytes), &format), rows);
        QCOMPARE(format.kind, ImportSource::Kind::Text);
        QCOMPARE(QString(format.separator), separator);
        QCOMPARE(ImportSource::encodingName(format.encoding), encoding);
    }

    void binaryGarbageIsRefused()
    {
        QByteArray bytes;
        for (int i = 0; i < 5000; ++i)
            bytes += char((i * 7919) % 256);
        const ImportSource::Format format = ImportSource::detect(sourceFile(QStringLiteral("x.csv"), bytes));
        QVERIFY(format.error.failed());
        // A file that only starts like a workbook is refused too.
        const ImportSource::Format zip
            = ImportSource::detect(sourceFile(QStringLiteral("y.xlsx"), QByteArray("PK\x03\x04") + bytes));
        QVERIFY(zip.error.failed());
    }

    void hugeLineStaysBounded()
    {
        // One 8 MB line with no separator: cells and rows are cut, never held whole.
        const QString path
            = sourceFile(QStringLiteral("big.csv"), QByteArray("a;b\n") + QByteArray(8 << 20, 'x') + "\n1;2\n");
        ImportError error;
        const auto reader = ImportSource::open(path, ImportSource::detect(path), &error);
        QVERIFY(reader);
        QStringList cells;
        QVERIFY(reader->next(cells));
        QVERIFY(reader->next(cells));
        QCOMPARE(cells.size(), 1);
        QCOMPARE(cells.first().size(), ImportSource::MaxCellChars);
        QVERIFY(reader->next(cells));
        QCOMPARE(cells, QStringList({ "1", "2" }));
    }

    void boundsAreReachedAndNotPassed_data()
    {
        // Each file sits exactly at one bound, or one step past it; past it the file is refused
        // with a message that names the bound. The byte bounds are lowered so the files stay small.
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<qint64>("partBytes");
        QTest::addColumn<qint64>("workbookBytes");
        QTest::addColumn<QString>("refusal"); // empty: read to the end
        const qint64 noPart = ImportSource::Limits().partBytes;
        const qint64 noWhole = ImportSource::Limits().workbookBytes;
        const QByteArray oneRow = "<row><c t=\"s\"><v>0</v></c></row>";
        const qint64 rows = ImportSource::Limits().rows;
        const qint64 strings = ImportSource::Limits().sharedStrings;
        const QByteArray full = "<si><t>" + QByteArray(ImportSource::MaxCellChars, 'x') + "</t></si>";
        const qint64 fullStrings = ImportSource::Limits().sharedChars / ImportSource::MaxCellChars;

        QTest::newRow("text rows at the bound")
            << "csv" << QByteArray() << repeated("a\n", rows) << noPart << noWhole << QString();
        QTest::newRow("text rows past it")
            << "csv" << QByteArray() << repeated("a\n", rows + 1) << noPart << noWhole << "1.048.576 righe";
        QTest::newRow("shared strings at the bound")
            << "xlsx" << repeated("<si><t>a</t></si>", strings) << oneRow << noPart << noWhole << QString();
        QTest::newRow("shared strings past it") << "xlsx" << repeated("<si><t>a</t></si>", strings + 1) << oneRow
                                                << noPart << noWhole << "1.048.576 testi condivisi";
        const QByteArray atChars = "<si><t>a</t></si>" + repeated(full, fullStrings - 1) + "<si><t>"
            + QByteArray(ImportSource::MaxCellChars - 1, 'x') + "</t></si>";
        QTest::newRow("shared characters at the bound")
            << "xlsx" << atChars << oneRow << noPart << noWhole << QString();
        QTest::newRow("shared characters past it")
            << "xlsx" << atChars + "<si><t>y</t></si>" << oneRow << noPart << noWhole << "33.554.432 caratteri";
        // The parts are written as <sst>…</sst> and <worksheet><sheetData>…</sheetData></worksheet>.
        const QByteArray sheetFrame = "<worksheet><sheetData></sheetData></worksheet>";
        const QByteArray filler = "<row/>";
        const qint64 part = 1 << 20;
        const QByteArray sheetAtPart = oneRow + QByteArray(part - sheetFrame.size() - oneRow.size(), ' ');
        QTest::newRow("part at the bound")
            << "xlsx" << QByteArray("<si><t>a</t></si>") << sheetAtPart << part << noWhole << QString();
        QTest::newRow("part past it") << "xlsx" << QByteArray("<si><t>a</t></si>") << sheetAtPart + ' ' << part
                                      << noWhole << "una sua parte, decompressa, supera 1 MB";
        const QByteArray book = "<workbook><sheets><sheet name=\"Foglio1\" sheetId=\"1\"/></sheets></workbook>";
        const QByteArray strings1 = "<sst><si><t>a</t></si></sst>";
        const qint64 whole = 2 << 20;
        const QByteArray sheetAtWhole
            = oneRow + QByteArray(whole - book.size() - strings1.size() - sheetFrame.size() - oneRow.size(), ' ');
        QTest::newRow("workbook at the bound")
            << "xlsx" << QByteArray("<si><t>a</t></si>") << sheetAtWhole << noPart << whole << QString();
        QTest::newRow("workbook past it") << "xlsx" << QByteArray("<si><t>a</t></si>") << sheetAtWhole + ' ' << noPart
                                          << whole << "decompressa supera 2 MB";
        // One tag is 64 KB at most, counted from after its "<" to its ">" included.
        const QByteArray open = "<row><c t=\"s\" x=\"";
        const QByteArray tagAtBound = open + QByteArray(65536 - (open.size() - 6) - 2, 'q') + "\">";
        QTest::newRow("tag at the bound") << "xlsx" << QByteArray("<si><t>a</t></si>")
                                          << tagAtBound + "<v>0</v></c></row>" << noPart << noWhole << QString();
        QTest::newRow("tag past it") << "xlsx" << QByteArray("<si><t>a</t></si>")
                                     << open + QByteArray(65536 - (open.size() - 6) - 1, 'q') + "\"><v>0</v></c></row>"
                                     << noPart << noWhole << "un elemento lungo pi\u00f9 di 64 KB";
    }

    void boundsAreReachedAndNotPassed()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, strings);
        QFETCH(QByteArray, sheet);
        QFETCH(qint64, partBytes);
        QFETCH(qint64, workbookBytes);
        QFETCH(QString, refusal);
        if (file == QLatin1String("xlsx") && !ImportSource::readsWorkbooks())
            QSKIP("This build does not read .xlsx workbooks");
        ImportSource::Limits bounds;
        bounds.partBytes = partBytes;
        bounds.workbookBytes = workbookBytes;
        ImportSource::setLimits(bounds);
        const QString path = m_source + QStringLiteral("/f.") + file;
        if (file == QLatin1String("csv"))
            writeAll(path, sheet);
        else
            writeWorkbook(path, strings, sheet);
        const Outcome read = readThrough(path);
        if (refusal.isEmpty()) {
            QCOMPARE(read.error, QString());
            QVERIFY(read.rows >= 1);
            QCOMPARE(read.first.value(0), QStringLiteral("a"));
        } else {
            QVERIFY2(read.error.contains(refusal), qPrintable(read.error));
        }
    }

    void workbookTextsAreCutAsTheyAreRead_data()
    {
        // A text longer than a cell, however it is spelled, gives a whole cell and the rest of the row.
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("cell");
        const int n = ImportSource::MaxCellChars;
        QTest::newRow("plain, 8 MB") << QByteArray(8 << 20, 'x') << QString(n, QLatin1Char('x'));
        QTest::newRow("entities") << repeated("&amp;", 3 * n) << QString(n, QLatin1Char('&'));
        QTest::newRow("numeric entities")
            << repeated("&#x10348;", 3 * n) << QString::fromUcs4(U"\U00010348").repeated(n).left(n);
        QTest::newRow("accented") << repeated("\xc3\xa8", 30 * n) << QString(n, QChar(0xe8));
        QTest::newRow("in runs") << "</t></r><r><t>" + QByteArray(3 * n, 'y') << QString(n, QLatin1Char('y'));
    }

    void workbookTextsAreCutAsTheyAreRead()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, cell);
        if (!ImportSource::readsWorkbooks())
            QSKIP("This build does not read .xlsx workbooks");
        const QString path = m_source + QStringLiteral("/t.xlsx");
        writeWorkbook(path, "<si><r><t>" + text + "</t></r></si>",
            "<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><r><t>" + text
                + "</t></r></is></c><c><v>7</v></c></row>");
        const Outcome read = readThrough(path);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows, 1);
        QCOMPARE(read.first.size(), 3);
        QCOMPARE(read.first.at(0), cell);
        QCOMPARE(read.first.at(1), cell);
        QCOMPARE(read.first.at(2), QStringLiteral("7"));
    }

    void oneRuleForLinesAndDates_data()
    {
        // What a box keeps of a pasted text and what the import keeps of a cell are one text; a due
        // date means one day to the start window's badge, the workbook and the import.
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name"); // the name kept, box and import alike
        QTest::addColumn<QString>("due"); // the day as the program writes it, or empty: no date
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a b" << QString();
        QTest::newRow("LF CR") << "a\n\rb"
                               << "a  b" << QString();
        QTest::newRow("tab and unicode breaks") << "a\tb\u2028c\u0085d"
                                                << "a b c d" << QString();
        QTest::newRow("day first, short") << "5/1/2024"
                                          << "5/1/2024"
                                          << "05/01/2024";
        QTest::newRow("day first, long") << "05/01/2024"
                                         << "05/01/2024"
                                         << "05/01/2024";
        QTest::newRow("blanks around") << " 5/1/2024 "
                                       << "5/1/2024"
                                       << "05/01/2024";
        QTest::newRow("no such day") << "31/2/2024"
                                     << "31/2/2024" << QString();
        QTest::newRow("month first is no day") << "1/13/2024"
                                               << "1/13/2024" << QString();
    }

    void oneRuleForLinesAndDates()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QString, due);
        // The box keeps one line; the field is trimmed when it is stored.
        QCOMPARE(trimText(oneLine(text)), name);
        QStringList cells { QStringLiteral("A"), QStringLiteral("10,00"), text, QStringLiteral("Ceramica"),
            QStringLiteral("Casa"), QStringLiteral("Smaltato"), QStringLiteral("25,00"), text };
        const ImportRules::Mapping mapping = ImportRules::guessMapping(
            { "Codice", "Costo", "Nome", "Aspetto", "Categoria", "Caratteristiche", "Prezzo", "Data scadenza" });
        const ImportRules::Checked imported = ImportRules::checkRow(cells, mapping);
        QCOMPARE(imported.verdict, Verdict::Accepted);
        QCOMPARE(imported.card[F::Nome], name);
        QCOMPARE(imported.card[F::DataSca], due);

        // The badge counts an unpaid card due on the 5th as overdue on the 6th, not on the 5th.
        TSchedaProdotto card = goodCard(QStringLiteral("A"));
        card[F::DataSca] = text;
        QByteArray record(TSchedaProdotto::RecordSize, '\0');
        card.store(record.data());
        QCOMPARE(isOverdue(record.constData(), QDate(2024, 1, 6)), !due.isEmpty());
        QVERIFY(!isOverdue(record.constData(), QDate(2024, 1, 5)));

        if (text != oneLine(text) || !(WorkbookWriter::available() && ImportSource::readsWorkbooks()))
            return;
        // The workbook writes a day as a date, read back in the program's form; anything else as text.
        WarehouseSheet sheet;
        sheet.appendRecord(record.constData());
        const QString path = m_source + QStringLiteral("/d.xlsx");
        QVERIFY(WorkbookWriter::write(path, sheet, QStringList(17, QStringLiteral("h")), {}));
        const ImportSource::Format format = ImportSource::detect(path);
        ImportError error;
        const auto reader = ImportSource::open(path, format, &error);
        QVERIFY(reader);
        QStringList cells2;
        QVERIFY(reader->next(cells2));
        QVERIFY(reader->next(cells2));
        QCOMPARE(cells2.value(13), due.isEmpty() ? trimText(text) : due);
    }

    void cellsAsPeopleTypeThem_data()
    {
        // A cell typed by hand and what the card stores of it; an empty `stored` is a refused amount,
        // or a due date left out.
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const int price = F::Prezzo, stock = F::Giacenza, due = F::DataSca;
        QTest::newRow("thousands and decimals") << price << "1.234,50"
                                                << "1234,50";
        QTest::newRow("thousands alone") << price << "1.234"
                                         << "1234,00";
        QTest::newRow("millions") << price << "1.234.567"
                                  << "1234567,00";
        QTest::newRow("decimal point") << price << "12.5"
                                       << "12,50";
        QTest::newRow("euro sign before") << price << "\u20ac 12,50"
                                          << "12,50";
        QTest::newRow("euro sign after") << price << "12,50 \u20ac"
                                         << "12,50";
        QTest::newRow("EUR before") << price << "EUR 1.234,50"
                                    << "1234,50";
        QTest::newRow("Eur after, no blank") << price << "12,50Eur"
                                             << "12,50";
        QTest::newRow("euro in words") << price << "euro 3"
                                       << "3,00";
        QTest::newRow("narrow blank grouping") << price << "1\u202f234,50"
                                               << "1234,50";
        QTest::newRow("the currency alone") << price << "EUR" << QString();
        QTest::newRow("a word that starts like it") << price << "Europa 3" << QString();
        QTest::newRow("stock with thousands") << stock << "1.200"
                                              << "1200";
        QTest::newRow("stock with blanks") << stock << " 5 "
                                           << "5";
        QTest::newRow("day and month short") << due << "3/1/2025"
                                             << "03/01/2025";
        QTest::newRow("dashes, year of two digits") << due << "03-01-25"
                                                    << "03/01/2025";
        QTest::newRow("points, year of two digits") << due << "3.1.25"
                                                    << "03/01/2025";
        QTest::newRow("slashes, year of two digits") << due << "5/1/24"
                                                     << "05/01/2024";
        QTest::newRow("last century") << due << "31-12-99"
                                      << "31/12/1999";
        QTest::newRow("month in words") << due << "3 gennaio 2025"
                                        << "03/01/2025";
        QTest::newRow("month abbreviated, capitals") << due << "3 GEN 2025"
                                                     << "03/01/2025";
        QTest::newRow("abbreviation with a point") << due << "15 sett. 2025"
                                                   << "15/09/2025";
        QTest::newRow("first of the month") << due << "1\u00b0 marzo 2025"
                                            << "01/03/2025";
        QTest::newRow("dashes and words") << due << "03-gen-25"
                                          << "03/01/2025";
        QTest::newRow("no such day in words") << due << "31 febbraio 2025" << QString();
        QTest::newRow("no such month") << due << "3 gennaro 2025" << QString();
        QTest::newRow("two letters are no month") << due << "3 ma 2025" << QString();
    }
    void cellsAsPeopleTypeThem()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const ImportRules::Mapping mapping = ImportRules::guessMapping({ "Codice", "Costo", "Nome", "Aspetto",
            "Categoria", "Caratteristiche", "Prezzo", "Giacenza", "Data scadenza" });
        QStringList cells = { "007", "1", "Vaso", "Vetro", "Casa", "Soffiato", "2", "3", "" };
        cells[mapping[size_t(field)]] = text;
        const ImportRules::Checked c = ImportRules::checkRow(cells, mapping);
        if (stored.isEmpty() && field != F::DataSca) {
            QCOMPARE(c.verdict, Verdict::Refused);
            return;
        }
        QCOMPARE(c.verdict, Verdict::Accepted);
        QCOMPARE(c.card[static_cast<F>(field)], stored);
        QCOMPARE(c.card[F::Codice], QStringLiteral("007")); // a code keeps its zeros
        // A date that cannot be read is left out, and the report says so.
        QCOMPARE(c.notes.isEmpty(), field != F::DataSca || !stored.isEmpty());
    }

    void headerRowBelowTitles_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("header");
        const QStringList header = { "", "Codice", "Descrizione", "Prezzo" };
        const QStringList product = { "", "A1", "Vaso", "3" };
        QTest::newRow("headers first") << QList<QStringList>({ header, product }) << 0;
        QTest::newRow("a title, a note and an empty row above")
            << QList<QStringList>({ { "Listino 2025" }, { "", "Prezzi IVA inclusa" }, {}, header, product }) << 3;
        QTest::newRow("a title naming one field is no header")
            << QList<QStringList>({ { "Prezzo" }, header, product }) << 1;
        QTest::newRow("no headers at all") << QList<QStringList>({ product, product }) << 0;
        QList<QStringList> deep(ImportRules::HeaderSearchRows, QStringList({ "nota" }));
        QTest::newRow("too far down to be looked for") << (deep << header << product) << 0;
    }
    void headerRowBelowTitles()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, header);
        QCOMPARE(ImportRules::guessHeaderRow(rows), header);
    }

    void headersMatchThemselves_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("expected"); // column for Codice, Nome, Giacenza, Prezzo, Costo
        QTest::newRow("plain words, any case and accents")
            << QStringList({ "CODICE", "Descrizione", "Quantit\u00e0", "Prezzo", "costo" })
            << QList<int>({ 0, 1, 2, 3, 4 });
        QTest::newRow("the card's captions win over the loose words")
            << QStringList({ "Descrizione", "Nome prodotto", "Prezzo di vendita", "Prezzo", "Codice articolo" })
            << QList<int>({ 4, 1, -1, 2, -1 });
        QTest::newRow("nothing known") << QStringList({ "x", "", "y" }) << QList<int>({ -1, -1, -1, -1, -1 });
    }
    void headersMatchThemselves()
    {
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, expected);
        const ImportRules::Mapping m = ImportRules::guessMapping(headers);
        QCOMPARE(QList<int>({ m[F::Codice], m[F::Nome], m[F::Giacenza], m[F::Prezzo], m[F::Costo] }), expected);
    }

    void rowsRefusedWithTheirReason_data()
    {
        QTest::addColumn<QStringList>("cells"); // code, cost, name, stock, look, category, features, price
        QTest::addColumn<QString>("reason");
        const QStringList good = { "A1", "10,00", "Vaso", "3", "Ceramica", "Casa", "Smaltato", "25" };
        auto with = [&](int i, const QString &v) {
            QStringList c = good;
            c[i] = v;
            return c;
        };
        QTest::newRow("no code") << with(0, " ") << "manca il codice articolo";
        QTest::newRow("no cost") << with(1, "") << "manca il costo unitario";
        QTest::newRow("no name") << with(2, "") << "manca il nome del prodotto";
        QTest::newRow("no look") << with(4, "") << "manca l'aspetto esteriore del bene";
        QTest::newRow("no category") << with(5, "") << "manca la categoria merceologica";
        QTest::newRow("no features") << with(6, "") << "mancano le caratteristiche del prodotto";
        QTest::newRow("no price") << with(7, "") << "manca il prezzo di vendita";
        QTest::newRow("price not a number")
            << with(7, "su richiesta") << QStringLiteral("prezzo di vendita non numerico: \u00absu richiesta\u00bb");
        QTest::newRow("cost too large") << with(1, "1234567890123")
                                        << QStringLiteral("costo unitario troppo grande: \u00ab1234567890123\u00bb");
        QTest::newRow("stock not a number")
            << with(3, "tanti") << QStringLiteral("giacenza non numerico: \u00abtanti\u00bb");
        QTest::newRow("stock over four digits")
            << with(3, "12345") << QStringLiteral("giacenza oltre 4 cifre: \u00ab12345\u00bb");
    }
    void rowsRefusedWithTheirReason()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, reason);
        ImportRules::Mapping m;
        m.fill(ImportRules::NoColumn);
        const F order[]
            = { F::Codice, F::Costo, F::Nome, F::Giacenza, F::UM, F::Tipologia, F::Caratteristiche, F::Prezzo };
        for (int i = 0; i < 8; ++i)
            m[order[i]] = i;
        const ImportRules::Checked c = ImportRules::checkRow(cells, m);
        QCOMPARE(c.verdict, Verdict::Refused);
        QCOMPARE(c.reason.text(), reason);
    }

    void awkwardCellsAsTheCardStoresThem()
    {
        ImportRules::Mapping m;
        m.fill(ImportRules::NoColumn);
        const F order[] = { F::Codice, F::Costo, F::Nome, F::UM, F::Tipologia, F::Caratteristiche, F::Prezzo,
            F::Giacenza, F::DataSca, F::Pagato };
        for (int i = 0; i < 10; ++i)
            m[order[i]] = i;
        const QStringList cells = { "  A1 ", "\u20ac 1.234,5", QString(60, QLatin1Char('n')), "riga1\nriga2",
            "Casa \u4e2d\u6587", "x", "12.5", "7,5", "2025-03-01", "s\u00ec" };
        const ImportRules::Checked c = ImportRules::checkRow(cells, m);
        QCOMPARE(c.verdict, Verdict::Accepted);
        QCOMPARE(c.card[F::Codice], QStringLiteral("A1"));
        QCOMPARE(c.card[F::Costo], QStringLiteral("1234,50"));
        QCOMPARE(c.card[F::Nome], QString(50, QLatin1Char('n')));
        QCOMPARE(c.card[F::UM], QStringLiteral("riga1 riga2"));
        QCOMPARE(c.card[F::Tipologia], QStringLiteral("Casa ??"));
        QCOMPARE(c.card[F::Prezzo], QStringLiteral("12,50"));
        QCOMPARE(c.card[F::Giacenza], QStringLiteral("8"));
        QCOMPARE(c.card[F::Avviso], QStringLiteral("0")); // not mapped: 0, as the card saves an empty box
        QCOMPARE(c.card[F::DataSca], QStringLiteral("01/03/2025"));
        QCOMPARE(c.card[F::Pagato], QStringLiteral("S\u00ec"));
        QCOMPARE(c.replaced, 2);
        QCOMPARE(c.notes.join(QLatin1Char(';')),
            QStringLiteral("Nome prodotto tagliato a 50 caratteri;2 caratteri non memorizzabili scritti come \"?\""));
        QCOMPARE(ImportRules::checkRow({ "", " ", "\t" }, m).verdict, Verdict::Empty);
    }

    void checkingWritesNothingAndWritingKeepsOnlyAcceptedRows()
    {
        WarehouseArchive::append(goodCard(QStringLiteral("OLD")));
        const QByteArray before = archiveBytes();
        const QString path = sourceFile(QStringLiteral("l.csv"),
            kHeader + csvRow(QStringLiteral("A1")) + csvRow(QString())
                + csvRow(QStringLiteral("A3"), QStringLiteral("boh")) + "\n" + csvRow(QStringLiteral("A4")));
        const ImportRun::Options options = optionsFor(path);

        const ImportRun::Report checked = ImportRun::check(options);
        QCOMPARE(archiveBytes(), before);
        QVERIFY(!QFile::exists(ImportRun::backupPath()));
        QCOMPARE(checked.rows, 4);
        QCOMPARE(checked.accepted, 2);
        QCOMPARE(texts(checked.refusals),
            QStringList({ "Riga 3: manca il codice articolo",
                QStringLiteral("Riga 4: prezzo di vendita non numerico: \u00abboh\u00bb") }));
        // The refusal is a value the window can act on, not only a line of text.
        const ImportError priceRefused = checked.refusals.at(1);
        QCOMPARE(priceRefused.reason(), ImportError::Reason::NotANumber);
        QCOMPARE(priceRefused.row(), 4);
        QCOMPARE(priceRefused.field(), int(F::Prezzo));
        QCOMPARE(priceRefused.detail(), QStringLiteral("boh"));

        const ImportRun::Report done = ImportRun::write(options);
        QVERIFY2(!done.failure.failed(), qPrintable(done.failure.text()));
        QCOMPARE(done.added, 2);
        QCOMPARE(WarehouseArchive::count(), 3);
        QCOMPARE(archiveBytes().left(before.size()), before);
        QCOMPARE(WarehouseArchive::read(2)[F::Codice], QStringLiteral("A1"));
        QCOMPARE(WarehouseArchive::read(3)[F::Codice], QStringLiteral("A4"));
        QCOMPARE(readAll(ImportRun::backupPath()), before);
        QVERIFY(done.text().contains(QStringLiteral("Riga 4: prezzo di vendita non numerico")));
        QVERIFY(done.text().contains(QStringLiteral("Magazzino.pro.bak")));
    }

    void updateByCodeKeepsWhatTheFileLacks()
    {
        TSchedaProdotto old = goodCard(QStringLiteral("art1"));
        old[F::Note] = QStringLiteral("da tenere");
        WarehouseArchive::append(old);
        const QString path = sourceFile(QStringLiteral("u.csv"),
            kHeader + csvRow(QStringLiteral("ART1"), QStringLiteral("30")) + csvRow(QStringLiteral("NEW"))
                + csvRow(QStringLiteral("new"), QStringLiteral("40")));
        ImportRun::Options options = optionsFor(path);
        options.updateByCode = true;
        const ImportRun::Report done = ImportRun::write(options);
        QCOMPARE(done.updated, 2);
        QCOMPARE(done.added, 1);
        QCOMPARE(WarehouseArchive::count(), 2);
        const TSchedaProdotto first = WarehouseArchive::read(1);
        QCOMPARE(first[F::Codice], QStringLiteral("ART1"));
        QCOMPARE(first[F::Prezzo], QStringLiteral("30,00"));
        QCOMPARE(first[F::Note], QStringLiteral("da tenere"));
        QCOMPARE(WarehouseArchive::read(2)[F::Prezzo], QStringLiteral("40,00"));
    }

    void aFailureLeavesTheArchiveAsItWas_data()
    {
        QTest::addColumn<int>("failingWrite"); // the archive write that fails; 0: the backup copy fails
        QTest::newRow("the backup copy") << 0;
        QTest::newRow("an update after an update and an append") << 3;
        QTest::newRow("an append after an update") << 4;
        QTest::newRow("the last append") << 5;
    }
    void aFailureLeavesTheArchiveAsItWas()
    {
        QFETCH(int, failingWrite);
        for (const char *code : { "A", "B", "C" })
            WarehouseArchive::append(goodCard(QLatin1String(code)));
        const QByteArray before = archiveBytes();
        QByteArray rows = kHeader;
        for (const char *code : { "B", "X1", "C", "X2", "X3" })
            rows += csvRow(QLatin1String(code), QStringLiteral("99"));
        ImportRun::Options options = optionsFor(sourceFile(QStringLiteral("f.csv"), rows));
        options.updateByCode = true;
        if (failingWrite > 0)
            Os::Faults::arm(
                { .kind = Os::Faults::Kind::Write, .call = failingWrite, .path = "Magazzino.pro", .wholeName = true });
        else // the archive's copy cannot be put in place
            Os::Faults::arm({ .kind = Os::Faults::Kind::Rename, .call = 1, .path = "Magazzino.pro.bak" });
        const ImportRun::Report done = ImportRun::write(options);
        Os::Faults::disarm();
        QVERIFY(!done.written);
        QVERIFY(done.failure.failed());
        QCOMPARE(archiveBytes(), before);
        if (failingWrite > 0)
            QCOMPARE(readAll(ImportRun::backupPath()), before);
        else
            QVERIFY(!QFile::exists(ImportRun::backupPath()));
    }

    // The report's promise holds to the byte: the final flush (a USB stick pulled out, a disk that
    // fills late) is undone like any write, a stray tail stays, and a retry adds each card once.
    void aFailedImportKeepsEveryByte_data()
    {
        QTest::addColumn<bool>("strayTail");
        QTest::addColumn<int>("failingWrite"); // the archive write that fails; 0: the final flush fails
        QTest::newRow("the final flush") << false << 0;
        QTest::newRow("the final flush, with a stray tail") << true << 0;
        QTest::newRow("the first append, with a stray tail") << true << 1;
        QTest::newRow("the second append, with a stray tail") << true << 2;
    }
    void aFailedImportKeepsEveryByte()
    {
        QFETCH(bool, strayTail);
        QFETCH(int, failingWrite);
        WarehouseArchive::append(goodCard(QStringLiteral("A")));
        if (strayTail) {
            QFile archive(warehousePath());
            QVERIFY(archive.open(QIODevice::Append));
            archive.write(QByteArray(100, 'z'));
        }
        const QByteArray before = archiveBytes();
        const ImportRun::Options options = optionsFor(
            sourceFile(QStringLiteral("f.csv"), kHeader + csvRow(QStringLiteral("X1")) + csvRow(QStringLiteral("X2"))));
        Os::Faults::arm({ .kind = failingWrite > 0 ? Os::Faults::Kind::Write : Os::Faults::Kind::Sync,
            .call = failingWrite > 0 ? failingWrite : 1,
            .path = "Magazzino.pro",
            .wholeName = true });
        const ImportRun::Report failed = ImportRun::write(options);
        Os::Faults::disarm();
        QVERIFY(!failed.written);
        QVERIFY(failed.failure.text().contains(QStringLiteral("rimasto com'era")));
        QCOMPARE(archiveBytes().size(), before.size());
        QCOMPARE(archiveBytes(), before);

        const ImportRun::Report retried = ImportRun::write(options);
        QVERIFY2(retried.written, qPrintable(retried.failure.text()));
        QCOMPARE(WarehouseArchive::count(), 3);
    }

    void anArchiveHeldByAnotherCopyIsNotWritten()
    {
        WarehouseArchive::append(goodCard(QStringLiteral("A")));
        const QByteArray before = archiveBytes();
        ArchiveFile::setLockWait(50);
        ArchiveFile other(warehousePath(), TSchedaProdotto::RecordSize); // holds the lock
        const ImportRun::Report done
            = ImportRun::write(optionsFor(sourceFile(QStringLiteral("b.csv"), kHeader + csvRow(QStringLiteral("Z")))));
        QVERIFY(!done.written);
        QVERIFY(done.failure.text().contains(QStringLiteral("in uso")));
        other.close();
        QCOMPARE(archiveBytes(), before);
    }

    void ownExportImportsBackToTheSameCards_data()
    {
        QTest::addColumn<bool>("workbook");
        QTest::newRow("Magazzino.xls") << false;
        QTest::newRow("Magazzino.xlsx") << true;
    }
    void ownExportImportsBackToTheSameCards()
    {
        QFETCH(bool, workbook);
        if (workbook && !(WorkbookWriter::available() && ImportSource::readsWorkbooks()))
            QSKIP("This build neither writes nor reads .xlsx workbooks");
        // Only what the export keeps: no threshold, attachments or their descriptions.
        QList<TSchedaProdotto> cards;
        TSchedaProdotto a = goodCard(QStringLiteral("007"));
        a[F::Recapito] = QStringLiteral("0512345678");
        a[F::DataSca] = QStringLiteral("31/12/2024");
        a[F::Note] = QStringLiteral("<regalo> & \"fragile\" =1+1");
        a[F::Pagato] = QStringLiteral("S\u00ec");
        a[F::Costo] = QStringLiteral("12,35");
        a[F::Nome] = QStringLiteral("Tazza \u20ac \u00e0\u00e8\u00ec");
        cards << a;
        TSchedaProdotto b = goodCard(QStringLiteral("B-2"));
        b[F::Giacenza] = QStringLiteral("-4");
        b[F::Ditta] = QStringLiteral("Rossi S.p.A.");
        b[F::Prezzo] = QStringLiteral("1234,00");
        cards << b;
        WarehouseSheet sheet;
        QList<QByteArray> records;
        for (const TSchedaProdotto &c : cards) {
            QByteArray r(TSchedaProdotto::RecordSize, '\0');
            c.store(r.data());
            records << r;
            sheet.appendRecord(r.constData());
        }
        const QString path
            = m_source + (workbook ? QStringLiteral("/Magazzino.xlsx") : QStringLiteral("/Magazzino.xls"));
        if (workbook) {
            QStringList headers = { "Codice articolo", "Costo unitario", "Nome prodotto", "Giacenza",
                "Aspetto esteriore del bene", "Categoria merceologica", "Caratteristiche", "Collocazione in magazzino",
                "Ditta fornitrice", "Agente", "Recapito telefonico", "Documento di acquisto",
                QStringLiteral("Modalit\u00e0 di pagamento"), "Data scadenza", "Note", "Prezzo di vendita", "Pagato" };
            QVERIFY(WorkbookWriter::write(path, sheet, headers, [](qsizetype) { return QImage(); }));
        } else {
            writeAll(path, ExportWriter::build(sheet));
        }
        const ImportRun::Options options = optionsFor(path);
        QCOMPARE(options.format.kind, workbook ? ImportSource::Kind::Workbook : ImportSource::Kind::Page);
        const ImportRun::Report done = ImportRun::write(options);
        QVERIFY2(!done.failure.failed(), qPrintable(done.failure.text()));
        QVERIFY2(done.refusals.isEmpty(), qPrintable(texts(done.refusals).join('\n')));
        QCOMPARE(done.added, cards.size());
        const QByteArray archive = archiveBytes();
        for (int i = 0; i < cards.size(); ++i) {
            QCOMPARE(
                TSchedaProdotto::load(archive.constData() + i * TSchedaProdotto::RecordSize).values, cards[i].values);
            QCOMPARE(archive.mid(i * TSchedaProdotto::RecordSize, TSchedaProdotto::RecordSize), records[i]);
        }
    }

    void workbookSheetsAndDates()
    {
        if (!(WorkbookWriter::available() && ImportSource::readsWorkbooks()))
            QSKIP("This build neither writes nor reads .xlsx workbooks");
        WarehouseSheet sheet;
        TSchedaProdotto a = goodCard(QStringLiteral("A"));
        a[F::DataSca] = QStringLiteral("05/01/1899"); // before the spreadsheet's calendar: written as text
        QByteArray r(TSchedaProdotto::RecordSize, '\0');
        a.store(r.data());
        sheet.appendRecord(r.constData());
        // Enough rows for the sheet to be inflated and parsed in many pieces.
        for (int i = 0; i < 3000; ++i)
            sheet.appendRecord(r.constData());
        const QString path = m_source + QStringLiteral("/w.xlsx");
        QVERIFY(WorkbookWriter::write(path, sheet, QStringList(17, QStringLiteral("h")), {}));
        const ImportSource::Format format = ImportSource::detect(path);
        QCOMPARE(format.sheets, QStringList({ "Magazzino" }));
        ImportError error;
        auto reader = ImportSource::open(path, format, &error);
        QVERIFY(reader);
        QStringList cells;
        QVERIFY(reader->next(cells));
        QVERIFY(reader->next(cells));
        QCOMPARE(cells.value(13), QStringLiteral("05/01/1899"));
        int rows = 2;
        while (reader->next(cells))
            ++rows;
        QCOMPARE(rows, 3002);
        QVERIFY(!reader->error().failed());
        ImportSource::Format missing = format;
        missing.sheet = 3;
        QVERIFY(!ImportSource::open(path, missing, &error));
        QVERIFY(error.failed());
    }

    void workbookCellKinds()
    {
        if (!ImportSource::readsWorkbooks())
            QSKIP("This build does not read .xlsx workbooks");
        // Written by hand: shared strings in runs with a phonetic guide, an inline string, a date
        // style, a boolean, a missing cell, and a second sheet reached by an absolute target.
        const QString path = QStringLiteral(FIXTURES_DIR "/../fuzz/corpus/importsource/book.xlsx");
        ImportSource::Format format;
        QCOMPARE(rowsOf(path, &format), QStringLiteral("Codice||Prezzo/A1|15/03/2023|12,5|S\u00ec"));
        QCOMPARE(format.sheets, QStringList({ "Prodotti", "Altro" }));
        format.sheet = 1;
        ImportError error;
        const auto reader = ImportSource::open(path, format, &error);
        QVERIFY(reader);
        QStringList cells;
        QVERIFY(reader->next(cells));
        QCOMPARE(cells, QStringList({ "1" }));
    }

    void photosByCode()
    {
        QByteArray rows = kHeader;
        for (const char *code : { "ART001", "ART002", "ART003", "ART004", "ART005", "ART006" })
            rows += csvRow(QLatin1String(code));
        ImportRun::Options options = optionsFor(sourceFile(QStringLiteral("p.csv"), rows));
        const QString photos = m_source + QStringLiteral("/foto");
        QDir().mkpath(photos);
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(photos + QStringLiteral("/ART001.jpg"), "JPG"));
        QVERIFY(red.save(photos + QStringLiteral("/art002.JPG"), "JPG"));
        QVERIFY(red.save(photos + QStringLiteral("/Art003.png"), "PNG"));
        QVERIFY(red.save(photos + QStringLiteral("/ART004.bmp"), "BMP"));
        // A picture that lies: a JPEG start, then nothing.
        writeAll(photos + QStringLiteral("/ART005.jpg"), QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(100, 'z'));
        writeAll(photos + QStringLiteral("/ART006.txt"), "no");
        options.photoFolder = photos;
        const ImportRun::Report done = ImportRun::write(options);
        QCOMPARE(done.photosMatched, 4);
        QCOMPARE(done.photosSkipped, 1);
        QCOMPARE(
            done.photoLines, QStringList({ QStringLiteral("ART005.jpg: non \u00e8 un'immagine leggibile, saltata") }));
        for (int n = 1; n <= 4; ++n) {
            const QImage saved(programPath(QString::number(n) + QStringLiteral(".jpg")), "JPG");
            QCOMPARE(saved.size(), QSize(40, 30));
        }
        QVERIFY(!QFile::exists(programPath(QStringLiteral("5.jpg"))));
        QVERIFY(!QFile::exists(programPath(QStringLiteral("6.jpg"))));
    }
};

QTEST_GUILESS_MAIN(TestImportRules)
#include "tst_importrules.moc"
