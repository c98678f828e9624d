#include "warehouse/rules/CardFilter.h"

#include "storage/Codepage.h"
#include "storage/FieldRules.h"
#include "storage/StoredText.h"
#include "storage/TextField.h"

#include <algorithm>
#include <string_view>

namespace {
inline char lowerByte(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
} // namespace

QString lowerAsciiLetters(const QString &text)
{
    QString lowered = text;
    for (QChar &c : lowered)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return lowered;
}

CardMatcher::CardMatcher(const QList<Box> &boxes)
{
    for (const Box &box : boxes) {
        if (!trimText(box.text).isEmpty())
            ++m_counted;
        // A box with a character the archive cannot store can never occur in a field.
        if (box.text.isEmpty() || !fitsCp1252(box.text))
            continue;
        const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(box.field);
        QByteArray bytes = toCp1252(box.text);
        for (char &c : bytes)
            c = lowerByte(c);
        m_needles.push_back({ info.offset, info.width, bytes });
    }
}

int CardMatcher::matchCount(const char *record) const
{
    int matches = 0;
    char lowered[256];
    for (const Needle &n : m_needles) {
        const char *field = record + n.offset;
        const int length = std::min<int>(static_cast<unsigned char>(field[0]), n.width);
        if (length < n.bytes.size())
            continue;
        // Windows-1252 keeps A to Z at their ASCII codes, so lower-casing works on the bytes.
        std::transform(field + 1, field + 1 + length, lowered, lowerByte);
        const std::string_view hay(lowered, length);
        if (hay.find(std::string_view(n.bytes.constData(), n.bytes.size())) != std::string_view::npos)
            ++matches;
    }
    return matches;
}

bool isUnderStock(const char *record)
{
    auto field = [record](TSchedaProdotto::Field f) {
        const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(f);
        return parseDecimal(readTextField(record + info.offset, info.width));
    };
    const std::optional<double> stock = field(TSchedaProdotto::Giacenza);
    const std::optional<double> warning = field(TSchedaProdotto::Avviso);
    return stock && warning && *stock <= *warning;
}

bool isUnpaid(const char *record)
{
    const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(TSchedaProdotto::Pagato);
    return readTextField(record + info.offset, info.width) == QLatin1String("No");
}

bool isOverdue(const char *record, const QDate &today)
{
    if (!isUnpaid(record))
        return false;
    // Read from the bytes: the start window runs this over every unpaid card of the archive.
    const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(TSchedaProdotto::DataSca);
    const QDate due = readDate(storedText(record + info.offset, info.width));
    return due.isValid() && due < today;
}
