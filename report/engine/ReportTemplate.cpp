#include "report/engine/ReportTemplate.h"

#include "storage/Clock.h"
#include "storage/FieldRules.h"

#include <stdexcept>

namespace {
// Positions are sums of decimal fractions; closer than this they are the same place.
constexpr double Epsilon = 1e-6;

/**
 * Where the lines of a text box sit, in the coordinates of `box`: evenly spaced strips, so any one
 * of them is found without building the others.
 */
struct LineGrid
{
    double left = 0;
    double top = 0;
    double width = 0;
    double pitch = 0;
    int count = 0;

    LineGrid(const QRectF &box, const TextStyle &style, int lines)
        : pitch(style.linePitch())
        , count(lines)
    {
        const QRectF inner = box.adjusted(TextPaddingX, TextPaddingY, -TextPaddingX, -TextPaddingY);
        const double block = count * pitch;
        left = inner.left();
        width = inner.width();
        top = inner.top();
        if (style.alignment & Qt::AlignBottom)
            top = inner.bottom() - block;
        else if (style.alignment & Qt::AlignVCenter)
            top = inner.center().y() - block / 2;
    }

    QRectF rect(int i) const { return QRectF(left, top + i * pitch, width, pitch); }

    // Line tops grow with the index (rounding keeps that order when the pitch is not negative), so a
    // condition that turns true once and stays true is found by halving the range.
    bool ordered() const { return pitch >= 0; }

    /** The first line for which `holds` is true, or count; `holds` must stay true once it is. */
    template <typename Holds> int firstWhere(Holds holds) const
    {
        int lo = 0;
        int hi = count;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (holds(rect(mid)))
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    }
};

/** Where each line of a text box sits, in the coordinates of `box`. */
QList<QRectF> lineRects(const QRectF &box, const TextStyle &style, int count)
{
    const LineGrid grid(box, style, count);
    QList<QRectF> rects;
    rects.reserve(count);
    for (int i = 0; i < count; ++i)
        rects.append(grid.rect(i));
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

/** The item for a whole object placed with its geometry moved by `offset`. */
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

/**
 * The lowest point at or above `end` where the band may be cut: no line of text and no other object
 * that starts below `start` is cut through.
 */
double breakPoint(const Band &band, double start, double end)
{
    double cut = end;
    for (bool moved = true; moved;) {
        moved = false;
        for (const auto &object : band.objects()) {
            const QRectF r = object->geometry();
            if (object->kind() == ReportObject::Kind::Text) {
                const auto &box = static_cast<const TextBox &>(*object);
                const LineGrid grid(r, box.style(), int(box.lines().size()));
                auto crosses = [&](const QRectF &line) {
                    return line.top() < cut - Epsilon && line.bottom() > cut + Epsilon && line.top() > start + Epsilon;
                };
                if (!grid.ordered()) {
                    for (int i = 0; i < grid.count; ++i) {
                        if (crosses(grid.rect(i))) {
                            cut = grid.rect(i).top();
                            moved = true;
                        }
                    }
                    continue;
                }
                // Once a line moves the cut to its top no later line can cross it, so only the first
                // line that reaches below the cut and starts below `start` matters.
                const int first = grid.firstWhere(
                    [&](const QRectF &line) { return line.bottom() > cut + Epsilon && line.top() > start + Epsilon; });
                if (first < grid.count && crosses(grid.rect(first))) {
                    cut = grid.rect(first).top();
                    moved = true;
                }
            } else if (r.top() > start + Epsilon && r.top() < cut - Epsilon && r.bottom() > cut + Epsilon) {
                cut = r.top();
                moved = true;
            }
        }
    }
    return cut;
}

/** Places the part [from, to) of a band on `page` with the band's point `from` at `y` (page units). */
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
        // A box cut by the page end prints the lines whose middle falls in this part.
        const auto &box = static_cast<const TextBox &>(*object);
        const QStringList all = box.lines();
        const LineGrid grid(r, box.style(), int(all.size()));
        int begin = 0;
        int end = grid.count;
        if (grid.ordered()) {
            begin = grid.firstWhere([&](const QRectF &line) { return line.center().y() >= from; });
            end = grid.firstWhere([&](const QRectF &line) { return line.center().y() >= to; });
        }
        const QString today = box.expressions() ? formatDate(Clock::today()) : QString();
        QStringList lines;
        QList<QRectF> placed;
        for (int i = begin; i < end; ++i) {
            const QRectF rect = grid.rect(i);
            const double middle = rect.center().y();
            if (middle >= from && middle < to) {
                lines.append(box.expressions() ? QString(all[i]).replace(QLatin1String("[DATE]"), today) : all[i]);
                placed.append(rect.translated(offset));
            }
        }
        const QRectF visible(r.left(), top, r.width(), bottom - top);
        page.items.append(preparedText(box, visible.translated(offset), lines, placed));
    }
}
} // namespace

QRectF mmRect(double left, double top, double width, double height)
{
    return QRectF(mmToUnits(left), mmToUnits(top), mmToUnits(width), mmToUnits(height));
}

ReportObject::ReportObject(Kind kind, const QString &name, const QRectF &geometry)
    : m_kind(kind)
    , m_name(name)
    , m_geometry(geometry)
{ }

TextBox::TextBox(const QString &name, const QRectF &geometry, const TextStyle &style, const QString &text)
    : ReportObject(Kind::Text, name, geometry)
    , m_style(style)
{
    setText(text);
}

void TextBox::setText(const QString &text)
{
    m_lines.clear();
    if (text.isEmpty())
        return;
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_lines = plain.split(QLatin1Char('\n'));
}

