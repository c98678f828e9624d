#pragma once

#include <QFont>

/**
 * A font by the name and point size the window layouts give ("Verdana", 12, bold). The machine maps
 * the name to what it has (Verdana and Tahoma to DejaVu Sans, Arial to Liberation Sans).
 */
inline QFont designFont(const QString &family, int points, bool bold = false)
{
    QFont font(family);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}
