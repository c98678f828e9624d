#include "warehouse/rules/WorkbookWriter.h"

#include "storage/FieldRules.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#ifdef VETRINOVA_XLSX
#include <xlsxwriter.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <locale.h>
#include <vector>
#endif

namespace {
#ifdef VETRINOVA_XLSX
using S = TSchedaProdotto;

enum class Kind { Text, Money, Quantity, Date };

Kind kindOf(S::Field field)
{
    switch (field) {
    case S::Costo:
    case S::Prezzo:
        return Kind::Money;
    case S::Giacenza:
    case S::Avviso:
        return Kind::Quantity;
    case S::DataSca:
        return Kind::Date;
    default:
        return Kind::Text;
    }
}

// Widths in characters, as the spreadsheet measures them: room for the longest text, within reason.
constexpr int kMinWidth = 6;
constexpr int kMaxWidth = 60;

std::vector<int> fittedWidths(const WarehouseSheet &sheet, const QStringList &headers)
{
    std::vector<int> widths(WarehouseSheet::ColumnCount, kMinWidth);
    for (int c = 0; c < WarehouseSheet::ColumnCount; ++c)
        widths[c] = std::max<int>(widths[c], headers.value(c).size());
    for (qsizetype r = 0; r < sheet.rowCount(); ++r) {
        for (int c = 0; c < WarehouseSheet::ColumnCount; ++c) {
            if (widths[c] >= kMaxWidth)
                continue;
            const auto stored = sheet.storedBytes(r, c);
            // Stored cells are single-byte Windows-1252, so their byte count is their length.
            const qsizetype length = stored ? stored->size() : sheet.text(r, c).size();
            widths[c] = std::max<int>(widths[c], int(std::min<qsizetype>(length, kMaxWidth)));
        }
    }
    for (int &w : widths)
        w = std::min(w + 2, kMaxWidth);
    return widths;
}

// The program's dates, day first; anything else, and a day the spreadsheet's calendar (from 1900)
// cannot hold, stays text.
QDate programDate(const QString &text)
{
    const QDate day = readDate(text);
    return day.isValid() && day.year() >= 1900 ? day : QDate();
}

/**
 * The photo as a small JPEG, or nothing for a missing or unreadable one. A palette or grey picture is
 * turned into colour first, on white where it is transparent, so it keeps the colours the card shows.
 */
QByteArray thumbnail(const QImage &photo)
{
    if (photo.isNull())
        return {};
    QImage colour(photo.size(), QImage::Format_RGB32);
    colour.fill(Qt::white);
    {
        QPainter painter(&colour);
        painter.drawImage(0, 0, photo);
    }
    const QImage small = colour.scaled(
        WorkbookWriter::ThumbnailWidth, WorkbookWriter::ThumbnailHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!small.save(&buffer, "JPG", 85))
        return {};
    return bytes;
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/**
 * A text as the workbook stores it, in UTF-8: a spreadsheet reads _xHHHH_ as the character HHHH, so a
 * text that holds those letters keeps them with its "_" written _x005F_; control characters, which XML
 * cannot hold, are written _xHHHH_ too (tab and line breaks stay as they are).
 */
QByteArray workbookText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        if (c == '_' && i + 6 < utf8.size() && utf8.at(i + 1) == 'x' && isHex(utf8.at(i + 2)) && isHex(utf8.at(i + 3))
            && isHex(utf8.at(i + 4)) && isHex(utf8.at(i + 5)) && utf8.at(i + 6) == '_')
            out += "_x005F_";
        else if ((uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
            out += QByteArray("_x00") + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper() + '_';
        else
            out += c;
    }
    return out;
}

bool fillWorkbook(lxw_workbook *book, const WarehouseSheet &sheet, const QStringList &headers,
    const std::function<QImage(qsizetype)> &photo, const WorkbookWriter::Progress &progress)
{
    const lxw_col_t first = photo ? 1 : 0; // the photo column comes first
    lxw_worksheet *ws = workbook_add_worksheet(book, "Magazzino");
    if (!ws)
        return false;
    lxw_format *header = workbook_add_format(book);
    format_set_bold(header);
    lxw_format *text = workbook_add_format(book);
    format_set_num_format(text, "@"); // typing into the cell later keeps it text too
    // Format codes are stored in the file's neutral form; an Italian spreadsheet shows #.##0,00.
    lxw_format *money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    lxw_format *quantity = workbook_add_format(book);
    format_set_num_format(quantity, "General");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "dd/mm/yyyy");

    const std::vector<int> widths = fittedWidths(sheet, headers);
    for (int c = 0; c < WarehouseSheet::ColumnCount; ++c)
        worksheet_set_column(ws, first + lxw_col_t(c), first + lxw_col_t(c), widths[size_t(c)], nullptr);
    if (photo)
        worksheet_set_column(ws, 0, 0, 12.5, nullptr); // 12.5 characters are about 92 pixels
    worksheet_freeze_panes(ws, 1, 0);
    worksheet_autofilter(
        ws, 0, 0, lxw_row_t(std::max<qsizetype>(sheet.rowCount(), 1)), first + WarehouseSheet::ColumnCount - 1);

    // The pictures' anchors are worked out when the workbook is closed, when the rows written are gone
    // from memory: the rows' default height is the photo rows' own, so each picture is placed in its
    // own row at its own size. The header row keeps about the usual height (the library writes no
    // height equal to its own default, 15 points).
    const double photoRowPoints = (WorkbookWriter::ThumbnailHeight + 6) * 0.75;
    if (photo) {
        worksheet_set_default_row(ws, photoRowPoints, LXW_FALSE);
        worksheet_set_row(ws, 0, 15.75, nullptr);
    }
    if (photo && worksheet_write_string(ws, 0, 0, "Foto", header) != LXW_NO_ERROR)
        return false;
    for (int c = 0; c < WarehouseSheet::ColumnCount; ++c) {
        if (worksheet_write_string(ws, 0, first + lxw_col_t(c), workbookText(headers.value(c)).constData(), header)
            != LXW_NO_ERROR)
            return false;
    }
    const auto &fields = WarehouseSheet::fields();
    // A row with a photo takes a photo's decoding; plain rows are told in bunches.
    const qsizetype every = photo ? 10 : 1000;
    for (qsizetype r = 0; r < sheet.rowCount(); ++r) {
        if (progress && r % every == 0 && !progress(r, sheet.rowCount()))
            return false;
        const lxw_row_t row = lxw_row_t(r + 1);
        if (photo) {
            // Points: the thumbnail's height in pixels at 96 dpi, plus a small margin.
            worksheet_set_row(ws, row, photoRowPoints, nullptr);
            const QByteArray jpeg = r < sheet.filledCount() ? thumbnail(photo(r)) : QByteArray();
            if (!jpeg.isEmpty()) {
                lxw_image_options where = {};
                where.x_offset = 4;
                where.y_offset = 3;
                // The library copies the bytes, so the buffer can go once this returns.
                if (worksheet_insert_image_buffer_opt(ws, row, 0,
                        reinterpret_cast<const unsigned char *>(jpeg.constData()), size_t(jpeg.size()), &where)
                    != LXW_NO_ERROR)
                    return false;
            }
        }
        for (int c = 0; c < WarehouseSheet::ColumnCount; ++c) {
            const QString value = sheet.text(r, c);
            if (value.isEmpty())
                continue;
            const lxw_col_t col = first + lxw_col_t(c);
            lxw_error result = LXW_NO_ERROR;
            const Kind kind = kindOf(fields[size_t(c)]);
            std::optional<double> number;
            QDate day;
            if ((kind == Kind::Money || kind == Kind::Quantity) && (number = parseDecimal(value))) {
                result = worksheet_write_number(ws, row, col, *number, kind == Kind::Money ? money : quantity);
            } else if (kind == Kind::Date && (day = programDate(value)).isValid()) {
                lxw_datetime when = { day.year(), day.month(), day.day(), 0, 0, 0 };
                result = worksheet_write_datetime(ws, row, col, &when, date);
            } else {
                // Always a string, never a formula: "=1+1" or "007" arrive as typed.
                result = worksheet_write_string(ws, row, col, workbookText(value).constData(), text);
            }
            if (result != LXW_NO_ERROR)
                return false;
        }
    }
    return true;
}

/**
 * The library prints numbers with the C library, which follows the user's locale: under Italian
 * settings 12.5 would be stored as "12,5" and read back as 12. The C rules hold for this thread while
 * the workbook is written.
 */
class CNumbersOnThisThread
{
public:
    CNumbersOnThisThread()
        : m_c(newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE)))
    {
        if (m_c)
            m_previous = uselocale(m_c);
    }
    ~CNumbersOnThisThread()
    {
        if (m_c) {
            uselocale(m_previous);
            freelocale(m_c);
        }
    }
    CNumbersOnThisThread(const CNumbersOnThisThread &) = delete;
    CNumbersOnThisThread &operator=(const CNumbersOnThisThread &) = delete;

