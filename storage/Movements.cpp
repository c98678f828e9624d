#include "storage/Movements.h"

#include "storage/ArchiveError.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/Logging.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "storage/platform/Os.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <sqlite3.h>

#include <cmath>
#include <unordered_map>

using F = TSchedaProdotto::Field;

namespace Movements {
namespace {

std::function<bool(Step)> &stepHook()
{
    static std::function<bool(Step)> hook;
    return hook;
}

bool stepAllowed(Step step)
{
    const auto &hook = stepHook();
    return !hook || hook(step);
}

// Stored as local time text: it sorts as it reads, and a day is a range of it.
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString timeText(const QDateTime &when)
{
    return when.toString(TimeFormat);
}

QString dayStart(QDate day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

bool sameStock(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

double number(const QString &text)
{
    return parseDecimal(text).value_or(0.0);
}

Problem problemOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return Problem::None;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Problem::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_FORMAT:
        return Problem::Damaged;
    default:
        return Problem::WriteFailed;
    }
}

/** One connection, for one call, on the calling thread. */
class Db
{
public:
    Db() = default;
    ~Db()
    {
        // The last connection to close folds the log back into the file and removes it.
        if (m_db)
            sqlite3_close_v2(m_db);
    }
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    /** Opens (creating it with `create`) and sets the journal up; false with problem() set. */
    bool open(bool create)
    {
        const QString file = path();
        const QFileInfo info(file);
        if (info.exists() && !info.isFile())
            return fail(Problem::Damaged, "not a file");
        if (!info.exists() && !create)
            return false; // nothing recorded yet: no problem
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK)
            return fail(problemOf(m_db ? sqlite3_errcode(m_db) : SQLITE_CANTOPEN), "open");
        sqlite3_busy_timeout(m_db, 5000);
        sqlite3_extended_result_codes(m_db, 0);
        // FULL: a confirmed movement is on the disk before the window says the card was saved.
        return exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=FULL")
            && exec("CREATE TABLE IF NOT EXISTS movimenti("
                    "id INTEGER PRIMARY KEY, quando TEXT NOT NULL, scheda INTEGER NOT NULL, codice TEXT, "
                    "nome TEXT, tipologia TEXT, ditta TEXT, prima REAL, variazione REAL, dopo REAL, "
                    "costo REAL, prezzo REAL, causale INTEGER, gruppo INTEGER NOT NULL, "
                    "confermato INTEGER NOT NULL)")
            // A card's history and the stock at a date read this index alone.
            && exec("CREATE INDEX IF NOT EXISTS movimenti_scheda "
                    "ON movimenti(scheda, quando, id, confermato, variazione, costo)")
            && exec("CREATE INDEX IF NOT EXISTS movimenti_quando ON movimenti(quando)")
            && exec("CREATE INDEX IF NOT EXISTS movimenti_sospesi ON movimenti(gruppo) WHERE confermato = 0");
    }

    /** Pages read through a memory map: a year's report or an inventory reads tens of thousands of them. */
    void forLongReads() { (void)(exec("PRAGMA mmap_size=1073741824") && exec("PRAGMA cache_size=-32768")); }

    bool exec(const char *sql)
    {
        char *message = nullptr;
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
        sqlite3_free(message);
        return rc == SQLITE_OK || fail(problemOf(rc), sql);
    }

    bool fail(Problem p, const char *what)
    {
        if (m_problem == Problem::None) {
            m_problem = p;
            qCWarning(lcStorage, "movements: %s: %s (%s)", what, m_db ? sqlite3_errmsg(m_db) : "no database",
                qPrintable(fileName()));
        }
        return false;
    }

