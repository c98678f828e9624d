#pragma once

#include "storage/Result.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>

// Money, quantities and dates are text everywhere: comma decimals, no thousands separator,
// dates as dd/mm/yyyy, whatever the machine's regional settings say.

/** Rounds half up to `decimals` places, with the sum formed in 80-bit extended precision. */
double roundTo(double value, int decimals);

/**
 * Reads a decimal number written with the comma: optional blanks around it, a sign, digits, a comma
 * and digits, an exponent. Returns nothing when the text is not such a number.
 */
std::optional<double> parseDecimal(const QString &text);

/** A text that is not a number, as the number conversion reports it. */
class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/** parseDecimal(), or the ConversionError with the platform-like message. */
Result<double, ConversionError> readDecimal(const QString &text);

/** readDecimal() that throws its ConversionError. */
double toDecimal(const QString &text);

/** The shortest general form, at most 15 significant digits, comma as separator: 12,5  12  0,05. */
QString generalForm(double value);

/** The text a money box shows after the cursor leaves it: 12 -> 12,00; ,5 -> 0,50; abc -> 0,00. */
QString normaliseMoney(const QString &text);

/** The text a stock or threshold box shows after the cursor leaves it: 0012 -> 12; 7,5 -> 8. */
QString normaliseQuantity(const QString &text);

/** The first `n` characters (the whole text when shorter). */
QString firstChars(const QString &text, int n);
/** The last `n` characters (the whole text when shorter). */
QString lastChars(const QString &text, int n);

/** The program's date form dd/mm/yyyy. */
QString formatDate(const class QDate &date);

/**
 * A day in the program's form, day first as in Italy, the zeros before day and month optional:
 * "05/01/2024" and "5/1/2024" are both 5 January 2024. Blanks around are ignored; anything else is an
 * invalid date. Every reading of a stored date goes through here, so the start window's badges, the
 * workbook and the import agree on what a date is.
 */
QDate readDate(QStringView text);
QDate readDate(QByteArrayView text);
/** "del 07/01/2025", "dell'11/12/2026": the date with the article its spoken day takes (uno, otto, undici). */
QString ofDate(const class QDate &date);
/** A count as the program writes it in sentences, with the thousands point: 18.881. */
QString formatCount(qint64 n);
