#pragma once

#include "storage/FileReplace.h"

#include <QByteArray>
#include <QString>

class WarehouseSheet;

/**
 * Magazzino.xls: one line of HTML with the spreadsheet's XML extensions, Windows-1252, no byte-order
 * mark, which spreadsheet programs open as the worksheet "Magazzino Prodotti" with every cell as text.
 */
namespace ExportWriter {
/** Magazzino.xls in the program folder. */
QString exportPath();

/** The whole file for the sheet: the header row, then one row of seventeen cells per sheet row. */
QByteArray build(const WarehouseSheet &sheet);

/**
 * A cell text as written: trimmed, & < > " as entities, Windows-1252, and a character the code page
 * lacks as a numeric reference, so every text shows in the spreadsheet exactly as typed.
 */
QByteArray cellText(const QString &text);

/**
 * Writes the file for the sheet, as build() gives it, to a new file that replaces `path` only once
 * complete, so a failure leaves any earlier file whole; fails with LinkOutside when `path` is a link
 * that leads outside the program folder.
 */
WriteResult write(const QString &path, const WarehouseSheet &sheet);
} // namespace ExportWriter
