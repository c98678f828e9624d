// How long the window's event loop stalls while each long job runs through the progress window, as the
// windows run them: a 10 ms timer on the window's thread measures its own lateness, and the longest
// lateness is the longest the program went without painting or answering Annulla. Goal: under 100 ms.
//   bench-jobs DATA     DATA is the folder `make bench` fills with make-archive
#include "bench/BenchData.h"
#include "pricelist/rules/WholeList.h"
#include "report/ReportOutput.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "warehouse/rules/WorkbookWriter.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
constexpr qint64 kGoalMs = 100;
constexpr int kTickMs = 10;

/** A timer on the window's thread that notes how late it comes: the longest the event loop was kept waiting. */
class StallClock
{
public:
    StallClock()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(kTickMs);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            if (now - m_last - kTickMs > m_worst && qEnvironmentVariableIsSet("BENCH_STEPS"))
                std::printf("stall %lld ms at %lld ms\n", now - m_last - kTickMs, now);
            m_worst = std::max(m_worst, now - m_last - kTickMs);
            m_last = now;
        });
        m_clock.start();
        m_tick.start();
    }

    /** Stops, and prints the job's time and its longest stall; true when within the goal. */
    bool report(const char *what, bool ok)
    {
        m_tick.stop();
        const qint64 total = m_clock.elapsed();
        // The time after the last tick counts too: the loop could not run then either, or it ended.
        m_worst = std::max(m_worst, total - m_last - kTickMs);
        const bool within = m_worst < kGoalMs;
        std::printf("%-40s %7lld ms   longest event-loop stall %4lld ms (goal < %lld ms) %s\n", what,
            static_cast<long long>(total), static_cast<long long>(m_worst), static_cast<long long>(kGoalMs),
            !ok          ? "FAILED"
                : within ? "ok"
                         : "OVER");
        std::fflush(stdout);
        return ok && within;
    }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

/** Runs `work` as a job through the progress window, as the windows do, and reports its stall. */
template <class Work> bool measure(const char *what, Work work)
{
    ProgressWindow progress(nullptr, QStringLiteral("dlgBench"), QStringLiteral(" Prova"), QStringLiteral("Prova"));
    StallClock stalls;
    const bool ok = progress.run(work);
    return stalls.report(what, ok);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-jobs DATA\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch(data + QStringLiteral("/bench-jobs-XXXXXX"));
    int failed = 0;
    {
        // In the program the start window has been shown before any job: the fonts and the style are
        // loaded then, not while the first job's window opens.
        QProgressDialog warm;
        warm.show();
        warm.grab();
    }

    setProgramFolderOverride(data + QStringLiteral("/cards-100000"));
    const QString zip = scratch.filePath(QStringLiteral("copia.zip"));
    failed += !measure("safety copy, 100 000 cards", [&](Job &job) {
        return SafetyCopy::create(zip, [&job](qint64 done, qint64 total) {
            return job.step(done, total, QStringLiteral("Copia di sicurezza in corso..."));
        }) == SafetyCopy::Problem::None;
    });
    QFile::remove(zip);

    if (WorkbookWriter::available()) {
        // As the export window does: the grid is read when the window opens, the workbook is the job.
        const WarehouseSheet sheet = BenchData::archiveSheet();
        const QStringList headers = BenchData::columnHeaders();
        setProgramFolderOverride(scratch.filePath(QStringLiteral("export")));
        QDir().mkpath(scratch.filePath(QStringLiteral("export")));
        failed += !measure("Magazzino.xlsx, 100 000 cards", [&](Job &job) {
            return bool(WorkbookWriter::write(
                WorkbookWriter::exportPath(), sheet, headers, {}, [&job](qsizetype done, qsizetype total) {
                    return job.step(done, total, QStringLiteral("Scrittura di Magazzino.xlsx"));
                }));
        });
    }

    const QString program = scratch.filePath(QStringLiteral("import"));
    QDir().mkpath(program);
    setProgramFolderOverride(program);
    ImportRun::Options options;
    options.path = scratch.filePath(QStringLiteral("elenco.csv"));
    if (!BenchData::writeProductList(options.path, 100000))
        return 1;
    options.format = ImportSource::detect(options.path);
    options.mapping = ImportRules::guessMapping({ "Codice", "Descrizione", "Costo", "Prezzo", "Aspetto", "Categoria",
        "Caratteristiche", "Quantita", "Fornitore", "Note" });
    const auto importProgress = [](Job &job) {
        return [&job](qint64 done, qint64 total) { return job.step(done, total, QStringLiteral("Importazione")); };
    };
    failed += !measure("import check, 100 000 rows",
        [&](Job &job) { return ImportRun::check(options, importProgress(job)).accepted == 100000; });
    failed += !measure("import write, 100 000 rows",
        [&](Job &job) { return ImportRun::write(options, importProgress(job)).added == 100000; });

    setProgramFolderOverride(data + QStringLiteral("/list-100"));
    QImage blank(136, 104, QImage::Format_RGB32);
    blank.fill(Qt::white);
    std::optional<PreparedReport> whole;
    failed += !measure("whole list, 100 pages x 8 photos", [&](Job &job) {
        whole = WholeList::report(programPath(QStringLiteral("Listino 1.lis")), QStringLiteral("Listino 1"), true,
            blank, [&job](qint64 done, qint64 total) { return job.step(done, total, QStringLiteral("Preparazione")); });
        return whole.has_value();
    });
    if (whole) {
        // The print runs its own job inside printOn, as a print to a PDF file chosen in the print dialog.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(scratch.filePath(QStringLiteral("Listino 1.pdf")));
        StallClock stalls;
        const bool printed = bool(ReportOutput::printOn(nullptr, printer, *whole));
        failed += !stalls.report("whole list printed to PDF", printed);
    }
    return failed == 0 ? 0 : 1;
}
