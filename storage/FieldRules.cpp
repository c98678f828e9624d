#include "storage/FieldRules.h"

#include "storage/TextField.h"

#include <QDate>

#include <charconv>
#include <cmath>

double roundTo(double value, int decimals)
{
    const long double f = decimals == 0 ? 1.0L : std::pow(10.0L, decimals);
    const long double sum = static_cast<long double>(value) * f + 0.5L;
    return static_cast<double>(std::floor(sum) / f);
}

namespace {

// Whether a plain number out of a double's range ("1e999", "0.0001e-400") is too large rather than too
// small: the power of ten of its first significant digit decides.
bool exceedsDouble(const QByteArray &plain)
{
    qsizetype i = 0;
    if (i < plain.size() && (plain[i] == '+' || plain[i] == '-'))
        ++i;
    long long magnitude = 0;
    bool seenPoint = false;
    bool significant = false;
    for (; i < plain.size() && plain[i] != 'e'; ++i) {
        if (plain[i] == '.') {
            seenPoint = true;
        } else if (plain[i] != '0' || significant) {
            significant = true;
            if (!seenPoint)
                ++magnitude;
        } else if (seenPoint) {
            --magnitude;
        }
    }
    long long exponent = 0;
    if (i < plain.size()) {
        bool negative = false;
        ++i;
        if (i < plain.size() && (plain[i] == '+' || plain[i] == '-'))
            negative = plain[i++] == '-';
        for (; i < plain.size() && exponent < 1000000; ++i)
            exponent = exponent * 10 + (plain[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return magnitude + exponent > 0;
}

} // namespace

std::optional<double> parseDecimal(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    QByteArray plain;
    plain.reserve(n);
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        plain += static_cast<char>(t[i++].unicode());
    int digits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
        plain += static_cast<char>(t[i++].unicode());
        ++digits;
    }
    if (i < n && t[i] == QLatin1Char(',')) {
        plain += '.';
        ++i;
        while (i < n && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
            plain += static_cast<char>(t[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        plain += 'e';
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            plain += static_cast<char>(t[i++].unicode());
        int expDigits = 0;
        while (i < n && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
            plain += static_cast<char>(t[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    // from_chars, unlike strtod, reads the full stop whatever the process locale says.
    const char *first = plain.constData();
    const char *last = first + plain.size();
    const bool negative = *first == '-';
    if (*first == '+' || negative)
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (end != last)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too large is no number; too small is zero, as the C library reads it.
        if (exceedsDouble(plain))
            return std::nullopt;
        value = 0;
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

Result<double, ConversionError> readDecimal(const QString &text)
{
    if (const auto value = parseDecimal(text))
        return *value;
    return ConversionError(QStringLiteral("'%1' non è un valore numerico valido.").arg(text).toStdString());
}

double toDecimal(const QString &text)
{
    return readDecimal(text).value();
}

QString generalForm(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // to_chars writes as "%.15G" would under the C locale, whatever the process locale says.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, written.ptr - buffer).toUpper();
    // %G writes 1.5E+20; the program's form is 1,5E20 and 1E-5.
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        if (exponent.startsWith(QLatin1Char('+')))
            exponent.remove(0, 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        if (negative)
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString normaliseMoney(const QString &text)
{
    const QString trimmed = trimText(text);
    if (trimmed.isEmpty())
        return QStringLiteral("0,00");
    const auto value = parseDecimal(trimmed);
    if (!value)
        return QStringLiteral("0,00");
    QString result = generalForm(roundTo(*value, 2));
    if (!result.contains(QLatin1Char(',')))
        result += QStringLiteral(",00");
    if (result == QLatin1String(","))
        result = QStringLiteral("0,00");
    if (result.startsWith(QLatin1Char(',')))
        result.prepend(QLatin1Char('0'));
    if (result.endsWith(QLatin1Char(',')))
        result += QStringLiteral("00");
    const QString tail = lastChars(result, 2);
    if (tail.size() == 2 && tail[0] == QLatin1Char(',') && tail[1].isDigit())
        result += QLatin1Char('0');
    return result;
}

QString normaliseQuantity(const QString &text)
{
    const QString trimmed = trimText(text);
    if (trimmed.isEmpty())
        return QStringLiteral("0");
    const auto value = parseDecimal(trimmed);
    if (!value)
        return QStringLiteral("0");
    const QString result = generalForm(roundTo(*value, 0));
    if (result == QLatin1String(",") || result.startsWith(QLatin1Char(',')) || result.endsWith(QLatin1Char(',')))
        return QStringLiteral("0");
    return result;
}

QString firstChars(const QString &text, int n)
{
    return text.left(n);
}

QString lastChars(const QString &text, int n)
{
    return text.size() <= n ? text : text.right(n);
}

QString formatDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

namespace {
int codeOf(QChar c)
{
    return c.unicode();
}
int codeOf(char c)
{
    return uchar(c);
}

// Read straight from the text (or a record's bytes) with no copy: the start window reads the due date
// of every unpaid card of the archive.
template <typename View> QDate readDayFirst(View text)
{
    qsizetype at = 0;
    qsizetype end = text.size();
    while (at < end && codeOf(text[at]) == ' ')
        ++at;
    while (end > at && codeOf(text[end - 1]) == ' ')
        --end;
    const auto number = [&](int least, int most) {
        int value = 0;
        int digits = 0;
        while (at < end && digits < most && codeOf(text[at]) >= '0' && codeOf(text[at]) <= '9') {
            value = value * 10 + (codeOf(text[at++]) - '0');
            ++digits;
        }
        return digits >= least ? value : -1;
    };
    const auto slash = [&] { return at < end && codeOf(text[at++]) == '/'; };
    const int day = number(1, 2);
    if (day < 0 || !slash())
        return {};
    const int month = number(1, 2);
    if (month < 0 || !slash())
        return {};
    const int year = number(4, 4);
    if (year < 0 || at != end)
        return {};
    return QDate(year, month, day); // invalid for 31/02 and the like
}
} // namespace

QDate readDate(QStringView text)
{
    return readDayFirst(text);
}

QDate readDate(QByteArrayView text)
{
    return readDayFirst(text);
}

QString ofDate(const QDate &date)
{
    const int day = date.day();
    const bool vowel = day == 1 || day == 8 || day == 11;
    return (vowel ? QStringLiteral("dell'") : QStringLiteral("del ")) + formatDate(date);
}

QString formatCount(qint64 n)
{
    // Written by hand: the program's locale omits the group separator for the numbers in its boxes.
    QString digits = QString::number(n);
    const qsizetype first = n < 0 ? 1 : 0;
    for (qsizetype at = digits.size() - 3; at > first; at -= 3)
        digits.insert(at, QLatin1Char('.'));
    return digits;
}
