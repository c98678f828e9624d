#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportSourceParts.h"
#include "warehouse/rules/SheetPart.h"

#include "storage/FieldRules.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>

#ifdef VETRINOVA_XLSX_READ
#include <zip.h>
#endif

// Workbooks (.xlsx): a ZIP of XML parts, each read as it is inflated, within bounds.
namespace ImportSource {
namespace {
#ifdef VETRINOVA_XLSX_READ
// A cell reference's column letters as an index from 0: "B7" -> 1.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference.at(i).isLetter(); ++i) {
        column = column * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
        if (column > MaxColumns)
            return MaxColumns;
    }
    return i == 0 ? -1 : column - 1;
}

// The built-in number formats that show dates, and a format code that shows one.
bool isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47))
        return id < 18 || id > 21; // 18-21 show times of day only
    if (code.isEmpty())
        return false;
    QString plain;
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char('['))
            i = code.indexOf(QLatin1Char(']'), i) < 0 ? code.size() : code.indexOf(QLatin1Char(']'), i);
        else if (c == QLatin1Char('\\'))
            ++i;
        else if (!quoted)
            plain += c.toLower();
    }
    return plain.contains(QLatin1Char('d')) || plain.contains(QLatin1Char('y'));
}

// The day a serial number of the workbook calendar stands for. The calendar counts a 29 February 1900
// that never was (serial 60, left a number); the days before it count from 31 December 1899.
QDate serialDay(double number)
{
    const qint64 serial = qint64(number);
    if (serial < 1 || serial >= 2958466 || serial == 60) // from 1900 to 9999
        return QDate();
    return serial < 60 ? QDate(1899, 12, 31).addDays(serial) : QDate(1899, 12, 30).addDays(serial);
}

QString numberText(const QString &value, bool date)
{
    bool ok = false;
    const double number = QLocale::c().toDouble(value, &ok);
    if (!ok)
        return value;
    if (date)
        if (const QDate day = serialDay(number); day.isValid())
            return formatDate(day);
    return generalForm(number);
}

bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// A workbook's text stores a character XML cannot hold (a control character) as _xHHHH_, and a text
// that itself reads so with its first "_" as _x005F_.
QString unescaped(const QString &text)
{
    qsizetype at = text.indexOf(QLatin1String("_x"));
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(QLatin1String("_x"), at)) {
        if (at + 7 <= text.size() && text.at(at + 6) == QLatin1Char('_') && isHex(text.at(at + 2))
            && isHex(text.at(at + 3)) && isHex(text.at(at + 4)) && isHex(text.at(at + 5))) {
            out += QStringView(text).mid(from, at - from);
            out += QChar(char16_t(QStringView(text).mid(at + 2, 4).toUInt(nullptr, 16)));
            at += 7;
            from = at;
        } else {
            at += 2;
        }
    }
    out += QStringView(text).mid(from);
    return out;
}

// A shared text's index as a cell gives it: digits only, within the table.
qint64 sharedIndex(const QString &value, qsizetype count)
{
    if (value.isEmpty() || value.size() > 10)
        return -1;
    for (const QChar c : value)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    const qint64 index = value.toLongLong();
    return index < count ? index : -1;
}

// A part's name resolved against the folder of the part that names it ("xl/"), "../" and "./" followed.
QString partName(const QString &folder, const QString &target)
{
    QString path = target;
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    else
        path.prepend(folder);
    QStringList out;
    for (const QString &piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String(".."))
            out.removeLast();
        else if (piece != QLatin1String("."))
            out.append(piece);
    }
    return out.join(QLatin1Char('/'));
}

