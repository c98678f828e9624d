#pragma once

#include <QString>

#include <optional>

/**
 * Money as whole cents, read from and written to the program's money text (comma, two decimals,
 * no thousands separator). Prices are changed on cents, never on binary fractions.
 */
namespace Cents {
/**
 * The cents of a money text: blanks around, an optional sign, digits, optionally a comma and digits;
 * more than two decimals round half up as a money box does. Nothing for any other text (a full stop,
 * an exponent, letters, an empty field).
 */
std::optional<qint64> read(const QString &text);
/** The normal money form: 1234 -> "12,34", 5 -> "0,05", -250 -> "-2,50". */
QString text(qint64 cents);
/** A typed percentage or amount (digits, at most two decimals, no sign) as hundredths; nothing otherwise. */
std::optional<qint64> readHundredths(const QString &text);
} // namespace Cents

/** A change of the selling price or the cost of many cards in one step. */
struct PriceChange
{
    enum class Field { Prezzo, Costo };
    enum class By { Percent, Amount };
    enum class Rounding { Cent, FiveCents, TenCents, Euro, Ending90, Ending99 };

    Field field = Field::Prezzo;
    By by = By::Percent;
    bool up = true;
    /** Hundredths of a percent (1250 is 12,5 %) or cents, as `by` says; never negative. */
    qint64 size = 0;
    Rounding rounding = Rounding::Cent;

    enum class Status {
        Changed, ///< a new text is written
        Same, ///< the price is already the one the change gives
        NotNumeric, ///< the field holds no money text: left alone
        BelowZero, ///< the change would take it below zero: refused, left alone
        TooLong ///< the new price does not fit the field's 12 characters: refused, left alone
    };
    struct Outcome
    {
        Status status = Status::NotNumeric;
        qint64 before = 0; ///< cents, when the old text is a number
        qint64 after = 0; ///< cents of the new price, when there is one
        QString text; ///< the new text, for Changed and Same
    };

    /** What the change makes of the field's text `old`. */
    Outcome apply(const QString &old) const;

    /** The largest size a change accepts: 1000 % or 1 000 000,00. */
    static constexpr qint64 MaxPercent = 100000;
    static constexpr qint64 MaxAmount = 100000000;
};