    Problem problem() const { return m_problem; }
    sqlite3 *handle() const { return m_db; }
    explicit operator bool() const { return m_db != nullptr && m_problem == Problem::None; }

private:
    sqlite3 *m_db = nullptr;
    Problem m_problem = Problem::None;
};

/** A prepared statement, finalised when it goes. */
class Statement
{
public:
    Statement(Db &db, const char *sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            db.fail(problemOf(sqlite3_errcode(db.handle())), sql);
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }
    void bind(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }
    void bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); }
    void bind(int i, const QString &v)
    {
        const QByteArray bytes = v.toUtf8();
        sqlite3_bind_text(m_stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    /** True on a row, false at the end or on a failure (then the Db says which). */
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            m_db.fail(problemOf(rc), sqlite3_sql(m_stmt));
        return false;
    }
    /** Runs a statement that returns no rows; false on a failure. */
    bool run()
    {
        step();
        sqlite3_reset(m_stmt);
        return bool(m_db);
    }
    void reset() { sqlite3_reset(m_stmt); }
    qint64 integer(int c) const { return sqlite3_column_int64(m_stmt, c); }
    double real(int c) const { return sqlite3_column_double(m_stmt, c); }
    const char *raw(int c) const { return reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c)); }
    QString text(int c) const
    {
        return QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c)), sqlite3_column_bytes(m_stmt, c));
    }

private:
    Db &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

const char *const SelectColumns = "SELECT id, quando, scheda, codice, nome, tipologia, ditta, prima, variazione, "
                                  "dopo, costo, prezzo, causale FROM movimenti ";

