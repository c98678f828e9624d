#pragma once

#include "report/engine/PreparedReport.h"

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Templates are laid out in units of 1/96 inch; paper and margins are in millimetres.

/** Template units in `mm` millimetres. */
constexpr double mmToUnits(double mm)
{
    return mm * 96.0 / 25.4;
}
/** Millimetres in `units` template units. */
constexpr double unitsToMm(double units)
{
    return units * 25.4 / 96.0;
}
/** A rectangle given in millimetres, in template units. */
QRectF mmRect(double left, double top, double width, double height);

/** One named thing on a template page: a text box, a picture, an outline, a line or a band. */
class ReportObject
{
public:
    enum class Kind { Text, Picture, Outline, Line, Band };

    ReportObject(Kind kind, const QString &name, const QRectF &geometry);
    virtual ~ReportObject() = default;
    ReportObject(const ReportObject &) = delete;
    ReportObject &operator=(const ReportObject &) = delete;

    Kind kind() const { return m_kind; }
    QString name() const { return m_name; }
    /** Position and size in template units, from the printable area's or the band's top-left corner. */
    QRectF geometry() const { return m_geometry; }
    void setGeometry(const QRectF &geometry) { m_geometry = geometry; }
    void setHeight(double units) { m_geometry.setHeight(units); }

private:
    Kind m_kind;
    QString m_name;
    QRectF m_geometry;
};

/**
 * A text box. Its text prints literally, one line per line of text and never wrapped: what does
 * not fit is cut at the box edge. With expressions on, "[DATE]" becomes today's date.
 */
class TextBox : public ReportObject
{
public:
    TextBox(const QString &name, const QRectF &geometry, const TextStyle &style, const QString &text = QString());

    TextStyle style() const { return m_style; }
    void setStyle(const TextStyle &style) { m_style = style; }

    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    /** Replaces the whole text; line breaks start new lines. */
    void setText(const QString &text);
    QStringList lines() const { return m_lines; }
    void clearLines() { m_lines.clear(); }
    void addLine(const QString &line) { m_lines.append(line); }

    bool expressions() const { return m_expressions; }
    void setExpressions(bool on) { m_expressions = on; }

    /** The lines as printed: expressions replaced where they are on. */
    QStringList printedLines() const;

private:
    TextStyle m_style;
    QStringList m_lines;
    bool m_expressions = false;
};

/** A picture box: draws its own copy of a picture centred and scaled to fit with its proportions kept. */
class PictureBox : public ReportObject
{
public:
    PictureBox(const QString &name, const QRectF &geometry);

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture) { m_picture = picture.copy(); }

    /** Where a picture of `picture` size lands in `box`: as large as fits, proportions kept, centred. */
    static QRectF fitRect(const QSizeF &picture, const QRectF &box);

private:
    QImage m_picture;
};

/** A rectangle drawn as a thin black outline without fill. */
class OutlineBox : public ReportObject
{
public:
    OutlineBox(const QString &name, const QRectF &geometry);
};

/** A thin black line from the geometry's top-left to its bottom-right corner (height 0: horizontal). */
class ReportLine : public ReportObject
{
public:
    ReportLine(const QString &name, double left, double top, double width, double height = 0);
};

/** Owns the objects placed on a page or in a band. */
class ObjectList
{
public:
    TextBox *addText(
        const QString &name, const QRectF &geometry, const TextStyle &style, const QString &text = QString());
    PictureBox *addPicture(const QString &name, const QRectF &geometry);
    OutlineBox *addOutline(const QString &name, const QRectF &geometry);
    ReportLine *addLine(const QString &name, double left, double top, double width, double height = 0);

    const std::vector<std::unique_ptr<ReportObject>> &objects() const { return m_objects; }
    ReportObject *find(const QString &name) const;

private:
    std::vector<std::unique_ptr<ReportObject>> m_objects;
};

/**
 * A horizontal strip of the page whose objects are placed from its top edge: the report title
 * (first page only), the data band (may split across pages between lines) and the footer (once,
 * after the data).
 */
class Band : public ReportObject, public ObjectList
{
public:
    enum class Type { ReportTitle, MasterData, Footer };

    Band(Type type, const QString &name, double height);

    Type type() const { return m_type; }
    double height() const { return geometry().height(); }
    bool canSplit() const { return m_canSplit; }
    void setCanSplit(bool on) { m_canSplit = on; }

private:
    Type m_type;
    bool m_canSplit = false;
};

/**
 * A report template: one printed page (paper, orientation, margins) with objects placed directly
 * on it and bands. Filled by object name, then prepare() lays out the pages to print.
 */
class ReportTemplate : public ObjectList
{
public:
    /** `name` is the template's own name (repDocumento), `reportName` the printed document's title. */
    ReportTemplate(const QString &name, const QString &reportName);

    QString name() const { return m_name; }
    QString reportName() const { return m_reportName; }

    /** Paper size in millimetres, as for portrait (A4: 210 × 297). */
    QSizeF paperSize() const { return m_paper; }
    void setPaperSize(const QSizeF &mm) { m_paper = mm; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    /** Margins in millimetres. */
    QMarginsF margins() const { return m_margins; }
    void setMargins(const QMarginsF &mm) { m_margins = mm; }

    /** Paper size in millimetres as oriented. */
    QSizeF pageSize() const;
    /** The area inside the margins, in template units. */
    QSizeF printableSize() const;

    Band *addBand(Band::Type type, const QString &name, double height);
    const std::vector<std::unique_ptr<Band>> &bands() const { return m_bands; }

    /** The object of that name anywhere in the template (bands included), or null. */
    ReportObject *findObject(const QString &name) const;
    /** The text box, picture box or band of that name; throws std::out_of_range when there is none. */
    TextBox &text(const QString &name) const;
    PictureBox &picture(const QString &name) const;
    Band &band(const QString &name) const;

    /** Builds the pages to print from the template and the values set, afresh each time. */
    PreparedReport prepare() const;

private:
    QString m_name;
    QString m_reportName;
    QSizeF m_paper { 210, 297 };
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QMarginsF m_margins { 10, 10, 10, 10 };
    std::vector<std::unique_ptr<Band>> m_bands;
};
