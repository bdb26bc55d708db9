#include "engine/TextFormAlphabet.h"

namespace dorvane {

TextFormAlphabet TextFormAlphabet::numbers(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, false, true};
    // "inf", "nan" from QLocale; "NaN", "Infinity" kept from a decimal column's driver text.
    QString chars = QStringLiteral("0123456789+-.,eEinfatyINFATY");
    chars += locale.negativeSign() + locale.positiveSign() + locale.decimalPoint() + locale.groupSeparator()
        + locale.exponential();
    return {chars, false, false};
}

TextFormAlphabet TextFormAlphabet::dates(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, false, true};
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString chars = QStringLiteral("0123456789 :.");
    bool letters = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        i += run;
        if (c == QLatin1Char('\''))
            return {{}, false, true}; // quoted text may hold anything
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            if (run >= 3 && c != QLatin1Char('y'))
                letters = true; // "MMM", "dddd": names
            continue;
        }
        if (c.isLetter())
            return {{}, false, true};
        chars += c;
    }
    return {chars, letters, false};
}

TextFormAlphabet TextFormAlphabet::serverDateTexts()
{
    return {QStringLiteral("0123456789-+:. /infinityBCTZ"), false, false};
}

bool TextFormAlphabet::mayHold(const QString& text) const
{
    if (m_anything)
        return true;
    for (const QChar c : text) {
        if (m_letters && c.isLetter())
            continue;
        if (!m_chars.contains(c, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

} // namespace dorvane
