#include "datasource/DriverText.h"

#include <QDateTime>
#include <QUuid>

namespace dorvane::drivertext {

using odbctypes::ValueKind;

namespace {

QTime parseTime(const QString& text)
{
    return QTime::fromString(text, Qt::ISODateWithMs);
}

QString formatTime(const QTime& time)
{
    return time.toString(time.msec() != 0 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

} // namespace

bool carriesText(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
    case ValueKind::Decimal:
    case ValueKind::Guid:
        return true;
    default:
        return false;
    }
}

QVariant parse(ValueKind kind, const QString& text)
{
    const QString trimmed = text.trimmed();
    switch (kind) {
    case ValueKind::Date: {
        // Some drivers hand a date column's value over with a midnight time.
        const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
        if (date.isValid()
            && (trimmed.size() == 10 || trimmed.at(10) == QLatin1Char(' ') || trimmed.at(10) == QLatin1Char('T')))
            return date;
        break;
    }
    case ValueKind::Time: {
        const QTime time = parseTime(trimmed);
        if (time.isValid())
            return time;
        break;
    }
    case ValueKind::DateTime: {
        const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
        if (!date.isValid())
            break;
        if (trimmed.size() == 10)
            return QDateTime(date, QTime(0, 0), Qt::UTC);
        if (trimmed.at(10) != QLatin1Char(' ') && trimmed.at(10) != QLatin1Char('T'))
            break;
        const QTime time = parseTime(trimmed.mid(11));
        if (time.isValid())
            return QDateTime(date, time, Qt::UTC);
        break;
    }
    case ValueKind::Decimal:
        return text;
    case ValueKind::Guid: {
        const QUuid uuid = QUuid::fromString(trimmed);
        if (!uuid.isNull())
            return QVariant::fromValue(uuid);
        break;
    }
    default:
        break;
    }
    return text;
}

QVariant parseReal(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok)
        return value;
    return text;
}

QString format(ValueKind kind, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QString)
        return value.toString();
    switch (kind) {
    case ValueKind::Date:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case ValueKind::Time:
        return formatTime(value.toTime());
    case ValueKind::DateTime: {
        const QDateTime dateTime = value.toDateTime();
        return dateTime.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + formatTime(dateTime.time());
    }
    case ValueKind::Guid:
        return value.toUuid().toString(QUuid::WithoutBraces);
    default:
        return value.toString();
    }
}

} // namespace dorvane::drivertext
