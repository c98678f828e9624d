#include "warehouse/rules/SheetPart.h"

#include "storage/FieldRules.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

#include <zip.h>

namespace ImportSource {
namespace {
// The XML reader holds a whole text between two tags: a run longer than any cell can show is cut
// here, before it is parsed. An entity (at most 10 bytes, "&#x10FFFF;") makes one character, so this
// many bytes always give a whole cell.
constexpr qint64 MaxTextBytes = qint64(MaxCellChars) * 10;

// The workbook calendar's day 0: serial numbers count days from here.
const QDate kDayZero(1899, 12, 30);
} // namespace

QString cellNumber(double value)
{
    return generalForm(value);
}

QString cellDate(const QDate &day)
{
    const qint64 serial = kDayZero.daysTo(day);
    if (serial >= 1 && serial < 2958466)
        return formatDate(day);
    return generalForm(double(serial));
}

QString cellTime(double seconds)
{
    return generalForm(seconds / 86400.0);
}

QString cellTruth(bool value)
{
    return value ? QStringLiteral("S\u00ec") : QStringLiteral("No");
}

namespace {
// The mimetype member of a ZIP, when it has one.
QByteArray mimeType(zip_t *zip)
{
    zip_file_t *file = zip_fopen(zip, "mimetype", 0);
    if (!file)
        return QByteArray();
    QByteArray bytes(200, '\0');
    const zip_int64_t got = zip_fread(file, bytes.data(), zip_uint64_t(bytes.size()));
    zip_fclose(file);
    bytes.resize(std::max<zip_int64_t>(got, 0));
    return bytes.trimmed();
}

bool has(zip_t *zip, const char *name)
{
    return zip_name_locate(zip, name, ZIP_FL_NOCASE) >= 0;
}
} // namespace

ZipContents zipContents(const QString &path)
{
    ZipContents contents;
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return contents;
    contents.opened = true;
    contents.mimeType = mimeType(zip);
    contents.content = has(zip, "content.xml");
    contents.workbook = has(zip, "[Content_Types].xml") || has(zip, "xl/workbook.xml");
    contents.binaryWorkbook = has(zip, "xl/workbook.bin");
    contents.word = has(zip, "word/document.xml");
    contents.slides = has(zip, "ppt/presentation.xml");
    contents.numbers = has(zip, "Index/Document.iwa") || has(zip, "Index.zip");
    zip_discard(zip);
    return contents;
}

bool SheetRows::read(QStringList &cells)
{
    for (;;) {
        if (m_blanksToGive > 0) {
            --m_blanksToGive;
            cells.clear();
            return true;
        }
        if (m_repeatsToGive > 0) {
            --m_repeatsToGive;
            cells = m_row;
            return true;
        }
        qint64 times = 1;
        if (!nextRow(m_row, times)) {
            if (!m_error.failed() && !m_gaveAny)
                m_error = ImportError(ImportError::Reason::EmptySheet, 0, sheetName);
            return false;
        }
        // Empty rows count only when a row with something follows: a sheet's end is full of them.
        if (m_row.isEmpty()) {
            m_blanks = std::min(m_blanks + times, limits().rows + 1);
            continue;
        }
        m_blanksToGive = m_blanks;
        m_blanks = 0;
        m_repeatsToGive = times;
        m_gaveAny = true;
    }
}

bool ZipContents::isSpreadsheet() const
{
    return mimeType.startsWith(OpenDocumentSpreadsheet) || (mimeType.isEmpty() && content && !workbook);
}

SheetPart::SheetPart(zip_t *zip, const QString &name, qint64 *inflated, qint64 partBytes)
    : m_inflated(inflated)
    , m_partBytes(partBytes)
{
    zip_stat_t st;
    zip_stat_init(&st);
    const QByteArray n = name.toUtf8();
    if (zip_stat(zip, n.constData(), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
        m_size = qint64(std::min<zip_uint64_t>(st.size, std::numeric_limits<qint64>::max()));
    if (!checkBounds(m_size, *m_inflated + m_size))
        return; // refused before a byte is inflated
    m_file = zip_fopen(zip, n.constData(), 0);
    if (m_file)
        QIODevice::open(QIODevice::ReadOnly);
}

SheetPart::SheetPart(const QString &path, qint64 *inflated, qint64 partBytes)
    : m_plain(std::make_unique<QFile>(path))
    , m_inflated(inflated)
    , m_partBytes(partBytes)
{
    if (!m_plain->open(QIODevice::ReadOnly))
        return;
    m_size = m_plain->size();
    if (!checkBounds(m_size, *m_inflated + m_size))
        return;
    QIODevice::open(QIODevice::ReadOnly);
}

SheetPart::~SheetPart()
{
    if (m_file)
        zip_fclose(m_file);
}

qint64 SheetPart::readRaw(char *data, qint64 maxSize)
{
    if (m_plain)
        return m_plain->read(data, maxSize);
    return zip_fread(m_file, data, zip_uint64_t(maxSize));
}

qint64 SheetPart::readData(char *data, qint64 maxSize)
{
    if (m_error.failed())
        return -1;
    qint64 out = 0;
    while (out == 0 && maxSize > 0) {
        if (m_at == m_raw.size()) {
            m_raw.resize(64 << 10);
            const qint64 got = readRaw(m_raw.data(), m_raw.size());
            m_raw.resize(std::max<qint64>(got, 0));
            m_at = 0;
            if (got <= 0)
                return got < 0 ? -1 : 0;
            m_done += got;
            *m_inflated += got;
            // The sizes written in the ZIP may lie: what is inflated counts.
            if (!checkBounds(m_done, *m_inflated))
                return -1;
        }
        const char *raw = m_raw.constData();
        while (m_at < m_raw.size() && out < maxSize) {
            const char c = raw[m_at++];
            if (keep(c))
                data[out++] = c;
            if (m_error.failed())
                return -1;
        }
    }
    return out;
}

bool SheetPart::checkBounds(qint64 part, qint64 whole)
{
    const Limits bounds = limits();
    if (part > m_partBytes)
        m_error = ImportError(ImportError::Reason::PartTooLarge, m_partBytes);
    else if (whole > bounds.workbookBytes)
        m_error = ImportError(ImportError::Reason::WorkbookTooLarge, bounds.workbookBytes);
    return !m_error.failed();
}

// Whether a byte goes on to the XML reader: tags whole (within their bound), texts up to
// MaxTextBytes, then to the end of the entity or character they were in.
bool SheetPart::keep(char c)
{
    if (m_inTag) {
        if (++m_tagBytes > limits().markupBytes) {
            m_error = ImportError(ImportError::Reason::MarkupTooLong, limits().markupBytes);
            return false;
        }
        if (m_quote != 0) {
            if (c == m_quote)
                m_quote = 0;
        } else if (c == '>') {
            m_inTag = false;
            m_textBytes = 0;
            m_entity = false;
        } else if (m_tagBytes == 1 && (c == '!' || c == '?')) {
            m_plainTag = true; // comments and declarations: a quote in them opens nothing
        } else if ((c == '"' || c == '\'') && !m_plainTag) {
            m_quote = c;
        }
        return true;
    }
    if (c == '<') {
        m_inTag = true;
        m_cut = false;
        m_plainTag = false;
        m_tagBytes = 0;
        m_quote = 0;
        return true;
    }
    if (m_cut)
        return false;
    const bool within = m_textBytes++ < MaxTextBytes;
    const bool partOfLast = m_entity || (uchar(c) & 0xC0) == 0x80;
    if (!within && !(partOfLast && m_textBytes <= MaxTextBytes + 12)) {
        m_cut = true;
        return false;
    }
    if (c == '&')
        m_entity = true;
    else if (c == ';')
        m_entity = false;
    return true;
}
} // namespace ImportSource
