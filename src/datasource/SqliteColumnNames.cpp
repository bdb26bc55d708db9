#include "datasource/SqliteColumnNames.h"

#include "core/DataError.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"

#include <sqlext.h>

namespace dorvane {

QStringList SqliteColumnNames::of(SQLHDBC connection, const QString& tableName)
{
    try {
        OdbcStatement statement(connection);
        statement.prepare(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden <> 1 ORDER BY cid"));
        QString name = tableName;
        SQLLEN length = SQLLEN(name.size() * sizeof(SQLWCHAR));
        checkOdbc(SQLBindParameter(statement.handle(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                   SQLULEN(std::max<qsizetype>(1, name.size())), 0, name.data(), length, &length),
                  statement.odbcHandle(), "SQLBindParameter");
        statement.execute();
        std::vector<SQLWCHAR> buffer(256);
        QStringList names;
        while (statement.fetch())
            names.append(statement.text(1, buffer).value_or(QString()));
        return names;
    } catch (const DataError&) {
        return {};
    }
}

QString SqliteColumnNames::restored(const QString& described, const QString& catalogName)
{
    if (catalogName != described && catalogName.endsWith(QLatin1Char('.') + described))
        return catalogName;
    return described;
}

} // namespace dorvane
