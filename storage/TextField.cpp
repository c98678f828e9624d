#include "storage/TextField.h"

#include "storage/Codepage.h"

#include <algorithm>
#include <cstring>

QString trimText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

QString fitText(const QString &text, int width)
{
    return trimText(text).left(width);
}

void writeTextField(char *field, int width, const QString &text)
{
    const QByteArray bytes = toCp1252(trimText(text));
    const int length = static_cast<int>(std::min<qsizetype>(bytes.size(), width));
    field[0] = static_cast<char>(length);
    std::memcpy(field + 1, bytes.constData(), length);
}

QString readRawTextField(const char *field, int width)
{
    const int length = std::min(static_cast<int>(static_cast<unsigned char>(field[0])), width);
    return fromCp1252(field + 1, length);
}

QString readTextField(const char *field, int width)
{
    return trimText(readRawTextField(field, width));
}

QString oneLine(const QString &text)
{
    const auto breaksTheLine = [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029;
    };
    // Nearly every text is one line already: it is shared as it is, with no copy.
    qsizetype first = 0;
    while (first < text.size() && !breaksTheLine(text.at(first)))
        ++first;
    if (first == text.size())
        return text;
    QString out;
    out.reserve(text.size());
    out += QStringView(text).left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        if (!breaksTheLine(text.at(i))) {
            out += text.at(i);
            continue;
        }
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        out += QLatin1Char(' ');
    }
    return out;
}
