#include "cli/SourceTables.h"

#include "core/DataError.h"
#include "datasource/Connection.h"

#include <algorithm>

namespace dorvane {

QStringList resolveTableNames(Connection& connection, const QStringList& requested)
{
    if (requested.isEmpty())
        return requested;
    QStringList known;
    try {
        SchemaRecordSet schema = connection.OpenSchema();
        for (; !schema.IsEOF(); schema.MoveNext())
            known.append(schema.Fields(2).Value().toString());
    } catch (const DataError&) {
        return requested;
    }
    QStringList resolved;
    for (const QString& name : requested) {
        if (known.contains(name)) {
            resolved.append(name);
            continue;
        }
        const auto match = std::find_if(known.begin(), known.end(), [&](const QString& table) {
            return table.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (match == known.end())
            throw DataError(QStringLiteral("dorvane"), QStringLiteral("the source has no table \"%1\"").arg(name));
        resolved.append(*match);
    }
    return resolved;
}

} // namespace dorvane
