#include "report/ReportOutput.h"

#include "report/ReportPreview.h"
#include "report/engine/ReportPainter.h"
#include "storage/FieldRules.h"
#include "storage/FileReplace.h"
#include "widgets/Logging.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"

#include <QPageSize>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>

#include <optional>

namespace {
ReportOutput::Handler &handler()
{
    static ReportOutput::Handler h;
    return h;
}

ReportOutput::DialogHandler &dialogHandler()
{
    static ReportOutput::DialogHandler h;
    return h;
}

/** A failure the user is told of, logged with its reason. */
ReportFailure failed(ReportFailure failure)
{
    qCWarning(lcReport, "the report was not printed: %s", reportFailureName(failure));
    return failure;
}

QString pdfNotSavedMessage()
{
    return QStringLiteral("Impossibile salvare il file PDF: controllare la cartella scelta e riprovare. "
                          "Il file precedente non \u00e8 stato modificato.");
}

// Qt's own key for the options a CUPS queue receives with the job; they are read when the job is sent.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

/**
 * A stopped job must not come out of the printer half done. Where the device cannot abort (a CUPS
 * queue under Qt 6.4 sends what it has when the painter ends), the job is queued on hold instead, so
 * nothing prints unless someone releases it.
 */
void dropJob(QPrinter &printer)
{
    if (printer.abort() || printer.outputFormat() != QPrinter::NativeFormat || !printer.printEngine())
        return;
    QStringList options = printer.printEngine()->property(CupsOptions).toStringList();
    options << QStringLiteral("job-hold-until") << QStringLiteral("indefinite");
    printer.printEngine()->setProperty(CupsOptions, options);
}
} // namespace

void ReportOutput::setHandler(Handler h)
{
    handler() = std::move(h);
}

void ReportOutput::setDialogHandler(DialogHandler h)
{
    dialogHandler() = std::move(h);
}

void ReportOutput::showPreview(QWidget *parent, const PreparedReport &report)
{
    if (handler()) {
        handler()(Action::Preview, report);
        return;
    }
    ReportPreview preview(report, parent);
    preview.exec();
}

void ReportOutput::print(QWidget *parent, const PreparedReport &report)
{
    if (handler()) {
        handler()(Action::Print, report);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    // The report places everything itself from the paper's corner; the printer adds no margins.
    printer.setFullPage(true);
    printer.setDocName(report.name);
    printer.setCopyCount(1);
    // The dialog opens on the report's paper and orientation; printOn() sets them again afterwards.
    if (report.pageCount() > 0)
        ReportPainter::usePaper(printer, report.paperMm(0));
    if (dialogHandler()) {
        if (!dialogHandler()(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, report.pageCount() > 1);
        dialog.setMinMax(1, int(std::max<qsizetype>(1, report.pageCount())));
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    (void)printOn(parent, printer, report);
}

ReportResult ReportOutput::printOn(QWidget *parent, QPrinter &printer, const PreparedReport &report)
{
    printer.setFullPage(true);
    // Choosing another printer or its properties in the dialog may have put another paper or
    // orientation on the printer; the report's layout only fits its own.
    if (report.pageCount() > 0 && !ReportPainter::usePaper(printer, report.paperMm(0))) {
        const QSizeF paper = report.paperMm(0);
        const bool landscape = paper.width() > paper.height();
        Msg::error(parent,
            QStringLiteral("La stampante scelta non accetta il foglio %1 %2 del documento: sceglierne un'altra.")
                .arg(QPageSize(landscape ? paper.transposed() : paper, QPageSize::Millimeter).name(),
                    landscape ? QStringLiteral("orizzontale") : QStringLiteral("verticale")));
        return failed(ReportFailure::PaperRefused);
    }
    int first = 0;
    int last = -1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = printer.toPage() > 0 ? printer.toPage() - 1 : -1;
    }
    // Printing to a file goes through a temporary that replaces the chosen file only once every page
    // is in it: Annulla, or a disk that fills up, leaves the previous file as it was (or none).
    const QString chosenFile = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    const bool toFile = !chosenFile.isEmpty();
    std::optional<FileReplace> file;
    if (toFile) {
        file.emplace(chosenFile, FileReplace::Place::ChosenByUser);
        if (!file->open()) {
            Msg::error(parent, pdfNotSavedMessage());
            return failed(ReportFailure::FileNotSaved);
        }
        printer.setOutputFileName(file->temporaryPath());
    }
    // The pages are painted on a worker (Qt allows a printer to be painted there), so the program stays
    // alive and says how far it got; Annulla stops the job after the page being printed. The window is
    // made only for a job of more than one page.
    ProgressWindow progress(parent, QStringLiteral("dlgStampaInCorso"), QStringLiteral(" Stampa"),
        QStringLiteral("Avanzamento della stampa"));
    bool stopped = false;
    const ReportResult outcome = progress.run([&](Job &job) {
        return ReportPainter::paintPages(printer, report, first, last, [&](int done, int total) {
            if (total < 2)
                return true;
            const QString label
                = QStringLiteral("Stampa in corso: pagina %1 di %2").arg(formatCount(done + 1), formatCount(total));
            if (!job.step(done, total, label)) {
                stopped = true;
                if (!toFile)
                    dropJob(printer);
                return false;
            }
            return true;
        });
    });
    if (toFile) {
        printer.setOutputFileName(chosenFile);
        if (stopped) {
            file->cancel();
            return ReportFailure::Stopped;
        }
        // Qt's PDF writer does not report a failed write; a whole PDF ends with its end-of-file mark.
        if (outcome && printer.printerState() != QPrinter::Error && file->endsWith("%%EOF\n") && file->commit())
            return Done {};
        file->cancel();
        if (outcome) {
            Msg::error(parent, pdfNotSavedMessage());
            return failed(ReportFailure::FileNotSaved);
        }
    }
    // A printer that did abort may also report the end of the job as failed: the user stopped it.
    if (stopped)
        return ReportFailure::Stopped;
    if (outcome && printer.printerState() != QPrinter::Error)
        return Done {};
    Msg::error(parent, QStringLiteral("Impossibile stampare il documento: controllare la stampante e riprovare."));
    return failed(outcome ? ReportFailure::DeviceFailed : outcome.error());
}
