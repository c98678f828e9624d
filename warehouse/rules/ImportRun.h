#pragma once

#include "storage/Movements.h"
#include "warehouse/rules/ImportRules.h"
#include "warehouse/rules/ImportSource.h"

#include <QString>
#include <QStringList>

#include <functional>

/** Checking a whole file against the card's rules, then writing its cards and photos. */
namespace ImportRun {
/** Rows, counts and report lines; each list keeps at most MaxLines lines, the counts go on. */
constexpr int MaxLines = 1000;

struct Options
{
    QString path;
    ImportSource::Format format;
    ImportRules::Mapping mapping {};
    bool headerRow = true; ///< the first row holds headers, not a product
    /** With headerRow, the row (from 0) of the headers: the titles and notes above it are no products. */
    qint64 headerIndex = 0;
    bool updateByCode = false; ///< a card whose code is in the archive is rewritten, not added
    QString photoFolder; ///< pictures named by code, or empty
};

struct Report
{
    qint64 rows = 0; ///< product rows read (no header, no empty rows)
    qint64 accepted = 0;
    qint64 added = 0;
    qint64 updated = 0;
    qint64 refused = 0;
    qint64 noted = 0; ///< accepted rows with something cut or left out
    qint64 replaced = 0; ///< characters written as "?"
    qint64 photosMatched = 0;
    qint64 photosSkipped = 0;
    QList<ImportError> refusals; ///< each with its row ("Riga 12: manca il prezzo di vendita")
    QStringList notes; ///< "Riga 7: Nome prodotto tagliato a 50 caratteri"
    QStringList photoLines; ///< pictures skipped and why
    QString backupPath; ///< where the archive was copied before the first write
    ImportError failure; ///< why reading or writing stopped; none when all went well
    bool written = false; ///< the cards are in the archive
    Movements::Problem movements = Movements::Problem::None; ///< why the stock changes were not journaled

    /** The whole report as text, in Italian, one line each. */
    QString text() const;
};

/** Called now and then with bytes read and in all; returns false to stop. */
using Progress = std::function<bool(qint64 done, qint64 total)>;

/** Reads the whole file and checks every row; writes nothing. */
Report check(const Options &options, const Progress &progress = {});

/**
 * Reads the file again and writes the accepted rows in one locked pass of the archive, after a copy
 * of it to backupPath(); any failure leaves the archive as it was. Then, with a photo folder, writes
 * each imported card's photo as n.jpg.
 */
Report write(const Options &options, const Progress &progress = {});

/** Magazzino.pro.bak in the program folder. */
QString backupPath();

/** The row number a report line shows for the k-th row of the file (from 0). */
inline qint64 rowNumber(qint64 index)
{
    return index + 1;
}
} // namespace ImportRun
