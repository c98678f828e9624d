// Calls every function of the system module once, so linking it shows that each one is defined and
// finds its libraries. Built for Windows by the windows_module test; not run there.
#include "storage/platform/Os.h"

#include <cstdio>

int main(int argc, char **argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string path = folder + "/every-call.tmp";
    Os::File file = Os::createNew(path);
    if (file == Os::kNoFile)
        file = Os::openExisting(path);
    if (file == Os::kNoFile)
        file = Os::openNoLink(path);
    Os::Status status;
    char buffer[4] = { 'a', 'b', 'c', 'd' };
    const bool done = file != Os::kNoFile && Os::tryLock(file) && Os::unlock(file) && Os::tryLockShared(file)
        && Os::writeAt(file, 0, buffer, 4) && Os::truncate(file, 4) && Os::readAt(file, 0, buffer, 4) == 4
        && Os::status(file, status) && Os::syncFile(file) && Os::close(file) && Os::syncFolder(folder)
        && Os::replace(path, path + ".2") && Os::remove(path + ".2");
    std::printf("%d %d %s %zu %d %s %lld %d\n", done, int(Os::lastError()), Os::lastErrorText().c_str(),
        Os::regularFiles(folder, ".tmp").size(), Os::nameMax(folder), Os::executablePath().c_str(),
        static_cast<long long>(Os::fromDescriptor(0)), Os::openWithDesktop(folder));
    return done ? 0 : 1;
}
