#include "report/engine/ReportPainter.h"
#include "report/engine/ReportTemplate.h"
#include "storage/Clock.h"

#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
TextStyle plainStyle(Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    TextStyle style;
    style.pixelHeight = 13.33;
    style.alignment = alignment;
    return style;
}

/** A short landscape-free page (100 × 60 mm, margins 5 mm) with the three bands of a list. */
ReportTemplate bandedTemplate(int lineCount, double titleHeight = 20, double footerHeight = 20)
{
    ReportTemplate report(QStringLiteral("t"), QStringLiteral("Prova"));
    report.setPaperSize(QSizeF(100, 60));
    report.setMargins(QMarginsF(5, 5, 5, 5));
    report.addBand(Band::Type::ReportTitle, QStringLiteral("ReportTitle"), titleHeight)
        ->addText(QStringLiteral("txtTitolo"), QRectF(0, 2, 300, 16), plainStyle(), QStringLiteral("Titolo"));
    TextStyle lines = plainStyle();
    lines.pixelHeight = 10;
    Band *data = report.addBand(Band::Type::MasterData, QStringLiteral("MasterData"), lineCount * 12.0 + 10);
    data->setCanSplit(true);
    TextBox *box = data->addText(QStringLiteral("txtRiepilogo"), QRectF(4, 0, 300, lineCount * 12.0), lines);
    for (int i = 0; i < lineCount; ++i)
        box->addLine(QStringLiteral("riga %1").arg(i + 1));
    report.addBand(Band::Type::Footer, QStringLiteral("Footer"), footerHeight)
        ->addText(QStringLiteral("txtPagina"), QRectF(0, 2, 300, 16), plainStyle(), QStringLiteral("Fine"));
    return report;
}

/**
 * A PDF writer that behaves like a printer queue with edges it cannot print on: it refuses a whole
 * layout with narrower margins, and may refuse a paper size altogether.
 */
class QueueLikeWriter : public QPdfWriter
{
public:
    QueueLikeWriter(const QString &path, bool takesA4)
        : QPdfWriter(path)
        , m_takesA4(takesA4)
    {
        QPdfWriter::setPageLayout(
            QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, Edges, QPageLayout::Point));
    }

    bool setPageLayout(const QPageLayout &layout) override
    {
        const QMarginsF margins = layout.margins(QPageLayout::Point);
        if (margins.left() < Edges.left() || margins.top() < Edges.top() || margins.right() < Edges.right()
            || margins.bottom() < Edges.bottom() || !takes(layout.pageSize()))
            return false;
        return QPdfWriter::setPageLayout(layout);
    }
    bool setPageSize(const QPageSize &size) override { return takes(size) && QPdfWriter::setPageSize(size); }

private:
    static constexpr QMarginsF Edges { 18, 36, 18, 36 };
    bool takes(const QPageSize &size) const { return m_takesA4 || size.id() != QPageSize::A4; }
    bool m_takesA4;
};

