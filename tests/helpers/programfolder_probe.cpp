// Started by the program-folder test from a foreign working directory: prints the folder the program
// takes as its own and the password value it finds there.
#include "app/rules/PasswordStore.h"
#include "storage/ProgramFolder.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << programFolder() << '\n' << PasswordStore::read().value() << '\n';
    return 0;
}
