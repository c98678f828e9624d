#include "storage/DiskSync.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>

namespace {
std::atomic<bool> &enabledFlag()
{
    static std::atomic<bool> flag { true };
    return flag;
}

std::atomic<int> flushes { 0 };
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

bool DiskSync::file(Os::File file)
{
    if (!enabled())
        return true;
    ++flushes;
    return Os::syncFile(file);
}

bool DiskSync::qtFile(int handle)
{
    return file(Os::fromDescriptor(handle));
}

bool DiskSync::folderOf(const QString &path)
{
    if (!enabled())
        return true;
    ++flushes;
    return Os::syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()).toStdString());
}
