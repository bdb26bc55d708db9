#include "datasource/KeyRangeReader.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcDiagnostics.h"

#include <QStringList>

#include <algorithm>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

int testPieceRows = 0;
std::optional<bool> testReadAhead;
std::function<void()> testBeforeReadAhead;

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

void KeyRangeReader::setReadAheadForTesting(std::optional<bool> readAhead, std::function<void()> beforeEach)
{
    testReadAhead = readAhead;
    testBeforeReadAhead = std::move(beforeEach);
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

KeyRangeReader::~KeyRangeReader()
{
    dropAhead();
    // The statements go before the siblings they run on.
    m_statement.reset();
    m_conditionParameters.reset();
    m_connection.giveBackReadingSibling(std::move(m_aheadSibling));
    m_connection.giveBackReadingSibling(std::move(m_spareSibling));
}

QString KeyRangeReader::pieceQuery(bool first, int rows, int offset) const
{
    // tableQuery ends with a blank: "Select * FROM [name] ".
    QString where;
    if (!first)
        where = m_condition ? QLatin1Char('(') + m_after + QStringLiteral(") AND ") : m_after + QLatin1Char(' ');
    if (m_condition)
        where += QLatin1Char('(') + m_condition->sql + QStringLiteral(") ");
    return m_tableQuery + (where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where) + QStringLiteral("ORDER BY ")
        + m_orderBy + QStringLiteral(" LIMIT ") + QString::number(rows)
        + (offset > 0 ? QStringLiteral(" OFFSET ") + QString::number(offset) : QString());
}

int KeyRangeReader::nextPieceRows() const
{
    if (testPieceRows > 0)
        return testPieceRows;
    if (m_rowBytes == 0)
        return m_pieceRows;
    const qint64 fitting = std::clamp<qint64>(PieceBytes / m_rowBytes, FirstPieceRows, MaxPieceRows);
    // Grow step by step: the first rows of a table need not weigh what the rest does.
    return int(std::min<qint64>(fitting, qint64(m_pieceRows) * 4));
}

void KeyRangeReader::restart()
{
    dropAhead();
    m_checkingStart = false;
    m_piecesRun = 0;
    m_piecesReadAhead = 0;
    m_pieceRows = testPieceRows > 0 ? testPieceRows : (m_condition ? m_firstPieceRows : FirstPieceRows);
    m_sampledBytes = 0;
    m_sampledRows = 0;
    m_rowBytes = 0;
    runPiece(true);
}

void KeyRangeReader::runPiece(bool first)
{
    if (m_statement)
        m_statement->closeCursor(); // frees the last piece's rows in the driver before the next arrive
    dropAhead();
    m_startKey = first ? Key() : copyOf(m_lastKey);
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
    ++m_piecesRun;
    startAhead(first);
}

SQLUSMALLINT KeyRangeReader::bindLastKey()
{
    return bindKey(*m_statement, m_lastKey, m_placeholders);
}

SQLUSMALLINT KeyRangeReader::bindKey(OdbcStatement& statement, Key& key, const std::vector<size_t>& placeholders)
{
    SQLUSMALLINT number = 1;
    for (size_t index : placeholders) {
        BoundValue& value = key[index];
        checkOdbc(SQLBindParameter(statement.handle(), number++, SQL_PARAM_INPUT, value.cType, value.sqlType,
                                   value.columnSize, value.digits, value.buffer, value.bufferLength, &value.indicator),
                  statement.odbcHandle(), "SQLBindParameter");
    }
    return number;
}

bool KeyRangeReader::readsAhead() const
{
    if (testReadAhead)
        return *testReadAhead && m_piecesRun >= 1;
    // The first piece is small and often the whole table: reading ahead, which may open a connection,
    // starts with the third.
    return m_connection.tableReading() == Connection::TableReading::PostgreSqlKeyRanges && m_piecesRun >= 2;
}

void KeyRangeReader::startAhead(bool currentIsFirst)
{
    if (m_readAheadFailed || !readsAhead())
        return;
    auto ahead = std::make_unique<AheadPiece>();
    try {
        ahead->sibling = m_spareSibling ? std::move(m_spareSibling) : m_connection.takeReadingSibling();
    } catch (const DataError&) {
        m_readAheadFailed = true; // read here, as without a sibling
        return;
    }
    ahead->startKey = copyOf(m_startKey);
    ahead->pieceRows = nextPieceRows(); // by the rows of the piece before the current one
    if (m_condition)
        ahead->conditionTexts = m_condition->texts;
    // The current piece's last row first, then the piece after it.
    const QString sql = pieceQuery(currentIsFirst, ahead->pieceRows + 1, m_pieceRows - 1);
    AheadPiece* piece = ahead.get();
    const std::vector<size_t> placeholders = currentIsFirst ? std::vector<size_t>() : m_placeholders;
    piece->executed = std::async(std::launch::async, [piece, sql, placeholders, before = testBeforeReadAhead] {
        if (before)
            before();
        Connection& sibling = *piece->sibling;
        piece->statement = std::make_unique<OdbcStatement>(sibling.handle());
        piece->statement->prepare(sql);
        const SQLUSMALLINT next = placeholders.empty() ? 1 : bindKey(*piece->statement, piece->startKey, placeholders);
        if (!piece->conditionTexts.isEmpty()) {
            piece->parameters = std::make_unique<StatementParameters>(sibling.bindsUtf8Text()
                                                                          ? StatementParameters::TextEncoding::Utf8
                                                                          : StatementParameters::TextEncoding::Utf16);
            for (const QString& text : piece->conditionTexts)
                piece->parameters->addText(text);
            piece->parameters->bind(*piece->statement, next);
        }
        piece->statement->execute();
    });
    m_ahead = std::move(ahead);
}

bool KeyRangeReader::takeAhead()
{
    if (!m_ahead)
        return false;
    std::unique_ptr<AheadPiece> ahead = std::move(m_ahead);
    try {
        ahead->executed.get();
    } catch (const DataError&) {
        ahead->statement.reset();
        m_spareSibling = std::move(ahead->sibling);
        return false;
    }
    m_statement = std::move(ahead->statement);
    m_prepared.clear(); // a piece run here needs a statement of this connection again
    m_conditionParameters = std::move(ahead->parameters);
    m_connection.giveBackReadingSibling(std::move(m_spareSibling));
    m_spareSibling = std::move(m_aheadSibling); // its statement is gone
    m_aheadSibling = std::move(ahead->sibling);
    m_pieceRows = ahead->pieceRows;
    m_rowsInPiece = 0;
    m_checkingStart = true;
    ++m_piecesRun;
    return true;
}

void KeyRangeReader::dropAhead()
{
    if (!m_ahead)
        return;
    if (m_ahead->executed.valid())
        m_ahead->executed.wait();
    m_ahead->statement.reset();
    m_ahead->parameters.reset();
    if (!m_spareSibling)
        m_spareSibling = std::move(m_ahead->sibling);
    else
        m_connection.giveBackReadingSibling(std::move(m_ahead->sibling));
    m_ahead.reset();
}

bool KeyRangeReader::fetch()
{
    while (true) {
        if (m_statement->fetch()) {
            if (!m_checkingStart)
                ++m_rowsInPiece;
            return true;
        }
        if (m_checkingStart) {
            // Not even the row the walk ended on: the table changed meanwhile.
            m_checkingStart = false;
            runPiece(false);
            continue;
        }
        if (m_rowsInPiece < m_pieceRows)
            return false; // a short piece: the table ends here
        if (m_sampledRows > 0)
            m_rowBytes = std::max<qint64>(1, m_sampledBytes / m_sampledRows);
        m_pieceRows = nextPieceRows();
        m_sampledBytes = 0;
        m_sampledRows = 0;
        if (!takeAhead())
            runPiece(false);
    }
}

bool KeyRangeReader::rememberRow(const std::vector<QueryField>& fields)
{
    if (m_checkingStart) {
        m_checkingStart = false;
        Key start;
        keyOf(fields, m_key, start);
        if (!sameKey(start, m_lastKey)) {
            runPiece(false); // the server counted to another row: read the piece after ours here
            return false;
        }
        m_startKey = copyOf(m_lastKey);
        ++m_piecesReadAhead;
        startAhead(false);
        return false;
    }
    if (m_rowsInPiece % SampleEvery == 1) {
        for (const QueryField& field : fields)
            m_sampledBytes += weightOf(field.OriginalValue());
        ++m_sampledRows;
    }
    if (m_rowsInPiece == m_pieceRows)
        keyOf(fields, m_key, m_lastKey);
    return true;
}

void KeyRangeReader::keyOf(const std::vector<QueryField>& fields, const std::vector<int>& key, Key& into)
{
    into.resize(key.size());
    for (size_t i = 0; i < key.size(); ++i) {
        const QueryField& field = fields[size_t(key[i])];
        const QVariant& read = field.OriginalValue();
        BoundValue& value = into[i];
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

KeyRangeReader::Key KeyRangeReader::copyOf(const Key& key)
{
    Key copy = key;
    // Each value's buffer points into the value itself.
    for (BoundValue& value : copy) {
        switch (value.cType) {
        case SQL_C_SBIGINT:
            value.buffer = &value.integer;
            break;
        case SQL_C_UBIGINT:
            value.buffer = &value.unsignedInteger;
            break;
        case SQL_C_BINARY:
            value.bytes.detach();
            value.buffer = value.bytes.data();
            break;
        default:
            value.text.detach();
            value.buffer = value.text.data();
            break;
        }
    }
    return copy;
}

bool KeyRangeReader::sameKey(const Key& a, const Key& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const BoundValue& x, const BoundValue& y) {
        if (x.cType != y.cType)
            return false;
        switch (x.cType) {
        case SQL_C_SBIGINT:
            return x.integer == y.integer;
        case SQL_C_UBIGINT:
            return x.unsignedInteger == y.unsignedInteger;
        case SQL_C_BINARY:
            return x.bytes == y.bytes;
        default:
            return x.text == y.text;
        }
    });
}

} // namespace dorvane
