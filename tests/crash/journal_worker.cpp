// Runs an import or a restore with the program's own code on a program folder and kills itself at a
// chosen step of it, as a power cut or a closed laptop would. Usage:
//   journal_worker import FOLDER CSV STEP
//   journal_worker restore FOLDER ZIP STEP
// STEP counts the steps of the change from 1; 0 lets it finish. Prints "done" when it finished.
#include "storage/Journal.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
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
    int steps = 0;
    Journal::setStepHook([&](const char *) {
        if (++steps == stopAt)
            std::raise(SIGKILL);
    });
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
