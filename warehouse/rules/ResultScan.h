#pragma once

#include "warehouse/rules/ResultLine.h"

#include <QString>

#include <functional>
#include <vector>

/** One line of a result list and the number (from 1) of the record it was built from. */
struct ResultEntry
{
    QString line;
    qint64 record = 0;
};

/**
 * Reads Magazzino.pro from the first record to the last and appends to `entries` the line of every
 * card that passes `test`. Throws ArchiveError; the entries added before a failure stay.
 */
void collectResults(
    std::vector<ResultEntry> &entries, LineLayout layout, const std::function<bool(const char *record)> &test);

/** Sorts in the order of the program's lists; equal lines keep their file order. */
void sortResults(std::vector<ResultEntry> &entries);
