// The export writer takes any cards and any grid edits and never lets a text open or close markup.
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QString>

#include <vector>

namespace {
// No < > or " of a text reaches the file, and every & starts an entity.
bool escaped(const QByteArray &cell)
{
    if (cell.contains('<') || cell.contains('>') || cell.contains('"'))
        return false;
    for (qsizetype i = cell.indexOf('&'); i >= 0; i = cell.indexOf('&', i + 1)) {
        const qsizetype end = cell.indexOf(';', i);
        if (end < 0 || end - i > 9)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const QString text = QString::fromUtf8(bytes, qsizetype(size));
    if (!escaped(ExportWriter::cellText(text)))
        __builtin_trap();

    // Whole records from the input, the last one padded; then the text as an edit of one cell.
    WarehouseSheet sheet;
    std::vector<char> record(TSchedaProdotto::RecordSize, '\0');
    for (size_t at = 0; at < size; at += record.size()) {
        const size_t n = std::min(record.size(), size - at);
        std::fill(record.begin(), record.end(), '\0');
        std::copy(bytes + at, bytes + at + n, record.begin());
        sheet.appendRecord(record.data());
    }
    sheet.setRowCount(sheet.filledCount() + 1);
    const int column = size ? data[0] % WarehouseSheet::ColumnCount : 0;
    sheet.setText(sheet.rowCount() - 1, column, text);
    const QByteArray file = ExportWriter::build(sheet);
    if (!file.startsWith("<html") || !file.endsWith("</html>"))
        __builtin_trap();
    // One row per sheet row after the header row, whatever the texts hold.
    if (file.count("<tr>") != sheet.rowCount() + 1)
        __builtin_trap();
    return 0;
}