QString folderOf(const QString &part)
{
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// A relationship's kind, the last word of its type ("worksheet", "sharedStrings", "officeDocument").
QString relationKind(QStringView type)
{
    return type.mid(type.lastIndexOf(QLatin1Char('/')) + 1).toString().toLower();
}

// The text of an element with runs (<si>, <is>): every <t> inside it but the phonetic guides, cut
// to a cell's length as it is read.
QString runText(QXmlStreamReader &xml)
{
    const QString end = xml.name().toString();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += unescaped(xml.readElementText(QXmlStreamReader::IncludeChildElements))
                            .left(MaxCellChars - text.size());
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

class Workbook
{
public:
    explicit Workbook(const QString &path)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    }
    ~Workbook()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    /**
     * Finds the workbook, its sheets, shared texts and styles by the relationships the file declares,
     * names compared without case; a file without them is read by the usual names.
     */
    bool open()
    {
        if (!m_zip)
            return false;
        QString bookPart = QStringLiteral("xl/workbook.xml");
        for (const Relation &r : relations(QStringLiteral("_rels/.rels"), QString()))
            if (r.kind == QLatin1String("officedocument")) {
                bookPart = r.target;
                break;
            }
        const QByteArray book = entry(bookPart);
        if (book.isEmpty())
            return false;
        const QString folder = folderOf(bookPart);
        QHash<QString, QString> targets;
        sharedStrings = folder + QStringLiteral("sharedStrings.xml");
        styles = folder + QStringLiteral("styles.xml");
        const QString bookRelations
            = folder + QStringLiteral("_rels/") + bookPart.mid(folder.size()) + QStringLiteral(".rels");
        for (const Relation &r : relations(bookRelations, folder)) {
            targets.insert(r.id, r.target);
            if (r.kind == QLatin1String("sharedstrings"))
                sharedStrings = r.target;
            else if (r.kind == QLatin1String("styles"))
                styles = r.target;
        }
        QXmlStreamReader xml(book);
        while (!xml.atEnd()) {
            xml.readNext();
            if (refusedDocumentType(xml))
                return false;
            if (xml.isStartElement() && xml.name() == QLatin1String("sheet")) {
                QString id;
                for (const QXmlStreamAttribute &a : xml.attributes())
                    if (a.name() == QLatin1String("id"))
                        id = a.value().toString();
                names.append(xml.attributes().value(QLatin1String("name")).toString().left(MaxCellChars));
                parts.append(targets.value(id, folder + QStringLiteral("worksheets/sheet%1.xml").arg(names.size())));
            }
        }
        return !names.isEmpty() && !error.failed();
    }
    /** Whether the reader met a document type declaration, which refuses the file (error set). */
    bool refusedDocumentType(const QXmlStreamReader &xml)
    {
        if (xml.tokenType() != QXmlStreamReader::DTD)
            return false;
        if (!error.failed())
            error = ImportError::Reason::DocumentTypeInSheet;
        return true;
    }
    /** A small member whole; the index files are a few kilobytes and may not pass 16 MB. */
    QByteArray entry(const QString &name)
    {
        SheetPart e(m_zip, storedName(name), &m_inflated, std::min<qint64>(IndexBytes, limits().partBytes));
        const QByteArray bytes = e.isOpen() ? e.readAll() : QByteArray();
        if (!error.failed())
            error = e.error();
        return !error.failed() ? bytes : QByteArray();
    }
    std::unique_ptr<SheetPart> stream(const QString &name)
    {
        auto e = std::make_unique<SheetPart>(m_zip, storedName(name), &m_inflated, limits().partBytes);
        if (!error.failed())
            error = e->error();
        return e->isOpen() ? std::move(e) : nullptr;
    }

    QStringList names;
    QStringList parts;
    QString sharedStrings; ///< the shared texts' part, which may be missing
    QString styles;
    ImportError error; ///< the first bound passed

private:
    struct Relation
    {
        QString id;
        QString kind;
        QString target; ///< the part's name in the ZIP, as resolved
    };
    /** The relationships in the part `name` (none when it is missing), targets resolved against `folder`. */
    QList<Relation> relations(const QString &name, const QString &folder)
    {
        QList<Relation> found;
        QXmlStreamReader xml(entry(name));
        while (!xml.atEnd()) {
            xml.readNext();
            if (refusedDocumentType(xml))
                return {};
            if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")) {
                const QXmlStreamAttributes a = xml.attributes();
                if (a.value(QLatin1String("TargetMode")) == QLatin1String("External"))
                    continue;
                found.append({ a.value(QLatin1String("Id")).toString(), relationKind(a.value(QLatin1String("Type"))),
                    partName(folder, a.value(QLatin1String("Target")).toString()) });
            }
        }
        return found;
    }
    /** The member's name as the ZIP stores it, found without regard to case; `name` when there is none. */
    QString storedName(const QString &name) const
    {
        const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        const char *stored = index >= 0 ? zip_get_name(m_zip, zip_uint64_t(index), 0) : nullptr;
        return stored ? QString::fromUtf8(stored) : name;
    }

    static constexpr qint64 IndexBytes = 16 << 20;
    zip_t *m_zip = nullptr;
    qint64 m_inflated = 0;
};

class WorkbookReader : public Reader
{
    QString m_sheetName;
    bool m_gaveAny = false; ///< a row with something in it was read: a sheet without one says it is empty

public:
    explicit WorkbookReader(const QString &path)
        : m_book(path)
        , m_size(QFileInfo(path).size())
    { }
    /** Opens the sheet; when a bound is passed on the way, error() says which. */
    bool openSheet(int sheet)
    {
        const bool opened = openParts(sheet);
        if (!opened)
            m_error = m_book.error;
        return opened;
    }

