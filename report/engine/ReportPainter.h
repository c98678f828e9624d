#pragma once

#include "report/engine/PreparedReport.h"

#include <QImage>
#include <QString>

#include <functional>

class QPainter;
class QPagedPaintDevice;

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

/**
 * Sends pages `first` to `last` (0-based, -1 for the last page) to a printer or PDF writer, on
 * paper of the report's size and orientation. False when the device fails or refuses that paper.
 */
bool paintPages(QPagedPaintDevice &device, const PreparedReport &report, int first = 0, int last = -1);

/** How a job sent to a device ended. */
enum class Outcome { Done, Stopped, Failed };

/**
 * Told before each page how many of the job's pages are done and how many there are; false stops
 * the job there, with the pages done whole on the device.
 */
using PageProgress = std::function<bool(int done, int total)>;

/** paintPages() reporting to `progress` between pages. */
Outcome paintPages(
    QPagedPaintDevice &device, const PreparedReport &report, int first, int last, const PageProgress &progress);

/** Writes the report as a PDF file. False on failure. */
[[nodiscard]] bool writePdf(const PreparedReport &report, const QString &path);
} // namespace ReportPainter
