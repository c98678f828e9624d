// Preparing a long band: the pages must be exactly those of the straightforward layout that rebuilt
// every line's rectangle for every page. That layout is kept here, unchanged, as the reference.
#include "report/engine/ListReport.h"
#include "report/engine/ReportTemplate.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"

#include <QtTest>

namespace reference {
constexpr double Epsilon = 1e-6;

QList<QRectF> lineRects(const QRectF &box, const TextStyle &style, int count)
{
    const QRectF inner = box.adjusted(TextPaddingX, TextPaddingY, -TextPaddingX, -TextPaddingY);
    const double pitch = style.linePitch();
    const double block = count * pitch;
    double top = inner.top();
    if (style.alignment & Qt::AlignBottom)
        top = inner.bottom() - block;
    else if (style.alignment & Qt::AlignVCenter)
        top = inner.center().y() - block / 2;
    QList<QRectF> rects;
    rects.reserve(count);
    for (int i = 0; i < count; ++i)
        rects.append(QRectF(inner.left(), top + i * pitch, inner.width(), pitch));
    return rects;
}

PreparedItem preparedText(const TextBox &box, const QRectF &rect, const QStringList &lines, const QList<QRectF> &rects)
{
    PreparedItem item;
    item.kind = PreparedItem::Kind::Text;
    item.name = box.name();
    item.rect = rect;
    item.style = box.style();
    for (qsizetype i = 0; i < lines.size(); ++i)
        item.lines.append({ lines[i], rects[i] });
    return item;
}

PreparedItem preparedObject(const ReportObject &object, const QPointF &offset)
{
    const QRectF rect = object.geometry().translated(offset);
    switch (object.kind()) {
    case ReportObject::Kind::Text: {
        const auto &box = static_cast<const TextBox &>(object);
        const QStringList lines = box.printedLines();
        return preparedText(box, rect, lines, lineRects(rect, box.style(), int(lines.size())));
    }
    case ReportObject::Kind::Picture: {
        const auto &box = static_cast<const PictureBox &>(object);
        PreparedItem item;
        item.kind = PreparedItem::Kind::Picture;
        item.name = box.name();
        item.rect = rect;
        item.picture = box.picture();
        if (!item.picture.isNull())
            item.pictureRect = PictureBox::fitRect(item.picture.size(), rect);
        return item;
    }
    case ReportObject::Kind::Outline:
    case ReportObject::Kind::Line:
    case ReportObject::Kind::Band:
        break;
    }
    PreparedItem item;
    item.kind = object.kind() == ReportObject::Kind::Line ? PreparedItem::Kind::Line : PreparedItem::Kind::Outline;
    item.name = object.name();
    item.rect = rect;
    return item;
}

double breakPoint(const Band &band, double start, double end)
{
    double cut = end;
    for (bool moved = true; moved;) {
        moved = false;
        for (const auto &object : band.objects()) {
            const QRectF r = object->geometry();
            if (object->kind() == ReportObject::Kind::Text) {
                const auto &box = static_cast<const TextBox &>(*object);
                for (const QRectF &line : lineRects(r, box.style(), int(box.lines().size()))) {
                    if (line.top() < cut - Epsilon && line.bottom() > cut + Epsilon && line.top() > start + Epsilon) {
                        cut = line.top();
                        moved = true;
                    }
                }
            } else if (r.top() > start + Epsilon && r.top() < cut - Epsilon && r.bottom() > cut + Epsilon) {
                cut = r.top();
                moved = true;
            }
        }
    }
    return cut;
}

void placeBandPart(PreparedPage &page, const Band &band, double from, double to, const QPointF &origin, double y)
{
    const QPointF offset(origin.x(), origin.y() + y - from);
    const bool last = to >= band.height() - Epsilon;
    const bool whole = from <= Epsilon && last;
    for (const auto &object : band.objects()) {
        const QRectF r = object->geometry();
        if (object->kind() != ReportObject::Kind::Text) {
            const bool starts = r.top() >= from - Epsilon && (r.top() < to - Epsilon || last);
            if (starts)
                page.items.append(preparedObject(*object, offset));
            continue;
        }
        if (whole || (r.top() >= from - Epsilon && r.bottom() <= to + Epsilon)) {
            page.items.append(preparedObject(*object, offset));
            continue;
        }
        const double top = std::max(r.top(), from);
        const double bottom = std::min(r.bottom(), to);
        if (bottom - top <= Epsilon)
            continue;
        const auto &box = static_cast<const TextBox &>(*object);
        const QStringList all = box.printedLines();
        const QList<QRectF> rects = lineRects(r, box.style(), int(all.size()));
        QStringList lines;
        QList<QRectF> placed;
        for (qsizetype i = 0; i < all.size(); ++i) {
            const double middle = rects[i].center().y();
            if (middle >= from && middle < to) {
                lines.append(all[i]);
                placed.append(rects[i].translated(offset));
            }
        }
        const QRectF visible(r.left(), top, r.width(), bottom - top);
        page.items.append(preparedText(box, visible.translated(offset), lines, placed));
    }
}

PreparedReport prepare(const ReportTemplate &t)
{
    PreparedReport report;
    report.name = t.reportName();
    const QPointF origin(mmToUnits(t.margins().left()), mmToUnits(t.margins().top()));
    const double bottom = t.printableSize().height();
    double y = 0;

    auto newPage = [&] {
        PreparedPage page;
        page.paperMm = t.pageSize();
        for (const auto &object : t.objects())
            page.items.append(preparedObject(*object, origin));
        report.pages.append(page);
        y = 0;
    };
    newPage();

    for (const auto &band : t.bands()) {
        const double height = band->height();
        if (!band->canSplit()) {
            if (y + height > bottom + Epsilon && y > Epsilon)
                newPage();
            placeBandPart(report.pages.last(), *band, 0, height, origin, y);
            y += height;
            continue;
        }
        double from = 0;
        for (;;) {
            const double room = bottom - y;
            if (height - from <= room + Epsilon) {
                placeBandPart(report.pages.last(), *band, from, height, origin, y);
                y += height - from;
                break;
            }
            double to = breakPoint(*band, from, from + room);
            if (to <= from + Epsilon) {
                if (y > Epsilon) {
                    newPage();
                    continue;
                }
                to = from + room;
            }
            placeBandPart(report.pages.last(), *band, from, to, origin, y);
            newPage();
            from = to;
        }
    }
    return report;
}
} // namespace reference