    /**
     * The sheet's rows as it numbers them: a row the sheet leaves out (an empty row) is given empty when
     * a row with something follows it, so the report says the sheet's own row numbers.
     */
    bool read(QStringList &cells) override
    {
        if (m_blanksToGive > 0) {
            --m_blanksToGive;
            cells.clear();
            return true;
        }
        if (m_pending) {
            m_pending = false;
            cells = m_pendingCells;
            m_rowError = m_pendingError;
            return true;
        }
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_book.refusedDocumentType(m_xml)) {
                m_error = m_book.error;
                return false;
            }
            if (m_xml.isStartElement() && m_xml.name() == QLatin1String("row")) {
                // A row's number, when it has one past the last, tells how many rows were left out.
                bool numbered = false;
                const qint64 number = m_xml.attributes().value(QLatin1String("r")).toLongLong(&numbered);
                const qint64 row = numbered && number > m_lastRow ? std::min(number, limits().rows + 1) : m_lastRow + 1;
                const qint64 blanks = row - m_lastRow - 1;
                m_lastRow = row;
                m_pendingError = ImportError();
                if (!readRow(m_pendingCells, m_pendingError))
                    return false;
                m_gaveAny = m_gaveAny || !m_pendingCells.join(QString()).isEmpty();
                if (blanks == 0) {
                    cells = m_pendingCells;
                    m_rowError = m_pendingError;
                    return true;
                }
                m_blanksToGive = blanks - 1;
                m_pending = true;
                cells.clear();
                return true;
            }
        }
        failIfDamaged();
        if (!m_error.failed() && !m_gaveAny)
            m_error = ImportError(ImportError::Reason::EmptySheet, 0, m_sheetName);
        return false;
    }
    qint64 position() const override
    {
        return m_sheet && m_sheet->total() > 0 ? m_size * m_sheet->done() / m_sheet->total() : 0;
    }
    qint64 size() const override { return m_size; }

