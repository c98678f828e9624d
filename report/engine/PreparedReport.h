#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

/** How a text box prints its text. */
struct TextStyle
{
    QString family = QStringLiteral("Arial");
    /** Font height in pixels at 96 dpi, i.e. in template units (21.33 = 16 pt). */
    double pixelHeight = 13.33;
    bool bold = false;
    QColor color = Qt::black;
    /** Background of the box; invalid means none. */
    QColor fill;
    /** One horizontal and one vertical flag. */
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;

    /** An Arial style, the font of every card and price-list print. */
    static TextStyle arial(
        double pixelHeight, bool bold, const QColor &color, const QColor &fill, Qt::Alignment alignment)
    {
        TextStyle style;
        style.pixelHeight = pixelHeight;
        style.bold = bold;
        style.color = color;
        style.fill = fill;
        style.alignment = alignment;
        return style;
    }

    /** Distance between the tops of two lines of text. */
    double linePitch() const { return pixelHeight * 1.2; }
};

/** Blank kept between a text box's edge and its text, in template units. */
constexpr double TextPaddingX = 2.0;
constexpr double TextPaddingY = 1.0;

/** One line of text of a prepared text box, with the strip it is centred in. */
struct PreparedLine
{
    QString text;
    QRectF rect;
};

/** One thing to draw, fully positioned: template units from the paper's top-left corner. */
struct PreparedItem
{
    enum class Kind { Text, Picture, Outline, Line };

    Kind kind = Kind::Text;
    QString name;
    /** The box: text and pictures are cut at it; a line runs from its top-left to its bottom-right. */
    QRectF rect;

    TextStyle style;
    QList<PreparedLine> lines;

    QImage picture;
    /** Where the picture is drawn (inside rect). */
    QRectF pictureRect;

    /** All lines joined by line feeds. */
    QString text() const;
};

/** One sheet of paper. */
struct PreparedPage
{
    /** Paper size in millimetres, as oriented. */
    QSizeF paperMm;
    QList<PreparedItem> items;

    /** Paper size in template units. */
    QSizeF sizeUnits() const;
    /** The items of that name, in drawing order (a split text box appears once per page). */
    QList<const PreparedItem *> itemsNamed(const QString &name) const;
    /** The first item of that name, or null. */
    const PreparedItem *item(const QString &name) const;
};

/**
 * Pages made only when they are drawn, for a report too long to keep whole in memory with its
 * pictures: printing, the PDF and the preview each hold one page at a time.
 */
struct PageMaker
{
    qsizetype count = 0;
    /** Paper of every made page, in millimetres as oriented. */
    QSizeF paperMm;
    /** Page `i` (0-based, below count); called from any thread, from several at once. */
    std::function<PreparedPage(qsizetype i)> make;
};

/** The pages built from a filled template, ready to show, print or save. */
struct PreparedReport
{
    /** The document's title (print job name, preview caption, proposed file name). */
    QString name;
    /** The first pages, made on demand (none in a report made from a template). */
    PageMaker made;
    /** The pages that follow the made ones, kept whole. */
    QList<PreparedPage> pages;

    qsizetype pageCount() const { return made.count + pages.size(); }
    /** Page `i` of every page, made when it is one of the made ones. */
    PreparedPage page(qsizetype i) const { return i < made.count ? made.make(i) : pages.at(i - made.count); }
    QSizeF paperMm(qsizetype i) const { return i < made.count ? made.paperMm : pages.at(i - made.count).paperMm; }
};
