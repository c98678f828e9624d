#pragma once

#include "warehouse/rules/ImportError.h"

#include <QString>
#include <QStringList>

#include <memory>

/**
 * The files a product list is imported from, read one row at a time so a file of any size takes
 * little memory: delimited text (comma, semicolon, tab or bar; UTF-8 with or without byte-order mark,
 * or Windows-1252), workbooks (.xlsx, .xls 97-2003), OpenDocument spreadsheets (.ods, .fods) and the
 * program's own Magazzino.xls (an HTML table). Each kind
 * has its reader in a file of its own, listed in the table of formats in ImportSource.cpp.
 */
namespace ImportSource {
/** Delimited text, .xlsx, the program's HTML page, .ods/.fods, .xls 97-2003. */
enum class Kind { Text, Workbook, Page, OpenDocument, OldWorkbook };
enum class Encoding { Utf8, Windows1252 };

/** A row holds at most this many cells and a cell this many characters; the rest is dropped. */
constexpr int MaxColumns = 256;
constexpr int MaxCellChars = 4096;

/**
 * What a file may hold at most, so that choosing one never takes more than a little memory and a few
 * seconds. Past any of these the file is refused with a message naming the bound.
 */
struct Limits
{
    qint64 rows = 1 << 20; ///< rows of any file (a spreadsheet's own maximum)
    qint64 partBytes = qint64(256) << 20; ///< workbooks: one part, inflated
    qint64 workbookBytes = qint64(512) << 20; ///< workbooks: every part read, inflated
    qint64 sharedStrings = 1 << 20; ///< workbooks: texts in the shared table
    qint64 sharedChars = qint64(32) << 20; ///< workbooks: characters kept of them all
    qint64 markupBytes = 64 << 10; ///< workbooks: one tag with its attributes
};
/** The bounds in force. */
Limits limits();
/** Test seam: other bounds, to reach them with small files; limits() back with Limits(). */
void setLimits(const Limits &bounds);

/** How to read a file; detect() fills it in and the user may change the text choices. */
struct Format
{
    Kind kind = Kind::Text;
    QChar separator = QLatin1Char(';');
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    int sheet = 0; ///< workbooks: the sheet read, from 0
    QStringList sheets; ///< workbooks: every sheet name
    ImportError error; ///< set when the file cannot be read at all
};

/** Looks at the start of the file (the whole of a workbook's index) and guesses how to read it. */
Format detect(const QString &path);

/** Whether this build reads workbooks. */
bool readsWorkbooks();

/** A file opened for reading, row by row. */
class Reader
{
public:
    virtual ~Reader() = default;
    /** The next row's cells; false at the end or on failure (then error() says why). */
    bool next(QStringList &cells);
    /** Bytes of the file read so far and in all, for progress. */
    virtual qint64 position() const = 0;
    virtual qint64 size() const = 0;
    ImportError error() const { return m_error; }
    /**
     * Why the row next() just gave could not be read, its cells left empty (a quote never closed, a cell
     * pointing at a text that is not there); none for a row read whole. The rows after it are read.
     */
    ImportError rowError() const { return m_rowError; }

protected:
    virtual bool read(QStringList &cells) = 0;
    ImportError m_error;
    ImportError m_rowError;

private:
    qint64 m_rows = 0;
};

/** Opens the file as `format` says; on failure returns nothing and sets `error`. */
std::unique_ptr<Reader> open(const QString &path, const Format &format, ImportError *error);

/** The name shown for an encoding and for a separator ("Punto e virgola" ...). */
QString encodingName(Encoding encoding);
QString separatorName(QChar separator);
} // namespace ImportSource
