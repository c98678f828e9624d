#include "warehouse/rules/ImportSource.h"

#include "warehouse/rules/OdsReader.h"
#include "warehouse/rules/SheetPart.h"
#include "warehouse/rules/XlsReader.h"

#include "storage/FieldRules.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <limits>

#ifdef VETRINOVA_XLSX_READ
#include <zip.h>
#endif

namespace ImportSource {
namespace {
Limits g_limits;

QString number(qint64 n)
{
    return QLocale(QLocale::Italian).toString(n);
}

constexpr qint64 SampleBytes = 64 * 1024;
constexpr qint64 ChunkBytes = 256 * 1024;

const QChar kSeparators[] = { QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(','), QLatin1Char('|') };

// Adds a character to a cell while the row and the cell are within their bounds.
struct RowBuilder
{
    QStringList cells;
    QString cell;
    bool any = false;

    void put(QChar c)
    {
        if (cell.size() < MaxCellChars)
            cell += c;
        any = true;
    }
    void endCell()
    {
        if (cells.size() < MaxColumns)
            cells.append(cell);
        cell.clear();
    }
    void reset()
    {
        cells.clear();
        cell.clear();
        any = false;
    }
};

// ---- Delimited text ----------------------------------------------------------------------------

class TextReader : public Reader
{
public:
    TextReader(const QString &path, const Format &format)
        : m_file(path)
        , m_separator(format.separator)
        , m_decoder(
              format.encoding == Encoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("windows-1252"))
    { }
    bool openFile() { return m_file.open(QIODevice::ReadOnly); }

    bool read(QStringList &cells) override
    {
        RowBuilder row;
        enum class State { Start, Plain, Quoted, QuoteSeen } state = State::Start;
        for (;;) {
            if (m_at >= m_text.size()) {
                if (!fill()) {
                    if (state == State::Start && row.cells.isEmpty() && !row.any)
                        return false;
                    row.endCell();
                    cells = row.cells;
                    return true;
                }
                continue;
            }
            const QChar c = m_text.at(m_at++);
            if (m_skipLineFeed) {
                m_skipLineFeed = false;
                if (c == QLatin1Char('\n'))
                    continue;
            }
            const bool lineEnd = c == QLatin1Char('\n') || c == QLatin1Char('\r');
            switch (state) {
            case State::Quoted:
                if (c == QLatin1Char('"'))
                    state = State::QuoteSeen;
                else
                    row.put(c);
                continue;
            case State::QuoteSeen:
                if (c == QLatin1Char('"')) {
                    row.put(c);
                    state = State::Quoted;
                    continue;
                }
                state = State::Plain; // a closing quote: what follows up to the separator is kept too
                break;
            case State::Start:
                if (c == QLatin1Char('"')) {
                    state = State::Quoted;
                    row.any = true;
                    continue;
                }
                break;
            case State::Plain:
                break;
            }
            if (lineEnd) {
                m_skipLineFeed = c == QLatin1Char('\r');
                row.endCell();
                cells = row.cells;
                return true;
            }
            if (c == m_separator) {
                row.endCell();
                row.any = true;
                state = State::Start;
                continue;
            }
            row.put(c);
            state = State::Plain;
        }
    }
    qint64 position() const override { return m_file.pos(); }
    qint64 size() const override { return m_file.size(); }

private:
    bool fill()
    {
        m_text.clear();
        m_at = 0;
        if (m_file.atEnd())
            return false;
        const QByteArray bytes = m_file.read(ChunkBytes);
        if (bytes.isEmpty()) {
            if (m_file.error() != QFileDevice::NoError)
                m_error = QStringLiteral("Errore di lettura del file.");
            return false;
        }
        m_text = m_decoder.decode(bytes);
        return true;
    }

    QFile m_file;
    QChar m_separator;
    QStringDecoder m_decoder;
    QString m_text;
    qsizetype m_at = 0;
    bool m_skipLineFeed = false;
};

// ---- The program's own Magazzino.xls, an HTML table ---------------------------------------------

QString decodeEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const QHash<QString, QChar> named = {
        { QStringLiteral("amp"), QLatin1Char('&') },
        { QStringLiteral("lt"), QLatin1Char('<') },
        { QStringLiteral("gt"), QLatin1Char('>') },
        { QStringLiteral("quot"), QLatin1Char('"') },
        { QStringLiteral("apos"), QLatin1Char('\'') },
        { QStringLiteral("nbsp"), QLatin1Char(' ') },
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const qsizetype end = c == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i) : -1;
        if (end > i + 1 && end - i <= 10) {
            const QString name = text.mid(i + 1, end - i - 1);
            if (name.startsWith(QLatin1Char('#'))) {
                bool ok = false;
                const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                    ? name.mid(2).toUInt(&ok, 16)
                    : name.mid(1).toUInt(&ok, 10);
                if (ok && code > 0 && code <= 0x10FFFF) {
                    const char32_t one = code;
                    out += QString::fromUcs4(&one, 1);
                    i = end;
                    continue;
                }
            } else if (const auto it = named.constFind(name.toLower()); it != named.constEnd()) {
                out += *it;
                i = end;
                continue;
            }
        }
        out += c;
    }
    return out;
}

