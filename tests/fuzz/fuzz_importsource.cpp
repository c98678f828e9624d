// Any file handed to the import is read row by row within the row and cell bounds, and any row it
// gives becomes either a refusal or a card whose every field fits its width and its code page.
#include "storage/Codepage.h"
#include "tests/fuzz/RowBounds.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportSource.h"

#include <QTemporaryFile>

namespace {
void readAll(const QString &path, const ImportSource::Format &format)
{
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    if (!reader)
        return;
    ImportRules::Mapping mapping;
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
        mapping[size_t(i)] = i;
    QStringList cells;
    for (int rows = 0; rows < 10000 && reader->next(cells); ++rows) {
        trapRowPastBounds(cells);
        const ImportRules::Checked checked = ImportRules::checkRow(cells, mapping);
        if (checked.verdict != ImportRules::Checked::Verdict::Accepted)
            continue;
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
            const QString &text = checked.card.values[size_t(i)];
            if (text.size() > TSchedaProdotto::info(TSchedaProdotto::Field(i)).width || !fitsCp1252(text))
                __builtin_trap();
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QTemporaryFile file;
    if (!file.open())
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.flush();
    const ImportSource::Format detected = ImportSource::detect(file.fileName());
    readAll(file.fileName(), detected);
    // Read as every kind too, whatever the detection says.
    for (const auto kind : { ImportSource::Kind::Text, ImportSource::Kind::Page }) {
        ImportSource::Format forced = detected;
        forced.kind = kind;
        forced.separator = QLatin1Char(',');
        readAll(file.fileName(), forced);
    }
    return 0;
}
