#include "storage/ArchiveFile.h"

#include "storage/DiskSync.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
int &lockWaitMs()
{
    static int ms = 2000;
    return ms;
}

// Writers of this process waiting for a lock a reader holds: a long read steps aside for them.
std::atomic<int> writersWaiting { 0 };

struct Waiting
{
    Waiting() { ++writersWaiting; }
    ~Waiting() { --writersWaiting; }
};

[[noreturn]] void fail(const char *what, const std::string &why = Os::lastErrorText())
{
    throw ArchiveError(std::string(what) + ": " + why);
}
} // namespace

ArchiveFile::ArchiveFile(const QString &path, int recordSize, Access access)
{
    open(path, recordSize, access);
}

ArchiveFile::~ArchiveFile()
{
    if (m_fd != Os::kNoFile)
        static_cast<void>(Os::close(m_fd)); // after a failure already thrown, or a read: close() reports the rest
}

void ArchiveFile::setLockWait(int milliseconds)
{
    lockWaitMs() = milliseconds;
}

int ArchiveFile::lockWait()
{
    return lockWaitMs();
}

void ArchiveFile::open(const QString &path, int recordSize, Access access)
{
    close();
    m_created = false;
    m_staysInside.reset();
    m_recordSize = recordSize;
    m_access = access;
    const std::string name = QFile::encodeName(path).toStdString();
    Os::File fd = Os::openExisting(name);
    if (fd == Os::kNoFile && Os::lastError() == Os::Error::NotFound) {
        // A missing archive is made empty; creating never follows a dangling link.
        fd = Os::createNew(name);
        m_created = fd != Os::kNoFile;
        if (fd == Os::kNoFile && Os::lastError() == Os::Error::Exists) // made meanwhile by another copy of the program
            fd = Os::openExisting(name);
    }
    if (fd == Os::kNoFile)
        fail("open");
    Os::Status st;
    // Closing a file only opened cannot lose a write; the failure to report is the open's.
    if (!Os::status(fd, st) || !st.regularFile) {
        static_cast<void>(Os::close(fd));
        fail("open", "Is a directory");
    }
    // A file marked read-only stays untouchable even for an administrator, whom the system lets write.
    if (st.readOnly) {
        static_cast<void>(Os::close(fd));
        fail("open", "Permission denied");
    }
    m_fd = fd;
    m_path = path;
    try {
        lock();
    } catch (...) {
        static_cast<void>(Os::close(m_fd));
        m_fd = Os::kNoFile;
        throw;
    }
}

