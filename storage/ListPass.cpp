#include "storage/ListPass.h"

#include "storage/ArchiveFile.h"
#include "storage/FileReplace.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

// Many pages of one price list changed in one locked pass, backed up first and undone when one fails.

namespace PriceListFile {
namespace {
constexpr int Size = TPaginaListino::RecordSize;
} // namespace

PageBatch::PageBatch(ArchiveFile &file, const QString &path, const QString &backupPath)
    : m_file(file)
    , m_path(path)
    , m_backupPath(backupPath)
    , m_before(file.count())
{ }

qint64 PageBatch::count() const
{
    return m_file.count();
}

QByteArray PageBatch::readRaw(qint64 page) const
{
    QByteArray bytes(Size, '\0');
    m_file.read(page - 1, bytes.data());
    return bytes;
}

void PageBatch::writeRaw(qint64 page, const QByteArray &bytes)
{
    if (bytes.size() != Size || page < 1 || page > m_file.count())
        throw ArchiveError("page out of range");
    beforeWriting();
    m_overwritten.push_back(page - 1);
    m_file.write(page - 1, bytes.constData());
}

FileMark PageBatch::mark() const
{
    FileMark mark;
    mark.add(m_file.readAll());
    return mark;
}

// The copy is made from the locked file, so it is exactly what the pass starts from, and the journal
// naming it is on the disk before the list changes.
void PageBatch::beforeWriting()
{
    if (m_backedUp)
        return;
    if (!FileReplace::replace(m_backupPath, m_file.readAll()))
        throw ArchiveError("backup: the copy of the list could not be written");
    const QStringList record = { QFileInfo(m_path).fileName(), QFileInfo(m_backupPath).fileName(),
        QString::number(QFileInfo(m_backupPath).size()) };
    if (!m_journal.begin(Journal::Kind::List, record))
        throw ArchiveError("journal: the record of the list update could not be written");
    m_backedUp = true;
}

void PageBatch::rollBack()
{
    if (!m_backedUp)
        return;
    QFile copy(m_backupPath);
    if (!copy.open(QIODevice::ReadOnly))
        throw ArchiveError("roll-back: the copy of the list cannot be read");
    const QByteArray before = copy.readAll();
    for (const qint64 index : m_overwritten) {
        if ((index + 1) * Size > before.size())
            throw ArchiveError("roll-back: the copy of the list is short");
        m_file.write(index, before.constData() + index * Size);
    }
}

void inOnePass(const QString &path, const QString &backupPath, const std::function<void(PageBatch &)> &work)
{
    ArchiveFile file(path, Size);
    PageBatch batch(file, path, backupPath);
    try {
        work(batch);
        file.flush();
    } catch (...) {
        // The list goes back as the pass found it; when even that fails, the copy and the journal are
        // there for the next start, and the first failure is the one reported.
        try {
            batch.rollBack();
            file.flush();
            batch.m_journal.finish();
        } catch (...) { }
        try {
            file.close();
        } catch (...) { }
        throw;
    }
    try {
        file.close();
    } catch (const ArchiveError &) { }
    batch.m_journal.finish();
}

bool undoInterruptedPass(const QStringList &lines)
{
    bool ok = false;
    const qint64 size = lines.value(2).toLongLong(&ok);
    const QString list = lines.value(0);
    const QString backup = lines.value(1);
    if (!ok || size < 0 || !isPlainFileName(list) || !isPlainFileName(backup))
        return false;
    QFile copy(programPath(backup));
    if (!copy.open(QIODevice::ReadOnly) || copy.size() != size)
        return false;
    const QByteArray before = copy.readAll();
    try {
        ArchiveFile file(programPath(list), Size);
        QByteArray now(Size, '\0');
        // Only the pages that differ are written back: the pass only overwrites.
        for (qint64 index = 0; (index + 1) * Size <= before.size(); ++index) {
            if (index < file.count()) {
                file.read(index, now.data());
                if (now == QByteArrayView(before.constData() + index * Size, Size))
                    continue;
            }
            file.write(index, before.constData() + index * Size);
        }
        file.truncate(before.size() / Size, before.mid(before.size() / Size * Size));
        file.close();
    } catch (const ArchiveError &) {
        return false;
    }
    return true;
}
} // namespace PriceListFile
