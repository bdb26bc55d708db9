#include "datasource/RecordSetJson.h"

#include "datasource/AdtgFormat.h"
#include "datasource/RecordSetError.h"

#include <QDateTime>
#include <QJsonArray>
#include <QUuid>

#include <cmath>

namespace dorvane {

namespace {

QJsonValue toJson(const QVariant& value)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return QString::number(value.toULongLong());
        return value.toLongLong();
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            return QString::number(d); // JSON has no NaN or infinity
        return d;
    }
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return dateTime.toString(dateTime.time().msec() != 0 ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                             : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(Qt::ISODate);
    case QMetaType::QUuid:
        return value.toUuid().toString(QUuid::WithBraces);
    default:
        return value.toString();
    }
}

[[noreturn]] void badJson(const QString& what)
{
    throw recordSetError(QStringLiteral("The JSON record set is not usable: %1.").arg(what));
}

QVariant fromJson(const FieldDefinition& field, const QJsonValue& value, int row)
{
    if (value.isNull())
        return {};
    if (adtg::dbTypeFor(field.type) == adtg::DbBytes) {
        const QString hex = value.toString();
        const bool isHex = value.isString() && hex.size() % 2 == 0
            && std::all_of(hex.begin(), hex.end(), [](QChar c) { return std::isxdigit(c.toLatin1()) != 0; });
        if (!isHex)
            badJson(QStringLiteral("row %1, field \"%2\" needs hexadecimal digits").arg(row + 1).arg(field.name));
        return QByteArray::fromHex(hex.toLatin1());
    }
    if (value.isArray() || value.isObject())
        badJson(QStringLiteral("row %1, field \"%2\" holds a list or object").arg(row + 1).arg(field.name));
    return value.toVariant();
}

} // namespace

QJsonObject recordSetToJson(const MemoryRecordSet& recordSet)
{
    const RecordTable& table = recordSet.table();
    QJsonArray columns;
    for (const FieldDefinition& field : table.fields) {
        QJsonObject column {{QStringLiteral("name"), field.name},
                            {QStringLiteral("type"), field.type},
                            {QStringLiteral("size"), field.definedSize},
                            {QStringLiteral("attributes"), field.attributes}};
        if (field.precision != 0)
            column.insert(QStringLiteral("precision"), field.precision);
        if (field.numericScale != 0)
            column.insert(QStringLiteral("scale"), field.numericScale);
        columns.append(column);
    }
    QJsonArray rows;
    for (const RecordRow& row : table.rows) {
        if (!row.isVisible())
            continue;
        QJsonArray values;
        for (const QVariant& value : row.values)
            values.append(toJson(value));
        rows.append(values);
    }
    return {{QStringLiteral("columns"), columns}, {QStringLiteral("rows"), rows}};
}

MemoryRecordSet recordSetFromJson(const QJsonObject& json)
{
    if (!json.value(QStringLiteral("columns")).isArray() || !json.value(QStringLiteral("rows")).isArray())
        badJson(QStringLiteral("it needs the lists \"columns\" and \"rows\""));
    MemoryRecordSet recordSet;
    const QJsonArray columns = json.value(QStringLiteral("columns")).toArray();
    for (int i = 0; i < columns.size(); ++i) {
        const QJsonObject column = columns[i].toObject();
        const auto number = [&](const char* key, int fallback) {
            const QJsonValue value = column.value(QLatin1String(key));
            if (value.isUndefined())
                return fallback;
            if (!value.isDouble() || value.toDouble() != std::floor(value.toDouble()))
                badJson(QStringLiteral("column %1 needs a whole number as \"%2\"").arg(i + 1).arg(QLatin1String(key)));
            return int(value.toInteger());
        };
        if (!column.value(QStringLiteral("name")).isString() || !column.value(QStringLiteral("type")).isDouble())
            badJson(QStringLiteral("column %1 needs a \"name\" and a \"type\"").arg(i + 1));
        recordSet.AppendField(column.value(QStringLiteral("name")).toString(), number("type", 0), number("size", 0),
                              number("attributes", ado::adFldUnspecified), number("precision", 0), number("scale", 0));
    }
    recordSet.Open();
    const QJsonArray rows = json.value(QStringLiteral("rows")).toArray();
    for (int r = 0; r < rows.size(); ++r) {
        const QJsonArray values = rows[r].toArray();
        if (!rows[r].isArray() || values.size() != recordSet.FieldCount())
            badJson(QStringLiteral("row %1 needs a list of %2 values").arg(r + 1).arg(recordSet.FieldCount()));
        recordSet.AddNew();
        for (int c = 0; c < values.size(); ++c)
            recordSet.setValue(c, fromJson(recordSet.fieldDefinition(c), values[c], r));
        recordSet.Update();
    }
    recordSet.UpdateBatch();
    recordSet.MoveFirst();
    return recordSet;
}

} // namespace dorvane
