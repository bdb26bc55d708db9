// An exact decimal number: sign, an unsigned 128-bit magnitude and a scale (digits after the point).
// Currency, NUMERIC and DECIMAL values pass through it so that no digit is lost on the way between a
// file and the decimal text that fields hold for these types.
#pragma once

#include <QString>

#include <optional>

namespace dorvane {

__extension__ typedef unsigned __int128 UInt128;

struct DecimalNumber
{
    bool negative = false;
    UInt128 magnitude = 0;
    int scale = 0;

    // Plain decimal text: "-" for negative non-zero values, no exponent, no trailing fractional zeros,
    // "." as the separator ("1000.1234", "0", "-1.0001").
    QString toText() const;

    // Parses "[+-]digits[.digits]" (blanks around allowed, no exponent, no group separators) and brings it
    // to exactly `scale` digits after the point, rounding half away from zero. Empty when the text is no
    // number or the magnitude does not fit 128 bits.
    static std::optional<DecimalNumber> parse(const QString& text, int scale);

    // The number of fraction digits the text writes (before any rescaling); 0 for integers.
    static int fractionDigits(const QString& text);
};

} // namespace dorvane
