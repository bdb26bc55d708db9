#include "datasource/FieldValueConversion.h"

#include "core/AdoTypes.h"
#include "datasource/AdtgFormat.h"
#include "datasource/AnsiCodePage.h"
#include "datasource/DecimalNumber.h"
#include "datasource/RecordSetError.h"
#include "datasource/ValueText.h"

#include <QDateTime>
#include <QUuid>

#include <cmath>
#include <limits>
#include <optional>

namespace dorvane {

namespace {

[[noreturn]] void reject(const FieldDefinition& field, const QVariant& value, const QString& why)
{
    QString shown = value.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("…");
    throw recordSetError(QStringLiteral("The value \"%1\" cannot be stored in the field \"%2\" (type %3): %4.")
                             .arg(shown, field.name)
                             .arg(field.type)
                             .arg(why));
}

bool isFloating(const QVariant& value)
{
    const int id = value.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

std::optional<qint64> toInteger(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? -1 : 0; // a Boolean true is -1 in an integer field
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < -9.2233720368547758e18 || d >= 9.2233720368547758e18)
            return std::nullopt;
        return std::llround(d);
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    default: {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    }
}

QVariant coerceInteger(const FieldDefinition& field, const QVariant& value, qint64 min, qint64 max)
{
    const auto n = toInteger(value);
    if (!n)
        reject(field, value, QStringLiteral("it is not a whole number"));
    if (*n < min || *n > max)
        reject(field, value, QStringLiteral("it lies outside %1 to %2").arg(min).arg(max));
    if (field.type == ado::adBigInt)
        return QVariant::fromValue(qlonglong(*n));
    if (field.type == ado::adUnsignedInt)
        return QVariant::fromValue(uint(*n));
    return QVariant::fromValue(int(*n));
}

QVariant coerceUnsigned64(const FieldDefinition& field, const QVariant& value)
{
    bool ok = false;
    qulonglong n = 0;
    if (value.metaType().id() == QMetaType::QString) {
        n = value.toString().trimmed().toULongLong(&ok);
    } else if (value.metaType().id() == QMetaType::ULongLong) {
        n = value.toULongLong(&ok);
    } else if (const auto signedValue = toInteger(value)) {
        ok = *signedValue >= 0;
        n = qulonglong(*signedValue);
    }
    if (!ok)
        reject(field, value, QStringLiteral("it is not a whole number from 0 to 18446744073709551615"));
    return QVariant::fromValue(n);
}

QVariant coerceFloating(const FieldDefinition& field, const QVariant& value)
{
    bool ok = false;
    const double d
        = value.metaType().id() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
    if (!ok || value.metaType().id() == QMetaType::QByteArray)
        reject(field, value, QStringLiteral("it is not a number"));
    if (field.type == ado::adSingle) {
        if (value.metaType().id() == QMetaType::Float)
            return value;
        // A text is rounded to a float directly: through the double it could land on the neighbour, and
        // the largest float's shortest text lies just above it.
        const std::optional<float> f = value.metaType().id() == QMetaType::QString
            ? valuetext::parseFloat(value.toString(), QLocale::c())
            : std::fabs(d) <= double(std::numeric_limits<float>::max()) ? std::optional<float>(float(d))
                                                                        : std::nullopt;
        if (std::isfinite(d) && !(f && std::isfinite(*f)))
            reject(field, value, QStringLiteral("it is too large for a single-precision number"));
        return QVariant::fromValue(f.value_or(float(d)));
    }
    return QVariant::fromValue(d);
}

QVariant coerceDecimal(const FieldDefinition& field, const QVariant& value)
{
    int scale = field.numericScale;
    if (field.type == ado::adCurrency)
        scale = 4;
    QString text;
    if (isFloating(value)) {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            reject(field, value, QStringLiteral("it is not a finite number"));
        text = QString::number(d, 'f', field.type == ado::adDecimal ? std::max(scale, 15) : scale);
    } else if (value.metaType().id() == QMetaType::Bool) {
        text = value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    } else {
        text = value.toString();
    }
    if (field.type == ado::adDecimal)
        scale = std::min(std::max(scale, DecimalNumber::fractionDigits(text)), 28);
    auto number = DecimalNumber::parse(text, scale);
    if (!number)
        reject(field, value, QStringLiteral("it is not a decimal number"));
    UInt128 limit = ~UInt128(0);
    if (field.type == ado::adCurrency)
        limit = number->negative ? (UInt128(1) << 63) : (UInt128(1) << 63) - 1;
    else if (field.type == ado::adDecimal)
        limit = (UInt128(1) << 96) - 1;
    else if (field.precision >= 1 && field.precision <= 38) {
        limit = 1;
        for (int i = 0; i < field.precision; ++i)
            limit *= 10;
        limit -= 1;
    }
    if (number->magnitude > limit)
        reject(field, value, QStringLiteral("it has too many digits"));
    return number->toText();
}

// "yyyy-MM-dd", "yyyy-MM-ddTHH:mm[:ss[.zzz]]" (or a blank for the T) as a wall-clock time. The parts are
// parsed apart so that no local day-light-saving gap can shift a time; a text with a zone or offset is
// read in that zone and keeps its wall-clock reading there.
QDateTime parseWallClock(const QString& text)
{
    if (text.size() == 10) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() ? QDateTime(date, QTime(0, 0), Qt::UTC) : QDateTime();
    }
    if (text.size() > 11 && (text[10] == QLatin1Char('T') || text[10] == QLatin1Char(' '))) {
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        const QTime time = QTime::fromString(text.mid(11), Qt::ISODateWithMs);
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    return wallClock(QDateTime::fromString(text, Qt::ISODateWithMs));
}

QVariant coerceDateTime(const FieldDefinition& field, const QVariant& value)
{
    QDateTime result;
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        result = wallClock(value.toDateTime());
        break;
    case QMetaType::QDate:
        result = QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
        break;
    case QMetaType::QString:
        result = parseWallClock(value.toString().trimmed());
        break;
    default:
        break;
    }
    if (!result.isValid())
        reject(field, value, QStringLiteral("it is not a date and time"));
    // adDate reaches back to the year 100, the other two to the years 1 and 1601.
    const int year = result.date().year();
    const int firstYear = field.type == ado::adDate ? 100 : field.type == ado::adFileTime ? 1601 : 1;
    if (year < firstYear || year > 9999)
        reject(field, value, QStringLiteral("the year lies outside %1 to 9999").arg(firstYear));
    return result;
}

QVariant coerceDate(const FieldDefinition& field, const QVariant& value)
{
    QDate date;
    if (value.metaType().id() == QMetaType::QDate)
        date = value.toDate();
    else if (value.metaType().id() == QMetaType::QDateTime)
        date = value.toDateTime().date();
    else if (value.metaType().id() == QMetaType::QString)
        date = QDate::fromString(value.toString().trimmed(), Qt::ISODate);
    if (!date.isValid() || date.year() < -32768 || date.year() > 32767)
        reject(field, value, QStringLiteral("it is not a date"));
    return date;
}

QVariant coerceTime(const FieldDefinition& field, const QVariant& value)
{
    QTime time;
    if (value.metaType().id() == QMetaType::QTime)
        time = value.toTime();
    else if (value.metaType().id() == QMetaType::QDateTime)
        time = value.toDateTime().time();
    else if (value.metaType().id() == QMetaType::QString)
        time = QTime::fromString(value.toString().trimmed(), Qt::ISODate);
    if (!time.isValid())
        reject(field, value, QStringLiteral("it is not a time of day"));
    // DBTIME holds whole seconds.
    return QTime(time.hour(), time.minute(), time.second());
}

QVariant coerceBoolean(const FieldDefinition& field, const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("-1") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("false") || text == QLatin1String("0"))
            return false;
        break;
    }
    default:
        if (const auto n = toInteger(value))
            return *n != 0;
        break;
    }
    reject(field, value, QStringLiteral("it is not true or false"));
}

