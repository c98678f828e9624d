#include "pricelist/rules/ListFiles.h"

#include "storage/ProgramFolder.h"
#include "storage/TextOrder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString &forbidden()
{
    static const QString chars = QStringLiteral("\"*/:<>?\\\u00B0\u00C7\u00D1\u00E7\u00F1");
    return chars;
}

// The longest name made from a title is "<title>_Foto_X_<page>.jpg"; eight digits of page number
// leave room for any list a shop will print.
constexpr int kLongestSuffix = 20;

int nameMax()
{
    const long max = ::pathconf(QFile::encodeName(programFolder()).constData(), _PC_NAME_MAX);
    return max > 0 ? int(max) : 255;
}

bool looksLikeList(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".lis"), Qt::CaseInsensitive);
}

bool isListFileName(const QString &name)
{
    return looksLikeList(name) && isPlainFileName(name);
}

QString shown(QString name)
{
    for (QChar &c : name)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    return name;
}
} // namespace

bool ListFiles::isForbiddenChar(QChar c)
{
    return forbidden().contains(c);
}

QString ListFiles::withoutForbidden(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isForbiddenChar(c))
            out += c;
    return out;
}

ListFiles::TitleCheck ListFiles::checkTitle(const QString &title)
{
    if (title.isEmpty())
        return TitleCheck::Empty;
    if (title == QLatin1String(".") || title == QLatin1String(".."))
        return TitleCheck::Unusable;
    for (QChar c : title)
        if (c.unicode() < 32 || c == QChar(0x7F) || isForbiddenChar(c) || c.isSurrogate())
            return TitleCheck::Unusable;
    if (QFile::encodeName(title).size() + kLongestSuffix > nameMax())
        return TitleCheck::TooLong;
    return TitleCheck::Ok;
}

QString ListFiles::pathOf(const QString &title)
{
    return programPath(title + QLatin1String(".lis"));
}

ListFiles::Creation ListFiles::create(const QString &path)
{
    if (QFileInfo::exists(path))
        return { Creation::Exists, QString() };
    // O_EXCL: a list made meanwhile by another copy of the program is never emptied.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        switch (error) {
        case EEXIST:
            return { Creation::Exists, QString() };
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
            return { Creation::NameRefused, QString() };
        default:
            return { Creation::Failed, QString::fromLocal8Bit(std::strerror(error)) };
        }
    }
    if (::close(fd) != 0)
        return { Creation::Failed, QString::fromLocal8Bit(std::strerror(errno)) };
    return { Creation::Created, QString() };
}

ListFiles::Listing ListFiles::scan()
{
    Listing out;
    // Read as bytes: a name copied from another system may not be text in this one, and Qt would
    // pass it over without a word or hand back a name that opens another file.
    const QByteArray folder = QFile::encodeName(programFolder());
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return out;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        struct stat st {};
        if (!looksLikeList(name) || ::stat((folder + raw).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (QFile::encodeName(name) == raw && isPlainFileName(name))
            out.names << name;
        else
            out.leftOut << shown(name);
    }
    ::closedir(dir);
    // Names equal but for the case of their letters keep one fixed order between them.
    for (QStringList *names : { &out.names, &out.leftOut }) {
        std::sort(names->begin(), names->end());
        std::stable_sort(names->begin(), names->end(), listTextLess);
    }
    return out;
}

QStringList ListFiles::names()
{
    return scan().names;
}

bool ListFiles::remove(const QString &fileName)
{
    if (!isListFileName(fileName))
        return false;
    return QFile::remove(programPath(fileName));
}
