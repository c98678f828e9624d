// Renders the user manual (Markdown) into Guida.pdf: A4, a title page, a table of contents with page
// numbers, a running header and page numbers. Usage: make-manual <source.md> <output.pdf>
// In the source, "# Indice" followed by a paragraph [[INDICE]] places the contents, and a picture written
// as ![words](art:name) is the program's own artwork resources/art/name.svg.
#include "widgets/Resources.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cstdio>

namespace {
constexpr int Resolution = 300;
constexpr double MarginMm = 20.0;
constexpr double HeaderMm = 12.0;
const QColor Navy(0x1F, 0x3F, 0x66);
const QColor Steel(0x46, 0x82, 0xB4);
const QColor Pale(0xDC, 0xE8, 0xF3);
const QString BodyFamily = QStringLiteral("Liberation Sans");
const QString CodeFamily = QStringLiteral("Liberation Mono");
const QString TocMarker = QStringLiteral("[[INDICE]]");

// The text is laid out in pixels of 96 per inch and drawn scaled to the page's resolution; the page
// furniture (header, footer) is drawn in device pixels.
constexpr double Scale = Resolution / 96.0;

double pt(double points)
{
    return points * 96.0 / 72.0;
}

double devicePt(double points)
{
    return points * Resolution / 72.0;
}

double mm(double millimetres)
{
    return millimetres * Resolution / 25.4;
}

double toLayout(double devicePixels)
{
    return devicePixels / Scale;
}

void setFontSize(QTextDocument &doc, const QTextBlock &block, double points, const QColor &color)
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        QTextCharFormat cf = f.charFormat();
        // Headings carry a relative size that would win over a point size.
        cf.clearProperty(QTextFormat::FontSizeAdjustment);
        cf.setFontPointSize(points);
        cf.setForeground(color);
        QTextCursor c(&doc);
        c.setPosition(f.position());
        c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
        c.setCharFormat(cf);
    }
}

struct Heading
{
    QTextBlock block;
    int level;
};

// Heading sizes, spacing and colours; the first heading and what follows it up to the contents form
// the title page.
QList<Heading> styleBlocks(QTextDocument &doc)
{
    QList<Heading> headings;
    bool titlePage = true;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat bf = b.blockFormat();
        const int level = bf.headingLevel();
        double size = 0;
        QColor color;
        if (titlePage && level == 1 && b.text() == QLatin1String("Indice"))
            titlePage = false;
        if (titlePage) {
            bf.setAlignment(Qt::AlignHCenter);
            if (level == 1) {
                bf.setTopMargin(pt(28));
                size = 40;
                color = Navy;
            } else if (level == 2) {
                bf.setTopMargin(pt(6));
                size = 20;
                color = Steel;
            } else {
                bf.setTopMargin(pt(b == doc.begin() ? 40 : 24));
                size = 11;
                color = QColor(0x55, 0x55, 0x55);
            }
        } else if (level == 1) {
            bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            bf.setTopMargin(0);
            bf.setBottomMargin(pt(14));
            size = 22;
            color = Navy;
            headings.append({ b, 1 });
        } else if (level == 2) {
            bf.setTopMargin(pt(14));
            bf.setBottomMargin(pt(6));
            size = 14;
            color = Steel;
            headings.append({ b, 2 });
        } else {
            bf.setBottomMargin(pt(6));
            bf.setLineHeight(118, QTextBlockFormat::ProportionalHeight);
        }
        QTextCursor(b).setBlockFormat(bf);
        if (size > 0)
            setFontSize(doc, b, size, color);
    }
    headings.removeIf([](const Heading &h) { return h.block.text() == QLatin1String("Indice"); });
    return headings;
}

void styleCode(QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().fontFixedPitch())
                continue;
            QTextCursor c(&doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            QTextCharFormat cf;
            cf.setFontFamilies({ CodeFamily });
            cf.setForeground(Navy);
            c.mergeCharFormat(cf);
        }
    }
}

void styleTables(QTextDocument &doc)
{
    for (QTextFrame *frame : doc.rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (!table)
            continue;
        QTextTableFormat tf = table->format();
        tf.setBorder(pt(0.6));
        tf.setBorderBrush(QColor(0xA9, 0xC4, 0xDE));
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderCollapse(true);
        tf.setCellSpacing(0);
        tf.setCellPadding(pt(4));
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setTopMargin(pt(4));
        tf.setBottomMargin(pt(10));
        tf.setHeaderRowCount(1);
        table->setFormat(tf);
        for (int col = 0; col < table->columns(); ++col) {
            QTextTableCell cell = table->cellAt(0, col);
            QTextCharFormat cf = cell.format();
            cf.setBackground(Pale);
            cell.setFormat(cf);
            QTextCursor c = cell.firstCursorPosition();
            c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            bold.setForeground(Navy);
            c.mergeCharFormat(bold);
        }
    }
}

// Pictures named art:<name> come from the program's own artwork, drawn at print resolution.
void addArtwork(QTextDocument &doc, double contentWidth)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = f.charFormat().toImageFormat();
            if (!image.name().startsWith(QLatin1String("art:")))
                continue;
            const QString art = image.name().mid(4);
            const QSize natural = Resources::naturalSize(art);
            const double width = contentWidth * 0.85;
            const double height = width * natural.height() / natural.width();
            doc.addResource(QTextDocument::ImageResource, QUrl(image.name()),
                Resources::image(art, QSize(qRound(width * Scale), qRound(height * Scale))));
            image.setWidth(width);
            image.setHeight(height);
            QTextCursor c(&doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(image);
        }
    }
}

QTextBlock findMarker(QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().trimmed() == TocMarker)
            return b;
    return QTextBlock();
}

