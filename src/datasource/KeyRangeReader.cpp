#include "datasource/KeyRangeReader.h"

#include "datasource/Connection.h"
#include "datasource/OdbcDiagnostics.h"

#include <QStringList>

#include <algorithm>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

int testPieceRows = 0;

// Every eighth row is weighed to size the next piece; weighing all of them would cost more than it tells.
constexpr int SampleEvery = 8;

qint64 weightOf(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return qint64(static_cast<const QString*>(value.constData())->size()) * 2 + 24;
    case QMetaType::QByteArray:
        return qint64(static_cast<const QByteArray*>(value.constData())->size()) + 24;
    default:
        return 16;
    }
}

} // namespace

void KeyRangeReader::setPieceRowsForTesting(int rows)
{
    testPieceRows = std::max(0, rows);
}

KeyRangeReader::KeyRangeReader(Connection& connection, const QString& tableName, const std::vector<QueryField>& fields,
                               std::vector<int> key, std::optional<RowCondition> condition)
    : m_connection(connection), m_tableQuery(connection.tableQuery(tableName)), m_key(std::move(key)),
      m_condition(std::move(condition))
{
    const bool rowValues = connection.tableReading() == Connection::TableReading::PostgreSqlKeyRanges;
    QStringList columns;
    QStringList values;
    for (int position : m_key) {
        const QueryField& field = fields[size_t(position)];
        columns.append(connection.quoteIdentifier(field.Name()));
        // MySQL's manual compares a DECIMAL column with a text as floating-point numbers, which cannot
        // tell long decimals apart (MariaDB compares them exactly); as a DECIMAL of the column's own size
        // the value compares exactly on both.
        if (!rowValues && field.valueKind() == ValueKind::Decimal && field.columnSize() > 0) {
            const int precision = int(std::min<quint64>(field.columnSize(), 65));
            const int scale = std::clamp(field.decimalDigits(), 0, std::min(precision, 38));
            values.append(QStringLiteral("CAST(? AS DECIMAL(%1,%2))").arg(precision).arg(scale));
        } else {
            values.append(QStringLiteral("?"));
        }
        m_lastKey.emplace_back();
    }
    m_orderBy = columns.join(QStringLiteral(", "));

    // The most a row can weigh by its declared sizes (texts as UTF-16); an unbounded column stays unknown.
    qint64 declaredBytes = 0;
    for (const QueryField& field : fields) {
        const bool sized = field.valueKind() == ValueKind::Text || field.valueKind() == ValueKind::Binary;
        declaredBytes += sized
            ? qint64(std::min<quint64>(field.columnSize() ? field.columnSize() : PieceBytes, PieceBytes)) * 2 + 24
            : 16;
    }
    if (declaredBytes * FirstChosenPieceRows <= PieceBytes)
        m_firstPieceRows = FirstChosenPieceRows;

    if (rowValues) {
        // PostgreSQL turns a row-value comparison into one range of the key's index.
        m_after = m_key.size() == 1 ? columns.first() + QStringLiteral(" > ") + values.first()
                                    : QStringLiteral("(%1) > (%2)").arg(m_orderBy, values.join(QStringLiteral(", ")));
        for (size_t i = 0; i < m_key.size(); ++i)
            m_placeholders.push_back(i);
        return;
    }
    // k1 > ? OR (k1 = ? AND k2 > ?) OR ...: the MySQL family makes exact index ranges of these.
    QStringList alternatives;
    for (size_t last = 0; last < m_key.size(); ++last) {
        QStringList terms;
        for (size_t i = 0; i <= last; ++i) {
            terms.append(columns.at(qsizetype(i)) + (i == last ? QStringLiteral(" > ") : QStringLiteral(" = "))
                         + values.at(qsizetype(i)));
            m_placeholders.push_back(i);
        }
        alternatives.append(QLatin1Char('(') + terms.join(QStringLiteral(" AND ")) + QLatin1Char(')'));
    }
    m_after = alternatives.join(QStringLiteral(" OR "));
}

QString KeyRangeReader::pieceQuery(bool first, int rows) const
{
    // tableQuery ends with a blank: "Select * FROM [name] ".
    QString where;
    if (!first)
        where = m_condition ? QLatin1Char('(') + m_after + QStringLiteral(") AND ") : m_after + QLatin1Char(' ');
    if (m_condition)
        where += QLatin1Char('(') + m_condition->sql + QStringLiteral(") ");
    return m_tableQuery + (where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where) + QStringLiteral("ORDER BY ")
        + m_orderBy + QStringLiteral(" LIMIT ") + QString::number(rows);
}

int KeyRangeReader::nextPieceRows() const
{
    if (testPieceRows > 0)
        return testPieceRows;
    if (m_sampledRows == 0)
        return m_pieceRows;
    const qint64 rowBytes = std::max<qint64>(1, m_sampledBytes / m_sampledRows);
    const qint64 fitting = std::clamp<qint64>(PieceBytes / rowBytes, FirstPieceRows, MaxPieceRows);
    // Grow step by step: the first rows of a table need not weigh what the rest does.
    return int(std::min<qint64>(fitting, qint64(m_pieceRows) * 4));
}