void ArchiveFile::lock()
{
    // Another copy of the program holds the archive for one action at a time, normally a few
    // milliseconds; a copy that keeps it longer is reported instead of freezing the window.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(lockWaitMs());
    const bool writing = m_access == Access::Write;
    std::optional<Waiting> waiting;
    for (;;) {
        if (writing ? Os::tryLock(m_fd) : Os::tryLockShared(m_fd)) {
            m_lockedAt = std::chrono::steady_clock::now();
            return;
        }
        if (Os::lastError() != Os::Error::Busy)
            fail("lock");
        if (writing && !waiting)
            waiting.emplace();
        if (std::chrono::steady_clock::now() >= deadline)
            throw ArchiveError("lock: the archive is in use", ArchiveError::Reason::Busy);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

qint64 ArchiveFile::count() const
{
    Os::Status st;
    if (m_fd == Os::kNoFile)
        fail("count", "Bad file descriptor");
    if (!Os::status(m_fd, st))
        fail("count");
    return st.size / m_recordSize;
}

void ArchiveFile::read(qint64 index, char *buffer) const
{
    if (readMany(index, 1, buffer) != 1)
        fail("read past the end", "Input/output error");
}

qint64 ArchiveFile::readMany(qint64 index, qint64 n, char *buffer) const
{
    if (m_fd == Os::kNoFile || index < 0)
        fail("seek", "Invalid argument");
    const qint64 done = Os::readAt(m_fd, index * m_recordSize, buffer, n * m_recordSize);
    if (done < 0)
        fail("read");
    return done / m_recordSize;
}

QByteArray ArchiveFile::readAll() const
{
    Os::Status st;
    if (m_fd == Os::kNoFile)
        fail("read", "Bad file descriptor");
    if (!Os::status(m_fd, st))
        fail("read");
    QByteArray out(st.size, Qt::Uninitialized);
    const qint64 done = Os::readAt(m_fd, 0, out.data(), out.size());
    if (done < 0)
        fail("read");
    out.truncate(done);
    return out;
}

void ArchiveFile::yieldToWriters()
{
    if (m_fd == Os::kNoFile || m_access != Access::Read)
        return;
    const auto started = std::chrono::steady_clock::now();
    const bool heldLong = started - m_lockedAt >= std::chrono::milliseconds(2);
    if (!Os::unlock(m_fd))
        fail("unlock");
    // A writer of this program is let in for sure. One of another copy polls the lock: after a long
    // hold (a slow disk) it gets a gap to find it free in; a fast pass is over before it matters.
    if (heldLong)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    while (writersWaiting > 0 && std::chrono::steady_clock::now() - started < std::chrono::milliseconds(lockWaitMs()))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    try {
        lock();
    } catch (...) {
        (void)Os::close(m_fd); // a read-only opening: nothing written to lose
        m_fd = Os::kNoFile;
        throw;
    }
}

void ArchiveFile::write(qint64 index, const char *buffer)
{
    if (m_access != Access::Write)
        fail("write", "Bad file descriptor");
    // Looked up at the first write only: most openings just read.
    if (m_fd != Os::kNoFile && !m_staysInside)
        m_staysInside = writeStaysInside(m_path);
    if (m_fd != Os::kNoFile && !*m_staysInside)
        throw ArchiveError(
            "write: the archive is a link outside the program folder", ArchiveError::Reason::LinkedOutside);
    if (m_fd == Os::kNoFile || index < 0 || index > count())
        fail("seek", "Invalid argument");
    const bool appending = index == count();
    const QByteArray strayTail = appending ? tail() : QByteArray();
    if (!Os::writeAt(m_fd, index * m_recordSize, buffer, m_recordSize)) {
        const std::string why = Os::lastErrorText();
        // Part of a record left at the end would make the file fail a strict check.
        if (appending)
            cutTo(index * m_recordSize, strayTail);
        fail("write", why);
    }
    m_written = true;
}

QByteArray ArchiveFile::tail() const
{
    Os::Status st;
    if (m_fd == Os::kNoFile || !Os::status(m_fd, st))
        fail("tail");
    QByteArray bytes(int(st.size % m_recordSize), '\0');
    if (!bytes.isEmpty() && Os::readAt(m_fd, st.size - bytes.size(), bytes.data(), bytes.size()) != bytes.size())
        fail("tail");
    return bytes;
}

void ArchiveFile::truncate(qint64 records, const QByteArray &tail)
{
    if (m_fd == Os::kNoFile || records < 0 || m_access != Access::Write)
        fail("truncate", "Invalid argument");
    cutTo(records * m_recordSize, tail);
    m_written = true;
}

// The tail goes back over bytes the file already has, so even a full disk takes it.
void ArchiveFile::cutTo(qint64 bytes, const QByteArray &tail)
{
    if (!Os::truncate(m_fd, bytes + tail.size())
        || (!tail.isEmpty() && !Os::writeAt(m_fd, bytes, tail.constData(), tail.size())))
        fail("truncate");
}

void ArchiveFile::flush()
{
    if (m_fd == Os::kNoFile)
        fail("flush", "Bad file descriptor");
    const bool synced = !m_written || (DiskSync::file(m_fd) && (!m_created || DiskSync::folderOf(m_path)));
    if (!synced)
        fail("flush", "Input/output error");
    m_written = m_created = false;
}

void ArchiveFile::close()
{
    if (m_fd == Os::kNoFile)
        return;
    const Os::File fd = m_fd;
    m_fd = Os::kNoFile;
    // A record reported as saved is on the disk, and so is the name of an archive just made.
    const bool synced = !m_written || (DiskSync::file(fd) && (!m_created || DiskSync::folderOf(m_path)));
    m_written = m_created = false;
    // Closing releases the lock whatever happens next.
    if (!Os::close(fd) || !synced)
        fail("close", "Input/output error");
}
