#pragma once

#include "storage/ArchiveError.h"

#include "storage/platform/Os.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

/**
 * A file of fixed-size records with no header. Opening creates a missing file empty and takes an
 * advisory lock, so two copies of the program sharing a folder never interleave their writes:
 * exclusive for writing, shared for reading (readers never wait for each other); the lock goes with
 * close(). An archive reached through a symbolic link that leads outside
 * the program folder is read but never written. Every failure throws ArchiveError.
 */
class ArchiveFile
{
public:
    /** What an opening is for: only Write may change the file. */
    enum class Access { Write, Read };

    ArchiveFile() = default;
    ArchiveFile(const QString &path, int recordSize, Access access = Access::Write);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    void open(const QString &path, int recordSize, Access access = Access::Write);
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
    /**
     * Writes record `index`: below count() it overwrites, at count() it appends over any stray tail.
     * An append that fails leaves the file as it was, with no part of a record at its end.
     */
    void write(qint64 index, const char *buffer);
    /** The bytes past the last whole record: a stray tail a damaged file may have. */
    QByteArray tail() const;
    /** Cuts the file back to its first `records` records followed by `tail` (a roll-back of appends). */
    void truncate(qint64 records, const QByteArray &tail = {});
    /**
     * For a long read: lets a waiting writer in between two blocks of reads, then takes the shared lock
     * back (waiting for it as opening does). Only for an opening made to read.
     */
    void yieldToWriters();
    /** Puts what was written on the disk now, keeping the file open and locked. */
    void flush();
    void close();

    /** How long opening waits for another copy's lock before failing as Busy; 2000 ms unless set. */
    static void setLockWait(int milliseconds);
    static int lockWait();

private:
    void lock();
    void cutTo(qint64 bytes, const QByteArray &tail);

    Os::File m_fd = Os::kNoFile;
    int m_recordSize = 0;
    Access m_access = Access::Write;
    std::chrono::steady_clock::time_point m_lockedAt;
    std::optional<bool> m_staysInside; // whether writes stay in the program folder, once a write asked
    bool m_written = false; // something was written since opening: close() flushes it to the disk
    bool m_created = false; // opening made the file: close() flushes its folder too
    QString m_path;
};
