#include "datasource/ValueText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace dorvane::valuetext {

namespace {

// The number in C notation ("-1.5e-10") for a text the locale reads as a number, or "" when it reads
// none. Digits, signs, decimal point and exponent are mapped one by one; group separators are dropped.
std::string cNotation(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    locale.toDouble(trimmed, &ok);
    if (!ok)
        return {};
    const QString zero = locale.zeroDigit();
    const QString symbols[] = {locale.negativeSign(), locale.positiveSign(), locale.decimalPoint(),
                               locale.exponential(), locale.groupSeparator()};
    const char replacement[] = {'-', '+', '.', 'e', '\0'};
    std::string result;
    result.reserve(size_t(trimmed.size()));
    qsizetype i = 0;
    while (i < trimmed.size()) {
        bool matched = false;
        for (size_t s = 0; s < std::size(symbols) && !matched; ++s) {
            if (!symbols[s].isEmpty() && QStringView(trimmed).sliced(i).startsWith(symbols[s])) {
                if (replacement[s])
                    result += replacement[s];
                i += symbols[s].size();
                matched = true;
            }
        }
        if (matched)
            continue;
        // Digits of a locale with its own digits run on from its zero digit (one UTF-16 unit each in the
        // locales Qt knows).
        const char16_t c = trimmed[i].unicode();
        if (zero.size() == 1 && c >= zero[0].unicode() && c <= zero[0].unicode() + 9)
            result += char('0' + (c - zero[0].unicode()));
        else if (c < 128)
            result += char(c);
        else if (!QChar(c).isSpace() && c != 0x200e && c != 0x200f && c != 0x061c)
            return {}; // something the mapping does not know: let the caller fall back
        ++i;
    }
    return result;
}

template<typename Number> std::optional<Number> fromCNotation(const std::string& text)
{
    Number value {};
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first; // from_chars takes no plus sign
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last)
        return std::nullopt;
    return value;
}

QString negativeZero(const QLocale& locale)
{
    return locale.negativeSign() + locale.zeroDigit();
}

} // namespace

QString doubleText(double value, const QLocale& locale)
{
    if (value == 0 && std::signbit(value))
        return negativeZero(locale);
    return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

QString floatText(float value, const QLocale& locale)
{
    if (value == 0 && std::signbit(value))
        return negativeZero(locale);
    if (!std::isfinite(value))
        return locale.toString(double(value), 'g', QLocale::FloatingPointShortest);
    // The float's own shortest digits, carried into a double that holds exactly those digits and is
    // written with them: a decimal of at most nine digits reads back unchanged through a double, and
    // its shortest double text is that decimal (distinct decimals of up to 15 digits are distinct
    // doubles), so the text has the float's digits in the same layout as every double text.
    char digits[32];
    const std::to_chars_result result
        = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific);
    const auto asDouble = fromCNotation<double>(std::string(digits, result.ptr));
    return locale.toString(asDouble.value_or(double(value)), 'g', QLocale::FloatingPointShortest);
}

std::optional<double> parseDouble(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<float> parseFloat(const QString& text, const QLocale& locale)
{
    const std::string c = cNotation(text, locale);
    if (!c.empty()) {
        if (const auto value = fromCNotation<float>(c))
            return value;
    }
    // An out-of-range value (from_chars refuses it) or a form the mapping does not know.
    const std::optional<double> value = parseDouble(text, locale);
    if (!value)
        return std::nullopt;
    return float(*value);
}

QString dateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString timeFormat(const QTime& time)
{
    return time.msec() != 0 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss");
}

} // namespace dorvane::valuetext