private:
    locale_t m_c;
    locale_t m_previous = nullptr;
};

#endif
} // namespace

namespace WorkbookWriter {
bool available()
{
#ifdef VETRINOVA_XLSX
    return true;
#else
    return false;
#endif
}

QString exportPath()
{
    return programPath(QStringLiteral("Magazzino.xlsx"));
}

WriteResult writeBook(const QString &path, FileReplace::Place place, const std::function<bool(lxw_workbook *)> &fill)
{
#ifdef VETRINOVA_XLSX
    // The library writes to a name: it gets the writer's exclusive temporary, never a fixed name
    // that another copy of the program, or a planted link, could share.
    FileReplace file(path, place);
    if (!file.open())
        return file.error();
    const QByteArray temporaryName = QFile::encodeName(file.temporaryPath());
    const CNumbersOnThisThread cNumbers;
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE; // rows go straight to disk, so a big workbook stays small in memory
    options.use_zip64 = LXW_TRUE; // a large warehouse must not hit the plain ZIP limits
    lxw_workbook *book = workbook_new_opt(temporaryName.constData(), &options);
    if (!book) {
        file.cancel();
        return WriteError::WriteFailed;
    }
    const bool filled = fill(book);
    // workbook_close frees the workbook whatever happens, so it is called on every path.
    const lxw_error closed = workbook_close(book);
    if (!filled || closed != LXW_NO_ERROR) {
        file.cancel();
        return WriteError::WriteFailed;
    }
    if (!file.commit())
        return file.error();
    return WriteError::None;
#else
    Q_UNUSED(path);
    Q_UNUSED(place);
    Q_UNUSED(fill);
    return WriteError::WriteFailed;
#endif
}

WriteResult write(const QString &path, const WarehouseSheet &sheet, const QStringList &headers,
    const std::function<QImage(qsizetype row)> &photo, const Progress &progress)
{
#ifdef VETRINOVA_XLSX
    return writeBook(path, FileReplace::Place::ProgramFolder,
        [&](lxw_workbook *book) { return fillWorkbook(book, sheet, headers, photo, progress); });
#else
    Q_UNUSED(path);
    Q_UNUSED(sheet);
    Q_UNUSED(headers);
    Q_UNUSED(photo);
    Q_UNUSED(progress);
    return WriteError::WriteFailed;
#endif
}
} // namespace WorkbookWriter
