// Runs an import or a restore with the program's own code on a program folder and kills itself at a
// chosen step of it, as a power cut or a closed laptop would. Usage:
//   journal_worker import FOLDER CSV STEP
//   journal_worker restore FOLDER ZIP STEP
// STEP counts, from 1, the calls to the system that change a file (creating, writing, flushing,
// renaming, cutting, removing, closing); the kill comes just before that call. 0 lets it finish. Prints "done" when it
// finished.
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/ImportSource.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    setProgramFolderOverride(args[2]);
    const int stopAt = args[4].toInt();
    using Os::Faults::Kind;
    int steps = 0;
    Os::Faults::Fault watch;
    watch.hook = [&](Kind kind, int, const std::string &) {
        const bool changes = kind == Kind::Create || kind == Kind::Write || kind == Kind::Sync || kind == Kind::Rename
            || kind == Kind::Truncate || kind == Kind::Remove || kind == Kind::Close;
        if (changes && ++steps == stopAt)
            std::raise(SIGKILL);
    };
    if (stopAt > 0)
        Os::Faults::arm(watch);
    bool done = false;
    if (args[1] == QLatin1String("import")) {
        ImportRun::Options options;
        options.path = args[3];
        options.format = ImportSource::detect(options.path);
        ImportError error;
        QStringList header;
        if (const auto reader = ImportSource::open(options.path, options.format, &error))
            reader->next(header);
        options.mapping = ImportRules::guessMapping(header);
        options.updateByCode = true;
        done = ImportRun::write(options).written;
    } else if (args[1] == QLatin1String("restore")) {
        done = SafetyCopy::restore(args[3]) == SafetyCopy::Problem::None;
    }
    if (done)
        std::puts("done");
    return done ? 0 : 1;
}
