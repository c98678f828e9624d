#include "report/engine/ReportPainter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <optional>
#include <vector>

namespace {
QFont fontFor(const TextStyle &style, const QPaintDevice *device)
{
    QFont font(style.family);
    // The painter draws in template units, so the font must measure pixelHeight units on this device.
    font.setPointSizeF(style.pixelHeight * 72.0 / device->logicalDpiY());
    font.setBold(style.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

/** Where a text `width` wide starts in `rect` under the horizontal `alignment`. */
double alignedLeft(const QRectF &rect, double width, Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return rect.right() - width;
    if (alignment & Qt::AlignHCenter)
        return rect.center().x() - width / 2;
    return rect.left();
}

/**
 * Draws one line without wrapping. Characters that lie wholly outside the box are dropped, not just
 * hidden, so the printed document holds only the text a reader can see.
 */
void drawLine(QPainter &painter, const QFontMetricsF &metrics, const PreparedLine &line, const QRectF &box,
    Qt::Alignment alignment)
{
    const QString &text = line.text;
    const double width = metrics.horizontalAdvance(text);
    const double x = alignedLeft(line.rect, width, alignment);

    qsizetype first = 0;
    qsizetype end = text.size();
    if (x < box.left() || x + width > box.right()) {
        while (first < end && x + metrics.horizontalAdvance(text.left(first + 1)) <= box.left())
            ++first;
        while (end > first && x + metrics.horizontalAdvance(text.left(end - 1)) >= box.right())
            --end;
        // A surrogate pair is one character: never split it.
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

/**
 * Lines of a fixed-pitch font drawn without shaping: every character the font holds is one glyph one
 * advance wide, so a line is measured by counting and drawn from cached glyphs, with its blanks
 * left out of the output. Lines with a character the font lacks go the general way.
 */
class FixedPitchLines
{
public:
    FixedPitchLines(const QFont &font, QPaintDevice *device, double lineHeight)
        : m_font(QRawFont::fromFont(QFont(font, device)))
    {
        const QFontMetricsF metrics(font, device);
        m_advance = metrics.horizontalAdvance(QLatin1Char('M'));
        // Where the general way puts the baseline of one line centred in its strip.
        m_baseline = (lineHeight - (m_font.ascent() + m_font.descent())) / 2 + m_font.ascent();
    }

    bool usable() const { return m_font.isValid() && m_advance > 0; }

    /** Takes the line into the run flush() draws and returns true, or returns false when it needs the general way. */
    bool take(const PreparedLine &line, const QRectF &box, Qt::Alignment alignment)
    {
        const QString &text = line.text;
        const qsizetype size = text.size();
        m_indexes.clear();
        for (qsizetype i = 0; i < size; ++i) {
            const quint32 glyph = glyphFor(text.at(i));
            if (glyph == NoGlyph)
                return false;
            m_indexes.push_back(glyph);
        }
        const double width = size * m_advance;
        const double x = alignedLeft(line.rect, width, alignment);
        // The same characters as the general way drops: those wholly outside the box.
        qsizetype first = 0;
        qsizetype end = size;
        while (first < end && x + (first + 1) * m_advance <= box.left())
            ++first;
        while (end > first && x + (end - 1) * m_advance >= box.right())
            --end;
        const QPointF origin(x + first * m_advance, line.rect.top() + m_baseline);
        for (qsizetype i = first; i < end; ++i) {
            if (text.at(i) == QLatin1Char(' '))
                continue;
            m_runIndexes.append(m_indexes[size_t(i)]);
            m_runPositions.append(origin + QPointF((i - first) * m_advance, 0));
        }
        return true;
    }

    /** Draws the lines taken so far, all in one run: one text object per box in the output. */
    void flush(QPainter &painter)
    {
        if (m_runIndexes.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes(m_runIndexes);
        run.setPositions(m_runPositions);
        painter.drawGlyphRun(QPointF(), run);
        m_runIndexes.clear();
        m_runPositions.clear();
    }

private:
    static constexpr quint32 NoGlyph = 0xffffffff;
    static constexpr quint32 Unknown = 0xfffffffe;

    /**
     * The table of the last fixed-pitch font drawn on this thread, kept from one page to the next: a
     * long list draws the same font on every page, and a new table is a quarter megabyte to clear.
     */
    std::vector<quint32> &glyphTable()
    {
        struct Table
        {
            QString key;
            std::vector<quint32> glyphs;
        };
        thread_local Table table;
        const QString key = m_font.familyName() + QLatin1Char('|') + m_font.styleName() + QLatin1Char('|')
            + QString::number(m_font.pixelSize()) + QLatin1Char('|') + QString::number(m_advance);
        if (table.key != key) {
            table.key = key;
            table.glyphs.assign(0x10000, Unknown);
        }
        return table.glyphs;
    }

    quint32 glyphFor(QChar ch)
    {
        if (!m_glyphs)
            m_glyphs = &glyphTable();
        quint32 &glyph = (*m_glyphs)[ch.unicode()];
        if (glyph == Unknown) {
            glyph = NoGlyph;
            // Halves of pairs, accents and joiners combine with their neighbours: only shaping places them.
            const bool alone
                = !ch.isSurrogate() && ch.category() != QChar::Mark_NonSpacing && ch.category() != QChar::Other_Format;
            if (alone && m_font.supportsCharacter(ch)) {
                const QList<quint32> found = m_font.glyphIndexesForString(QString(ch));
                if (found.size() == 1 && found.constFirst() != 0
                    && qFuzzyCompare(m_font.advancesForGlyphIndexes(found).constFirst().x(), m_advance))
                    glyph = found.constFirst();
            }
        }
        return glyph;
    }

    QRawFont m_font;
    double m_advance = 0;
    double m_baseline = 0;
    std::vector<quint32> *m_glyphs = nullptr;
    std::vector<quint32> m_indexes;
    QList<quint32> m_runIndexes;
    QList<QPointF> m_runPositions;
};

void paintText(QPainter &painter, const PreparedItem &item)
{
    if (item.style.fill.isValid())
        painter.fillRect(item.rect, item.style.fill);
    if (item.lines.isEmpty())
        return;
    const QFont font = fontFor(item.style, painter.device());
    painter.setFont(font);
    painter.setPen(item.style.color);
    const QFontMetricsF metrics(font, painter.device());
    painter.save();
    painter.setClipRect(item.rect, Qt::IntersectClip);
    std::optional<FixedPitchLines> fixed;
    if (QFontInfo(QFont(font, painter.device())).fixedPitch()) {
        fixed.emplace(font, painter.device(), item.lines.constFirst().rect.height());
        if (!fixed->usable())
            fixed.reset();
    }
    for (const PreparedLine &line : item.lines) {
        if (fixed && fixed->take(line, item.rect, item.style.alignment))
            continue;
        if (fixed)
            fixed->flush(painter);
        drawLine(painter, metrics, line, item.rect, item.style.alignment);
    }
    if (fixed)
        fixed->flush(painter);
    painter.restore();
}

void paintPicture(QPainter &painter, const PreparedItem &item)
{
    if (item.picture.isNull() || item.pictureRect.isEmpty())
        return;
    painter.save();
    painter.setClipRect(item.rect, Qt::IntersectClip);
    painter.drawImage(item.pictureRect, item.picture);
    painter.restore();
}

QPen thinPen()
{
    return QPen(Qt::black, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}
} // namespace

void ReportPainter::paintPage(QPainter &painter, const PreparedPage &page, double scale)
{
    painter.save();
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PreparedItem &item : page.items) {
        switch (item.kind) {
        case PreparedItem::Kind::Text:
            paintText(painter, item);
            break;
        case PreparedItem::Kind::Picture:
            paintPicture(painter, item);
            break;
        case PreparedItem::Kind::Outline:
            painter.setPen(thinPen());
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(item.rect);
            break;
        case PreparedItem::Kind::Line:
            painter.setPen(thinPen());
            painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
            break;
        }
    }
    painter.restore();
}

QImage ReportPainter::pageImage(const PreparedPage &page, double dpi)
{
    const double scale = dpi / 96.0;
    const QSizeF size = page.sizeUnits() * scale;
    QImage image(qRound(size.width()), qRound(size.height()), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, scale);
    return image;
}

bool ReportPainter::usePaper(QPagedPaintDevice &device, const QSizeF &paperMm)
{
    const bool landscape = paperMm.width() > paperMm.height();
    const QPageSize size(landscape ? paperMm.transposed() : paperMm, QPageSize::Millimeter);
    const QPageLayout::Orientation orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    // A printer queue that declares edges it cannot print on refuses a layout without margins as a
    // whole, orientation included, and would print the page unrotated on its default paper. Then
    // the paper and the orientation go on their own and the queue keeps its margins, which do not
    // move the drawing on a printer set to print the full page.
    if (!device.setPageLayout(QPageLayout(size, orientation, QMarginsF(), QPageLayout::Millimeter))) {
        device.setPageSize(size);
        device.setPageOrientation(orientation);
    }
    const QPageLayout layout = device.pageLayout();
    return layout.pageSize().isEquivalentTo(size) && layout.orientation() == orientation;
}

const char *reportFailureName(ReportFailure failure)
{
    switch (failure) {
    case ReportFailure::Stopped:
        return "stopped";
    case ReportFailure::PaperRefused:
        return "paper refused";
    case ReportFailure::DeviceFailed:
        return "device failed";
    case ReportFailure::FileNotSaved:
        return "file not saved";
    }
    return "?";
}

ReportResult ReportPainter::paintPages(
    QPagedPaintDevice &device, const PreparedReport &report, int first, int last, const PageProgress &progress)
{
    const int count = int(report.pageCount());
    if (count == 0)
        return Done {};
    if (last < 0 || last >= count)
        last = count - 1;
    first = qBound(0, first, last);
    if (!usePaper(device, report.paperMm(first)))
        return ReportFailure::PaperRefused;

    QPainter painter;
    if (!painter.begin(&device))
        return ReportFailure::DeviceFailed;
    const double scale = device.logicalDpiX() / 96.0;
    const int total = last - first + 1;
    // A page made on demand (its pictures read from disk) is made on a thread of its own while the
    // one before it is drawn; only these two are in memory at any time.
    QThreadPool maker; // waits for the page in hand, whatever ends the job
    maker.setMaxThreadCount(1);
    QFuture<PreparedPage> ahead;
    const auto makeAhead = [&](int i) {
        ahead = i <= last && i < report.made.count ? QtConcurrent::run(&maker, [&report, i] { return report.page(i); })
                                                   : QFuture<PreparedPage>();
    };
    makeAhead(first);
    for (int i = first; i <= last; ++i) {
        if (progress && !progress(i - first, total))
            return painter.end() ? ReportFailure::Stopped : ReportFailure::DeviceFailed;
        if (i > first && !device.newPage()) {
            painter.end();
            return ReportFailure::DeviceFailed;
        }
        const PreparedPage page = ahead.isValid() ? ahead.takeResult() : report.page(i);
        makeAhead(i + 1);
        paintPage(painter, page, scale);
    }
    if (!painter.end())
        return ReportFailure::DeviceFailed;
    return Done {};
}

WriteResult ReportPainter::writePdf(const PreparedReport &report, const QString &path)
{
    // The PDF writer never says when a write fails: it writes through the replacing device, which
    // remembers, so a full disk leaves the previous file and not a truncated one.
    FileReplace file(path, FileReplace::Place::ChosenByUser);
    FileReplaceDevice device(file);
    if (!device.start())
        return file.error();
    bool painted = false;
    {
        QPdfWriter writer(&device);
        writer.setTitle(report.name);
        writer.setCreator(QStringLiteral("Vetrinova"));
        painted = bool(paintPages(writer, report));
    }
    if (!painted) {
        file.cancel();
        return WriteError::WriteFailed;
    }
    if (!device.commit())
        return file.error();
    return WriteError::None;
}