QVariant coerceGuid(const FieldDefinition& field, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QUuid)
        return value;
    const QString text = value.toString().trimmed();
    const QUuid uuid = QUuid::fromString(text);
    const bool nilText = QString(text).remove(QLatin1Char('{')).remove(QLatin1Char('}'))
        == QLatin1String("00000000-0000-0000-0000-000000000000");
    if (uuid.isNull() && !nilText)
        reject(field, value, QStringLiteral("it is not a GUID"));
    return QVariant::fromValue(uuid);
}

bool isFixedWidthText(const FieldDefinition& field)
{
    return (field.attributes & ado::adFldFixed) != 0 && (field.attributes & ado::adFldLong) == 0;
}

QVariant coerceText(const FieldDefinition& field, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QByteArray || !value.canConvert<QString>())
        reject(field, value, QStringLiteral("it is not a text"));
    QString text = value.toString();
    qsizetype length = text.size();
    if (adtg::dbTypeFor(field.type) == adtg::DbStr) {
        const auto bytes = ansi::encode(text);
        if (!bytes)
            reject(field, value, QStringLiteral("it holds characters outside the Windows-1252 code page"));
        length = bytes->size();
    }
    if (field.definedSize >= 0 && length > field.definedSize)
        reject(field, value, QStringLiteral("it is longer than %1 characters").arg(field.definedSize));
    if (isFixedWidthText(field) && field.definedSize > length)
        text.append(QString(field.definedSize - length, QLatin1Char(' ')));
    return text;
}

