#include "pricelist/rules/ListFiles.h"

#include "storage/ProgramFolder.h"
#include "storage/TextOrder.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

bool isListFileName(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".lis"), Qt::CaseInsensitive)
        && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") && name != QLatin1String("..");
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

QStringList ListFiles::names()
{
    QStringList found = QDir(programFolder()).entryList({ QStringLiteral("*.lis") }, QDir::Files | QDir::Hidden);
    found.erase(
        std::remove_if(found.begin(), found.end(), [](const QString &n) { return !isListFileName(n); }), found.end());
    // Names equal but for the case of their letters keep one fixed order between them.
    std::sort(found.begin(), found.end());
    std::stable_sort(found.begin(), found.end(), listTextLess);
    return found;
}

bool ListFiles::remove(const QString &fileName)
{
    if (!isListFileName(fileName))
        return false;
    return QFile::remove(programPath(fileName));
}
