#pragma once

#include "warehouse/rules/ImportSource.h"

#include <QIODevice>
#include <QString>

#include <memory>

typedef struct zip zip_t;
typedef struct zip_file zip_file_t;
class QDate;

/**
 * What the spreadsheet readers share: a part of a workbook read as a device within the bounds, and
 * the card's text forms of a cell's number, date, time and truth value.
 */
namespace ImportSource {
/**
 * One XML part of a spreadsheet as a device, read as it is inflated, within the bounds of a part and of
 * the whole file (counted in `inflated`), with overlong texts cut before the XML reader holds them:
 * a member of a ZIP file, or a flat file read the same way.
 */
class SheetPart : public QIODevice
{
public:
    /** The member `name` of an open ZIP file. */
    SheetPart(zip_t *zip, const QString &name, qint64 *inflated, qint64 partBytes);
    /** A whole flat file (its size is known, nothing is inflated). */
    SheetPart(const QString &path, qint64 *inflated, qint64 partBytes);
    ~SheetPart() override;
    SheetPart(const SheetPart &) = delete;
    SheetPart &operator=(const SheetPart &) = delete;

    bool isSequential() const override { return true; }
    qint64 done() const { return m_done; }
    qint64 total() const { return m_size; }
    /** Why the part was refused, when it was. */
    ImportError error() const { return m_error; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    bool checkBounds(qint64 part, qint64 whole);
    bool keep(char c);
    qint64 readRaw(char *data, qint64 maxSize);

    zip_file_t *m_file = nullptr;
    std::unique_ptr<QIODevice> m_plain;
    qint64 *m_inflated;
    qint64 m_partBytes;
    qint64 m_size = 0;
    qint64 m_done = 0;
    QByteArray m_raw;
    qsizetype m_at = 0;
    ImportError m_error;
    bool m_inTag = false;
    bool m_plainTag = false;
    char m_quote = 0;
    qint64 m_tagBytes = 0;
    qint64 m_textBytes = 0;
    bool m_entity = false;
    bool m_cut = false;
};

/**
 * A sheet's rows as the spreadsheet readers give them: an empty row between two with something is kept,
 * so the report numbers rows as the sheet does; the empty rows at the sheet's end are no rows at all;
 * a sheet with nothing in it is refused, naming it (sheetName).
 */
class SheetRows : public Reader
{
protected:
    /**
     * The next row of the sheet, with no empty cells at its end, and how many times it repeats; false
     * at the sheet's end, or on failure with m_error set.
     */
    virtual bool nextRow(QStringList &row, qint64 &times) = 0;
    bool read(QStringList &cells) final;

    QString sheetName;

private:
    QStringList m_row;
    qint64 m_blanks = 0;
    qint64 m_blanksToGive = 0;
    qint64 m_repeatsToGive = 0;
    bool m_gaveAny = false;
};

/**
 * A reader of type SheetReader, built on `path`, on its sheet `sheet`; nothing when that fails, the
 * reason in `error` (or `otherwise` when the reader gives none).
 */
template <class SheetReader>
std::unique_ptr<Reader> openSheetOf(const QString &path, int sheet, ImportError::Reason otherwise, ImportError *error)
{
    auto reader = std::make_unique<SheetReader>(path);
    if (reader->openSheet(sheet))
        return reader;
    if (error)
        *error = reader->error().failed() ? reader->error() : ImportError(otherwise);
    return nullptr;
}

/** A number as the card shows it: the shortest general form with a decimal comma. */
QString cellNumber(double value);
/**
 * A day as a workbook cell gives it: dd/mm/yyyy from 1 January 1900 to 9999, otherwise the day's number
 * in the workbook calendar, as a number cell with no date style reads.
 */
QString cellDate(const QDate &day);
/** A time of day, or a duration, as the fraction of a day the workbook stores. */
QString cellTime(double seconds);
/** A truth value: Sì or No. */
QString cellTruth(bool value);

/** The media type an OpenDocument spreadsheet declares (a template's adds "-template"). */
constexpr char OpenDocumentSpreadsheet[] = "application/vnd.oasis.opendocument.spreadsheet";

/** What a ZIP file holds, from the names of its members and its mimetype member. */
struct ZipContents
{
    bool opened = false; ///< the ZIP's directory could be read
    QByteArray mimeType; ///< the mimetype member, trimmed; empty when there is none
    bool content = false; ///< content.xml, an OpenDocument file's
    bool workbook = false; ///< [Content_Types].xml or xl/workbook.xml, an .xlsx's
    bool binaryWorkbook = false; ///< xl/workbook.bin, an .xlsb's
    bool word = false; ///< word/document.xml
    bool slides = false; ///< ppt/presentation.xml
    bool numbers = false; ///< Index/Document.iwa or Index.zip, a Numbers file's

    /** Whether it is an OpenDocument spreadsheet: says so, or has the content and no workbook. */
    bool isSpreadsheet() const;
};
ZipContents zipContents(const QString &path);

} // namespace ImportSource
