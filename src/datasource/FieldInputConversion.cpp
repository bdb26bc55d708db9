#include "datasource/FieldInputConversion.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/OdbcTypeMapping.h"
#include "datasource/ValueText.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

#include <cmath>
#include <limits>
#include <optional>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

[[noreturn]] void reject(const QString& fieldName, const QVariant& value, const QString& why)
{
    QString shown = value.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("…");
    throw DataError(
        QStringLiteral("Dorvane.Recordset"),
        QStringLiteral("The value \"%1\" cannot be written into the field \"%2\": %3.").arg(shown, fieldName, why));
}

QLocale withoutGroupSeparators(QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

bool isText(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QString;
}

struct IntegerRange
{
    qint64 min;
    quint64 max;
};

IntegerRange integerRange(int adoType)
{
    switch (adoType) {
    case ado::adTinyInt:
        return {-128, 127};
    case ado::adUnsignedTinyInt:
        return {0, 255};
    case ado::adSmallInt:
        return {-32768, 32767};
    case ado::adUnsignedSmallInt:
        return {0, 65535};
    case ado::adInteger:
        return {std::numeric_limits<qint32>::min(), quint64(std::numeric_limits<qint32>::max())};
    case ado::adUnsignedInt:
        return {0, std::numeric_limits<quint32>::max()};
    case ado::adUnsignedBigInt:
        return {0, std::numeric_limits<quint64>::max()};
    default:
        return {std::numeric_limits<qint64>::min(), quint64(std::numeric_limits<qint64>::max())};
    }
}

QVariant convertInteger(const QString& name, int adoType, const QVariant& value, const QLocale& locale)
{
    const IntegerRange range = integerRange(adoType);
    bool negative = false;
    quint64 magnitude = 0;
    bool ok = false;
    if (isText(value)) {
        const QString text = value.toString().trimmed();
        const qint64 n = locale.toLongLong(text, &ok);
        if (ok) {
            negative = n < 0;
            magnitude = negative ? quint64(0) - quint64(n) : quint64(n);
        } else {
            magnitude = locale.toULongLong(text, &ok);
        }
        if (!ok)
            reject(name, value, QStringLiteral("it is not a whole number"));
    } else if (value.metaType().id() == QMetaType::Bool) {
        negative = value.toBool();
        magnitude = value.toBool() ? 1 : 0; // a Boolean true is -1 as a number
    } else if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float) {
        const double d = std::round(value.toDouble());
        if (!std::isfinite(d) || std::fabs(d) >= 1.8446744073709552e19)
            reject(name, value, QStringLiteral("it is too large"));
        negative = d < 0;
        magnitude = quint64(std::fabs(d));
    } else if (value.metaType().id() == QMetaType::ULongLong) {
        magnitude = value.toULongLong(&ok);
    } else {
        const qint64 n = value.toLongLong(&ok);
        if (!ok)
            reject(name, value, QStringLiteral("it is not a whole number"));
        negative = n < 0;
        magnitude = negative ? quint64(0) - quint64(n) : quint64(n);
    }
    const bool inRange
        = negative ? (range.min < 0 && magnitude <= quint64(0) - quint64(range.min)) : magnitude <= range.max;
    if (!inRange)
        reject(name, value, QStringLiteral("it lies outside %1 to %2").arg(range.min).arg(range.max));
    const qint64 n = negative ? qint64(quint64(0) - magnitude) : qint64(magnitude);
    switch (adoType) {
    case ado::adBigInt:
        return QVariant::fromValue(qlonglong(n));
    case ado::adUnsignedBigInt:
        return QVariant::fromValue(qulonglong(magnitude));
    case ado::adUnsignedInt:
        return QVariant::fromValue(uint(magnitude));
    default:
        return QVariant::fromValue(int(n));
    }
}

