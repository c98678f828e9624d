#pragma once

#include "storage/FileReplace.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

/**
 * Safety copies of the program folder: one ZIP archive holding every file the program keeps and a
 * list of them with size and SHA-256, and the way back from such an archive. Nothing here shows a
 * window; the caller turns a Problem into a message.
 */
namespace SafetyCopy {

/** What went wrong; None when all went well. */
enum class [[nodiscard]] Problem {
    None,
    Cancelled, ///< the progress callback asked to stop
    WriteFailed, ///< the copy could not be written (disk full, folder not writable)
    ReadFailed, ///< a file of the program folder could not be read
    Busy, ///< another copy of the program held an archive too long
    Unreadable, ///< not a ZIP, or a damaged or truncated one
    Foreign, ///< a ZIP, but not a safety copy of this program
    UnsafeName, ///< a name that would land outside the program folder, or is not a program file
    Link, ///< a symbolic link inside the archive
    Mismatch, ///< a file whose size or checksum differs from the list, or missing from it
    RestoreFailed, ///< a step of putting the files in place failed; the folder is as it was
    TooManyFiles, ///< more files than limits().files
    FileTooLarge, ///< a file larger than limits().fileBytes
    TooLargeInAll ///< files larger in all than limits().totalBytes
};

/**
 * What a copy may hold at most. The sizes are those of the list, which every entry must match byte
 * for byte as it is unpacked, so a copy within these bounds never unpacks to more.
 */
struct Limits
{
    qint64 files = 100000;
    qint64 fileBytes = qint64(4) << 30;
    qint64 totalBytes = qint64(64) << 30;
    qint64 listBytes = qint64(64) << 20; ///< the list itself
};
/** The bounds in force. */
Limits limits();
/** Test seam: other bounds, to reach them with small copies; limits() back with Limits(). */
void setLimits(const Limits &bounds);

/** One file of a copy, its name relative to the program folder with "/" separators. */
struct Entry
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; ///< lower-case hex
};

/** What a copy holds, read from its list without unpacking it. */
struct Contents
{
    QDateTime made;
    QList<Entry> entries;
    qint64 cards = 0;
    qint64 lists = 0;
    qint64 pages = 0;
    qint64 photos = 0;
    qint64 attachments = 0;
    bool password = false; ///< the copy holds unins000.dll
};

/** Called with bytes done and bytes in all; returning false stops the work. */
using Progress = std::function<bool(qint64 done, qint64 total)>;

/** The name of the list inside every copy. */
QString manifestName();
/** "Vetrinova-copia-AAAA-MM-GG-hhmm.zip" for the moment given. */
QString fileNameFor(const QDateTime &when);
/** A path for a new copy in `folder` that names no existing file. */
QString newCopyPath(const QString &folder, const QDateTime &when);

/** Whether a relative name is one of the files the program keeps (and so may be copied and restored). */
bool isProgramFile(const QString &relativeName);
/** Every file the program keeps in its folder now, relative names, sorted. */
QStringList programFiles();

/**
 * Writes a copy of the program folder to `zipPath`. The archives are read under their locks, so a
 * record being written by another copy of the program is wholly in the copy or not at all. On any
 * failure or cancellation nothing is left at `zipPath`.
 */
Problem create(const QString &zipPath, const Progress &progress = {});

/** Reads the copy's list and checks every name and kind of entry, without unpacking. */
Problem inspect(const QString &zipPath, Contents *contents);

/**
 * Puts the copy in place of the program files. Every file is unpacked beside the folder and checked
 * against the list first; only then are the current files moved aside into
 * "Ripristino-precedente-…/" and the copy's put in their place. Any failure leaves the folder as it
 * was; once all is in place the files set aside are removed.
 */
Problem restore(const QString &zipPath, const Progress &progress = {});

/** How settleInterruptedRestore() left the folder. */
enum class Settled { Undone, Completed, Failed };
/**
 * Settles a restore that was stopped half-way, from what its journal recorded (`lines`): the folder
 * goes back wholly to its old files when none of the copy's had been put in place yet, and otherwise
 * gets the rest of the copy's; the restore's own folders then go.
 */
Settled settleInterruptedRestore(const QStringList &lines);
/**
 * Removes what a restore stopped while unpacking left (the current files were not touched yet). For
 * the start, when no journal says a restore is under way.
 */
void removeUnfinishedUnpack();

/**
 * The settings of the copies, kept in Vetrinova.ini in the program folder and written through
 * FileReplace: a setting that cannot be written leaves the file, and the setting in force, as they were.
 */
namespace Settings {
QString lastFolder();
/** Remembered for the next dialog; a failure only costs the user a step, so it is logged. */
void setLastFolder(const QString &folder);
bool automatic();
WriteResult setAutomatic(bool on);
/** How many automatic copies to keep; 10 unless set. */
int keep();
WriteResult setKeep(int count);
/** Where the automatic copies go: the folder set in the settings, else Copie/ in the program folder. */
QString automaticFolder();
} // namespace Settings

/** A fingerprint of the program files (names, sizes, times), to tell whether anything changed. */
QByteArray fingerprint();
/** Remembers the current fingerprint as copied (logged when it cannot be). */
void markCopied();
/** Whether the automatic copy is on and something changed since the last copy. */
bool automaticCopyDue();
/** Makes the automatic copy and removes the oldest automatic copies beyond keep(). */
Problem makeAutomaticCopy(const QDateTime &when, const Progress &progress = {});

} // namespace SafetyCopy
