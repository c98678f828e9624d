#include "warehouse/rules/ImportSourceParts.h"
#include "warehouse/rules/SheetPart.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>

#include <zip.h>

// OpenDocument spreadsheets, zipped (.ods, .ots) or flat XML (.fods), read as a stream: every sheet is
// offered, hidden ones marked, repeated rows and cells expanded within the bounds, empty rows and cells
// at the end of a sheet or row left out.
namespace ImportSource {
namespace {
const QLatin1String kOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String kTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String kText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QLatin1String kStyle("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QLatin1String kDrawing("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");

bool is(const QXmlStreamReader &xml, QLatin1String space, const char *name)
{
    return xml.name() == QLatin1String(name) && xml.namespaceUri() == space;
}

// A count written in an attribute: at least 1, and never more than the bounds can use.
qint64 repeatCount(QStringView text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < 1)
        return 1;
    return std::min<qint64>(n, limits().rows + 1);
}

// A duration as OpenDocument writes it, PT10H30M05.5S, in seconds; -1 when it is not one.
double durationSeconds(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(-)?P(?:(\d+)D)?T?(?:(\d+)H)?(?:(\d+)M)?(?:(\d+(?:[.,]\d+)?)S)?$)"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return -1;
    const double seconds = m.captured(2).toDouble() * 86400 + m.captured(3).toDouble() * 3600
        + m.captured(4).toDouble() * 60 + QLocale::c().toDouble(m.captured(5).replace(QLatin1Char(','), '.'));
    return m.captured(1).isEmpty() ? seconds : -seconds;
}

// The document's content part, read from its start; the ZIP (for an .ods) lives as long as it.
class Document
{
public:
    explicit Document(const QString &path)
        : m_path(path)
    { }
    ~Document()
    {
        m_part.reset();
        if (m_zip)
            zip_discard(m_zip);
    }
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    bool open()
    {
        QFile probe(m_path);
        if (!probe.open(QIODevice::ReadOnly)) {
            error = ImportError::Reason::CannotOpen;
            return false;
        }
        if (probe.read(4) == QByteArray("PK\x03\x04")) {
            int zipError = 0;
            m_zip = zip_open(QFile::encodeName(m_path).constData(), ZIP_RDONLY, &zipError);
            if (!m_zip) {
                error = ImportError::Reason::SpreadsheetDamaged;
                return false;
            }
            m_part = std::make_unique<SheetPart>(m_zip, QStringLiteral("content.xml"), &m_inflated, limits().partBytes);
        } else {
            m_part = std::make_unique<SheetPart>(m_path, &m_inflated, limits().partBytes);
        }
        if (m_part->error().failed() || !m_part->isOpen()) {
            error = m_part->error().failed() ? m_part->error() : ImportError::Reason::SpreadsheetDamaged;
            return false;
        }
        xml.setDevice(m_part.get());
        return true;
    }

    /** Reads on to the start of the next sheet, noting the hidden sheets' styles on the way. */
    bool nextSheet(QString *name, bool *hidden)
    {
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (is(xml, kStyle, "style")) {
                m_style = a.value(kStyle, QLatin1String("family")) == QLatin1String("table")
                    ? a.value(kStyle, QLatin1String("name")).toString()
                    : QString();
            } else if (is(xml, kStyle, "table-properties")) {
                if (!m_style.isEmpty() && a.value(kTable, QLatin1String("display")) == QLatin1String("false"))
                    m_hiddenStyles.insert(m_style);
            } else if (is(xml, kTable, "table")) {
                *name = a.value(kTable, QLatin1String("name")).toString().left(MaxCellChars);
                *hidden = m_hiddenStyles.contains(a.value(kTable, QLatin1String("style-name")).toString());
                return true;
            } else if (xml.namespaceUri() == kTable) {
                xml.skipCurrentElement(); // ranges, validations, settings: beside the sheets
            }
        }
        return false;
    }

    /** Why reading stopped early; nothing when the content was read whole. */
    ImportError failure() const
    {
        if (error.failed())
            return error;
        if (m_part && m_part->error().failed())
            return m_part->error();
        if (xml.hasError())
            return ImportError::Reason::SpreadsheetDamaged;
        return ImportError();
    }
    double done() const { return m_part && m_part->total() > 0 ? double(m_part->done()) / m_part->total() : 0; }

