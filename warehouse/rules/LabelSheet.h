#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

/**
 * A sheet of labels: its paper and the grid of labels on it, in millimetres. A roll for a small
 * label printer is a sheet of one label whose paper is the label itself.
 */
struct LabelSheet
{
    QString name; ///< as the label window lists it
    QSizeF paperMm { 210, 297 };
    int rows = 1;
    int columns = 1;
    QSizeF labelMm;
    double leftMm = 0; ///< from the paper's left edge to the first column
    double topMm = 0; ///< from the paper's top edge to the first row
    double gapXMm = 0; ///< between two columns
    double gapYMm = 0; ///< between two rows

    int perPage() const { return rows * columns; }
    bool isRoll() const { return perPage() == 1 && paperMm == labelMm; }
    /** Label `slot` (0-based, row after row from the top left) on its paper. */
    QRectF labelRect(int slot) const;
    /** Whether the numbers make a sheet: at least one label, every label of a usable size and on the paper. */
    bool valid() const;

    /** An A4 sheet of `columns` × `rows` labels of `labelMm`, the grid centred on the paper. */
    static LabelSheet centredA4(const QString &name, int columns, int rows, const QSizeF &labelMm);
    /** A roll of labels `labelMm` for a label printer: one label per page. */
    static LabelSheet roll(const QSizeF &labelMm);
    /** The common A4 label sheets sold at stationers', by layout and label size. */
    static QList<LabelSheet> standardSheets();
};

/** Where a label goes: its page (from 0) and its slot on that page (from 0). */
struct LabelPlace
{
    int page = 0;
    int slot = 0;
};

/**
 * The place of the label `index` (from 0) of a job that starts at label `startAt` (from 1) of its first
 * sheet, the labels before it being already used; a start beyond the sheet counts as 1.
 */
LabelPlace labelPlace(const LabelSheet &sheet, int startAt, int index);
/** How many pages `count` labels take from label `startAt` on. */
int labelPages(const LabelSheet &sheet, int startAt, int count);
