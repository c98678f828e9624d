#pragma once

#include "storage/Journal.h"

#include <QByteArray>
#include <QString>

class ArchiveFile;

#include <array>
#include <functional>
#include <vector>

/** One product card of Magazzino.pro: 24 length-prefixed Windows-1252 fields, 2592 bytes. */
struct TSchedaProdotto
{
    static constexpr int RecordSize = 2592;
    static constexpr int FieldCount = 24;

    enum Field {
        Codice,
        Costo,
        Nome,
        Giacenza,
        Avviso,
        UM,
        Tipologia,
        Caratteristiche,
        Collocazione,
        Ditta,
        Agente,
        Recapito,
        Documento,
        Pagamento,
        DataSca,
        Note,
        Prezzo,
        Pagato,
        File01,
        File02,
        File03,
        Desc01,
        Desc02,
        Desc03
    };

    struct FieldInfo
    {
        const char *name; ///< the record field name, also the editor box suffix (txtCodice, lblFile01 ...)
        int offset;
        int width; ///< maximum characters; the field takes width + 1 bytes
    };
    static const std::array<FieldInfo, FieldCount> &layout();
    static const FieldInfo &info(Field f) { return layout()[f]; }

    /** The stored texts "Sì" and "No" of the paid flag. */
    static QString paidText(bool paid);

    std::array<QString, FieldCount> values;

    QString &operator[](Field f) { return values[f]; }
    const QString &operator[](Field f) const { return values[f]; }

    /** Writes every field into `record` (RecordSize bytes); bytes after each text are left alone. */
    void store(char *record) const;
    /** Reads every field, trimmed. */
    static TSchedaProdotto load(const char *record);
};

/** Magazzino.pro in the program folder. */
QString warehousePath();

/**
 * The warehouse archive operations; each opens the file (creating it when missing), works and
 * closes it, and throws ArchiveError on any failure.
 */
namespace WarehouseArchive {
qint64 count();
/** Record `n` counted from 1. */
TSchedaProdotto read(qint64 n);
/** Overwrites record `n` (from 1) in place. */
void overwrite(qint64 n, const TSchedaProdotto &card);
/**
 * Appends the card and returns its number. `written`, when given, gets that number as soon as the card
 * is in the file, even when closing the file then fails.
 */
qint64 append(const TSchedaProdotto &card, qint64 *written = nullptr);
/** What readChosen() found: the card count, the card chosen (0 for none) and its content. */
struct Chosen
{
    qint64 count = 0;
    qint64 number = 0;
    TSchedaProdotto card;
};
/**
 * Counts the cards and, when there are any, reads the one `choose(count)` names (0 reads none),
 * all under one opening of the file.
 */
Chosen readChosen(const std::function<qint64(qint64)> &choose);
/**
 * Calls `visit(number, rawRecord)` for every record in file order, reading in large blocks.
 * `visit` returns false to stop early.
 */
template <typename Visit> void forEachRaw(Visit visit);
void forEachRawImpl(const std::function<bool(qint64, const char *)> &visit);

/** Many reads and writes under one opening and one lock of the archive: see inOnePass(). */
class Batch
{
public:
    qint64 count() const;
    /** Card `n` counted from 1. */
    TSchedaProdotto read(qint64 n) const;
    /** As WarehouseArchive::forEachRaw, on the open file. */
    void forEachRaw(const std::function<bool(qint64, const char *)> &visit) const;
    /** Appends the card and returns its number. */
    qint64 append(const TSchedaProdotto &card);
    /** Overwrites card `n` (from 1), keeping the bytes after each text as append/overwrite do. */
    void overwrite(qint64 n, const TSchedaProdotto &card);
    /** Overwrites card `n` (from 1) with `record`, RecordSize bytes written as they are. */
    void overwriteRaw(qint64 n, const char *record);

private:
    friend void inOnePass(const QString &, const std::function<void(Batch &)> &);
    explicit Batch(class ArchiveFile &file, const QString &backupPath);
    void beforeWriting();
    void rollBack();

    ArchiveFile &m_file;
    QString m_backupPath;
    qint64 m_before = 0;
    QByteArray m_tail; // a stray tail the archive had past its last card, put back by a roll-back
    bool m_backedUp = false;
    Journal m_journal;
    std::vector<qint64> m_overwritten; // indexes from 0, for the roll-back
};

/**
 * Runs `work` with the archive open and locked once, so no other copy of the program writes between
 * its steps. Before the first write the whole archive is copied byte for byte to `backupPath`, a file
 * in the program folder (replacing it only once the copy is complete), and a journal records the pass.
 * When `work` or the final flush to the disk throws, the cards it overwrote come back from that copy
 * and the cards it appended go, leaving the archive as it was; the exception then goes on. A pass
 * stopped half-way (the program killed, the power cut) is undone at the next start by
 * undoInterruptedPass().
 */
void inOnePass(const QString &backupPath, const std::function<void(Batch &)> &work);

/**
 * Puts the archive back as the pass a journal (its `lines`) recorded found it, from the pass's copy;
 * false when that cannot be done.
 */
bool undoInterruptedPass(const QStringList &lines);
} // namespace WarehouseArchive

template <typename Visit> void WarehouseArchive::forEachRaw(Visit visit)
{
    forEachRawImpl([&](qint64 n, const char *record) { return visit(n, record); });
}
