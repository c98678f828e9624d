// The program's own code paths timed on 1 000, 10 000 and 100 000 cards, next to two floors (reading
// the archive, a memmem scan of it) and SQLite running the same searches over the same cards:
//   bench-vetrinova DATA [benchmark options]      one table (DATA holds cards-N folders from make-archive)
//   bench-vetrinova DATA --peak search|export     peak memory of one 100 000-card search or export grid
//   bench-vetrinova DATA --cold CASE N            one run of CASE on N cards in this fresh process
//   bench-vetrinova DATA --password-to-start      OK on the password window to the start window painted, once
// Every search, list, export and report case also runs once in a fresh process of its own: that
// first, cold run is what a user waits for after start-up, and it shows beside the warm mean.
// Windows are driven through their own handlers, as a click would, with the message and report
// seams answering instead of the screen.
#include "app/Password.h"
#include "app/rules/AccessRules.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "report/engine/PriceListReport.h"
#include "report/engine/ProductCardReport.h"
#include "report/engine/ReportPainter.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/TrovaMagazzino.h"
#include "warehouse/rules/Attention.h"
#include "warehouse/rules/CardFilter.h"
#include "widgets/Messages.h"
#include "widgets/OpenURL.h"
#include "widgets/PhotoBox.h"
#include "widgets/PictureButton.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWindow>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>

