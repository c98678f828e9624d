#pragma once

#include "storage/ArchiveError.h"

#include "storage/platform/Os.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

/**
 * A file of fixed-size records with no header. Opening creates a missing file empty and takes an
 * exclusive advisory lock, so two copies of the program sharing a folder never interleave their
 * writes; the lock goes with close(). An archive reached through a symbolic link that leads outside
 * the program folder is read but never written. Every failure throws ArchiveError.
 */
class ArchiveFile
{
public:
    enum class Step { Open, Lock, Seek, Read, Write, Close };

    ArchiveFile() = default;
    ArchiveFile(const QString &path, int recordSize);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    void open(const QString &path, int recordSize);
    bool isOpen() const { return m_fd != Os::kNoFile; }
    int recordSize() const { return m_recordSize; }

    /** Number of whole records; a stray tail shorter than a record is not one. */
    qint64 count() const;
    /** Reads record `index` (from 0) into `buffer` of recordSize() bytes. */
    void read(qint64 index, char *buffer) const;
    /** Reads `n` records from `index` on into `buffer`; returns how many were whole. */
    qint64 readMany(qint64 index, qint64 n, char *buffer) const;
    /** Every byte of the file, a stray tail after the last whole record included. */
    QByteArray readAll() const;
    /** Writes record `index`: below count() it overwrites, at count() it appends over any stray tail. */
    void write(qint64 index, const char *buffer);
    /** Cuts the file back to its first `records` records (a roll-back of appends). */
    void truncate(qint64 records);
    void close();

    /**
     * Test seam: called before each step; returning true makes that step fail as the disk would.
     * An empty function restores normal working.
     */
    static void setFaultInjector(std::function<bool(Step)> injector);

    /** How long opening waits for another copy's lock before failing as Busy; 2000 ms unless set. */
    static void setLockWait(int milliseconds);
    static int lockWait();

private:
    void check(Step step) const;
    void lock();

    Os::File m_fd = Os::kNoFile;
    int m_recordSize = 0;
    std::optional<bool> m_staysInside; // whether writes stay in the program folder, once a write asked
    bool m_written = false; // something was written since opening: close() flushes it to the disk
    bool m_created = false; // opening made the file: close() flushes its folder too
    QString m_path;
};
