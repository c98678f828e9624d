#include "warehouse/rules/ImportSourceParts.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

// Telling what a file is and how to read it, from its first bytes.
namespace ImportSource {
namespace {
constexpr qint64 SampleBytes = 64 * 1024;

const QChar kSeparators[] = { QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(','), QLatin1Char('|') };

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

Format detect(const QString &path)
{
    Format format;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        format.error = ImportError::Reason::CannotOpen;
        return format;
    }
    QByteArray sample = file.read(SampleBytes);
    const bool whole = file.atEnd();
    file.close();
    for (const FormatEntry &entry : formats()) {
        if (entry.recognises && entry.recognises(sample)) {
            format.kind = entry.kind;
            entry.describe(path, format);
            return format;
        }
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
        format.error = ImportError::Reason::NotText;
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
} // namespace ImportSource
