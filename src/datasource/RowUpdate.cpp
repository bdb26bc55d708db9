#include "datasource/RowUpdate.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/DriverText.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"
#include "datasource/OdbcText.h"

#include <QStringList>

#include <algorithm>
#include <deque>
#include <map>

#include <sqlext.h>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

DataError updateError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Recordset"), description);
}

bool isCharacterType(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

// The values of one statement's parameters, kept at fixed addresses until the statement has run.
class Parameters
{
public:
    void add(const QueryField& field, const QVariant& value, const QString& driverText)
    {
        Parameter& p = m_parameters.emplace_back();
        p.sqlType = SQLSMALLINT(field.sqlType());
        p.columnSize = field.columnSize();
        p.digits = SQLSMALLINT(field.decimalDigits());
        const bool isNull = !value.isValid() || value.isNull();
        switch (field.valueKind()) {
        case ValueKind::Text:
            setText(p, value.toString());
            if (!isCharacterType(p.sqlType))
                p.sqlType = SQL_WLONGVARCHAR;
            break;
        case ValueKind::Binary:
            p.cType = SQL_C_BINARY;
            p.bytes = value.toByteArray();
            p.buffer = p.bytes.data();
            p.bufferLength = p.bytes.size();
            p.indicator = p.bytes.size();
            p.columnSize = std::max<SQLULEN>(1, SQLULEN(p.bytes.size()));
            break;
        case ValueKind::Integer:
            p.cType = SQL_C_SBIGINT;
            p.integer = value.toLongLong();
            p.buffer = &p.integer;
            p.indicator = sizeof p.integer;
            break;
        case ValueKind::UnsignedInteger:
            p.cType = SQL_C_UBIGINT;
            p.unsignedInteger = value.toULongLong();
            p.buffer = &p.unsignedInteger;
            p.indicator = sizeof p.unsignedInteger;
            break;
        case ValueKind::Single:
        case ValueKind::Double:
            p.cType = SQL_C_DOUBLE;
            p.real = value.toDouble();
            p.buffer = &p.real;
            p.indicator = sizeof p.real;
            break;
        case ValueKind::Boolean:
            p.cType = SQL_C_BIT;
            p.bit = value.toBool() ? 1 : 0;
            p.buffer = &p.bit;
            p.indicator = sizeof p.bit;
            break;
        case ValueKind::Date:
        case ValueKind::Time:
        case ValueKind::DateTime:
        case ValueKind::Decimal:
        case ValueKind::Guid: {
            const SQLULEN declared = p.columnSize;
            setText(p, driverText);
            if (declared > 0)
                p.columnSize = std::max(declared, p.columnSize);
            break;
        }
        }
        if (isNull) {
            p.indicator = SQL_NULL_DATA;
            if (p.cType == SQL_C_WCHAR || p.cType == SQL_C_BINARY)
                p.columnSize = std::max<SQLULEN>(1, field.columnSize());
        }
    }

    void bind(const OdbcStatement& statement)
    {
        SQLUSMALLINT number = 1;
        for (Parameter& p : m_parameters) {
            checkOdbc(SQLBindParameter(statement.handle(), number++, SQL_PARAM_INPUT, p.cType, p.sqlType, p.columnSize,
                                       p.digits, p.buffer, p.bufferLength, &p.indicator),
                      statement.odbcHandle(), "SQLBindParameter");
        }
    }

private:
    struct Parameter
    {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        SQLPOINTER buffer = nullptr;
        SQLLEN bufferLength = 0;
        SQLLEN indicator = 0;
        QString text;
        QByteArray bytes;
        SQLBIGINT integer = 0;
        SQLUBIGINT unsignedInteger = 0;
        SQLDOUBLE real = 0;
        unsigned char bit = 0;
    };

    static void setText(Parameter& p, const QString& text)
    {
        p.cType = SQL_C_WCHAR;
        p.text = text;
        p.buffer = p.text.data();
        p.bufferLength = SQLLEN(p.text.size() * sizeof(SQLWCHAR));
        p.indicator = p.bufferLength;
        p.columnSize = std::max<SQLULEN>(1, SQLULEN(p.text.size()));
    }

    std::deque<Parameter> m_parameters;
};

// The statement, its parameters in order, and the WHERE part on its own for counting first.
struct UpdateStatement
{
    QString update;
    QString countMatches;
    Parameters setParameters; // SET values followed by the WHERE values
    Parameters whereParameters; // the WHERE values alone
    std::vector<size_t> changed;
    std::map<size_t, QString> newDriverTexts;
};

UpdateStatement buildStatement(const Connection& connection, const QString& tableName,
                               const std::vector<QueryField>& fields, const std::vector<int>& rowIdentity)
{
    UpdateStatement statement;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].isChanged())
            statement.changed.push_back(i);
    }

    QStringList assignments;
    for (size_t i : statement.changed) {
        const QueryField& field = fields[i];
        assignments.append(connection.quoteIdentifier(field.Name()) + QStringLiteral(" = ?"));
        QString driverText;
        if (drivertext::carriesText(field.valueKind()) && !field.Value().isNull()) {
            driverText = drivertext::format(field.valueKind(), field.Value());
            statement.newDriverTexts[i] = driverText;
        }
        statement.setParameters.add(field, field.Value(), driverText);
    }

    std::vector<size_t> named;
    if (rowIdentity.empty()) {
        for (size_t i = 0; i < fields.size(); ++i)
            named.push_back(i);
    } else {
        for (int i : rowIdentity)
            named.push_back(size_t(i));
    }
    for (size_t i : statement.changed) {
        if (std::find(named.begin(), named.end(), i) == named.end())
            named.push_back(i);
    }

    QStringList conditions;
    for (size_t i : named) {
        const QueryField& field = fields[i];
        const QVariant& original = field.OriginalValue();
        const QString column = connection.quoteIdentifier(field.Name());
        if (original.isNull()) {
            conditions.append(column + QStringLiteral(" IS NULL"));
            continue;
        }
        conditions.append(column + QStringLiteral(" = ?"));
        statement.setParameters.add(field, original, field.storedText());
        statement.whereParameters.add(field, original, field.storedText());
    }

    const QString table = connection.quoteIdentifier(tableName);
    const QString where = conditions.join(QStringLiteral(" AND "));
    statement.update = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ")
        + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + where;
    statement.countMatches = QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ") + where;
    return statement;
}

