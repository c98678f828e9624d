#include "report/engine/ListReport.h"
#include "report/engine/PriceListReport.h"
#include "report/engine/ProductCardReport.h"
#include "report/engine/ReportPainter.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "tests/support/Locales.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QtTest>

namespace {
/** Position and size in millimetres from the printable area's corner (margins of 10 mm). */
QRectF mmInside(const QRectF &units)
{
    return QRectF(
        unitsToMm(units.left()) - 10, unitsToMm(units.top()) - 10, unitsToMm(units.width()), unitsToMm(units.height()));
}

bool near(double a, double b, double tolerance = 0.001)
{
    return qAbs(a - b) <= tolerance;
}

/** One row of a layout table. */
struct Expected
{
    QString name;
    PreparedItem::Kind kind;
    QRectF mm;
    QString family;
    double pixels = 0;
    bool bold = false;
    QColor color;
    QColor fill;
    Qt::Alignment alignment;
};
} // namespace

Q_DECLARE_METATYPE(Expected)

namespace {
void compareItem(const PreparedPage &page, const Expected &e)
{
    const PreparedItem *item = page.item(e.name);
    QVERIFY2(item, qPrintable(e.name));
    QCOMPARE(item->kind, e.kind);
    const QRectF mm = mmInside(item->rect);
    QVERIFY2(near(mm.left(), e.mm.left()) && near(mm.top(), e.mm.top()) && near(mm.width(), e.mm.width())
            && near(mm.height(), e.mm.height()),
        qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                       .arg(e.name)
                       .arg(mm.left())
                       .arg(mm.top())
                       .arg(mm.width())
                       .arg(mm.height())));
    if (e.kind != PreparedItem::Kind::Text)
        return;
    QCOMPARE(item->style.family, e.family);
    QCOMPARE(item->style.pixelHeight, e.pixels);
    QCOMPARE(item->style.bold, e.bold);
    QCOMPARE(item->style.color, e.color);
    QCOMPARE(item->style.fill, e.fill);
    QCOMPARE(item->style.alignment, e.alignment);
}

Expected text(const QString &name, QRectF mm, const QString &family, double px, bool bold, QColor color, QColor fill,
    Qt::Alignment alignment)
{
    return { name, PreparedItem::Kind::Text, mm, family, px, bold, color, fill, alignment };
}

Expected shape(const QString &name, PreparedItem::Kind kind, QRectF mm)
{
    return { name, kind, mm, QString(), 0, false, QColor(), QColor(), {} };
}

const Qt::Alignment LeftMiddle = Qt::AlignLeft | Qt::AlignVCenter;

PriceListPageValues samplePage()
{
    PriceListPageValues values;
    values.title = QStringLiteral("  Fiori di stagione ");
    values.page = QStringLiteral(" 3 ");
    for (int k = 0; k < 8; ++k) {
        auto &slot = values.products[k];
        slot.photo = QImage(366, 274, QImage::Format_RGB32);
        slot.photo.fill(QColor::fromHsv(k * 40, 160, 200));
        slot.nome = QStringLiteral(" Rosa %1 [grande] ").arg(slotLetter(k));
        slot.um = QStringLiteral("Mazzo da dieci\t");
        slot.caratteristiche = QStringLiteral("Serra %1").arg(k);
        slot.codice = QStringLiteral("ROS-%1").arg(k);
        slot.prezzo = QStringLiteral("1%1,50").arg(k);
    }
    return values;
}

ProductCardValues sampleCard()
{
    ProductCardValues card;
    card.codice = QStringLiteral("ART-0042 ");
    card.costo = QStringLiteral("12,50");
    card.nome = QStringLiteral("Vaso in ceramica");
    card.giacenza = QStringLiteral("3");
    card.um = QStringLiteral("Scatola");
    card.tipologia = QStringLiteral("Casalinghi");
    card.caratteristiche = QStringLiteral("Blu");
    card.collocazione = QStringLiteral("B3");
    card.ditta = QStringLiteral("Ceramiche Rossi");
    card.agente = QStringLiteral("Mario");
    card.recapito = QStringLiteral("0512345678");
    card.documento = QStringLiteral("Fattura 12");
    card.pagamento = QStringLiteral("Bonifico");
    card.dataSca = QStringLiteral("31/01/2025");
    card.note = QStringLiteral("Fragile [non capovolgere]");
    card.prezzo = QStringLiteral("29,90");
    card.pagato = true;
    card.photo = QImage(800, 400, QImage::Format_RGB32);
    card.photo.fill(QColor(0x46, 0x82, 0xB4));
    return card;
}

