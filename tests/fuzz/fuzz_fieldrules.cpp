// The money and quantity rules never fail and always give their normal forms.
#include "storage/FieldRules.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString money = normaliseMoney(text);
    // Beyond 15 digits the general form turns to an exponent, which is not a money text any more.
    if (money.isEmpty() || (!money.contains(QLatin1Char('E')) && normaliseMoney(money) != money))
        __builtin_trap();
    const QString quantity = normaliseQuantity(text);
    if (quantity.isEmpty() || (quantity.contains(QLatin1Char(',')) && !quantity.contains(QLatin1Char('E'))))
        __builtin_trap();
    (void)parseDecimal(text);
    return 0;
}
