#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

/**
 * Bringing a price list up to date with the warehouse cards: the slots whose code is a card's code
 * compared field by field with that card (compare), the chosen differences written in one locked pass
 * of the list (apply), and the last update undone (undo). Each throws ArchiveError when a file cannot
 * be read or written; apply and undo leave the list as it was when they fail.
 */
namespace ListUpdate {
/** Called now and then with how much is done; false stops a comparison. */
using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Field { Nome, UM, Caratteristiche, Prezzo, Foto };
/** The field as the difference table names it: "Nome", "Aspetto", "Caratteristiche", "Prezzo", "Foto". */
QString fieldName(Field field);

struct Row
{
    qint64 page = 0; ///< from 1
    int slot = 0; ///< 0 for A ... 7 for H
    Field field = Field::Nome;
    QString inList; ///< as the table shows it
    QString inWarehouse;
    QString write; ///< what the slot gets (texts and prices); empty for a photo
    qint64 card = 0; ///< the card's number
    bool checked = false; ///< prices are, texts and photos are not, until the user says otherwise
    bool usable = true; ///< false for a card price that is not a number: never written
};

/** A slot with a code that no card has. */
struct Missing
{
    qint64 page = 0;
    int slot = 0;
    QString code;
};

/** A code that more than one card has: the first card in the archive is the one compared. */
struct Shared
{
    QString code;
    qint64 card = 0;
    qint64 cards = 0;
};

struct Differences
{
    std::vector<Row> rows; ///< page by page, slot by slot, in field order
    std::vector<Missing> missing;
    std::vector<Shared> shared;
    qint64 pages = 0;
    qint64 slotsCompared = 0; ///< slots whose code is some card's
};

/**
 * The differences between the list `path`, named `title`, and the cards. Codes are compared trimmed,
 * as a search trims them; a price differs only when its amount does (12,5 and 12,50 are the same).
 * A photo differs when the card has one newer than the slot's (or the slot has none).
 */
Differences compare(const QString &path, const QString &title, const Progress &progress = {});

struct Applied
{
    qint64 fields = 0; ///< texts and prices written
    qint64 pages = 0; ///< pages rewritten
    int photos = 0; ///< slot photos rebuilt from the cards
    int photosFailed = 0;
    std::vector<std::pair<qint64, int>> photoSlots; ///< (page, slot) of the photos rebuilt
};

/**
 * Writes the checked rows of `rows` into the list in one pass: only the changed fields' bytes of the
 * changed pages. The list from before is kept to undo it, with a record saying `description`; then
 * the slot photos of the checked photo rows are rebuilt from the cards' photos.
 */
Applied apply(const QString &path, const QString &title, const std::vector<Row> &rows, const QString &description);

enum class Undo {
    Done,
    Nothing, ///< no update of this list to undo
    ChangedSince ///< the list is not as the update left it
};
/** The description of the last update of the list `path`, or empty when there is none to undo. */
QString lastUpdate(const QString &path);
/** Gives the list back the exact bytes it had before its last update, when nothing changed it since. */
Undo undo(const QString &path);

/** The titles of the lists that have a slot with one of `codes` (trimmed), in list order. */
QStringList listsContaining(const QSet<QString> &codes);
} // namespace ListUpdate
