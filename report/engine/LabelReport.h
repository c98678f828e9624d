#pragma once

#include "report/engine/PreparedReport.h"
#include "warehouse/rules/Barcode.h"
#include "warehouse/rules/LabelSheet.h"

#include <QList>
#include <QString>

#include <functional>

/** What a label says about one product, texts as stored. */
struct LabelProduct
{
    QString codice;
    QString nome;
    QString prezzo;
    QString um;
    QString tipologia;
    QString giacenza;
};

/** Which lines a label carries, from the top. */
struct LabelContents
{
    bool nome = true;
    bool prezzo = true;
    bool codice = true;
    bool barcode = true;
    bool um = false;
    bool tipologia = false;
    /** A fixed line at the top of every label (the shop's name); none when empty. */
    QString shopLine;
};

/** The names of a label's items in a prepared page, for the tests and the preview. */
namespace LabelItem {
inline const QString Shop = QStringLiteral("etichetta.negozio");
inline const QString Nome = QStringLiteral("etichetta.nome");
inline const QString Dettagli = QStringLiteral("etichetta.dettagli");
inline const QString Prezzo = QStringLiteral("etichetta.prezzo");
inline const QString Barre = QStringLiteral("etichetta.barre");
inline const QString Codice = QStringLiteral("etichetta.codice");
} // namespace LabelItem

/** The blank between a label's edge and what it carries, in millimetres, for a label of `labelMm`. */
double labelInsetMm(const QSizeF &labelMm);

/** The price as a label prints it: "€ 12,50"; empty for an empty price. */
QString labelPriceText(const QString &prezzo);

/**
 * Lays out one label for `product` in `labelMm` placed at `originMm` on its page, appending its items
 * (template units from the paper's corner) to `items`. Every text is shrunk until it fits its line, so
 * nothing reaches past the label; the lines keep their share of the label's height whatever its size.
 */
void layoutLabel(QList<PreparedItem> &items, const QPointF &originMm, const QSizeF &labelMm,
    const LabelProduct &product, const LabelContents &contents);

/**
 * The pages of `labels` (one entry per label, copies repeated) on `sheet`, from label `startAt` of the
 * first page on. `progress(done, total)` is told after each page; false stops and returns the pages so far.
 */
PreparedReport prepareLabels(const QString &name, const LabelSheet &sheet, int startAt,
    const QList<LabelProduct> &labels, const LabelContents &contents,
    const std::function<bool(int done, int total)> &progress = {});
