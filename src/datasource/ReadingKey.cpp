#include "datasource/ReadingKey.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"
#include "datasource/OdbcText.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <map>

#include <sqlext.h>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

// Types whose values the driver reads in a form that the server parses back to the same value, and whose
// comparison with such a bound value is the column's own ordering (its collation for text). The names are
// those of SQLColumns' TYPE_NAME.
const char* const PostgreSqlKeyTypes[] = {
    "int2", "int4", "int8", "numeric", "text", "varchar", "bpchar", "date", "time", "timestamp", "uuid", "bytea",
};
const char* const MySqlKeyTypes[] = {
    "TINYINT", "SMALLINT", "MEDIUMINT", "INT",      "INTEGER", "BIGINT", "DECIMAL",   "NUMERIC",
    "CHAR",    "VARCHAR",  "DATE",      "DATETIME", "TIME",    "BINARY", "VARBINARY",
};

bool kindComparesExactly(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Text:
    case ValueKind::Binary:
    case ValueKind::Integer:
    case ValueKind::UnsignedInteger:
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
    case ValueKind::Decimal:
    case ValueKind::Guid:
        return true;
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Boolean:
        return false;
    }
    return false;
}

bool typeNameComparesExactly(Connection::TableReading reading, QString typeName)
{
    typeName = typeName.trimmed();
    for (const char* attribute : {" zerofill", " unsigned"}) {
        if (typeName.endsWith(QLatin1String(attribute), Qt::CaseInsensitive))
            typeName.chop(qsizetype(qstrlen(attribute)));
    }
    const auto named = [&](const auto& names) {
        return std::any_of(std::begin(names), std::end(names), [&](const char* name) {
            return typeName.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        });
    };
    switch (reading) {
    case Connection::TableReading::PostgreSqlKeyRanges:
        return named(PostgreSqlKeyTypes);
    case Connection::TableReading::MySqlKeyRanges:
        return named(MySqlKeyTypes);
    case Connection::TableReading::WholeResult:
        return false;
    }
    return false;
}

// What the catalog says of a column: a column is fit for the key when every table of that name the
// catalog answers for (PostgreSQL lists those of every schema) has it NOT NULL and of a listed type.
using FitColumns = QHash<QString, bool>;

FitColumns fitColumns(Connection& connection, const QString& tableName)
{
    OdbcStatement statement(connection.handle());
    QByteArray table = odbctext::encode(tableName);
    checkOdbc(SQLColumns(statement.handle(), nullptr, 0, nullptr, 0, odbctext::sqlChars(table), SQL_NTS, nullptr, 0),
              statement.odbcHandle(), "SQLColumns");
    std::vector<SQLWCHAR> buffer(256);
    FitColumns fit;
    while (statement.fetch()) {
        const std::optional<QString> name = statement.text(4, buffer);
        const std::optional<QString> typeName = statement.text(6, buffer);
        const std::optional<qint64> nullable = statement.int64(11);
        if (!name)
            continue;
        const bool fits = typeName && typeNameComparesExactly(connection.tableReading(), *typeName)
            && nullable.value_or(SQL_NULLABLE_UNKNOWN) == SQL_NO_NULLS;
        const QString key = name->toLower();
        fit[key] = fit.value(key, true) && fits;
    }
    return fit;
}

QStringList primaryKeyColumns(Connection& connection, const QString& tableName)
{
    OdbcStatement statement(connection.handle());
    QByteArray table = odbctext::encode(tableName);
    checkOdbc(SQLPrimaryKeys(statement.handle(), nullptr, 0, nullptr, 0, odbctext::sqlChars(table), SQL_NTS),
              statement.odbcHandle(), "SQLPrimaryKeys");
    std::vector<SQLWCHAR> buffer(256);
    std::map<qint64, QString> bySequence;
    while (statement.fetch()) {
        const std::optional<QString> name = statement.text(4, buffer);
        const std::optional<qint64> sequence = statement.int64(5);
        if (name)
            bySequence[sequence.value_or(qint64(bySequence.size()) + 1)] = *name;
    }
    QStringList names;
    for (const auto& [sequence, name] : bySequence)
        names.append(name);
    return names;
}

struct UniqueIndex
{
    QString qualifier;
    QString name;
    std::map<qint64, QString> columns; // by ordinal position; an empty name stands for an expression
    bool filtered = false;
};

