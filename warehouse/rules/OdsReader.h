#pragma once

#include "warehouse/rules/ImportSource.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

/**
 * OpenDocument spreadsheets, zipped (.ods, .ots) or flat XML (.fods), read as a stream: every sheet is
 * offered, hidden ones marked, repeated rows and cells expanded within the bounds, empty rows and cells
 * at the end of a sheet or row left out.
 */
namespace ImportSource {
/**
 * The format of a ZIP file that is not an .xlsx workbook: an OpenDocument spreadsheet's sheets, or the
 * reason another kind of file is refused. Nothing when the file may be a workbook.
 */
std::optional<Format> detectZipped(const QString &path);
/** Whether the start of a file is a flat OpenDocument file, and then its format or refusal. */
std::optional<Format> detectFlat(const QString &path, const QByteArray &head);
/** Opens the sheet `format.sheet` of an OpenDocument spreadsheet. */
std::unique_ptr<Reader> openOpenDocument(const QString &path, const Format &format, QString *error);
} // namespace ImportSource
