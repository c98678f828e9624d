#include "storage/SafetyCopy.h"

#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/ProgramSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

// The copies' settings in Vetrinova.ini, the names of new copies, and the automatic copy with its pruning.
namespace SafetyCopy {
namespace {

/** When a copy named by newCopyPath() was made: the minute in its name, then its number within that minute. */
std::pair<QString, qint64> madeAt(const QString &copyName)
{
    const QString prefix = QStringLiteral("Vetrinova-copia-");
    const QString minute = copyName.mid(prefix.size(), 15);
    const QString counter = copyName.mid(prefix.size() + 15).chopped(4); // empty, or "-<n>"
    return { minute, counter.isEmpty() ? 1 : counter.mid(1).toLongLong() };
}

QString settingsPath()
{
    return programPath(QStringLiteral("Vetrinova.ini"));
}

QSettings settings()
{
    return QSettings(settingsPath(), QSettings::IniFormat);
}

/** Sets one value in Vetrinova.ini through the atomic writer. */
WriteResult store(const QString &key, const QVariant &value)
{
    return ProgramSettings::store({ { key, value } });
}

/** For settings that only spare the user a step: a failure to keep one is logged, not shown. */
void storeQuietly(const QString &key, const QVariant &value)
{
    if (const WriteResult stored = store(key, value); !stored)
        qWarning("Vetrinova.ini: %s not kept (error %d)", qPrintable(key), int(stored.error()));
}

} // namespace

QString fileNameFor(const QDateTime &when)
{
    return QStringLiteral("Vetrinova-copia-%1.zip").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmm")));
}

QString newCopyPath(const QString &folder, const QDateTime &when)
{
    QDir dir(folder);
    const QString base = fileNameFor(when);
    // Numbered after the highest of the minute still there, never in a gap left by pruning: the
    // numbers keep the order the copies were made in.
    qint64 last = 0;
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (ProgramFiles::isCopyName(name) && name.startsWith(base.chopped(4)))
            last = std::max(last, madeAt(name).second);
    const auto taken = [](const QString &path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };
    QString path = dir.filePath(base);
    for (qint64 n = std::max<qint64>(last + 1, 2); last > 0 || taken(path); ++n) {
        path = dir.filePath(base.chopped(4) + QStringLiteral("-%1.zip").arg(n));
        if (!taken(path))
            break;
    }
    return path;
}

namespace Settings {
QString lastFolder()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Cartella")).toString();
}

void setLastFolder(const QString &folder)
{
    storeQuietly(QStringLiteral("CopieDiSicurezza/Cartella"), folder);
}

bool automatic()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Automatica"), true).toBool();
}

WriteResult setAutomatic(bool on)
{
    return store(QStringLiteral("CopieDiSicurezza/Automatica"), on);
}

int keep()
{
    bool ok = false;
    const int n = settings().value(QStringLiteral("CopieDiSicurezza/DaTenere"), 10).toInt(&ok);
    return ok && n > 0 ? n : 10;
}

WriteResult setKeep(int count)
{
    return store(QStringLiteral("CopieDiSicurezza/DaTenere"), count);
}

QString automaticFolder()
{
    const QString chosen = settings().value(QStringLiteral("CopieDiSicurezza/CartellaAutomatica")).toString();
    return chosen.isEmpty() ? programPath(QStringLiteral("Copie")) : chosen;
}
} // namespace Settings

QByteArray fingerprint()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QString root = programFolder();
    for (const QString &name : programFiles()) {
        const QFileInfo info(root + name);
        hash.addData(name.toUtf8() + '\0' + QByteArray::number(info.size()) + '\0'
            + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n');
    }
    return hash.result().toHex();
}

void markCopied()
{
    // Not kept, the next exit merely makes one copy more.
    storeQuietly(QStringLiteral("CopieDiSicurezza/Impronta"), QString::fromLatin1(fingerprint()));
}

bool automaticCopyDue()
{
    if (!Settings::automatic() || programFiles().isEmpty())
        return false;
    return settings().value(QStringLiteral("CopieDiSicurezza/Impronta")).toString().toLatin1() != fingerprint();
}

Problem makeAutomaticCopy(const QDateTime &when, const Progress &progress)
{
    const QString folder = Settings::automaticFolder();
    if (!QDir().mkpath(folder))
        return Problem::WriteFailed;
    const QString path = newCopyPath(folder, when);
    const Problem p = create(path, progress);
    if (p != Problem::None)
        return p;
    markCopied();
    // Only the program's own names count: a copy the user renamed, or a temporary, is never removed.
    QStringList copies;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks);
    std::copy_if(names.begin(), names.end(), std::back_inserter(copies), ProgramFiles::isCopyName);
    std::sort(copies.begin(), copies.end(), [](const QString &a, const QString &b) { return madeAt(a) < madeAt(b); });
    // The copy just made stays, even when a clock set back gives it an older name.
    copies.removeOne(QFileInfo(path).fileName());
    const qsizetype excess = copies.size() + 1 - Settings::keep();
    for (qsizetype i = 0; i < excess; ++i)
        QFile::remove(QDir(folder).filePath(copies.at(i)));
    return Problem::None;
}

} // namespace SafetyCopy
