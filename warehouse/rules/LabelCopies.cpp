#include "warehouse/rules/LabelCopies.h"

#include "storage/TextField.h"

#include <algorithm>

LabelCopies labelCopies(LabelCopiesMode mode, int fixed, const QString &stock)
{
    switch (mode) {
    case LabelCopiesMode::One:
        return { 1, false };
    case LabelCopiesMode::Fixed:
        return { std::clamp(fixed, 0, MaxLabelCopies), false };
    case LabelCopiesMode::Stock:
        break;
    }
    // The stock as the card stores it: whole digits, perhaps after a minus sign (a subtraction beyond
    // the stock). Anything else, "3,5" or "tre", gives no number of labels.
    const QString text = trimText(stock);
    if (text.isEmpty())
        return { 0, true };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(i == 0 && c == QLatin1Char('-')))
            return { 0, true };
    }
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < 0)
        return { 0, true };
    return { int(std::min<qint64>(n, MaxLabelCopies)), false };
}
