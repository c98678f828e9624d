// The list print of 100 000 lines (1 789 pages) into a PDF, each run in its own process:
//   bench-listprint print   as Stampa of a result list: the pages prepared, then printOn() with its
//                           progress window, into a PDF file chosen as the printer
//   bench-listprint floor   Qt's PDF engine alone: the same lines at the same places in the same font,
//                           already turned into glyphs, written through a PDF printer and nothing else
// Each prints one line "what wall_ms cpu_ms [redraws]". The source only uses what the list print has
// offered for a long time, so `make bench` builds it unchanged in an older checkout as the reference.
#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "report/engine/ReportPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGlyphRun>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QRawFont>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {
constexpr int kLines = 100000;

double cpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

/** Lines shaped like the search results' (code, name, stock, price), all different. */
QStringList listLines()
{
    const char *names[] = { "Coperta artigianale di lana", "Caffettiera in acciaio", "Vaso di ceramica dipinto",
        "Lampada da tavolo", "Tovaglia ricamata", "Set di bicchieri" };
    QStringList lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i)
        lines.append(QStringLiteral("%1  A-%2  %3  Giac. %4  Costo: € %5,%6  Prezzo: € %7,%8")
                         .arg(i + 1, 6)
                         .arg(i * 7919 % 1000000, 6, 10, QLatin1Char('0'))
                         .arg(QString::fromUtf8(names[i % 6]) + QStringLiteral(" n. ") + QString::number(i % 97), -40)
                         .arg(i * 31 % 500, 4)
                         .arg(i * 13 % 1000, 4)
                         .arg(i % 100, 2, 10, QLatin1Char('0'))
                         .arg(i * 17 % 2000, 5)
                         .arg(i * 3 % 100, 2, 10, QLatin1Char('0')));
    return lines;
}

PreparedReport prepared(const QStringList &lines)
{
    ReportTemplate report = makeListReport();
    fillListReport(report, QStringLiteral("Risultati della ricerca"), lines);
    return report.prepare();
}

/** Counts the progress window's redraws: the paints of its label, whose page number changes at every one. */
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<QLabel *>(watched)
            && qobject_cast<QProgressDialog *>(static_cast<QWidget *>(watched)->window()))
            ++paints;
        return false;
    }
};

int print(const QString &pdf)
{
    const QStringList lines = listLines();
    const double cpu = cpuMs();
    QElapsedTimer t;
    t.start();
    const PreparedReport report = prepared(lines);
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QElapsedTimer printing;
    printing.start();
    if (!ReportOutput::printOn(nullptr, printer, report)) {
        std::fprintf(stderr, "the list was not printed\n");
        return 1;
    }
    const double seconds = double(printing.elapsed()) / 1000;
    std::printf("print %.0f %.0f %d %.1f\n", double(t.elapsed()), cpuMs() - cpu, counter.paints,
        seconds > 0 ? counter.paints / seconds : 0.0);
    return 0;
}

int floor(const QString &pdf)
{
    const QStringList lines = listLines();
    // The same pages as the print, turned into glyph runs before the clock starts.
    const PreparedReport report = prepared(lines);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    ReportPainter::usePaper(printer, report.pages.constFirst().paperMm);
    const double scale = printer.logicalDpiX() / 96.0;
    // One run per text box, its blanks left out, as the print draws a fixed-pitch list: the engine
    // receives the same glyphs and nothing is left to measure or look up while it writes.
    QList<QList<QGlyphRun>> pages;
    for (const PreparedPage &page : report.pages) {
        QList<QGlyphRun> runs;
        for (const PreparedItem &item : page.items) {
            if (item.lines.isEmpty())
                continue;
            QFont font(item.style.family);
            font.setPointSizeF(item.style.pixelHeight * 72.0 / printer.logicalDpiY());
            font.setBold(item.style.bold);
            const QRawFont raw = QRawFont::fromFont(QFont(font, &printer));
            QList<quint32> glyphs;
            QList<QPointF> positions;
            for (const PreparedLine &line : item.lines) {
                const QList<quint32> indexes = raw.glyphIndexesForString(line.text);
                const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
                QPointF at(line.rect.left(), line.rect.bottom());
                for (qsizetype i = 0; i < indexes.size() && i < line.text.size(); ++i) {
                    if (line.text.at(i) != QLatin1Char(' ')) {
                        glyphs.append(indexes[i]);
                        positions.append(at);
                    }
                    at += advances[i];
                }
            }
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            runs.append(run);
        }
        pages.append(runs);
    }
    const double cpu = cpuMs();
    QElapsedTimer t;
    t.start();
    QPainter painter(&printer);
    painter.scale(scale, scale);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer.newPage();
        for (const QGlyphRun &run : pages[p])
            painter.drawGlyphRun(QPointF(), run);
    }
    painter.end();
    std::printf("floor %.0f %.0f\n", double(t.elapsed()), cpuMs() - cpu);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("elenco.pdf"));
    if (argc == 2 && std::strcmp(argv[1], "print") == 0)
        return print(pdf);
    if (argc == 2 && std::strcmp(argv[1], "floor") == 0)
        return floor(pdf);
    std::fprintf(stderr, "usage: bench-listprint print|floor\n");
    return 2;
}
