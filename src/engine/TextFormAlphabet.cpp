#include "engine/TextFormAlphabet.h"

namespace dorvane {

TextFormAlphabet TextFormAlphabet::numbers(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, true};
    // "inf", "nan" from QLocale; "NaN", "Infinity" kept from a decimal column's driver text.
    QString chars = QStringLiteral("0123456789+-.,eEinfatyINFATY");
    chars += locale.negativeSign() + locale.positiveSign() + locale.decimalPoint() + locale.groupSeparator()
        + locale.exponential();
    return {chars, false};
}

TextFormAlphabet TextFormAlphabet::dates(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, true};
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString chars = QStringLiteral("0123456789 :.");
    bool names = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        i += run;
        if (c == QLatin1Char('\''))
            return {{}, true}; // quoted text may hold anything
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            if (run >= 3 && c != QLatin1Char('y'))
                names = true; // "MMM", "dddd": names
            continue;
        }
        if (c.isLetter())
            return {{}, true};
        chars += c;
    }
    if (names) {
        // Every form in which QLocale writes the name of a month or a day.
        for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat, QLocale::NarrowFormat}) {
            for (int month = 1; month <= 12; ++month)
                chars += locale.monthName(month, type) + locale.standaloneMonthName(month, type);
            for (int day = 1; day <= 7; ++day)
                chars += locale.dayName(day, type) + locale.standaloneDayName(day, type);
        }
    }
    return {chars, false};
}

TextFormAlphabet TextFormAlphabet::serverDateTexts()
{
    return {QStringLiteral("0123456789-+:. /infinityBCTZ"), false};
}

bool TextFormAlphabet::mayHold(const QString& text) const
{
    if (m_anything)
        return true;
    for (const QChar c : text) {
        if (!m_chars.contains(c, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

} // namespace dorvane
