#pragma once

#include "storage/FileReplace.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

/**
 * A plain table as an .xlsx workbook (the library of Magazzino.xlsx): a bold header row, then one
 * row per entry; a cell given as a double is a number, anything else text exactly as given.
 */
namespace TableWorkbook {
using Cell = std::function<QVariant(qsizetype row, int column)>;
/** Through FileReplace over `path` (a file the user chose); the old file stays on any failure. */
WriteResult write(
    const QString &path, const QString &sheetName, const QStringList &headers, qsizetype rows, const Cell &cell);
} // namespace TableWorkbook