QVariant coerceBinary(const FieldDefinition& field, const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QByteArray)
        reject(field, value, QStringLiteral("it is not binary data"));
    QByteArray bytes = value.toByteArray();
    if (field.definedSize >= 0 && bytes.size() > field.definedSize)
        reject(field, value, QStringLiteral("it is longer than %1 bytes").arg(field.definedSize));
    if (isFixedWidthText(field) && field.definedSize > bytes.size())
        bytes.append(QByteArray(field.definedSize - bytes.size(), '\0'));
    return bytes;
}

} // namespace

QDateTime wallClock(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    return QDateTime(value.date(), value.time(), Qt::UTC);
}

QVariant coerceFieldValue(const FieldDefinition& field, const QVariant& value)
{
    // An empty text or byte array is a value, not NULL.
    if (!value.isValid() || value.isNull())
        return {};
    switch (field.type) {
    case ado::adTinyInt:
        return coerceInteger(field, value, -128, 127);
    case ado::adUnsignedTinyInt:
        return coerceInteger(field, value, 0, 255);
    case ado::adSmallInt:
        return coerceInteger(field, value, -32768, 32767);
    case ado::adUnsignedSmallInt:
        return coerceInteger(field, value, 0, 65535);
    case ado::adInteger:
        return coerceInteger(field, value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    case ado::adUnsignedInt:
        return coerceInteger(field, value, 0, std::numeric_limits<quint32>::max());
    case ado::adBigInt:
        return coerceInteger(field, value, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    case ado::adUnsignedBigInt:
        return coerceUnsigned64(field, value);
    case ado::adSingle:
    case ado::adDouble:
        return coerceFloating(field, value);
    case ado::adCurrency:
    case ado::adNumeric:
    case ado::adDecimal:
        return coerceDecimal(field, value);
    case ado::adDate:
    case ado::adDBTimeStamp:
    case ado::adFileTime:
        return coerceDateTime(field, value);
    case ado::adDBDate:
        return coerceDate(field, value);
    case ado::adDBTime:
        return coerceTime(field, value);
    case ado::adBoolean:
        return coerceBoolean(field, value);
    case ado::adGUID:
        return coerceGuid(field, value);
    case ado::adChar:
    case ado::adVarChar:
    case ado::adLongVarChar:
    case ado::adWChar:
    case ado::adVarWChar:
    case ado::adLongVarWChar:
        return coerceText(field, value);
    case ado::adBinary:
    case ado::adVarBinary:
    case ado::adLongVarBinary:
        return coerceBinary(field, value);
    default:
        reject(field, value, QStringLiteral("the field type is not supported"));
    }
}

} // namespace dorvane