    QXmlStreamReader xml;
    ImportError error;

private:
    QString m_path;
    zip_t *m_zip = nullptr;
    qint64 m_inflated = 0;
    std::unique_ptr<SheetPart> m_part;
    QString m_style;
    QSet<QString> m_hiddenStyles;
};

// The text of a cell's paragraphs, one line each, as far as a cell holds; reads to the cell's end.
// Blanks are read as the format writes them: runs of them collapse, <text:s> keeps them.
QString paragraphs(QXmlStreamReader &xml)
{
    QString text;
    int paragraphCount = 0;
    int depth = 1;
    int inParagraph = 0;
    bool blank = false; // the last character came from the text and was a blank
    const auto add = [&text](const QString &more) {
        if (text.size() < MaxCellChars)
            text += QStringView(more).left(MaxCellChars - text.size());
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            if (--depth == 0)
                break;
            if (xml.namespaceUri() == kText && (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("h")))
                --inParagraph;
            continue;
        }
        if (xml.isStartElement()) {
            ++depth;
            blank = false;
            if (is(xml, kText, "p") || is(xml, kText, "h")) {
                if (paragraphCount++ > 0)
                    add(QStringLiteral("\n"));
                ++inParagraph;
            } else if (is(xml, kText, "s")) {
                const qint64 n = repeatCount(xml.attributes().value(kText, QLatin1String("c")));
                add(QString(int(std::min<qint64>(n, MaxCellChars)), QLatin1Char(' ')));
            } else if (is(xml, kText, "tab")) {
                add(QStringLiteral("\t"));
            } else if (is(xml, kText, "line-break")) {
                add(QStringLiteral("\n"));
            } else if (is(xml, kOffice, "annotation") || is(xml, kText, "note") || xml.namespaceUri() == kDrawing) {
                xml.skipCurrentElement(); // comments, notes and pictures are not the cell's value
                --depth;
            }
            continue;
        }
        if (xml.isCharacters() && inParagraph > 0) {
            QString piece;
            for (QChar c : xml.text()) {
                if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
                    c = QLatin1Char(' ');
                if (c == QLatin1Char(' ') && blank)
                    continue;
                blank = c == QLatin1Char(' ');
                piece += c;
                if (piece.size() >= MaxCellChars)
                    break;
            }
            add(piece);
        }
    }
    return text;
}

// A cell's value in the card's text form; reads to the cell's end.
QString cellText(QXmlStreamReader &xml)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView type = a.value(kOffice, QLatin1String("value-type"));
    QString text;
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double value = QLocale::c().toDouble(a.value(kOffice, QLatin1String("value")).trimmed(), &ok);
        if (ok) {
            xml.skipCurrentElement();
            return cellNumber(value);
        }
    } else if (type == QLatin1String("date")) {
        const QString value = a.value(kOffice, QLatin1String("date-value")).toString();
        const QDate day = QDate::fromString(value.left(value.indexOf(QLatin1Char('T'))), Qt::ISODate);
        if (day.isValid()) {
            xml.skipCurrentElement();
            return cellDate(day);
        }
    } else if (type == QLatin1String("time")) {
        const double seconds = durationSeconds(a.value(kOffice, QLatin1String("time-value")).toString());
        if (seconds >= 0) {
            xml.skipCurrentElement();
            return cellTime(seconds);
        }
    } else if (type == QLatin1String("boolean")) {
        const QStringView value = a.value(kOffice, QLatin1String("boolean-value"));
        xml.skipCurrentElement();
        return cellTruth(value == QLatin1String("true") || value == QLatin1String("1"));
    } else if (a.hasAttribute(kOffice, QLatin1String("string-value"))) {
        text = a.value(kOffice, QLatin1String("string-value")).left(MaxCellChars).toString();
        xml.skipCurrentElement();
        return text;
    }
    return paragraphs(xml); // a text, or a value written wrong: what the cell shows
}

