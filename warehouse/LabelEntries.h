#pragma once

#include "report/engine/LabelReport.h"

#include <QList>

class QWidget;
class ResultPanel;
class TfrmListinoPrezzi;
class TfrmMagazzino;
struct TPaginaListino;
struct TSchedaProdotto;

/**
 * Where the label window, the batch card print and "Cerca codice" are reached from: entries added to
 * the context menus of the windows that have the products, and the shortcut of the code search.
 */
namespace LabelEntries {
/** A label's data from a warehouse card. */
LabelProduct fromCard(const TSchedaProdotto &card);
/** The filled slots of a price-list page, A to H (a slot with no name and no code is empty). */
QList<LabelProduct> fromPage(const TPaginaListino &page);

/**
 * The card editor: "Stampa etichette…" (the card on screen) and "Cerca codice…" in the card's context
 * menu, and F2 for "Cerca codice", which shows the card found in the editor.
 */
void addToCardEditor(TfrmMagazzino *editor);
/** A result list (search, under-stock, unpaid): "Stampa etichette…" and "Stampa schede…" of the listed cards. */
void addToResults(ResultPanel *results);
/** The page editor: "Stampa etichette della pagina…" and "Stampa etichette dell'intero listino…". */
void addToPageEditor(TfrmListinoPrezzi *editor);

/** Opens the label window for the cards numbered `records`, in that order. */
void labelsForRecords(QWidget *owner, const QList<qint64> &records);
/**
 * Prints the product card of every record of `records`, in that order, each exactly as its own card
 * print, in one job; asks first whether with the photo.
 */
void printCards(QWidget *owner, const QList<qint64> &records);
} // namespace LabelEntries
