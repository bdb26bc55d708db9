#include "datasource/QueryRecordSet.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionConstants.h"
#include "datasource/DriverText.h"
#include "datasource/KeyRangeReader.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"
#include "datasource/OdbcText.h"
#include "datasource/ReadingKey.h"
#include "datasource/RowUpdate.h"
#include "datasource/SqliteColumnNames.h"
#include "datasource/StatementParameters.h"

#include <algorithm>
#include <limits>

#include <sqlext.h>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

DataError recordSetError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Recordset"), description);
}

int clampToInt(quint64 value)
{
    return value > quint64(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(value);
}

int definedSizeFor(ValueKind kind, SQLULEN columnSize, SQLLEN displaySize)
{
    if (kind == ValueKind::Text || kind == ValueKind::Binary)
        return columnSize == 0 ? std::numeric_limits<int>::max() : clampToInt(columnSize);
    if (displaySize > 0)
        return clampToInt(quint64(displaySize));
    return clampToInt(columnSize);
}

// The SQL text without a closing ';', so that it can stand inside a subquery.
QString withoutTerminator(QString sql)
{
    sql = sql.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql = sql.chopped(1).trimmed();
    return sql;
}

} // namespace

QueryRecordSet::QueryRecordSet() = default;

QueryRecordSet::~QueryRecordSet()
{
    Close();
}

void QueryRecordSet::OpenTable(Connection& connection, const QString& tableName)
{
    open(connection, connection.tableQuery(tableName), tableName, true);
}

void QueryRecordSet::OpenTable(Connection& connection, const QString& tableName, const RowChooser& chooser)
{
    open(connection, connection.tableQuery(tableName), tableName, true, &chooser);
}

void QueryRecordSet::Open(Connection& connection, const QString& sqlText)
{
    open(connection, sqlText, QString(), true);
}

void QueryRecordSet::OpenStructure(Connection& connection, const QString& tableName)
{
    open(connection, connection.tableQuery(tableName), tableName, false);
}

void QueryRecordSet::open(Connection& connection, const QString& source, const QString& tableName, bool runQuery,
                          const RowChooser* chooser)
{
    Close();
    try {
        m_statement = std::make_unique<OdbcStatement>(connection.handle());
        m_connection = &connection;
        m_utf8Text = connection.deliversUtf8Text();
        m_realsAsText = connection.roundsRealsToText();
        connection.attach(this);
        m_source = source;
        m_tableName = tableName;
        m_statement->prepare(source);
        // Some drivers (MDB Tools) describe a result only once it has run; it is then read from there.
        if (m_statement->resultColumnCount() == 0)
            execute();
        describeColumns();
        if (chooser && *chooser && !tableName.isEmpty())
            m_condition = (*chooser)(connection, m_fields);
        if (runQuery) {
            if (!m_executed)
                execute();
            m_position = 0;
            fetchRow();
        } else {
            showNoRow();
        }
    } catch (...) {
        Close();
        throw;
    }
}

