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

// EINVAL, ENOTSUP: a file system or a special file that cannot sync, where written means stored.
std::atomic<int> flushes{ 0 };

bool cannotSync(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EROFS;
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
    ++flushes;
    for (;;) {
        if (::fdatasync(fd) == 0)
            return true;
        if (errno != EINTR)
            return cannotSync(errno);
    }
}

bool DiskSync::folderOf(const QString &path)
{
    if (!enabled())
        return true;
    ++flushes;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // nothing to flush through; the file itself is on the disk
    bool done = false;
    for (;;) {
        if (::fsync(fd) == 0) {
            done = true;
            break;
        }
        if (errno != EINTR) {
            done = cannotSync(errno);
            break;
        }
    }
    ::close(fd);
    return done;
}
