#include "warehouse/rules/ImportSourceParts.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

// The program's own Magazzino.xls, an HTML table.
namespace ImportSource {
namespace {
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
} // namespace

std::unique_ptr<Reader> openPage(const QString &path, const Format &format, ImportError *error)
{
    auto reader = std::make_unique<PageReader>(path, format.encoding);
    if (reader->openFile())
        return reader;
    if (error)
        *error = ImportError::Reason::CannotOpen;
    return nullptr;
}
} // namespace ImportSource
