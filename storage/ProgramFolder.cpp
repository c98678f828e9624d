#include "storage/ProgramFolder.h"

#include "storage/platform/Os.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    // From the system's record of the running executable, never from the working directory.
    static const QString folder
        = withSeparator(QFileInfo(QFile::decodeName(QByteArray::fromStdString(Os::executablePath()))).absolutePath());
    return folder;
}

void setProgramFolderOverride(const QString &folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : withSeparator(QDir::cleanPath(folder));
}

QString programPath(const QString &relativeName)
{
    return programFolder() + relativeName;
}

bool isPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        // Other_Control: the C0 and C1 control characters and DEL.
        if (c.category() == QChar::Other_Control || c == u'/' || c == u'\\')
            return false;
    }
    return true;
}

bool writeStaysInside(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const QString plain = QDir::cleanPath(info.absoluteFilePath());
    QString resolved;
    if (info.exists()) {
        resolved = info.canonicalFilePath();
    } else if (info.isSymLink()) {
        return false;
    } else {
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        // A missing folder: the write fails by itself, nowhere else.
        if (folder.isEmpty())
            return true;
        resolved = folder + QLatin1Char('/') + info.fileName();
    }
    if (resolved == plain)
        return true;
    // A link is on the way: it may lead anywhere inside the program folder, and nowhere else, so a copy
    // of the folder keeps holding everything the program wrote.
    const QString home = QFileInfo(programFolder()).canonicalFilePath();
    return !home.isEmpty() && resolved.startsWith(withSeparator(home));
}
