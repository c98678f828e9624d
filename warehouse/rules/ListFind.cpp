#include "warehouse/rules/ListFind.h"

#include "warehouse/rules/CardFilter.h"

namespace {
inline char16_t lower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}
} // namespace

bool containsLowered(const QString &text, const QString &loweredKey)
{
    const qsizetype n = loweredKey.size();
    if (n == 0 || n > text.size())
        return false;
    const char16_t *t = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *k = reinterpret_cast<const char16_t *>(loweredKey.constData());
    // Only places holding the key's first character, in either case, are compared; Qt's vectorised
    // character search finds them, so a find over a hundred thousand lines stays instant.
    const QStringView view(text);
    const QChar first(k[0]);
    const QChar upper(k[0] >= u'a' && k[0] <= u'z' ? char16_t(k[0] - 32) : k[0]);
    const qsizetype last = text.size() - n;
    qsizetype atFirst = view.indexOf(first);
    qsizetype atUpper = upper == first ? -1 : view.indexOf(upper);
    while (atFirst >= 0 || atUpper >= 0) {
        const qsizetype start = atUpper < 0 || (atFirst >= 0 && atFirst < atUpper) ? atFirst : atUpper;
        if (start > last)
            return false;
        qsizetype i = 1;
        while (i < n && lower(t[start + i]) == k[i])
            ++i;
        if (i == n)
            return true;
        if (start == atFirst)
            atFirst = view.indexOf(first, start + 1);
        else
            atUpper = view.indexOf(upper, start + 1);
    }
    return false;
}

int ListFind::find(const QString &text, int count, int selected, const std::function<QString(int)> &entryText)
{
    const QString key = lowerAsciiLetters(text);
    int found = -1;
    if (count > 0) {
        const bool sameKey = key == m_key;
        const int start = sameKey ? qBound(0, selected, count - 1) : 0;
        int at = start;
        if (!sameKey && containsLowered(entryText(at), key))
            found = at;
        while (found < 0) {
            at = (at + 1) % count;
            if (containsLowered(entryText(at), key))
                found = at;
            if (at == start)
                break;
        }
    }
    m_key = key;
    return found;
}
