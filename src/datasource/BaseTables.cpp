#include "datasource/BaseTables.h"

#include "datasource/Connection.h"

namespace dorvane {

QStringList baseTableNames(Connection& connection)
{
    QStringList names;
    SchemaRecordSet schema = connection.OpenSchema(ado::adSchemaTables);
    for (; !schema.IsEOF(); schema.MoveNext()) {
        if (schema.Fields(QStringLiteral("TABLE_TYPE")).Value().toString() == QLatin1String("TABLE"))
            names.append(schema.Fields(2).Value().toString());
    }
    schema.Close();
    return names;
}

} // namespace dorvane
