#pragma once

#include "storage/FileMark.h"

#include <QString>

#include <optional>

/**
 * The record kept after a price change or a list update so that it can be undone: which file it
 * changed, what the whole file was right after it (size and sum) and a line saying what it did. The
 * copy of the file from before the change is kept beside it (ProgramFiles::priceChangeCopyName() ...).
 * Undoing is allowed only while the file is still exactly as the change left it.
 */
namespace UndoRecord {
enum class Kind { PriceChange, ListUpdate };

struct Entry
{
    QString target; ///< the changed file's name in the program folder
    qint64 size = 0;
    quint64 sum = 0;
    QString description; ///< what the change did, as the window says it
};

/** The file names of the copy and of the record for `kind`, in the program folder. */
QString copyPath(Kind kind);
QString recordPath(Kind kind);

/** Writes the record, replacing the one before; false when it could not be written. */
bool save(Kind kind, const Entry &entry);
/** The record, when there is a readable one and the copy beside it. */
std::optional<Entry> load(Kind kind);
/** Forgets the record (the copy stays until the next change replaces it); false when it is still there. */
bool forget(Kind kind);

/** Whether `mark` is what the record says the file was right after the change. */
inline bool matches(const Entry &entry, const FileMark &mark)
{
    return entry.size == mark.size() && entry.sum == mark.sum();
}
} // namespace UndoRecord
