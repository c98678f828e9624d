#include "warehouse/rules/ImportSourceParts.h"

#include <QFile>
#include <QStringDecoder>

// Delimited text: comma, semicolon, tab or bar, with quoted cells.
namespace ImportSource {
namespace {
/**
 * A quoted cell may hold line breaks, but one still open after this many, or at the end of the file,
 * is a quote never closed: its row is refused and reading starts again on the line after the one the
 * quote opened on, so a stray quote never swallows the rows that follow it.
 */
constexpr int MaxQuotedLines = 50;

class TextReader : public Reader
{
public:
    TextReader(const QString &path, const Format &format)
        : m_file(path)
        , m_utf8(format.encoding == Encoding::Utf8)
        , m_separator(format.separator)
        , m_decoder(
              format.encoding == Encoding::Utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("windows-1252"))
    { }
    bool openFile() { return m_file.open(QIODevice::ReadOnly); }

    bool read(QStringList &cells) override
    {
        RowBuilder row;
        enum class State { Start, Plain, Quoted, QuoteSeen } state = State::Start;
        int quotedLines = 0; // line breaks inside the open quote
        qint64 resumeAt = -1; // the byte after the row's first line break inside a quote
        bool resumeAfterReturn = false;
        const auto unclosed = [&]() {
            cells.clear();
            m_rowError = ImportError::Reason::UnclosedQuote;
            if (resumeAt >= 0) {
                m_file.seek(resumeAt);
                m_decoder.resetState();
                m_text.clear();
                m_at = 0;
                m_skipLineFeed = resumeAfterReturn;
            }
            return true;
        };
        for (;;) {
            if (m_at >= m_text.size()) {
                if (!fill()) {
                    if (state == State::Quoted && !m_error.failed())
                        return unclosed();
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
                if (c == QLatin1Char('"')) {
                    state = State::QuoteSeen;
                } else {
                    const bool pairedLater
                        = c == QLatin1Char('\r') && m_at < m_text.size() && m_text.at(m_at) == QLatin1Char('\n');
                    if ((c == QLatin1Char('\n') || c == QLatin1Char('\r')) && !pairedLater) {
                        if (resumeAt < 0) {
                            resumeAt = bytePosition();
                            resumeAfterReturn = c == QLatin1Char('\r');
                        }
                        if (++quotedLines > MaxQuotedLines)
                            return unclosed();
                    }
                    row.put(c);
                }
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
        m_chunkStart = m_file.pos();
        QByteArray bytes = m_file.read(ChunkBytes);
        if (bytes.isEmpty()) {
            if (m_file.error() != QFileDevice::NoError)
                m_error = ImportError::Reason::ReadFailed;
            return false;
        }
        if (m_utf8 && !m_file.atEnd()) {
            // A chunk ends on a whole character, so its text maps back to its bytes.
            qsizetype back = 0;
            while (back < 3 && back < bytes.size() && (uchar(bytes.at(bytes.size() - 1 - back)) & 0xC0) == 0x80)
                ++back;
            if (back < bytes.size() && uchar(bytes.at(bytes.size() - 1 - back)) >= 0xC0) {
                bytes.chop(back + 1);
                m_file.seek(m_chunkStart + bytes.size());
            }
        }
        // The decoder drops a byte-order mark at the start: the text begins after it.
        m_textStart = m_chunkStart + (m_chunkStart == 0 && m_utf8 && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0);
        m_text = m_decoder.decode(bytes);
        return true;
    }

    /** The byte of the file the next character (m_at) starts at. */
    qint64 bytePosition() const
    {
        const QStringView before = QStringView(m_text).left(m_at);
        if (!m_utf8)
            return m_textStart + before.size();
        qint64 bytes = 0;
        for (const QChar c : before)
            bytes += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
        return m_textStart + bytes;
    }

    QFile m_file;
    bool m_utf8;
    qint64 m_chunkStart = 0;
    qint64 m_textStart = 0; ///< the byte m_text starts at
    QChar m_separator;
    QStringDecoder m_decoder;
    QString m_text;
    qsizetype m_at = 0;
    bool m_skipLineFeed = false;
};
} // namespace

std::unique_ptr<Reader> openText(const QString &path, const Format &format, ImportError *error)
{
    auto reader = std::make_unique<TextReader>(path, format);
    if (reader->openFile())
        return reader;
    if (error)
        *error = ImportError::Reason::CannotOpen;
    return nullptr;
}
} // namespace ImportSource