class OpenDocumentReader : public SheetRows
{
public:
    explicit OpenDocumentReader(const QString &path)
        : m_doc(path)
        , m_size(QFileInfo(path).size())
    { }
    bool openSheet(int sheet)
    {
        if (!m_doc.open()) {
            m_error = m_doc.error;
            return false;
        }
        QString name;
        bool hidden = false;
        for (int i = 0; m_doc.nextSheet(&name, &hidden); ++i) {
            if (i == sheet) {
                sheetName = name;
                return true;
            }
            m_doc.xml.skipCurrentElement();
        }
        m_error = m_doc.failure().failed() ? m_doc.failure() : ImportError::Reason::SheetGone;
        return false;
    }

    qint64 position() const override { return qint64(double(m_size) * m_doc.done()); }
    qint64 size() const override { return m_size; }

private:
    bool nextRow(QStringList &row, qint64 &times) override
    {
        if (sheetRow(row, times))
            return true;
        m_error = m_doc.failure();
        return false;
    }

    bool sheetRow(QStringList &row, qint64 &times)
    {
        QXmlStreamReader &xml = m_doc.xml;
        while (!m_ended && !xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && is(xml, kTable, "table")) {
                m_ended = true;
                break;
            }
            if (!xml.isStartElement())
                continue;
            if (is(xml, kTable, "table-row")) {
                times = repeatCount(xml.attributes().value(kTable, QLatin1String("number-rows-repeated")));
                readRow(row);
                return !xml.hasError();
            }
            if (is(xml, kTable, "table-header-rows") || is(xml, kTable, "table-row-group")
                || is(xml, kTable, "table-rows"))
                continue; // rows inside
            xml.skipCurrentElement(); // columns, shapes (a chart), forms
        }
        return false;
    }

    void readRow(QStringList &row)
    {
        QXmlStreamReader &xml = m_doc.xml;
        row.clear();
        qint64 blanks = 0; // empty cells not yet added: only a cell with something after them adds them
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && is(xml, kTable, "table-row"))
                return;
            if (!xml.isStartElement())
                continue;
            const bool covered = is(xml, kTable, "covered-table-cell");
            if (!covered && !is(xml, kTable, "table-cell")) {
                xml.skipCurrentElement();
                continue;
            }
            const qint64 times = repeatCount(xml.attributes().value(kTable, QLatin1String("number-columns-repeated")));
            QString text;
            if (covered)
                xml.skipCurrentElement(); // the merged cell it lies under holds the value
            else
                text = cellText(xml);
            if (text.isEmpty()) {
                blanks = std::min<qint64>(blanks + times, MaxColumns);
                continue;
            }
            for (; blanks > 0 && row.size() < MaxColumns; --blanks)
                row.append(QString());
            blanks = 0;
            for (qint64 i = 0; i < times && row.size() < MaxColumns; ++i)
                row.append(text);
        }
    }

    Document m_doc;
    qint64 m_size;
    bool m_ended = false;
};

} // namespace

bool isOpenDocument(const QString &path, const QByteArray &head)
{
    const QByteArray start = head.left(16 * 1024);
    if (start.contains("<office:document") && start.contains("urn:oasis:names:tc:opendocument:xmlns:office"))
        return start.contains(QByteArray("office:mimetype=\"") + OpenDocumentSpreadsheet)
            || !start.contains("office:mimetype=");
    if (!head.startsWith("PK\x03\x04"))
        return false;
    // An .ods says what it is in its first bytes, even when the rest is lost.
    if (head.mid(30).startsWith(QByteArray("mimetype") + OpenDocumentSpreadsheet))
        return true;
    return zipContents(path).isSpreadsheet();
}

void describeOpenDocument(const QString &path, Format &format)
{
    Document doc(path);
    if (!doc.open()) {
        format.error = doc.error;
        return;
    }
    QString name;
    bool hidden = false;
    while (doc.nextSheet(&name, &hidden)) {
        format.sheets.append(hidden ? QStringLiteral("%1 (nascosto)").arg(name) : name);
        doc.xml.skipCurrentElement();
    }
    format.error = doc.failure();
    if (!format.error.failed() && format.sheets.isEmpty())
        format.error = ImportError::Reason::NoSheets;
}

std::unique_ptr<Reader> openOpenDocument(const QString &path, const Format &format, ImportError *error)
{
    return openSheetOf<OpenDocumentReader>(path, format.sheet, ImportError::Reason::SpreadsheetDamaged, error);
}
} // namespace ImportSource