QStringList listLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("Cod. %1  Prodotto %2").arg(i, 5, 10, QLatin1Char('0')).arg(i));
    return lines;
}

/** A word of pdftotext -bbox, in millimetres from the paper's corner. */
struct Word
{
    QString text;
    QRectF mm;
};

/** The words of each page of a PDF file, and each page's size in points. */
struct PdfText
{
    QList<QList<Word>> pages;
    QList<QSizeF> sizes;

    static PdfText read(const QString &path)
    {
        PdfText pdf;
        QProcess process;
        process.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
        if (!process.waitForFinished(30000))
            return pdf;
        const QString html = QString::fromUtf8(process.readAllStandardOutput());
        static const QRegularExpression tag(QStringLiteral(
            "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
            "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
        const double mmPerPoint = 25.4 / 72;
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            if (!m.captured(1).isEmpty()) {
                pdf.pages.append(QList<Word>());
                pdf.sizes.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
                continue;
            }
            const QPointF topLeft(m.captured(3).toDouble(), m.captured(4).toDouble());
            const QPointF bottomRight(m.captured(5).toDouble(), m.captured(6).toDouble());
            pdf.pages.last().append({ QTextDocumentFragment::fromHtml(m.captured(7)).toPlainText(),
                QRectF(topLeft * mmPerPoint, bottomRight * mmPerPoint) });
        }
        return pdf;
    }
};

/**
 * Checks that every text item of `page` appears on PDF page `index` where the layout puts it: the words
 * of its first line in order, their run starting (left), ending (right) or centred (centre) where the
 * line's alignment says, within a tenth of a millimetre, and vertically inside the box.
 */
void compareWithPdf(const PreparedPage &page, const QList<Word> &words)
{
    for (const PreparedItem &item : page.items) {
        if (item.kind != PreparedItem::Kind::Text || item.lines.isEmpty())
            continue;
        for (const PreparedLine &line : item.lines) {
            const QStringList expected = line.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (expected.isEmpty())
                continue;
            const QRectF box(unitsToMm(line.rect.left()), unitsToMm(item.rect.top()), unitsToMm(line.rect.width()),
                unitsToMm(item.rect.height()));
            // pdftotext may read columns apart, so follow each word's right-hand neighbour on its line.
            auto inBox = [&](const Word &w) {
                return w.mm.center().y() > box.top() && w.mm.center().y() < box.bottom() && w.mm.left() > box.left() - 1
                    && w.mm.right() < box.right() + 1;
            };
            auto nextOnLine = [&](const Word &previous, const QString &wanted) -> const Word * {
                const Word *best = nullptr;
                for (const Word &w : words) {
                    if (w.text == wanted && qAbs(w.mm.top() - previous.mm.top()) < 0.3
                        && w.mm.left() > previous.mm.right() && (!best || w.mm.left() < best->mm.left()))
                        best = &w;
                }
                return best;
            };
            const Word *first = nullptr;
            const Word *last = nullptr;
            for (const Word &w : words) {
                if (w.text != expected.first() || !inBox(w))
                    continue;
                const Word *at = &w;
                for (qsizetype j = 1; j < expected.size() && at; ++j)
                    at = nextOnLine(*at, expected.at(j));
                if (at && inBox(*at)) {
                    first = &w;
                    last = at;
                    break;
                }
            }
            QVERIFY2(first, qPrintable(item.name + QStringLiteral(": ") + line.text));
            const double left = first->mm.left();
            const double right = last->mm.right();
            const Qt::Alignment align = item.style.alignment;
            double got = left;
            double want = box.left();
            if (align & Qt::AlignRight) {
                got = right;
                want = box.right();
            } else if (align & Qt::AlignHCenter) {
                got = (left + right) / 2;
                want = box.center().x();
            }
            QVERIFY2(near(got, want, 0.1),
                qPrintable(QStringLiteral("%1: %2 mm instead of %3").arg(item.name).arg(got).arg(want)));
        }
    }
}
} // namespace

