// Appends cards to the warehouse archive of a given folder, standing in for a second copy of the
// program working on the same folder. Usage: appender FOLDER TAG COUNT [pause]. It starts when a
// line arrives on standard input, so two of them can be released together; with "pause" it stops
// just before its first write, says "paused" and waits for another line.
#include "storage/ArchiveFile.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {
bool waitForLine()
{
    char line[16];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    setProgramFolderOverride(args.at(1));
    const QString tag = args.at(2);
    const int count = args.at(3).toInt();
    if (args.size() > 4 && args.at(4) == QLatin1String("pause")) {
        ArchiveFile::setFaultInjector([paused = false](ArchiveFile::Step step) mutable {
            if (step == ArchiveFile::Step::Write && !paused) {
                paused = true;
                std::puts("paused");
                std::fflush(stdout);
                waitForLine();
            }
            return false;
        });
    }
    if (!waitForLine())
        return 3;
    try {
        for (int i = 1; i <= count; ++i) {
            TSchedaProdotto card;
            card[TSchedaProdotto::Codice] = QStringLiteral("%1-%2").arg(tag).arg(i);
            card[TSchedaProdotto::Note] = QString(200, tag.at(0));
            WarehouseArchive::append(card);
        }
    } catch (const ArchiveError &) {
        return 1;
    }
    return 0;
}