/** The stored time, read by hand: a year's report reads hundreds of thousands of them. */
QDateTime timeOf(const char *text)
{
    if (!text || qstrlen(text) != 19)
        return QDateTime();
    auto digits = [text](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    const QDate day(digits(0, 4), digits(5, 2), digits(8, 2));
    const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
    // A local time asks the system's time-zone rules (a look at the disk) each time: rows come in time
    // order, so the day's offset is worked out once, unless the clocks change that day.
    thread_local QDate lastDay;
    thread_local int offset = 0;
    thread_local bool steady = false;
    if (day != lastDay) {
        lastDay = day;
        offset = QDateTime(day, QTime(0, 0)).offsetFromUtc();
        steady = offset == QDateTime(day, QTime(23, 59, 59)).offsetFromUtc();
    }
    return steady ? QDateTime(day, time, Qt::OffsetFromUTC, offset) : QDateTime(day, time);
}

Movement movementOf(const Statement &s)
{
    Movement m;
    m.id = s.integer(0);
    m.when = timeOf(s.raw(1));
    m.card = s.integer(2);
    m.code = s.text(3);
    m.name = s.text(4);
    m.category = s.text(5);
    m.supplier = s.text(6);
    m.before = s.real(7);
    m.change = s.real(8);
    m.after = s.real(9);
    m.cost = s.real(10);
    m.price = s.real(11);
    m.reason = Reason(s.integer(12));
    return m;
}

bool insertRows(Db &db, const std::vector<Movement> &rows, qint64 group, bool confirmed)
{
    Statement insert(db,
        "INSERT INTO movimenti(quando, scheda, codice, nome, tipologia, ditta, prima, variazione, dopo, costo, "
        "prezzo, causale, gruppo, confermato) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    if (!insert)
        return false;
    for (const Movement &m : rows) {
        insert.bind(1, timeText(m.when));
        insert.bind(2, m.card);
        insert.bind(3, m.code);
        insert.bind(4, m.name);
        insert.bind(5, m.category);
        insert.bind(6, m.supplier);
        insert.bind(7, m.before);
        insert.bind(8, m.change);
        insert.bind(9, m.after);
        insert.bind(10, m.cost);
        insert.bind(11, m.price);
        insert.bind(12, qint64(m.reason));
        insert.bind(13, group);
        insert.bind(14, qint64(confirmed ? 1 : 0));
        if (!insert.run())
            return false;
    }
    return true;
}

/**
 * Settles what a failure or a stop between the two writes left pending: for each card of each
 * change, the card holding the stock its last row led to means the card was written. A card that
 * cannot be read now leaves its rows pending for a later call; they count nowhere meanwhile.
 */
void settle(Db &db)
{
    struct Pending
    {
        qint64 group;
        qint64 card;
        double after;
    };
    std::vector<Pending> pending;
    {
        Statement s(db,
            "SELECT gruppo, scheda, dopo FROM movimenti WHERE confermato = 0 "
            "ORDER BY gruppo, scheda, quando, id");
        if (!s)
            return;
        while (s.step()) {
            const Pending p { s.integer(0), s.integer(1), s.real(2) };
            if (!pending.empty() && pending.back().group == p.group && pending.back().card == p.card)
                pending.back() = p;
            else
                pending.push_back(p);
        }
    }
    if (pending.empty() || !db)
        return;
    if (!db.exec("BEGIN IMMEDIATE"))
        return;
    Statement keep(db, "UPDATE movimenti SET confermato = 1 WHERE gruppo = ? AND scheda = ? AND confermato = 0");
    Statement drop(db, "DELETE FROM movimenti WHERE gruppo = ? AND scheda = ? AND confermato = 0");
    try {
        const qint64 count = WarehouseArchive::count();
        for (const Pending &p : pending) {
            const bool written
                = p.card <= count && sameStock(number(WarehouseArchive::read(p.card)[F::Giacenza]), p.after);
            Statement &s = written ? keep : drop;
            s.bind(1, p.group);
            s.bind(2, p.card);
            if (!s.run())
                break;
        }
    } catch (const ArchiveError &) {
        db.exec("ROLLBACK");
        return;
    }
    if (!db || !db.exec("COMMIT"))
        db.exec("ROLLBACK");
}

/** Opens for a read: empty and no problem when there is no journal yet. */
bool openToRead(Db &db, Problem *problem)
{
    if (!db.open(false)) {
        *problem = db.problem();
        return false;
    }
    settle(db);
    if (!db) {
        *problem = db.problem();
        return false;
    }
    return true;
}

} // namespace

QString reasonText(Reason reason)
{
    switch (reason) {
    case Reason::Carico:
        return QStringLiteral("Carico");
    case Reason::Scarico:
        return QStringLiteral("Scarico");
    case Reason::Rettifica:
        return QStringLiteral("Rettifica");
    case Reason::Import:
        return QStringLiteral("Importazione");
    }
    return QString();
}

QString problemText(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::Damaged:
        return QStringLiteral("Il registro dei movimenti (Movimenti.db) \u00e8 danneggiato o illeggibile.");
    case Problem::WriteFailed:
        return QStringLiteral("Impossibile scrivere nel registro dei movimenti (Movimenti.db).");
    case Problem::Busy:
        return QStringLiteral("Il registro dei movimenti (Movimenti.db) \u00e8 in uso da un'altra copia del "
                              "programma.");
    case Problem::Stopped:
        return QStringLiteral("Operazione annullata.");
    }
    return QString();
}

QString fileName()
{
    return QStringLiteral("Movimenti.db");
}

QString path()
{
    return programPath(fileName());
}

QStringList companions()
{
    return { fileName() + QStringLiteral("-wal"), fileName() + QStringLiteral("-shm") };
}

Problem Recording::prepare(std::vector<Movement> rows, bool settleFirst)
{
    m_rows.clear();
    const QDateTime now = Clock::now();
    for (Movement &m : rows) {
        if (sameStock(m.change, 0))
            continue;
        if (!m.when.isValid())
            m.when = now;
        m_rows.push_back(std::move(m));
    }
    if (m_rows.empty())
        return Problem::None;
    Db db;
    if (!stepAllowed(Step::Prepare) || !db.open(true)) {
        m_rows.clear();
        return db.problem() == Problem::None ? Problem::WriteFailed : db.problem();
    }
    // Anything an earlier failure left pending is settled first, while the cards still hold what it wrote.
    if (settleFirst)
        settle(db);
    bool ok = db && db.exec("BEGIN IMMEDIATE");
    if (ok) {
        Statement next(db, "SELECT coalesce(max(gruppo), 0) + 1 FROM movimenti");
        ok = next && next.step();
        m_group = ok ? next.integer(0) : 0;
    }
    ok = ok && insertRows(db, m_rows, m_group, false) && db.exec("COMMIT");
    if (!ok) {
        db.exec("ROLLBACK");
        m_rows.clear();
        return db.problem() == Problem::None ? Problem::WriteFailed : db.problem();
    }
    return Problem::None;
}

