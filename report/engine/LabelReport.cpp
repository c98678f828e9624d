#include "report/engine/LabelReport.h"

#include "report/engine/ReportTemplate.h"
#include "storage/TextField.h"

#include <QFontMetricsF>
#include <QImage>

#include <algorithm>

namespace {
// The smallest text a label prints, in template units (about 3 pt): below it nothing is legible anyway.
constexpr double MinPixelHeight = 4.0;

/** Measures texts in template units (1/96 inch), as the painter draws them on any device. */
class Measure
{
public:
    Measure()
        : m_device(1, 1, QImage::Format_RGB32)
    {
        m_device.setDotsPerMeterX(qRound(96 / 0.0254));
        m_device.setDotsPerMeterY(qRound(96 / 0.0254));
    }

    double width(const TextStyle &style, const QString &text) const
    {
        QFont font(style.family);
        font.setPointSizeF(style.pixelHeight * 72.0 / 96.0);
        font.setBold(style.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        return QFontMetricsF(font, &m_device).horizontalAdvance(text);
    }

private:
    QImage m_device;
};

struct Row
{
    const QString *name;
    QString text;
    double weight;
    bool bold;
    Qt::Alignment alignment;
};

/** One line of text filling `rect`, its font shrunk until the text fits the width. */
PreparedItem textItem(const Measure &measure, const QString &name, const QString &text, const QRectF &rect, bool bold,
    Qt::Alignment alignment)
{
    PreparedItem item;
    item.kind = PreparedItem::Kind::Text;
    item.name = name;
    item.rect = rect;
    item.style = TextStyle::arial(
        std::max(MinPixelHeight, rect.height() * 0.78), bold, Qt::black, QColor(), alignment | Qt::AlignVCenter);
    // Widths do not shrink exactly with the size (glyphs are placed on whole font units): shrink again
    // until the text fits, or reaches the smallest size, where the box cuts it.
    for (int step = 0; step < 8; ++step) {
        const double width = measure.width(item.style, text);
        if (width <= rect.width() || item.style.pixelHeight <= MinPixelHeight)
            break;
        item.style.pixelHeight = std::max(MinPixelHeight, item.style.pixelHeight * rect.width() / width * 0.98);
    }
    item.lines.append({ text, rect });
    return item;
}

QString joined(const QStringList &parts)
{
    QStringList kept;
    for (const QString &p : parts)
        if (!trimText(p).isEmpty())
            kept << trimText(p);
    return kept.join(QStringLiteral(" \u00b7 "));
}
} // namespace

double labelInsetMm(const QSizeF &labelMm)
{
    return std::clamp(std::min(labelMm.width(), labelMm.height()) * 0.06, 1.0, 3.0);
}

QString labelPriceText(const QString &prezzo)
{
    const QString price = trimText(prezzo);
    return price.isEmpty() ? QString() : QStringLiteral("\u20ac ") + price;
}

void layoutLabel(QList<PreparedItem> &items, const QPointF &originMm, const QSizeF &labelMm,
    const LabelProduct &product, const LabelContents &contents)
{
    static const Measure measure;
    const double inset = labelInsetMm(labelMm);
    const QRectF inner(
        originMm.x() + inset, originMm.y() + inset, labelMm.width() - 2 * inset, labelMm.height() - 2 * inset);

    // The rows a label may have, in their order from the top, with their share of the height: the
    // price is the largest, the point of a price tag.
    QList<Row> rows;
    if (!trimText(contents.shopLine).isEmpty())
        rows.append({ &LabelItem::Shop, trimText(contents.shopLine), 0.8, false, Qt::AlignHCenter });
    if (contents.nome)
        rows.append({ &LabelItem::Nome, trimText(product.nome), 1.3, true, Qt::AlignLeft });
    if (contents.um || contents.tipologia)
        rows.append({ &LabelItem::Dettagli,
            joined({ contents.um ? product.um : QString(), contents.tipologia ? product.tipologia : QString() }), 0.8,
            false, Qt::AlignLeft });
    if (contents.prezzo)
        rows.append({ &LabelItem::Prezzo, labelPriceText(product.prezzo), 2.2, true, Qt::AlignRight });
    if (contents.barcode)
        rows.append({ &LabelItem::Barre, QString(), 2.4, false, Qt::AlignHCenter });
    if (contents.codice)
        rows.append({ &LabelItem::Codice, trimText(product.codice), 0.8, false, Qt::AlignLeft });
    double total = 0;
    for (const Row &row : rows)
        total += row.weight;
    if (total <= 0)
        return;

    double y = inner.top();
    for (const Row &row : rows) {
        const double height = inner.height() * row.weight / total;
        const QRectF rowMm(inner.left(), y, inner.width(), height);
        y += height;
        const QRectF rowUnits(
            mmToUnits(rowMm.left()), mmToUnits(rowMm.top()), mmToUnits(rowMm.width()), mmToUnits(rowMm.height()));
        if (row.name == &LabelItem::Barre) {
            const double barHeight = rowMm.height() * 0.92;
            // Modules no wider than half a millimetre: a wide label gets a barcode of a usual size.
            const BarcodeDrawing drawing
                = drawBarcodeToFit(chooseBarcode(product.codice), rowMm.width(), 0.5, barHeight);
            if (drawing.isEmpty())
                continue;
            const QPointF at(rowMm.left() + (rowMm.width() - drawing.size.width()) / 2,
                rowMm.top() + (rowMm.height() - barHeight) / 2);
            // Each bar a filled box of the report: vectors in the PDF and on the printer, never a picture.
            for (const QRectF &bar : drawing.bars) {
                PreparedItem item;
                item.kind = PreparedItem::Kind::Text;
                item.name = LabelItem::Barre;
                item.rect = QRectF(mmToUnits(at.x() + bar.left()), mmToUnits(at.y() + bar.top()),
                    mmToUnits(bar.width()), mmToUnits(bar.height()));
                item.style.fill = Qt::black;
                items.append(item);
            }
            continue;
        }
        if (row.text.isEmpty())
            continue;
        items.append(textItem(measure, *row.name, row.text, rowUnits, row.bold, row.alignment));
    }
}

PreparedReport prepareLabels(const QString &name, const LabelSheet &sheet, int startAt,
    const QList<LabelProduct> &labels, const LabelContents &contents,
    const std::function<bool(int done, int total)> &progress)
{
    PreparedReport report;
    report.name = name;
    if (labels.isEmpty() || sheet.perPage() < 1)
        return report;
    const int pages = labelPages(sheet, startAt, int(labels.size()));
    // A product's copies follow each other: the label is laid out once and moved to each place.
    QList<PreparedItem> laidOut;
    int laidOutFor = -1;
    QPointF laidOutAt;
    for (int i = 0; i < labels.size(); ++i) {
        const LabelPlace place = labelPlace(sheet, startAt, i);
        while (report.pages.size() <= place.page) {
            if (progress && !report.pages.isEmpty() && !progress(int(report.pages.size()), pages))
                return report;
            PreparedPage page;
            page.paperMm = sheet.paperMm;
            report.pages.append(page);
        }
        const QPointF origin = sheet.labelRect(place.slot).topLeft();
        const bool same = laidOutFor >= 0
            && (labels.at(i).codice == labels.at(laidOutFor).codice && labels.at(i).nome == labels.at(laidOutFor).nome
                && labels.at(i).prezzo == labels.at(laidOutFor).prezzo && labels.at(i).um == labels.at(laidOutFor).um
                && labels.at(i).tipologia == labels.at(laidOutFor).tipologia);
        if (!same) {
            laidOut.clear();
            layoutLabel(laidOut, origin, sheet.labelMm, labels.at(i), contents);
            laidOutFor = i;
            laidOutAt = origin;
        }
        const QPointF shift(mmToUnits(origin.x() - laidOutAt.x()), mmToUnits(origin.y() - laidOutAt.y()));
        QList<PreparedItem> &target = report.pages[place.page].items;
        for (PreparedItem item : laidOut) {
            item.rect.translate(shift);
            for (PreparedLine &line : item.lines)
                line.rect.translate(shift);
            target.append(std::move(item));
        }
    }
    if (progress)
        progress(pages, pages);
    return report;
}