/** Darkest pixel's column range in a rectangle of an image, or -1 when nothing is drawn there. */
int inkRight(const QImage &image, const QRect &area)
{
    int right = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 160)
                right = std::max(right, x);
        }
    }
    return right;
}
} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::setNow(QDateTime()); }

    void objectsAreFoundByNameAnywhere()
    {
        ReportTemplate report = bandedTemplate(3);
        report.addPicture(QStringLiteral("imgFoto"), QRectF(0, 0, 10, 10));
        report.addOutline(QStringLiteral("Shape1"), QRectF(0, 0, 10, 10));
        QCOMPARE(report.findObject(QStringLiteral("txtRiepilogo"))->kind(), ReportObject::Kind::Text);
        QCOMPARE(report.findObject(QStringLiteral("MasterData"))->kind(), ReportObject::Kind::Band);
        QCOMPARE(report.findObject(QStringLiteral("imgFoto"))->kind(), ReportObject::Kind::Picture);
        QCOMPARE(report.findObject(QStringLiteral("Shape1"))->kind(), ReportObject::Kind::Outline);
        QVERIFY(!report.findObject(QStringLiteral("txtNessuno")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, report.text(QStringLiteral("txtNessuno")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, report.text(QStringLiteral("imgFoto")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, report.band(QStringLiteral("txtTitolo")));
    }

    void textAndLinesReplaceWhatWasThere()
    {
        TextBox box(QStringLiteral("t"), QRectF(0, 0, 100, 20), plainStyle(), QStringLiteral("design"));
        box.setText(QStringLiteral("uno\r\ndue\nre"));
        QCOMPARE(box.lines(), QStringList({ "uno", "due", "re" }));
        box.setText(QString());
        QVERIFY(box.lines().isEmpty());
        box.addLine(QStringLiteral("a"));
        box.addLine(QString());
        box.addLine(QStringLiteral("c"));
        QCOMPARE(box.text(), QStringLiteral("a\n\nc"));
        box.clearLines();
        QCOMPARE(box.text(), QString());
    }

    void dateExpressionOnlyWhereExpressionsAreOn_data()
    {
        QTest::addColumn<bool>("expressions");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::newRow("on") << true << "Stampa eseguita in data [DATE]"
                            << "Stampa eseguita in data 07/01/2025";
        QTest::newRow("on, other brackets stay") << true << "[DATE] [NOME]"
                                                 << "07/01/2025 [NOME]";
        QTest::newRow("off") << false << "Rosa [DATE] [grande]"
                             << "Rosa [DATE] [grande]";
    }
    void dateExpressionOnlyWhereExpressionsAreOn()
    {
        QFETCH(bool, expressions);
        QFETCH(QString, text);
        QFETCH(QString, printed);
        Clock::setNow(QDateTime(QDate(2025, 1, 7), QTime(10, 30)));
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        report.addText(QStringLiteral("txt"), QRectF(0, 0, 400, 20), plainStyle(), text)->setExpressions(expressions);
        QCOMPARE(report.prepare().pages.at(0).item(QStringLiteral("txt"))->text(), printed);
    }

    void positionsCountFromInsideTheMargins()
    {
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        report.setMargins(QMarginsF(10, 12, 10, 10));
        report.addText(QStringLiteral("txt"), mmRect(1, 2, 30, 4), plainStyle(), QStringLiteral("x"));
        report.addLine(QStringLiteral("lin"), mmToUnits(3), mmToUnits(265), mmToUnits(185));
        const PreparedPage page = report.prepare().pages.at(0);
        QCOMPARE(page.paperMm, QSizeF(210, 297));
        const QRectF txt = page.item(QStringLiteral("txt"))->rect;
        QVERIFY(qAbs(unitsToMm(txt.left()) - 11) < 1e-9);
        QVERIFY(qAbs(unitsToMm(txt.top()) - 14) < 1e-9);
        QVERIFY(qAbs(unitsToMm(txt.width()) - 30) < 1e-9);
        const QRectF lin = page.item(QStringLiteral("lin"))->rect;
        QVERIFY(qAbs(unitsToMm(lin.top()) - 277) < 1e-9);
        QCOMPARE(lin.height(), 0.0);

        report.setOrientation(QPageLayout::Landscape);
        QCOMPARE(report.prepare().pages.at(0).paperMm, QSizeF(297, 210));
        QVERIFY(qAbs(unitsToMm(report.printableSize().width()) - 277) < 1e-9);
    }

    void picturesFitCentredWithTheirProportions_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRectF>("expected");
        const QRectF box(10, 20, 200, 100);
        QTest::newRow("wide") << QSize(400, 100) << QRectF(10, 45, 200, 50);
        QTest::newRow("tall") << QSize(100, 400) << QRectF(97.5, 20, 25, 100);
        QTest::newRow("small, enlarged") << QSize(20, 10) << box;
        QTest::newRow("none") << QSize() << QRectF();
    }
    void picturesFitCentredWithTheirProportions()
    {
        QFETCH(QSize, picture);
        QFETCH(QRectF, expected);
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        report.setMargins(QMarginsF());
        QImage image;
        if (picture.isValid()) {
            image = QImage(picture, QImage::Format_RGB32);
            image.fill(Qt::red);
        }
        report.addPicture(QStringLiteral("img"), QRectF(10, 20, 200, 100))->setPicture(image);
        const PreparedReport prepared = report.prepare(); // kept: the item points into it
        const PreparedItem *item = prepared.pages.at(0).item(QStringLiteral("img"));
        QCOMPARE(item->rect, QRectF(10, 20, 200, 100));
        QCOMPARE(item->pictureRect, expected);
    }

    void aSplittingBandBreaksBetweenLines_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("pages");
        // Printable height 50 mm = 188.98 units, line pitch 12 units, box top padding 1 unit.
        QTest::newRow("empty") << 0 << 1;
        QTest::newRow("fits on the first page") << 10 << 1;
        QTest::newRow("footer pushed over") << 12 << 2;
        QTest::newRow("three pages") << 40 << 3;
    }
    void aSplittingBandBreaksBetweenLines()
    {
        QFETCH(int, lines);
        QFETCH(int, pages);
        const ReportTemplate report = bandedTemplate(lines);
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pages.size(), pages);

        const double bottom = mmToUnits(55); // top margin + printable height
        QStringList printed;
        for (int p = 0; p < prepared.pages.size(); ++p) {
            const PreparedPage &page = prepared.pages.at(p);
            QCOMPARE(page.itemsNamed(QStringLiteral("txtTitolo")).size(), p == 0 ? 1 : 0);
            QCOMPARE(page.itemsNamed(QStringLiteral("txtPagina")).size(), p == pages - 1 ? 1 : 0);
            for (const PreparedItem *item : page.itemsNamed(QStringLiteral("txtRiepilogo"))) {
                for (const PreparedLine &line : item->lines) {
                    QVERIFY2(line.rect.bottom() <= bottom + 1e-6, qPrintable(line.text));
                    QVERIFY(line.rect.top() >= mmToUnits(5) - 1e-6);
                    printed.append(line.text);
                }
            }
        }
        QStringList expected;
        for (int i = 0; i < lines; ++i)
            expected.append(QStringLiteral("riga %1").arg(i + 1));
        QCOMPARE(printed, expected);

        // The footer follows the last line on the last page.
        const PreparedPage &last = prepared.pages.last();
        const PreparedItem *footer = last.item(QStringLiteral("txtPagina"));
        for (const PreparedItem *item : last.itemsNamed(QStringLiteral("txtRiepilogo"))) {
            if (!item->lines.isEmpty())
                QVERIFY(footer->rect.top() > item->lines.last().rect.bottom());
        }
        QVERIFY(footer->rect.bottom() <= bottom + 1e-6);
    }

    void aBandThatMayNotSplitMovesToTheNextPage()
    {
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        report.setPaperSize(QSizeF(100, 60));
        report.setMargins(QMarginsF(5, 5, 5, 5));
        report.addBand(Band::Type::MasterData, QStringLiteral("a"), 120)
            ->addText(QStringLiteral("txtA"), QRectF(0, 0, 100, 20), plainStyle(), QStringLiteral("A"));
        report.addBand(Band::Type::Footer, QStringLiteral("b"), 100)
            ->addText(QStringLiteral("txtB"), QRectF(0, 0, 100, 20), plainStyle(), QStringLiteral("B"));
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pages.size(), 2);
        QVERIFY(prepared.pages.at(1).item(QStringLiteral("txtB")));
        QCOMPARE(prepared.pages.at(1).item(QStringLiteral("txtB"))->rect.top(), mmToUnits(5));
    }

    void longTextIsCutAtTheBoxEdgeNotWrapped_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter);
        QTest::newRow("centre") << int(Qt::AlignCenter);
    }
    void longTextIsCutAtTheBoxEdgeNotWrapped()
    {
        QFETCH(int, alignment);
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        report.setMargins(QMarginsF());
        const QString text
            = QStringLiteral("MMMMMMMMMM INIZIO ") + QString(60, QLatin1Char('W')) + QStringLiteral(" FINE MMMMMMMMMM");
        report.addText(QStringLiteral("txt"), QRectF(100, 100, 200, 26), plainStyle(Qt::Alignment(alignment)), text);
        const PreparedPage page = report.prepare().pages.at(0);
        QCOMPARE(page.item(QStringLiteral("txt"))->lines.size(), 1);

        const QImage image = ReportPainter::pageImage(page, 96);
        QVERIFY(inkRight(image, QRect(100, 100, 200, 26)) > 250); // it printed
        QCOMPARE(inkRight(image, QRect(301, 90, 400, 60)), -1); // nothing right of the box
        QCOMPARE(inkRight(image, QRect(0, 90, 99, 60)), -1); // nor left of it
        QCOMPARE(inkRight(image, QRect(100, 127, 200, 40)), -1); // nor below: no second line
    }

    void pdfHoldsOnlyTheVisibleText()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("Prova"));
        report.addText(QStringLiteral("a"), mmRect(0, 0, 40, 6), plainStyle(),
            QStringLiteral("Inizio visibile ") + QString(40, QLatin1Char('x')) + QStringLiteral(" CODA"));
        report.addText(QStringLiteral("b"), mmRect(0, 10, 40, 6), plainStyle(Qt::AlignRight | Qt::AlignTop),
            QStringLiteral("TESTA ") + QString(40, QLatin1Char('y')) + QStringLiteral(" fine visibile"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.pdf"));
        QVERIFY(ReportPainter::writePdf(report.prepare(), path));
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
        QVERIFY(pdftotext.waitForFinished(20000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY(text.contains(QStringLiteral("Inizio visibile")));
        QVERIFY(text.contains(QStringLiteral("fine visibile")));
        QVERIFY(!text.contains(QStringLiteral("CODA")));
        QVERIFY(!text.contains(QStringLiteral("TESTA")));
    }

    void pagesGoOnTheReportsPaperAndOrientation_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QSizeF>("paperMm");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QSize>("points"); // the page as oriented
        QTest::newRow("PDF file, landscape") << "pdf" << QSizeF(297, 210) << true << QSize(842, 595);
        QTest::newRow("PDF file, portrait") << "pdf" << QSizeF(210, 297) << true << QSize(595, 842);
        QTest::newRow("queue with edges, landscape") << "queue" << QSizeF(297, 210) << true << QSize(842, 595);
        QTest::newRow("queue with edges, portrait") << "queue" << QSizeF(210, 297) << true << QSize(595, 842);
        QTest::newRow("queue without A4") << "queue without A4" << QSizeF(297, 210) << false << QSize();
    }
    void pagesGoOnTheReportsPaperAndOrientation()
    {
        QFETCH(QString, device);
        QFETCH(QSizeF, paperMm);
        QFETCH(bool, taken);
        QFETCH(QSize, points);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.pdf"));
        std::unique_ptr<QPdfWriter> writer;
        if (device == QLatin1String("pdf"))
            writer = std::make_unique<QPdfWriter>(path);
        else
            writer = std::make_unique<QueueLikeWriter>(path, device == QLatin1String("queue"));
        PreparedReport report;
        report.pages.append(PreparedPage { paperMm, {} });

        const ReportResult painted = ReportPainter::paintPages(*writer, report);
        QCOMPARE(bool(painted), taken);
        if (!taken) {
            QVERIFY(painted.error() == ReportFailure::PaperRefused);
            return;
        }
        const QPageLayout layout = writer->pageLayout();
        QCOMPARE(layout.fullRectPoints().size(), points);
        QCOMPARE(
            layout.orientation(), points.width() > points.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (device == QLatin1String("pdf"))
            QCOMPARE(layout.margins(), QMarginsF());
    }

    void aPdfThatCannotBeWrittenFails()
    {
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("t"));
        QVERIFY(!ReportPainter::writePdf(report.prepare(), QStringLiteral("/nonexistent-folder/x/t.pdf")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/nonexistent-folder")));
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