void Recording::moveTo(qint64 card)
{
    for (Movement &m : m_rows) {
        m_moved = m_moved || m.card != card;
        m.card = card;
    }
}

Problem Recording::confirm()
{
    if (m_rows.empty())
        return Problem::None;
    Db db;
    if (!stepAllowed(Step::Confirm) || !db.open(true))
        return db.problem() == Problem::None ? Problem::WriteFailed : db.problem();
    bool ok = db.exec("BEGIN IMMEDIATE");
    if (ok) {
        Statement confirm(db, "UPDATE movimenti SET confermato = 1 WHERE gruppo = ?");
        confirm.bind(1, m_group);
        ok = confirm && confirm.run();
        // Another copy of the program may have settled them meanwhile, either way: write them whole again.
        if (ok && (m_moved || sqlite3_changes(db.handle()) != int(m_rows.size()))) {
            Statement drop(db, "DELETE FROM movimenti WHERE gruppo = ?");
            drop.bind(1, m_group);
            ok = drop && drop.run() && insertRows(db, m_rows, m_group, true);
        }
    }
    ok = ok && db.exec("COMMIT");
    if (!ok) {
        db.exec("ROLLBACK");
        return db.problem() == Problem::None ? Problem::WriteFailed : db.problem();
    }
    m_rows.clear();
    return Problem::None;
}

void Recording::cancel()
{
    if (m_rows.empty())
        return;
    m_rows.clear();
    Db db;
    if (!db.open(false))
        return;
    Statement drop(db, "DELETE FROM movimenti WHERE gruppo = ? AND confermato = 0");
    if (drop) {
        drop.bind(1, m_group);
        (void)drop.run();
    }
}

Rows history(qint64 card)
{
    Rows out;
    Db db;
    if (!openToRead(db, &out.problem))
        return out;
    Statement s(db,
        (QByteArray(SelectColumns) + "WHERE scheda = ? AND confermato = 1 ORDER BY quando DESC, id DESC").constData());
    if (s) {
        s.bind(1, card);
        while (s.step())
            out.rows.push_back(movementOf(s));
    }
    out.problem = db.problem();
    return out;
}

Rows period(QDate from, QDate to, const QString &category, const QString &supplier, const Progress &progress)
{
    Rows out;
    Db db;
    if (!openToRead(db, &out.problem))
        return out;
    db.forLongReads();
    QByteArray sql = QByteArray(SelectColumns) + "WHERE quando >= ?1 AND quando < ?2 AND confermato = 1 ";
    if (!category.isEmpty())
        sql += "AND tipologia = ?3 COLLATE NOCASE ";
    if (!supplier.isEmpty())
        sql += "AND ditta = ?4 COLLATE NOCASE ";
    sql += "ORDER BY quando, id";
    Statement s(db, sql.constData());
    if (!s) {
        out.problem = db.problem();
        return out;
    }
    s.bind(1, dayStart(from));
    s.bind(2, dayStart(to.addDays(1)));
    if (!category.isEmpty())
        s.bind(3, category);
    if (!supplier.isEmpty())
        s.bind(4, supplier);
    while (s.step()) {
        out.rows.push_back(movementOf(s));
        if (progress && out.rows.size() % 4096 == 0 && !progress(qint64(out.rows.size()), 0)) {
            out.rows.clear();
            out.problem = Problem::Stopped;
            return out;
        }
    }
    out.problem = db.problem();
    return out;
}

