#include "report/engine/ListReport.h"

namespace {
const QColor SlateGrey(0x70, 0x80, 0x90);
}

ReportTemplate makeListReport()
{
    ReportTemplate report(QStringLiteral("frxReport"), QStringLiteral("Riepilogo dati"));
    report.setOrientation(QPageLayout::Landscape);

    TextStyle banner;
    banner.family = QStringLiteral("Verdana");
    banner.pixelHeight = 12;
    banner.bold = true;
    banner.color = Qt::white;
    banner.fill = SlateGrey;
    banner.alignment = Qt::AlignCenter;
    Band *title = report.addBand(Band::Type::ReportTitle, QStringLiteral("ReportTitle"), 30.24);
    title->addText(
        QStringLiteral("txtTitolo"), QRectF(7.56, 3.78, 1031.81, 18.90), banner, QStringLiteral("Riepilogo"));

    TextStyle list;
    list.family = QStringLiteral("Courier New");
    list.pixelHeight = 10.67;
    Band *data = report.addBand(Band::Type::MasterData, QStringLiteral("MasterData"), 105.83);
    data->setCanSplit(true);
    data->addText(QStringLiteral("txtRiepilogo"), QRectF(11.34, 0, 1031.81, 102.05), list);

    banner.pixelHeight = 10.67;
    Band *footer = report.addBand(Band::Type::Footer, QStringLiteral("Footer"), 30.24);
    footer
        ->addText(QStringLiteral("txtPagina"), QRectF(11.34, 7.56, 1028.03, 18.90), banner,
            QStringLiteral("Stampa eseguita in data [DATE]"))
        ->setExpressions(true);
    return report;
}

void fillListReport(ReportTemplate &report, const QString &title, const QStringList &lines)
{
    report.text(QStringLiteral("txtTitolo")).setText(title);
    TextBox &list = report.text(QStringLiteral("txtRiepilogo"));
    list.clearLines();
    for (const QString &line : lines)
        list.addLine(line);
    Band &data = report.band(QStringLiteral("MasterData"));
    list.setHeight(lines.size() * ListLineHeight);
    data.setHeight(list.geometry().height() + 10);
}