QVariant convertFloating(const QString& name, int adoType, const QVariant& value, const QLocale& locale)
{
    if (value.metaType().id() == QMetaType::Float && adoType == ado::adSingle)
        return value;
    bool ok = false;
    std::optional<double> d;
    if (isText(value))
        d = valuetext::parseDouble(value.toString(), locale);
    else if (value.metaType().id() != QMetaType::QByteArray && (d = value.toDouble(&ok), !ok))
        d.reset();
    if (!d)
        reject(name, value, QStringLiteral("it is not a number"));
    if (adoType == ado::adSingle) {
        // A text is rounded to a float directly: through the double it could land on the neighbour, and
        // the largest float's shortest text lies just above it.
        const std::optional<float> f = isText(value) ? valuetext::parseFloat(value.toString(), locale)
            : std::fabs(*d) <= double(std::numeric_limits<float>::max()) ? std::optional<float>(float(*d))
                                                                         : std::nullopt;
        if (std::isfinite(*d) && !(f && std::isfinite(*f)))
            reject(name, value, QStringLiteral("it is too large for a single-precision number"));
        return QVariant::fromValue(f.value_or(float(*d)));
    }
    return QVariant::fromValue(*d);
}

QVariant convertDecimal(const QString& name, const QVariant& value, const QLocale& locale)
{
    QString text;
    if (isText(value)) {
        text = value.toString().trimmed();
        text.remove(locale.groupSeparator());
        text.replace(locale.decimalPoint(), QStringLiteral("."));
        text.replace(locale.negativeSign(), QStringLiteral("-"));
        text.replace(locale.positiveSign(), QString());
        text.remove(QLatin1Char(' '));
    } else if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float) {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            reject(name, value, QStringLiteral("it is not a finite number"));
        text = QString::number(d, 'f', QLocale::FloatingPointShortest);
    } else {
        text = value.toString();
    }
    static const QRegularExpression decimal(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!decimal.match(text).hasMatch())
        reject(name, value, QStringLiteral("it is not a decimal number"));
    return text;
}

