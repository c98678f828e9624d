#include "storage/SchedaProdotto.h"

#include "storage/ArchiveFile.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/TextField.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <vector>

const std::array<TSchedaProdotto::FieldInfo, TSchedaProdotto::FieldCount> &TSchedaProdotto::layout()
{
    static const std::array<FieldInfo, FieldCount> fields = { {
        { "Codice", 0, 25 },
        { "Costo", 26, 12 },
        { "Nome", 39, 50 },
        { "Giacenza", 90, 4 },
        { "Avviso", 95, 3 },
        { "UM", 99, 120 },
        { "Tipologia", 220, 50 },
        { "Caratteristiche", 271, 250 },
        { "Collocazione", 522, 50 },
        { "Ditta", 573, 50 },
        { "Agente", 624, 50 },
        { "Recapito", 675, 30 },
        { "Documento", 706, 50 },
        { "Pagamento", 757, 50 },
        { "DataSca", 808, 10 },
        { "Note", 819, 250 },
        { "Prezzo", 1070, 12 },
        { "Pagato", 1083, 2 },
        { "File01", 1086, 250 },
        { "File02", 1337, 250 },
        { "File03", 1588, 250 },
        { "Desc01", 1839, 250 },
        { "Desc02", 2090, 250 },
        { "Desc03", 2341, 250 },
    } };
    return fields;
}

QString TSchedaProdotto::paidText(bool paid)
{
    return paid ? QStringLiteral("S\u00ec") : QStringLiteral("No");
}

void TSchedaProdotto::store(char *record) const
{
    for (int i = 0; i < FieldCount; ++i) {
        const FieldInfo &f = layout()[i];
        writeTextField(record + f.offset, f.width, values[i]);
    }
}

TSchedaProdotto TSchedaProdotto::load(const char *record)
{
    TSchedaProdotto card;
    for (int i = 0; i < FieldCount; ++i) {
        const FieldInfo &f = layout()[i];
        card.values[i] = readTextField(record + f.offset, f.width);
    }
    return card;
}

QString warehousePath()
{
    return programPath(QStringLiteral("Magazzino.pro"));
}

namespace {
// Writes one card over the bytes already in its slot, so the bytes after each text keep whatever
// the record held: a rewrite changes nothing but the texts.
void writeCard(ArchiveFile &file, qint64 index, const TSchedaProdotto &card)
{
    QByteArray record(TSchedaProdotto::RecordSize, '\0');
    if (index < file.count())
        file.read(index, record.data());
    card.store(record.data());
    file.write(index, record.constData());
}
} // namespace

qint64 WarehouseArchive::count()
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize, ArchiveFile::Access::Read);
    const qint64 n = file.count();
    file.close();
    return n;
}

TSchedaProdotto WarehouseArchive::read(qint64 n)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize, ArchiveFile::Access::Read);
    QByteArray record(TSchedaProdotto::RecordSize, '\0');
    file.read(n - 1, record.data());
    file.close();
    return TSchedaProdotto::load(record.constData());
}

void WarehouseArchive::overwrite(qint64 n, const TSchedaProdotto &card)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize);
    if (n < 1 || n > file.count())
        throw ArchiveError("record out of range");
    writeCard(file, n - 1, card);
    file.close();
}

qint64 WarehouseArchive::append(const TSchedaProdotto &card, qint64 *written)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize);
    const qint64 index = file.count();
    writeCard(file, index, card);
    if (written)
        *written = index + 1;
    file.close();
    return index + 1;
}

WarehouseArchive::Chosen WarehouseArchive::readChosen(const std::function<qint64(qint64)> &choose)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize, ArchiveFile::Access::Read);
    Chosen found;
    found.count = file.count();
    if (found.count > 0)
        found.number = choose(found.count);
    if (found.number > 0) {
        QByteArray record(TSchedaProdotto::RecordSize, '\0');
        file.read(found.number - 1, record.data());
        found.card = TSchedaProdotto::load(record.constData());
    }
    file.close();
    return found;
}

void WarehouseArchive::forEachRawImpl(const std::function<bool(qint64, const char *)> &visit)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize, ArchiveFile::Access::Read);
    constexpr qint64 Block = 256;
    std::vector<char> buffer(Block * TSchedaProdotto::RecordSize);
    qint64 index = 0;
    bool going = true;
    while (going) {
        const qint64 got = file.readMany(index, Block, buffer.data());
        for (qint64 i = 0; i < got && going; ++i)
            going = visit(index + i + 1, buffer.data() + i * TSchedaProdotto::RecordSize);
        index += got;
        if (got < Block)
            break;
        // A long pass (a count, a search, an export) never keeps the user's own save waiting.
        file.yieldToWriters();
    }
    file.close();
}

namespace WarehouseArchive {
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
    QByteArray record(TSchedaProdotto::RecordSize, '\0');
    m_file.read(n - 1, record.data());
    return TSchedaProdotto::load(record.constData());
}

void Batch::forEachRaw(const std::function<bool(qint64, const char *)> &visit) const
{
    constexpr qint64 Block = 256;
    std::vector<char> buffer(Block * TSchedaProdotto::RecordSize);
    qint64 index = 0;
    for (;;) {
        const qint64 got = m_file.readMany(index, Block, buffer.data());
        for (qint64 i = 0; i < got; ++i)
            if (!visit(index + i + 1, buffer.data() + i * TSchedaProdotto::RecordSize))
                return;
        index += got;
        if (got < Block)
            return;
    }
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
    constexpr qint64 Block = 256;
    QByteArray buffer(Block * TSchedaProdotto::RecordSize, '\0');
    for (qint64 index = 0; ok && index < m_before; index += Block) {
        const qint64 got = m_file.readMany(index, std::min(Block, m_before - index), buffer.data());
        ok = copy.write(QByteArray::fromRawData(buffer.constData(), got * TSchedaProdotto::RecordSize));
        if (got == 0)
            break;
    }
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
    writeCard(m_file, index, card);
    return index + 1;
}

void Batch::overwrite(qint64 n, const TSchedaProdotto &card)
{
    beforeWriting();
    if (n < 1 || n > m_file.count())
        throw ArchiveError("record out of range");
    if (n <= m_before)
        m_overwritten.push_back(n - 1);
    writeCard(m_file, n - 1, card);
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
