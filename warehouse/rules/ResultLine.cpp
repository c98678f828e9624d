#include "warehouse/rules/ResultLine.h"

#include "storage/Codepage.h"
#include "storage/SchedaProdotto.h"
#include "storage/StoredText.h"

#include <array>
#include <span>

namespace {
using F = TSchedaProdotto;

struct Segment
{
    const char16_t *lead; // text before the field
    TSchedaProdotto::Field field;
    int width; // 0: the field trimmed, not filled out
};

constexpr std::array<Segment, 7> kSearch = { {
    { u"Cod. ", F::Codice, 22 },
    { u"  ", F::Nome, 34 },
    { u"  Cat. ", F::Tipologia, 22 },
    { u"  Giac. ", F::Giacenza, 4 },
    { u"  Pagato: ", F::Pagato, 2 },
    { u"  Scad. ", F::DataSca, 10 },
    { u"  Costo: \u20ac ", F::Costo, 0 },
} };

constexpr std::array<Segment, 7> kUnpaid = { {
    { u"Cod. ", F::Codice, 20 },
    { u"  ", F::Nome, 30 },
    { u"  ", F::Tipologia, 20 },
    { u"  Giac. ", F::Giacenza, 4 },
    { u"  ", F::Ditta, 24 },
    { u"  Scad. ", F::DataSca, 10 },
    { u"  Costo: \u20ac ", F::Costo, 0 },
} };

std::span<const Segment> segments(LineLayout layout)
{
    return layout == LineLayout::Search ? std::span<const Segment>(kSearch) : std::span<const Segment>(kUnpaid);
}

// Every byte of the code page as its character, so a line is decoded without a string per field.
const QChar *cp1252Table()
{
    static const QString table = [] {
        char all[256];
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);
        return fromCp1252(all, 256);
    }();
    return table.constData();
}

// The stored text of a field, trimmed as every stored text is.
struct Bytes
{
    const unsigned char *begin;
    int size;
};

Bytes trimmedField(const char *record, TSchedaProdotto::Field field)
{
    const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(field);
    const QByteArrayView text = storedText(record + info.offset, info.width);
    return { reinterpret_cast<const unsigned char *>(text.data()), static_cast<int>(text.size()) };
}

int leadLength(const char16_t *lead)
{
    int n = 0;
    while (lead[n])
        ++n;
    return n;
}
} // namespace

int resultLineFixedWidth(LineLayout layout)
{
    int width = 0;
    for (const Segment &s : segments(layout))
        width += leadLength(s.lead) + s.width;
    return width;
}

QString resultLine(LineLayout layout, const char *record)
{
    const QChar *table = cp1252Table();
    const Bytes cost = trimmedField(record, F::Costo);
    QString line(resultLineFixedWidth(layout) + cost.size, Qt::Uninitialized);
    QChar *out = line.data();
    for (const Segment &s : segments(layout)) {
        for (const char16_t *c = s.lead; *c; ++c)
            *out++ = QChar(*c);
        const Bytes text = s.width == 0 ? cost : trimmedField(record, s.field);
        const int shown = s.width == 0 || text.size < s.width ? text.size : s.width;
        for (int i = 0; i < shown; ++i)
            *out++ = table[text.begin[i]];
        for (int i = shown; i < s.width; ++i)
            *out++ = QLatin1Char(' ');
    }
    return line;
}
