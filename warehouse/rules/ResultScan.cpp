#include "warehouse/rules/ResultScan.h"

#include "storage/SchedaProdotto.h"
#include "storage/TextOrder.h"

#include <algorithm>

void collectResults(
    std::vector<ResultEntry> &entries, LineLayout layout, const std::function<bool(const char *record)> &test)
{
    WarehouseArchive::forEachRaw([&](qint64 number, const char *record) {
        if (test(record))
            entries.push_back({ resultLine(layout, record), number });
        return true;
    });
}

namespace {
inline quint64 sortKey(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

// The first eight characters after the beginning all lines share, in the list order's terms,
// packed in two words: most comparisons end there without touching the lines themselves.
struct Keyed
{
    quint64 high;
    quint64 low;
    qsizetype index;
};

Keyed keyed(const QString &line, qsizetype shared, qsizetype index)
{
    Keyed k { 0, 0, index };
    for (int i = 0; i < 8; ++i) {
        const qsizetype at = shared + i;
        const quint64 c = at < line.size() ? sortKey(line.at(at).unicode()) : 0;
        (i < 4 ? k.high : k.low) |= c << (16 * (3 - i % 4));
    }
    return k;
}
} // namespace

void sortResults(std::vector<ResultEntry> &entries)
{
    if (entries.size() < 2)
        return;
    qsizetype shared = entries.front().line.size();
    for (const ResultEntry &e : entries) {
        const QString &first = entries.front().line;
        qsizetype i = 0;
        while (i < shared && i < e.line.size() && e.line.at(i) == first.at(i))
            ++i;
        shared = i;
    }
    std::vector<Keyed> keys;
    keys.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        keys.push_back(keyed(entries[i].line, shared, qsizetype(i)));
    std::stable_sort(keys.begin(), keys.end(), [&](const Keyed &a, const Keyed &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return listTextLess(entries[a.index].line, entries[b.index].line);
    });
    std::vector<ResultEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed &k : keys)
        sorted.push_back(std::move(entries[k.index]));
    entries = std::move(sorted);
}
