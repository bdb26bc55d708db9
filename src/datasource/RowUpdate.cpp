#include "datasource/RowUpdate.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/DriverText.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"
#include "datasource/OdbcText.h"
#include "datasource/StatementParameters.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <map>

#include <sqlext.h>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

DataError updateError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Recordset"), description);
}

// The statement, its parameters in order, and the WHERE part on its own for counting first.
struct UpdateStatement
{
    explicit UpdateStatement(StatementParameters::TextEncoding encoding)
        : setParameters(encoding), whereParameters(encoding)
    {
    }

    QString update;
    QString countMatches;
    StatementParameters setParameters; // SET values followed by the WHERE values
    StatementParameters whereParameters; // the WHERE values alone
    std::vector<size_t> changed;
    std::vector<size_t> written; // the changed fields whose value differs from the one read
    std::map<size_t, QString> newDriverTexts;
};

// True when a value written into a field is the one it was read with: then nothing needs writing, and
// writing it could still change the stored value where the driver rounds what it reads (see
// Connection::roundsRealsToText) or fire the table's update triggers for nothing. Numbers compare by
// their bits, so -0 differs from 0.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType().id() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.metaType().id() == QMetaType::Float) {
        const float x = a.toFloat();
        const float y = b.toFloat();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    return a == b;
}

UpdateStatement buildStatement(const Connection& connection, const QString& tableName,
                               const std::vector<QueryField>& fields, const std::vector<int>& rowIdentity)
{
    UpdateStatement statement(connection.bindsUtf8Text() ? StatementParameters::TextEncoding::Utf8
                                                         : StatementParameters::TextEncoding::Utf16);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].isChanged()) {
            statement.changed.push_back(i);
            if (!sameValue(fields[i].Value(), fields[i].OriginalValue()))
                statement.written.push_back(i);
        }
    }

    QStringList assignments;
    for (size_t i : statement.written) {
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
        if (field.valueKind() == ValueKind::Double && !field.storedText().isEmpty()) {
            // The driver's rounded text of the stored REAL is SQLite's own text of it.
            conditions.append(QStringLiteral("CAST(") + column + QStringLiteral(" AS TEXT) = ?"));
            statement.setParameters.addText(field.storedText());
            statement.whereParameters.addText(field.storedText());
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
            connection.Execute(QStringLiteral("ROLLBACK TO dorvane_row_update"));
            connection.Execute(QStringLiteral("RELEASE dorvane_row_update"));
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
        connection.Execute(QStringLiteral("RELEASE dorvane_row_update"));
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

// The row must still be there with the values it was read with, and only once.
void requireOneMatchingRow(Connection& connection, UpdateStatement& statement)
{
    OdbcStatement count(connection.handle());
    count.prepare(statement.countMatches);
    statement.whereParameters.bind(count);
    count.execute();
    const qint64 matches = count.scalarInt64().value_or(0);
    if (matches != 1)
        throw updateError(mismatchDescription(matches));
}

// Without transactions nothing can be undone, so the matching rows are counted before writing.
void writeAfterCounting(Connection& connection, UpdateStatement& statement)
{
    requireOneMatchingRow(connection, statement);
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
    // A driver may answer the call without making its result (MDB Tools' stubs): nothing to fetch then.
    if (statement.resultColumnCount() < 6)
        return {};
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
    if (statement.resultColumnCount() < 8) // as for SQLPrimaryKeys
        return {};
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
    if (statement.written.empty()) {
        // Every change writes back the value read: nothing to write, but the save must still fail, as a
        // write would, when the row has changed meanwhile.
        requireOneMatchingRow(connection, statement);
        for (size_t i : statement.changed) {
            fields[i].m_original = QVariant();
            fields[i].m_changed = false;
        }
        return;
    }
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
        if (std::find(statement.written.begin(), statement.written.end(), i) != statement.written.end()) {
            // Without a driver text of its own a written double is named by its value next time, which
            // the driver stored exactly.
            const auto text = statement.newDriverTexts.find(i);
            field.m_storedText = text != statement.newDriverTexts.end() ? text->second : QString();
        }
        field.m_original = QVariant();
        field.m_changed = false;
    }
}

} // namespace dorvane