class PageReader : public Reader
{
public:
    PageReader(const QString &path, Encoding encoding)
        : m_file(path)
        , m_decoder(encoding == Encoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("windows-1252"))
    { }
    bool openFile() { return m_file.open(QIODevice::ReadOnly); }

    bool read(QStringList &cells) override
    {
        RowBuilder row;
        bool inRow = false;
        bool inCell = false;
        for (;;) {
            if (m_at >= m_text.size() && !fill())
                return false; // a row never closed is not one
            const QChar c = m_text.at(m_at++);
            if (m_inTag) {
                if (c == QLatin1Char('>')) {
                    m_inTag = false;
                    const QString tag = m_tag.trimmed().toLower();
                    m_tag.clear();
                    qsizetype blank = 0; // only the name counts, up to the first blank
                    while (blank < tag.size() && !tag.at(blank).isSpace())
                        ++blank;
                    const QString name = tag.left(blank);
                    if (name == QLatin1String("tr")) {
                        row.reset();
                        inRow = true;
                    } else if ((name == QLatin1String("td") || name == QLatin1String("th")) && inRow) {
                        if (inCell)
                            endCell(row);
                        inCell = true;
                    } else if ((name == QLatin1String("/td") || name == QLatin1String("/th")) && inCell) {
                        endCell(row);
                        inCell = false;
                    } else if (name == QLatin1String("br") || name == QLatin1String("br/")) {
                        if (inCell)
                            row.put(QLatin1Char('\n'));
                    } else if (name == QLatin1String("/tr") && inRow) {
                        if (inCell)
                            endCell(row);
                        cells = row.cells;
                        return true;
                    }
                } else if (m_tag.size() < MaxCellChars) {
                    m_tag += c;
                }
                continue;
            }
            if (c == QLatin1Char('<')) {
                m_inTag = true;
                continue;
            }
            if (inCell)
                row.put(c);
        }
    }
    qint64 position() const override { return m_file.pos(); }
    qint64 size() const override { return m_file.size(); }

private:
    static void endCell(RowBuilder &row)
    {
        row.cell = decodeEntities(row.cell);
        row.endCell();
    }
    bool fill()
    {
        m_text.clear();
        m_at = 0;
        const QByteArray bytes = m_file.read(ChunkBytes);
        if (bytes.isEmpty())
            return false;
        m_text = m_decoder.decode(bytes);
        return !m_text.isEmpty() || fill();
    }

    QFile m_file;
    QStringDecoder m_decoder;
    QString m_text;
    qsizetype m_at = 0;
    bool m_inTag = false;
    QString m_tag;
};

// ---- Workbooks -----------------------------------------------------------------------------------

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
        return !names.isEmpty() && refusal.isEmpty();
    }
    /** A small member whole; the index files are a few kilobytes and may not pass 16 MB. */
    QByteArray entry(const QString &name)
    {
        SheetPart e(m_zip, name, &m_inflated, std::min<qint64>(IndexBytes, limits().partBytes));
        const QByteArray bytes = e.isOpen() ? e.readAll() : QByteArray();
        if (refusal.isEmpty())
            refusal = e.refusal();
        return refusal.isEmpty() ? bytes : QByteArray();
    }
    std::unique_ptr<SheetPart> stream(const QString &name)
    {
        auto e = std::make_unique<SheetPart>(m_zip, name, &m_inflated, limits().partBytes);
        if (refusal.isEmpty())
            refusal = e->refusal();
        return e->isOpen() ? std::move(e) : nullptr;
    }

    QStringList names;
    QStringList parts;
    QString refusal; ///< the first bound passed, in Italian

private:
    static constexpr qint64 IndexBytes = 16 << 20;
    zip_t *m_zip = nullptr;
    qint64 m_inflated = 0;
};

