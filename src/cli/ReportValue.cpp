#include "cli/ReportValue.h"

#include <QDateTime>
#include <QJsonObject>
#include <QLocale>
#include <QUuid>

#include <charconv>
#include <cmath>

namespace dorvane {

namespace {

QString timeText(const QTime& time)
{
    return time.toString(time.msec() != 0 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

QString realText(double d)
{
    if (std::isnan(d))
        return QStringLiteral("nan");
    if (std::isinf(d))
        return d < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

// The fewest digits that read back as the same single-precision number ("0.1", not "0.100000001").
QString singleText(float f)
{
    if (!std::isfinite(f))
        return realText(double(f));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, f);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

bool isNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

} // namespace

QString reportText(const QVariant& value)
{
    if (isNull(value))
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isNull() ? QString(QLatin1String("")) : text;
    }
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toBase64());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Float:
        return singleText(value.toFloat());
    case QMetaType::Double:
        return realText(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return timeText(value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return dateTime.date().toString(Qt::ISODate) + QLatin1Char('T') + timeText(dateTime.time());
    }
    case QMetaType::QUuid:
        return value.toUuid().toString(QUuid::WithoutBraces);
    default:
        return value.toString();
    }
}

QJsonValue reportJson(const QVariant& value)
{
    if (isNull(value))
        return QJsonValue(QJsonValue::Null);
    // Whole numbers beyond 2^53 would lose digits as JSON numbers in most readers: they go as text.
    constexpr qint64 exact = qint64(1) << 53;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::LongLong: {
        const qint64 n = value.toLongLong();
        return n > -exact && n < exact ? QJsonValue(n) : QJsonValue(QString::number(n));
    }
    case QMetaType::ULongLong: {
        const quint64 n = value.toULongLong();
        return n < quint64(exact) ? QJsonValue(qint64(n)) : QJsonValue(QString::number(n));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            return reportText(value); // JSON has no number for them
        // A single goes through its own shortest text, so that 0.1f reads 0.1 and not 0.100000001.
        return value.metaType().id() == QMetaType::Float ? QJsonValue(singleText(value.toFloat()).toDouble())
                                                         : QJsonValue(d);
    }
    case QMetaType::QByteArray:
        return QJsonObject {{QStringLiteral("base64"), reportText(value)}};
    default:
        return reportText(value);
    }
}

QString lineText(const QVariant& value)
{
    if (isNull(value))
        return QStringLiteral("\\N");
    QString text = reportText(value);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

QString recordLineText(int record)
{
    return record >= 0 ? QString::number(record) : QString();
}

} // namespace dorvane
