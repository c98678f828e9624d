// Lines of a fixed-pitch font are drawn without shaping; they must land exactly where the general
// way (shaping every line, kept here as the reference) puts them, with the same characters cut.
#include "report/engine/ListReport.h"
#include "report/engine/ReportPainter.h"
#include "report/engine/ReportTemplate.h"
#include "storage/Clock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace reference {
QFont fontFor(const TextStyle &style, const QPaintDevice *device)
{
    QFont font(style.family);
    font.setPointSizeF(style.pixelHeight * 72.0 / device->logicalDpiY());
    font.setBold(style.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void drawLine(QPainter &painter, const QFontMetricsF &metrics, const PreparedLine &line, const QRectF &box,
    Qt::Alignment alignment)
{
    const QString &text = line.text;
    const double width = metrics.horizontalAdvance(text);
    double x = line.rect.left();
    if (alignment & Qt::AlignRight)
        x = line.rect.right() - width;
    else if (alignment & Qt::AlignHCenter)
        x = line.rect.center().x() - width / 2;
    qsizetype first = 0;
    qsizetype end = text.size();
    if (x < box.left() || x + width > box.right()) {
        while (first < end && x + metrics.horizontalAdvance(text.left(first + 1)) <= box.left())
            ++first;
        while (end > first && x + metrics.horizontalAdvance(text.left(end - 1)) >= box.right())
            --end;
        if (first > 0 && first < text.size() && text.at(first).isLowSurrogate())
            --first;
        if (end > 0 && end < text.size() && text.at(end).isLowSurrogate())
            ++end;
    }
    const QString visible = text.mid(first, end - first);
    if (visible.isEmpty())
        return;
    const double start = x + (first > 0 ? metrics.horizontalAdvance(text.left(first)) : 0.0);
    const QRectF target(start, line.rect.top(), metrics.horizontalAdvance(visible), line.rect.height());
    painter.drawText(target, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, visible);
}

bool writePdf(const PreparedReport &report, const QString &path)
{
    QPdfWriter writer(path);
    if (!ReportPainter::usePaper(writer, report.pages.constFirst().paperMm))
        return false;
    QPainter painter(&writer);
    painter.scale(writer.logicalDpiX() / 96.0, writer.logicalDpiX() / 96.0);
    for (const PreparedItem &item : report.pages.constFirst().items) {
        const QFont font = fontFor(item.style, painter.device());
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        painter.save();
        painter.setClipRect(item.rect, Qt::IntersectClip);
        for (const PreparedLine &line : item.lines)
            drawLine(painter, metrics, line, item.rect, item.style.alignment);
        painter.restore();
    }
    return painter.end();
}
} // namespace reference

namespace {
/** Every word pdftotext finds, with its box rounded to a hundredth of a point. */
QStringList words(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
    if (!pdftotext.waitForFinished(20000))
        return {};
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QStringList found;
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString box;
        for (int i = 1; i <= 4; ++i)
            box += QString::number(m.captured(i).toDouble(), 'f', 2) + QLatin1Char(' ');
        found.append(box + m.captured(5));
    }
    return found;
}
} // namespace

