#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/TestSupport.h"

#include "storage/FileReplace.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "warehouse/rules/WorkbookWriter.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QThread>
#include <QXmlStreamReader>

#include <functional>
#include <latch>
#include <map>

namespace {
using S = TSchedaProdotto;

const QString kFailure = QStringLiteral(
    "Attenzione: il sistema non permette di scrivere il file Magazzino.xlsx.\n\nAccertarsi che il file non "
    "sia già aperto e che nella cartella del programma ci sia spazio per scrivere. Il file precedente non è "
    "stato modificato.");
const QString kBusy
    = QStringLiteral("Attenzione: il file Magazzino.xlsx è aperto in un altro programma e non può essere "
                     "sostituito.\n\nChiudere il file e ripetere l'esportazione. Il file precedente non è stato "
                     "modificato.");
const QString kNameRefused
    = QStringLiteral("Attenzione: il file Magazzino.xlsx non può essere scritto: nella cartella del programma al suo "
                     "posto c'è una cartella, oppure il disco non accetta il nome.");
const QString kDone = QStringLiteral(
    "La tabella è stata esportata con successo nel file Magazzino.xlsx.\r\n\r\nSi vuole aprire il file?");

void addCard(const std::map<S::Field, QString> &fields)
{
    S card;
    for (const auto &[field, text] : fields)
        card[field] = text;
    WarehouseArchive::append(card);
}

/** The grid column (0 is the number) of a card field. */
int gridColumn(S::Field field)
{
    const auto &fields = WarehouseSheet::fields();
    return int(std::find(fields.begin(), fields.end(), field) - fields.begin()) + 1;
}

/** A workbook part's text, read with unzip; empty when unzip is missing or the part is not there. */
QByteArray zipPart(const QString &zip, const QString &part)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), { QStringLiteral("-p"), zip, part });
    if (!p.waitForFinished(30000))
        return {};
    return p.readAllStandardOutput();
}

/** The names of a workbook's parts, read with unzip. */
QStringList zipNames(const QString &zip)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), { QStringLiteral("-Z1"), zip });
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

/** Runs the spreadsheet program headless to convert `file` into `outDir`; false when it fails. */
bool convert(const QString &soffice, const QString &file, const QString &filter, const QString &outDir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice,
        { QStringLiteral("--headless"), QStringLiteral("--norestore"),
            QStringLiteral("-env:UserInstallation=file://") + outDir + QStringLiteral("/profile"),
            QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir, file });
    return p.waitForFinished(180000) && p.exitCode() == 0;
}