class WorkbookReader : public Reader
{
public:
    explicit WorkbookReader(const QString &path)
        : m_book(path)
        , m_size(QFileInfo(path).size())
    { }
    bool openSheet(int sheet)
    {
        if (!m_book.open() || sheet < 0 || sheet >= m_book.parts.size())
            return false;
        if (!readStrings())
            return false;
        readStyles();
        m_sheet = m_book.stream(m_book.parts.at(sheet));
        if (!m_sheet)
            return false;
        m_xml.setDevice(m_sheet.get());
        return true;
    }
    /** Why the workbook was refused, when a bound was passed. */
    QString refusal() const { return m_book.refusal; }

    bool read(QStringList &cells) override
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement() && m_xml.name() == QLatin1String("row"))
                return readRow(cells);
        }
        if (m_sheet && !m_sheet->refusal().isEmpty())
            m_error = m_sheet->refusal();
        else if (m_xml.hasError())
            m_error = QStringLiteral("Il foglio di lavoro \u00e8 danneggiato: %1.").arg(m_xml.errorString());
        return false;
    }
    qint64 position() const override
    {
        return m_sheet && m_sheet->total() > 0 ? m_size * m_sheet->done() / m_sheet->total() : 0;
    }
    qint64 size() const override { return m_size; }

private:
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
                text = value == QLatin1String("1") ? QStringLiteral("S\u00ec") : QStringLiteral("No");
            else if (!value.isEmpty())
                text = numberText(value, m_dateStyles.contains(style));
            if (column >= MaxColumns)
                continue;
            while (cells.size() <= column)
                cells.append(QString());
            cells[column] = text.left(MaxCellChars);
        }
        if (m_sheet && !m_sheet->refusal().isEmpty())
            m_error = m_sheet->refusal();
        else if (m_xml.hasError())
            m_error = QStringLiteral("Il foglio di lavoro \u00e8 danneggiato: %1.").arg(m_xml.errorString());
        return m_error.isEmpty();
    }

    // Shared strings are held, each cut to a cell: the cells point at them in any order. Their number
    // and their characters in all are bounded too, as a table of many long texts would not be.
    bool readStrings()
    {
        const auto file = m_book.stream(QStringLiteral("xl/sharedStrings.xml"));
        if (!file)
            return m_book.refusal.isEmpty();
        const Limits bounds = limits();
        qint64 chars = 0;
        QXmlStreamReader xml(file.get());
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
                if (m_strings.size() == bounds.sharedStrings) {
                    m_book.refusal = QStringLiteral("La cartella di lavoro contiene pi\u00f9 di %1 testi condivisi, "
                                                    "il massimo ammesso.")
                                         .arg(number(bounds.sharedStrings));
                    return false;
                }
                m_strings.append(runText(xml));
                chars += m_strings.last().size();
                if (chars > bounds.sharedChars) {
                    m_book.refusal = QStringLiteral("I testi condivisi della cartella di lavoro superano in tutto %1 "
                                                    "caratteri, il massimo ammesso.")
                                         .arg(number(bounds.sharedChars));
                    return false;
                }
            }
        }
        if (!file->refusal().isEmpty())
            m_book.refusal = file->refusal();
        return m_book.refusal.isEmpty();
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

// ---- Detection -----------------------------------------------------------------------------------

// The separator that splits the sample's lines into the same number of cells most often.
QChar guessSeparator(const QString &sample)
{
    QChar best = QLatin1Char(';');
    int bestScore = 0;
    int bestCells = 0;
    for (const QChar separator : kSeparators) {
        QHash<int, int> lines; // cells in a line -> lines with that many
        int count = 0;
        bool quoted = false;
        int lineCount = 0;
        for (const QChar c : sample) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (!quoted && c == separator)
                ++count;
            else if (!quoted && c == QLatin1Char('\n')) {
                if (count > 0)
                    ++lines[count];
                count = 0;
                if (++lineCount == 50)
                    break;
            }
        }
        if (count > 0)
            ++lines[count];
        for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
            if (it.value() > bestScore || (it.value() == bestScore && it.key() > bestCells)) {
                best = separator;
                bestScore = it.value();
                bestCells = it.key();
            }
        }
    }
    return best;
}
} // namespace

Limits limits()
{
    return g_limits;
}

void setLimits(const Limits &bounds)
{
    g_limits = bounds;
}

bool Reader::next(QStringList &cells)
{
    if (!m_error.isEmpty() || !read(cells))
        return false;
    if (++m_rows > limits().rows) {
        m_error = QStringLiteral("Il file contiene pi\u00f9 di %1 righe, il massimo che si pu\u00f2 importare.")
                      .arg(number(limits().rows));
        return false;
    }
    return true;
}

bool readsWorkbooks()
{
#ifdef VETRINOVA_XLSX_READ
    return true;
#else
    return false;
#endif
}

