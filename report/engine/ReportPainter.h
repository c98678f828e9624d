#pragma once

#include "report/engine/PreparedReport.h"
#include "storage/FileReplace.h"
#include "storage/Result.h"

#include <QImage>
#include <QString>

#include <functional>

class QPainter;
class QPagedPaintDevice;

/** Why a report did not reach its printer or file whole: the one failure the report family carries. */
enum class ReportFailure {
    Stopped, ///< Annulla between two pages; the pages before it are out
    PaperRefused, ///< the device keeps another paper size or orientation than the report's
    DeviceFailed, ///< the printer or the PDF writer reported a failure
    FileNotSaved ///< the PDF file chosen could not be written or put in place
};
using ReportResult = Result<Done, ReportFailure>;

/** The reason's name, for the log. */
const char *reportFailureName(ReportFailure failure);

/** Draws prepared pages: the same code for the preview, the printer, PDF files and test images. */
namespace ReportPainter {
/**
 * Draws `page` with `painter`, whose origin is the paper's top-left corner, at `scale` painter
 * units per template unit.
 */
void paintPage(QPainter &painter, const PreparedPage &page, double scale);

/** The page on white paper at `dpi` dots per inch. */
QImage pageImage(const PreparedPage &page, double dpi = 96);

/**
 * Puts the paper of `paperMm` (as oriented) on a printer or PDF writer, with no margins where the
 * device takes that. False when the device keeps another paper size or orientation.
 */
bool usePaper(QPagedPaintDevice &device, const QSizeF &paperMm);

/** How many of the job's pages are done and how many there are, told before each page; false stops the job there. */
using PageProgress = std::function<bool(int done, int total)>;

/**
 * Sends pages `first` to `last` (0-based, -1 for the last page) to a printer or PDF writer, on
 * paper of the report's size and orientation, telling `progress` between pages. Stopped leaves the
 * pages done whole on the device.
 */
ReportResult paintPages(QPagedPaintDevice &device, const PreparedReport &report, int first = 0, int last = -1,
    const PageProgress &progress = {});

/** Writes the report as a PDF file, replacing one of that name only once it is whole. */
WriteResult writePdf(const PreparedReport &report, const QString &path);
} // namespace ReportPainter
