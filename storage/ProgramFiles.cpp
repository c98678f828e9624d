#include "storage/ProgramFiles.h"

#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {
/** A name that stays where it is put and that this system's file system can hold as one file. */
bool isFileName(const QString &name)
{
    if (!isPlainFileName(name))
        return false;
#ifdef Q_OS_WIN
    // There "a:b" names a hidden stream of the file "a": the name of no file the program lists.
    if (name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

const QStringList &fixedNames()
{
    static const QStringList names = { QStringLiteral("Magazzino.pro"), QStringLiteral("unins000.dll"),
        QStringLiteral("Magazzino.xls"), QStringLiteral("Magazzino.xlsx"), QStringLiteral("Movimenti.db") };
    return names;
}

/** The folder as a real folder of the program's, never a link that may lead anywhere. */
bool isOwnFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}
} // namespace

QString ProgramFiles::photoFolder()
{
    return QStringLiteral("Foto_Listino");
}

QString ProgramFiles::attachmentFolder()
{
    return QStringLiteral("Documenti_Allegati");
}

bool ProgramFiles::isPriceList(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".lis"), Qt::CaseInsensitive) && isFileName(name);
}

bool ProgramFiles::isCardPhoto(const QString &name)
{
    static const QRegularExpression photo(QStringLiteral("^[0-9]+\\.jpg\\z"));
    return photo.match(name).hasMatch();
}

QString ProgramFiles::slotPhotoName(const QString &title, QChar slot, const QString &page)
{
    const QString name = title + QLatin1String("_Foto_") + slot + QLatin1Char('_') + page + QLatin1String(".jpg");
    return isFileName(name) ? name : QString();
}

QString ProgramFiles::thumbnailName(const QString &title, QChar slot)
{
    const QString name = title + QLatin1String("_Anteprima_") + slot + QLatin1String(".jpg");
    return isFileName(name) ? name : QString();
}

bool ProgramFiles::isSlotPhoto(const QString &name)
{
    static const QRegularExpression photo(QStringLiteral("_(Foto_[A-H]_[0-9]+|Anteprima_[A-H])\\.jpg\\z"));
    return isFileName(name) && photo.match(name).hasMatch();
}

bool ProgramFiles::isCopyName(const QString &name)
{
    static const QRegularExpression copy(
        QStringLiteral("^Vetrinova-copia-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{4}(-[0-9]+)?\\.zip\\z"));
    return copy.match(name).hasMatch();
}

QString ProgramFiles::logName()
{
    return QStringLiteral("Vetrinova.log");
}

QString ProgramFiles::previousLogName()
{
    return QStringLiteral("Vetrinova.1.log");
}

QString ProgramFiles::priceChangeCopyName()
{
    return QStringLiteral("Magazzino.pro.variazione");
}

QString ProgramFiles::priceChangeRecordName()
{
    return QStringLiteral("Vetrinova-variazione.txt");
}

QString ProgramFiles::listUpdateCopyName()
{
    return QStringLiteral("Listino-precedente.bak");
}

QString ProgramFiles::listUpdateRecordName()
{
    return QStringLiteral("Vetrinova-aggiornamento.txt");
}

QStringList ProgramFiles::undoNames()
{
    return { priceChangeCopyName(), priceChangeRecordName(), listUpdateCopyName(), listUpdateRecordName() };
}

bool ProgramFiles::isProgramFile(const QString &name)
{
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return fixedNames().contains(name) || isPriceList(name) || isCardPhoto(name);
    const QString folder = name.left(slash);
    if (folder != photoFolder() && folder != attachmentFolder())
        return false;
    // Anything the user keeps in these folders, below them too, as long as every part stays inside.
    const QStringList parts = name.mid(slash + 1).split(QLatin1Char('/'));
    return std::all_of(parts.begin(), parts.end(), isFileName);
}

QStringList ProgramFiles::all()
{
    QStringList out;
    const QString root = programFolder();
    // Read as bytes, as the list window reads its lists: a name that is no text here opens no file.
    for (const std::string &entry : Os::regularFiles(QFile::encodeName(root).toStdString(), std::string())) {
        const QByteArray raw = QByteArray::fromStdString(entry);
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) == raw && isProgramFile(name))
            out << name;
    }
    for (const QString &folder : { photoFolder(), attachmentFolder() }) {
        if (!isOwnFolder(root + folder))
            continue;
        QDirIterator it(root + folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QString relative = it.filePath().mid(root.size());
            if (!it.fileInfo().isSymLink() && isProgramFile(relative))
                out << relative;
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}
