// An OpenDocument spreadsheet, zipped or flat, or an Excel 97-2003 workbook, whatever its bytes, is read row by row
// within the row and cell bounds, every sheet it offers, or refused with a reason; it never crashes or reads for ever.
#include "tests/fuzz/RowBounds.h"
#include "warehouse/rules/ImportSource.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {
void readAll(const QString &path, ImportSource::Format format)
{
    ImportError error;
    const auto reader = ImportSource::open(path, format, &error);
    if (!reader) {
        if (!error.failed())
            __builtin_trap();
        return;
    }
    QStringList cells;
    for (int rows = 0; rows < 10000 && reader->next(cells); ++rows) {
        trapRowPastBounds(cells);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/foglio");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    ImportSource::Limits bounds;
    bounds.rows = 5000; // enough for the seeds, small enough for a quick run
    ImportSource::setLimits(bounds);
    ImportSource::Format format = ImportSource::detect(path);
    for (int sheet = 0; sheet < std::min<int>(int(format.sheets.size()), 4); ++sheet) {
        format.sheet = sheet;
        readAll(path, format);
    }
    // Read as these kinds too, whatever the detection says.
    for (const auto kind : { ImportSource::Kind::OpenDocument, ImportSource::Kind::OldWorkbook }) {
        ImportSource::Format forced;
        forced.kind = kind;
        readAll(path, forced);
    }
    return 0;
}
