#include "warehouse/rules/MovementRules.h"

#include "storage/FieldRules.h"
#include "storage/SchedaProdotto.h"

#include <QLocale>

#include <algorithm>
#include <unordered_map>

using F = TSchedaProdotto::Field;

namespace MovementRules {
namespace {
Movements::Movement fromCard(const TSchedaProdotto &card, qint64 number)
{
    Movements::Movement m;
    m.card = number;
    m.code = card[F::Codice];
    m.name = card[F::Nome];
    m.category = card[F::Tipologia];
    m.supplier = card[F::Ditta];
    m.cost = parseDecimal(card[F::Costo]).value_or(0.0);
    m.price = parseDecimal(card[F::Prezzo]).value_or(0.0);
    return m;
}
} // namespace

std::vector<Movements::Movement> cardMovements(
    const TSchedaProdotto &card, qint64 number, double stored, const std::vector<StockStep> &steps)
{
    const double target = parseDecimal(card[F::Giacenza]).value_or(0.0);
    std::vector<Movements::Movement> out;
    double stock = stored;
    auto add = [&](Movements::Reason reason, double change) {
        Movements::Movement m = fromCard(card, number);
        m.reason = reason;
        m.before = stock;
        m.change = change;
        m.after = stock + change;
        stock = m.after;
        out.push_back(std::move(m));
    };
    for (const StockStep &step : steps)
        add(step.add ? Movements::Reason::Carico : Movements::Reason::Scarico,
            step.add ? step.quantity : -step.quantity);
    if (target != stock)
        add(Movements::Reason::Rettifica, target - stock);
    return out;
}

Movements::Movement importMovement(const TSchedaProdotto &card, qint64 number, double stored)
{
    Movements::Movement m = fromCard(card, number);
    m.reason = Movements::Reason::Import;
    m.before = stored;
    m.after = parseDecimal(card[F::Giacenza]).value_or(0.0);
    m.change = m.after - m.before;
    return m;
}

QString notRecordedText(Movements::Problem problem)
{
    return QStringLiteral("La scheda \u00e8 stata salvata, ma il movimento di magazzino non \u00e8 stato "
                          "registrato.\n\n%1\n\nIl registro pu\u00f2 essere ricreato vuoto dalla finestra dei "
                          "movimenti della scheda (pulsante Ricrea registro vuoto).")
        .arg(Movements::problemText(problem));
}

std::vector<ProductTotals> totalsByProduct(const std::vector<Movements::Movement> &rows)
{
    std::unordered_map<qint64, size_t> index;
    std::vector<ProductTotals> out;
    for (const Movements::Movement &m : rows) {
        auto [at, added] = index.try_emplace(m.card, out.size());
        if (added)
            out.emplace_back().card = m.card;
        ProductTotals &t = out[at->second];
        t.code = m.code;
        t.name = m.name;
        (m.change > 0 ? t.in : t.out) += std::abs(m.change);
        ++t.movements;
    }
    std::sort(out.begin(), out.end(), [](const ProductTotals &a, const ProductTotals &b) { return a.card < b.card; });
    return out;
}

std::vector<double> runningStock(const std::vector<Movements::Movement> &rows, double current)
{
    std::vector<double> out;
    out.reserve(rows.size());
    double stock = current;
    for (const Movements::Movement &m : rows) {
        out.push_back(stock);
        stock -= m.change;
    }
    return out;
}

QString quantityText(double value)
{
    return generalForm(value);
}

QString moneyText(double value)
{
    return QLocale(QLocale::Italian, QLocale::Italy).toString(value, 'f', 2);
}

} // namespace MovementRules