QString mismatchDescription(qint64 rows)
{
    if (rows == 0) {
        return QStringLiteral("The record was not saved: it has been changed or deleted since it was read, so no "
                              "row holds its former values any more. Nothing was written.");
    }
    return QStringLiteral("The record was not saved: %1 rows hold the same values, so this one cannot be told "
                          "apart from the others. Nothing was written.")
        .arg(rows);
}

// The driver's refusal, said as what it means for the record.
DataError notSaved(const DataError& error)
{
    return DataError(error.source(),
                     QStringLiteral("The record was not saved: %1 Nothing was written.").arg(error.description()));
}

qint64 runUpdate(Connection& connection, UpdateStatement& statement)
{
    try {
        OdbcStatement update(connection.handle());
        update.prepare(statement.update);
        statement.setParameters.bind(update);
        update.execute();
        return update.rowCount();
    } catch (const DataError& error) {
        throw notSaved(error);
    }
}

// SQLite: the driver ends its open statement (the record set's cursor) when the connection leaves
// autocommit mode, but a savepoint in plain SQL leaves the cursor alone.
void writeWithSavepoint(Connection& connection, UpdateStatement& statement)
{
    connection.Execute(QStringLiteral("SAVEPOINT dorvane_row_update"));
    const auto undo = [&] {
        try {
            connection.Execute(QStringLiteral("ROLLBACK TO SAVEPOINT dorvane_row_update"));
            connection.Execute(QStringLiteral("RELEASE SAVEPOINT dorvane_row_update"));
        } catch (const DataError&) {
            try {
                connection.Execute(QStringLiteral("ROLLBACK"));
            } catch (const DataError&) {
            }
        }
    };
    qint64 rows = 0;
    try {
        rows = runUpdate(connection, statement);
    } catch (const DataError&) {
        undo();
        throw;
    }
    if (rows != 1) {
        undo();
        throw updateError(mismatchDescription(rows));
    }
    try {
        connection.Execute(QStringLiteral("RELEASE SAVEPOINT dorvane_row_update"));
    } catch (const DataError& error) {
        // The commit failed (another connection holds the file): the change must not linger.
        undo();
        throw notSaved(error);
    }
}