std::vector<UniqueIndex> uniqueIndexes(Connection& connection, const QString& tableName)
{
    OdbcStatement statement(connection.handle());
    QByteArray table = odbctext::encode(tableName);
    checkOdbc(SQLStatistics(statement.handle(), nullptr, 0, nullptr, 0, odbctext::sqlChars(table), SQL_NTS,
                            SQL_INDEX_UNIQUE, SQL_QUICK),
              statement.odbcHandle(), "SQLStatistics");
    std::vector<SQLWCHAR> buffer(256);
    std::vector<UniqueIndex> indexes;
    while (statement.fetch()) {
        const std::optional<qint64> nonUnique = statement.int64(4);
        const std::optional<QString> qualifier = statement.text(5, buffer);
        const std::optional<QString> name = statement.text(6, buffer);
        const std::optional<qint64> type = statement.int64(7);
        const std::optional<qint64> position = statement.int64(8);
        const std::optional<QString> column = statement.text(9, buffer);
        statement.text(10, buffer); // columns are read in order
        statement.text(11, buffer);
        statement.text(12, buffer);
        const std::optional<QString> filter = statement.text(13, buffer);
        if (!name || type.value_or(SQL_TABLE_STAT) == SQL_TABLE_STAT || nonUnique.value_or(SQL_TRUE) != SQL_FALSE)
            continue;
        auto found = std::find_if(indexes.begin(), indexes.end(), [&](const UniqueIndex& index) {
            return index.name == *name && index.qualifier == qualifier.value_or(QString());
        });
        if (found == indexes.end()) {
            indexes.push_back(UniqueIndex {qualifier.value_or(QString()), *name, {}, false});
            found = indexes.end() - 1;
        }
        found->columns[position.value_or(qint64(found->columns.size()) + 1)] = column.value_or(QString());
        found->filtered = found->filtered || (filter && !filter->trimmed().isEmpty());
    }
    return indexes;
}

// psqlODBC reports neither the WHERE clause of a partial index nor its expressions; the catalog does.
bool isPlainPostgreSqlIndex(Connection& connection, const UniqueIndex& index)
{
    const QString qualified = index.qualifier.isEmpty()
        ? connection.quoteIdentifier(index.name)
        : connection.quoteIdentifier(index.qualifier) + QLatin1Char('.') + connection.quoteIdentifier(index.name);
    QString literal = qualified;
    literal.replace(QLatin1String("'"), QLatin1String("''"));
    OdbcStatement statement(connection.handle());
    statement.executeDirect(QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_index WHERE indexrelid = "
                                           "to_regclass('%1') AND indpred IS NULL AND indexprs IS NULL")
                                .arg(literal));
    return statement.scalarInt64().value_or(0) == 1;
}

// Positions of the named columns in fields, when every one is there, fit and of a kind that compares
// exactly; else empty.
std::vector<int> usablePositions(const QStringList& names, const std::vector<QueryField>& fields, const FitColumns& fit)
{
    std::vector<int> positions;
    for (const QString& name : names) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const QueryField& field) {
            return field.Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (name.isEmpty() || found == fields.end() || !fit.value(name.toLower(), false)
            || !kindComparesExactly(found->valueKind()))
            return {};
        const int position = int(found - fields.begin());
        if (std::find(positions.begin(), positions.end(), position) != positions.end())
            return {};
        positions.push_back(position);
    }
    return positions;
}

} // namespace

std::vector<int> ReadingKey::find(Connection& connection, const QString& tableName,
                                  const std::vector<QueryField>& fields)
{
    if (connection.tableReading() == Connection::TableReading::WholeResult)
        return {};
    try {
        const FitColumns fit = fitColumns(connection, tableName);
        const std::vector<int> primaryKey = usablePositions(primaryKeyColumns(connection, tableName), fields, fit);
        if (!primaryKey.empty())
            return primaryKey;
        for (const UniqueIndex& index : uniqueIndexes(connection, tableName)) {
            QStringList names;
            for (const auto& [position, column] : index.columns)
                names.append(column);
            std::vector<int> positions = usablePositions(names, fields, fit);
            if (positions.empty() || index.filtered)
                continue;
            if (connection.tableReading() == Connection::TableReading::PostgreSqlKeyRanges
                && !isPlainPostgreSqlIndex(connection, index))
                continue;
            return positions;
        }
    } catch (const DataError&) {
    }
    return {};
}

} // namespace dorvane
