#include "engine/JournalValue.h"

#include "core/DataError.h"

#include <QDateTime>
#include <QUuid>

#include <cmath>
#include <limits>

namespace dorvane {

namespace {

DataError unreadable(const JournalValue& value)
{
    return DataError(QStringLiteral("Dorvane.Journal"),
                     QStringLiteral("The journal holds a value of kind \"%1\" that cannot be read: \"%2\".")
                         .arg(value.kind, value.text.left(40)));
}

QString realText(double d, int digits)
{
    if (std::isnan(d))
        return QStringLiteral("nan");
    if (std::isinf(d))
        return d < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    // Qt writes -0 as "0": the sign is a bit of the value too.
    if (d == 0 && std::signbit(d))
        return QStringLiteral("-0");
    // Enough significant digits to read back every bit: 17 for a double, 9 for a single.
    return QString::number(d, 'g', digits);
}

std::optional<double> readReal(const QString& text)
{
    if (text == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-0"))
        return -0.0;
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

bool survivesUtf8(const QString& text)
{
    return !text.contains(QChar(0)) && QString::fromUtf8(text.toUtf8()) == text;
}

QString dateText(const QDate& date)
{
    // ISO 8601 covers the years 0 to 9999; other dates keep their day number.
    if (date.isValid() && date.year() > 0 && date.year() < 10000)
        return date.toString(Qt::ISODate);
    return QStringLiteral("JD") + QString::number(date.toJulianDay());
}

QDate readDate(const QString& text)
{
    if (text.startsWith(QLatin1String("JD"))) {
        bool ok = false;
        const qint64 day = text.mid(2).toLongLong(&ok);
        return ok ? QDate::fromJulianDay(day) : QDate();
    }
    return QDate::fromString(text, Qt::ISODate);
}

const QString TimeFormat = QStringLiteral("HH:mm:ss.zzz");

} // namespace

JournalValue encodeJournalValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {QStringLiteral("null"), QString(), QByteArray()};
    switch (value.metaType().id()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        if (survivesUtf8(text))
            return {QStringLiteral("text"), text, QByteArray()};
        return {QStringLiteral("text16"), QString(),
                QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)))};
    }
    case QMetaType::QByteArray:
        return {QStringLiteral("binary"), QString(), value.toByteArray()};
    case QMetaType::Int:
        return {QStringLiteral("int"), QString::number(value.toInt()), QByteArray()};
    case QMetaType::LongLong:
        return {QStringLiteral("int64"), QString::number(value.toLongLong()), QByteArray()};
    case QMetaType::UInt:
        return {QStringLiteral("uint"), QString::number(value.toUInt()), QByteArray()};
    case QMetaType::ULongLong:
        return {QStringLiteral("uint64"), QString::number(value.toULongLong()), QByteArray()};
    case QMetaType::Float:
        return {QStringLiteral("float"), realText(double(value.toFloat()), 9), QByteArray()};
    case QMetaType::Double:
        return {QStringLiteral("double"), realText(value.toDouble(), 17), QByteArray()};
    case QMetaType::Bool:
        return {QStringLiteral("bool"), value.toBool() ? QStringLiteral("1") : QStringLiteral("0"), QByteArray()};
    case QMetaType::QDate:
        return {QStringLiteral("date"), dateText(value.toDate()), QByteArray()};
    case QMetaType::QTime:
        return {QStringLiteral("time"), value.toTime().toString(TimeFormat), QByteArray()};
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        const QString text = dateText(dateTime.date()) + QLatin1Char('T') + dateTime.time().toString(TimeFormat);
        return {dateTime.timeSpec() == Qt::UTC ? QStringLiteral("datetime") : QStringLiteral("localdatetime"), text,
                QByteArray()};
    }
    case QMetaType::QUuid:
        return {QStringLiteral("uuid"), value.toUuid().toString(QUuid::WithoutBraces), QByteArray()};
    default:
        return {QStringLiteral("other"), value.toString(), QByteArray()};
    }
}

QVariant decodeJournalValue(const JournalValue& value)
{
    const QString& kind = value.kind;
    const QString& text = value.text;
    bool ok = true;
    QVariant result;
    if (kind == QLatin1String("null")) {
        return QVariant();
    } else if (kind == QLatin1String("text") || kind == QLatin1String("other")) {
        return text.isNull() ? QString(QLatin1String("")) : text;
    } else if (kind == QLatin1String("text16")) {
        return QString(reinterpret_cast<const QChar*>(value.bytes.constData()),
                       value.bytes.size() / qsizetype(sizeof(char16_t)));
    } else if (kind == QLatin1String("binary")) {
        return value.bytes.isNull() ? QByteArray("") : value.bytes;
    } else if (kind == QLatin1String("int")) {
        result = QVariant::fromValue(text.toInt(&ok));
    } else if (kind == QLatin1String("int64")) {
        result = QVariant::fromValue(qlonglong(text.toLongLong(&ok)));
    } else if (kind == QLatin1String("uint")) {
        result = QVariant::fromValue(text.toUInt(&ok));
    } else if (kind == QLatin1String("uint64")) {
        result = QVariant::fromValue(qulonglong(text.toULongLong(&ok)));
    } else if (kind == QLatin1String("float") || kind == QLatin1String("double")) {
        const std::optional<double> d = readReal(text);
        ok = d.has_value();
        if (ok)
            result = kind == QLatin1String("float") ? QVariant::fromValue(float(*d)) : QVariant::fromValue(*d);
    } else if (kind == QLatin1String("bool")) {
        ok = text == QLatin1String("1") || text == QLatin1String("0");
        result = QVariant::fromValue(text == QLatin1String("1"));
    } else if (kind == QLatin1String("date")) {
        const QDate date = readDate(text);
        ok = date.isValid();
        result = date;
    } else if (kind == QLatin1String("time")) {
        const QTime time = QTime::fromString(text, TimeFormat);
        ok = time.isValid();
        result = time;
    } else if (kind == QLatin1String("datetime") || kind == QLatin1String("localdatetime")) {
        const qsizetype t = text.indexOf(QLatin1Char('T'));
        const QDate date = t < 0 ? QDate() : readDate(text.left(t));
        const QTime time = t < 0 ? QTime() : QTime::fromString(text.mid(t + 1), TimeFormat);
        ok = date.isValid() && time.isValid();
        result = QDateTime(date, time, kind == QLatin1String("datetime") ? Qt::UTC : Qt::LocalTime);
    } else if (kind == QLatin1String("uuid")) {
        const QUuid uuid = QUuid::fromString(text);
        ok = !uuid.isNull() || text == QLatin1String("00000000-0000-0000-0000-000000000000");
        result = QVariant::fromValue(uuid);
    } else {
        throw unreadable(value);
    }
    if (!ok)
        throw unreadable(value);
    return result;
}

} // namespace dorvane
