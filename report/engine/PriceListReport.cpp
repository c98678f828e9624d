#include "report/engine/PriceListReport.h"

#include "storage/TextField.h"

namespace {
QString slotName(const char *stem, int slot)
{
    return QLatin1String(stem) + QLatin1Char('_') + slotLetter(slot);
}
} // namespace

QChar slotLetter(int slot)
{
    return QChar(u'A' + slot);
}

ReportTemplate makeRepDocumento()
{
    ReportTemplate report(QStringLiteral("repDocumento"), QStringLiteral("Listino Prezzi"));
    const Qt::Alignment leftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
    const TextStyle small = TextStyle::arial(10.67, false, Qt::black, QColor(), Qt::AlignLeft | Qt::AlignTop);
    const TextStyle name = TextStyle::arial(21.33, true, QColor(0xA5, 0x2A, 0x2A), QColor(), leftMiddle);
    const TextStyle description = TextStyle::arial(13.33, false, Qt::black, QColor(), leftMiddle);
    const TextStyle code = TextStyle::arial(21.33, true, QColor(0x00, 0x00, 0x80), QColor(), leftMiddle);
    const TextStyle price = TextStyle::arial(21.33, true, Qt::black, QColor(), Qt::AlignRight | Qt::AlignVCenter);

    report.addText(QStringLiteral("txtNome"), mmRect(1, 0.6, 188, 4), small, QStringLiteral("NOME LISTINO PREZZI"));
    for (int k = 0; k < 8; ++k) {
        const double t = 6 + 33 * k;
        // The frames keep the names they have always had: slot A's is Shape19.
        report.addOutline(k == 0 ? QStringLiteral("Shape19") : QStringLiteral("Shape%1").arg(k), mmRect(1, t, 188, 30));
        report.addPicture(slotName("imgFoto", k), mmRect(2, t + 1, 38, 28));
        report.addText(slotName("txtNome", k), mmRect(42.4, t + 1, 145, 7), name, QStringLiteral("NOME PRODOTTO"));
        report.addText(slotName("txtUM", k), mmRect(42.4, t + 10, 145, 4), description,
            QStringLiteral("ASPETTO ESTERIORE DEL BENE"));
        report.addText(slotName("txtCaratteristiche", k), mmRect(42.4, t + 16, 145, 4), description,
            QStringLiteral("CARATTERISTICHE DEL PRODOTTO"));
        report.addText(slotName("txtCodice", k), mmRect(42.4, t + 22, 93.6, 7), code, QStringLiteral("CODICE XYZ"));
        report.addText(slotName("txtPrezzo", k), mmRect(146, t + 21.8, 40.4, 7), price, QStringLiteral("0,00"));
    }
    TextStyle footer = small;
    footer.alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    report.addText(QStringLiteral("txtPagina"), mmRect(0, 273, 190, 4), footer, QStringLiteral("Pagina"));
    return report;
}

void fillPriceListPage(ReportTemplate &report, const PriceListPageValues &values)
{
    report.setOrientation(QPageLayout::Portrait);
    report.text(QStringLiteral("txtNome")).setText(trimText(values.title));
    for (int k = 0; k < 8; ++k) {
        const PriceListPageValues::Slot &slot = values.products[k];
        report.picture(slotName("imgFoto", k)).setPicture(slot.photo);
        report.text(slotName("txtNome", k)).setText(trimText(slot.nome));
        report.text(slotName("txtUM", k)).setText(trimText(slot.um));
        report.text(slotName("txtCaratteristiche", k)).setText(trimText(slot.caratteristiche));
        report.text(slotName("txtCodice", k)).setText(trimText(slot.codice));
        report.text(slotName("txtPrezzo", k)).setText(QStringLiteral("€  ") + trimText(slot.prezzo));
    }
    report.text(QStringLiteral("txtPagina")).setText(trimText(values.page));
}
