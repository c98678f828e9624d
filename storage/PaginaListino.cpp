#include "storage/PaginaListino.h"

#include "storage/ArchiveFile.h"
#include "storage/TextField.h"

const std::array<TVoceListino::FieldInfo, TVoceListino::FieldCount> &TVoceListino::layout()
{
    static const std::array<FieldInfo, FieldCount> fields = { {
        { "Codice", 0, 25 },
        { "Nome", 26, 50 },
        { "UM", 77, 120 },
        { "Caratteristiche", 198, 250 },
        { "Prezzo", 449, 12 },
    } };
    return fields;
}

void TPaginaListino::store(char *record) const
{
    for (int s = 0; s < SlotCount; ++s)
        for (int f = 0; f < TVoceListino::FieldCount; ++f) {
            const auto &info = TVoceListino::layout()[f];
            writeTextField(record + s * TVoceListino::Size + info.offset, info.width, voci[s].values[f]);
        }
}

TPaginaListino TPaginaListino::load(const char *record)
{
    TPaginaListino page;
    for (int s = 0; s < SlotCount; ++s)
        for (int f = 0; f < TVoceListino::FieldCount; ++f) {
            const auto &info = TVoceListino::layout()[f];
            page.voci[s].values[f] = readTextField(record + s * TVoceListino::Size + info.offset, info.width);
        }
    return page;
}

qint64 PriceListFile::pageCount(const QString &path)
{
    ArchiveFile file(path, TPaginaListino::RecordSize, ArchiveFile::Access::Read);
    const qint64 n = file.count();
    file.close();
    return n;
}

TPaginaListino PriceListFile::read(const QString &path, qint64 page)
{
    ArchiveFile file(path, TPaginaListino::RecordSize, ArchiveFile::Access::Read);
    QByteArray record(TPaginaListino::RecordSize, '\0');
    file.read(page - 1, record.data());
    file.close();
    return TPaginaListino::load(record.constData());
}

qint64 PriceListFile::write(const QString &path, qint64 page, const TPaginaListino &content, qint64 *written)
{
    ArchiveFile file(path, TPaginaListino::RecordSize);
    const qint64 count = file.count();
    if (page < 1 || page > count + 1)
        throw ArchiveError("page out of range");
    QByteArray record(TPaginaListino::RecordSize, '\0');
    if (page <= count)
        file.read(page - 1, record.data());
    content.store(record.data());
    file.write(page - 1, record.constData());
    if (written)
        *written = page;
    file.close();
    return page;
}

qint64 PriceListFile::append(const QString &path, const TPaginaListino &content, qint64 *written)
{
    // The count is taken under the same lock as the write, so two appending programs get two pages.
    ArchiveFile file(path, TPaginaListino::RecordSize);
    const qint64 index = file.count();
    QByteArray record(TPaginaListino::RecordSize, '\0');
    content.store(record.data());
    file.write(index, record.constData());
    if (written)
        *written = index + 1;
    file.close();
    return index + 1;
}

PriceListFile::Chosen PriceListFile::readChosen(const QString &path, const std::function<qint64(qint64)> &choose)
{
    ArchiveFile file(path, TPaginaListino::RecordSize, ArchiveFile::Access::Read);
    Chosen found;
    found.count = file.count();
    if (found.count > 0)
        found.number = choose(found.count);
    if (found.number > 0) {
        QByteArray record(TPaginaListino::RecordSize, '\0');
        file.read(found.number - 1, record.data());
        found.page = TPaginaListino::load(record.constData());
    }
    file.close();
    return found;
}
