#pragma once

#include <QString>
#include <QStringList>

#include <memory>

/**
 * The files a product list is imported from, read one row at a time so a file of any size takes
 * little memory: delimited text (comma, semicolon, tab or bar; UTF-8 with or without byte-order mark,
 * or Windows-1252), workbooks (.xlsx) and the program's own Magazzino.xls (an HTML table).
 */
namespace ImportSource {
enum class Kind { Text, Workbook, Page };
enum class Encoding { Utf8, Windows1252 };

/** A row holds at most this many cells and a cell this many characters; the rest is dropped. */
constexpr int MaxColumns = 256;
constexpr int MaxCellChars = 4096;

/** How to read a file; detect() fills it in and the user may change the text choices. */
struct Format
{
    Kind kind = Kind::Text;
    QChar separator = QLatin1Char(';');
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    int sheet = 0; ///< workbooks: the sheet read, from 0
    QStringList sheets; ///< workbooks: every sheet name
    QString error; ///< set when the file cannot be read at all, in Italian
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
    virtual bool next(QStringList &cells) = 0;
    /** Bytes of the file read so far and in all, for progress. */
    virtual qint64 position() const = 0;
    virtual qint64 size() const = 0;
    QString error() const { return m_error; }

protected:
    QString m_error;
};

/** Opens the file as `format` says; on failure returns nothing and sets `error` (in Italian). */
std::unique_ptr<Reader> open(const QString &path, const Format &format, QString *error);

/** The name shown for an encoding and for a separator ("Punto e virgola" ...). */
QString encodingName(Encoding encoding);
QString separatorName(QChar separator);
} // namespace ImportSource
