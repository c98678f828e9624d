#pragma once

#include <QString>

/**
 * The order of the program's sorted lists: character by character, the letters a to z taken as
 * their capitals and every other character by its code; a text that begins a longer one comes first.
 */
int compareListText(const QString &a, const QString &b);

inline bool listTextLess(const QString &a, const QString &b)
{
    return compareListText(a, b) < 0;
}
