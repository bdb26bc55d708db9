#include "engine/RunOptionsJson.h"

#include <QJsonArray>

namespace dorvane {

namespace {

QJsonValue optionalText(const OptionalText& text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject runOptionsToJson(const RunOptions& options)
{
    const MatchOptions& match = options.match;
    return QJsonObject {
        {QStringLiteral("find"), optionalText(match.search)},
        {QStringLiteral("replace"), optionalText(match.replacement)},
        {QStringLiteral("wholeField"), match.wholeField},
        {QStringLiteral("matchCase"), match.caseSensitive},
        {QStringLiteral("wholeWords"), match.wholeWords},
        {QStringLiteral("regex"), match.regularExpression},
        {QStringLiteral("tables"), QJsonArray::fromStringList(options.tables)},
    };
}

} // namespace dorvane
