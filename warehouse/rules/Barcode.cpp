#include "warehouse/rules/Barcode.h"

#include "storage/TextField.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

/** The symbol encoded and laid out as vectors with one module one unit wide, or null. */
Symbol encoded(const BarcodeChoice &choice)
{
    if (choice.kind == BarcodeKind::None || choice.data.isEmpty())
        return nullptr;
    Symbol symbol(ZBarcode_Create());
    if (!symbol)
        return nullptr;
    symbol->symbology = choice.kind == BarcodeKind::Code128 ? BARCODE_CODE128 : BARCODE_EANX_CHK;
    // The label prints the code itself in its own font; a scanner needs the quiet zones.
    symbol->show_hrt = 0;
    symbol->output_options = BARCODE_QUIET_ZONES;
    symbol->input_mode = UNICODE_MODE;
    symbol->height = 50;
    const QByteArray utf8 = choice.data.toUtf8();
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()))
        >= ZINT_ERROR)
        return nullptr;
    if (ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector)
        return nullptr;
    return symbol;
}

/** The width of one module in the library's vector units. */
double moduleUnits(const zint_symbol &symbol)
{
    // The vector output scales every module by the same factor (twice `scale`); the symbol's own
    // width counts modules without the quiet zones, so the first and last bars give the factor.
    double left = 1e9;
    double right = -1e9;
    for (const zint_vector_rect *r = symbol.vector->rectangles; r; r = r->next) {
        left = std::min<double>(left, r->x);
        right = std::max<double>(right, r->x + r->width);
    }
    return symbol.width > 0 && right > left ? (right - left) / symbol.width : 1.0;
}
} // namespace

int eanCheckDigit(QStringView digits)
{
    // Weights 3 and 1 from the rightmost digit leftwards.
    int sum = 0;
    bool three = true;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const int d = digits.at(i).unicode() - '0';
        sum += three ? 3 * d : d;
        three = !three;
    }
    return (10 - sum % 10) % 10;
}

BarcodeChoice chooseBarcode(const QString &code)
{
    const QString text = trimText(code);
    if (text.isEmpty())
        return {};
    if (allDigits(text)) {
        const qsizetype n = text.size();
        if (n == 12 || n == 7)
            return { n == 12 ? BarcodeKind::Ean13 : BarcodeKind::Ean8, text + QString::number(eanCheckDigit(text)) };
        if ((n == 13 || n == 8) && eanCheckDigit(QStringView(text).first(n - 1)) == text.back().unicode() - '0')
            return { n == 13 ? BarcodeKind::Ean13 : BarcodeKind::Ean8, text };
    }
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return {};
    return { BarcodeKind::Code128, text };
}

namespace {
BarcodeDrawing drawSymbol(const zint_symbol &symbol, double moduleMm, double heightMm)
{
    BarcodeDrawing drawing;
    const double scale = moduleMm / moduleUnits(symbol);
    // The bars alone: EAN guard bars reach lower than the others only to make room for digits this
    // label does not print under them, so every bar gets the full height.
    for (const zint_vector_rect *r = symbol.vector->rectangles; r; r = r->next) {
        if (r->colour > 0 && r->colour != 7)
            continue; // a background patch, not a bar
        drawing.bars.append(QRectF(r->x * scale, 0, r->width * scale, heightMm));
    }
    drawing.size = QSizeF(symbol.vector->width * scale, heightMm);
    return drawing;
}
} // namespace

BarcodeDrawing drawBarcode(const BarcodeChoice &choice, double moduleMm, double heightMm)
{
    const Symbol symbol = encoded(choice);
    return symbol ? drawSymbol(*symbol, moduleMm, heightMm) : BarcodeDrawing();
}

BarcodeDrawing drawBarcodeToFit(const BarcodeChoice &choice, double widthMm, double maxModuleMm, double heightMm)
{
    const Symbol symbol = encoded(choice);
    if (!symbol)
        return {};
    const double modules = symbol->vector->width / moduleUnits(*symbol);
    return drawSymbol(*symbol, std::min(maxModuleMm, widthMm / modules), heightMm);
}

int barcodeModules(const BarcodeChoice &choice)
{
    const Symbol symbol = encoded(choice);
    return symbol ? int(std::lround(symbol->vector->width / moduleUnits(*symbol))) : 0;
}

QString barcodeKindName(BarcodeKind kind)
{
    switch (kind) {
    case BarcodeKind::Ean13:
        return QStringLiteral("EAN-13");
    case BarcodeKind::Ean8:
        return QStringLiteral("EAN-8");
    case BarcodeKind::Code128:
        return QStringLiteral("Code 128");
    case BarcodeKind::None:
        break;
    }
    return QStringLiteral("nessuno");
}
