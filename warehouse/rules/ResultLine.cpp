#include "warehouse/rules/ResultLine.h"

#include "storage/Codepage.h"
#include "storage/SchedaProdotto.h"
#include "storage/StoredText.h"

#include <array>
#include <cstring>
#include <span>

namespace {
using F = TSchedaProdotto;

struct Segment
{
    const char *lead; // text before the field, in Windows-1252 (0x80 is the euro sign)
    TSchedaProdotto::Field field;
    int width; // 0: the field trimmed, not filled out
};

constexpr std::array<Segment, 7> kSearch = { {
    { "Cod. ", F::Codice, 22 },
    { "  ", F::Nome, 34 },
    { "  Cat. ", F::Tipologia, 22 },
    { "  Giac. ", F::Giacenza, 4 },
    { "  Pagato: ", F::Pagato, 2 },
    { "  Scad. ", F::DataSca, 10 },
    { "  Costo: \x80 ", F::Costo, 0 },
} };

constexpr std::array<Segment, 7> kUnpaid = { {
    { "Cod. ", F::Codice, 20 },
    { "  ", F::Nome, 30 },
    { "  ", F::Tipologia, 20 },
    { "  Giac. ", F::Giacenza, 4 },
    { "  ", F::Ditta, 24 },
    { "  Scad. ", F::DataSca, 10 },
    { "  Costo: \x80 ", F::Costo, 0 },
} };

std::span<const Segment> segments(LineLayout layout)
{
    return layout == LineLayout::Search ? std::span<const Segment>(kSearch) : std::span<const Segment>(kUnpaid);
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

int leadLength(const char *lead)
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

void appendResultLine(QByteArray &out, LineLayout layout, const char *record)
{
    const Bytes cost = trimmedField(record, F::Costo);
    const qsizetype at = out.size();
    out.resize(at + resultLineFixedWidth(layout) + cost.size);
    char *to = out.data() + at;
    for (const Segment &s : segments(layout)) {
        for (const char *c = s.lead; *c; ++c)
            *to++ = *c;
        const Bytes text = s.width == 0 ? cost : trimmedField(record, s.field);
        const int shown = s.width == 0 || text.size < s.width ? text.size : s.width;
        std::memcpy(to, text.begin, size_t(shown));
        to += shown;
        if (shown < s.width) {
            std::memset(to, ' ', size_t(s.width - shown));
            to += s.width - shown;
        }
    }
}

QString resultLine(LineLayout layout, const char *record)
{
    QByteArray bytes;
    appendResultLine(bytes, layout, record);
    return fromCp1252(bytes);
}
