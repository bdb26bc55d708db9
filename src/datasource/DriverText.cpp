#include "datasource/DriverText.h"

#include <QDateTime>
#include <QUuid>

#include <charconv>

namespace dorvane::drivertext {

using odbctypes::ValueKind;

namespace {

QTime parseTime(const QString& text)
{
    return QTime::fromString(text, Qt::ISODateWithMs);
}

// "yyyy-MM-dd" at the start of text, read digit by digit: a run reads one per row of a date column, and
// QDate::fromString cost as much as reading the row. Anything else is left to QDate::fromString.
QDate isoDate(const QString& text)
{
    if (text.size() >= 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        int digits[8];
        int n = 0;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return QDate::fromString(text.left(10), Qt::ISODate);
            digits[n++] = c - u'0';
        }
        const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int month = digits[4] * 10 + digits[5];
        const int day = digits[6] * 10 + digits[7];
        return QDate(year, month, day); // invalid when the calendar has no such day
    }
    return QDate::fromString(text.left(10), Qt::ISODate);
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
        const QDate date = isoDate(trimmed);
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
        const QDate date = isoDate(trimmed);
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
    // Most texts are plain ASCII numbers: std::from_chars reads them exactly, without the locale machinery
    // of QString::toDouble (five times the cost of reading the value). Anything else goes that way.
    char ascii[64];
    if (text.size() < qsizetype(sizeof ascii)) {
        qsizetype n = 0;
        for (const QChar c : text) {
            if (c.unicode() > 127)
                break;
            ascii[n++] = char(c.unicode());
        }
        if (n == text.size() && n > 0) {
            double value = 0;
            const auto [end, error] = std::from_chars(ascii, ascii + n, value);
            if (error == std::errc() && end == ascii + n)
                return value;
        }
    }
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