Inventory stockAt(QDate day, const Progress &progress)
{
    Inventory out;
    // The cards as they are now: the starting point the later movements are taken back from.
    try {
        const auto &codeField = TSchedaProdotto::info(F::Codice);
        const auto &nameField = TSchedaProdotto::info(F::Nome);
        const auto &stockField = TSchedaProdotto::info(F::Giacenza);
        const auto &costField = TSchedaProdotto::info(F::Costo);
        WarehouseArchive::forEachRaw([&](qint64 n, const char *record) {
            StockAt card;
            card.card = n;
            card.code = readTextField(record + codeField.offset, codeField.width);
            card.name = readTextField(record + nameField.offset, nameField.width);
            card.stock = number(readTextField(record + stockField.offset, stockField.width));
            card.cost = number(readTextField(record + costField.offset, costField.width));
            out.cards.push_back(std::move(card));
            return true;
        });
    } catch (const ArchiveError &) {
        out.problem = Problem::Damaged;
        return out;
    }
    const qint64 cardCount = qint64(out.cards.size());
    Db db;
    if (openToRead(db, &out.problem)) {
        db.forLongReads();
        Statement s(db,
            "SELECT scheda, quando, variazione, costo FROM movimenti INDEXED BY movimenti_scheda "
            "WHERE confermato = 1 ORDER BY scheda, quando, id");
        const QByteArray end = dayStart(day.addDays(1)).toUtf8();
        qint64 seen = 0;
        qint64 current = 0;
        bool first = true;
        while (s && s.step()) {
            const qint64 n = s.integer(0);
            if (n < 1 || n > cardCount)
                continue; // a movement of a card the archive no longer has (an older copy restored)
            StockAt &card = out.cards[size_t(n - 1)];
            if (n != current) {
                current = n;
                first = true;
            }
            const bool afterDay = qstrcmp(s.raw(1), end.constData()) >= 0;
            if (first && afterDay)
                card.startsLater = true;
            first = false;
            if (afterDay) {
                card.stock -= s.real(2);
            } else {
                card.cost = s.real(3);
                card.costFromJournal = true;
            }
            if (progress && ++seen % 65536 == 0 && !progress(seen, 0)) {
                out.problem = Problem::Stopped;
                out.cards.clear();
                return out;
            }
        }
        out.problem = db.problem();
    }
    for (const StockAt &card : out.cards)
        out.total += card.stock * card.cost;
    return out;
}

Problem rebuildEmpty()
{
    const QString file = path();
    const QFileInfo info(file);
    if (info.exists() || info.isSymLink()) {
        const QString aside = programPath(
            QStringLiteral("Movimenti-danneggiato-") + Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        QString target = aside + QStringLiteral(".db");
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = aside + QStringLiteral("-%1.db").arg(n);
        if (!Os::replace(QFile::encodeName(file).toStdString(), QFile::encodeName(target).toStdString()))
            return Problem::WriteFailed;
    }
    for (const QString &name : companions()) {
        const QString companion = programPath(name);
        if (QFileInfo(companion).isFile())
            (void)Os::remove(QFile::encodeName(companion).toStdString());
    }
    Db db;
    if (!db.open(true))
        return db.problem();
    return Problem::None;
}

void checkpoint()
{
    Db db;
    if (db.open(false))
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

void setStepHook(std::function<bool(Step)> hook)
{
    stepHook() = std::move(hook);
}

Problem appendConfirmed(const std::vector<Movement> &rows)
{
    Db db;
    if (!db.open(true))
        return db.problem();
    db.exec("PRAGMA synchronous=OFF");
    const bool ok = db.exec("BEGIN IMMEDIATE") && insertRows(db, rows, 0, true) && db.exec("COMMIT");
    if (!ok)
        db.exec("ROLLBACK");
    return db.problem();
}

} // namespace Movements
