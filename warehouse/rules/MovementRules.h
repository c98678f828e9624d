#pragma once

#include "storage/Movements.h"

#include <QStringList>

#include <vector>

struct TSchedaProdotto;

/** What the windows make of the journal of movements, with no widget. */
namespace MovementRules {

/** One use of + or - on the card editor's stock since the card was shown. */
struct StockStep
{
    bool add;
    double quantity;
};

/**
 * The movements of saving `card` as number `number` over a stored stock of `stored` (0 for a new
 * card): each + and - as a carico or scarico, in order, and whatever else changed the stock (the box
 * typed in) as one rettifica after them.
 */
std::vector<Movements::Movement> cardMovements(
    const TSchedaProdotto &card, qint64 number, double stored, const std::vector<StockStep> &steps);

/** The movements of an import writing `card` over a stored stock of `stored`. */
Movements::Movement importMovement(const TSchedaProdotto &card, qint64 number, double stored);

/** The warning after a card saved without its movement. */
QString notRecordedText(Movements::Problem problem);

/** A product's totals over a period. */
struct ProductTotals
{
    qint64 card = 0;
    QString code;
    QString name;
    double in = 0;
    double out = 0;
    qint64 movements = 0;
};
/** The totals in and out of each card in `rows`, by card number, named as in its latest row. */
std::vector<ProductTotals> totalsByProduct(const std::vector<Movements::Movement> &rows);

/** The running stock after each of `rows` (newest first), rebuilt back from the card's `current` stock. */
std::vector<double> runningStock(const std::vector<Movements::Movement> &rows, double current);

/** A quantity and a sum of money as the windows show them: "12", "-3", "1.234,50". */
QString quantityText(double value);
QString moneyText(double value);

} // namespace MovementRules
