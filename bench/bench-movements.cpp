// The journal of stock movements at scale: 1 000 000 movements over 100 000 cards in a temporary
// program folder, then a card's history, a year's period report and the stock value at a date, each
// against its limit. The reference is one pass over the 100 000 cards of the archive, in the same run.
#include "storage/Movements.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/MovementRules.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
qint64 Cards = 100000;
qint64 Moves = 1000000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/** Milliseconds of the clock on the wall and of this process's processor time, which the load of the machine moves
 * less. */
struct Time
{
    double wall = 0;
    double cpu = 0;
};

Time timedBoth(const std::function<void()> &work)
{
    QElapsedTimer t;
    const std::clock_t c = std::clock();
    t.start();
    work();
    return { double(t.nsecsElapsed()) / 1e6, double(std::clock() - c) * 1000.0 / CLOCKS_PER_SEC };
}

double timed(const std::function<void()> &work)
{
    return timedBoth(work).wall;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // A smaller run for a quick look: bench-movements CARDS MOVEMENTS.
    if (argc == 3) {
        Cards = QByteArray(argv[1]).toLongLong();
        Moves = QByteArray(argv[2]).toLongLong();
    }
    QTemporaryDir dir;
    setProgramFolderOverride(dir.path());
    QRandomGenerator random(35);

    std::printf("Preparing %lld cards and %lld movements...\n", Cards, Moves);
    WarehouseArchive::inOnePass(programPath(QStringLiteral("Magazzino.pro.bak")), [&](WarehouseArchive::Batch &b) {
        for (qint64 n = 1; n <= Cards; ++n) {
            TSchedaProdotto card;
            card[TSchedaProdotto::Codice] = QStringLiteral("C%1").arg(n);
            card[TSchedaProdotto::Nome] = QStringLiteral("Prodotto %1").arg(n);
            card[TSchedaProdotto::Costo] = QStringLiteral("3,50");
            card[TSchedaProdotto::Giacenza] = QStringLiteral("10");
            b.append(card);
        }
    });
    // Two years, 2024 and 2025, in time order as a shop writes them.
    // Times in UTC only spare the generator the time-zone rules: the journal stores the clock's figures.
    const QDateTime start(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC);
    const qint64 span = start.secsTo(QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC));
    std::vector<Movements::Movement> chunk;
    for (qint64 i = 0; i < Moves; ++i) {
        Movements::Movement m;
        m.when = start.addSecs(span * i / Moves);
        m.card = 1 + random.bounded(int(Cards));
        m.code = QStringLiteral("C%1").arg(m.card);
        m.name = QStringLiteral("Prodotto %1").arg(m.card);
        m.category = QStringLiteral("Casa");
        m.change = random.bounded(2) ? 1 : -1;
        m.cost = 3.5;
        m.price = 7;
        m.reason = m.change > 0 ? Movements::Reason::Carico : Movements::Reason::Scarico;
        chunk.push_back(std::move(m));
        if (chunk.size() == 100000 || i + 1 == Moves) {
            if (Movements::appendConfirmed(chunk) != Movements::Problem::None) {
                std::fprintf(stderr, "could not write the movements\n");
                return 1;
            }
            chunk.clear();
        }
    }

    const double reference = timed([] { WarehouseArchive::forEachRaw([](qint64, const char *) { return true; }); });
    std::vector<double> histories;
    std::vector<double> historiesCpu;
    size_t historyRows = 0;
    for (int i = 0; i < 21; ++i) {
        const qint64 card = 1 + random.bounded(int(Cards));
        const Time t = timedBoth([&] { historyRows += Movements::history(card).rows.size(); });
        histories.push_back(t.wall);
        historiesCpu.push_back(t.cpu);
    }
    size_t periodRows = 0;
    const Time period = timedBoth([&] {
        const Movements::Rows rows = Movements::period(QDate(2025, 1, 1), QDate(2025, 12, 31));
        periodRows = rows.rows.size();
        (void)MovementRules::totalsByProduct(rows.rows);
    });
    double total = 0;
    const Time inventory = timedBoth([&] { total = Movements::stockAt(QDate(2024, 12, 31)).total; });

    struct Line
    {
        const char *what;
        Time time;
        double limit;
    };
    const Line lines[] = {
        { "card history (median of 21)", { median(histories), median(historiesCpu) }, 50 },
        { "period report, one year", period, 2000 },
        { "stock value at a date", inventory, 3000 },
    };
    std::printf(
        "\nMovements: %lld over %lld cards (reference: one pass over the archive %.1f ms)\n", Moves, Cards, reference);
    // Judged on the processor time: on a machine shared with other work the wall clock waits for a turn.
    std::printf("%-32s %10s %10s %10s %8s\n", "case", "wall ms", "cpu ms", "limit ms", "");
    bool ok = true;
    for (const Line &l : lines) {
        const bool fast = l.time.cpu < l.limit;
        std::printf("%-32s %10.1f %10.1f %10.0f %8s\n", l.what, l.time.wall, l.time.cpu, l.limit, fast ? "ok" : "SLOW");
        ok = ok && fast;
    }
    std::printf("(%zu rows in 21 histories, %zu in the year, inventory value %.2f)\n", historyRows, periodRows, total);
    return ok ? 0 : 1;
}