// Writes one contents line per heading; the page numbers are filled in once the pages are known.
QList<QTextBlock> insertContents(QTextDocument &doc, const QList<Heading> &headings, double contentWidth)
{
    QList<QTextBlock> lines;
    const QTextBlock marker = findMarker(doc);
    if (!marker.isValid())
        return lines;
    QTextCursor c(marker);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    for (int i = 0; i < headings.size(); ++i) {
        const Heading &h = headings[i];
        QTextBlockFormat bf;
        const double indent = h.level == 1 ? 0 : pt(16);
        bf.setTabPositions({ QTextOption::Tab(contentWidth - indent - 1, QTextOption::RightTab) });
        bf.setLeftMargin(indent);
        bf.setTopMargin(h.level == 1 ? pt(7) : pt(1.5));
        bf.setBottomMargin(0);
        QTextCharFormat cf;
        cf.setFontFamilies({ BodyFamily });
        cf.setFontPointSize(h.level == 1 ? 11.5 : 10);
        cf.setFontWeight(h.level == 1 ? QFont::Bold : QFont::Normal);
        cf.setForeground(h.level == 1 ? Navy : QColor(0x33, 0x33, 0x33));
        if (i > 0)
            c.insertBlock(bf, cf);
        else {
            c.setBlockFormat(bf);
            c.setCharFormat(cf);
        }
        c.insertText(h.block.text() + QStringLiteral("\t000"));
        lines.append(c.block());
    }
    return lines;
}

int pageOf(QTextDocument &doc, const QTextBlock &block)
{
    const QRectF r = doc.documentLayout()->blockBoundingRect(block);
    // Half a pixel absorbs the rounding of a block that starts exactly at a page top.
    return static_cast<int>((r.top() + 0.5) / doc.pageSize().height()) + 1;
}
// A section heading left alone at the foot of a page moves to the next page with its text.
void keepHeadingsWithText(QTextDocument &doc, const QList<Heading> &headings, const QSizeF &page)
{
    for (int round = 0; round < 4; ++round) {
        doc.pageCount(); // lays the whole document out, so the positions below are final
        bool moved = false;
        for (const Heading &h : headings) {
            const QTextBlock next = h.block.next();
            if (h.level != 2 || !next.isValid() || pageOf(doc, h.block) == pageOf(doc, next))
                continue;
            QTextBlockFormat bf = h.block.blockFormat();
            bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(h.block).setBlockFormat(bf);
            moved = true;
            break;
        }
        if (!moved)
            return;
        doc.setPageSize(QSizeF());
        doc.setPageSize(page);
    }
}
} // namespace

int main(int argc, char **argv)
{
    // The build runs without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make-manual <source.md> <output.pdf>\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make-manual: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());

    const QString partial = args[2] + QStringLiteral(".part");
    QPdfWriter pdf(partial);
    pdf.setResolution(Resolution);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(QStringLiteral("Vetrinova - Guida all'utilizzo del software"));
    pdf.setCreator(QStringLiteral("Vetrinova"));

    const QSizeF page(pdf.width(), pdf.height());
    const double left = mm(MarginMm);
    const double top = mm(MarginMm + HeaderMm);
    const QSizeF device(page.width() - 2 * left, page.height() - top - mm(MarginMm + 4));
    const QSizeF content(toLayout(device.width()), toLayout(device.height()));

    QTextDocument doc;
    QFont body(BodyFamily);
    body.setPointSizeF(10.5);
    doc.setDefaultFont(body);
    doc.setDocumentMargin(0);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    const QList<Heading> headings = styleBlocks(doc);
    styleCode(doc);
    styleTables(doc);
    addArtwork(doc, content.width());
    const QList<QTextBlock> contents = insertContents(doc, headings, content.width());
    doc.setPageSize(content);
    keepHeadingsWithText(doc, headings, content);

    // Each number sits after a right tab on a line of its own, so filling it in moves nothing else.
    for (int i = 0; i < contents.size(); ++i) {
        QTextCursor c(contents[i]);
        c.movePosition(QTextCursor::EndOfBlock);
        c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, 3);
        c.insertText(QString::number(pageOf(doc, headings[i].block)));
    }

    // Edits after a layout leave parts of it stale; lay everything out afresh before drawing.
    doc.setPageSize(QSizeF());
    doc.setPageSize(content);
    doc.pageCount();
    const int pages = doc.pageCount();
    QPainter painter(&pdf);
    QFont small(BodyFamily);
    small.setPointSizeF(8.5);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            pdf.newPage();
        painter.save();
        painter.translate(left, top);
        painter.scale(Scale, Scale);
        painter.translate(0, -i * content.height());
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, i * content.height(), content.width(), content.height());
        painter.setClipRect(ctx.clip);
        doc.documentLayout()->draw(&painter, ctx);
        painter.restore();
        if (i == 0)
            continue;
        painter.setFont(small);
        painter.setPen(Steel);
        const double headerY = mm(MarginMm);
        painter.drawText(QRectF(left, headerY - devicePt(14), device.width(), devicePt(12)),
            Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Vetrinova · Guida all'utilizzo del software"));
        painter.drawLine(QPointF(left, headerY), QPointF(left + device.width(), headerY));
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(QRectF(left, page.height() - mm(MarginMm), device.width(), devicePt(12)), Qt::AlignHCenter,
            QStringLiteral("Pagina %1 di %2").arg(i + 1).arg(pages));
    }
    if (!painter.end()) {
        std::fprintf(stderr, "make-manual: cannot write %s\n", qPrintable(partial));
        return 1;
    }
    QFile::remove(args[2]);
    if (!QFile::rename(partial, args[2])) {
        std::fprintf(stderr, "make-manual: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
