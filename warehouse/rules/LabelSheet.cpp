#include "warehouse/rules/LabelSheet.h"

#include <cmath>

namespace {
// A label smaller than this has room for nothing; larger than a metre is a typing slip.
constexpr double MinLabelMm = 10;
constexpr double MaxPaperMm = 1000;
// Edges and gaps may be off the paper by a rounding, not more.
constexpr double ToleranceMm = 0.05;
} // namespace

QRectF LabelSheet::labelRect(int slot) const
{
    const int row = slot / columns;
    const int column = slot % columns;
    return QRectF(leftMm + column * (labelMm.width() + gapXMm), topMm + row * (labelMm.height() + gapYMm),
        labelMm.width(), labelMm.height());
}

bool LabelSheet::valid() const
{
    if (rows < 1 || columns < 1 || rows > 50 || columns > 20)
        return false;
    if (labelMm.width() < MinLabelMm || labelMm.height() < MinLabelMm)
        return false;
    if (paperMm.width() > MaxPaperMm || paperMm.height() > MaxPaperMm)
        return false;
    if (leftMm < 0 || topMm < 0 || gapXMm < 0 || gapYMm < 0)
        return false;
    const QRectF last = labelRect(perPage() - 1);
    return last.right() <= paperMm.width() + ToleranceMm && last.bottom() <= paperMm.height() + ToleranceMm;
}

LabelSheet LabelSheet::centredA4(const QString &name, int columns, int rows, const QSizeF &labelMm)
{
    LabelSheet sheet;
    sheet.name = name;
    sheet.columns = columns;
    sheet.rows = rows;
    sheet.labelMm = labelMm;
    // Rounded to a hundredth of a millimetre, as the sheets' makers give them.
    sheet.leftMm = std::round((sheet.paperMm.width() - columns * labelMm.width()) / 2 * 100) / 100;
    sheet.topMm = std::round((sheet.paperMm.height() - rows * labelMm.height()) / 2 * 100) / 100;
    return sheet;
}

LabelSheet LabelSheet::roll(const QSizeF &labelMm)
{
    LabelSheet sheet;
    sheet.name = QStringLiteral("Rotolo per stampante di etichette (un'etichetta per pagina)");
    sheet.paperMm = labelMm;
    sheet.labelMm = labelMm;
    return sheet;
}

QList<LabelSheet> LabelSheet::standardSheets()
{
    const struct
    {
        int columns, rows;
        double width, height;
    } table[] = {
        { 2, 4, 105, 74 },
        { 2, 7, 105, 42.3 },
        { 2, 8, 105, 37 },
        { 3, 7, 70, 42.3 },
        { 3, 8, 70, 37 },
        { 3, 10, 70, 29.7 },
        { 4, 10, 52.5, 29.7 },
        { 5, 13, 38, 21.2 },
    };
    QList<LabelSheet> sheets;
    for (const auto &s : table) {
        const QString size = QStringLiteral("%1 \u00d7 %2 mm")
                                 .arg(QString::number(s.width, 'g', 4).replace(QLatin1Char('.'), QLatin1Char(',')),
                                     QString::number(s.height, 'g', 4).replace(QLatin1Char('.'), QLatin1Char(',')));
        sheets.append(centredA4(QStringLiteral("A4, %1 \u00d7 %2 etichette da %3 (%4 per foglio)")
                                    .arg(s.columns)
                                    .arg(s.rows)
                                    .arg(size)
                                    .arg(s.columns * s.rows),
            s.columns, s.rows, QSizeF(s.width, s.height)));
    }
    return sheets;
}

LabelPlace labelPlace(const LabelSheet &sheet, int startAt, int index)
{
    const int perPage = sheet.perPage();
    const int skipped = startAt >= 1 && startAt <= perPage ? startAt - 1 : 0;
    const int at = skipped + index;
    return { at / perPage, at % perPage };
}

int labelPages(const LabelSheet &sheet, int startAt, int count)
{
    return count <= 0 ? 0 : labelPlace(sheet, startAt, count - 1).page + 1;
}
