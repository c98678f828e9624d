#include "pricelist/rules/ListFiles.h"

#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/TextOrder.h"
#include "storage/platform/Os.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

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
    return Os::nameMax(QFile::encodeName(programFolder()).toStdString());
}

bool looksLikeList(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".lis"), Qt::CaseInsensitive);
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
    // Never an existing name: a list made meanwhile by another copy of the program is never emptied.
    const Os::File file = Os::createNew(QFile::encodeName(path).toStdString());
    if (file == Os::kNoFile) {
        switch (Os::lastError()) {
        case Os::Error::Exists:
            return { Creation::Exists, QString() };
        case Os::Error::NameRefused:
            return { Creation::NameRefused, QString() };
        default:
            return { Creation::Failed, QString::fromLocal8Bit(Os::lastErrorText()) };
        }
    }
    if (!Os::close(file))
        return { Creation::Failed, QString::fromLocal8Bit(Os::lastErrorText()) };
    return { Creation::Created, QString() };
}

ListFiles::Listing ListFiles::scan()
{
    Listing out;
    // Read as bytes: a name copied from another system may not be text in this one, and Qt would
    // pass it over without a word or hand back a name that opens another file.
    for (const std::string &entry : Os::regularFiles(QFile::encodeName(programFolder()).toStdString(), ".lis")) {
        const QByteArray raw = QByteArray::fromStdString(entry);
        const QString name = QFile::decodeName(raw);
        if (!looksLikeList(name))
            continue;
        if (QFile::encodeName(name) == raw && ProgramFiles::isPriceList(name))
            out.names << name;
        else
            out.leftOut << shown(name);
    }
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
    if (!ProgramFiles::isPriceList(fileName))
        return false;
    return QFile::remove(programPath(fileName));
}