QStringList TextBox::printedLines() const
{
    if (!m_expressions)
        return m_lines;
    QStringList lines = m_lines;
    const QString today = formatDate(Clock::today());
    for (QString &line : lines)
        line.replace(QLatin1String("[DATE]"), today);
    return lines;
}

PictureBox::PictureBox(const QString &name, const QRectF &geometry)
    : ReportObject(Kind::Picture, name, geometry)
{ }

QRectF PictureBox::fitRect(const QSizeF &picture, const QRectF &box)
{
    if (picture.isEmpty() || box.isEmpty())
        return QRectF();
    const QSizeF size = picture.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.left() + (box.width() - size.width()) / 2, box.top() + (box.height() - size.height()) / 2,
        size.width(), size.height());
}

OutlineBox::OutlineBox(const QString &name, const QRectF &geometry)
    : ReportObject(Kind::Outline, name, geometry)
{ }

ReportLine::ReportLine(const QString &name, double left, double top, double width, double height)
    : ReportObject(Kind::Line, name, QRectF(left, top, width, height))
{ }

TextBox *ObjectList::addText(const QString &name, const QRectF &geometry, const TextStyle &style, const QString &text)
{
    m_objects.push_back(std::make_unique<TextBox>(name, geometry, style, text));
    return static_cast<TextBox *>(m_objects.back().get());
}

PictureBox *ObjectList::addPicture(const QString &name, const QRectF &geometry)
{
    m_objects.push_back(std::make_unique<PictureBox>(name, geometry));
    return static_cast<PictureBox *>(m_objects.back().get());
}

OutlineBox *ObjectList::addOutline(const QString &name, const QRectF &geometry)
{
    m_objects.push_back(std::make_unique<OutlineBox>(name, geometry));
    return static_cast<OutlineBox *>(m_objects.back().get());
}

ReportLine *ObjectList::addLine(const QString &name, double left, double top, double width, double height)
{
    m_objects.push_back(std::make_unique<ReportLine>(name, left, top, width, height));
    return static_cast<ReportLine *>(m_objects.back().get());
}

ReportObject *ObjectList::find(const QString &name) const
{
    for (const auto &object : m_objects) {
        if (object->name() == name)
            return object.get();
    }
    return nullptr;
}

Band::Band(Type type, const QString &name, double height)
    : ReportObject(Kind::Band, name, QRectF(0, 0, 0, height))
    , m_type(type)
{ }

ReportTemplate::ReportTemplate(const QString &name, const QString &reportName)
    : m_name(name)
    , m_reportName(reportName)
{ }

QSizeF ReportTemplate::pageSize() const
{
    return m_orientation == QPageLayout::Landscape ? m_paper.transposed() : m_paper;
}

QSizeF ReportTemplate::printableSize() const
{
    const QSizeF page = pageSize();
    return QSizeF(mmToUnits(page.width() - m_margins.left() - m_margins.right()),
        mmToUnits(page.height() - m_margins.top() - m_margins.bottom()));
}

Band *ReportTemplate::addBand(Band::Type type, const QString &name, double height)
{
    m_bands.push_back(std::make_unique<Band>(type, name, height));
    return m_bands.back().get();
}

ReportObject *ReportTemplate::findObject(const QString &name) const
{
    if (ReportObject *object = find(name))
        return object;
    for (const auto &band : m_bands) {
        if (band->name() == name)
            return band.get();
        if (ReportObject *object = band->find(name))
            return object;
    }
    return nullptr;
}

namespace {
template <typename T> T &findAs(const ReportTemplate &report, const QString &name, ReportObject::Kind kind)
{
    ReportObject *object = report.findObject(name);
    if (!object || object->kind() != kind)
        throw std::out_of_range("no object " + name.toStdString() + " in " + report.name().toStdString());
    return static_cast<T &>(*object);
}
} // namespace

TextBox &ReportTemplate::text(const QString &name) const
{
    return findAs<TextBox>(*this, name, ReportObject::Kind::Text);
}

PictureBox &ReportTemplate::picture(const QString &name) const
{
    return findAs<PictureBox>(*this, name, ReportObject::Kind::Picture);
}

Band &ReportTemplate::band(const QString &name) const
{
    return findAs<Band>(*this, name, ReportObject::Kind::Band);
}

PreparedReport ReportTemplate::prepare() const
{
    PreparedReport report;
    report.name = m_reportName;
    const QPointF origin(mmToUnits(m_margins.left()), mmToUnits(m_margins.top()));
    const double bottom = printableSize().height();
    double y = 0;

    auto newPage = [&] {
        PreparedPage page;
        page.paperMm = pageSize();
        for (const auto &object : objects())
            page.items.append(preparedObject(*object, origin));
        report.pages.append(page);
        y = 0;
    };
    newPage();

    for (const auto &band : m_bands) {
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
                to = from + room; // not even one line fits on an empty page: cut it
            }
            placeBandPart(report.pages.last(), *band, from, to, origin, y);
            newPage();
            from = to;
        }
    }
    return report;
}

QString PreparedItem::text() const
{
    QStringList texts;
    for (const PreparedLine &line : lines)
        texts.append(line.text);
    return texts.join(QLatin1Char('\n'));
}

QSizeF PreparedPage::sizeUnits() const
{
    return QSizeF(mmToUnits(paperMm.width()), mmToUnits(paperMm.height()));
}

QList<const PreparedItem *> PreparedPage::itemsNamed(const QString &name) const
{
    QList<const PreparedItem *> found;
    for (const PreparedItem &item : items) {
        if (item.name == name)
            found.append(&item);
    }
    return found;
}

const PreparedItem *PreparedPage::item(const QString &name) const
{
    for (const PreparedItem &item : items) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}
