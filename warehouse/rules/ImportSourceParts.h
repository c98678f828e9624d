#pragma once

// What the import's readers share, and the table of the kinds of file: each reader is in a file of
// its own and is reached only through formats().

#include "warehouse/rules/ImportSource.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace ImportSource {

constexpr qint64 ChunkBytes = 256 * 1024;

// Adds a character to a cell while the row and the cell are within their bounds.
struct RowBuilder
{
    QStringList cells;
    QString cell;
    bool any = false;

    void put(QChar c)
    {
        if (cell.size() < MaxCellChars)
            cell += c;
        any = true;
    }
    void endCell()
    {
        if (cells.size() < MaxColumns)
            cells.append(cell);
        cell.clear();
    }
    void reset()
    {
        cells.clear();
        cell.clear();
        any = false;
    }
};

/**
 * One kind of file the import reads. A kind told by its first bytes (and, for a ZIP, the names of its
 * members) has `recognises` (and `describe`, which fills in its sheets or the reason it cannot be
 * read); the text kinds, told apart by their contents, have neither.
 */
struct FormatEntry
{
    Kind kind;
    bool (*recognises)(const QString &path, const QByteArray &head);
    void (*describe)(const QString &path, Format &format);
    std::unique_ptr<Reader> (*open)(const QString &path, const Format &format, ImportError *error);
};
/** Every kind, those with a signature in the order they are tried (the most particular first). */
const std::vector<FormatEntry> &formats();

std::unique_ptr<Reader> openText(const QString &path, const Format &format, ImportError *error);
std::unique_ptr<Reader> openPage(const QString &path, const Format &format, ImportError *error);
bool isWorkbook(const QString &path, const QByteArray &head);
void describeWorkbook(const QString &path, Format &format);
std::unique_ptr<Reader> openWorkbook(const QString &path, const Format &format, ImportError *error);
// OpenDocument spreadsheets, zipped (.ods) or flat (.fods).
bool isOpenDocument(const QString &path, const QByteArray &head);
void describeOpenDocument(const QString &path, Format &format);
std::unique_ptr<Reader> openOpenDocument(const QString &path, const Format &format, ImportError *error);
// Excel 97-2003 workbooks (.xls), and the other documents sharing their container.
bool isCompound(const QString &path, const QByteArray &head);
void describeOldWorkbook(const QString &path, Format &format);
std::unique_ptr<Reader> openOldWorkbook(const QString &path, const Format &format, ImportError *error);

} // namespace ImportSource