/** The box around the pixels of `image` that `is` picks; empty when there are none. */
QRect pixelsBox(const QImage &image, const std::function<bool(QColor)> &is)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (is(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

/** A CSV file as rows of fields (quotes as the spreadsheet writes them). */
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += ch;
                ++i;
            } else if (ch == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == QLatin1Char(',')) {
            row.append(field);
            field.clear();
        } else if (ch == QLatin1Char('\n')) {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
        } else if (ch != QLatin1Char('\r')) {
            field += ch;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

/** The value type of every cell of the first sheet of a flat OpenDocument file, by row and column. */
QList<QStringList> cellTypes(const QByteArray &fods)
{
    QList<QStringList> rows;
    QXmlStreamReader xml(fods);
    bool inTable = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"table") {
            if (!rows.isEmpty())
                break; // only the first sheet
            inTable = true;
        } else if (inTable && xml.isStartElement() && xml.name() == u"table-row") {
            rows.append(QStringList());
        } else if (inTable && xml.isStartElement() && xml.name() == u"table-cell") {
            const auto attrs = xml.attributes();
            const int repeat = qMax(1, attrs.value(QStringLiteral("table:number-columns-repeated")).toInt());
            for (int i = 0; i < repeat && rows.last().size() < WarehouseSheet::ColumnCount; ++i)
                rows.last().append(attrs.value(QStringLiteral("office:value-type")).toString());
        } else if (xml.isEndElement() && xml.name() == u"table") {
            break;
        }
    }
    // The format pads the sheet with empty rows; they are no cells of the grid.
    while (!rows.isEmpty() && rows.last().join(QString()).isEmpty())
        rows.removeLast();
    return rows;
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// The awkward cells: what a card or a grid edit holds, what the spreadsheet shows, and its type there.
struct Awkward
{
    int card; // 0-based card; the grid row
    S::Field field;
    QString stored; // in the archive ("" when the cell comes from a grid edit)
    QString edited; // typed into the grid ("" for none)
    QString shown;
    const char *type;
};

const QList<Awkward> &awkwardCells()
{
    static const QList<Awkward> cells = {
        { 0, S::Codice, "007", "", "007", "string" },
        { 0, S::Costo, "12,50", "", "12,50", "float" },
        { 0, S::Nome, "<b>Vaso</b> & \"Tazza\"", "", "<b>Vaso</b> & \"Tazza\"", "string" },
        { 0, S::Giacenza, "3", "", "3", "float" },
        { 0, S::Recapito, "0512345678", "", "0512345678", "string" },
        { 0, S::DataSca, "31/12/2014", "", "31/12/2014", "date" },
        { 0, S::Note, "=1+1", "", "=1+1", "string" },
        { 0, S::Prezzo, "1234,5", "", "1.234,50", "float" },
        { 0, S::Pagato, "No", "", "No", "string" },
        { 1, S::Codice, "0001", "", "0001", "string" },
        { 1, S::Costo, "abc", "", "abc", "string" },
        { 1, S::Nome, "=SOMMA(A1:A2)", "", "=SOMMA(A1:A2)", "string" },
        { 1, S::Giacenza, "2,5", "", "2,5", "float" },
        { 1, S::Tipologia, "1e3", "", "1e3", "string" },
        { 1, S::Caratteristiche, "'uno' \"due\" riga1<br>riga2", "", "'uno' \"due\" riga1<br>riga2", "string" },
        { 1, S::DataSca, "31/02/2014", "", "31/02/2014", "string" },
        { 1, S::Pagato, "S\u00ec", "", "S\u00ec", "string" },
        { 2, S::Codice, "C3", "", "C3", "string" },
        { 2, S::DataSca, "01/01/1850", "", "01/01/1850", "string" },
        { 2, S::Note, "", "\u03a9 \u6f22 \u2713 </td>", "\u03a9 \u6f22 \u2713 </td>", "string" },
        { 2, S::Prezzo, "5", "99,90", "99,90", "float" },
        { 2, S::UM, "", "+39 051", "+39 051", "string" },
    };
    return cells;
}
} // namespace

