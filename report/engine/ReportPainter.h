#pragma once

#include "report/engine/PreparedReport.h"

#include <QImage>
#include <QString>

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

/** Writes the report as a PDF file. False on failure. */
bool writePdf(const PreparedReport &report, const QString &path);
} // namespace ReportPainter
