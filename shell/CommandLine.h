#pragma once

#include <QString>
#include <QStringList>

/**
 * What the command line asks for. Read before the application object exists, so --help, --version
 * and a mistyped option answer without a display and without touching any file.
 */
namespace CommandLine {
struct Outcome
{
    enum class Action { Run, Print, Refuse } action = Action::Run;
    QString text; ///< for Print on standard output, for Refuse on standard error
    int exitCode = 0;
};

/** `arguments` without the program's own name. */
Outcome read(const QStringList &arguments);

QString version();
} // namespace CommandLine
