#pragma once

#include "storage/SchedaProdotto.h"

#include <QString>

/** The card found for an article code. */
struct CodeLookup
{
    qint64 number = 0; ///< 0 when no card has the code
    TSchedaProdotto card;
    int matches = 0; ///< how many cards have it
};

/**
 * The card whose code, trimmed, equals `code`, trimmed (as a barcode scanner or the keyboard typed it).
 * When several cards have it, the last one in file order, as the search's double click loads the last of
 * equal lines. Reads the archive in one pass; throws ArchiveError.
 */
CodeLookup findCardByCode(const QString &code);
