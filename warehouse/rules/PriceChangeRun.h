#pragma once

#include "warehouse/rules/PriceChange.h"

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

/**
 * A price change on the cards a search or a list found: what it would do (preview), doing it in one
 * locked pass of the archive (apply), and undoing the last one (undo). Each throws ArchiveError when
 * the archive cannot be read or written; apply and undo leave the archive as it was when they fail.
 */
namespace PriceChangeRun {
/** Called now and then with how many cards are done; false stops the preview (apply ignores it). */
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Line
{
    qint64 record = 0;
    QString code;
    QString name;
    QString old; ///< the field's text as it is
    PriceChange::Outcome outcome;
};

struct Counts
{
    qint64 changed = 0;
    qint64 same = 0;
    qint64 notNumeric = 0;
    qint64 refused = 0; ///< below zero or too long for the field
    qint64 totalBefore = 0; ///< cents, over the cards that change
    qint64 totalAfter = 0;
};

struct Preview
{
    std::vector<Line> lines; ///< one per card found, in record order
    Counts counts;
};

/** What the change makes of each card of `records` (numbers from 1; numbers past the end are skipped). */
Preview preview(const std::vector<qint64> &records, const PriceChange &change, const Progress &progress = {});

struct Applied
{
    Counts counts;
    QSet<QString> changedCodes; ///< the trimmed codes of the cards changed, for the lists to update
};

/**
 * Changes the cards of `records` as `change` says in one pass, each card read again under the lock (a
 * card changed since the preview gets the change of its price now). Only the price field's bytes of a
 * changed card are written. The archive from before is kept to undo it, with a record saying
 * `description`; the previous change can no longer be undone.
 */
Applied apply(const std::vector<qint64> &records, const PriceChange &change, const QString &description,
    const Progress &progress = {});

enum class Undo {
    Done,
    Nothing, ///< no change to undo
    ChangedSince ///< the archive is not as the change left it: undoing would lose what came after
};
/** The description of the change undo() would undo, or empty when there is none. */
QString lastChange();
/** Gives the archive back the exact bytes it had before the last change, when nothing changed it since. */
Undo undo(const Progress &progress = {});
} // namespace PriceChangeRun
