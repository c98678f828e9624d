#include "warehouse/rules/XlsReader.h"

#include "warehouse/rules/SheetPart.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <algorithm>

#include <freexl.h>

namespace ImportSource {
namespace {
const QByteArray kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QString damaged()
{
    return QStringLiteral("Il file .xls \u00e8 danneggiato e non si pu\u00f2 leggere. Aprirlo con il programma di "
                          "calcolo e salvarlo di nuovo, come .xlsx o .ods.");
}

QString locked()
{
    return QStringLiteral("Il file \u00e8 protetto da password e non si pu\u00f2 leggere. Aprirlo con il programma "
                          "di calcolo, togliere la password e salvarlo di nuovo, poi importare il file salvato.");
}

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
QString otherDocument(const QString &path)
{
    const struct
    {
        QByteArray name;
        QString refusal;
    } kinds[] = {
        { stored("EncryptedPackage"), locked() }, // an .xlsx (or .docx) saved with a password to open it
        { stored("WordDocument"),
            QStringLiteral("Il file \u00e8 un documento di Word (.doc), non un foglio di calcolo: non contiene un "
                           "elenco di prodotti da importare.") },
        { stored("PowerPoint Document"),
            QStringLiteral("Il file \u00e8 una presentazione di PowerPoint (.ppt), non un foglio di calcolo: non "
                           "contiene un elenco di prodotti da importare.") },
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray tail;
    for (qint64 read = 0; read < limits().partBytes && !file.atEnd();) {
        const QByteArray piece = file.read(1 << 20);
        if (piece.isEmpty())
            break;
        read += piece.size();
        const QByteArray window = tail + piece;
        for (const auto &kind : kinds)
            if (window.contains(kind.name))
                return kind.refusal;
        tail = window.right(64);
    }
    return QString();
}

// A workbook opened by FreeXL, closed with it.
class Book
{
public:
    explicit Book(const QString &path)
    {
        if (QFileInfo(path).size() > limits().partBytes) {
            refusal = QStringLiteral("La cartella di lavoro \u00e8 troppo grande: supera %1, il massimo ammesso.")
                          .arg(sizeText(limits().partBytes));
            return;
        }
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
        if (rc != FREEXL_OK) {
            handle = nullptr;
            refusal = damaged();
        } else if (!handle) {
            refusal = locked(); // FreeXL gives no workbook for one whose records are encrypted
        } else {
            unsigned int password = 0;
            if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
                && password == FREEXL_BIFF_OBFUSCATED)
                refusal = locked();
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
    QString refusal;
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

class OldWorkbookReader : public Reader
{
public:
    explicit OldWorkbookReader(const QString &path)
        : m_book(path)
        , m_size(QFileInfo(path).size())
    { }
    bool openSheet(int sheet, QString *error)
    {
        if (!m_book.refusal.isEmpty()) {
            *error = m_book.refusal;
            return false;
        }
        const QStringList sheets = m_book.sheets();
        if (sheet < 0 || sheet >= sheets.size()) {
            *error = QStringLiteral("Il foglio scelto non \u00e8 pi\u00f9 nel file.");
            return false;
        }
        if (freexl_select_active_worksheet(m_book.handle, static_cast<unsigned short>(sheet)) != FREEXL_OK
            || freexl_worksheet_dimensions(m_book.handle, &m_rows, &m_columns) != FREEXL_OK) {
            *error = damaged();
            return false;
        }
        m_name = sheets.at(sheet);
        return true;
    }

    bool read(QStringList &cells) override
    {
        for (;;) {
            if (m_blanksToGive > 0) {
                --m_blanksToGive;
                cells.clear();
                return true;
            }
            if (m_hasRow) {
                m_hasRow = false;
                cells = m_row;
                return true;
            }
            if (m_at >= m_rows) {
                if (!m_gaveAny)
                    m_error = emptySheet(m_name);
                return false;
            }
            if (!readRow(m_at++))
                return false;
            // Empty rows count only when a row with something follows, as in the other workbooks.
            if (m_row.isEmpty()) {
                ++m_blanks;
                continue;
            }
            m_blanksToGive = m_blanks;
            m_blanks = 0;
            m_hasRow = true;
            m_gaveAny = true;
        }
    }
    qint64 position() const override { return m_rows > 0 ? m_size * m_at / m_rows : 0; }
    qint64 size() const override { return m_size; }

private:
    bool readRow(unsigned int row)
    {
        m_row.clear();
        int blanks = 0;
        const int columns = std::min<int>(m_columns, MaxColumns);
        for (int column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(m_book.handle, row, static_cast<unsigned short>(column), &cell) != FREEXL_OK) {
                m_error = damaged();
                return false;
            }
            const QString text = cellText(cell);
            if (text.isEmpty()) {
                ++blanks;
                continue;
            }
            for (; blanks > 0; --blanks)
                m_row.append(QString());
            m_row.append(text);
        }
        return true;
    }

    Book m_book;
    qint64 m_size;
    QString m_name;
    unsigned int m_rows = 0;
    unsigned short m_columns = 0;
    unsigned int m_at = 0;
    QStringList m_row;
    bool m_hasRow = false;
    qint64 m_blanks = 0;
    qint64 m_blanksToGive = 0;
    bool m_gaveAny = false;
};
} // namespace

std::optional<Format> detectCompound(const QString &path, const QByteArray &head)
{
    if (!head.startsWith(kCompound))
        return std::nullopt;
    Format format;
    format.kind = Kind::OldWorkbook;
    Book book(path);
    format.error = book.refusal;
    // Other documents share the container: a workbook the library finds none in may be one of them.
    if (!book.handle && format.error == damaged()) {
        if (const QString other = otherDocument(path); !other.isEmpty())
            format.error = other;
    }
    if (format.error.isEmpty()) {
        format.sheets = book.sheets();
        if (format.sheets.isEmpty())
            format.error = QStringLiteral("La cartella di lavoro non contiene alcun foglio da importare.");
    }
    return format;
}

std::optional<Format> detectOtherSpreadsheet(const QByteArray &head)
{
    Format format;
    format.kind = Kind::OldWorkbook;
    // The first record of an Excel 2.x-4.0 sheet (BOF, 4 or 6 bytes long), saved before 1993.
    static const QByteArray starts[]
        = { QByteArray("\x09\x00\x04\x00", 4), QByteArray("\x09\x02\x06\x00", 4), QByteArray("\x09\x04\x06\x00", 4) };
    for (const QByteArray &start : starts) {
        if (head.startsWith(start)) {
            format.error = QStringLiteral("Il file \u00e8 un foglio di una versione di Excel anteriore al 1997 "
                                          "(Excel 2.x\u20134.0), un formato che il programma non legge. Salvare il "
                                          "file come .xlsx o .ods da Excel o da LibreOffice Calc e importare il "
                                          "file salvato.");
            return format;
        }
    }
    if (head.startsWith("%PDF")) {
        format.error = QStringLiteral("Il file \u00e8 un documento PDF, non un foglio di calcolo: non se ne possono "
                                      "importare i prodotti. Chiedere al fornitore l'elenco come .xlsx, .ods o .csv.");
        return format;
    }
    return std::nullopt;
}

std::unique_ptr<Reader> openOldWorkbook(const QString &path, const Format &format, QString *error)
{
    auto reader = std::make_unique<OldWorkbookReader>(path);
    QString why;
    if (reader->openSheet(format.sheet, &why))
        return reader;
    if (error)
        *error = why;
    return nullptr;
}
} // namespace ImportSource
