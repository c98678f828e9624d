// The rules behind the labels: which barcode a code gets, the sheets' geometry, where each label of a
// job goes, how many copies a product gets, and how a label's texts fit it.
#include "report/engine/LabelReport.h"
#include "report/engine/ReportTemplate.h"
#include "warehouse/rules/Barcode.h"
#include "warehouse/rules/LabelCopies.h"
#include "warehouse/rules/LabelSheet.h"

#include <QFontMetricsF>
#include <QtTest>

Q_DECLARE_METATYPE(BarcodeKind)
Q_DECLARE_METATYPE(LabelCopiesMode)

class TestLabelRules : public QObject
{
    Q_OBJECT
private slots:
    void barcodeChoice_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<BarcodeKind>("kind");
        QTest::addColumn<QString>("data");
        QTest::newRow("EAN-13 with its check digit") << "4006381333931" << BarcodeKind::Ean13 << "4006381333931";
        QTest::newRow("12 digits get the check digit") << "400638133393" << BarcodeKind::Ean13 << "4006381333931";
        QTest::newRow("13 digits, wrong check digit") << "4006381333932" << BarcodeKind::Code128 << "4006381333932";
        QTest::newRow("all zeros") << "0000000000000" << BarcodeKind::Ean13 << "0000000000000";
        QTest::newRow("EAN-8 with its check digit") << "96385074" << BarcodeKind::Ean8 << "96385074";
        QTest::newRow("7 digits get the check digit") << "9638507" << BarcodeKind::Ean8 << "96385074";
        QTest::newRow("8 digits, wrong check digit") << "96385075" << BarcodeKind::Code128 << "96385075";
        QTest::newRow("blanks around are not the code's")
            << "  4006381333931 " << BarcodeKind::Ean13 << "4006381333931";
        QTest::newRow("other lengths of digits") << "12345" << BarcodeKind::Code128 << "12345";
        QTest::newRow("a blank inside") << "4006 381333931" << BarcodeKind::Code128 << "4006 381333931";
        QTest::newRow("letters and a space") << "ART 001" << BarcodeKind::Code128 << "ART 001";
        QTest::newRow("accented letter") << QString::fromUtf8("caff\u00e8-01") << BarcodeKind::Code128
                                         << QString::fromUtf8("caff\u00e8-01");
        QTest::newRow("euro sign: no barcode carries it")
            << QString::fromUtf8("\u20ac100") << BarcodeKind::None << QString();
        QTest::newRow("empty") << "   " << BarcodeKind::None << QString();
    }
    void barcodeChoice()
    {
        QFETCH(QString, code);
        QFETCH(BarcodeKind, kind);
        QFETCH(QString, data);
        const BarcodeChoice choice = chooseBarcode(code);
        QCOMPARE(choice.kind, kind);
        QCOMPARE(choice.data, data);
        // What is chosen can be drawn, and nothing else.
        QCOMPARE(barcodeModules(choice) > 0, kind != BarcodeKind::None);
    }

    void barcodeModulesHaveTheWidthAsked_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("bars");
        QTest::addColumn<int>("symbolModules"); // from the first bar to the last, quiet zones left out
        QTest::newRow("EAN-13") << "4006381333931" << 30 << 95;
        QTest::newRow("EAN-8") << "96385074" << 22 << 67;
        // Start, three characters and the check character (three bars, 11 modules each), stop (four, 13).
        QTest::newRow("Code 128") << "ABC" << 19 << 68;
    }
    void barcodeModulesHaveTheWidthAsked()
    {
        QFETCH(QString, code);
        QFETCH(int, bars);
        QFETCH(int, symbolModules);
        const double module = 0.33;
        const BarcodeDrawing drawing = drawBarcode(chooseBarcode(code), module, 15);
        QCOMPARE(drawing.bars.size(), bars);
        double left = 1e9, right = -1e9;
        for (const QRectF &bar : drawing.bars) {
            left = std::min(left, bar.left());
            right = std::max(right, bar.right());
            QCOMPARE(bar.height(), 15.0);
            QVERIFY(bar.width() >= module - 1e-6);
        }
        QVERIFY(qAbs((right - left) - symbolModules * module) < 1e-3);
        // Quiet zones on both sides, inside the size given.
        QVERIFY(left >= 7 * module - 1e-6);
        QVERIFY(drawing.size.width() - right >= 7 * module - 1e-6);
    }

    void standardSheetsFitA4()
    {
        const QList<LabelSheet> sheets = LabelSheet::standardSheets();
        QVERIFY(sheets.size() >= 7);
        for (const LabelSheet &sheet : sheets) {
            QVERIFY2(sheet.valid(), qPrintable(sheet.name));
            QCOMPARE(sheet.paperMm, QSizeF(210, 297));
            const QRectF first = sheet.labelRect(0);
            const QRectF last = sheet.labelRect(sheet.perPage() - 1);
            // The grid is centred: equal blanks on either side, none negative.
            QVERIFY(qAbs(first.left() - (210 - last.right())) < 0.011);
            QVERIFY(qAbs(first.top() - (297 - last.bottom())) < 0.011);
            QVERIFY(first.left() >= 0 && first.top() >= 0);
        }
    }

    void labelRectsFollowTheGrid_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("first") << 0 << QRectF(8, 12, 60, 30);
        QTest::newRow("second of the first row") << 1 << QRectF(8 + 60 + 4, 12, 60, 30);
        QTest::newRow("first of the second row") << 3 << QRectF(8, 12 + 30 + 2.5, 60, 30);
        QTest::newRow("last") << 11 << QRectF(8 + 2 * 64, 12 + 3 * 32.5, 60, 30);
    }
    void labelRectsFollowTheGrid()
    {
        QFETCH(int, slot);
        QFETCH(QRectF, rect);
        LabelSheet sheet;
        sheet.columns = 3;
        sheet.rows = 4;
        sheet.labelMm = QSizeF(60, 30);
        sheet.leftMm = 8;
        sheet.topMm = 12;
        sheet.gapXMm = 4;
        sheet.gapYMm = 2.5;
        QVERIFY(sheet.valid());
        QCOMPARE(sheet.labelRect(slot), rect);
    }

    void invalidSheets()
    {
        LabelSheet tooWide = LabelSheet::centredA4(QString(), 3, 8, QSizeF(70, 37));
        tooWide.gapXMm = 1; // three columns of 70 mm and two gaps do not fit 210 mm
        QVERIFY(!tooWide.valid());
        LabelSheet tooTall = LabelSheet::centredA4(QString(), 3, 8, QSizeF(70, 37));
        tooTall.topMm = 2;
        QVERIFY(!tooTall.valid());
        QVERIFY(!LabelSheet::roll(QSizeF(5, 30)).valid());
        QVERIFY(LabelSheet::roll(QSizeF(62, 29)).valid());
        QVERIFY(LabelSheet::roll(QSizeF(62, 29)).isRoll());
    }

    void placesFromTheStartLabel_data()
    {
        QTest::addColumn<int>("startAt");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("slot");
        QTest::newRow("from the first label") << 1 << 0 << 0 << 0;
        QTest::newRow("from label 5") << 5 << 0 << 0 << 4;
        QTest::newRow("the rest of a used sheet, then a new one") << 20 << 5 << 1 << 0;
        QTest::newRow("from the last label") << 24 << 0 << 0 << 23;
        QTest::newRow("a start past the sheet counts as 1") << 25 << 0 << 0 << 0;
        QTest::newRow("a start of 0 counts as 1") << 0 << 24 << 1 << 0;
    }
    void placesFromTheStartLabel()
    {
        QFETCH(int, startAt);
        QFETCH(int, index);
        QFETCH(int, page);
        QFETCH(int, slot);
        const LabelSheet sheet = LabelSheet::centredA4(QString(), 3, 8, QSizeF(70, 37));
        const LabelPlace place = labelPlace(sheet, startAt, index);
        QCOMPARE(place.page, page);
        QCOMPARE(place.slot, slot);
    }

    void pagesOfAJob()
    {
        const LabelSheet sheet = LabelSheet::centredA4(QString(), 3, 8, QSizeF(70, 37));
        QCOMPARE(labelPages(sheet, 1, 0), 0);
        QCOMPARE(labelPages(sheet, 1, 24), 1);
        QCOMPARE(labelPages(sheet, 1, 25), 2);
        QCOMPARE(labelPages(sheet, 24, 1), 1);
        QCOMPARE(labelPages(sheet, 24, 2), 2);
        // A roll: one label, one page, whatever the start.
        QCOMPARE(labelPages(LabelSheet::roll(QSizeF(50, 30)), 3, 4), 4);
    }

    void copies_data()
    {
        QTest::addColumn<LabelCopiesMode>("mode");
        QTest::addColumn<int>("fixed");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("refused");
        QTest::newRow("one per product") << LabelCopiesMode::One << 5 << "-3" << 1 << false;
        QTest::newRow("a fixed number") << LabelCopiesMode::Fixed << 4 << "abc" << 4 << false;
        QTest::newRow("stock") << LabelCopiesMode::Stock << 1 << "12" << 12 << false;
        QTest::newRow("stock with blanks") << LabelCopiesMode::Stock << 1 << " 7 " << 7 << false;
        QTest::newRow("no stock: none, nothing to say") << LabelCopiesMode::Stock << 1 << "0" << 0 << false;
        QTest::newRow("negative stock") << LabelCopiesMode::Stock << 1 << "-3" << 0 << true;
        QTest::newRow("stock not a number") << LabelCopiesMode::Stock << 1 << "tre" << 0 << true;
        QTest::newRow("stock with a comma") << LabelCopiesMode::Stock << 1 << "3,5" << 0 << true;
        QTest::newRow("a lone minus") << LabelCopiesMode::Stock << 1 << "-" << 0 << true;
        QTest::newRow("empty stock") << LabelCopiesMode::Stock << 1 << "" << 0 << true;
    }
    void copies()
    {
        QFETCH(LabelCopiesMode, mode);
        QFETCH(int, fixed);
        QFETCH(QString, stock);
        QFETCH(int, count);
        QFETCH(bool, refused);
        const LabelCopies copies = labelCopies(mode, fixed, stock);
        QCOMPARE(copies.count, count);
        QCOMPARE(copies.stockRefused, refused);
    }

    void everyTextStaysInsideItsLabel_data()
    {
        QTest::addColumn<QSizeF>("labelMm");
        QTest::newRow("105 x 74") << QSizeF(105, 74);
        QTest::newRow("70 x 37") << QSizeF(70, 37);
        QTest::newRow("38 x 21,2") << QSizeF(38, 21.2);
    }
    void everyTextStaysInsideItsLabel()
    {
        QFETCH(QSizeF, labelMm);
        const LabelProduct shortName { QStringLiteral("4006381333931"), QStringLiteral("Vaso"), QStringLiteral("12,50"),
            QStringLiteral("Ceramica"), QStringLiteral("Casa"), QStringLiteral("3") };
        LabelProduct longName = shortName;
        longName.nome = QStringLiteral("Vaso in ceramica smaltata a mano con decori floreali blu");
        LabelContents contents;
        contents.um = contents.tipologia = true;
        contents.shopLine = QStringLiteral("Bottega Esempio - Via Roma 1");
        const QPointF origin(20, 30);
        QList<PreparedItem> shortItems, longItems;
        layoutLabel(shortItems, origin, labelMm, shortName, contents);
        layoutLabel(longItems, origin, labelMm, longName, contents);

        const QRectF label(
            mmToUnits(origin.x()), mmToUnits(origin.y()), mmToUnits(labelMm.width()), mmToUnits(labelMm.height()));
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(qRound(96 / 0.0254));
        device.setDotsPerMeterY(qRound(96 / 0.0254));
        const PreparedItem *shortNome = nullptr;
        const PreparedItem *longNome = nullptr;
        for (const PreparedItem &item : longItems) {
            QVERIFY2(label.contains(item.rect), qPrintable(item.name));
            if (item.kind != PreparedItem::Kind::Text || item.lines.isEmpty())
                continue;
            QFont font(item.style.family);
            font.setPointSizeF(item.style.pixelHeight * 72.0 / 96.0);
            font.setBold(item.style.bold);
            font.setHintingPreference(QFont::PreferNoHinting);
            const double width = QFontMetricsF(font, &device).horizontalAdvance(item.lines.constFirst().text);
            QVERIFY2(width <= item.rect.width() + 0.01, qPrintable(item.lines.constFirst().text));
            QVERIFY(item.style.pixelHeight <= item.rect.height());
            if (item.name == LabelItem::Nome)
                longNome = &item;
        }
        for (const PreparedItem &item : shortItems)
            if (item.name == LabelItem::Nome)
                shortNome = &item;
        QVERIFY(shortNome && longNome);
        // The long name is whole, in a smaller font, in the same line of the label.
        QCOMPARE(longNome->lines.constFirst().text, longName.nome);
        QVERIFY(longNome->style.pixelHeight < shortNome->style.pixelHeight);
        QCOMPARE(longNome->rect, shortNome->rect);
    }

    void priceCarriesTheEuroSign()
    {
        QCOMPARE(labelPriceText(QStringLiteral(" 12,50 ")), QString::fromUtf8("\u20ac 12,50"));
        QCOMPARE(labelPriceText(QStringLiteral("  ")), QString());
    }

    void labelsGoToTheirPlaces()
    {
        const LabelSheet sheet = LabelSheet::centredA4(QString(), 2, 4, QSizeF(105, 74));
        QList<LabelProduct> labels;
        for (int i = 0; i < 5; ++i)
            labels.append({ QStringLiteral("C%1").arg(i), QStringLiteral("N%1").arg(i), QStringLiteral("1,00"),
                QString(), QString(), QString() });
        LabelContents contents;
        contents.barcode = false;
        const PreparedReport report = prepareLabels(QStringLiteral("x"), sheet, 6, labels, contents);
        QCOMPARE(report.pages.size(), 2);
        QCOMPARE(report.pages.at(0).itemsNamed(LabelItem::Codice).size(), 3);
        QCOMPARE(report.pages.at(1).itemsNamed(LabelItem::Codice).size(), 2);
        // The first label is the sixth of the first sheet, the fourth goes to the first of the next.
        const QRectF sixth = sheet.labelRect(5);
        const PreparedItem *first = report.pages.at(0).itemsNamed(LabelItem::Codice).constFirst();
        QCOMPARE(first->lines.constFirst().text, QStringLiteral("C0"));
        QVERIFY(qAbs(first->rect.left() - mmToUnits(sixth.left() + labelInsetMm(sheet.labelMm))) < 1e-6);
        const PreparedItem *fourth = report.pages.at(1).itemsNamed(LabelItem::Codice).constFirst();
        QCOMPARE(fourth->lines.constFirst().text, QStringLiteral("C3"));
        QVERIFY(qAbs(fourth->rect.left() - mmToUnits(sheet.labelRect(0).left() + labelInsetMm(sheet.labelMm))) < 1e-6);
    }
};

QTEST_MAIN(TestLabelRules)
#include "tst_labelrules.moc"
