// The text forms in which field values are shown (engine's fieldValueToText) and in which a shown text is
// read back into its field (convertFieldInput). Kept in one place because a save writes back what the
// views show: every text made here must read back as exactly the value it was made from.
//
// Numbers: the shortest text that reads back as the same value (for a single-precision value the
// shortest that reads back as the same float, so 123456.79f is "123456.79", not "123456.8" nor
// "123456.7890625"), in the locale's digits, signs and decimal point, without group separators, the
// sign of a negative zero kept. Dates: the locale's short format with a four-digit year. Times: hours,
// minutes and seconds on the 24-hour clock with ".zzz" when there are milliseconds.
#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

namespace dorvane::valuetext {

// REQUIRES for the number texts: locale has QLocale::OmitGroupSeparator set (its texts then carry none).
QString doubleText(double value, const QLocale& locale);
QString floatText(float value, const QLocale& locale);

// Reads a number as the locale writes it (group separators allowed, blanks around it ignored). A float
// is rounded once from the decimal text, never through a double, so floatText's texts read back exactly.
std::optional<double> parseDouble(const QString& text, const QLocale& locale);
std::optional<float> parseFloat(const QString& text, const QLocale& locale);

// The locale's short date format with a four-digit year ("dd.MM.yyyy", "M/d/yyyy"): "1/5/25" would
// read back as 2025 for 1925.
QString dateFormat(const QLocale& locale);

// "HH:mm:ss", or "HH:mm:ss.zzz" for a time with milliseconds; the same in every locale.
QString timeFormat(const QTime& time);

} // namespace dorvane::valuetext
