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

QString numberText(const QString &value, bool date)
{
    bool ok = false;
    const double number = QLocale::c().toDouble(value, &ok);
    if (!ok)
        return value;
    if (date && number >= 1 && number < 2958466) // the spreadsheet's days from 1900 to 9999
        return formatDate(QDate(1899, 12, 30).addDays(qint64(number)));
    return generalForm(number);
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
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements).left(MaxCellChars - text.size());
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

    bool open()
    {
        if (!m_zip)
            return false;
        const QByteArray book = entry(QStringLiteral("xl/workbook.xml"));
        if (book.isEmpty())
            return false;
        QHash<QString, QString> targets;
        QXmlStreamReader rels(entry(QStringLiteral("xl/_rels/workbook.xml.rels")));
        while (!rels.atEnd()) {
            rels.readNext();
            if (rels.isStartElement() && rels.name() == QLatin1String("Relationship")) {
                QString target = rels.attributes().value(QLatin1String("Target")).toString();
                if (target.startsWith(QLatin1Char('/')))
                    target.remove(0, 1);
                else
                    target.prepend(QStringLiteral("xl/"));
                targets.insert(rels.attributes().value(QLatin1String("Id")).toString(), target);
            }
        }
        QXmlStreamReader xml(book);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("sheet")) {
                QString id;
                for (const QXmlStreamAttribute &a : xml.attributes())
                    if (a.name() == QLatin1String("id"))
                        id = a.value().toString();
                names.append(xml.attributes().value(QLatin1String("name")).toString().left(MaxCellChars));
                parts.append(targets.value(id, QStringLiteral("xl/worksheets/sheet%1.xml").arg(names.size())));
            }
        }
        return !names.isEmpty() && !error.failed();
    }
    /** A small member whole; the index files are a few kilobytes and may not pass 16 MB. */
    QByteArray entry(const QString &name)
    {
        SheetPart e(m_zip, name, &m_inflated, std::min<qint64>(IndexBytes, limits().partBytes));
        const QByteArray bytes = e.isOpen() ? e.readAll() : QByteArray();
        if (!error.failed())
            error = e.error();
        return !error.failed() ? bytes : QByteArray();
    }
    std::unique_ptr<SheetPart> stream(const QString &name)
    {
        auto e = std::make_unique<SheetPart>(m_zip, name, &m_inflated, limits().partBytes);
        if (!error.failed())
            error = e->error();
        return e->isOpen() ? std::move(e) : nullptr;
    }

    QStringList names;
    QStringList parts;
    ImportError error; ///< the first bound passed

private:
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

    bool read(QStringList &cells) override
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement() && m_xml.name() == QLatin1String("row")) {
                const bool read = readRow(cells);
                m_gaveAny = m_gaveAny || (read && !cells.join(QString()).isEmpty());
                return read;
            }
        }
        if (m_sheet && m_sheet->error().failed())
            m_error = m_sheet->error();
        else if (m_xml.hasError())
            m_error = ImportError(ImportError::Reason::SheetDamaged, 0, m_xml.errorString());
        else if (!m_gaveAny)
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
        readStyles();
        m_sheet = m_book.stream(m_book.parts.at(sheet));
        if (!m_sheet)
            return false;
        m_xml.setDevice(m_sheet.get());
        return true;
    }

    bool readRow(QStringList &cells)
    {
        cells.clear();
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == QLatin1String("row"))
                return true;
            if (!m_xml.isStartElement() || m_xml.name() != QLatin1String("c"))
                continue;
            const QXmlStreamAttributes a = m_xml.attributes();
            int column = columnOf(a.value(QLatin1String("r")));
            if (column < 0)
                column = int(cells.size());
            const QString type = a.value(QLatin1String("t")).toString();
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
                    value = m_xml.readElementText(QXmlStreamReader::IncludeChildElements).left(MaxCellChars);
                } else if (m_xml.name() == QLatin1String("is")) {
                    value = runText(m_xml);
                    inline_ = true;
                } else {
                    m_xml.skipCurrentElement();
                }
            }
            QString text;
            if (inline_ || type == QLatin1String("str") || type == QLatin1String("e"))
                text = value;
            else if (type == QLatin1String("s"))
                text = m_strings.value(value.toInt());
            else if (type == QLatin1String("b"))
                text = cellTruth(value == QLatin1String("1"));
            else if (!value.isEmpty())
                text = numberText(value, m_dateStyles.contains(style));
            if (column >= MaxColumns)
                continue;
            while (cells.size() <= column)
                cells.append(QString());
            cells[column] = text.left(MaxCellChars);
        }
        if (m_sheet && m_sheet->error().failed())
            m_error = m_sheet->error();
        else if (m_xml.hasError())
            m_error = ImportError(ImportError::Reason::SheetDamaged, 0, m_xml.errorString());
        return !m_error.failed();
    }

    // Shared strings are held, each cut to a cell: the cells point at them in any order. Their number
    // and their characters in all are bounded too, as a table of many long texts would not be.
    bool readStrings()
    {
        const auto file = m_book.stream(QStringLiteral("xl/sharedStrings.xml"));
        if (!file)
            return !m_book.error.failed();
        const Limits bounds = limits();
        qint64 chars = 0;
        QXmlStreamReader xml(file.get());
        while (!xml.atEnd()) {
            xml.readNext();
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
        return !m_book.error.failed();
    }

    void readStyles()
    {
        QXmlStreamReader xml(m_book.entry(QStringLiteral("xl/styles.xml")));
        QHash<int, QString> codes;
        bool inCellFormats = false;
        int index = 0;
        while (!xml.atEnd()) {
            xml.readNext();
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
    }

    Workbook m_book;
    qint64 m_size;
    std::unique_ptr<SheetPart> m_sheet;
    QXmlStreamReader m_xml;
    QStringList m_strings;
    QSet<int> m_dateStyles;
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
