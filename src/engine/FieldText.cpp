#include "engine/FieldText.h"

#include "datasource/ValueText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <optional>

namespace dorvane {

namespace {

QString booleanWord(bool value, const QLocale& locale)
{
    // Qt has no locale words for truth values; the two languages the program ships cover its users.
    if (locale.language() == QLocale::German)
        return value ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString nonNull(QString text)
{
    if (text.isNull())
        return QString(QLatin1String(""));
    return text;
}

// What the conversion needs of a locale, worked out once per locale rather than per value: a run turns
// every date and number of a table into text.
class LocaleTexts
{
public:
    explicit LocaleTexts(const QLocale& locale) : m_locale(locale)
    {
        m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::OmitGroupSeparator);
        m_asciiIntegers = m_locale.zeroDigit() == QLatin1String("0") && m_locale.negativeSign() == QLatin1String("-");
        m_dateFormat = valuetext::dateFormat(m_locale);
        m_dateTokens = parseDateFormat(m_dateFormat);
    }

    const QLocale& locale() const { return m_locale; }

    template<typename Integer> QString integerText(Integer value) const
    {
        return m_asciiIntegers ? QString::number(value) : m_locale.toString(value);
    }

    QString dateText(const QDate& date) const
    {
        if (m_dateTokens.isEmpty() || !m_asciiIntegers || !date.isValid() || date.year() < 1000 || date.year() > 9999)
            return m_locale.toString(date, m_dateFormat);
        QString text;
        text.reserve(10);
        for (const DateToken& token : m_dateTokens) {
            switch (token.kind) {
            case DateToken::Day:
                appendNumber(text, date.day(), token.width);
                break;
            case DateToken::Month:
                appendNumber(text, date.month(), token.width);
                break;
            case DateToken::Year:
                appendNumber(text, date.year(), 4);
                break;
            case DateToken::Literal:
                text += token.literal;
                break;
            }
        }
        return text;
    }

private:
    struct DateToken
    {
        enum Kind
        {
            Day,
            Month,
            Year,
            Literal,
        } kind;
        int width = 0;
        QString literal;
    };

    static void appendNumber(QString& text, int value, int width)
    {
        const QString digits = QString::number(value);
        for (qsizetype pad = width - digits.size(); pad > 0; --pad)
            text += QLatin1Char('0');
        text += digits;
    }

    // Days, months and four-digit years as numbers, with plain separators; any other element (names
    // of months or days, quotes) leaves the format to QLocale: the result is empty then.
    static QList<DateToken> parseDateFormat(const QString& format)
    {
        QList<DateToken> tokens;
        qsizetype i = 0;
        while (i < format.size()) {
            const QChar c = format[i];
            qsizetype run = 1;
            while (i + run < format.size() && format[i + run] == c)
                ++run;
            if (c == QLatin1Char('d') && run <= 2) {
                tokens.append({DateToken::Day, int(run), {}});
            } else if (c == QLatin1Char('M') && run <= 2) {
                tokens.append({DateToken::Month, int(run), {}});
            } else if (c == QLatin1Char('y') && run == 4) {
                tokens.append({DateToken::Year, 4, {}});
            } else if (c.isLetter() || c == QLatin1Char('\'')) {
                return {};
            } else {
                tokens.append({DateToken::Literal, 0, QString(run, c)});
            }
            i += run;
        }
        return tokens;
    }

    QLocale m_locale;
    bool m_asciiIntegers = false;
    QString m_dateFormat;
    QList<DateToken> m_dateTokens;
};

const LocaleTexts& localeTexts(const QLocale& locale)
{
    thread_local std::optional<LocaleTexts> cached;
    thread_local QLocale cachedFor;
    if (!cached || !(cachedFor == locale)) {
        cached.emplace(locale);
        cachedFor = locale;
    }
    return *cached;
}

QString dateText(const QDate& date, const LocaleTexts& texts)
{
    return texts.dateText(date);
}

// Hours, minutes and seconds on the 24-hour clock, milliseconds only when there are any. The short
// format would drop the seconds and the long one adds a time zone that a field's value does not have.
QString timeText(const QTime& time, const LocaleTexts&)
{
    // The pattern holds digits, colons and a point only, the same in every locale.
    return time.toString(valuetext::timeFormat(time));
}

// "-1234.50" as the locale writes it ("-1234,50" in German); a text that is no plain decimal number
// (a driver may hand over anything the column holds) stays as it is.
QString decimalText(const QString& text, const QLocale& locale)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    const qsizetype integerStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    const qsizetype integerEnd = i;
    qsizetype fractionStart = -1;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        fractionStart = ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
    }
    const bool hasFraction = fractionStart >= 0 && i > fractionStart;
    if (i != text.size() || integerEnd == integerStart || (fractionStart >= 0 && !hasFraction))
        return text;
    QString result;
    if (negative)
        result += locale.negativeSign();
    result += QStringView(text).sliced(integerStart, integerEnd - integerStart);
    if (hasFraction) {
        result += locale.decimalPoint();
        result += QStringView(text).sliced(fractionStart);
    }
    return result;
}

} // namespace

bool holdsDecimalText(int adoType)
{
    switch (adoType) {
    case ado::adCurrency:
    case ado::adDecimal:
    case ado::adNumeric:
    case ado::adVarNumeric:
        return true;
    default:
        return false;
    }
}

QString fieldValueToText(const QVariant& value, int adoType, const QLocale& baseLocale)
{
    if (value.isNull() || !value.isValid())
        return {};
    const LocaleTexts& texts = localeTexts(baseLocale);
    const QLocale& locale = texts.locale();
    switch (value.typeId()) {
    case QMetaType::QString:
        return holdsDecimalText(adoType) ? decimalText(value.toString(), locale) : nonNull(value.toString());
    case QMetaType::Bool:
        return booleanWord(value.toBool(), locale);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
        return texts.integerText(value.toInt());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return texts.integerText(value.toUInt());
    case QMetaType::LongLong:
    case QMetaType::Long:
        return texts.integerText(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return texts.integerText(value.toULongLong());
    case QMetaType::Double:
        return valuetext::doubleText(value.toDouble(), locale);
    case QMetaType::Float:
        // The shortest text of the float itself: the double's would show 0.1f as 0.100000001490116, and
        // seven digits would lose 123456.79f (shown "123456.8", which reads back as another float).
        return valuetext::floatText(value.toFloat(), locale);
    case QMetaType::QDate:
        return dateText(value.toDate(), texts);
    case QMetaType::QTime:
        return timeText(value.toTime(), texts);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        // A date without a time of day shows as a date alone, as the runtime's conversion does.
        if (dt.time() == QTime(0, 0))
            return dateText(dt.date(), texts);
        return dateText(dt.date(), texts) + QLatin1Char(' ') + timeText(dt.time(), texts);
    }
    case QMetaType::QByteArray:
        return nonNull(QString::fromUtf8(value.toByteArray()));
    default:
        return nonNull(value.toString());
    }
}

} // namespace dorvane
