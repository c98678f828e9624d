#include "storage/PaginaListino.h"

#include "storage/RecordFile.h"
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

namespace {
using Pages = RecordFile<TPaginaListino>;
} // namespace

qint64 PriceListFile::pageCount(const QString &path)
{
    return Pages::count(path);
}

TPaginaListino PriceListFile::read(const QString &path, qint64 page)
{
    return Pages::read(path, page);
}

qint64 PriceListFile::write(const QString &path, qint64 page, const TPaginaListino &content, qint64 *written)
{
    return Pages::write(path, page, content, written);
}

qint64 PriceListFile::append(const QString &path, const TPaginaListino &content, qint64 *written)
{
    return Pages::append(path, content, written);
}

PriceListFile::Chosen PriceListFile::readChosen(const QString &path, const std::function<qint64(qint64)> &choose)
{
    const Pages::Chosen found = Pages::readChosen(path, choose);
    return { found.count, found.number, found.record };
}