class TestReportTemplates : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    PdfText pdfOf(const PreparedReport &report, const QString &name)
    {
        const QString path = m_dir.filePath(name);
        if (!ReportPainter::writePdf(report, path))
            return PdfText();
        return PdfText::read(path);
    }

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2025, 1, 7), QTime(10, 30, 5))); }
    void cleanup() { Clock::setNow(QDateTime()); }

    void priceListPageLayout_data()
    {
        QTest::addColumn<Expected>("expected");
        const QColor brown(0xA5, 0x2A, 0x2A);
        const QColor navy(0x00, 0x00, 0x80);
        const QString arial = QStringLiteral("Arial");
        QTest::newRow("txtNome") << text(
            "txtNome", { 1, 0.6, 188, 4 }, arial, 10.67, false, Qt::black, {}, Qt::AlignLeft | Qt::AlignTop);
        for (int k = 0; k < 8; ++k) {
            const double t = 6 + 33 * k;
            const QString x = QString(slotLetter(k));
            const QString frame = k == 0 ? QStringLiteral("Shape19") : QStringLiteral("Shape%1").arg(k);
            const QList<Expected> rows = {
                shape(frame, PreparedItem::Kind::Outline, { 1, t, 188, 30 }),
                shape("imgFoto_" + x, PreparedItem::Kind::Picture, { 2, t + 1, 38, 28 }),
                text("txtNome_" + x, { 42.4, t + 1, 145, 7 }, arial, 21.33, true, brown, {}, LeftMiddle),
                text("txtUM_" + x, { 42.4, t + 10, 145, 4 }, arial, 13.33, false, Qt::black, {}, LeftMiddle),
                text("txtCaratteristiche_" + x, { 42.4, t + 16, 145, 4 }, arial, 13.33, false, Qt::black, {},
                    LeftMiddle),
                text("txtCodice_" + x, { 42.4, t + 22, 93.6, 7 }, arial, 21.33, true, navy, {}, LeftMiddle),
                text("txtPrezzo_" + x, { 146, t + 21.8, 40.4, 7 }, arial, 21.33, true, Qt::black, {},
                    Qt::AlignRight | Qt::AlignVCenter),
            };
            for (const Expected &e : rows)
                QTest::newRow(qPrintable(e.name)) << e;
        }
        QTest::newRow("txtPagina") << text(
            "txtPagina", { 0, 273, 190, 4 }, arial, 10.67, false, Qt::black, {}, Qt::AlignCenter);
    }
    void priceListPageLayout()
    {
        QFETCH(Expected, expected);
        ReportTemplate report = makeRepDocumento();
        fillPriceListPage(report, samplePage());
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pages.size(), 1);
        QCOMPARE(prepared.pages.at(0).paperMm, QSizeF(210, 297));
        compareItem(prepared.pages.at(0), expected);
    }

    void priceListPageTextsAsFilled()
    {
        ReportTemplate report = makeRepDocumento();
        QCOMPARE(report.reportName(), QStringLiteral("Listino Prezzi"));
        PriceListPageValues values = samplePage();
        values.products[7].prezzo = QString();
        fillPriceListPage(report, values);
        const PreparedPage page = report.prepare().pages.at(0);
        auto textOf = [&](const QString &name) { return page.item(name)->text(); };
        QCOMPARE(textOf("txtNome"), QStringLiteral("Fiori di stagione"));
        QCOMPARE(textOf("txtPagina"), QStringLiteral("3"));
        QCOMPARE(textOf("txtNome_A"), QStringLiteral("Rosa A [grande]"));
        QCOMPARE(textOf("txtUM_A"), QStringLiteral("Mazzo da dieci"));
        QCOMPARE(textOf("txtCaratteristiche_C"), QStringLiteral("Serra 2"));
        QCOMPARE(textOf("txtCodice_D"), QStringLiteral("ROS-3"));
        QCOMPARE(textOf("txtPrezzo_B"), QStringLiteral("€  11,50"));
        QCOMPARE(textOf("txtPrezzo_H"), QStringLiteral("€  "));
        const PreparedItem *photo = page.item(QStringLiteral("imgFoto_E"));
        QCOMPARE(photo->picture.pixel(0, 0), QColor::fromHsv(4 * 40, 160, 200).rgb());
        // 366 × 274 fitted into 38 × 28 mm: the full height, centred across.
        QVERIFY(near(photo->pictureRect.height(), photo->rect.height(), 1e-9));
        QVERIFY(near(photo->pictureRect.center().x(), photo->rect.center().x(), 1e-9));
    }

    void anUnsavedPagePrintsAnEmptyFooter()
    {
        ReportTemplate report = makeRepDocumento();
        PriceListPageValues values = samplePage();
        values.page = QString();
        fillPriceListPage(report, values);
        QCOMPARE(report.prepare().pages.at(0).item(QStringLiteral("txtPagina"))->text(), QString());
    }

    void cardLayout_data()
    {
        QTest::addColumn<bool>("withPhoto");
        QTest::addColumn<Expected>("expected");
        const QColor orange(0xFF, 0x8C, 0x00);
        const QColor teal(0x00, 0x80, 0x80);
        const QString arial = QStringLiteral("Arial");
        for (bool withPhoto : { true, false }) {
            const QString layout = withPhoto ? QStringLiteral("repFoto ") : QStringLiteral("repScheda ");
            QList<Expected> rows = {
                shape("frxPictureView1", PreparedItem::Kind::Picture, { 3, 3, 17, 13 }),
                text("txtTitolo", { 23, 3, 165, 9 }, arial, 21.33, false, Qt::white, orange, Qt::AlignCenter),
                shape("linSepara01", PreparedItem::Kind::Line, { 23, 16, 165, 0 }),
                shape("linSepara02", PreparedItem::Kind::Line, { 3, 265, 185, 0 }),
                text("txtCalce", { 3, 269, 185, 6 }, arial, 13.33, false, Qt::white, orange, Qt::AlignCenter),
            };
            for (int n = 1; n <= 18; ++n) {
                const double top = withPhoto ? 104 + 9 * (n - 1) : 24 + 10 * (n - 1);
                const QString nn = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
                rows.append(text("titCampo" + nn, { 3, top, 52, 6 }, arial, 12, false, Qt::white, teal, LeftMiddle));
                rows.append(text("txtCampo" + nn, { 60, top, 128, 6 }, arial, 13.33, false, Qt::black, {}, LeftMiddle));
            }
            if (withPhoto) {
                rows.append(shape("imgFoto", PreparedItem::Kind::Picture, { 4, 21, 183, 79 }));
            } else {
                rows.append(shape("Shape1", PreparedItem::Kind::Outline, { 3, 204, 185, 57 }));
                rows.append(
                    text("Memo1", { 4, 205, 34, 4 }, arial, 8, false, Qt::black, {}, Qt::AlignLeft | Qt::AlignTop));
            }
            for (const Expected &e : rows)
                QTest::newRow(qPrintable(layout + e.name)) << withPhoto << e;
        }
    }
    void cardLayout()
    {
        QFETCH(bool, withPhoto);
        QFETCH(Expected, expected);
        ReportTemplate report = withPhoto ? makeRepFoto() : makeRepScheda();
        fillProductCard(report, sampleCard());
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pages.size(), 1);
        QCOMPARE(prepared.pages.at(0).paperMm, QSizeF(210, 297));
        compareItem(prepared.pages.at(0), expected);
    }

    void cardTextsAsFilled_data()
    {
        QTest::addColumn<bool>("withPhoto");
        QTest::newRow("repFoto") << true;
        QTest::newRow("repScheda") << false;
    }
    void cardTextsAsFilled()
    {
        QFETCH(bool, withPhoto);
        ReportTemplate report = withPhoto ? makeRepFoto() : makeRepScheda();
        QCOMPARE(report.reportName(), QStringLiteral("Scheda informativa"));
        fillProductCard(report, sampleCard());
        const PreparedPage page = report.prepare().pages.at(0);
        auto textOf = [&](const QString &name) { return page.item(name)->text(); };
        const QStringList titles = { "Codice articolo:", "Costo unitario:", "Nome prodotto:", "Giacenza attuale:",
            "Aspetto esteriore del bene:", "Categoria merceologica:", "Caratteristiche:", "Collocazione in magazzino:",
            "Ditta fornitrice:", "Agente:", "Recapito telefonico", "Documento di acquisto:", "Modalità di pagamento:",
            "Data scadenza:", "Note:", "Prezzo di vendita:", "Valore totale:", "Pagato:" };
        const QStringList values = { "ART-0042", "12,50", "Vaso in ceramica", "3", "Scatola", "Casalinghi", "Blu", "B3",
            "Ceramiche Rossi", "Mario", "0512345678", "Fattura 12", "Bonifico", "31/01/2025",
            "Fragile [non capovolgere]", "29,90", "Costo unitario (€ 12,50) x giacenza (3 pezzi) = € 37,5", "Sì" };
        for (int n = 1; n <= 18; ++n) {
            const QString nn = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
            QCOMPARE(textOf("titCampo" + nn), titles.at(n - 1));
            QCOMPARE(textOf("txtCampo" + nn), values.at(n - 1));
        }
        QCOMPARE(textOf("txtTitolo"), QStringLiteral("SCHEDA PRODOTTO"));
        QCOMPARE(textOf("txtCalce"), QStringLiteral("Stampa eseguita in data 07/01/2025 alle ore 10:30:05"));
        if (withPhoto) {
            const PreparedItem *photo = page.item(QStringLiteral("imgFoto"));
            QCOMPARE(photo->picture.size(), QSize(800, 400));
            QVERIFY(near(photo->pictureRect.height(), photo->rect.height(), 1e-9)); // 2:1 in a 183 × 79 box
        } else {
            QVERIFY(!page.item(QStringLiteral("imgFoto")));
            QCOMPARE(textOf("Memo1"), QStringLiteral("SPAZIO PER APPUNTI:"));
        }

        ProductCardValues unpaid = sampleCard();
        unpaid.pagato = false;
        fillProductCard(report, unpaid);
        QCOMPARE(report.text(QStringLiteral("txtCampo18")).text(), QStringLiteral("No"));
    }

    void stockValueLine_data()
    {
        QTest::addColumn<QString>("giacenza");
        QTest::addColumn<QString>("costo");
        QTest::addColumn<QString>("line");
        QTest::newRow("3 x 12,50") << "3"
                                   << "12,50"
                                   << "Costo unitario (€ 12,50) x giacenza (3 pezzi) = € 37,5";
        QTest::newRow("3 x 12,5 as typed") << "3"
                                           << "12,5"
                                           << "Costo unitario (€ 12,5) x giacenza (3 pezzi) = € 37,5";
        QTest::newRow("2 x 1,10") << "2"
                                  << "1,10"
                                  << "Costo unitario (€ 1,10) x giacenza (2 pezzi) = € 2,2";
        QTest::newRow("0 stock") << "0"
                                 << "12,50"
                                 << "Costo unitario (€ 12,50) x giacenza (0 pezzi) = € 0";
        QTest::newRow("new card") << "0"
                                  << "0,00"
                                  << "Costo unitario (€ 0,00) x giacenza (0 pezzi) = € 0";
        QTest::newRow("texts trimmed") << " 4 "
                                       << " 0,25\t"
                                       << "Costo unitario (€ 0,25) x giacenza (4 pezzi) = € 1";
        QTest::newRow("negative stock") << "-2"
                                        << "3,33"
                                        << "Costo unitario (€ 3,33) x giacenza (-2 pezzi) = € -6,66";
    }
    void stockValueLine()
    {
        QFETCH(QString, giacenza);
        QFETCH(QString, costo);
        QFETCH(QString, line);
        for (const QByteArray &locale : shopLocales()) {
            const ScopedLocale switched(locale);
            if (!switched.active()) {
                qWarning("locale %s is not installed here: skipped", locale.constData());
                continue;
            }
            QCOMPARE(::stockValueLine(costo, giacenza), line);
        }
    }

    void aStockOrCostThatIsNoNumberFillsNothing_data()
    {
        QTest::addColumn<QString>("giacenza");
        QTest::addColumn<QString>("costo");
        QTest::addColumn<QString>("named");
        QTest::newRow("stock") << "tre"
                               << "12,50"
                               << "tre";
        QTest::newRow("cost with a dot") << "3"
                                         << "12.50"
                                         << "12.50";
        QTest::newRow("both: the stock is reported") << "x"
                                                     << "y"
                                                     << "x";
        QTest::newRow("empty stock") << ""
                                     << "12,50"
                                     << "";
    }
    void aStockOrCostThatIsNoNumberFillsNothing()
    {
        QFETCH(QString, giacenza);
        QFETCH(QString, costo);
        QFETCH(QString, named);
        ReportTemplate report = makeRepFoto();
        ProductCardValues card = sampleCard();
        card.giacenza = giacenza;
        card.costo = costo;
        try {
            fillProductCard(report, card);
            QFAIL("no conversion error");
        } catch (const ConversionError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QLatin1Char('\'') + named + QLatin1Char('\'')), e.what());
        }
        QCOMPARE(report.text(QStringLiteral("txtTitolo")).text(), QStringLiteral("Titolo Scheda"));
        QCOMPARE(report.text(QStringLiteral("txtCampo01")).text(), QStringLiteral("Campo 1"));
    }

    void listOfTwoHundredLinesSplitsOverPages()
    {
        ReportTemplate report = makeListReport();
        QCOMPARE(report.reportName(), QStringLiteral("Riepilogo dati"));
        const QStringList lines = listLines(200);
        fillListReport(report, QStringLiteral("Riepilogo prodotti in magazzino"), lines);
        QVERIFY(near(report.text(QStringLiteral("txtRiepilogo")).geometry().height(), 200 * 12.822, 1e-9));
        QVERIFY(near(report.band(QStringLiteral("MasterData")).height(), 200 * 12.822 + 10, 1e-9));

        const PreparedReport prepared = report.prepare();
        QVERIFY(prepared.pages.size() >= 3);
        const double bottom = mmToUnits(200);
        QStringList printed;
        int titles = 0;
        int footers = 0;
        for (int p = 0; p < prepared.pages.size(); ++p) {
            const PreparedPage &page = prepared.pages.at(p);
            QCOMPARE(page.paperMm, QSizeF(297, 210));
            for (const PreparedItem *title : page.itemsNamed(QStringLiteral("txtTitolo"))) {
                QCOMPARE(p, 0);
                QCOMPARE(title->text(), QStringLiteral("Riepilogo prodotti in magazzino"));
                ++titles;
            }
            for (const PreparedItem *footer : page.itemsNamed(QStringLiteral("txtPagina"))) {
                QCOMPARE(p, prepared.pages.size() - 1);
                QCOMPARE(footer->text(), QStringLiteral("Stampa eseguita in data 07/01/2025"));
                QVERIFY(footer->rect.bottom() <= bottom);
                ++footers;
            }
            const auto parts = page.itemsNamed(QStringLiteral("txtRiepilogo"));
            QCOMPARE(parts.size(), 1);
            if (p < prepared.pages.size() - 1) // pages are filled before the list goes on
                QVERIFY(parts.at(0)->lines.size() > 50);
            for (const PreparedLine &line : parts.at(0)->lines) {
                QVERIFY(line.rect.bottom() <= bottom);
                printed.append(line.text);
            }
            if (p > 0) // a continued page starts at the top of the printable area
                QVERIFY(near(parts.at(0)->lines.first().rect.top(), mmToUnits(10), 1e-6));
        }
        QCOMPARE(titles, 1);
        QCOMPARE(footers, 1);
        QCOMPARE(printed, lines);
    }

    void anEmptyListPrintsTitleBandAndDateLine()
    {
        ReportTemplate report = makeListReport();
        fillListReport(report, QStringLiteral("Riepilogo"), {});
        QCOMPARE(report.band(QStringLiteral("MasterData")).height(), 10.0);
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pages.size(), 1);
        const PreparedPage &page = prepared.pages.at(0);
        QVERIFY(page.item(QStringLiteral("txtTitolo")));
        QVERIFY(page.item(QStringLiteral("txtRiepilogo"))->lines.isEmpty());
        // Title band 30.24, empty data band 10, then the footer with its box 7.56 down.
        QVERIFY(near(page.item(QStringLiteral("txtPagina"))->rect.top(), mmToUnits(10) + 30.24 + 10 + 7.56, 1e-6));
    }

    void printsReadBackFromPdf_data()
    {
        QTest::addColumn<QString>("print");
        QTest::newRow("price-list page") << "repDocumento";
        QTest::newRow("card with photo") << "repFoto";
        QTest::newRow("card without photo") << "repScheda";
        QTest::newRow("list of 200") << "frxReport";
    }
    void printsReadBackFromPdf()
    {
        QFETCH(QString, print);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        ReportTemplate report = print == QLatin1String("repDocumento") ? makeRepDocumento()
            : print == QLatin1String("repFoto")                        ? makeRepFoto()
            : print == QLatin1String("repScheda")                      ? makeRepScheda()
                                                                       : makeListReport();
        if (print == QLatin1String("repDocumento"))
            fillPriceListPage(report, samplePage());
        else if (print == QLatin1String("frxReport"))
            fillListReport(report, QStringLiteral("Riepilogo prodotti in magazzino"), listLines(200));
        else
            fillProductCard(report, sampleCard());
        const PreparedReport prepared = report.prepare();
        const PdfText pdf = pdfOf(prepared, print + QStringLiteral(".pdf"));
        QCOMPARE(pdf.pages.size(), prepared.pages.size());
        const QSizeF points = print == QLatin1String("frxReport") ? QSizeF(842, 595) : QSizeF(595, 842);
        for (int p = 0; p < pdf.pages.size(); ++p) {
            QCOMPARE(pdf.sizes.at(p), points);
            compareWithPdf(prepared.pages.at(p), pdf.pages.at(p));
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_MAIN(TestReportTemplates)
#include "tst_reporttemplates.moc"
