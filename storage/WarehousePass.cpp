#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/RecordFile.h"
#include "storage/SchedaProdotto.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstring>

// Many changes to Magazzino.pro in one locked pass, backed up first and undone when one fails.

namespace WarehouseArchive {
namespace {
using Cards = RecordFile<TSchedaProdotto>;
} // namespace

Batch::Batch(ArchiveFile &file, const QString &backupPath)
    : m_file(file)
    , m_backupPath(backupPath)
    , m_before(file.count())
{ }

qint64 Batch::count() const
{
    return m_file.count();
}

TSchedaProdotto Batch::read(qint64 n) const
{
    return Cards::readFrom(m_file, n - 1);
}

void Batch::forEachRaw(const std::function<bool(qint64, const char *)> &visit) const
{
    Cards::forEachRecord(m_file, visit);
}

// The copy is made from the locked file itself, so it is exactly what the pass starts from, and the
// journal naming it is on the disk before the archive changes.
void Batch::beforeWriting()
{
    if (m_backedUp)
        return;
    m_tail = m_file.tail();
    FileReplace copy(m_backupPath);
    bool ok = copy.open();
    if (ok)
        Cards::forEachBlock(
            m_file,
            [&](qint64, const char *records, qint64 got) {
                return ok = copy.write(QByteArray::fromRawData(records, got * TSchedaProdotto::RecordSize));
            },
            false, m_before);
    ok = ok && copy.write(m_tail);
    if (!ok || !copy.commit())
        throw ArchiveError("backup: the copy of the archive could not be written");
    const QStringList record = { QFileInfo(m_backupPath).fileName(),
        QString::number(m_before * TSchedaProdotto::RecordSize + m_tail.size()) };
    if (!m_journal.begin(Journal::Kind::Import, record))
        throw ArchiveError("journal: the record of the import could not be written");
    m_backedUp = true;
}

qint64 Batch::append(const TSchedaProdotto &card)
{
    beforeWriting();
    const qint64 index = m_file.count();
    Cards::writeInto(m_file, index, card);
    return index + 1;
}

void Batch::overwrite(qint64 n, const TSchedaProdotto &card)
{
    beforeWriting();
    if (n < 1 || n > m_file.count())
        throw ArchiveError("record out of range");
    if (n <= m_before)
        m_overwritten.push_back(n - 1);
    Cards::writeInto(m_file, n - 1, card);
}

void Batch::overwriteRaw(qint64 n, const char *record)
{
    beforeWriting();
    if (n < 1 || n > m_file.count())
        throw ArchiveError("record out of range");
    if (n <= m_before)
        m_overwritten.push_back(n - 1);
    m_file.write(n - 1, record);
}

void Batch::rollBack()
{
    if (!m_backedUp)
        return;
    QFile copy(m_backupPath);
    if (!m_overwritten.empty() && !copy.open(QIODevice::ReadOnly))
        throw ArchiveError("roll-back: the copy of the archive cannot be read");
    QByteArray record(TSchedaProdotto::RecordSize, '\0');
    for (const qint64 index : m_overwritten) {
        if (!copy.seek(index * TSchedaProdotto::RecordSize) || copy.read(record.data(), record.size()) != record.size())
            throw ArchiveError("roll-back: the copy of the archive is short");
        m_file.write(index, record.constData());
    }
    m_file.truncate(m_before, m_tail);
}

void inOnePass(const QString &backupPath, const std::function<void(Batch &)> &work)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize);
    Batch batch(file, backupPath);
    try {
        work(batch);
        // The last flush is part of the pass: when the disk refuses it, the cards may not all be there.
        file.flush();
    } catch (...) {
        // Whatever failed, the archive goes back to how the pass found it; when even that fails the
        // copy and the journal are there for the next start, and the first failure is the one reported.
        try {
            batch.rollBack();
            // Put back in this run: a retry must not find the journal in its way.
            batch.m_journal.finish();
            file.flush();
        } catch (...) { }
        try {
            file.close();
        } catch (...) { }
        throw;
    }
    // Everything is on the disk: the pass is whole whatever closing says.
    try {
        file.close();
    } catch (const ArchiveError &) { }
    batch.m_journal.finish();
}

bool undoInterruptedPass(const QStringList &lines)
{
    bool ok = false;
    const qint64 size = lines.value(1).toLongLong(&ok);
    const QString name = lines.value(0);
    if (!ok || size < 0 || !isPlainFileName(name))
        return false;
    constexpr int Size = TSchedaProdotto::RecordSize;
    QFile copy(programPath(name));
    if (!copy.open(QIODevice::ReadOnly) || copy.size() != size)
        return false;
    try {
        ArchiveFile file(warehousePath(), Size);
        const qint64 records = size / Size;
        constexpr qint64 Block = 256;
        QByteArray before(Block * Size, '\0');
        QByteArray now(Block * Size, '\0');
        // Only the cards that differ are written back: an import mostly appends.
        for (qint64 index = 0; index < records; index += Block) {
            const qint64 n = std::min(Block, records - index);
            if (copy.read(before.data(), n * Size) != n * Size)
                return false;
            const qint64 have = file.readMany(index, n, now.data());
            for (qint64 i = 0; i < n; ++i)
                if (i >= have || std::memcmp(before.constData() + i * Size, now.constData() + i * Size, Size) != 0)
                    file.write(index + i, before.constData() + i * Size);
        }
        const QByteArray tail = copy.read(size % Size);
        if (tail.size() != size % Size)
            return false;
        file.truncate(records, tail);
        file.close();
    } catch (const ArchiveError &) {
        return false;
    }
    return true;
}
} // namespace WarehouseArchive