Format detect(const QString &path)
{
    Format format;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        format.error = QStringLiteral("Impossibile aprire il file.");
        return format;
    }
    QByteArray sample = file.read(SampleBytes);
    const bool whole = file.atEnd();
    file.close();
    // Spreadsheets are known by their content, whatever their names say.
    if (std::optional<Format> sheet = detectCompound(path, sample))
        return *sheet;
    if (std::optional<Format> other = detectOtherSpreadsheet(sample))
        return *other;
    if (std::optional<Format> flat = detectFlat(path, sample))
        return *flat;
    if (sample.startsWith("PK\x03\x04")) {
        if (std::optional<Format> zipped = detectZipped(path))
            return *zipped;
        format.kind = Kind::Workbook;
#ifdef VETRINOVA_XLSX_READ
        Workbook book(path);
        if (!book.open())
            format.error = !book.refusal.isEmpty()
                ? book.refusal
                : QStringLiteral("Il file non \u00e8 una cartella di lavoro .xlsx leggibile.");
        format.sheets = book.names;
#else
        format.error = QStringLiteral("Questa versione del programma non legge le cartelle di lavoro .xlsx.");
#endif
        return format;
    }
    if (sample.startsWith("\xEF\xBB\xBF")) {
        format.byteOrderMark = true;
        format.encoding = Encoding::Utf8;
    } else {
        // A sample cut inside a character is still UTF-8: up to three trailing bytes may be a part.
        QByteArray checked = sample;
        if (!whole) {
            int back = 0;
            while (back < 3 && back < checked.size() && (uchar(checked.at(checked.size() - 1 - back)) & 0xC0) == 0x80)
                ++back;
            if (back < checked.size() && uchar(checked.at(checked.size() - 1 - back)) >= 0xC0)
                checked.chop(back + 1);
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(checked); // the decoding runs only when its text is taken
        format.encoding = utf8.hasError() ? Encoding::Windows1252 : Encoding::Utf8;
    }
    int controls = 0;
    for (const char c : sample)
        if (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            ++controls;
    if (controls > sample.size() / 100 || sample.contains('\0')) {
        format.error = QStringLiteral("Il file non contiene testo leggibile: non \u00e8 un elenco di prodotti.");
        return format;
    }
    const QByteArray head = sample.left(2048).toLower();
    if (head.contains("<table") || head.contains("<html")) {
        format.kind = Kind::Page;
        // The program's own export declares Windows-1252; a page that declares UTF-8 is read so.
        format.encoding = head.contains("charset=utf-8") ? Encoding::Utf8 : Encoding::Windows1252;
        return format;
    }
    const QString text
        = format.encoding == Encoding::Utf8 ? QString::fromUtf8(sample) : QStringDecoder("windows-1252").decode(sample);
    format.separator = guessSeparator(text);
    return format;
}

std::unique_ptr<Reader> open(const QString &path, const Format &format, QString *error)
{
    const QString cannot = QStringLiteral("Impossibile aprire il file.");
    switch (format.kind) {
    case Kind::Text: {
        auto reader = std::make_unique<TextReader>(path, format);
        if (reader->openFile())
            return reader;
        break;
    }
    case Kind::Page: {
        auto reader = std::make_unique<PageReader>(path, format.encoding);
        if (reader->openFile())
            return reader;
        break;
    }
    case Kind::OpenDocument:
        return openOpenDocument(path, format, error);
    case Kind::OldWorkbook:
        return openOldWorkbook(path, format, error);
    case Kind::Workbook: {
#ifdef VETRINOVA_XLSX_READ
        auto reader = std::make_unique<WorkbookReader>(path);
        if (reader->openSheet(format.sheet))
            return reader;
        if (error)
            *error = !reader->refusal().isEmpty()
                ? reader->refusal()
                : QStringLiteral("Il file non \u00e8 una cartella di lavoro .xlsx leggibile.");
        return nullptr;
#else
        if (error)
            *error = QStringLiteral("Questa versione del programma non legge le cartelle di lavoro .xlsx.");
        return nullptr;
#endif
    }
    }
    if (error)
        *error = cannot;
    return nullptr;
}

QString encodingName(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252 (ANSI)");
}

QString separatorName(QChar separator)
{
    switch (separator.unicode()) {
    case ';':
        return QStringLiteral("Punto e virgola");
    case ',':
        return QStringLiteral("Virgola");
    case '\t':
        return QStringLiteral("Tabulazione");
    case '|':
        return QStringLiteral("Barra verticale");
    default:
        return QString(separator);
    }
}
} // namespace ImportSource