class TestReportListText : public QObject
{
    Q_OBJECT

private slots:
    void fixedPitchLinesLandWhereShapedLinesDo_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignTop);
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter);
        QTest::newRow("centre") << int(Qt::AlignHCenter | Qt::AlignBottom);
    }
    void fixedPitchLinesLandWhereShapedLinesDo()
    {
        QFETCH(int, alignment);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        TextStyle list;
        list.family = QStringLiteral("Courier New");
        list.pixelHeight = 10.67;
        list.alignment = Qt::Alignment(alignment);
        ReportTemplate report(QStringLiteral("t"), QStringLiteral("Prova"));
        report.setOrientation(QPageLayout::Landscape);
        const QStringList lines = {
            QStringLiteral("Cod. A-000303     Coperta artigianale     Giac. 181   Costo: € 72,38"),
            QStringLiteral("Cod. A-001297 àèéìòù ÀÈ   Caffettiera   Pagato: Sì"),
            QStringLiteral("INIZIO ") + QString(150, QLatin1Char('x')) + QStringLiteral(" FINE"),
            QStringLiteral("   blanks   around   "),
            QString(),
            // A character the font lacks and an accent written apart go the general way.
            QStringLiteral("Vaso 漢字 e caffe\u0301 finale"),
            QStringLiteral("x"),
        };
        report.addText(QStringLiteral("txtRiepilogo"), QRectF(40, 40, 600, 120), list, lines.join(QLatin1Char('\n')));
        const PreparedReport prepared = report.prepare();

        QTemporaryDir dir;
        const QString fast = dir.filePath(QStringLiteral("fast.pdf"));
        const QString shaped = dir.filePath(QStringLiteral("shaped.pdf"));
        QVERIFY(ReportPainter::writePdf(prepared, fast));
        QVERIFY(reference::writePdf(prepared, shaped));
        const QStringList want = words(shaped);
        QVERIFY(want.size() > 15);
        QCOMPARE(words(fast), want);
    }

    /**
     * A printed list of three pages gives exactly the text it always gave: every line, cut where it
     * leaves the box, accents, the euro sign, blanks, the title and the dated footer of every page.
     * Set VETRINOVA_MAKE_FIXTURES=1 to write the expected text again after a deliberate change.
     */
    void aPrintedListKeepsItsText()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        Clock::setNow(QDateTime(QDate(2026, 3, 7), QTime(10, 0)));
        QStringList lines;
        const QStringList names = { QStringLiteral("Coperta artigianale"), QStringLiteral("Caffettiera àèéìòù"),
            QStringLiteral("Vaso ÀÈ «grande»"), QStringLiteral("Caffe\u0301 macinato") };
        for (int i = 0; i < 130; ++i)
            lines.append(QStringLiteral("Cod. A-%1   %2   Giac. %3   Costo: € %4,%5")
                             .arg(i * 37 % 1000, 6, 10, QLatin1Char('0'))
                             .arg(names[i % names.size()].leftJustified(24))
                             .arg(i * 7 % 300)
                             .arg(i * 13 % 100)
                             .arg(i % 100, 2, 10, QLatin1Char('0')));
        lines[3] = QStringLiteral("INIZIO ") + QString(200, QLatin1Char('x')) + QStringLiteral(" FINE");
        lines[60] = QString();
        lines[61] = QStringLiteral("   spazi   intorno   ");
        ReportTemplate report = makeListReport();
        fillListReport(report, QStringLiteral("Risultati della ricerca"), lines);
        const PreparedReport prepared = report.prepare();
        QCOMPARE(prepared.pageCount(), 3);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("elenco.pdf"));
        QVERIFY(ReportPainter::writePdf(prepared, pdf));
        QProcess pdftotext;
        pdftotext.start(
            QStringLiteral("pdftotext"), { QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-") });
        QVERIFY(pdftotext.waitForFinished(20000));
        const QByteArray text = pdftotext.readAllStandardOutput();
        QFile expected(QStringLiteral(FIXTURES_DIR "/report/list-text.txt"));
        if (qEnvironmentVariableIntValue("VETRINOVA_MAKE_FIXTURES") == 1) {
            QVERIFY(expected.open(QIODevice::WriteOnly));
            expected.write(text);
            QSKIP("expected text written");
        }
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(expected.fileName()));
        const QList<QByteArray> want = expected.readAll().split('\n');
        const QList<QByteArray> got = text.split('\n');
        for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
            QVERIFY2(got[i] == want[i],
                qPrintable(QStringLiteral("line %1: \"%2\" instead of \"%3\"")
                               .arg(i + 1)
                               .arg(QString::fromUtf8(got[i]), QString::fromUtf8(want[i]))));
        QCOMPARE(got.size(), want.size());
    }
};

QTEST_MAIN(TestReportListText)
#include "tst_reportlisttext.moc"
