#include "storage/ProgramSettings.h"

#include "storage/ProgramFolder.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

QString ProgramSettings::path()
{
    return programPath(QStringLiteral("Vetrinova.ini"));
}

QVariant ProgramSettings::value(const QString &key, const QVariant &fallback)
{
    return QSettings(path(), QSettings::IniFormat).value(key, fallback);
}

WriteResult ProgramSettings::store(const QList<QPair<QString, QVariant>> &values)
{
    // QSettings would write the file in place and, on a full disk, leave it empty with no word; here it
    // only composes the text, on a scratch copy, and the old file stays whole unless the new one is all
    // on the disk.
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return WriteError::WriteFailed;
    const QString draft = scratch.filePath(QStringLiteral("Vetrinova.ini"));
    {
        const QSettings current(path(), QSettings::IniFormat);
        QSettings composed(draft, QSettings::IniFormat);
        for (const QString &k : current.allKeys())
            composed.setValue(k, current.value(k));
        for (const auto &[key, value] : values)
            composed.setValue(key, value);
        composed.sync();
        if (composed.status() != QSettings::NoError)
            return WriteError::WriteFailed;
    }
    QFile text(draft);
    if (!text.open(QIODevice::ReadOnly))
        return WriteError::WriteFailed;
    return FileReplace::replace(path(), text.readAll());
}
