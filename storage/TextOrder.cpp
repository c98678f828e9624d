#include "storage/TextOrder.h"

namespace {
inline char16_t key(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}
} // namespace

int compareListText(const QString &a, const QString &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const char16_t *pa = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *pb = reinterpret_cast<const char16_t *>(b.constData());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ka = key(pa[i]);
        const char16_t kb = key(pb[i]);
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
