#pragma once

#include "warehouse/rules/ImportSource.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

/**
 * Excel 97-2003 workbooks (.xls, BIFF8, and BIFF5 as the library reads them), read through FreeXL: every
 * sheet offered, numbers and dates as the card shows them. Known by their content (the compound-file
 * signature), not by the name: the program's own Magazzino.xls is an HTML page.
 */
namespace ImportSource {
/** Whether the start of a file is a compound file, and then the workbook's format or the refusal. */
std::optional<Format> detectCompound(const QString &path, const QByteArray &head);
/** Whether the start of a file is another spreadsheet the program does not read, and then its refusal. */
std::optional<Format> detectOtherSpreadsheet(const QByteArray &head);
/** Opens the sheet `format.sheet` of an Excel 97-2003 workbook. */
std::unique_ptr<Reader> openOldWorkbook(const QString &path, const Format &format, QString *error);
} // namespace ImportSource
