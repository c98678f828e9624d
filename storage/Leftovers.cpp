#include "storage/Leftovers.h"

#include "storage/ProgramFolder.h"

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

// The names each folder's files are saved under.
bool savedHere(const QString &folder, const QString &target)
{
    if (folder.isEmpty()) {
        static const QRegularExpression ours(QStringLiteral("^(Magazzino\\.xls|unins000\\.dll|[0-9]+\\.jpg|.+\\.lis)$"),
            QRegularExpression::CaseInsensitiveOption);
        return ours.match(target).hasMatch();
    }
    if (folder == QLatin1String("Foto_Listino")) {
        static const QRegularExpression photo(QStringLiteral("_(Foto_[A-H]_[0-9]+|Anteprima_[A-H])\\.jpg$"));
        return photo.match(target).hasMatch();
    }
    // Attachments keep the names the user gave them.
    return folder == QLatin1String("Documenti_Allegati") && isPlainFileName(target);
}
} // namespace

bool Leftovers::isInterruptedSave(const QString &folder, const QString &name)
{
    static const QRegularExpression temporary(QStringLiteral("^(.+)\\.([A-Za-z]{6})$"));
    const QRegularExpressionMatch m = temporary.match(name);
    return m.hasMatch() && looksRandom(m.capturedView(2)) && savedHere(folder, m.captured(1));
}

QStringList Leftovers::removeInterruptedSaves()
{
    QStringList removed;
    for (const QString &folder : { QString(), QStringLiteral("Foto_Listino"), QStringLiteral("Documenti_Allegati") }) {
        const QString prefix = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
        const QDir dir(programPath(prefix));
        // Regular files only, never a link; the name filter spares a look at every photo of a big folder.
        const QFileInfoList files
            = dir.entryInfoList({ QStringLiteral("*.??????") }, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QFileInfo &file : files) {
            if (isInterruptedSave(folder, file.fileName()) && QFile::remove(file.filePath()))
                removed << prefix + file.fileName();
        }
    }
    return removed;
}
