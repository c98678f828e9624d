#include "storage/Leftovers.h"

#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
bool looksRandom(QStringView letters)
{
    bool small = false;
    bool capitalInside = false;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QChar c = letters.at(i);
        small = small || (c >= u'a' && c <= u'z');
        capitalInside = capitalInside || (i > 0 && c >= u'A' && c <= u'Z');
    }
    return small && capitalInside;
}

/** The six characters the ZIP library puts after a copy's name while writing it: small letters and digits. */
bool looksLikeZipLibrary(QStringView letters)
{
    bool digit = false;
    for (const QChar c : letters) {
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c < u'a' || c > u'z')
            return false;
    }
    // A word of small letters ("Vetrinova-copia-….zip.giugno") may be the user's own.
    return digit;
}

// The names each folder's files are saved under, whole or through a temporary beside them.
bool savedHere(const QString &folder, const QString &target)
{
    if (folder.isEmpty()) {
        static const QStringList written = { QStringLiteral("Magazzino.pro.bak"), QStringLiteral("Vetrinova.ini"),
            QStringLiteral("Vetrinova.diario") };
        return ProgramFiles::isProgramFile(target) || written.contains(target) || ProgramFiles::isCopyName(target)
            || ProgramFiles::undoNames().contains(target)
            || (isPlainFileName(target) && target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive));
    }
    if (folder == ProgramFiles::photoFolder())
        return ProgramFiles::isSlotPhoto(target);
    // Attachments keep the names the user gave them.
    return folder == ProgramFiles::attachmentFolder() && isPlainFileName(target);
}

/** Removes the regular files of `dir` (never a link) that `isLeftover` recognises; returns their names. */
template <typename Test> QStringList removeFrom(const QDir &dir, const QStringList &patterns, Test isLeftover)
{
    QStringList removed;
    // The name filter spares a look at every photo of a big folder.
    const QFileInfoList files = dir.entryInfoList(patterns, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &file : files) {
        if (isLeftover(file.fileName()) && QFile::remove(file.filePath()))
            removed << file.fileName();
    }
    return removed;
}
} // namespace

bool Leftovers::isInterruptedSave(const QString &folder, const QString &name)
{
    static const QRegularExpression temporary(QStringLiteral("^(.+)\\.([A-Za-z]{6})\\z"));
    const QRegularExpressionMatch m = temporary.match(name);
    if (m.hasMatch() && looksRandom(m.capturedView(2)) && savedHere(folder, m.captured(1)))
        return true;
    // The workbook export's temporary of earlier versions, under one fixed name.
    return folder.isEmpty() && name == QLatin1String("Magazzino.xlsx.tmp");
}

bool Leftovers::isInterruptedCopy(const QString &name)
{
    static const QRegularExpression temporary(QStringLiteral("^(.+)\\.([A-Za-z0-9]{6})\\z"));
    const QRegularExpressionMatch m = temporary.match(name);
    return m.hasMatch() && ProgramFiles::isCopyName(m.captured(1))
        && (looksRandom(m.capturedView(2)) || looksLikeZipLibrary(m.capturedView(2)));
}

QStringList Leftovers::removeInterruptedSaves()
{
    QStringList removed;
    const QStringList patterns = { QStringLiteral("*.??????"), QStringLiteral("Magazzino.xlsx.tmp") };
    for (const QString &folder : { QString(), ProgramFiles::photoFolder(), ProgramFiles::attachmentFolder() }) {
        const QString prefix = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
        for (const QString &name : removeFrom(QDir(programPath(prefix)), patterns,
                 [&](const QString &name) { return isInterruptedSave(folder, name); }))
            removed << prefix + name;
    }
    // The automatic copies' folder: Copie/ in the program folder, and the one the user chose instead.
    const QString own = programPath(QStringLiteral("Copie"));
    QList<QPair<QString, QString>> copyFolders = { { own, QStringLiteral("Copie/") } };
    const QString chosen = SafetyCopy::Settings::automaticFolder();
    if (QFileInfo(chosen).canonicalFilePath() != QFileInfo(own).canonicalFilePath())
        copyFolders.append({ chosen, QDir(chosen).absolutePath() + QLatin1Char('/') });
    for (const auto &[folder, prefix] : copyFolders) {
        for (const QString &name :
            removeFrom(QDir(folder), { QStringLiteral("Vetrinova-copia-*.zip.??????") }, isInterruptedCopy))
            removed << prefix + name;
    }
    return removed;
}
