#include "warehouse/rules/ResultScan.h"

#include "storage/Codepage.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace {
// Each byte of the code page as the character it stands for, and as its place
// in the list order (a to z as their capitals, every other character by its
// code), so bytes sort as their text does.
struct ByteTables
{
    std::array<char16_t, 256> character;
    std::array<quint16, 256> order;
};

const ByteTables &tables()
{
    static const ByteTables t = [] {
        ByteTables t {};
        char all[256];
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);
        const QString text = fromCp1252(all, 256);
        for (int i = 0; i < 256; ++i) {
            const char16_t c = text.at(i).unicode();
            t.character[size_t(i)] = c;
            t.order[size_t(i)] = (c >= u'a' && c <= u'z') ? quint16(c - 32) : quint16(c);
        }
        return t;
    }();
    return t;
}

// The first eight characters after the beginning all lines share, in the list
// order's terms, packed in two words: most comparisons end there without
// touching the lines themselves.
struct Keyed
{
    quint64 high;
    quint64 low;
    quint32 index;
};
} // namespace

void ResultLines::clear()
{
    m_bytes.clear();
    m_items.clear();
}

void ResultLines::reserve(qsizetype lines, qsizetype lineBytes)
{
    // Pages not yet written to cost nothing, so the room may be generous.
    m_bytes.reserve(m_bytes.size() + lines * lineBytes);
    m_items.reserve(m_items.size() + size_t(lines));
}

void ResultLines::append(LineLayout layout, const char *record, qint64 number)
{
    const qsizetype at = m_bytes.size();
    appendResultLine(m_bytes, layout, record);
    m_items.push_back({ quint32(at), quint32(m_bytes.size() - at), number });
}

void ResultLines::append(const QString &line, qint64 number)
{
    const qsizetype at = m_bytes.size();
    m_bytes += toCp1252(line);
    m_items.push_back({ quint32(at), quint32(m_bytes.size() - at), number });
}

QString ResultLines::line(qsizetype i) const
{
    const Item &item = m_items[size_t(i)];
    const auto &character = tables().character;
    QString text(item.length, Qt::Uninitialized);
    QChar *out = text.data();
    const auto *in = reinterpret_cast<const unsigned char *>(m_bytes.constData() + item.offset);
    for (quint32 k = 0; k < item.length; ++k)
        out[k] = QChar(character[in[k]]);
    return text;
}

QStringList ResultLines::lines() const
{
    QStringList out;
    out.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        out << line(i);
    return out;
}

void ResultLines::sort()
{
    if (m_items.size() < 2)
        return;
    const auto &order = tables().order;
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_bytes.constData());
    // The beginning every line shares ("Cod. " at least) decides nothing.
    const Item &first = m_items.front();
    quint32 shared = first.length;
    for (const Item &e : m_items) {
        quint32 i = 0;
        const quint32 n = std::min(shared, e.length);
        while (i < n && bytes[e.offset + i] == bytes[first.offset + i])
            ++i;
        shared = i;
    }
    std::vector<Keyed> keys;
    keys.reserve(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item &e = m_items[i];
        Keyed k { 0, 0, quint32(i) };
        for (quint32 c = 0; c < 8; ++c) {
            const quint32 at = shared + c;
            const quint64 key = at < e.length ? order[bytes[e.offset + at]] : 0;
            (c < 4 ? k.high : k.low) |= key << (16 * (3 - c % 4));
        }
        keys.push_back(k);
    }
    auto less = [&](const Item &a, const Item &b) {
        const quint32 n = std::min(a.length, b.length);
        const unsigned char *pa = bytes + a.offset;
        const unsigned char *pb = bytes + b.offset;
        for (quint32 i = 0; i < n; ++i) {
            const quint16 ka = order[pa[i]];
            const quint16 kb = order[pb[i]];
            if (ka != kb)
                return ka < kb;
        }
        return a.length < b.length;
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const Keyed &a, const Keyed &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return less(m_items[a.index], m_items[b.index]);
    });
    std::vector<Item> sorted;
    sorted.reserve(m_items.size());
    for (const Keyed &k : keys)
        sorted.push_back(m_items[k.index]);
    m_items = std::move(sorted);
}

void collectResults(ResultLines &lines, LineLayout layout, const std::function<bool(const char *record)> &test)
{
    // Room for every card once, from the archive's size: the buffer never grows
    // and copies itself.
    const qint64 cards = QFileInfo(warehousePath()).size() / TSchedaProdotto::RecordSize;
    lines.reserve(cards, resultLineFixedWidth(layout) + TSchedaProdotto::info(TSchedaProdotto::Costo).width);
    WarehouseArchive::forEachRaw([&](qint64 number, const char *record) {
        if (test(record))
            lines.append(layout, record, number);
        return true;
    });
}
