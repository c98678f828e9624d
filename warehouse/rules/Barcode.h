#pragma once

#include <QList>
#include <QRectF>
#include <QString>

/** The symbols a label's barcode can be. */
enum class BarcodeKind { None, Ean13, Ean8, Code128 };

/** The barcode chosen for an article code: its symbol and the data it carries. */
struct BarcodeChoice
{
    BarcodeKind kind = BarcodeKind::None;
    /** What the symbol encodes: the EAN with its check digit, or the code as stored. */
    QString data;
};

/** The check digit of an EAN of 7 or 12 digits (the EAN-8 or EAN-13 without it). */
int eanCheckDigit(QStringView digits);

/**
 * The barcode of an article code: EAN-13 or EAN-8 when the code is 13 or 8 digits with a right check
 * digit (12 or 7 digits: the check digit is added); otherwise Code 128 of the code as stored, when
 * Code 128 can carry every character of it (Latin-1); otherwise none. An empty code has none.
 */
BarcodeChoice chooseBarcode(const QString &code);

/** A barcode drawn as filled rectangles, in millimetres from its top-left corner, quiet zones included. */
struct BarcodeDrawing
{
    QList<QRectF> bars;
    QSizeF size;
    bool isEmpty() const { return bars.isEmpty(); }
};

/**
 * Draws `choice` (through libzint) with bars `heightMm` high and modules `moduleMm` wide; empty when
 * the library refuses the data.
 */
BarcodeDrawing drawBarcode(const BarcodeChoice &choice, double moduleMm, double heightMm);

/**
 * Draws `choice` as wide as it can within `widthMm`, with modules no wider than `maxModuleMm`, encoding
 * it once; empty when the library refuses the data.
 */
BarcodeDrawing drawBarcodeToFit(const BarcodeChoice &choice, double widthMm, double maxModuleMm, double heightMm);

/** How many modules wide `choice` is, quiet zones included; 0 when it cannot be drawn. */
int barcodeModules(const BarcodeChoice &choice);

/** The symbol's name, for the label window's messages. */
QString barcodeKindName(BarcodeKind kind);