void QueryRecordSet::describeColumns()
{
    const qint16 count = m_statement->resultColumnCount();
    if (count <= 0)
        throw recordSetError(QStringLiteral("The SQL text returns no records: %1").arg(m_source));
    m_fields.assign(size_t(count), QueryField());
    for (SQLUSMALLINT column = 1; column <= SQLUSMALLINT(count); ++column) {
        QByteArray name(256, '\0');
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLRETURN rc = SQLDescribeCol(m_statement->handle(), column, odbctext::sqlChars(name), SQLSMALLINT(name.size()),
                                      &nameLength, &sqlType, &columnSize, &digits, &nullable);
        if (rc == SQL_SUCCESS_WITH_INFO && nameLength >= name.size()) {
            name.resize(nameLength + 1);
            rc = SQLDescribeCol(m_statement->handle(), column, odbctext::sqlChars(name), SQLSMALLINT(name.size()),
                                &nameLength, &sqlType, &columnSize, &digits, &nullable);
        }
        checkOdbc(rc, m_statement->odbcHandle(), "SQLDescribeCol");
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(m_statement->handle(), column, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        SQLLEN displaySize = 0;
        SQLColAttribute(m_statement->handle(), column, SQL_DESC_DISPLAY_SIZE, nullptr, 0, nullptr, &displaySize);
        QByteArray typeName(128, '\0');
        SQLSMALLINT typeNameBytes = 0;
        if (!odbcSucceeded(SQLColAttribute(m_statement->handle(), column, SQL_DESC_TYPE_NAME, typeName.data(),
                                           SQLSMALLINT(typeName.size()), &typeNameBytes, nullptr)))
            typeNameBytes = 0;

        const bool integerType
            = sqlType == SQL_TINYINT || sqlType == SQL_SMALLINT || sqlType == SQL_INTEGER || sqlType == SQL_BIGINT;
        QueryField& field = m_fields[column - 1];
        field.m_name = odbctext::decode(odbctext::sqlChars(name), qMin<qsizetype>(nameLength, name.size() - 1));
        field.m_sqlType = sqlType;
        field.m_columnSize = columnSize;
        field.m_decimalDigits = digits;
        field.m_serverTypeName
            = QString::fromUtf8(typeName.constData(), std::clamp<qsizetype>(typeNameBytes, 0, typeName.size() - 1));
        const int reportedType = m_connection->reportsWideText() ? odbctypes::wideCharacterType(sqlType) : int(sqlType);
        field.m_type = odbctypes::adoTypeForSqlType(reportedType, integerType && isUnsigned == SQL_TRUE);
        field.m_kind = odbctypes::valueKindForAdoType(field.m_type);
        field.m_wideInteger = field.m_kind == ValueKind::Integer && m_connection->storesWideIntegers();
        field.m_definedSize = definedSizeFor(field.m_kind, columnSize, displaySize);
    }
    if (!m_tableName.isEmpty() && m_connection->dbmsName().compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        const QStringList names = SqliteColumnNames::of(m_connection->handle(), m_tableName);
        if (names.size() == qsizetype(m_fields.size())) {
            for (size_t i = 0; i < m_fields.size(); ++i)
                m_fields[i].m_name = SqliteColumnNames::restored(m_fields[i].m_name, names[qsizetype(i)]);
        }
    }
}

void QueryRecordSet::chooseReading()
{
    m_readingChosen = true;
    if (m_tableName.isEmpty() || m_fields.empty()
        || m_connection->tableReading() == Connection::TableReading::WholeResult)
        return;
    std::vector<int> key = ReadingKey::find(*m_connection, m_tableName, m_fields);
    if (!key.empty())
        m_pieces = std::make_unique<KeyRangeReader>(*m_connection, m_tableName, m_fields, std::move(key), m_condition);
}

void QueryRecordSet::execute()
{
    if (!m_readingChosen)
        chooseReading();
    m_movedRows.clear();
    while (m_pieces) {
        try {
            m_pieces->restart();
            m_reading = &m_pieces->statement();
            m_executed = true;
            return;
        } catch (const DataError&) {
            // A server that refuses the condition tries its simpler form, then reads every row; one
            // that refuses the piece query still has the table's own query: read it whole.
            if (!m_condition)
                m_pieces.reset();
            m_condition = RowCondition::after(m_condition);
            if (m_pieces)
                m_pieces->setCondition(m_condition);
        }
    }
    while (m_condition) {
        try {
            auto statement = std::make_unique<OdbcStatement>(m_connection->handle());
            statement->prepare(m_source + QStringLiteral("WHERE ") + m_condition->sql);
            auto parameters = std::make_unique<StatementParameters>(m_connection->bindsUtf8Text()
                                                                        ? StatementParameters::TextEncoding::Utf8
                                                                        : StatementParameters::TextEncoding::Utf16);
            for (const QString& text : m_condition->texts)
                parameters->addText(text);
            parameters->bind(*statement);
            statement->execute();
            m_statement = std::move(statement);
            m_conditionParameters = std::move(parameters);
            m_reading = m_statement.get();
            m_executed = true;
            return;
        } catch (const DataError&) {
            m_condition = RowCondition::after(m_condition);
        }
    }
    executeWhole();
}

void QueryRecordSet::executeWhole()
{
    if (m_executed || m_conditionParameters) {
        // Running the query again takes a fresh statement: the SQLite driver in StepAPI mode answers a
        // re-executed statement whose cursor was closed halfway with no rows at all.
        auto statement = std::make_unique<OdbcStatement>(m_connection->handle());
        statement->prepare(m_source);
        m_statement = std::move(statement);
        m_conditionParameters.reset();
        m_executed = false;
    }
    m_statement->execute();
    m_reading = m_statement.get();
    m_executed = true;
}

void QueryRecordSet::Close()
{
    if (m_connection) {
        m_connection->detach(this);
        m_connection = nullptr;
    }
    m_pieces.reset();
    m_condition.reset();
    m_readingChosen = false;
    m_reading = nullptr;
    m_statement.reset();
    m_conditionParameters.reset();
    m_fields.clear();
    m_source.clear();
    m_tableName.clear();
    m_executed = false;
    m_eof = true;
    m_position = -1;
    m_recordCount.reset();
    m_rowIdentity.reset();
    m_movedRows.clear();
}

int QueryRecordSet::State() const
{
    return m_statement ? ado::adStateOpen : ado::adStateClosed;
}

void QueryRecordSet::requireOpen() const
{
    if (!m_statement)
        throw recordSetError(QStringLiteral("The record set is closed."));
}

void QueryRecordSet::MoveFirst()
{
    requireOpen();
    if (m_executed && m_position == 0 && !m_eof) {
        CancelUpdate();
        return;
    }
    try {
        execute();
        m_recordCount.reset();
        m_position = 0;
        fetchRow();
    } catch (...) {
        showNoRow();
        throw;
    }
}

void QueryRecordSet::MoveNext()
{
    requireOpen();
    if (m_eof) {
        throw recordSetError(
            QStringLiteral("There is no current record: the record set is already at its end (%1).").arg(m_source));
    }
    ++m_position;
    try {
        fetchRow();
    } catch (...) {
        showNoRow();
        throw;
    }
}

int QueryRecordSet::RecordCount()
{
    requireOpen();
    if (m_recordCount)
        return *m_recordCount;
    const QString countQuery = m_tableName.isEmpty()
        ? QStringLiteral("SELECT COUNT(*) FROM (") + withoutTerminator(m_source) + QStringLiteral(") dorvane_count")
        : QStringLiteral("SELECT COUNT(*) FROM ") + m_connection->quoteIdentifier(m_tableName);
    try {
        OdbcStatement count(m_connection->handle());
        count.executeDirect(countQuery);
        m_recordCount = clampToInt(quint64(std::max<qint64>(0, count.scalarInt64().value_or(0))));
    } catch (const DataError&) {
        if (!m_tableName.isEmpty())
            throw;
        m_recordCount = -1;
    }
    return *m_recordCount;
}

bool QueryRecordSet::fetchFromResult()
{
    if (!m_pieces)
        return m_reading->fetch();
    if (!m_pieces->fetch())
        return false;
    m_reading = &m_pieces->statement(); // a new piece may run on a new statement
    return true;
}

void QueryRecordSet::fetchRow()
{
    const bool writable = !m_tableName.isEmpty();
    while (true) {
        if (!fetchFromResult()) {
            showNoRow();
            return;
        }
        m_eof = false;
        for (size_t i = 0; i < m_fields.size(); ++i) {
            QueryField& field = m_fields[i];
            field.m_changed = false;
            field.m_original = QVariant();
            field.m_onRow = true;
            field.m_writable = writable;
            readField(field, SQLUSMALLINT(i + 1));
        }
        if (m_pieces && !m_pieces->rememberRow(m_fields))
            continue; // read before
        // A row we moved ahead by changing its key comes by a second time; it has been read already.
        if (m_movedRows.isEmpty() || !m_movedRows.remove(rowKey()))
            return;
    }
}

int QueryRecordSet::piecesReadAhead() const
{
    return m_pieces ? m_pieces->piecesReadAhead() : 0;
}

const std::vector<int>& QueryRecordSet::movedRowColumns() const
{
    // Read in pieces, a row comes again when its reading key moved ahead, whatever names it in an UPDATE.
    return m_pieces ? m_pieces->keyColumns() : *m_rowIdentity;
}

QString QueryRecordSet::rowKey() const
{
    QString key;
    for (int column : movedRowColumns()) {
        const QVariant& value = m_fields[size_t(column)].value();
        key += value.isNull()                                ? QStringLiteral("\\N")
            : value.metaType().id() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray().toHex())
                                                             : value.toString();
        key += QChar(0x1f);
    }
    return key;
}

