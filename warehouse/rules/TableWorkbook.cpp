#include "warehouse/rules/TableWorkbook.h"

#include "warehouse/rules/WorkbookWriter.h"

#ifdef VETRINOVA_XLSX
#include <xlsxwriter.h>
#endif

namespace TableWorkbook {
WriteResult write(
    const QString &path, const QString &sheetName, const QStringList &headers, qsizetype rows, const Cell &cell)
{
#ifdef VETRINOVA_XLSX
    return WorkbookWriter::writeBook(path, FileReplace::Place::ChosenByUser, [&](lxw_workbook *book) {
        lxw_worksheet *ws = workbook_add_worksheet(book, sheetName.toUtf8().constData());
        lxw_format *bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format *text = workbook_add_format(book);
        format_set_num_format(text, "@");
        bool ok = ws != nullptr;
        for (int c = 0; ok && c < headers.size(); ++c)
            ok = worksheet_write_string(ws, 0, lxw_col_t(c), headers[c].toUtf8().constData(), bold) == LXW_NO_ERROR;
        for (qsizetype r = 0; ok && r < rows; ++r) {
            for (int c = 0; ok && c < headers.size(); ++c) {
                const QVariant value = cell(r, c);
                const lxw_row_t row = lxw_row_t(r + 1);
                if (value.typeId() == QMetaType::Double)
                    ok = worksheet_write_number(ws, row, lxw_col_t(c), value.toDouble(), nullptr) == LXW_NO_ERROR;
                else if (!value.toString().isEmpty())
                    ok = worksheet_write_string(ws, row, lxw_col_t(c), value.toString().toUtf8().constData(), text)
                        == LXW_NO_ERROR;
            }
        }
        if (ws)
            worksheet_freeze_panes(ws, 1, 0);
        return ok;
    });
#else
    Q_UNUSED(path);
    Q_UNUSED(sheetName);
    Q_UNUSED(headers);
    Q_UNUSED(rows);
    Q_UNUSED(cell);
    return WriteError::WriteFailed;
#endif
}
} // namespace TableWorkbook
