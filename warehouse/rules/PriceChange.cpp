#include "warehouse/rules/PriceChange.h"

#include "storage/TextField.h"

namespace {
using Wide = __int128; // a 12-digit price times a percentage factor does not fit 64 bits

// Floor division for a positive divisor.
Wide floorDiv(Wide a, Wide b)
{
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Reads [sign] digits [, digits] exactly and gives it in hundredths, rounded half up (toward plus,
// as the money box's rounding does) when it has more than two decimals; `exact` refuses those.
std::optional<qint64> readHundredthsOf(const QString &raw, bool allowSign, bool exact)
{
    const QString text = trimText(raw);
    int i = 0;
    bool negative = false;
    if (allowSign && i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    Wide number = 0;
    int digits = 0;
    int decimals = 0;
    bool comma = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u',' && !comma) {
            comma = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (++digits > 30)
            return std::nullopt;
        number = number * 10 + (c - u'0');
        if (comma)
            ++decimals;
    }
    if (digits == 0 || (exact && decimals > 2))
        return std::nullopt;
    Wide scale = 1;
    for (int k = 0; k < decimals; ++k)
        scale *= 10;
    if (negative)
        number = -number;
    const Wide hundredths = floorDiv(number * 200 + scale, 2 * scale);
    if (hundredths > Wide(999999999999999LL) || hundredths < -Wide(999999999999999LL))
        return std::nullopt;
    return qint64(hundredths);
}

// The nearest multiple of `step` cents to num / den, halves up; num is not negative.
Wide roundToStep(Wide num, Wide den, Wide step)
{
    return floorDiv(2 * num + step * den, 2 * step * den) * step;
}

// The nearest price ending in `ending` cents (90 or 99) to num / den, halves up, never below zero.
Wide roundToEnding(Wide num, Wide den, Wide ending)
{
    const Wide lower = floorDiv(num - ending * den, 100 * den) * 100 + ending;
    const Wide upper = lower + 100;
    if (lower < 0)
        return upper;
    return (num - lower * den) < (upper * den - num) ? lower : upper;
}
} // namespace

std::optional<qint64> Cents::read(const QString &text)
{
    return readHundredthsOf(text, true, false);
}

QString Cents::text(qint64 cents)
{
    const qint64 magnitude = cents < 0 ? -cents : cents;
    QString out
        = QString::number(magnitude / 100) + u',' + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return cents < 0 ? u'-' + out : out;
}

std::optional<qint64> Cents::readHundredths(const QString &text)
{
    return readHundredthsOf(text, false, true);
}

PriceChange::Outcome PriceChange::apply(const QString &old) const
{
    Outcome out;
    const std::optional<qint64> before = Cents::read(old);
    if (!before)
        return out;
    out.before = *before;
    // The exact new price is num / den cents.
    Wide num = *before;
    Wide den = 1;
    if (by == By::Percent) {
        num = Wide(*before) * (up ? 10000 + size : 10000 - size);
        den = 10000;
    } else {
        num = up ? num + size : num - size;
    }
    if (num < 0) {
        out.status = Status::BelowZero;
        return out;
    }
    Wide after = 0;
    switch (rounding) {
    case Rounding::Cent:
        after = roundToStep(num, den, 1);
        break;
    case Rounding::FiveCents:
        after = roundToStep(num, den, 5);
        break;
    case Rounding::TenCents:
        after = roundToStep(num, den, 10);
        break;
    case Rounding::Euro:
        after = roundToStep(num, den, 100);
        break;
    case Rounding::Ending90:
        after = roundToEnding(num, den, 90);
        break;
    case Rounding::Ending99:
        after = roundToEnding(num, den, 99);
        break;
    }
    if (after > Wide(99999999999LL)) { // "999999999,99" fills the 12 characters of the field
        out.status = Status::TooLong;
        return out;
    }
    out.after = qint64(after);
    out.text = Cents::text(out.after);
    out.status = out.text == trimText(old) ? Status::Same : Status::Changed;
    return out;
}
