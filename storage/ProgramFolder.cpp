#include "storage/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString withSeparator(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    // applicationDirPath() comes from /proc/self/exe, never from the working directory.
    return withSeparator(QCoreApplication::applicationDirPath());
}

void setProgramFolderOverride(const QString &folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : withSeparator(QDir::cleanPath(folder));
}

QString programPath(const QString &relativeName)
{
    return programFolder() + relativeName;
}
