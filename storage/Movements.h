#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

/**
 * The journal of stock movements, Movimenti.db in the program folder (SQLite, write-ahead log). One
 * row per change of a card's stock; the card archive stays the truth for the current stock and the
 * journal never changes a card. The only file that includes sqlite3.h: the database is opened when
 * a call needs it, never at start-up, one connection per call, so any thread may call.
 *
 * A card change is recorded in three steps around the card's write (see Recording): the movement is
 * written as pending and flushed, then the card, then the movement is confirmed. Pending rows that a
 * failure or a stop left are settled by the next call that opens the journal, by comparing each with
 * its card: the card holds the stock the movement led to, so the card was written and the row stays;
 * otherwise the card was not written and the row goes.
 */
namespace Movements {

enum class Reason { Carico = 1, Scarico = 2, Rettifica = 3, Import = 4 };
/** "Carico", "Scarico", "Rettifica", "Importazione". */
QString reasonText(Reason reason);

struct Movement
{
    qint64 id = 0;
    QDateTime when;
    qint64 card = 0; ///< the card's number in Magazzino.pro, from 1
    QString code; ///< as it was then
    QString name;
    QString category;
    QString supplier;
    double before = 0;
    double change = 0;
    double after = 0;
    double cost = 0; ///< the card's cost and price at that moment
    double price = 0;
    Reason reason = Reason::Rettifica;
};

enum class [[nodiscard]] Problem {
    None,
    Damaged, ///< not a database, truncated, or a folder in its place
    WriteFailed, ///< the disk refused the write or the flush
    Busy, ///< another copy of the program kept it locked too long
    Stopped ///< Annulla
};
/** The Italian sentence for a problem, for the windows' messages. */
QString problemText(Problem problem);

/** "Movimenti.db". */
QString fileName();
QString path();

/** The movements of one change of cards, written around the cards' write. */
class Recording
{
public:
    /**
     * Writes `rows` as pending and flushes them. Rows whose change is zero are left out; with none
     * left nothing is written and the result is None. With `settleFirst`, rows an earlier failure left
     * pending are settled first (they need the cards readable: not while the caller holds the archive).
     */
    Problem prepare(std::vector<Movement> rows, bool settleFirst = true);
    /** After the cards were written: the rows become confirmed, flushed before this returns. */
    Problem confirm();
    /** The cards' write put the one card of these rows at number `card` (an append). */
    void moveTo(qint64 card);
    /** After the cards' write failed: the pending rows go (a failure here leaves them to the settling). */
    void cancel();
    bool empty() const { return m_rows.empty(); }

private:
    qint64 m_group = 0;
    std::vector<Movement> m_rows;
    bool m_moved = false;
};

/** Told how far a long query got; returning false stops it (Problem::Stopped). */
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Rows
{
    Problem problem = Problem::None;
    std::vector<Movement> rows;
};

/** The confirmed movements of card `card`, newest first. */
Rows history(qint64 card);

/**
 * The movements from the start of `from` to the end of `to`, oldest first; with `category` or
 * `supplier` not empty, only those whose card had that category (Tipologia) or supplier (Ditta) then,
 * ignoring case.
 */
Rows period(
    QDate from, QDate to, const QString &category = {}, const QString &supplier = {}, const Progress &progress = {});

/** One card's stock at the end of a day, rebuilt from its current stock and the later movements. */
struct StockAt
{
    qint64 card = 0;
    QString code; ///< the card's code and name now
    QString name;
    double stock = 0;
    double cost = 0;
    bool costFromJournal = false; ///< the cost of the last movement up to that day; else the card's
    bool startsLater = false; ///< the card's first movement is after that day: its stock then is not known
};
struct Inventory
{
    Problem problem = Problem::None;
    std::vector<StockAt> cards;
    double total = 0;
};
/** Every card of the archive at the end of `day`. An archive that cannot be read is Damaged too. */
Inventory stockAt(QDate day, const Progress &progress = {});

/**
 * Puts the journal aside as "Movimenti-danneggiato-AAAAMMGG-hhmmss.db" (a folder in its place too)
 * and starts an empty one; None when the new one is usable.
 */
Problem rebuildEmpty();

/**
 * Folds the write-ahead log into Movimenti.db and removes it, so the file alone holds every
 * movement (before a safety copy reads it). A missing or damaged journal is left alone.
 */
void checkpoint();
/** The names beside Movimenti.db that SQLite keeps while it works: they are never program files. */
QStringList companions();

/** Test seam: called before each step of a Recording; returning false makes that step fail. */
enum class Step { Prepare, Confirm };
void setStepHook(std::function<bool(Step)> hook);

/** For the benchmark: appends confirmed rows in one transaction, as fast as the journal takes them. */
Problem appendConfirmed(const std::vector<Movement> &rows);

} // namespace Movements