namespace {
using F = TSchedaProdotto;
using Clock = std::chrono::steady_clock;

QString g_data;
const int kSizes[] = { 1000, 10000, 100000 };

QString folderFor(int cards)
{
    return g_data + QStringLiteral("/cards-%1").arg(cards);
}

void useFolder(int cards)
{
    setProgramFolderOverride(folderFor(cards));
}

// Mean seconds per iteration of the reference cases, by name and size, for the ratios.
std::map<std::pair<std::string, int>, double> g_mean;

// This program's path, the case being registered or run, and whether this process runs one cold case.
QString g_self;
std::string g_case;
bool g_coldChild = false;

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

bool hasColdRun(const std::string &name)
{
    for (const char *prefix : { "search/", "list/", "export/", "report/" }) {
        if (name.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

struct ColdRun
{
    double wallMs = -1;
    double cpuMs = -1;
};

/** The first run of `name` on `cards` cards in a fresh process (made once per case and size). */
ColdRun coldRun(const std::string &name, int cards)
{
    static std::map<std::pair<std::string, int>, ColdRun> runs;
    const auto key = std::make_pair(name, cards);
    if (const auto it = runs.find(key); it != runs.end())
        return it->second;
    QProcess child;
    child.start(g_self, { g_data, QStringLiteral("--cold"), QString::fromStdString(name), QString::number(cards) });
    ColdRun run;
    if (child.waitForFinished(600000)) {
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        if (!out.contains(QStringLiteral("cold ")))
            std::fprintf(stderr, "%s", child.readAllStandardError().constData());
        const auto m
            = QRegularExpression(QStringLiteral("^cold ([\\d.]+) ([\\d.]+)$"), QRegularExpression::MultilineOption)
                  .match(out);
        if (m.hasMatch())
            run = { m.captured(1).toDouble(), m.captured(2).toDouble() };
    }
    runs[key] = run;
    return run;
}

/**
 * Runs `body` once per iteration, timing only it (`before` runs untimed), records the mean and, when
 * given, prints the ratio to the floor and to the SQLite case of the same size.
 */
template <typename Body>
void timed(benchmark::State &state, const std::string &key, Body body, const std::function<void()> &before = {},
    const std::string &sqliteKey = {})
{
    const int cards = int(state.range(0));
    const std::string name = g_case;
    // The cold run is measured apart; the warm figures start after one untimed run.
    if (!g_coldChild && hasColdRun(name)) {
        if (before)
            before();
        body();
    }
    double total = 0;
    std::vector<double> times;
    for (auto _ : state) {
        if (before)
            before();
        const double cpu0 = cpuSeconds();
        const auto t0 = Clock::now();
        body();
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        if (g_coldChild) {
            std::printf("cold %.3f %.3f\n", s * 1000, (cpuSeconds() - cpu0) * 1000);
            std::fflush(stdout);
        }
        state.SetIterationTime(s);
        total += s;
        times.push_back(s);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2] * 1000;
    const double mean = total / double(state.iterations());
    g_mean[{ key, cards }] = mean;
    if (!g_coldChild && hasColdRun(name)) {
        const ColdRun cold = coldRun(name, cards);
        state.counters["cold_ms"] = cold.wallMs;
        state.counters["cold_cpu_ms"] = cold.cpuMs;
    }
    if (!sqliteKey.empty() && !g_coldChild) {
        state.counters["x_floor"] = mean / g_mean[{ "floor_memmem", cards }];
        state.counters["x_sqlite"] = mean / g_mean[{ sqliteKey, cards }];
    }
}

// ---- floors ----------------------------------------------------------------------------------

// The floor reads into one buffer made (and touched) beforehand, so it counts the reading alone.
std::vector<char> g_buffer;

size_t readArchive()
{
    QFile f(warehousePath());
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const size_t size = size_t(f.size());
    if (g_buffer.size() < size)
        g_buffer.assign(size, '\0');
    return size_t(f.read(g_buffer.data(), qint64(size)));
}

void floorRead(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    readArchive();
    timed(state, "floor_read", [] { benchmark::DoNotOptimize(readArchive()); });
}

void floorMemmem(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    readArchive();
    timed(state, "floor_memmem", [] {
        const size_t size = readArchive();
        // A needle that never occurs: the whole file is scanned.
        const char needle[] = "qzxjv";
        benchmark::DoNotOptimize(memmem(g_buffer.data(), size, needle, sizeof needle - 1));
    });
}

// ---- SQLite, the same cards in a table -------------------------------------------------------

struct Database
{
    sqlite3 *db = nullptr;
    ~Database() { sqlite3_close(db); }
};
std::map<int, std::unique_ptr<Database>> g_databases;

sqlite3 *databaseFor(int cards)
{
    auto &slot = g_databases[cards];
    if (slot)
        return slot->db;
    slot = std::make_unique<Database>();
    sqlite3_open(":memory:", &slot->db);
    std::string create = "CREATE TABLE cards (n INTEGER";
    for (const auto &info : F::layout())
        create += std::string(", ") + info.name + " TEXT";
    create += ")";
    sqlite3_exec(slot->db, create.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(slot->db, "BEGIN", nullptr, nullptr, nullptr);
    std::string insert = "INSERT INTO cards VALUES (?";
    for (int i = 0; i < F::FieldCount; ++i)
        insert += ",?";
    insert += ")";
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(slot->db, insert.c_str(), -1, &stmt, nullptr);
    useFolder(cards);
    WarehouseArchive::forEachRaw([&](qint64 n, const char *record) {
        const F card = F::load(record);
        sqlite3_bind_int64(stmt, 1, n);
        for (int i = 0; i < F::FieldCount; ++i) {
            const QByteArray utf8 = card.values[i].toUtf8();
            sqlite3_bind_text(stmt, i + 2, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
        return true;
    });
    sqlite3_finalize(stmt);
    sqlite3_exec(slot->db, "COMMIT", nullptr, nullptr, nullptr);
    return slot->db;
}

const char *const kLineColumns = "SELECT n, Codice, Nome, Tipologia, Giacenza, Pagato, DataSca, Costo FROM cards ";
const char *const kUnpaidColumns = "SELECT n, Codice, Nome, Tipologia, Giacenza, Ditta, DataSca, Costo FROM cards ";

// The ten boxes of the ten-box search, each occurring in many cards.
const std::pair<F::Field, const char *> kTenBoxes[] = { { F::Codice, "-" }, { F::Costo, "," }, { F::Nome, "a" },
    { F::Tipologia, "i" }, { F::Caratteristiche, "in" }, { F::Collocazione, "ripiano" }, { F::Ditta, "e" },
    { F::Agente, "o" }, { F::Documento, "fattura" }, { F::Note, "n" } };

std::string sqliteWhere(const std::string &kind)
{
    if (kind == "all")
        return "";
    if (kind == "one")
        return "WHERE Nome LIKE '%vaso%' ";
    if (kind == "ten") {
        std::string w = "WHERE ";
        for (const auto &[field, text] : kTenBoxes)
            w += std::string(w.size() > 6 ? " AND " : "") + F::info(field).name + " LIKE '%" + text + "%'";
        return w + " ";
    }
    if (kind == "under_stock")
        return "WHERE CAST(Giacenza AS REAL) <= CAST(Avviso AS REAL) ";
    return "WHERE Pagato = 'No' ";
}

void sqliteSearch(benchmark::State &state, const std::string &kind)
{
    sqlite3 *db = databaseFor(int(state.range(0)));
    const std::string sql = (kind == "unpaid" ? kUnpaidColumns : kLineColumns) + sqliteWhere(kind) + "ORDER BY Codice";
    size_t rows = 0;
    timed(state, "sqlite_" + kind, [&] {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        // Every row is taken out as a line, as a list would need it.
        std::vector<std::string> lines;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string line;
            for (int c = 1; c < 8; ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
                line += text ? text : "";
                line += ' ';
            }
            lines.push_back(std::move(line));
        }
        sqlite3_finalize(stmt);
        rows = lines.size();
    });
    state.counters["rows"] = double(rows);
}

// ---- the warehouse -------------------------------------------------------------------------

void readEveryRecord(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    timed(state, "read_every_record", [] {
        qint64 seen = 0;
        WarehouseArchive::forEachRaw([&](qint64, const char *record) {
            seen += record[0];
            return true;
        });
        benchmark::DoNotOptimize(seen);
    });
}

// The search window as the editor opens it; its list is emptied between runs, as closing it does.
struct SearchWindow : TfrmTrovaMagazzino
{
    SearchWindow()
        : TfrmTrovaMagazzino(nullptr)
    {
        findChild<QLabel *>(QStringLiteral("lblMemory"))->setText(QStringLiteral("magazzino"));
    }
    using TfrmTrovaMagazzino::lstRecordsDblClick;
    ResultPanel *panel() const { return findChild<ResultPanel *>(); }
    void setBox(F::Field field, const QString &text)
    {
        findChild<QLineEdit *>(QStringLiteral("txt") + QLatin1String(F::info(field).name))->setText(text);
    }
};

/** Until the window is on screen and its picture drawn afresh, as after a click. */
void settle(QWidget &w)
{
    while (!w.windowHandle() || !w.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    w.repaint();
}

void search(benchmark::State &state, const std::string &kind)
{
    useFolder(int(state.range(0)));
    SearchWindow w;
    if (kind == "one")
        w.setBox(F::Nome, QStringLiteral("vaso"));
    if (kind == "ten")
        for (const auto &[field, text] : kTenBoxes)
            w.setBox(field, QString::fromUtf8(text));
    w.show();
    settle(w);
    timed(
        state, "search_" + kind,
        [&] {
            w.btnCercaClick();
            settle(w);
        },
        [&] { w.panel()->model()->clear(); }, "sqlite_" + kind);
    state.counters["rows"] = double(w.panel()->model()->rowCount());
}

void findNothing(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    SearchWindow w;
    w.btnCercaClick();
    ResultPanel *panel = w.panel();
    panel->findBox()->setText(QStringLiteral("qzxjv"));
    timed(state, "find_nothing", [&] { panel->btnTrovaClick(); });
    state.counters["rows"] = double(panel->model()->rowCount());
}

template <typename Window> struct ListProbe : Window
{
    ListProbe()
        : Window(nullptr)
    { }
    using Window::formShow;
};

template <typename Window> void warehouseList(benchmark::State &state, const std::string &kind)
{
    useFolder(int(state.range(0)));
    ListProbe<Window> w;
    ResultPanel *panel = w.template findChild<ResultPanel *>();
    // Opening the window fills it.
    timed(
        state, kind,
        [&] {
            w.show();
            settle(w);
        },
        [&] {
            w.hide();
            panel->model()->clear();
        },
        "sqlite_" + kind);
    state.counters["rows"] = double(panel->model()->rowCount());
}

void doubleClick(benchmark::State &state)
{
    const int cards = int(state.range(0));
    useFolder(cards);
    SearchWindow w;
    timed(state, "double_click", [&] { w.lstRecordsDblClick(cards / 2); });
}

// The editor's handlers are its own; a click reaches them through the button's signal.
void click(QWidget *window, const char *button)
{
    emit window->findChild<PictureButton *>(QLatin1String(button))->clicked();
}

void pageToLast(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    TfrmMagazzino *editor = Forms::magazzino();
    editor->clearCard();
    timed(state, "page_to_last", [&] { click(editor, "cmdUltimo"); });
}

// Saving a card: card 1 carries the 12-megapixel photo, card 2 none. Appended cards and their
// photos are taken away afterwards so every case sees the same archive.
void saveCard(benchmark::State &state, bool append, bool photo)
{
    const int cards = int(state.range(0));
    useFolder(cards);
    TfrmMagazzino *editor = Forms::magazzino();
    const qint64 source = photo ? 1 : 2;
    editor->fillFromRecord(WarehouseArchive::read(source), source);
    auto *position = editor->findChild<QLabel *>(QStringLiteral("lblPosizione"));
    timed(
        state, "save_card", [&] { click(editor, "btnSalva"); },
        [&] {
            position->setText(append ? QString() : QString::number(source));
            if (!photo)
                QFile::remove(programPath(QStringLiteral("2.jpg")));
        });
    for (qint64 n = WarehouseArchive::count(); n > cards; --n)
        QFile::remove(programPath(QStringLiteral("%1.jpg").arg(n)));
    QFile::resize(warehousePath(), qint64(cards) * F::RecordSize);
    if (!photo)
        QFile::remove(programPath(QStringLiteral("2.jpg")));
}

// ---- export ---------------------------------------------------------------------------------

struct ExportProbe : TfrmExpMagazzino
{
    ExportProbe()
        : TfrmExpMagazzino(nullptr)
    { }
    using TfrmExpMagazzino::formShow;
};

void exportGrid(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    ExportProbe w;
    // Opening the window fills the grid.
    timed(
        state, "export_grid",
        [&] {
            w.show();
            settle(w);
        },
        [&] { w.hide(); });
}

void exportWrite(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    ExportProbe w;
    w.formShow();
    timed(state, "export_write", [&] { w.cmdEsportaClick(); });
    state.counters["MB"] = double(QFileInfo(programPath(QStringLiteral("Magazzino.xls"))).size()) / 1e6;
}

// ---- price lists ----------------------------------------------------------------------------

TfrmListinoPrezzi *openList()
{
    TfrmListinoPrezzi *editor = Forms::listinoPrezzi();
    editor->findChild<QLabel *>(QStringLiteral("lblFile"))->setText(programPath(QStringLiteral("Listino 1.lis")));
    editor->findChild<QLabel *>(QStringLiteral("lblNome"))->setText(QStringLiteral("Listino 1"));
    editor->cmdPrimoClick();
    return editor;
}

// Puts the 12-megapixel photo of card 1 in all eight slots, as importing card 1 into each does.
void loadBigPhotos(TfrmListinoPrezzi *editor)
{
    editor->findChild<QLabel *>(QStringLiteral("lblRecord"))->setText(QStringLiteral("1"));
    for (int s = 0; s < TPaginaListino::SlotCount; ++s)
        editor->loadWarehousePhoto(TPaginaListino::letter(s));
}

void pageSave(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    TfrmListinoPrezzi *editor = openList();
    loadBigPhotos(editor);
    timed(
        state, "page_save", [&] { editor->cmdSalvaClick(); }, [&] { loadBigPhotos(editor); });
}

void pageLoad(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    TfrmListinoPrezzi *editor = openList();
    timed(state, "page_load", [&] { editor->cmdPrimoClick(); });
}

void slotPhotosLoad(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    TfrmListinoPrezzi *editor = openList();
    timed(state, "slot_photos_12mp", [&] { loadBigPhotos(editor); });
}

void thumbnails(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    TfrmListinoPrezzi *editor = openList();
    loadBigPhotos(editor);
    timed(
        state, "thumbnails", [&] { editor->writeThumbnails(); }, [&] { loadBigPhotos(editor); });
}

// ---- reports ----------------------------------------------------------------------------------

QString pdfPath()
{
    return g_data + QStringLiteral("/bench.pdf");
}

void priceListPdf(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    PriceListPageValues values;
    values.title = QStringLiteral("Listino 1");
    values.page = QStringLiteral("1");
    const TPaginaListino page = PriceListFile::read(programPath(QStringLiteral("Listino 1.lis")), 1);
    for (int s = 0; s < TPaginaListino::SlotCount; ++s) {
        auto &slot = values.products[size_t(s)];
        slot.photo = loadPicture(
            programPath(QStringLiteral("Foto_Listino/Listino 1_Foto_%1_1.jpg").arg(TPaginaListino::letter(s))));
        slot.nome = page.voci[s][TVoceListino::Nome];
        slot.um = page.voci[s][TVoceListino::UM];
        slot.caratteristiche = page.voci[s][TVoceListino::Caratteristiche];
        slot.codice = page.voci[s][TVoceListino::Codice];
        slot.prezzo = page.voci[s][TVoceListino::Prezzo];
    }
    timed(state, "pricelist_pdf", [&] {
        ReportTemplate report = makeRepDocumento();
        fillPriceListPage(report, values);
        if (!ReportPainter::writePdf(report.prepare(), pdfPath()))
            state.SkipWithError("the PDF could not be written"); // a time for nothing written is no figure
    });
}

void productCardPdf(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    const F card = WarehouseArchive::read(1);
    ProductCardValues v;
    v.codice = card[F::Codice];
    v.costo = card[F::Costo];
    v.nome = card[F::Nome];
    v.giacenza = card[F::Giacenza];
    v.um = card[F::UM];
    v.tipologia = card[F::Tipologia];
    v.caratteristiche = card[F::Caratteristiche];
    v.collocazione = card[F::Collocazione];
    v.ditta = card[F::Ditta];
    v.agente = card[F::Agente];
    v.recapito = card[F::Recapito];
    v.documento = card[F::Documento];
    v.pagamento = card[F::Pagamento];
    v.dataSca = card[F::DataSca];
    v.note = card[F::Note];
    v.prezzo = card[F::Prezzo];
    v.photo = loadPicture(programPath(QStringLiteral("1.jpg")));
    timed(state, "card_pdf", [&] {
        ReportTemplate report = makeRepFoto();
        fillProductCard(report, v);
        if (!ReportPainter::writePdf(report.prepare(), pdfPath()))
            state.SkipWithError("the PDF could not be written"); // a time for nothing written is no figure
    });
}

// The result lines of every card in list order, as the empty search hands them to Stampa.
QStringList everyCardSorted()
{
    ResultLines entries;
    collectResults(entries, LineLayout::Search, [](const char *) { return true; });
    entries.sort();
    return entries.lines();
}

void listReport(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    const QStringList lines = everyCardSorted();
    int pages = 0;
    timed(state, "list_report", [&] {
        ReportTemplate report = makeListReport();
        fillListReport(report, QStringLiteral("Risultati della ricerca"), lines);
        const PreparedReport prepared = report.prepare();
        pages = int(prepared.pages.size());
        benchmark::DoNotOptimize(ReportPainter::pageImage(prepared.pages.constFirst()));
    });
    state.counters["pages"] = pages;
}

// The list of every card printed whole, as Stampa of the result list does: preparation, then every
// page through the printer path with its progress window, into a PDF file.
void listPrint(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    const QStringList lines = everyCardSorted();
    int pages = 0;
    timed(state, "list_print", [&] {
        ReportTemplate report = makeListReport();
        fillListReport(report, QStringLiteral("Risultati della ricerca"), lines);
        const PreparedReport prepared = report.prepare();
        pages = int(prepared.pages.size());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath());
        benchmark::DoNotOptimize(ReportOutput::printOn(nullptr, printer, prepared));
    });
    state.counters["pages"] = pages;
}

// ---- start-up ----------------------------------------------------------------------------------

double g_coldStart = 0;

double startToPassword()
{
    const auto t0 = Clock::now();
    Forms::start();
    QWidget *password = Forms::password();
    while (!password->isVisible() || !password->windowHandle() || !password->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

/** Nanoseconds from exec to the "painted N" line of `program`, or 0 when it printed none. */
double paintedAfterExec(const QString &program)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VETRINOVA_STARTUP_PROBE"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    timespec t0 {};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    child.start(program, {});
    child.waitForFinished(60000);
    const auto m
        = QRegularExpression(QStringLiteral("painted (\\d+)")).match(QString::fromUtf8(child.readAllStandardOutput()));
    const double start = double(t0.tv_sec) * 1e9 + double(t0.tv_nsec);
    return m.hasMatch() ? (m.captured(1).toDouble() - start) / 1e9 : 0;
}

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs.empty() ? 0 : runs[runs.size() / 2];
}

// The real program, from exec to its first painted password window, as often as the case runs, each
// run followed by the reference (a Qt Widgets program showing a like dialog, bench/startup-reference)
// so both see the same load; the ratio is of the medians. The very first run of each is the cold
// one: the libraries may not yet be in the page cache (only dropping the cache, which needs root,
// would make every run cold).
void processStartUp(benchmark::State &state)
{
    std::vector<double> runs, reference;
    double coldRun = -1, coldReference = -1;
    for (auto _ : state) {
        const double s = paintedAfterExec(QStringLiteral(VETRINOVA_EXE));
        const double r = paintedAfterExec(QStringLiteral(STARTUP_REFERENCE_EXE));
        if (coldRun < 0) {
            coldRun = s;
            coldReference = r;
        }
        runs.push_back(s);
        reference.push_back(r);
        state.SetIterationTime(s);
    }
    state.counters["median_ms"] = median(runs) * 1000;
    state.counters["min_ms"] = *std::min_element(runs.begin(), runs.end()) * 1000;
    state.counters["cold_ms"] = coldRun * 1000;
    state.counters["ref_median_ms"] = median(reference) * 1000;
    state.counters["ref_cold_ms"] = coldReference * 1000;
    state.counters["x_reference"] = median(runs) / median(reference);
}

// From OK on the password window to the start window painted, in a fresh process each run (the start
// window's first show is what a user waits for); this process runs the child with --password-to-start.
void passwordToStart(benchmark::State &state)
{
    std::vector<double> runs;
    for (auto _ : state) {
        QProcess child;
        child.start(g_self, { g_data, QStringLiteral("--password-to-start") });
        child.waitForFinished(60000);
        const auto m = QRegularExpression(QStringLiteral("start window ([\\d.]+) ms"))
                           .match(QString::fromUtf8(child.readAllStandardOutput()));
        const double s = m.hasMatch() ? m.captured(1).toDouble() / 1000 : 0;
        runs.push_back(s);
        state.SetIterationTime(s);
    }
    state.counters["median_ms"] = median(runs) * 1000;
    state.counters["first_ms"] = runs.front() * 1000;
}

/**
 * The child of passwordToStart: a fresh program folder with a known password. The start window reads
 * the archive only after it is painted, so the folder needs none.
 */
int passwordToStartChild()
{
    QTemporaryDir folder;
    setProgramFolderOverride(folder.path());
    if (!Access::store(QStringLiteral("BENCH"))) // typed passwords are compared in capitals
        return 1;
    Forms::start();
    QWidget *password = Forms::password();
    settle(*password);
    password->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(QStringLiteral("bench"));
    QWidget *start = Forms::avvio();
    bool painted = false;
    struct PaintWatch : QObject
    {
        bool *seen;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                *seen = true;
            return false;
        }
    } watch;
    watch.seen = &painted;
    start->installEventFilter(&watch);
    const auto t0 = Clock::now();
    emit password->findChild<QPushButton *>(QStringLiteral("cmdOK"))->clicked();
    while (!painted && Clock::now() - t0 < std::chrono::seconds(10))
        QCoreApplication::processEvents();
    if (!painted) {
        std::printf("start window not painted (visible: %d, password visible: %d)\n", int(start->isVisible()),
            int(password->isVisible()));
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    std::printf("start window %.3f ms\n", ms);
    start->removeEventFilter(&watch);
    Forms::destroyAll();
    return 0;
}

void startUp(benchmark::State &state)
{
    for (auto _ : state) {
        Forms::destroyAll();
        state.SetIterationTime(startToPassword());
    }
    state.counters["first_ms"] = g_coldStart * 1000;
}

// ---- the start window -------------------------------------------------------------------------

// What the start window counts for its badges, on its own thread once it is painted.
void attentionCount(benchmark::State &state)
{
    useFolder(int(state.range(0)));
    const QDate today = QDate::currentDate();
    AttentionCounts counts;
    timed(state, "attention_count", [&] { counts = countAttention(today); });
    state.counters["under_stock"] = double(counts.underStock);
    state.counters["overdue"] = double(counts.overdue);
}

// ---- registration -----------------------------------------------------------------------------

void registerAll()
{
    // A process that runs one cold case runs it once.
    auto add = [](const std::string &name, auto fn, int maxIterations = 0) {
        auto named = [name, fn](benchmark::State &s) {
            g_case = name;
            fn(s);
        };
        auto *b = benchmark::RegisterBenchmark(name.c_str(), named)->UseManualTime()->Unit(benchmark::kMillisecond);
        for (int n : kSizes)
            b->Arg(n);
        if (g_coldChild)
            b->Iterations(1);
        else if (maxIterations)
            b->Iterations(maxIterations);
        else
            b->MinTime(0.2);
    };
    auto once = [](const std::string &name, auto fn, int iterations) {
        auto named = [name, fn](benchmark::State &s) {
            g_case = name;
            fn(s);
        };
        benchmark::RegisterBenchmark(name.c_str(), named)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Arg(kSizes[2])
            ->Iterations(g_coldChild ? 1 : iterations);
    };
    add("floor/read_file", floorRead);
    add("floor/memmem", floorMemmem);
    for (const char *kind : { "all", "one", "ten", "under_stock", "unpaid" })
        add(std::string("sqlite/") + kind, [kind](benchmark::State &s) { sqliteSearch(s, kind); });
    add("read_every_record", readEveryRecord);
    add("search/all_boxes_empty", [](benchmark::State &s) { search(s, "all"); });
    add("search/one_box", [](benchmark::State &s) { search(s, "one"); });
    add("search/ten_boxes", [](benchmark::State &s) { search(s, "ten"); });
    add("list/find_nothing", findNothing);
    add("list/under_stock", [](benchmark::State &s) { warehouseList<TfrmSottoscorta>(s, "under_stock"); });
    add("list/unpaid", [](benchmark::State &s) { warehouseList<TfrmDaSaldare>(s, "unpaid"); });
    add("start/attention_count", attentionCount);
    add("card/double_click", doubleClick);
    add("card/page_to_last", pageToLast);
    add(
        "card/save_overwrite_no_photo", [](benchmark::State &s) { saveCard(s, false, false); }, 20);
    add(
        "card/save_append_no_photo", [](benchmark::State &s) { saveCard(s, true, false); }, 20);
    add(
        "card/save_overwrite_12mp", [](benchmark::State &s) { saveCard(s, false, true); }, 3);
    add(
        "card/save_append_12mp", [](benchmark::State &s) { saveCard(s, true, true); }, 3);
    add("export/fill_grid", exportGrid, 5);
    add("export/write_xls", exportWrite, 5);
    once("pricelist/load_8_slot_photos_12mp", slotPhotosLoad, 3);
    once("pricelist/save_page_8x12mp", pageSave, 3);
    once("pricelist/load_page", pageLoad, 10);
    once("pricelist/write_8_thumbnails", thumbnails, 3);
    once("report/pricelist_page_pdf", priceListPdf, 5);
    once("report/product_card_12mp_pdf", productCardPdf, 3);
    add("report/list_prepare_first_page", listReport, 3);
    add("report/list_print_all_pages", listPrint, 2);
    benchmark::RegisterBenchmark("startup/process_to_password_window", processStartUp)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(15);
    benchmark::RegisterBenchmark("startup/password_to_start_window", passwordToStart)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(9);
    benchmark::RegisterBenchmark("startup/password_window", startUp)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
}

long peakKb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int peak(const QString &what)
{
    useFolder(kSizes[2]);
    const long before = peakKb();
    size_t rows = 0;
    if (what == QLatin1String("search")) {
        SearchWindow w;
        w.btnCercaClick();
        rows = size_t(w.panel()->model()->rowCount());
    } else {
        // The open export window with its grid, then writing Magazzino.xls from it.
        ExportProbe w;
        w.formShow();
        const long grid = peakKb();
        w.cmdEsportaClick();
        std::printf("peak memory, export grid of %d cards: %.1f MB\n", kSizes[2], double(grid) / 1024);
        rows = size_t(WarehouseArchive::count());
    }
    const double archiveMb = double(QFileInfo(warehousePath()).size()) / 1e6;
    std::printf("peak memory, %s of %d cards (all): %.1f MB (%.1f MB before it; archive %.1f MB; %zu rows)\n",
        qPrintable(what), kSizes[2], double(peakKb()) / 1024, double(before) / 1024, archiveMb, rows);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    // Offscreen unless asked otherwise (QT_QPA_PLATFORM=xcb under a display times the real window system).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // One cold case: only that benchmark, at that size, once.
    std::vector<char *> args(argv, argv + argc);
    std::string filter;
    if (argc >= 5 && std::strcmp(argv[2], "--cold") == 0) {
        g_coldChild = true;
        filter = "--benchmark_filter=^" + std::string(argv[3]) + "/" + argv[4] + "/";
        args = { argv[0], argv[1], filter.data() };
    }
    int count = int(args.size());
    Application app(count, args.data());
    benchmark::Initialize(&count, args.data());
    if (count < 2) {
        std::fprintf(
            stderr, "usage: bench-vetrinova DATA [--peak search|export | --cold CASE N] [benchmark options]\n");
        return 2;
    }
    g_self = QCoreApplication::applicationFilePath();
    g_data = QDir(QString::fromLocal8Bit(args[1])).absolutePath();
    Msg::setHandler([](Msg::Kind, const QString &) { return QMessageBox::Yes; });
    TMisc::setHandler([](const QString &) {});
    ReportOutput::setHandler([](ReportOutput::Action, const PreparedReport &) {});
    useFolder(kSizes[0]);
    if (count >= 3 && std::strcmp(args[2], "--password-to-start") == 0)
        return passwordToStartChild();
    if (count >= 4 && std::strcmp(args[2], "--peak") == 0)
        return peak(QString::fromLocal8Bit(args[3]));

    if (!g_coldChild)
        g_coldStart = startToPassword();
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Forms::destroyAll();
    return 0;
}
