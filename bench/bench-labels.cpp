// Labels: 1 000 price tags with EAN-13 barcodes (every label a different product and code) laid
// out on 3 × 8 sheets and written as a PDF, each size in a child process of its own so its peak memory
// is its own; the same labels without barcodes are the reference measured in the same run.
// Goals: 1 000 labels with barcodes under 3 s; peak memory under 150 MB (the pages are prepared whole
// before the PDF, about 8 MB for each 1 000 labels, so 5 000 are measured as well).
#include "report/engine/LabelReport.h"
#include "report/engine/ReportPainter.h"
#include "warehouse/rules/Barcode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {
double peakMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int measure(int count, bool barcodes)
{
    QList<LabelProduct> labels;
    for (int i = 0; i < count; ++i) {
        const QString twelve = QStringLiteral("80%1").arg(100000 + i, 10, 10, QLatin1Char('0'));
        labels.append({ twelve, QStringLiteral("Prodotto di prova numero %1").arg(i), QStringLiteral("12,50"),
            QStringLiteral("Scatola"), QStringLiteral("Casa"), QStringLiteral("3") });
    }
    LabelContents contents;
    contents.barcode = barcodes;
    const LabelSheet sheet = LabelSheet::standardSheets().at(4); // 3 × 8, 70 × 37 mm
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("etichette.pdf"));
    QElapsedTimer t;
    t.start();
    const PreparedReport report = prepareLabels(QStringLiteral("Etichette"), sheet, 1, labels, contents);
    const double prepareS = t.nsecsElapsed() / 1e9;
    const bool written = bool(ReportPainter::writePdf(report, pdf));
    const double totalS = t.nsecsElapsed() / 1e9;
    const double mb = peakMb();
    const double pdfMb = QFileInfo(pdf).size() / 1048576.0;
    const bool ok = written && (!barcodes || count > 1000 || totalS < 3.0) && mb < 150;
    std::printf("labels %5d %s: prepared %.2f s, PDF %.2f s in all (%d pages, %.1f MB), peak memory %.1f MB %s\n",
        count, barcodes ? "with barcodes   " : "without barcodes", prepareS, totalS, int(report.pages.size()), pdfMb,
        mb, ok ? "ok" : "OVER");
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--labels")
        return measure(QByteArray(argv[2]).toInt(), QByteArray(argv[3]) == "barcodes");
    int failed = 0;
    const std::pair<const char *, const char *> runs[]
        = { { "1000", "plain" }, { "1000", "barcodes" }, { "5000", "barcodes" } };
    for (const auto &[count, kind] : runs)
        failed += QProcess::execute(QCoreApplication::applicationFilePath(),
                      { QStringLiteral("--labels"), QLatin1String(count), QLatin1String(kind) })
            != 0;
    return failed;
}