namespace {
QStringList numberedLines(int count, const QString &pattern = QStringLiteral("%1 VASO IN CERAMICA"))
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(pattern.arg(i + 1, 6, 10, QLatin1Char('0')));
    return lines;
}

ReportTemplate listOf(int lines)
{
    ReportTemplate report = makeListReport();
    fillListReport(report, QStringLiteral("Risultati della ricerca"), numberedLines(lines));
    return report;
}

/**
 * A band that splits holding two text boxes of different line pitch (one bottom-aligned, one with
 * the date expression) and an outline, so a cut moved by one box can be moved again by another.
 */
ReportTemplate mixedBandOf(int lines)
{
    ReportTemplate report(QStringLiteral("t"), QStringLiteral("Prova"));
    report.setPaperSize(QSizeF(100, 80));
    report.setMargins(QMarginsF(5, 5, 5, 5));
    report.addText(QStringLiteral("txtPagina"), QRectF(0, 0, 200, 12), TextStyle(), QStringLiteral("Pagina"));
    Band *data = report.addBand(Band::Type::MasterData, QStringLiteral("MasterData"), lines * 15.0 + 40);
    data->setCanSplit(true);
    TextStyle small;
    small.pixelHeight = 10;
    TextStyle tall;
    tall.pixelHeight = 12.5;
    tall.alignment = Qt::AlignLeft | Qt::AlignBottom;
    data->addText(QStringLiteral("txtSinistra"), QRectF(0, 3, 150, lines * 12.0 + 2), small)
        ->setText(numberedLines(lines, QStringLiteral("riga %1")).join(QLatin1Char('\n')));
    TextBox *right = data->addText(QStringLiteral("txtDestra"), QRectF(160, 0, 150, lines * 15.0 + 2), tall);
    right->setText(numberedLines(lines, QStringLiteral("[DATE] %1")).join(QLatin1Char('\n')));
    right->setExpressions(true);
    for (int i = 0; i < lines / 10; ++i)
        data->addOutline(QStringLiteral("shpRiquadro"), QRectF(320, i * 150.0 + 7, 20, 30));
    report.addBand(Band::Type::Footer, QStringLiteral("Footer"), 20)
        ->addText(QStringLiteral("txtFine"), QRectF(0, 2, 200, 16), TextStyle(), QStringLiteral("Fine"));
    return report;
}

