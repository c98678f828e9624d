#include "storage/ArchiveFile.h"

#include "storage/DiskSync.h"
#include "storage/ProgramFolder.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
std::function<bool(ArchiveFile::Step)> &injector()
{
    static std::function<bool(ArchiveFile::Step)> f;
    return f;
}

int &lockWaitMs()
{
    static int ms = 2000;
    return ms;
}

[[noreturn]] void fail(const char *what)
{
    throw ArchiveError(std::string(what) + ": " + std::strerror(errno ? errno : EIO));
}

int openRetrying(const char *name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
} // namespace

ArchiveFile::ArchiveFile(const QString &path, int recordSize)
{
    open(path, recordSize);
}

ArchiveFile::~ArchiveFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void ArchiveFile::setFaultInjector(std::function<bool(Step)> f)
{
    injector() = std::move(f);
}

void ArchiveFile::setLockWait(int milliseconds)
{
    lockWaitMs() = milliseconds;
}

int ArchiveFile::lockWait()
{
    return lockWaitMs();
}

void ArchiveFile::check(Step step) const
{
    if (injector() && injector()(step)) {
        errno = EIO;
        fail("injected failure");
    }
}

void ArchiveFile::open(const QString &path, int recordSize)
{
    close();
    m_created = false;
    m_staysInside.reset();
    m_recordSize = recordSize;
    check(Step::Open);
    const QByteArray name = QFile::encodeName(path);
    int fd = openRetrying(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        // A missing archive is made empty. O_EXCL never follows a dangling link, so no file is ever
        // created wherever such a link points.
        fd = openRetrying(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        m_created = fd >= 0;
        if (fd < 0 && errno == EEXIST) // made meanwhile by another copy of the program
            fd = openRetrying(name.constData(), O_RDWR | O_CLOEXEC);
    }
    if (fd < 0)
        fail("open");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        fail("open");
    }
    // A file marked read-only stays untouchable even for an administrator, whom the system lets write.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        ::close(fd);
        errno = EACCES;
        fail("open");
    }
    m_fd = fd;
    m_path = path;
    try {
        lock();
    } catch (...) {
        ::close(m_fd);
        m_fd = -1;
        throw;
    }
}

void ArchiveFile::lock()
{
    check(Step::Lock);
    // Another copy of the program holds the archive for one action at a time, normally a few
    // milliseconds; a copy that keeps it longer is reported instead of freezing the window.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(lockWaitMs());
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            fail("lock");
        if (std::chrono::steady_clock::now() >= deadline)
            throw ArchiveError("lock: the archive is in use", ArchiveError::Reason::Busy);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

qint64 ArchiveFile::count() const
{
    check(Step::Seek);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        fail("count");
    return st.st_size / m_recordSize;
}

void ArchiveFile::read(qint64 index, char *buffer) const
{
    if (readMany(index, 1, buffer) != 1) {
        errno = EIO;
        fail("read past the end");
    }
}

qint64 ArchiveFile::readMany(qint64 index, qint64 n, char *buffer) const
{
    check(Step::Seek);
    if (m_fd < 0 || index < 0)
        fail("seek");
    check(Step::Read);
    const qint64 want = n * m_recordSize;
    qint64 done = 0;
    off_t offset = static_cast<off_t>(index) * m_recordSize;
    while (done < want) {
        const ssize_t got = ::pread(m_fd, buffer + done, want - done, offset + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail("read");
        }
        if (got == 0)
            break;
        done += got;
    }
    return done / m_recordSize;
}

void ArchiveFile::write(qint64 index, const char *buffer)
{
    // Looked up at the first write only: most openings just read.
    if (m_fd >= 0 && !m_staysInside)
        m_staysInside = writeStaysInside(m_path);
    if (m_fd >= 0 && !*m_staysInside)
        throw ArchiveError("write: the archive is a link outside the program folder",
            ArchiveError::Reason::LinkedOutside);
    check(Step::Seek);
    if (m_fd < 0 || index < 0 || index > count())
        fail("seek");
    check(Step::Write);
    const off_t offset = static_cast<off_t>(index) * m_recordSize;
    qint64 done = 0;
    while (done < m_recordSize) {
        const ssize_t put = ::pwrite(m_fd, buffer + done, m_recordSize - done, offset + done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail("write");
        }
        done += put;
    }
    m_written = true;
}

void ArchiveFile::truncate(qint64 records)
{
    if (m_fd < 0 || records < 0)
        fail("truncate");
    int result;
    do {
        result = ::ftruncate(m_fd, static_cast<off_t>(records) * m_recordSize);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        fail("truncate");
    m_written = true;
}

void ArchiveFile::close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    // A record reported as saved is on the disk, and so is the name of an archive just made.
    const bool synced = !m_written || (DiskSync::file(fd) && (!m_created || DiskSync::folderOf(m_path)));
    m_written = m_created = false;
    // Closing releases the lock whatever happens next.
    const bool injected = injector() && injector()(Step::Close);
    if (::close(fd) != 0 || injected || !synced) {
        errno = EIO;
        fail("close");
    }
}
