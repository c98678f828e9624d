#pragma once

#include "storage/SchedaProdotto.h"
#include "warehouse/rules/ImportError.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/**
 * Turning a row of an imported file into a card: which column feeds each card field, and the card's
 * own rules (required fields, money and quantities, field widths, Windows-1252) applied to the row.
 */
namespace ImportRules {
constexpr int NoColumn = -1;
/** For each card field, the column (from 0) it takes, or NoColumn. */
using Mapping = std::array<int, TSchedaProdotto::FieldCount>;

/** The caption of a card field as the card shows it ("Codice articolo", "Prezzo di vendita" ...). */
QString fieldTitle(TSchedaProdotto::Field field);

/** What a refusal says of a required field left empty ("manca il codice articolo" ...). */
QString missingText(TSchedaProdotto::Field field);
/** A cell's value as a report line quotes it: its first 40 characters in guillemets. */
QString quoted(const QString &text);

/** A header reduced for matching: lower case, no accents, words separated by one blank. */
QString headerKey(const QString &header);

/**
 * The column each field takes from its header: the card's captions and field names, the export's
 * headers and the usual words ("Descrizione", "Quantità", "Fornitore" ...), case and accents ignored.
 * A column feeds one field at most.
 */
Mapping guessMapping(const QStringList &headers);

/** The rows from the top of a file among which its header row is looked for. */
constexpr int HeaderSearchRows = 20;
/**
 * The row (from 0) that looks like the header, below any titles and notes: the first that names at
 * least two card fields; 0 when none does.
 */
int guessHeaderRow(const QList<QStringList> &rows);

/** The outcome of one row. */
struct Checked
{
    enum class Verdict { Accepted, Refused, Empty };
    Verdict verdict = Verdict::Empty;
    TSchedaProdotto card;
    /** Why a row is refused (with no row number: the row is the caller's); none otherwise. */
    ImportError reason;
    /** What changed in an accepted row (a text cut to its field, a date left out ...), in Italian. */
    QStringList notes;
    /** Characters the card cannot store, written as '?'. */
    int replaced = 0;
};

/**
 * Applies the card's rules to a row through the mapping. A row with no mapped text is Empty. With
 * `unmappedKept` (a row that updates a card) a required field the mapping gives no column is not asked
 * for: the card keeps its own; a required column left empty in the row is still refused.
 */
Checked checkRow(const QStringList &cells, const Mapping &mapping, bool unmappedKept = false);

/** The first required field, in the card's order, that the mapping gives no column; nothing when all have one. */
std::optional<TSchedaProdotto::Field> firstUnmappedRequired(const Mapping &mapping);

/** Reads a money or quantity text as the card would, also from 1.234,50, 12.50 and "€ 12,50". */
std::optional<double> readNumber(const QString &text);
} // namespace ImportRules