/** The first difference between two prepared reports, or an empty text when they are the same. */
QString difference(const PreparedReport &got, const PreparedReport &want)
{
    if (got.name != want.name)
        return QStringLiteral("name");
    if (got.pages.size() != want.pages.size())
        return QStringLiteral("%1 pages instead of %2").arg(got.pages.size()).arg(want.pages.size());
    for (qsizetype p = 0; p < got.pages.size(); ++p) {
        const PreparedPage &a = got.pages[p];
        const PreparedPage &b = want.pages[p];
        if (a.paperMm != b.paperMm || a.items.size() != b.items.size())
            return QStringLiteral("page %1: paper or number of items").arg(p + 1);
        for (qsizetype i = 0; i < a.items.size(); ++i) {
            const PreparedItem &x = a.items[i];
            const PreparedItem &y = b.items[i];
            // Exact comparisons: the same arithmetic must give the same bits.
            if (x.kind != y.kind || x.name != y.name || x.rect != y.rect || x.pictureRect != y.pictureRect
                || x.style.pixelHeight != y.style.pixelHeight || x.lines.size() != y.lines.size())
                return QStringLiteral("page %1, item %2 (%3)").arg(p + 1).arg(i).arg(y.name);
            for (qsizetype l = 0; l < x.lines.size(); ++l) {
                if (x.lines[l].text != y.lines[l].text || x.lines[l].rect != y.lines[l].rect)
                    return QStringLiteral("page %1, %2 line %3: \"%4\" at %5 instead of \"%6\" at %7")
                        .arg(p + 1)
                        .arg(y.name)
                        .arg(l)
                        .arg(x.lines[l].text)
                        .arg(x.lines[l].rect.top(), 0, 'g', 17)
                        .arg(y.lines[l].text)
                        .arg(y.lines[l].rect.top(), 0, 'g', 17);
            }
        }
    }
    return QString();
}

int lineCount(const PreparedReport &report, const QString &name)
{
    int count = 0;
    for (const PreparedPage &page : report.pages) {
        for (const PreparedItem *item : page.itemsNamed(name))
            count += int(item->lines.size());
    }
    return count;
}
} // namespace

class TestReportPageBreaks : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 30))); }
    void cleanup() { Clock::setNow(QDateTime()); }

    void listPagesAreThoseOfTheLineByLineLayout_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("pages");
        // 50 lines and the footer fill the first page; the 51st pushes the footer over, and the
        // 54th is the first line that no longer fits on it.
        QTest::newRow("one line") << 1 << 1;
        QTest::newRow("one page exactly") << 50 << 1;
        QTest::newRow("footer one line over") << 51 << 2;
        QTest::newRow("data one line over") << 54 << 2;
        QTest::newRow("100 000 lines") << 100000 << 1789;
    }
    void listPagesAreThoseOfTheLineByLineLayout()
    {
        QFETCH(int, lines);
        QFETCH(int, pages);
        const ReportTemplate report = listOf(lines);
        const PreparedReport want = reference::prepare(report);
        const PreparedReport got = report.prepare();
        QCOMPARE(difference(got, want), QString());
        QCOMPARE(int(got.pages.size()), pages);
        QCOMPARE(lineCount(got, QStringLiteral("txtRiepilogo")), lines);
    }

    void cutsMovedByOneBoxAndAnotherAreThoseOfTheLineByLineLayout_data()
    {
        QTest::addColumn<int>("lines");
        for (int lines : { 0, 1, 7, 30, 31, 200, 2000 })
            QTest::addRow("%d lines", lines) << lines;
    }
    void cutsMovedByOneBoxAndAnotherAreThoseOfTheLineByLineLayout()
    {
        QFETCH(int, lines);
        const ReportTemplate report = mixedBandOf(lines);
        const PreparedReport want = reference::prepare(report);
        const PreparedReport got = report.prepare();
        QCOMPARE(difference(got, want), QString());
        QCOMPARE(lineCount(got, QStringLiteral("txtSinistra")), lines);
        QCOMPARE(lineCount(got, QStringLiteral("txtDestra")), lines);
    }
};

QTEST_GUILESS_MAIN(TestReportPageBreaks)
#include "tst_reportpagebreaks.moc"
