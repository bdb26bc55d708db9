#include "engine/FieldText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

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

// The locale's short date with a four-digit year: "1/5/25" would read back as 2025 for 1925.
QString dateText(const QDate& date, const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

// Hours, minutes and seconds on the 24-hour clock, milliseconds only when there are any. The short
// format would drop the seconds and the long one adds a time zone that a field's value does not have.
QString timeText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
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
    QLocale locale = baseLocale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    switch (value.typeId()) {
    case QMetaType::QString:
        return holdsDecimalText(adoType) ? decimalText(value.toString(), locale) : nonNull(value.toString());
    case QMetaType::Bool:
        return booleanWord(value.toBool(), locale);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
        return locale.toString(value.toInt());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return locale.toString(value.toUInt());
    case QMetaType::LongLong:
    case QMetaType::Long:
        return locale.toString(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return locale.toString(value.toULongLong());
    case QMetaType::Double:
        return locale.toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Float:
        // The shortest text of the double would show 0.1f as 0.100000001490116; seven significant digits
        // are what a single-precision value holds.
        return locale.toString(double(value.toFloat()), 'g', 7);
    case QMetaType::QDate:
        return dateText(value.toDate(), locale);
    case QMetaType::QTime:
        return timeText(value.toTime(), locale);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        // A date without a time of day shows as a date alone, as the runtime's conversion does.
        if (dt.time() == QTime(0, 0))
            return dateText(dt.date(), locale);
        return dateText(dt.date(), locale) + QLatin1Char(' ') + timeText(dt.time(), locale);
    }
    case QMetaType::QByteArray:
        return nonNull(QString::fromUtf8(value.toByteArray()));
    default:
        return nonNull(value.toString());
    }
}

} // namespace dorvane
