#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>

/**
 * Replaces a file only once its new contents are all on the disk. Every write, the flush to the disk
 * and the final rename are checked; after any failure the old file stays as it was and nothing is
 * left beside it. QSaveFile alone is not enough: it renames over the old file even when its last
 * buffered write found the disk full, leaving an empty file in its place.
 */
class FileReplace
{
public:
    /** The points a test can make fail. */
    enum class Step {
        Write, ///< a write that stores nothing, as on a full disk
        ShortWrite, ///< a write that stores only part of its bytes, as on a disk that fills up
        Flush, ///< the flush of the new contents to the disk
        Commit ///< the rename over the old file
    };

    explicit FileReplace(const QString &path);
    FileReplace(const FileReplace &) = delete;
    FileReplace &operator=(const FileReplace &) = delete;

    /** Starts the new contents beside the old file; false when that cannot be done. */
    bool open();
    /** Adds bytes; false when not all of them reached the disk, and for every call after. */
    bool write(const QByteArray &bytes);
    /** Puts the new file in place of the old one; false, with the old file intact, after any failure. */
    bool commit();

    /** open(), write() and commit() for contents held whole in memory. */
    static bool replace(const QString &path, const QByteArray &bytes);

    /** Test seam: called before each step; returning true makes that step fail as a full disk would. */
    static void setFaultInjector(std::function<bool(Step)> injector);

private:
    bool fail();

    QSaveFile m_file;
    bool m_failed = false;
};
