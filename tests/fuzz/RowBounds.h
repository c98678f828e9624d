#pragma once

// The bounds every reader of the import holds a row to: a row past them is a fault, whatever the file.

#include "warehouse/rules/ImportSource.h"

inline void trapRowPastBounds(const QStringList &cells)
{
    if (cells.size() > ImportSource::MaxColumns)
        __builtin_trap();
    for (const QString &cell : cells)
        if (cell.size() > ImportSource::MaxCellChars)
            __builtin_trap();
}