void writeInTransaction(Connection& connection, UpdateStatement& statement)
{
    SQLHDBC dbc = connection.handle();
    checkOdbc(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr");
    const auto rollBack = [&] {
        SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    };
    qint64 rows = 0;
    try {
        rows = runUpdate(connection, statement);
    } catch (const DataError&) {
        rollBack();
        throw;
    }
    if (rows != 1) {
        rollBack();
        throw updateError(mismatchDescription(rows));
    }
    if (!odbcSucceeded(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT))) {
        const DataError error = notSaved(odbcError(SQL_HANDLE_DBC, dbc, "SQLEndTran"));
        rollBack();
        throw error;
    }
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

// Without transactions nothing can be undone, so the matching rows are counted before writing.
void writeAfterCounting(Connection& connection, UpdateStatement& statement)
{
    {
        OdbcStatement count(connection.handle());
        count.prepare(statement.countMatches);
        statement.whereParameters.bind(count);
        count.execute();
        const qint64 matches = count.scalarInt64().value_or(0);
        if (matches != 1)
            throw updateError(mismatchDescription(matches));
    }
    const qint64 rows = runUpdate(connection, statement);
    if (rows != 1 && rows != -1) {
        throw updateError(QStringLiteral("The data source changed %1 rows instead of one and cannot undo it, "
                                         "because it has no transactions.")
                              .arg(rows));
    }
}

std::vector<int> columnPositions(const QStringList& names, const std::vector<QueryField>& fields)
{
    std::vector<int> positions;
    for (const QString& name : names) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const QueryField& field) {
            return field.Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == fields.end())
            return {};
        positions.push_back(int(found - fields.begin()));
    }
    return positions;
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
        const auto name = statement.text(4, buffer);
        const auto sequence = statement.int64(5);
        if (name)
            bySequence[sequence.value_or(qint64(bySequence.size()) + 1)] = *name;
    }
    QStringList names;
    for (const auto& [sequence, name] : bySequence)
        names.append(name);
    return names;
}

QStringList bestRowIdentifier(Connection& connection, const QString& tableName)
{
    OdbcStatement statement(connection.handle());
    QByteArray table = odbctext::encode(tableName);
    checkOdbc(SQLSpecialColumns(statement.handle(), SQL_BEST_ROWID, nullptr, 0, nullptr, 0, odbctext::sqlChars(table),
                                SQL_NTS, SQL_SCOPE_CURROW, SQL_NULLABLE),
              statement.odbcHandle(), "SQLSpecialColumns");
    std::vector<SQLWCHAR> buffer(256);
    QStringList names;
    while (statement.fetch()) {
        const auto name = statement.text(2, buffer);
        const auto pseudo = statement.int64(8);
        // A pseudo column (SQLite's _ROWID_) is not in the result of "Select *", so it cannot name the row.
        if (!name || pseudo.value_or(SQL_PC_UNKNOWN) == SQL_PC_PSEUDO)
            return {};
        names.append(*name);
    }
    return names;
}

} // namespace

std::vector<int> RowUpdate::findRowIdentity(Connection& connection, const QString& tableName,
                                            const std::vector<QueryField>& fields)
{
    // A driver without these catalog functions simply leaves the row to be named by all its values.
    try {
        const std::vector<int> key = columnPositions(primaryKeyColumns(connection, tableName), fields);
        if (!key.empty())
            return key;
    } catch (const DataError&) {
    }
    try {
        return columnPositions(bestRowIdentifier(connection, tableName), fields);
    } catch (const DataError&) {
    }
    return {};
}

void RowUpdate::write(Connection& connection, const QString& tableName, std::vector<QueryField>& fields,
                      const std::vector<int>& rowIdentity)
{
    UpdateStatement statement = buildStatement(connection, tableName, fields, rowIdentity);
    if (statement.changed.empty())
        return;
    switch (connection.rowUpdateGuard()) {
    case Connection::RowUpdateGuard::Savepoint:
        writeWithSavepoint(connection, statement);
        break;
    case Connection::RowUpdateGuard::Transaction:
        writeInTransaction(connection, statement);
        break;
    case Connection::RowUpdateGuard::CountFirst:
        writeAfterCounting(connection, statement);
        break;
    }
    for (size_t i : statement.changed) {
        QueryField& field = fields[i];
        const auto text = statement.newDriverTexts.find(i);
        field.m_storedText = text != statement.newDriverTexts.end() ? text->second : QString();
        field.m_original = QVariant();
        field.m_changed = false;
    }
}

qint64 RowUpdate::countMatches(Connection& connection, const QString& tableName, const std::vector<QueryField>& fields,
                               const std::vector<int>& rowIdentity)
{
    UpdateStatement statement = buildStatement(connection, tableName, fields, rowIdentity);
    OdbcStatement count(connection.handle());
    count.prepare(statement.countMatches);
    statement.whereParameters.bind(count);
    count.execute();
    return count.scalarInt64().value_or(0);
}

} // namespace dorvane
