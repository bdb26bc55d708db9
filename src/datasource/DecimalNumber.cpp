#include "datasource/DecimalNumber.h"

#include <algorithm>

namespace dorvane {

namespace {

constexpr UInt128 MaxUInt128 = ~UInt128(0);

// Splits "[+-]int[.frac]" into its parts; false for anything else.
bool splitNumber(const QString& input, bool& negative, QString& integerDigits, QString& fractionDigits)
{
    const QString text = input.trimmed();
    qsizetype pos = 0;
    negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'), pos);
    integerDigits = text.mid(pos, point < 0 ? -1 : point - pos);
    fractionDigits = point < 0 ? QString() : text.mid(point + 1);
    if (integerDigits.isEmpty() && fractionDigits.isEmpty())
        return false;
    const auto allDigits = [](const QString& s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    return allDigits(integerDigits) && allDigits(fractionDigits);
}

bool appendDigit(UInt128& value, int digit)
{
    if (value > (MaxUInt128 - UInt128(digit)) / 10)
        return false;
    value = value * 10 + UInt128(digit);
    return true;
}

} // namespace

QString DecimalNumber::toText() const
{
    QString digits;
    UInt128 rest = magnitude;
    do {
        digits.prepend(QChar(u'0' + int(rest % 10)));
        rest /= 10;
    } while (rest != 0);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale - digits.size() + 1, QLatin1Char('0')));
        digits.insert(digits.size() - scale, QLatin1Char('.'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        if (digits.endsWith(QLatin1Char('.')))
            digits.chop(1);
    }
    if (negative && magnitude != 0)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

std::optional<DecimalNumber> DecimalNumber::parse(const QString& text, int scale)
{
    bool negative = false;
    QString integerPart;
    QString fractionPart;
    if (scale < 0 || !splitNumber(text, negative, integerPart, fractionPart))
        return std::nullopt;
    UInt128 value = 0;
    for (QChar c : integerPart) {
        if (!appendDigit(value, c.unicode() - u'0'))
            return std::nullopt;
    }
    for (int i = 0; i < scale; ++i) {
        const int digit = i < fractionPart.size() ? fractionPart[i].unicode() - u'0' : 0;
        if (!appendDigit(value, digit))
            return std::nullopt;
    }
    if (fractionPart.size() > scale && fractionPart[scale] >= QLatin1Char('5')) {
        if (value == MaxUInt128)
            return std::nullopt;
        ++value;
    }
    return DecimalNumber {negative, value, scale};
}

int DecimalNumber::fractionDigits(const QString& text)
{
    bool negative = false;
    QString integerPart;
    QString fractionPart;
    if (!splitNumber(text, negative, integerPart, fractionPart))
        return 0;
    return int(fractionPart.size());
}

} // namespace dorvane
