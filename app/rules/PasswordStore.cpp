#include "app/rules/PasswordStore.h"

#include "storage/FileReplace.h"
#include "storage/Logging.h"
#include "storage/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <optional>

namespace {
const QByteArray Section = "Accesso";
const QByteArray Key = "Valore";

struct IniText
{
    QList<QByteArray> lines; // without their line ends
    QByteArray lineEnd = "\r\n";
};

IniText split(const QByteArray &bytes)
{
    IniText ini;
    if (bytes.isEmpty())
        return ini;
    if (!bytes.contains("\r\n") && bytes.contains('\n'))
        ini.lineEnd = "\n";
    ini.lines = bytes.split('\n');
    if (ini.lines.last().isEmpty())
        ini.lines.removeLast();
    for (QByteArray &line : ini.lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return ini;
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.trimmed().compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a "[section]" line, or nothing when the line is something else.
std::optional<QByteArray> sectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[') || !t.endsWith(']'))
        return std::nullopt;
    return t.mid(1, t.size() - 2).trimmed();
}

bool isKeyLine(const QByteArray &line, const QByteArray &key)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 && sameName(line.left(eq), key);
}

QByteArray valueOf(const QByteArray &line)
{
    QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

// Line range [begin, end) of the section's body, or begin = -1 when the section is missing.
std::pair<qsizetype, qsizetype> sectionBody(const IniText &ini)
{
    qsizetype begin = -1;
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        const auto name = sectionName(ini.lines[i]);
        if (!name)
            continue;
        if (begin >= 0)
            return { begin, i };
        if (sameName(*name, Section))
            begin = i + 1;
    }
    return { begin, ini.lines.size() };
}
} // namespace

QString PasswordStore::path()
{
    return programPath(QStringLiteral("unins000.dll"));
}

Result<QString, PasswordStore::Error> PasswordStore::read()
{
    return read(path());
}

Result<QString, PasswordStore::Error> PasswordStore::read(const QString &path)
{
    QFile file(path);
    if (!QFileInfo::exists(path))
        return QString();
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcStorage, "the password store %s cannot be read", qUtf8Printable(path));
        return Error { Error::Reason::Unreadable };
    }
    const IniText ini = split(file.readAll());
    const auto [begin, end] = sectionBody(ini);
    if (begin < 0)
        return QString();
    for (qsizetype i = begin; i < end; ++i)
        if (isKeyLine(ini.lines[i], Key))
            return QString::fromLatin1(valueOf(ini.lines[i]));
    return QString();
}

Result<Done, PasswordStore::Error> PasswordStore::write(const QString &value)
{
    return write(path(), value);
}

Result<Done, PasswordStore::Error> PasswordStore::write(const QString &path, const QString &value)
{
    IniText ini;
    if (QFileInfo::exists(path)) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly)) {
            qCWarning(lcStorage, "the password store %s cannot be read", qUtf8Printable(path));
            return Error { Error::Reason::Unreadable };
        }
        ini = split(old.readAll());
    }
    const QByteArray keyLine = Key + '=' + value.trimmed().toLatin1();
    const auto [begin, end] = sectionBody(ini);
    if (begin < 0) {
        if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty())
            ini.lines.append(QByteArray());
        ini.lines.append('[' + Section + ']');
        ini.lines.append(keyLine);
    } else {
        qsizetype keyAt = -1;
        qsizetype lastFilled = begin - 1;
        for (qsizetype i = begin; i < end; ++i) {
            if (isKeyLine(ini.lines[i], Key)) {
                keyAt = i;
                break;
            }
            if (!ini.lines[i].trimmed().isEmpty())
                lastFilled = i;
        }
        if (keyAt >= 0)
            ini.lines[keyAt] = keyLine;
        else
            ini.lines.insert(lastFilled + 1, keyLine);
    }

    QByteArray bytes;
    for (const QByteArray &line : std::as_const(ini.lines))
        bytes += line + ini.lineEnd;
    if (const WriteResult written = FileReplace::replace(path, bytes); !written)
        return Error { Error::Reason::NotWritten, written.error() };
    return Done {};
}
