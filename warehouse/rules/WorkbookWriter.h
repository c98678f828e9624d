#pragma once

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
namespace WorkbookWriter {
/** Whether this build can write workbooks at all. */
bool available();

/** Magazzino.xlsx in the program folder. */
QString exportPath();
/** The name the workbook is written under before it replaces exportPath(). */
QString temporaryPath();

/** The points a test can make fail. */
enum class Step {
    Close, ///< the library finishing the workbook file
    Flush, ///< the flush of the finished file to the disk
    Rename ///< the rename over the old workbook
};

/** Told how many rows are written; returning false stops the writing, which then fails. */
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

/**
 * Writes the sheet, under the seventeen `headers`, to temporaryPath() and moves it over `path` only
 * once complete and on the disk; on any failure the old workbook stays as it was and no temporary file
 * is left. False on failure, when `progress` stopped it, and when `path` is a link that leads outside
 * the program folder.
 */
[[nodiscard]] bool write(const QString &path, const WarehouseSheet &sheet, const QStringList &headers,
    const std::function<QImage(qsizetype row)> &photo = {}, const Progress &progress = {});

/**
 * With `photo`, a first column "Foto" holds each row's picture scaled to a thumbnail and the rows are
 * tall enough for it; a null image leaves the cell empty.
 */
constexpr int ThumbnailWidth = 80;
constexpr int ThumbnailHeight = 56;

/** Test seam: called before each step; returning true makes that step fail as a full disk would. */
void setFaultInjector(std::function<bool(Step)> injector);
} // namespace WorkbookWriter