private:
    bool openParts(int sheet)
    {
        if (!m_book.open() || sheet < 0 || sheet >= m_book.parts.size())
            return false;
        m_sheetName = m_book.names.at(sheet);
        if (!readStrings())
            return false;
        if (!readStyles())
            return false;
        m_sheet = m_book.stream(m_book.parts.at(sheet));
        if (!m_sheet)
            return false;
        m_xml.setDevice(m_sheet.get());
        return true;
    }

    /**
     * The text of the <v> the reader is on, up to its end: one piece of text straight from the parser,
     * as a value nearly always is, without the copies a general reading of an element's text makes.
     */
    QString valueText()
    {
        QString text;
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::Characters:
                if (text.isEmpty())
                    text = m_xml.text().left(MaxCellChars).toString();
                else
                    text += m_xml.text().left(MaxCellChars - text.size());
                break;
            case QXmlStreamReader::StartElement:
                m_xml.skipCurrentElement(); // nothing in a value has elements; their texts are not its own
                break;
            case QXmlStreamReader::EndElement:
                return text;
            default:
                break;
            }
        }
        return text;
    }

    void failIfDamaged()
    {
        if (m_sheet && m_sheet->error().failed())
            m_error = m_sheet->error();
        else if (m_xml.hasError())
            m_error = ImportError(ImportError::Reason::SheetDamaged, 0,
                QStringLiteral("%1 alla riga %2 del suo testo XML").arg(m_xml.errorString()).arg(m_xml.lineNumber()));
    }

    /** The cells of the row the reader is in; a cell pointing at no shared text makes `damaged` say so. */
    bool readRow(QStringList &cells, ImportError &damaged)
    {
        cells.clear();
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == QLatin1String("row")) {
                while (!cells.isEmpty() && cells.constLast().isEmpty())
                    cells.removeLast();
                if (damaged.failed())
                    cells.clear();
                return true;
            }
            if (!m_xml.isStartElement() || m_xml.name() != QLatin1String("c"))
                continue;
            const QXmlStreamAttributes a = m_xml.attributes();
            const QStringView reference = a.value(QLatin1String("r"));
            int column = columnOf(reference);
            if (column < 0)
                column = int(cells.size());
            const QStringView type = a.value(QLatin1String("t"));
            const int style = a.value(QLatin1String("s")).toInt();
            QString value;
            bool inline_ = false;
            while (!m_xml.atEnd()) {
                m_xml.readNext();
                if (m_xml.isEndElement() && m_xml.name() == QLatin1String("c"))
                    break;
                if (!m_xml.isStartElement())
                    continue;
                if (m_xml.name() == QLatin1String("v")) {
                    value = valueText();
                } else if (m_xml.name() == QLatin1String("is")) {
                    value = runText(m_xml);
                    inline_ = true;
                } else {
                    m_xml.skipCurrentElement();
                }
            }
            QString text;
            if (inline_) {
                text = value;
            } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
                text = unescaped(value);
            } else if (type == QLatin1String("s")) {
                const qint64 index = sharedIndex(value, m_strings.size());
                if (index < 0 && !damaged.failed())
                    damaged = ImportError(ImportError::Reason::MissingSharedText, 0,
                        (reference.isEmpty() ? QStringLiteral("n. %1").arg(column + 1) : reference.left(12).toString())
                            + QStringLiteral(" (") + ImportRules::quoted(value) + QLatin1Char(')'));
                text = index < 0 ? QString() : m_strings.at(index);
            } else if (type == QLatin1String("b")) {
                text = cellTruth(value == QLatin1String("1"));
            } else if (!value.isEmpty()) {
                text = numberText(value, m_dateStyles.contains(style));
            }
            if (column >= MaxColumns)
                continue;
            while (cells.size() <= column)
                cells.append(QString());
            cells[column] = text.left(MaxCellChars);
        }
        failIfDamaged();
        return !m_error.failed();
    }

    // Shared strings are held, each cut to a cell: the cells point at them in any order. Their number
    // and their characters in all are bounded too, as a table of many long texts would not be.
    bool readStrings()
    {
        const auto file = m_book.stream(m_book.sharedStrings);
        if (!file)
            return !m_book.error.failed();
        const Limits bounds = limits();
        qint64 chars = 0;
        QXmlStreamReader xml(file.get());
        while (!xml.atEnd()) {
            xml.readNext();
            if (m_book.refusedDocumentType(xml))
                return false;
            if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
                if (m_strings.size() == bounds.sharedStrings) {
                    m_book.error = ImportError(ImportError::Reason::TooManySharedStrings, bounds.sharedStrings);
                    return false;
                }
                m_strings.append(runText(xml));
                chars += m_strings.last().size();
                if (chars > bounds.sharedChars) {
                    m_book.error = ImportError(ImportError::Reason::SharedTextTooLong, bounds.sharedChars);
                    return false;
                }
            }
        }
        if (file->error().failed())
            m_book.error = file->error();
        else if (xml.hasError())
            m_book.error = ImportError(ImportError::Reason::SheetDamaged, 0,
                QStringLiteral("testi condivisi: %1 alla riga %2").arg(xml.errorString()).arg(xml.lineNumber()));
        return !m_book.error.failed();
    }

    bool readStyles()
    {
        QXmlStreamReader xml(m_book.entry(m_book.styles));
        QHash<int, QString> codes;
        bool inCellFormats = false;
        int index = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (m_book.refusedDocumentType(xml))
                return false;
            if (xml.isStartElement()) {
                const QXmlStreamAttributes a = xml.attributes();
                if (xml.name() == QLatin1String("numFmt")) {
                    codes.insert(
                        a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
                } else if (xml.name() == QLatin1String("cellXfs")) {
                    inCellFormats = true;
                } else if (xml.name() == QLatin1String("xf") && inCellFormats) {
                    const int id = a.value(QLatin1String("numFmtId")).toInt();
                    if (isDateFormat(id, codes.value(id)))
                        m_dateStyles.insert(index);
                    ++index;
                }
            } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
                inCellFormats = false;
            }
        }
        return true;
    }

    Workbook m_book;
    qint64 m_size;
    std::unique_ptr<SheetPart> m_sheet;
    QXmlStreamReader m_xml;
    QStringList m_strings;
    QSet<int> m_dateStyles;
    qint64 m_lastRow = 0; ///< the sheet's number of the last row read
    qint64 m_blanksToGive = 0; ///< rows left out before the pending one, still to give
    bool m_pending = false;
    QStringList m_pendingCells;
    ImportError m_pendingError;
};
#endif
} // namespace

bool isWorkbook(const QString &, const QByteArray &head)
{
    return head.startsWith("PK\x03\x04");
}

bool readsWorkbooks()
{
#ifdef VETRINOVA_XLSX_READ
    return true;
#else
    return false;
#endif
}

void describeWorkbook(const QString &path, Format &format)
{
#ifdef VETRINOVA_XLSX_READ
    Workbook book(path);
    if (!book.open())
        format.error = book.error.failed() ? book.error : ImportError::Reason::NotWorkbook;
    format.sheets = book.names;
#else
    Q_UNUSED(path);
    format.error = ImportError::Reason::WorkbooksNotRead;
#endif
}

std::unique_ptr<Reader> openWorkbook(const QString &path, const Format &format, ImportError *error)
{
#ifdef VETRINOVA_XLSX_READ
    return openSheetOf<WorkbookReader>(path, format.sheet, ImportError::Reason::NotWorkbook, error);
#else
    Q_UNUSED(path);
    Q_UNUSED(format);
    if (error)
        *error = ImportError::Reason::WorkbooksNotRead;
    return nullptr;
#endif
}
} // namespace ImportSource
