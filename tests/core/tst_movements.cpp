// The journal of stock movements: the stock at a date rebuilt from it, the order of the card's and
// the journal's writes under failures and kills, a damaged journal, and the journal in safety copies.
#include "storage/ArchiveError.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/Movements.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/ImportRun.h"
#include "warehouse/rules/MovementRules.h"

#include "../support/ImportOptions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

using F = TSchedaProdotto::Field;
using Movements::Problem;

namespace {
TSchedaProdotto makeCard(const QString &code, double stock, const QString &cost)
{
    TSchedaProdotto card;
    card[F::Codice] = code;
    card[F::Nome] = QStringLiteral("Prodotto ") + code;
    card[F::Costo] = cost;
    card[F::Prezzo] = QStringLiteral("9,90");
    card[F::Giacenza] = generalForm(stock);
    card[F::Tipologia] = code.startsWith(QLatin1Char('A')) ? QStringLiteral("Casa") : QStringLiteral("Giardino");
    return card;
}

double stockOf(qint64 n)
{
    return parseDecimal(WarehouseArchive::read(n)[F::Giacenza]).value_or(0.0);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/** The sum of a card's confirmed movements: what its stock must be when it started at 0. */
double journaledStock(qint64 card)
{
    const Movements::Rows rows = Movements::history(card);
    double sum = 0;
    for (const Movements::Movement &m : rows.rows)
        sum += m.change;
    return sum;
}
} // namespace

class TestMovements : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path() + QLatin1Char('/'); }

    /**
     * Saves card `n` as the card editor does: its + and - steps, then the stock typed in the box
     * (`typed`, NaN for none), with `cost`. Returns what the journal said.
     */
    Problem edit(qint64 n, const std::vector<MovementRules::StockStep> &steps, double typed, const QString &cost)
    {
        TSchedaProdotto card = WarehouseArchive::read(n);
        const double stored = parseDecimal(card[F::Giacenza]).value_or(0.0);
        double stock = stored;
        for (const auto &s : steps)
            stock += s.add ? s.quantity : -s.quantity;
        card[F::Giacenza] = generalForm(std::isnan(typed) ? stock : typed);
        card[F::Costo] = cost;
        Movements::Recording recording;
        const Problem prepared = recording.prepare(MovementRules::cardMovements(card, n, stored, steps));
        WarehouseArchive::overwrite(n, card);
        const Problem confirmed = prepared == Problem::None ? recording.confirm() : prepared;
        return confirmed;
    }

    /** A new card saved by the editor with its starting stock. */
    qint64 addCard(const QString &code, double stock, const QString &cost)
    {
        const TSchedaProdotto card = makeCard(code, stock, cost);
        Movements::Recording recording;
        const qint64 next = WarehouseArchive::count() + 1;
        if (recording.prepare(MovementRules::cardMovements(card, next, 0, {})) != Problem::None)
            return 0;
        const qint64 n = WarehouseArchive::append(card);
        recording.moveTo(n);
        return recording.confirm() == Problem::None ? n : 0;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }

    void cleanup()
    {
        Movements::setStepHook({});
        Os::Faults::disarm();
        Clock::setNow(QDateTime());
        setProgramFolderOverride(QString());
    }

    // A year of carichi, scarichi, typed edits and imports, each on its own day and time: the stock
    // rebuilt at the end of any day equals the stock the cards held then, and so does the cost.
    void scriptedYearRebuildsTheStockOfEveryDay()
    {
        QRandomGenerator random(35);
        const QDate first(2025, 1, 1);
        // A card from before the journal: its stock never moved, so it is the same on every date.
        WarehouseArchive::append(makeCard(QStringLiteral("VECCHIA"), 7, QStringLiteral("2,00")));
        Clock::setNow(QDateTime(first.addDays(-1), QTime(18, 0)));
        // The cost of each card's latest movement: the cost at a date the journal knows.
        std::map<qint64, double> lastCost;
        for (int i = 1; i <= 7; ++i) {
            const double stock = random.bounded(20);
            const qint64 n = addCard(QStringLiteral("A%1").arg(i), stock, QStringLiteral("1,00"));
            QVERIFY(n > 0);
            if (stock != 0)
                lastCost[n] = 1;
        }

        std::map<QDate, std::vector<std::pair<double, double>>> recorded; // stock and cost at the end of each day
        auto snapshot = [&](QDate day) {
            std::vector<std::pair<double, double>> cards;
            for (qint64 n = 1; n <= WarehouseArchive::count(); ++n) {
                const TSchedaProdotto c = WarehouseArchive::read(n);
                cards.emplace_back(parseDecimal(c[F::Giacenza]).value_or(0), lastCost.count(n) ? lastCost[n] : NAN);
            }
            recorded[day] = cards;
        };
        snapshot(first.addDays(-1));
        qint64 lateCard = 0;
        const QString csv = folder() + QStringLiteral("listino.csv");
        for (QDate day = first; day.year() == 2025; day = day.addDays(1)) {
            if (day.dayOfYear() % 3 == 0) {
                Clock::setNow(QDateTime(day, QTime(9 + random.bounded(8), random.bounded(60), random.bounded(60))));
                const qint64 n = 2 + random.bounded(7);
                const QString cost = QStringLiteral("%1,%2").arg(1 + random.bounded(9)).arg(random.bounded(10, 99));
                const double q = 1 + random.bounded(5);
                const double before = stockOf(n);
                const int kind = random.bounded(4);
                switch (kind) {
                case 0:
                    QCOMPARE(edit(n, { { true, q } }, NAN, cost), Problem::None);
                    break;
                case 1:
                    QCOMPARE(edit(n, { { false, q } }, NAN, cost), Problem::None);
                    break;
                case 2:
                    QCOMPARE(edit(n, {}, double(random.bounded(30)), cost), Problem::None);
                    break;
                default: // + and - then a count typed over them, all in one save
                    QCOMPARE(edit(n, { { true, q }, { false, 1 } }, double(random.bounded(30)), cost), Problem::None);
                    break;
                }
                if (kind != 2 || stockOf(n) != before)
                    lastCost[n] = parseDecimal(cost).value_or(0);
            }
            if (day.day() == 15) {
                // The monthly price list updates three cards' stock and cost, and adds a new one in June.
                Clock::setNow(QDateTime(day, QTime(20, 0)));
                QByteArray rows = "Codice;Nome prodotto;Prezzo;Costo;Giacenza;Tipologia;Caratteristiche;UM\n";
                // Three different cards (A1..A7 are cards 2..8), each with its new stock and cost.
                std::vector<std::tuple<qint64, double, double>> changes;
                while (changes.size() < 3) {
                    const qint64 n = 2 + random.bounded(7);
                    if (std::none_of(
                            changes.begin(), changes.end(), [n](const auto &c) { return std::get<0>(c) == n; }))
                        changes.emplace_back(n, random.bounded(40), 1 + random.bounded(5));
                }
                for (const auto &[n, stock, cost] : changes) {
                    rows += QStringLiteral("A%1;Prodotto A%1;9,90;%2,00;%3;Casa;Vetro;Pezzo\n")
                                .arg(n - 1)
                                .arg(cost)
                                .arg(stock)
                                .toUtf8();
                    if (stock != stockOf(n))
                        lastCost[n] = cost;
                }
                if (day.month() == 6)
                    rows += "NUOVA;Prodotto nuovo;9,90;4,00;12;Casa;Vetro;Pezzo\n";
                writeFile(csv, rows);
                ImportRun::Options options = importOptionsFor(csv);
                options.updateByCode = true;
                const ImportRun::Report report = ImportRun::write(options);
                QVERIFY2(report.written, qPrintable(report.text()));
                QCOMPARE(report.movements, Problem::None);
                if (day.month() == 6) {
                    lateCard = WarehouseArchive::count();
                    lastCost[lateCard] = 4;
                }
            }
            snapshot(day);
        }

        QVERIFY(lateCard > 0);
        QList<QDate> days = { first.addDays(-1), QDate(2025, 6, 14), QDate(2025, 6, 15), QDate(2025, 12, 31) };
        for (int month = 1; month <= 12; ++month)
            days << QDate(2025, month, 1).addMonths(1).addDays(-1) << QDate(2025, month, 1 + random.bounded(28));
        for (const QDate day : days) {
            const Movements::Inventory inventory = Movements::stockAt(day);
            QCOMPARE(inventory.problem, Problem::None);
            const auto &expected = recorded.at(day);
            QCOMPARE(inventory.cards.size(), size_t(WarehouseArchive::count()));
            double total = 0;
            for (const Movements::StockAt &card : inventory.cards) {
                const double stockThen
                    = size_t(card.card) <= expected.size() ? expected[size_t(card.card - 1)].first : 0;
                QVERIFY2(card.stock == stockThen,
                    qPrintable(QStringLiteral("scheda %1 al %2: %3 invece di %4")
                                   .arg(card.card)
                                   .arg(day.toString(Qt::ISODate))
                                   .arg(card.stock)
                                   .arg(stockThen)));
                const double journalCost
                    = size_t(card.card) <= expected.size() ? expected[size_t(card.card - 1)].second : NAN;
                QCOMPARE(card.costFromJournal, !std::isnan(journalCost) && !card.startsLater);
                if (card.costFromJournal)
                    QCOMPARE(card.cost, journalCost);
                QCOMPARE(card.startsLater, card.card == lateCard && day < QDate(2025, 6, 15));
                total += card.stock * card.cost;
            }
            QCOMPARE(inventory.total, total);
            QVERIFY(!inventory.cards.front().costFromJournal); // the card from before the journal
        }

        // The period's totals in and out add up to the change of each card over it.
        const Movements::Rows year = Movements::period(first, QDate(2025, 12, 31));
        QCOMPARE(year.problem, Problem::None);
        for (const MovementRules::ProductTotals &t : MovementRules::totalsByProduct(year.rows)) {
            const double start = size_t(t.card) <= recorded.at(first.addDays(-1)).size()
                ? recorded.at(first.addDays(-1))[size_t(t.card - 1)].first
                : 0;
            QCOMPARE(t.in - t.out, recorded.at(QDate(2025, 12, 31))[size_t(t.card - 1)].first - start);
        }
        const Movements::Rows garden = Movements::period(first, QDate(2025, 12, 31), QStringLiteral("giardino"));
        QVERIFY(garden.rows.empty());
        const Movements::Rows house = Movements::period(first, QDate(2025, 12, 31), QStringLiteral("CASA"));
        QCOMPARE(house.rows.size(), year.rows.size());
    }

    void savesRecordTheirReasonsInOrder()
    {
        Clock::setNow(QDateTime(QDate(2025, 3, 1), QTime(10, 0)));
        const qint64 n = addCard(QStringLiteral("A1"), 10, QStringLiteral("1,00"));
        Clock::setNow(QDateTime(QDate(2025, 3, 2), QTime(10, 0)));
        QCOMPARE(edit(n, { { true, 5 }, { false, 2 } }, 20, QStringLiteral("1,50")), Problem::None);
        const Movements::Rows rows = Movements::history(n);
        QCOMPARE(rows.rows.size(), size_t(4));
        // Newest first: the rettifica closes the save after its carico and scarico.
        const std::vector<std::tuple<Movements::Reason, double, double, double>> expected = {
            { Movements::Reason::Rettifica, 13, 7, 20 },
            { Movements::Reason::Scarico, 15, -2, 13 },
            { Movements::Reason::Carico, 10, 5, 15 },
            { Movements::Reason::Rettifica, 0, 10, 10 },
        };
        for (size_t i = 0; i < expected.size(); ++i) {
            const auto &[reason, before, change, after] = expected[i];
            QCOMPARE(rows.rows[i].reason, reason);
            QCOMPARE(rows.rows[i].before, before);
            QCOMPARE(rows.rows[i].change, change);
            QCOMPARE(rows.rows[i].after, after);
            QCOMPARE(rows.rows[i].code, QStringLiteral("A1"));
        }
        QCOMPARE(rows.rows[0].cost, 1.5);
        QCOMPARE(rows.rows[0].when, QDateTime(QDate(2025, 3, 2), QTime(10, 0)));
        QCOMPARE(MovementRules::runningStock(rows.rows, 20), (std::vector<double> { 20, 13, 15, 10 }));
        // A save that leaves the stock alone records nothing.
        QCOMPARE(edit(n, {}, NAN, QStringLiteral("2,00")), Problem::None);
        QCOMPARE(Movements::history(n).rows.size(), size_t(4));
    }

    // Whatever step fails, the journal and the card agree once the journal is next opened: a card
    // change has its movement and a movement has its card change. Only a journal that refuses the
    // movement before the card is written leaves the change unrecorded, and that is reported.
    void failureBetweenCardAndJournal_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("cardWritten");
        QTest::addColumn<bool>("reported");
        QTest::newRow("journal refuses the pending rows") << "prepare" << true << true;
        QTest::newRow("card write fails") << "card" << false << false;
        QTest::newRow("card write fails, journal cancel fails too") << "card+cancel" << false << false;
        QTest::newRow("journal refuses the confirmation") << "confirm" << true << true;
    }
    void failureBetweenCardAndJournal()
    {
        QFETCH(QString, failing);
        QFETCH(bool, cardWritten);
        QFETCH(bool, reported);
        const qint64 n = addCard(QStringLiteral("A1"), 10, QStringLiteral("1,00"));
        QVERIFY(n > 0);
        Movements::setStepHook([&](Movements::Step step) {
            return !(failing == QLatin1String("prepare") && step == Movements::Step::Prepare)
                && !(failing == QLatin1String("confirm") && step == Movements::Step::Confirm);
        });
        TSchedaProdotto card = WarehouseArchive::read(n);
        card[F::Giacenza] = QStringLiteral("14");
        Movements::Recording recording;
        const Problem prepared = recording.prepare(MovementRules::cardMovements(card, n, 10, { { true, 4 } }));
        bool written = true;
        {
            Os::Faults::Fault fault;
            fault.kind = Os::Faults::Kind::Write;
            fault.call = failing.startsWith(QLatin1String("card")) ? 1 : 0;
            fault.path = "Magazzino.pro";
            fault.wholeName = true;
            const Os::Faults::Armed armed(fault);
            try {
                WarehouseArchive::overwrite(n, card);
            } catch (const ArchiveError &) {
                written = false;
            }
        }
        Problem journal = prepared;
        if (!written && failing != QLatin1String("card+cancel"))
            recording.cancel();
        else if (written && prepared == Problem::None)
            journal = recording.confirm();
        Movements::setStepHook({});

        QCOMPARE(written, cardWritten);
        QCOMPARE(journal != Problem::None, reported);
        QCOMPARE(stockOf(n), cardWritten ? 14.0 : 10.0);
        // The next opening settles what was left pending.
        const double journaled = journaledStock(n);
        if (failing == QLatin1String("prepare"))
            QCOMPARE(journaled, 10.0); // the change the window reported as not recorded
        else
            QCOMPARE(journaled, stockOf(n));
    }

    void killDuringAMovement_data()
    {
        QTest::addColumn<QString>("point");
        QTest::addColumn<double>("stockAfter");
        QTest::newRow("before the pending rows") << "prepare" << 10.0;
        QTest::newRow("before the card's write") << "card" << 10.0;
        QTest::newRow("before the confirmation") << "confirm" << 13.0;
        QTest::newRow("not killed") << "none" << 13.0;
    }
    void killDuringAMovement()
    {
        QFETCH(QString, point);
        QFETCH(double, stockAfter);
        QVERIFY(addCard(QStringLiteral("A1"), 10, QStringLiteral("1,00")) == 1);
        QProcess worker;
        worker.start(QStringLiteral(MOVEMENT_WORKER_PATH), { m_dir->path(), point, QStringLiteral("3") });
        QVERIFY(worker.waitForFinished(20000));
        QCOMPARE(worker.exitStatus() == QProcess::CrashExit, point != QLatin1String("none"));
        QCOMPARE(stockOf(1), stockAfter);
        QCOMPARE(journaledStock(1), stockAfter);
        // Settled once and for all: a later movement starts from there.
        QCOMPARE(edit(1, { { false, 1 } }, NAN, QStringLiteral("1,00")), Problem::None);
        QCOMPARE(journaledStock(1), stockAfter - 1);
    }

    // Garbage, a cut file or a folder where the journal should be: reads and writes say Damaged,
    // the card is saved all the same, and the journal rebuilt empty works again with the damaged one kept.
    void damagedJournal_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("garbage bytes") << "garbage";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("a folder in its place") << "folder";
    }
    void damagedJournal()
    {
        QFETCH(QString, damage);
        const qint64 n = addCard(QStringLiteral("A1"), 10, QStringLiteral("1,00"));
        // Enough movements of another card for the file to span many pages.
        std::vector<Movements::Movement> many(3000);
        for (Movements::Movement &m : many) {
            m.card = 2;
            m.change = 1;
            m.when = Clock::now();
            m.name = QString(40, QLatin1Char('x'));
        }
        QCOMPARE(Movements::appendConfirmed(many), Problem::None);
        const QString db = Movements::path();
        if (damage == QLatin1String("garbage")) {
            QByteArray noise(64 * 1024, '\0');
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            writeFile(db, noise);
        } else if (damage == QLatin1String("truncated")) {
            QFile f(db);
            QVERIFY(f.size() > 8192);
            QVERIFY(f.resize(f.size() / 3));
        } else {
            QVERIFY(QFile::remove(db));
            QVERIFY(QDir().mkdir(db));
        }
        QCOMPARE(Movements::history(n).problem, Problem::Damaged);
        QCOMPARE(Movements::stockAt(QDate(2030, 1, 1)).problem, Problem::Damaged);
        QCOMPARE(edit(n, { { true, 1 } }, NAN, QStringLiteral("1,00")), Problem::Damaged);
        QCOMPARE(stockOf(n), 11.0); // the card was saved all the same

        QCOMPARE(Movements::rebuildEmpty(), Problem::None);
        QCOMPARE(QDir(folder()).entryList({ QStringLiteral("Movimenti-danneggiato-*.db") }).size(), 1);
        QCOMPARE(Movements::history(n).problem, Problem::None);
        QVERIFY(Movements::history(n).rows.empty());
        QCOMPARE(edit(n, { { false, 2 } }, NAN, QStringLiteral("1,00")), Problem::None);
        QCOMPARE(Movements::history(n).rows.size(), size_t(1));
        // The card's history now starts after the rebuild: before it the stock is not known.
        QVERIFY(Movements::stockAt(QDate(2000, 1, 1)).cards.front().startsLater);
    }

    void missingJournalIsEmptyAndMadeByTheFirstMovement()
    {
        WarehouseArchive::append(makeCard(QStringLiteral("A1"), 5, QStringLiteral("1,00")));
        QCOMPARE(Movements::history(1).problem, Problem::None);
        QVERIFY(!QFile::exists(Movements::path())); // reading makes no file
        QCOMPARE(Movements::stockAt(QDate(2020, 1, 1)).cards.front().stock, 5.0);
        QCOMPARE(edit(1, { { true, 1 } }, NAN, QStringLiteral("1,00")), Problem::None);
        QVERIFY(QFile::exists(Movements::path()));
    }

    // The copy holds every movement (none left behind in SQLite's log), and a restore brings the
    // journal back as it was, recording nothing itself and leaving no log of the newer journal behind.
    void safetyCopyHoldsTheJournalAndRestoreBringsItBack()
    {
        const qint64 n = addCard(QStringLiteral("A1"), 10, QStringLiteral("1,00"));
        QCOMPARE(edit(n, { { true, 2 } }, NAN, QStringLiteral("1,00")), Problem::None);
        QVERIFY(ProgramFiles::isProgramFile(Movements::fileName()));
        for (const QString &companion : Movements::companions())
            QVERIFY(!ProgramFiles::isProgramFile(companion));
        const QString copy = m_dir->path() + QStringLiteral("-copia.zip");
        QCOMPARE(SafetyCopy::create(copy), SafetyCopy::Problem::None);
        SafetyCopy::Contents contents;
        QCOMPARE(SafetyCopy::inspect(copy, &contents), SafetyCopy::Problem::None);

        QCOMPARE(edit(n, { { false, 5 } }, NAN, QStringLiteral("1,00")), Problem::None);
        QCOMPARE(Movements::history(n).rows.size(), size_t(3));
        // A log left by a copy of the program still at work must not be replayed over the restored journal.
        writeFile(Movements::path() + QStringLiteral("-wal"), QByteArray(4096, 'x'));
        QCOMPARE(SafetyCopy::restore(copy), SafetyCopy::Problem::None);
        QVERIFY(!QFile::exists(Movements::path() + QStringLiteral("-wal")));
        const Movements::Rows rows = Movements::history(n);
        QCOMPARE(rows.problem, Problem::None);
        QCOMPARE(rows.rows.size(), size_t(2));
        QCOMPARE(stockOf(n), 12.0);
        QCOMPARE(journaledStock(n), 12.0);
        QFile::remove(copy);
    }

    // A card whose code changes keeps its history (by its number); each movement shows the code it had.
    void codeChangeKeepsTheHistory()
    {
        const qint64 n = addCard(QStringLiteral("OLD"), 1, QStringLiteral("1,00"));
        TSchedaProdotto card = WarehouseArchive::read(n);
        card[F::Codice] = QStringLiteral("NEW");
        card[F::Giacenza] = QStringLiteral("4");
        Movements::Recording recording;
        QCOMPARE(recording.prepare(MovementRules::cardMovements(card, n, 1, {})), Problem::None);
        WarehouseArchive::overwrite(n, card);
        QCOMPARE(recording.confirm(), Problem::None);
        const Movements::Rows rows = Movements::history(n);
        QCOMPARE(rows.rows.size(), size_t(2));
        QCOMPARE(rows.rows[0].code, QStringLiteral("NEW"));
        QCOMPARE(rows.rows[1].code, QStringLiteral("OLD"));
    }
};

QTEST_GUILESS_MAIN(TestMovements)
#include "tst_movements.moc"
