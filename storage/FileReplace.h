#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>

/** Why a whole file could not be replaced; the caller picks its message from it. */
enum class WriteError {
    None,
    LinkOutside, ///< the file or a folder on its way is a link leading outside the program folder
    Busy, ///< another program holds the file open
    WriteFailed, ///< the disk refused a write, the flush or the rename (full, removed, read-only)
    NameRefused ///< the file system does not take the name, or a folder stands in the file's place
};

/** The reason's name, for the log. */
const char *writeErrorName(WriteError error);

/** The end of a whole-file write: true when the new file is in place, else why not. */
class [[nodiscard]] WriteResult
{
public:
    WriteResult(WriteError error = WriteError::None)
        : m_error(error)
    { }
    explicit operator bool() const { return m_error == WriteError::None; }
    WriteError error() const { return m_error; }

private:
    WriteError m_error;
};

/**
 * Replaces a file only once its new contents are all on the disk. The new contents go to a
 * temporary created exclusively beside the target, never through a link, named after the target
 * followed by "." and six random letters (the shape the start-up clean-up removes). Every write,
 * the flush and the rename are checked; after any failure, or when the writer is dropped before
 * commit(), the old file stays as it was and the temporary is removed.
 *
 * A library that insists on writing to a name gets temporaryPath() after open(), writes there, and
 * the caller then calls commit(), which flushes, renames and flushes the folder.
 */
class FileReplace
{
public:
    /** Where the file is: the program's own files never go through a link out of its folder. */
    enum class Place {
        ProgramFolder,
        ChosenByUser ///< a file the user named in a dialog, wherever the user keeps such files
    };

    explicit FileReplace(const QString &path, Place place = Place::ProgramFolder);
    ~FileReplace();
    FileReplace(const FileReplace &) = delete;
    FileReplace &operator=(const FileReplace &) = delete;

    /** Creates the temporary beside the target; false when that cannot be done. */
    [[nodiscard]] bool open();
    /** Adds bytes; false when not all of them reached the disk, and for every call after. */
    [[nodiscard]] bool write(const QByteArray &bytes);
    /** Puts the new file in place of the old one; false, with the old file intact, after any failure. */
    [[nodiscard]] bool commit();
    /**
     * Takes the file now at the temporary's name, for a library that puts a file of its own there by a
     * rename (the ZIP library does): never a link planted there instead.
     */
    [[nodiscard]] bool takeRenamed();
    /**
     * Whether what a library wrote to the temporary by its name ends with `bytes`. A library that never
     * checks its own writes leaves its last bytes missing when the disk filled up on the way.
     */
    [[nodiscard]] bool endsWith(const QByteArray &bytes);
    /** Drops the new contents: the old file stays, the temporary goes. */
    void cancel();

    /** Why the last step failed; None while all went well. */
    WriteError error() const { return m_error; }
    /** The file that will be replaced, links inside the program folder followed. */
    QString targetPath() const { return m_target; }
    /** The exclusive temporary, once open() succeeded, for a library that writes to a name. */
    QString temporaryPath() const { return m_temporary; }

    /** open(), write() and commit() for contents held whole in memory. */
    static WriteResult replace(const QString &path, const QByteArray &bytes, Place place = Place::ProgramFolder);

    /** Test seam: gives the six letters of each temporary name tried, in place of random ones. */
    static void setLetterSource(std::function<QString()> letters);

private:
    bool fail(WriteError error);
    void dropTemporary();

    QString m_path;
    Place m_place;
    QString m_target;
    QString m_temporary;
    std::intptr_t m_file = -1;
    std::int64_t m_written = 0;
    WriteError m_error = WriteError::None;
    bool m_failed = false;
};

/**
 * A FileReplace seen as a device, for writers that take a QIODevice (the PDF writer): writes are
 * gathered into large blocks, and a failed one makes every later write fail too, so the writer's
 * own unchecked writes cannot hide a full disk.
 */
class FileReplaceDevice : public QIODevice
{
public:
    explicit FileReplaceDevice(FileReplace &file);
    ~FileReplaceDevice() override;

    /** Opens the file for writing; false when its temporary cannot be made. */
    [[nodiscard]] bool start();
    /** Writes what is gathered and puts the file in place; false, old file intact, after any failure. */
    [[nodiscard]] bool commit();
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool flushGathered();

    FileReplace &m_file;
    QByteArray m_gathered;
    bool m_failed = false;
};
