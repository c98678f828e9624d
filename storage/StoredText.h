#pragma once

#include <QByteArrayView>

/**
 * The bytes a length-prefixed field holds, without the blanks at either end: every byte up to 32
 * counts as blank, exactly the characters up to 32 that trimText() drops once the bytes are decoded.
 * A length byte over `width` is taken as `width`. The result points into `field`.
 */
inline QByteArrayView storedText(const char *field, int width)
{
    const auto *p = reinterpret_cast<const unsigned char *>(field);
    int begin = 0;
    int end = p[0] < width ? p[0] : width;
    const unsigned char *text = p + 1;
    while (begin < end && text[begin] <= 32)
        ++begin;
    while (end > begin && text[end - 1] <= 32)
        --end;
    return QByteArrayView(field + 1 + begin, end - begin);
}