class TestExpMagazzinoXlsx : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<TfrmExpMagazzino> m_window;

    QTableView *grid() const { return m_window->findChild<QTableView *>("grdRecords"); }
    QWidget *button() const { return m_window->findChild<QWidget *>("cmdEsportaXlsx"); }

    void openWindow()
    {
        m_window = std::make_unique<TfrmExpMagazzino>(nullptr);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    /** Fills the archive and the grid with the awkward cells, typing one edit as a user would. */
    void awkwardGrid()
    {
        for (int card = 0; card < 3; ++card) {
            std::map<S::Field, QString> fields;
            for (const Awkward &a : awkwardCells())
                if (a.card == card && !a.stored.isEmpty())
                    fields[a.field] = a.stored;
            addCard(fields);
        }
        openWindow();
        for (const Awkward &a : awkwardCells()) {
            if (a.edited.isEmpty())
                continue;
            const QModelIndex index = grid()->model()->index(a.card, gridColumn(a.field));
            if (a.field == S::Prezzo) {
                // Typed and left open: the export must take the open editor's text in.
                m_window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
                grid()->scrollTo(index);
                const QPoint at = grid()->visualRect(index).center();
                QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
                QLineEdit *editor = nullptr;
                QTRY_VERIFY((editor = grid()->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
                editor->selectAll();
                QTest::keyClicks(editor, a.edited);
            } else {
                // Characters outside the keyboard test helper's reach arrive as a paste would.
                QVERIFY(grid()->model()->setData(index, a.edited, Qt::EditRole));
            }
        }
    }

private slots:
    void init()
    {
        if (!WorkbookWriter::available())
            QSKIP("this build has no libxlsxwriter (package libxlsxwriter-dev)");
        m_box = std::make_unique<Sandbox>();
    }
    void cleanup()
    {
        m_window.reset();
        Os::Faults::disarm();
        FileReplace::setLetterSource({});
        m_box.reset();
    }

    void buttonSitsInFreeSpaceAndSaysWhatItDoes()
    {
        openWindow();
        QWidget *xlsx = button();
        QVERIFY(xlsx);
        QCOMPARE(xlsx->accessibleName(), QStringLiteral("Esporta XLSX"));
        QVERIFY(xlsx->accessibleDescription().contains(QStringLiteral("Magazzino.xlsx")));
        for (const char *other : { "cmdEsporta", "cmdGuida", "icoHand", "imgLogo", "grdRecords" })
            QVERIFY2(!xlsx->geometry().intersects(m_window->findChild<QWidget *>(other)->geometry()), other);
        QVERIFY(m_window->findChild<QWidget *>("shpSfondo")->geometry().contains(xlsx->geometry()));

        // The status line tells what it does while the mouse is over it.
        auto *panInfo = m_window->findChild<QLabel *>("panInfo");
        QTest::mouseMove(xlsx, xlsx->rect().center());
        QTRY_COMPARE(panInfo->text(), xlsx->accessibleDescription());

        auto *chkFoto = m_window->findChild<QCheckBox *>("chkFoto");
        QVERIFY(chkFoto);
        QVERIFY(!chkFoto->isChecked());
        QCOMPARE(chkFoto->accessibleName(), QStringLiteral("Includi le foto"));
        for (const char *other :
            { "cmdEsporta", "cmdEsportaXlsx", "cmdGuida", "cmdEsci", "icoHand", "imgLogo", "grdRecords" })
            QVERIFY2(!chkFoto->geometry().intersects(m_window->findChild<QWidget *>(other)->geometry()), other);
        QVERIFY(m_window->findChild<QWidget *>("shpSfondo")->geometry().contains(chkFoto->geometry()));
        QTest::mouseMove(chkFoto, chkFoto->rect().center());
        QTRY_COMPARE(panInfo->text(), chkFoto->accessibleDescription());
    }

    void photosOnePerCardInItsRow()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is missing (scripts/install-deps installs it)");
        for (int n = 1; n <= 4; ++n)
            addCard({ { S::Codice, QString::number(n) } });
        QImage big(1600, 1200, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(m_box->path("1.jpg"), "JPG"));
        big.fill(Qt::darkRed); // the library stores identical pictures once
        QVERIFY(big.save(m_box->path("3.jpg"), "JPG"));
        Sandbox::writeFile(m_box->path("4.jpg"), QByteArrayLiteral("\xff\xd8\xff not really a photo"));
        openWindow();
        QTest::mouseClick(m_window->findChild<QCheckBox *>("chkFoto"), Qt::LeftButton);
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });

        const QString book = WorkbookWriter::exportPath();
        const QStringList media = zipNames(book).filter(QStringLiteral("xl/media/"));
        QCOMPARE(media.size(), 2);
        for (const QString &part : media) {
            const QImage thumb = QImage::fromData(zipPart(book, part));
            QVERIFY(!thumb.isNull());
            QVERIFY(
                thumb.width() <= WorkbookWriter::ThumbnailWidth && thumb.height() <= WorkbookWriter::ThumbnailHeight);
        }
        // Anchored in the first column of cards 1 and 3 (sheet rows 1 and 3 counted from 0).
        const QByteArray drawing = zipPart(book, "xl/drawings/drawing1.xml");
        QRegularExpression from(QStringLiteral("<xdr:from><xdr:col>(\\d+)</xdr:col>.*?<xdr:row>(\\d+)</xdr:row>"));
        QStringList anchors;
        for (const auto &m : from.globalMatch(QString::fromUtf8(drawing)))
            anchors.append(m.captured(1) + QLatin1Char(':') + m.captured(2));
        QCOMPARE(anchors, (QStringList { "0:1", "0:3" }));

        const QByteArray sheet = zipPart(book, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("<autoFilter ref=\"A1:R5\""));
        QVERIFY(sheet.contains(">Foto<"));
        QVERIFY(sheet.contains("customHeight=\"1\""));
    }

    // Drawn by a real spreadsheet program: each photo in its own row, with its own proportions, in colour
    // (the second one a palette PNG under its card's .jpg name).
    void photosDrawnByASpreadsheetProgramKeepTheirShape()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (soffice.isEmpty() || pdftoppm.isEmpty())
            QSKIP("LibreOffice Calc or pdftoppm is not installed (scripts/install-deps, libreoffice-calc-nogui): "
                  "the photos are not drawn by a real spreadsheet program");
        const struct
        {
            QSize size;
            QColor colour;
        } photos[] = { { { 1600, 1200 }, Qt::red }, { { 600, 1200 }, Qt::blue }, { { 1500, 500 }, Qt::green } };
        for (int n = 1; n <= 3; ++n) {
            addCard({ { S::Codice, QString::number(n) } });
            QImage photo(photos[n - 1].size, QImage::Format_RGB32);
            photo.fill(photos[n - 1].colour);
            if (n == 2)
                QVERIFY(photo.convertToFormat(QImage::Format_Indexed8).save(m_box->path("2.jpg"), "PNG"));
            else
                QVERIFY(photo.save(m_box->path(QStringLiteral("%1.jpg").arg(n)), "JPG"));
        }
        openWindow();
        QTest::mouseClick(m_window->findChild<QCheckBox *>("chkFoto"), Qt::LeftButton);
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });

        const QString out = m_box->path(QStringLiteral("disegnato"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(convert(soffice, WorkbookWriter::exportPath(), QStringLiteral("pdf"), out));
        QProcess render;
        render.start(pdftoppm,
            { QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-f"), QStringLiteral("1"),
                QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                out + QStringLiteral("/Magazzino.pdf"), out + QStringLiteral("/pagina") });
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        const QImage page(out + QStringLiteral("/pagina.png"));
        QVERIFY(!page.isNull());

        QRect above;
        for (const auto &photo : photos) {
            const QColor want = photo.colour;
            const QRect box = pixelsBox(page, [want](QColor c) {
                return std::abs(c.red() - want.red()) < 60 && std::abs(c.green() - want.green()) < 60
                    && std::abs(c.blue() - want.blue()) < 60;
            });
            const QString what = want.name();
            QVERIFY2(box.width() > 10 && box.height() > 10, qPrintable(what + " is not drawn in colour"));
            const double drawn = double(box.width()) / box.height();
            const double own = double(photo.size.width()) / photo.size.height();
            QVERIFY2(std::abs(drawn / own - 1.0) < 0.12,
                qPrintable(QStringLiteral("%1 drawn %2x%3").arg(what).arg(box.width()).arg(box.height())));
            // Below the photo of the card before it, never over it.
            QVERIFY2(above.isNull() || box.top() > above.bottom(), qPrintable(what + " overlaps the photo above"));
            above = box;
        }
    }

    void workbookLayoutAndTextsNeverFormulas()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is missing (scripts/install-deps installs it)");
        awkwardGrid();
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });
        QCOMPARE(m_box->opened, QStringList { "\"" + m_box->folder() + "Magazzino.xlsx\"" });
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xlsx?*" }, QDir::Files | QDir::Hidden), QStringList());

        const QString book = WorkbookWriter::exportPath();
        QVERIFY(zipPart(book, "xl/workbook.xml").contains("<sheet name=\"Magazzino\""));
        const QByteArray sheet = zipPart(book, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("ySplit=\"1\"") && sheet.contains("state=\"frozen\""));
        QVERIFY(sheet.contains("<autoFilter ref=\"A1:Q4\""));
        QVERIFY(!sheet.contains("<f>"));
        QVERIFY(zipNames(book).filter(QStringLiteral("xl/media/")).isEmpty());
        QCOMPARE(sheet.count("<col "), 17);
        // Widths follow the texts: the long Caratteristiche column is wider than the short Pagato one.
        const QByteArray styles = zipPart(book, "xl/styles.xml");
        QVERIFY(styles.contains("<b/>"));
        QVERIFY(styles.contains("formatCode=\"#,##0.00\""));
        QVERIFY(styles.contains("formatCode=\"dd/mm/yyyy\""));
    }

    void roundTripThroughASpreadsheetProgram()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice Calc is not installed (apt-get install libreoffice-calc-nogui): "
                  "the workbook is not read back by a real spreadsheet program");
        awkwardGrid();
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });

        const QString out = m_box->path(QStringLiteral("letto"));
        QVERIFY(QDir().mkpath(out));
        // As shown, UTF-8, Italian: what a user reads in each cell.
        QVERIFY(convert(soffice, WorkbookWriter::exportPath(),
            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,1040,false,true,true"), out));
        QVERIFY(convert(soffice, WorkbookWriter::exportPath(), QStringLiteral("fods"), out));
        const QList<QStringList> rows
            = parseCsv(QString::fromUtf8(Sandbox::readFile(out + QStringLiteral("/Magazzino.csv"))));
        const QList<QStringList> types = cellTypes(Sandbox::readFile(out + QStringLiteral("/Magazzino.fods")));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(types.size(), 4);

        // Headers as the grid shows them.
        for (int c = 0; c < WarehouseSheet::ColumnCount; ++c)
            QCOMPARE(rows[0].value(c), grid()->model()->headerData(c + 1, Qt::Horizontal).toString());

        // Every cell of the grid, awkward or empty, reads back as the grid has it.
        QAbstractItemModel *model = grid()->model();
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < WarehouseSheet::ColumnCount; ++c) {
                const S::Field field = WarehouseSheet::fields()[size_t(c)];
                QString shown = model->index(r, c + 1).data().toString();
                QString type = shown.isEmpty() ? QString() : QStringLiteral("string");
                for (const Awkward &a : awkwardCells()) {
                    if (a.card == r && a.field == field) {
                        shown = a.shown;
                        type = QString::fromLatin1(a.type);
                    }
                }
                const QString where = QStringLiteral("row %1 column %2").arg(r + 1).arg(c + 1);
                QVERIFY2(rows[r + 1].value(c) == shown,
                    qPrintable(where + ": " + rows[r + 1].value(c) + " instead of " + shown));
                QVERIFY2(types[r + 1].value(c) == type,
                    qPrintable(where + ": type " + types[r + 1].value(c) + " instead of " + type));
            }
        }
    }

    void longExportShowsItsProgressAndAnnullaKeepsThePreviousWorkbook()
    {
        for (int n = 1; n <= 60; ++n)
            addCard({ { S::Codice, QString::number(n) } });
        makeJpeg(m_box->path("1.jpg"), QSize(400, 300));
        Sandbox::writeFile(WorkbookWriter::exportPath(), "earlier workbook");
        openWindow();
        QTest::mouseClick(m_window->findChild<QCheckBox *>("chkFoto"), Qt::LeftButton);
        {
            ProgressWatcher watcher(QStringLiteral("riga 21 di"), QStringLiteral("dlgEsportazione"));
            click(button());
            QCOMPARE(watcher.labels.constFirst(), QStringLiteral("Scrittura di Magazzino.xlsx: riga 1 di 60"));
            QCOMPARE(watcher.labels.constLast(), QStringLiteral("Scrittura di Magazzino.xlsx: riga 21 di 60"));
            QCOMPARE(watcher.accessibleName, QStringLiteral("Avanzamento dell'esportazione"));
            QVERIFY(watcher.wasModal);
        }
        // Stopping is no failure: no box, the earlier workbook whole, nothing left behind.
        QVERIFY(m_box->messages.isEmpty());
        QCOMPARE(Sandbox::readFile(WorkbookWriter::exportPath()), QByteArray("earlier workbook"));
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xlsx?*" }, QDir::Files), QStringList());

        ProgressWatcher watcher(QString(), QStringLiteral("dlgEsportazione"));
        click(button());
        QCOMPARE(watcher.labels.constLast(), QStringLiteral("Scrittura di Magazzino.xlsx: riga 51 di 60"));
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });
        QVERIFY(Sandbox::readFile(WorkbookWriter::exportPath()).startsWith("PK"));
    }

    void failureKeepsThePreviousWorkbook_data()
    {
        using K = Os::Faults::Kind;
        using E = Os::Error;
        QTest::addColumn<K>("failing");
        QTest::addColumn<E>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("the temporary cannot be made") << K::Create << E::Other << kFailure;
        QTest::newRow("the disk refuses the flush") << K::Sync << E::Other << kFailure;
        QTest::newRow("the rename fails") << K::Rename << E::Other << kFailure;
        QTest::newRow("another program holds the workbook") << K::Rename << E::Busy << kBusy;
        QTest::newRow("the name is refused") << K::Create << E::NameRefused << kNameRefused;
    }

    void failureKeepsThePreviousWorkbook()
    {
        QFETCH(Os::Faults::Kind, failing);
        QFETCH(Os::Error, error);
        QFETCH(QString, message);
        addCard({ { S::Codice, "A1" }, { S::Nome, "Vaso" } });
        Sandbox::writeFile(WorkbookWriter::exportPath(), "earlier workbook");
        Os::Faults::arm({ .kind = failing, .call = 1, .error = error, .path = "Magazzino.xlsx", .lasting = true });
        openWindow();
        click(button());
        QCOMPARE(m_box->messages.size(), 1);
        QCOMPARE(m_box->messages[0].kind, Msg::Kind::Error);
        QCOMPARE(m_box->messages[0].text, message);
        QVERIFY(m_box->opened.isEmpty());
        QCOMPARE(Sandbox::readFile(WorkbookWriter::exportPath()), QByteArray("earlier workbook"));
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xlsx?*" }, QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(!QFile::exists(m_box->path("Magazzino.xls")));

        // Once the way is clear the same grid is written.
        Os::Faults::disarm();
        m_box->clearMessages();
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });
        QVERIFY(Sandbox::readFile(WorkbookWriter::exportPath()).startsWith("PK"));
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xlsx?*" }, QDir::Files | QDir::Hidden), QStringList());
    }

    // Links planted where the workbook's temporary could go (the old fixed name, the names the writer
    // tries) change nothing they point to, and a folder there is stepped around.
    void linksPlantedAtTheTemporaryNamesChangeNothing()
    {
        addCard({ { S::Codice, "A1" }, { S::Nome, "Vaso" } });
        const QByteArray archive = Sandbox::readFile(m_box->path("Magazzino.pro"));
        const QString book = WorkbookWriter::exportPath();
        QVERIFY(QFile::link(m_box->path("Magazzino.pro"), book + QStringLiteral(".tmp")));
        QVERIFY(QFile::link(m_box->path("Magazzino.pro"), book + QStringLiteral(".AbCdEf")));
        QVERIFY(QFile::link(m_box->path("nuovo.txt"), book + QStringLiteral(".GhIjKl")));
        QVERIFY(QDir().mkdir(book + QStringLiteral(".MnOpQr")));
        QStringList names { "AbCdEf", "GhIjKl", "MnOpQr", "StUvWx" };
        FileReplace::setLetterSource([&] { return names.isEmpty() ? QStringLiteral("YzAbCd") : names.takeFirst(); });
        openWindow();
        click(button());
        QCOMPARE(m_box->messageTexts(), QStringList { kDone });
        QVERIFY(Sandbox::readFile(book).startsWith("PK"));
        QVERIFY(!QFileInfo(book).isSymLink());
        QCOMPARE(Sandbox::readFile(m_box->path("Magazzino.pro")), archive);
        QVERIFY(!QFileInfo::exists(m_box->path("nuovo.txt")));
        QVERIFY(!QFileInfo::exists(book + QStringLiteral(".StUvWx")));
    }

    // Two exports at once (two copies of the program, or two windows) each write a whole workbook of
    // their own; the one that ends last is the file, whole and valid.
    void twoExportsAtOnceLeaveAWholeWorkbook()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is missing (scripts/install-deps installs it)");
        WarehouseSheet sheets[2];
        for (int k = 0; k < 2; ++k) {
            sheets[k].setRowCount(3001);
            for (int row = 0; row < 3001; ++row)
                for (int column = 0; column < WarehouseSheet::ColumnCount; ++column)
                    sheets[k].setText(row, column, QStringLiteral("%1-%2-%3").arg(k).arg(row).arg(column));
        }
        QStringList headers;
        for (int c = 0; c < WarehouseSheet::ColumnCount; ++c)
            headers << QStringLiteral("Colonna %1").arg(c + 1);
        // Both pass their last progress report together, so both finish their files at the same time.
        std::latch together(2);
        auto progress = [&](qsizetype done, qsizetype) {
            if (done == 3000)
                together.arrive_and_wait();
            return true;
        };
        bool written[2] = { false, false };
        std::unique_ptr<QThread> other(QThread::create([&] {
            written[1] = bool(WorkbookWriter::write(WorkbookWriter::exportPath(), sheets[1], headers, {}, progress));
        }));
        other->start();
        written[0] = bool(WorkbookWriter::write(WorkbookWriter::exportPath(), sheets[0], headers, {}, progress));
        QVERIFY(other->wait(60000));
        QVERIFY(written[0] && written[1]);

        const QString book = WorkbookWriter::exportPath();
        QProcess check;
        check.start(QStringLiteral("unzip"), { QStringLiteral("-tq"), book });
        QVERIFY(check.waitForFinished(30000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        const QByteArray strings = zipPart(book, "xl/worksheets/sheet1.xml");
        const bool first = strings.contains(">0-3000-16<");
        const bool second = strings.contains(">1-3000-16<");
        QVERIFY(first != second);
        QVERIFY(!strings.contains(first ? ">1-0-0<" : ">0-0-0<"));
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xlsx?*" }, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(TestExpMagazzinoXlsx)
#include "tst_expmagazzinoxlsx.moc"
