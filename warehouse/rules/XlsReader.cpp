#include "warehouse/rules/ImportSourceParts.h"
#include "warehouse/rules/SheetPart.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <algorithm>

#include <freexl.h>

// Excel 97-2003 workbooks (.xls, BIFF8, and BIFF5 as the library reads them), read through FreeXL: every
// sheet offered, numbers and dates as the card shows them. Known by their content (the compound-file
// signature), not by the name: the program's own Magazzino.xls is an HTML page.
namespace ImportSource {
namespace {
const QByteArray kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// A name of the compound file's directory as it is stored (UTF-16, little-endian).
QByteArray stored(const char *name)
{
    QByteArray wide;
    for (const char *c = name; *c; ++c)
        wide += QByteArray(1, *c) + QByteArray(1, '\0');
    return wide;
}

// Which of the other documents sharing the container this is, from its directory's names (read in
// pieces: the directory may lie anywhere in the file); empty when none.
ImportError otherDocument(const QString &path)
{
    const struct
    {
        QByteArray name;
        ImportError::Reason reason;
    } kinds[] = {
        // an .xlsx (or .docx) saved with a password to open it
        { stored("EncryptedPackage"), ImportError::Reason::PasswordProtected },
        { stored("WordDocument"), ImportError::Reason::OldWordDocument },
        { stored("PowerPoint Document"), ImportError::Reason::OldPowerPointPresentation },
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImportError();
    QByteArray tail;
    for (qint64 read = 0; read < limits().partBytes && !file.atEnd();) {
        const QByteArray piece = file.read(1 << 20);
        if (piece.isEmpty())
            break;
        read += piece.size();
        const QByteArray window = tail + piece;
        for (const auto &kind : kinds)
            if (window.contains(kind.name))
                return kind.reason;
        tail = window.right(64);
    }
    return ImportError();
}

// A workbook opened by FreeXL, closed with it.
class Book
{
public:
    explicit Book(const QString &path)
    {
        if (QFileInfo(path).size() > limits().partBytes) {
            error = ImportError(ImportError::Reason::OldWorkbookTooLarge, limits().partBytes);
            return;
        }
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
        if (rc != FREEXL_OK) {
            handle = nullptr;
            error = ImportError::Reason::OldWorkbookDamaged;
        } else if (!handle) {
            error = ImportError::Reason::PasswordProtected; // FreeXL gives no workbook for one whose records are
                                                            // encrypted
        } else {
            unsigned int password = 0;
            if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
                && password == FREEXL_BIFF_OBFUSCATED)
                error = ImportError::Reason::PasswordProtected;
        }
    }
    ~Book()
    {
        if (handle)
            freexl_close(handle);
    }
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;

    QStringList sheets() const
    {
        QStringList out;
        unsigned int count = 0;
        if (!handle || freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
            return out;
        for (unsigned int i = 0; i < count && i < 65536; ++i) {
            const char *name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
                break;
            out.append(QString::fromUtf8(name).left(MaxCellChars));
        }
        return out;
    }

    const void *handle = nullptr;
    ImportError error;
};

// A cell in the card's text form.
QString cellText(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return cellNumber(double(cell.value.int_value));
    case FREEXL_CELL_DOUBLE:
        return cellNumber(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value).left(MaxCellChars) : QString();
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: {
        const QString text = QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "");
        const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
        return day.isValid() ? cellDate(day) : text.left(MaxCellChars);
    }
    case FREEXL_CELL_TIME: {
        const QString text = QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "");
        const QTime time = QTime::fromString(text.left(8), Qt::ISODate);
        return time.isValid() ? cellTime(time.msecsSinceStartOfDay() / 1000.0) : text.left(MaxCellChars);
    }
    default:
        return QString();
    }
}

class OldWorkbookReader : public SheetRows
{
public:
    explicit OldWorkbookReader(const QString &path)
        : m_book(path)
        , m_size(QFileInfo(path).size())
    { }
    bool openSheet(int sheet)
    {
        if (m_book.error.failed()) {
            m_error = m_book.error;
            return false;
        }
        const QStringList sheets = m_book.sheets();
        if (sheet < 0 || sheet >= sheets.size()) {
            m_error = ImportError::Reason::SheetGone;
            return false;
        }
        if (freexl_select_active_worksheet(m_book.handle, static_cast<unsigned short>(sheet)) != FREEXL_OK
            || freexl_worksheet_dimensions(m_book.handle, &m_rows, &m_columns) != FREEXL_OK) {
            m_error = ImportError::Reason::OldWorkbookDamaged;
            return false;
        }
        sheetName = sheets.at(sheet);
        return true;
    }

    qint64 position() const override { return m_rows > 0 ? m_size * m_at / m_rows : 0; }
    qint64 size() const override { return m_size; }

private:
    bool nextRow(QStringList &cells, qint64 &) override
    {
        cells.clear();
        if (m_at >= m_rows)
            return false;
        const unsigned int row = m_at++;
        int blanks = 0;
        const int columns = std::min<int>(m_columns, MaxColumns);
        for (int column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(m_book.handle, row, static_cast<unsigned short>(column), &cell) != FREEXL_OK) {
                m_error = ImportError::Reason::OldWorkbookDamaged;
                return false;
            }
            const QString text = cellText(cell);
            if (text.isEmpty()) {
                ++blanks;
                continue;
            }
            for (; blanks > 0; --blanks)
                cells.append(QString());
            cells.append(text);
        }
        return true;
    }

    Book m_book;
    qint64 m_size;
    unsigned int m_rows = 0;
    unsigned short m_columns = 0;
    unsigned int m_at = 0;
};
} // namespace

bool isCompound(const QString &, const QByteArray &head)
{
    return head.startsWith(kCompound);
}

void describeOldWorkbook(const QString &path, Format &format)
{
    Book book(path);
    format.error = book.error;
    // Other documents share the container: a workbook the library finds none in may be one of them.
    if (!book.handle && format.error.reason() == ImportError::Reason::OldWorkbookDamaged) {
        if (const ImportError other = otherDocument(path); other.failed())
            format.error = other;
    }
    if (!format.error.failed()) {
        format.sheets = book.sheets();
        if (format.sheets.isEmpty())
            format.error = ImportError::Reason::OldWorkbookNoSheets;
    }
}

std::unique_ptr<Reader> openOldWorkbook(const QString &path, const Format &format, ImportError *error)
{
    return openSheetOf<OldWorkbookReader>(path, format.sheet, ImportError::Reason::OldWorkbookDamaged, error);
}
} // namespace ImportSource
