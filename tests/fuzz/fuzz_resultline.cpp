// The result-line builder and the search, under-stock and unpaid rules take any record bytes; the
// line is the one the card's trimmed fields give, and the list's find agrees with a plain search of it.
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/CardFilter.h"
#include "warehouse/rules/ListFind.h"
#include "warehouse/rules/ResultLine.h"

#include <cstring>
#include <vector>

namespace {
QString column(const QString &text, int width)
{
    return width == 0 ? text : text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString expectedLine(LineLayout layout, const TSchedaProdotto &c)
{
    using F = TSchedaProdotto;
    if (layout == LineLayout::Search)
        return QStringLiteral("Cod. ") + column(c[F::Codice], 22) + QStringLiteral("  ") + column(c[F::Nome], 34)
            + QStringLiteral("  Cat. ") + column(c[F::Tipologia], 22) + QStringLiteral("  Giac. ")
            + column(c[F::Giacenza], 4) + QStringLiteral("  Pagato: ") + column(c[F::Pagato], 2)
            + QStringLiteral("  Scad. ") + column(c[F::DataSca], 10) + QStringLiteral("  Costo: \u20ac ") + c[F::Costo];
    return QStringLiteral("Cod. ") + column(c[F::Codice], 20) + QStringLiteral("  ") + column(c[F::Nome], 30)
        + QStringLiteral("  ") + column(c[F::Tipologia], 20) + QStringLiteral("  Giac. ") + column(c[F::Giacenza], 4)
        + QStringLiteral("  ") + column(c[F::Ditta], 24) + QStringLiteral("  Scad. ") + column(c[F::DataSca], 10)
        + QStringLiteral("  Costo: \u20ac ") + c[F::Costo];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    // The record first, then the search boxes: one field-number byte and a text each, split by 0xFF.
    std::vector<char> record(TSchedaProdotto::RecordSize, '\0');
    std::memcpy(record.data(), data, std::min<size_t>(size, record.size()));
    const TSchedaProdotto card = TSchedaProdotto::load(record.data());
    for (LineLayout layout : { LineLayout::Search, LineLayout::Unpaid })
        if (resultLine(layout, record.data()) != expectedLine(layout, card))
            __builtin_trap();

    QList<CardMatcher::Box> boxes;
    if (size > record.size()) {
        const QByteArray rest(reinterpret_cast<const char *>(data) + record.size(), qsizetype(size - record.size()));
        for (const QByteArray &part : rest.split('\xFF')) {
            if (part.isEmpty())
                continue;
            const auto field
                = TSchedaProdotto::Field(static_cast<unsigned char>(part[0]) % TSchedaProdotto::FieldCount);
            boxes.append({ field, QString::fromLatin1(part.mid(1)) });
        }
    }
    const QString line = resultLine(LineLayout::Search, record.data());
    for (const CardMatcher::Box &box : boxes) {
        const QString key = lowerAsciiLetters(box.text);
        if (containsLowered(line, key) != (!key.isEmpty() && lowerAsciiLetters(line).contains(key)))
            __builtin_trap();
    }
    const CardMatcher matcher(boxes);
    const int matched = matcher.matchCount(record.data());
    if (matched < 0 || matched > boxes.size() || matcher.countedBoxes() > boxes.size())
        __builtin_trap();
    (void)isUnderStock(record.data());
    (void)isUnpaid(record.data());
    return 0;
}
