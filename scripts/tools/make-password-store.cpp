// Writes the password store shipped with the program, holding the first-access password scrambled by
// the program's own encoder. An existing store is left alone, so a password the user changed survives
// a rebuild.
#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make-password-store <path of unins000.dll>\n");
        return 2;
    }
    const QString path = args.at(1);
    if (QFileInfo::exists(path))
        return 0;
    if (!PasswordStore::write(path, Crypt::encode(PasswordStore::FirstAccessPassword))) {
        std::fprintf(stderr, "make-password-store: cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("Password store written: %s\n", qPrintable(path));
    return 0;
}