void QueryRecordSet::readField(QueryField& field, SQLUSMALLINT column)
{
    OdbcStatement& statement = *m_reading;
    field.m_undecoded = false; // the bytes of the row before are not this row's
    switch (field.m_kind) {
    case ValueKind::Text: {
        if (m_utf8Text) {
            // Decoded when asked for: most values of a walk are only tested, never shown or written.
            field.releaseLongUtf8();
            if (statement.utf8BytesInto(column, m_utf8Buffer, field.m_utf8))
                field.keepUtf8();
            else
                field.m_value = QVariant();
            return;
        }
        // Into the string of the row before, whose storage is reused unless a copy of it was kept.
        if (field.m_value.metaType() != QMetaType::fromType<QString>())
            field.m_value = QVariant(QString());
        if (!statement.textInto(column, m_textBuffer, *static_cast<QString*>(field.m_value.data())))
            field.m_value = QVariant();
        return;
    }
    case ValueKind::Binary: {
        std::optional<QByteArray> bytes = statement.binary(column, m_binaryBuffer);
        field.m_value = bytes ? QVariant(std::move(*bytes)) : QVariant();
        return;
    }
    case ValueKind::Integer: {
        const std::optional<qint64> n
            = field.m_wideInteger ? statement.int64(column) : statement.integer(column, field.m_sqlType);
        if (!n)
            field.m_value = QVariant();
        else if (field.m_type == ado::adBigInt || qint64(int(*n)) != *n)
            field.m_value = QVariant::fromValue(qlonglong(*n));
        else
            field.m_value = QVariant::fromValue(int(*n));
        return;
    }
    case ValueKind::UnsignedInteger: {
        const std::optional<quint64> n = statement.unsignedInteger(column, field.m_sqlType);
        if (!n)
            field.m_value = QVariant();
        else if (field.m_type == ado::adUnsignedBigInt)
            field.m_value = QVariant::fromValue(qulonglong(*n));
        else if (field.m_type == ado::adUnsignedInt)
            field.m_value = QVariant::fromValue(uint(*n));
        else
            field.m_value = QVariant::fromValue(int(*n));
        return;
    }
    case ValueKind::Single: {
        const std::optional<float> d = statement.single(column);
        field.m_value = d ? QVariant::fromValue(*d) : QVariant();
        return;
    }
    case ValueKind::Double: {
        if (m_realsAsText) {
            // The driver's text goes into the previous row's, like text values.
            if (statement.utf8TextInto(column, m_utf8Buffer, field.m_storedText)) {
                field.m_value = drivertext::parseReal(field.m_storedText);
            } else {
                field.m_storedText.clear();
                field.m_value = QVariant();
            }
            return;
        }
        const std::optional<double> d = statement.real(column);
        field.m_value = d ? QVariant::fromValue(*d) : QVariant();
        return;
    }
    case ValueKind::Boolean: {
        const std::optional<bool> b = statement.bit(column);
        field.m_value = b ? QVariant::fromValue(*b) : QVariant();
        return;
    }
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
    case ValueKind::Decimal:
    case ValueKind::Guid: {
        // ODBC writes these as ASCII (ISO dates and times, digits, signs, the point, hex digits) in any
        // character set: the narrow read is the same text without the driver's conversion to UTF-16 for
        // every value.
        if (!statement.utf8TextInto(column, m_utf8Buffer, field.m_storedText)) {
            field.m_storedText.clear();
            field.m_value = QVariant();
            return;
        }
        field.m_value = drivertext::parse(field.m_kind, field.m_storedText);
        return;
    }
    }
}

