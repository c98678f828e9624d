// The long outputs, each timed once in its own process so its peak memory is its own:
//   bench-outputs DATA wholelist     the PDF of a 100-page list with eight photos on every page
//   bench-outputs DATA wholelist N   the same of its first N pages only, to show the peak stays put
//   bench-outputs DATA xlsx          Magazzino.xlsx of 100 000 cards without photos
//   bench-outputs DATA xlsx-photos   Magazzino.xlsx of 1 000 cards, each with its photo
// DATA is the folder `make bench` fills with make-archive.
#include "app/rules/Picture.h"
#include "bench/BenchData.h"
#include "pricelist/rules/WholeList.h"
#include "report/engine/ReportPainter.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "warehouse/rules/WorkbookWriter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
double peakMb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024;
}

// The processor time of every thread: on a busy machine the wall time says little, this says what
// the work costs.
double cpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void report(const char *what, qint64 ns, double cpuBefore, const QString &file, const char *goal)
{
    std::printf("%-44s %7.0f ms (processor %7.0f ms)   peak memory %6.1f MB   %s %.1f MB   (goal %s)\n", what, ns / 1e6,
        cpuMs() - cpuBefore, peakMb(), qPrintable(QFileInfo(file).fileName()), double(QFileInfo(file).size()) / 1e6,
        goal);
}

int wholeList(const QString &data, qsizetype pages)
{
    setProgramFolderOverride(data + QStringLiteral("/list-100"));
    const QString list = programPath(QStringLiteral("Listino 1.lis"));
    const QString pdf = programPath(QStringLiteral("Listino 1.pdf"));
    QImage blank(136, 104, QImage::Format_RGB32);
    blank.fill(Qt::white);
    const double cpu = cpuMs();
    QElapsedTimer t;
    t.start();
    std::optional<PreparedReport> whole = WholeList::report(list, QStringLiteral("Listino 1"), pages == 0, blank);
    if (qEnvironmentVariableIsSet("BENCH_STEPS"))
        std::printf(
            "pages made: %.0f ms (processor %.0f ms), peak %.1f MB\n", t.nsecsElapsed() / 1e6, cpuMs() - cpu, peakMb());
    // The first pages alone, without the index: the peak memory must not grow with the pages.
    if (whole && pages > 0)
        whole->made.count = std::min(whole->made.count, pages);
    if (!whole || !ReportPainter::writePdf(*whole, pdf)) {
        std::fprintf(stderr, "the PDF of %s was not written\n", qPrintable(list));
        return 1;
    }
    if (pages > 0) {
        const QByteArray what = QStringLiteral("whole list, first %1 pages x 8 photos, to PDF").arg(pages).toUtf8();
        report(what.constData(), t.nsecsElapsed(), cpu, pdf, "peak as for 100 pages");
    } else {
        report("whole list, 100 pages x 8 photos + index, to PDF", t.nsecsElapsed(), cpu, pdf, "1.5 s, 150 MB");
    }
    return 0;
}

int workbook(const QString &folder, bool photos, const char *what, const char *goal)
{
    setProgramFolderOverride(folder);
    const double cpu = cpuMs();
    QElapsedTimer t;
    t.start();
    // As the export window does: the grid from the archive's raw records, then the workbook.
    const WarehouseSheet sheet = BenchData::archiveSheet();
    const QStringList headers = BenchData::columnHeaders();
    std::function<QImage(qsizetype)> photo;
    if (photos)
        photo = [](qsizetype row) {
            return loadPictureFor(programPath(QString::number(row + 1) + QStringLiteral(".jpg")),
                QSize(WorkbookWriter::ThumbnailWidth, WorkbookWriter::ThumbnailHeight));
        };
    if (!WorkbookWriter::write(WorkbookWriter::exportPath(), sheet, headers, photo)) {
        std::fprintf(stderr, "Magazzino.xlsx was not written in %s\n", qPrintable(folder));
        return 1;
    }
    report(what, t.nsecsElapsed(), cpu, WorkbookWriter::exportPath(), goal);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the PDF lays out text
    if (argc != 3 && !(argc == 4 && std::strcmp(argv[2], "wholelist") == 0)) {
        std::fprintf(stderr, "usage: bench-outputs DATA wholelist [PAGES]|xlsx|xlsx-photos\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    if (std::strcmp(argv[2], "wholelist") == 0)
        return wholeList(data, argc == 4 ? std::atoi(argv[3]) : 0);
    if (!WorkbookWriter::available()) {
        std::printf("Magazzino.xlsx: this build has no libxlsxwriter, nothing to time\n");
        return 0;
    }
    if (std::strcmp(argv[2], "xlsx") == 0)
        return workbook(data + QStringLiteral("/cards-100000"), false, "Magazzino.xlsx, 100 000 cards", "3 s, 400 MB");
    if (std::strcmp(argv[2], "xlsx-photos") == 0)
        return workbook(data + QStringLiteral("/photos-1000"), true, "Magazzino.xlsx, 1 000 cards with photos", "5 s");
    std::fprintf(stderr, "usage: bench-outputs DATA wholelist|xlsx|xlsx-photos\n");
    return 2;
}
