#include "storage/DiskSync.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::atomic<bool> &enabledFlag()
{
    static std::atomic<bool> flag{ true };
    return flag;
}

std::atomic<int> flushes{ 0 };

// EINVAL, ENOTSUP: a file system or a special file that cannot sync, where written means stored.
bool cannotSync(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EROFS;
}

// Runs `sync` on `fd` until the system answers other than "interrupted".
bool flush(int fd, int (*sync)(int))
{
    ++flushes;
    for (;;) {
        if (sync(fd) == 0)
            return true;
        if (errno != EINTR)
            return cannotSync(errno);
    }
}
} // namespace

void DiskSync::setEnabled(bool enabled)
{
    enabledFlag() = enabled;
}

bool DiskSync::enabled()
{
    return enabledFlag();
}

int DiskSync::count()
{
    return flushes;
}

bool DiskSync::file(int fd)
{
    if (!enabled())
        return true;
    return flush(fd, ::fdatasync);
}

bool DiskSync::folderOf(const QString &path)
{
    if (!enabled())
        return true;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // nothing to flush through; the file itself is on the disk
    const bool done = flush(fd, ::fsync);
    ::close(fd);
    return done;
}