void KeyRangeReader::restart()
{
    m_pieceRows = testPieceRows > 0 ? testPieceRows : (m_condition ? m_firstPieceRows : FirstPieceRows);
    m_sampledBytes = 0;
    m_sampledRows = 0;
    runPiece(true);
}

void KeyRangeReader::runPiece(bool first)
{
    if (m_statement)
        m_statement->closeCursor(); // frees the last piece's rows in the driver before the next arrive
    const QString sql = pieceQuery(first, m_pieceRows);
    if (!m_statement || sql != m_prepared) {
        auto statement = std::make_unique<OdbcStatement>(m_connection.handle());
        statement->prepare(sql);
        m_statement = std::move(statement);
        m_prepared = sql;
    }
    SQLUSMALLINT next = 1;
    if (!first)
        next = bindLastKey();
    if (m_condition) {
        // The condition's texts are the same for every piece; they are bound anew after the key's.
        m_conditionParameters = std::make_unique<StatementParameters>(m_connection.bindsUtf8Text()
                                                                          ? StatementParameters::TextEncoding::Utf8
                                                                          : StatementParameters::TextEncoding::Utf16);
        for (const QString& text : m_condition->texts)
            m_conditionParameters->addText(text);
        m_conditionParameters->bind(*m_statement, next);
    }
    m_rowsInPiece = 0;
    m_statement->execute();
}

SQLUSMALLINT KeyRangeReader::bindLastKey()
{
    SQLUSMALLINT number = 1;
    for (size_t index : m_placeholders) {
        BoundValue& value = m_lastKey[index];
        checkOdbc(SQLBindParameter(m_statement->handle(), number++, SQL_PARAM_INPUT, value.cType, value.sqlType,
                                   value.columnSize, value.digits, value.buffer, value.bufferLength, &value.indicator),
                  m_statement->odbcHandle(), "SQLBindParameter");
    }
    return number;
}

bool KeyRangeReader::fetch()
{
    while (true) {
        if (m_statement->fetch()) {
            ++m_rowsInPiece;
            return true;
        }
        if (m_rowsInPiece < m_pieceRows)
            return false; // a short piece: the table ends here
        m_pieceRows = nextPieceRows();
        m_sampledBytes = 0;
        m_sampledRows = 0;
        runPiece(false);
    }
}

void KeyRangeReader::rememberRow(const std::vector<QueryField>& fields)
{
    if (m_rowsInPiece % SampleEvery == 1) {
        for (const QueryField& field : fields)
            m_sampledBytes += weightOf(field.OriginalValue());
        ++m_sampledRows;
    }
    if (m_rowsInPiece != m_pieceRows)
        return;
    for (size_t i = 0; i < m_key.size(); ++i) {
        const QueryField& field = fields[size_t(m_key[i])];
        const QVariant& read = field.OriginalValue();
        BoundValue& value = m_lastKey[i];
        value.sqlType = SQLSMALLINT(field.sqlType());
        value.columnSize = 0;
        value.digits = 0;
        switch (field.valueKind()) {
        case ValueKind::Integer:
            value.cType = SQL_C_SBIGINT;
            value.integer = read.toLongLong();
            value.buffer = &value.integer;
            value.bufferLength = 0;
            value.indicator = sizeof value.integer;
            break;
        case ValueKind::UnsignedInteger:
            value.cType = SQL_C_UBIGINT;
            value.unsignedInteger = read.toULongLong();
            value.buffer = &value.unsignedInteger;
            value.bufferLength = 0;
            value.indicator = sizeof value.unsignedInteger;
            break;
        case ValueKind::Binary:
            value.cType = SQL_C_BINARY;
            value.sqlType = SQL_VARBINARY;
            value.bytes = read.toByteArray();
            value.buffer = value.bytes.data();
            value.bufferLength = value.bytes.size();
            value.indicator = value.bytes.size();
            value.columnSize = std::max<SQLULEN>(1, SQLULEN(value.bytes.size()));
            break;
        default:
            // Text as read; dates, times, decimals and GUIDs as the driver's own text of them, which the
            // server parses back into the column's type. Bound as plain character data: psqlODBC then
            // sends a parameter of unknown type that the server reads as the column's type (and
            // collation), where a typed one would be converted, e.g. a timestamp cast to its zone-less kin.
            value.cType = SQL_C_WCHAR;
            value.sqlType = SQL_WVARCHAR;
            value.text = field.valueKind() == ValueKind::Text ? read.toString() : field.storedText();
            value.buffer = value.text.data();
            value.bufferLength = SQLLEN(value.text.size() * sizeof(SQLWCHAR));
            value.indicator = value.bufferLength;
            value.columnSize = std::max<SQLULEN>(1, SQLULEN(value.text.size()));
            break;
        }
    }
}

} // namespace dorvane