QVariant convertBoolean(const QString& name, const QVariant& value, const QLocale& locale)
{
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (isText(value)) {
        const QString text = value.toString().trimmed().toLower();
        static const char* const trueWords[] = {"true", "wahr", "yes", "ja"};
        static const char* const falseWords[] = {"false", "falsch", "no", "nein"};
        for (const char* word : trueWords) {
            if (text == QLatin1String(word))
                return true;
        }
        for (const char* word : falseWords) {
            if (text == QLatin1String(word))
                return false;
        }
        bool ok = false;
        const double d = locale.toDouble(text, &ok);
        if (ok)
            return d != 0;
        reject(name, value, QStringLiteral("it is not true or false"));
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        reject(name, value, QStringLiteral("it is not true or false"));
    return d != 0;
}

QDate fixTwoDigitYear(QDate date, const QString& format)
{
    if (!date.isValid() || format.contains(QLatin1String("yyyy")) || !format.contains(QLatin1String("yy")))
        return date;
    const int yy = date.year() % 100;
    return QDate(yy < 30 ? 2000 + yy : 1900 + yy, date.month(), date.day());
}

std::optional<QDate> parseDate(const QString& text, const QLocale& locale)
{
    const QString formats[] = {valuetext::dateFormat(locale), locale.dateFormat(QLocale::ShortFormat),
                               locale.dateFormat(QLocale::LongFormat), QStringLiteral("yyyy-MM-dd")};
    for (const QString& format : formats) {
        const QDate date = fixTwoDigitYear(locale.toDate(text, format), format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

// The forms a time is shown in (see ValueText), with one to three digits of a fraction ("z"), first.
const QString ShownTimeFormats[] = {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm:ss.z")};

std::optional<QTime> parseTime(const QString& text, const QLocale& locale)
{
    for (const QString& format : ShownTimeFormats) {
        const QTime time = QTime::fromString(text, format);
        if (time.isValid())
            return time;
    }
    for (const QString& format : {locale.timeFormat(QLocale::ShortFormat), locale.timeFormat(QLocale::LongFormat)}) {
        const QTime time = locale.toTime(text, format);
        if (time.isValid())
            return time;
    }
    const QTime iso = QTime::fromString(text, Qt::ISODateWithMs);
    if (iso.isValid())
        return iso;
    return std::nullopt;
}

std::optional<QDateTime> parseDateTime(const QString& text, const QLocale& locale)
{
    const QString shownDate = valuetext::dateFormat(locale);
    const QString shortFormat = locale.dateTimeFormat(QLocale::ShortFormat);
    const QString formats[]
        = {shownDate + QLatin1Char(' ') + ShownTimeFormats[0], shownDate + QLatin1Char(' ') + ShownTimeFormats[1],
           shownDate + QStringLiteral(" HH:mm"), shortFormat, locale.dateTimeFormat(QLocale::LongFormat)};
    for (const QString& format : formats) {
        const QDateTime parsed = locale.toDateTime(text, format);
        if (parsed.isValid())
            return QDateTime(fixTwoDigitYear(parsed.date(), format), parsed.time(), Qt::UTC);
    }
    QString iso = text;
    if (iso.size() > 10 && iso.at(10) == QLatin1Char(' '))
        iso[10] = QLatin1Char('T');
    const QDateTime parsed = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (parsed.isValid())
        return QDateTime(parsed.date(), parsed.time(), Qt::UTC);
    if (const auto date = parseDate(text, locale))
        return QDateTime(*date, QTime(0, 0), Qt::UTC);
    return std::nullopt;
}

QVariant convertDate(const QString& name, const QVariant& value, const QLocale& locale)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value;
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::QString:
        if (const auto date = parseDate(value.toString().trimmed(), locale))
            return *date;
        break;
    default:
        break;
    }
    reject(name, value, QStringLiteral("it is not a date"));
}

QVariant convertTime(const QString& name, const QVariant& value, const QLocale& locale)
{
    switch (value.metaType().id()) {
    case QMetaType::QTime:
        return value;
    case QMetaType::QDateTime:
        return value.toDateTime().time();
    case QMetaType::QString:
        if (const auto time = parseTime(value.toString().trimmed(), locale))
            return *time;
        break;
    default:
        break;
    }
    reject(name, value, QStringLiteral("it is not a time of day"));
}

QVariant convertDateTime(const QString& name, const QVariant& value, const QLocale& locale)
{
    switch (value.metaType().id()) {
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (dateTime.isValid())
            return QDateTime(dateTime.date(), dateTime.time(), Qt::UTC);
        break;
    }
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    case QMetaType::QString:
        if (const auto dateTime = parseDateTime(value.toString().trimmed(), locale))
            return *dateTime;
        break;
    default:
        break;
    }
    reject(name, value, QStringLiteral("it is not a date and time"));
}

QVariant convertGuid(const QString& name, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QUuid)
        return value;
    QString text = value.toString().trimmed();
    const QUuid uuid = QUuid::fromString(text);
    const bool nilText = text.remove(QLatin1Char('{')).remove(QLatin1Char('}'))
        == QLatin1String("00000000-0000-0000-0000-000000000000");
    if (uuid.isNull() && !nilText)
        reject(name, value, QStringLiteral("it is not a GUID"));
    return QVariant::fromValue(uuid);
}

QVariant convertText(const QString& name, const QVariant& value, const QLocale& locale)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return value;
    case QMetaType::QByteArray:
        reject(name, value, QStringLiteral("binary data is not a text"));
    case QMetaType::Double:
        return valuetext::doubleText(value.toDouble(), withoutGroupSeparators(locale));
    case QMetaType::Float:
        return valuetext::floatText(value.toFloat(), withoutGroupSeparators(locale));
    default:
        if (!value.canConvert<QString>())
            reject(name, value, QStringLiteral("it is not a text"));
        return value.toString();
    }
}

} // namespace

QVariant convertFieldInput(const QString& fieldName, int adoType, const QVariant& value, const QLocale& locale)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (odbctypes::valueKindForAdoType(adoType)) {
    case ValueKind::Text:
        return convertText(fieldName, value, locale);
    case ValueKind::Binary:
        if (value.metaType().id() != QMetaType::QByteArray)
            reject(fieldName, value, QStringLiteral("the field holds binary data"));
        return value;
    case ValueKind::Integer:
    case ValueKind::UnsignedInteger:
        return convertInteger(fieldName, adoType, value, locale);
    case ValueKind::Single:
    case ValueKind::Double:
        return convertFloating(fieldName, adoType, value, locale);
    case ValueKind::Decimal:
        return convertDecimal(fieldName, value, locale);
    case ValueKind::Boolean:
        return convertBoolean(fieldName, value, locale);
    case ValueKind::Date:
        return convertDate(fieldName, value, locale);
    case ValueKind::Time:
        return convertTime(fieldName, value, locale);
    case ValueKind::DateTime:
        return convertDateTime(fieldName, value, locale);
    case ValueKind::Guid:
        return convertGuid(fieldName, value);
    }
    return value;
}

} // namespace dorvane
