#include "report/engine/ProductCardReport.h"

#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/TextField.h"

namespace {
const QColor DarkOrange(0xFF, 0x8C, 0x00);
const QColor Teal(0x00, 0x80, 0x80);

QString rowName(const char *stem, int row)
{
    return QLatin1String(stem) + QStringLiteral("%1").arg(row, 2, 10, QLatin1Char('0'));
}

/** What both layouts share; rows start at `firstRow` mm and follow each other every `rowStep` mm. */
ReportTemplate cardTemplate(const QString &name, const QImage &folderIcon, double firstRow, double rowStep)
{
    ReportTemplate report(name, QStringLiteral("Scheda informativa"));
    report.addPicture(QStringLiteral("frxPictureView1"), mmRect(3, 3, 17, 13))->setPicture(folderIcon);
    report.addText(QStringLiteral("txtTitolo"), mmRect(23, 3, 165, 9),
        TextStyle::arial(21.33, false, Qt::white, DarkOrange, Qt::AlignCenter), QStringLiteral("Titolo Scheda"));
    report.addLine(QStringLiteral("linSepara01"), mmToUnits(23), mmToUnits(16), mmToUnits(165));
    const TextStyle title = TextStyle::arial(12, false, Qt::white, Teal, Qt::AlignLeft | Qt::AlignVCenter);
    const TextStyle value = TextStyle::arial(13.33, false, Qt::black, QColor(), Qt::AlignLeft | Qt::AlignVCenter);
    for (int n = 1; n <= 18; ++n) {
        const double top = firstRow + rowStep * (n - 1);
        const QString design = QStringLiteral("Campo %1").arg(n);
        report.addText(rowName("titCampo", n), mmRect(3, top, 52, 6), title, design);
        report.addText(rowName("txtCampo", n), mmRect(60, top, 128, 6), value, design);
    }
    report.addLine(QStringLiteral("linSepara02"), mmToUnits(3), mmToUnits(265), mmToUnits(185));
    report.addText(QStringLiteral("txtCalce"), mmRect(3, 269, 185, 6),
        TextStyle::arial(13.33, false, Qt::white, DarkOrange, Qt::AlignCenter), QStringLiteral("Termine scheda"));
    return report;
}
} // namespace

ReportTemplate makeRepFoto(const QImage &folderIcon)
{
    ReportTemplate report = cardTemplate(QStringLiteral("repFoto"), folderIcon, 104, 9);
    report.addPicture(QStringLiteral("imgFoto"), mmRect(4, 21, 183, 79));
    return report;
}

ReportTemplate makeRepScheda(const QImage &folderIcon)
{
    ReportTemplate report = cardTemplate(QStringLiteral("repScheda"), folderIcon, 24, 10);
    report.addOutline(QStringLiteral("Shape1"), mmRect(3, 204, 185, 57));
    report.addText(QStringLiteral("Memo1"), mmRect(4, 205, 34, 4),
        TextStyle::arial(8, false, Qt::black, QColor(), Qt::AlignLeft | Qt::AlignTop),
        QStringLiteral("SPAZIO PER APPUNTI:"));
    return report;
}

Result<QString, ConversionError> stockValue(const QString &costo, const QString &giacenza)
{
    const auto stock = readDecimal(trimText(giacenza));
    if (!stock)
        return stock.error();
    const auto cost = readDecimal(trimText(costo));
    if (!cost)
        return cost.error();
    return QStringLiteral("Costo unitario (€ ") + trimText(costo) + QStringLiteral(") x giacenza (")
        + trimText(giacenza) + QStringLiteral(" pezzi) = € ") + generalForm(*stock * *cost);
}

QString stockValueLine(const QString &costo, const QString &giacenza)
{
    return stockValue(costo, giacenza).value();
}

void fillProductCard(ReportTemplate &report, const ProductCardValues &values)
{
    const QString valueLine = stockValueLine(values.costo, values.giacenza);
    const QString rows[18][2] = {
        { QStringLiteral("Codice articolo:"), values.codice },
        { QStringLiteral("Costo unitario:"), values.costo },
        { QStringLiteral("Nome prodotto:"), values.nome },
        { QStringLiteral("Giacenza attuale:"), values.giacenza },
        { QStringLiteral("Aspetto esteriore del bene:"), values.um },
        { QStringLiteral("Categoria merceologica:"), values.tipologia },
        { QStringLiteral("Caratteristiche:"), values.caratteristiche },
        { QStringLiteral("Collocazione in magazzino:"), values.collocazione },
        { QStringLiteral("Ditta fornitrice:"), values.ditta },
        { QStringLiteral("Agente:"), values.agente },
        { QStringLiteral("Recapito telefonico"), values.recapito },
        { QStringLiteral("Documento di acquisto:"), values.documento },
        { QStringLiteral("Modalità di pagamento:"), values.pagamento },
        { QStringLiteral("Data scadenza:"), values.dataSca },
        { QStringLiteral("Note:"), values.note },
        { QStringLiteral("Prezzo di vendita:"), values.prezzo },
        { QStringLiteral("Valore totale:"), valueLine },
        { QStringLiteral("Pagato:"), values.pagato ? QStringLiteral("Sì") : QStringLiteral("No") },
    };

    report.setOrientation(QPageLayout::Portrait);
    if (ReportObject *photo = report.findObject(QStringLiteral("imgFoto"));
        photo && photo->kind() == ReportObject::Kind::Picture)
        static_cast<PictureBox *>(photo)->setPicture(values.photo);
    report.text(QStringLiteral("txtTitolo")).setText(QStringLiteral("SCHEDA PRODOTTO"));
    for (int n = 1; n <= 18; ++n) {
        report.text(rowName("titCampo", n)).setText(rows[n - 1][0]);
        report.text(rowName("txtCampo", n)).setText(trimText(rows[n - 1][1]));
    }
    const QDateTime now = Clock::now();
    report.text(QStringLiteral("txtCalce"))
        .setText(QStringLiteral("Stampa eseguita in data ") + formatDate(now.date()) + QStringLiteral(" alle ore ")
            + now.time().toString(QStringLiteral("HH:mm:ss")));
}
