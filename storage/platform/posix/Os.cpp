#include "storage/platform/Os.h"

#include "storage/platform/Faults.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Os::Faults::Kind;

thread_local int lastErrno = 0;

bool failed()
{
    lastErrno = errno ? errno : EIO;
    return false;
}

int errnoFor(Os::Error error)
{
    switch (error) {
    case Os::Error::None:
    case Os::Error::Other:
        return EIO;
    case Os::Error::NotFound:
        return ENOENT;
    case Os::Error::Exists:
        return EEXIST;
    case Os::Error::NameRefused:
        return ENAMETOOLONG;
    case Os::Error::NotAFile:
        return EISDIR;
    case Os::Error::Busy:
        return EWOULDBLOCK;
    }
    return EIO;
}

// Whether the fault seam makes this call fail; its failure is then recorded as the system's would be.
bool refused(const Os::Faults::detail::Verdict &verdict)
{
    if (verdict.fail)
        lastErrno = errnoFor(verdict.error);
    return verdict.fail;
}

template <typename Target> bool injected(Kind kind, const Target &target)
{
    return Os::Faults::armed() && refused(Os::Faults::detail::check(kind, target));
}

Os::File openRetrying(const std::string &path, int flags, mode_t mode = 0)
{
    if (injected((flags & O_CREAT) ? Kind::Create : Kind::Open, path))
        return Os::kNoFile;
    int fd;
    do {
        fd = ::open(path.c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        failed();
    else if (Os::Faults::armed())
        Os::Faults::detail::opened(fd, path);
    return fd;
}

// EINVAL, ENOTSUP, EROFS: a file system or a special file that cannot sync, where written means stored.
bool syncRetrying(int fd, int (*sync)(int))
{
    for (;;) {
        if (sync(fd) == 0)
            return true;
        if (errno != EINTR)
            return errno == EINVAL || errno == ENOTSUP || errno == EROFS || failed();
    }
}
} // namespace

Os::File Os::fromDescriptor(int descriptor)
{
    return descriptor;
}

Os::Error Os::lastError()
{
    switch (lastErrno) {
    case 0:
        return Error::None;
    case ENOENT:
        return Error::NotFound;
    case EEXIST:
        return Error::Exists;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return Error::NameRefused;
    case EISDIR:
        return Error::NotAFile;
    case EWOULDBLOCK:
        return Error::Busy;
    default:
        return Error::Other;
    }
}

std::string Os::lastErrorText()
{
    return std::strerror(lastErrno ? lastErrno : EIO);
}

Os::File Os::openExisting(const std::string &path)
{
    return openRetrying(path, O_RDWR | O_CLOEXEC);
}

Os::File Os::openNoLink(const std::string &path)
{
    return openRetrying(path, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
}

Os::File Os::createNew(const std::string &path)
{
    // O_EXCL never follows a dangling link, so nothing is created wherever such a link points.
    return openRetrying(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

bool Os::close(File file)
{
    if (Os::Faults::armed()) {
        const bool refuse = injected(Kind::Close, file);
        Os::Faults::detail::closed(file);
        if (refuse) {
            ::close(int(file)); // the descriptor goes all the same, as after a real failure
            return false;
        }
    }
    // Linux releases the descriptor even when close reports an error: never retry it.
    return ::close(int(file)) == 0 || failed();
}

bool Os::status(File file, Status &out)
{
    if (injected(Kind::Status, file))
        return false;
    struct stat st
    {
    };
    if (::fstat(int(file), &st) != 0)
        return failed();
    out.regularFile = S_ISREG(st.st_mode);
    out.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    out.size = st.st_size;
    return true;
}

bool Os::tryLock(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    for (;;) {
        if (::flock(int(file), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return failed();
    }
}

bool Os::tryLockShared(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    for (;;) {
        if (::flock(int(file), LOCK_SH | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return failed();
    }
}

bool Os::unlock(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    for (;;) {
        if (::flock(int(file), LOCK_UN) == 0)
            return true;
        if (errno != EINTR)
            return failed();
    }
}

bool Os::truncate(File file, std::int64_t size)
{
    if (injected(Kind::Truncate, file))
        return false;
    for (;;) {
        if (::ftruncate(int(file), off_t(size)) == 0)
            return true;
        if (errno != EINTR)
            return failed();
    }
}

std::int64_t Os::readAt(File file, std::int64_t offset, char *buffer, std::int64_t n)
{
    if (injected(Kind::Read, file))
        return -1;
    std::int64_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(int(file), buffer + done, size_t(n - done), off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            failed();
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool Os::writeAt(File file, std::int64_t offset, const char *buffer, std::int64_t n)
{
    if (Os::Faults::armed()) {
        const auto verdict = Os::Faults::detail::check(Kind::Write, file);
        if (verdict.fail && verdict.partial)
            (void)::pwrite(int(file), buffer, size_t(n / 2), off_t(offset));
        if (refused(verdict))
            return false;
    }
    std::int64_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(int(file), buffer + done, size_t(n - done), off_t(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return failed();
        }
        done += put;
    }
    return true;
}

bool Os::syncFile(File file)
{
    if (injected(Kind::Sync, file))
        return false;
    return syncRetrying(int(file), ::fdatasync);
}

bool Os::syncFolder(const std::string &folder)
{
    if (injected(Kind::Sync, folder))
        return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // nothing to flush through; the file itself is on the disk
    const bool done = syncRetrying(fd, ::fsync);
    ::close(fd);
    return done;
}

bool Os::replace(const std::string &from, const std::string &to)
{
    // A fault for either name reaches the rename.
    if (Os::Faults::armed() && refused(Os::Faults::detail::check(Kind::Rename, from + '\n' + to)))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0 || failed();
}

bool Os::remove(const std::string &path)
{
    if (injected(Kind::Remove, path))
        return false;
    return ::unlink(path.c_str()) == 0 || failed();
}

std::vector<std::string> Os::regularFiles(const std::string &folder, const std::string &ending)
{
    std::vector<std::string> out;
    if (injected(Kind::Read, folder))
        return out;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir) {
        failed();
        return out;
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name.size() < ending.size()
            || strncasecmp(name.c_str() + name.size() - ending.size(), ending.c_str(), ending.size()) != 0)
            continue;
        struct stat st
        {
        };
        // stat, not the entry's type: a link to a file counts as the file.
        if (::stat((prefix + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            out.push_back(name);
    }
    ::closedir(dir);
    return out;
}

int Os::nameMax(const std::string &folder)
{
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 && max < INT_MAX ? int(max) : 255;
}

std::string Os::executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 && n < ssize_t(sizeof buffer) ? std::string(buffer, size_t(n)) : std::string();
}

bool Os::openWithDesktop(const std::string &target)
{
    const QString text = QString::fromUtf8(target);
    // A file address is exact, as built by the caller; what the user typed is read leniently.
    const QUrl url(text, text.startsWith(QLatin1String("file:")) ? QUrl::StrictMode : QUrl::TolerantMode);
    // openUrl's answer says nothing reliable on this desktop; the desktop reports its own failures.
    QDesktopServices::openUrl(url);
    return true;
}
