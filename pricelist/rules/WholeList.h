#pragma once

#include "report/engine/PreparedReport.h"
#include "report/engine/PriceListReport.h"

#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct TPaginaListino;

/**
 * Every saved page of a price list in one report, read from the list file and its slot photos
 * without writing anything, optionally followed by an index of the products.
 */
namespace WholeList {
/** One non-empty slot of the list as the index prints it. */
struct IndexEntry
{
    QString nome;
    QString codice;
    QString prezzo;
    qint64 page = 0;
};

/**
 * The print thumbnail of the photo at `photoPath` made in memory, exactly as the editor's written and
 * reloaded thumbnail: `blank` when the photo is missing or unreadable.
 */
QImage printThumbnail(const QString &photoPath, const QImage &blank);

/** The values of saved page `number` of list `title`, as the page print fills them. */
PriceListPageValues pageValues(const QString &title, qint64 number, const TPaginaListino &page, const QImage &blank);

/** The non-empty slots of `pages` (page 1 first), sorted by name in the program's list order. */
QList<IndexEntry> productIndex(const QList<TPaginaListino> &pages);

/** The index pages: the list's title at the top, a row per entry, the page number at the foot. */
QList<PreparedPage> indexPages(const QString &title, const QList<IndexEntry> &entries, qint64 firstPageNumber);

/** Told how many of the list's pages are read; returning false stops the reading. */
using Progress = std::function<bool(qint64 done, qint64 total)>;

/**
 * Every whole page of the list file at `listPath` in file order, then the index when asked; the
 * report is named after the list. The texts are read here, the photos only as each page is made
 * (the report's PageMaker), so a page's pictures live while it is drawn. Nothing when `progress`
 * stopped the reading. Throws ArchiveError when the file cannot be read.
 */
std::optional<PreparedReport> report(
    const QString &listPath, const QString &title, bool withIndex, const QImage &blank, const Progress &progress = {});
} // namespace WholeList
