#include "warehouse/rules/ListFind.h"

#include "warehouse/rules/CardFilter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
inline char16_t lower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

/**
 * The first place from `from` on holding the letter `letter` (a to z) in either case, or -1. Setting
 * bit 5 turns only the capital into the small letter, so one comparison finds both, eight characters
 * at a time where the processor allows it.
 */
qsizetype indexOfLetter(const char16_t *text, qsizetype size, qsizetype from, char16_t letter)
{
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i bit5 = _mm_set1_epi16(0x20);
    const __m128i wanted = _mm_set1_epi16(short(letter));
    for (; i + 8 <= size; i += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(chars, bit5), wanted)))
            return i + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    for (; i < size; ++i)
        if (char16_t(text[i] | 0x20) == letter)
            return i;
    return -1;
}

/** The first place from `from` on where the key's first character stands, either case for a letter. */
qsizetype indexOfFirst(QStringView text, qsizetype from, char16_t first)
{
    if (first >= u'a' && first <= u'z')
        return indexOfLetter(text.utf16(), text.size(), from, first);
    return text.indexOf(QChar(first), from);
}
} // namespace

bool containsLowered(const QString &text, const QString &loweredKey)
{
    const qsizetype n = loweredKey.size();
    if (n == 0 || n > text.size())
        return false;
    const char16_t *t = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *k = reinterpret_cast<const char16_t *>(loweredKey.constData());
    // Only places holding the key's first character are compared, so a find over a hundred thousand
    // lines stays instant.
    const qsizetype last = text.size() - n;
    for (qsizetype start = indexOfFirst(text, 0, k[0]); start >= 0 && start <= last;
         start = indexOfFirst(text, start + 1, k[0])) {
        qsizetype i = 1;
        while (i < n && lower(t[start + i]) == k[i])
            ++i;
        if (i == n)
            return true;
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
