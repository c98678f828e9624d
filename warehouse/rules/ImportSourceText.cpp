#include "warehouse/rules/ImportSourceParts.h"

#include <QFile>
#include <QStringDecoder>

// Delimited text: comma, semicolon, tab or bar, with quoted cells.
namespace ImportSource {
namespace {
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
                m_error = ImportError::Reason::ReadFailed;
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
