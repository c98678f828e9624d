// Another copy of the program busy with an archive: opens it as the program does, which takes its
// lock, says "locked" and keeps it until its standard input closes or MS milliseconds have passed
// (30 000 unless given). Usage: lockholder FILE [MS]
#include "storage/ArchiveFile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <poll.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return 2;
    const int hold = args.size() > 2 ? args.at(2).toInt() : 30000;
    ArchiveFile file;
    try {
        file.open(args.at(1), 1);
    } catch (const ArchiveError &e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    pollfd in { STDIN_FILENO, POLLIN, 0 };
    ::poll(&in, 1, hold);
    file.close();
    return 0;
}
