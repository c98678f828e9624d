#include "storage/UndoRecord.h"

#include "storage/FileReplace.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QByteArray Heading = "Vetrinova annulla 1";
constexpr qint64 MaxSize = 64 * 1024;
} // namespace

QString UndoRecord::copyPath(Kind kind)
{
    return programPath(
        kind == Kind::PriceChange ? ProgramFiles::priceChangeCopyName() : ProgramFiles::listUpdateCopyName());
}

QString UndoRecord::recordPath(Kind kind)
{
    return programPath(
        kind == Kind::PriceChange ? ProgramFiles::priceChangeRecordName() : ProgramFiles::listUpdateRecordName());
}

bool UndoRecord::save(Kind kind, const Entry &entry)
{
    const QByteArray text = Heading + '\n' + entry.target.toUtf8() + '\n' + QByteArray::number(entry.size) + '\n'
        + QByteArray::number(entry.sum, 16) + '\n' + entry.description.toUtf8().replace('\n', ' ') + '\n';
    return bool(FileReplace::replace(recordPath(kind), text));
}

std::optional<UndoRecord::Entry> UndoRecord::load(Kind kind)
{
    QFile file(recordPath(kind));
    if (QFileInfo(file).size() > MaxSize || !file.open(QIODevice::ReadOnly) || !QFileInfo::exists(copyPath(kind)))
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 5 || lines[0] != Heading)
        return std::nullopt;
    Entry entry;
    bool sizeOk = false;
    bool sumOk = false;
    entry.target = QString::fromUtf8(lines[1]);
    entry.size = lines[2].toLongLong(&sizeOk);
    entry.sum = lines[3].toULongLong(&sumOk, 16);
    entry.description = QString::fromUtf8(lines[4]);
    if (!sizeOk || !sumOk || !isPlainFileName(entry.target))
        return std::nullopt;
    return entry;
}

bool UndoRecord::forget(Kind kind)
{
    const QString path = recordPath(kind);
    return QFile::remove(path) || !QFileInfo::exists(path);
}
