#pragma once

#include "storage/FileReplace.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

class WarehouseSheet;

/**
 * Magazzino.xlsx: the export grid as a real workbook with typed cells. Codes, phones and every other
 * text stay text exactly as typed; money and stock become numbers and the due date a date only when
 * their text is one by the program's rules.
 */
struct lxw_workbook;

namespace WorkbookWriter {
/** Whether this build can write workbooks at all. */
bool available();

/** Magazzino.xlsx in the program folder. */
QString exportPath();

/** Told how many rows are written; returning false stops the writing, which then fails. */
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

/**
 * Writes the sheet, under the seventeen `headers`, through FileReplace over `path`; on any failure the
 * old workbook stays as it was and no temporary file is left. Fails also when `progress` stopped it,
 * and when `path` is a link that leads outside the program folder.
 */
WriteResult write(const QString &path, const WarehouseSheet &sheet, const QStringList &headers,
    const std::function<QImage(qsizetype row)> &photo = {}, const Progress &progress = {});

/**
 * With `photo`, a first column "Foto" holds each row's picture scaled to a thumbnail and the rows are
 * tall enough for it; a null image leaves the cell empty.
 */
constexpr int ThumbnailWidth = 80;
constexpr int ThumbnailHeight = 56;

/**
 * Writes the workbook `fill` builds into `path` through the atomic writer (its exclusive temporary is the
 * name the library writes to), with numbers in their C form on this thread; `fill` false cancels it.
 */
WriteResult writeBook(const QString &path, FileReplace::Place place, const std::function<bool(lxw_workbook *)> &fill);
} // namespace WorkbookWriter