void QueryRecordSet::showNoRow()
{
    m_eof = true;
    for (QueryField& field : m_fields) {
        field.m_undecoded = false;
        field.m_value = QVariant();
        field.m_original = QVariant();
        field.m_storedText.clear();
        field.m_changed = false;
        field.m_onRow = false;
        field.m_writable = false;
    }
}

const QueryField& QueryRecordSet::fieldAt(int index) const
{
    if (index < 0 || size_t(index) >= m_fields.size())
        throw recordSetError(QStringLiteral("There is no field at position %1.").arg(index));
    return m_fields[size_t(index)];
}

const QueryField& QueryRecordSet::fieldNamed(const QString& name) const
{
    for (const QueryField& field : m_fields) {
        if (field.Name().compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    throw recordSetError(QStringLiteral("There is no field named \"%1\".").arg(name));
}

QueryField& QueryRecordSet::Fields(int index)
{
    return const_cast<QueryField&>(fieldAt(index));
}

const QueryField& QueryRecordSet::Fields(int index) const
{
    return fieldAt(index);
}

QueryField& QueryRecordSet::Fields(const QString& name)
{
    return const_cast<QueryField&>(fieldNamed(name));
}

const QueryField& QueryRecordSet::Fields(const QString& name) const
{
    return fieldNamed(name);
}

void QueryRecordSet::Update()
{
    requireOpen();
    if (m_eof)
        throw recordSetError(QStringLiteral("The record cannot be saved: the record set has no current record."));
    if (m_tableName.isEmpty())
        throw recordSetError(QStringLiteral("The record set is read-only: it was opened on an SQL text."));
    if (std::none_of(m_fields.begin(), m_fields.end(), [](const QueryField& field) { return field.isChanged(); }))
        return;
    try {
        rowIdentityColumns();
        const std::vector<int>& moving = movedRowColumns();
        const bool keyChanged = std::any_of(moving.begin(), moving.end(),
                                            [&](int column) { return m_fields[size_t(column)].isChanged(); });
        if (m_pieces && keyChanged)
            m_pieces->keyChanged();
        RowUpdate::write(*m_connection, m_tableName, m_fields, *m_rowIdentity);
        if (keyChanged)
            m_movedRows.insert(rowKey());
    } catch (...) {
        CancelUpdate();
        throw;
    }
}

const std::vector<int>& QueryRecordSet::rowIdentityColumns()
{
    requireOpen();
    if (!m_rowIdentity) {
        m_rowIdentity = m_tableName.isEmpty() ? std::vector<int>()
                                              : RowUpdate::findRowIdentity(*m_connection, m_tableName, m_fields);
    }
    return *m_rowIdentity;
}

void QueryRecordSet::CancelUpdate()
{
    for (QueryField& field : m_fields) {
        if (field.m_changed) {
            field.value() = field.m_original;
            field.m_original = QVariant();
            field.m_changed = false;
        }
    }
}

} // namespace dorvane
