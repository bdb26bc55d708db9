#include "engine/ChangeJournal.h"

#include "core/DataError.h"
#include "datasource/BoundStatement.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/OdbcStatement.h"
#include "datasource/PasswordFreeSource.h"
#include "datasource/QueryRecordSet.h"
#include "engine/JournalValue.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace dorvane {

namespace {

const QString Format = QStringLiteral("1");

DataError journalError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Journal"), description);
}

QString timeText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime readTime(const QVariant& value)
{
    if (value.isNull())
        return QDateTime();
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return time.toUTC();
}

QString stateText(JournalChange::State state)
{
    return state == JournalChange::State::Done ? QStringLiteral("done") : QStringLiteral("pending");
}

QJsonObject valueObject(const QVariant& value)
{
    const JournalValue encoded = encodeJournalValue(value);
    QJsonObject object {{QStringLiteral("kind"), encoded.kind}};
    if (!encoded.bytes.isNull())
        object.insert(QStringLiteral("bytes"), QString::fromLatin1(encoded.bytes.toBase64()));
    else if (!encoded.text.isNull())
        object.insert(QStringLiteral("text"), encoded.text);
    return object;
}

QVariant valueOf(const QJsonObject& object)
{
    JournalValue value;
    value.kind = object.value(QStringLiteral("kind")).toString();
    if (object.contains(QStringLiteral("bytes")))
        value.bytes = QByteArray::fromBase64(object.value(QStringLiteral("bytes")).toString().toLatin1());
    else
        value.text = object.value(QStringLiteral("text")).toString();
    return decodeJournalValue(value);
}

QString identityText(const RowIdentity& row, const QStringList& texts)
{
    QJsonArray values;
    for (const QVariant& value : row.values)
        values.append(valueObject(value));
    const QJsonObject object {
        {QStringLiteral("byKey"), row.byKey},
        {QStringLiteral("columns"), QJsonArray::fromStringList(row.columns)},
        {QStringLiteral("values"), values},
        {QStringLiteral("texts"), QJsonArray::fromStringList(texts)},
    };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void readIdentity(const QString& text, JournalChange& change)
{
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8(), &error).object();
    if (error.error != QJsonParseError::NoError)
        throw journalError(QStringLiteral("The journal holds a row identity that cannot be read: %1.").arg(text));
    change.row.byKey = object.value(QStringLiteral("byKey")).toBool();
    for (const QJsonValue& column : object.value(QStringLiteral("columns")).toArray())
        change.row.columns.append(column.toString());
    for (const QJsonValue& value : object.value(QStringLiteral("values")).toArray())
        change.row.values.append(valueOf(value.toObject()));
    for (const QJsonValue& value : object.value(QStringLiteral("texts")).toArray())
        change.rowTexts.append(value.toString());
    if (change.row.values.size() != change.row.columns.size())
        throw journalError(QStringLiteral("The journal holds a row identity whose columns and values differ."));
    while (change.rowTexts.size() < change.row.columns.size())
        change.rowTexts.append(QString());
}

void bindValue(BoundStatement& statement, int position, const QVariant& value)
{
    const JournalValue encoded = encodeJournalValue(value);
    statement.setText(position, encoded.kind);
    if (encoded.bytes.isNull() && !encoded.text.isNull())
        statement.setText(position + 1, encoded.text);
    else
        statement.setNull(position + 1);
    if (!encoded.bytes.isNull())
        statement.setBytes(position + 2, encoded.bytes);
    else
        statement.setNull(position + 2);
}

QVariant readValue(const QueryRecordSet& row, const QString& prefix)
{
    JournalValue value;
    value.kind = row.Fields(prefix + QStringLiteral("_kind")).Value().toString();
    const QVariant text = row.Fields(prefix + QStringLiteral("_text")).Value();
    const QVariant bytes = row.Fields(prefix + QStringLiteral("_bytes")).Value();
    if (!text.isNull())
        value.text = text.toString().isNull() ? QString(QLatin1String("")) : text.toString();
    if (!bytes.isNull())
        value.bytes = bytes.toByteArray().isNull() ? QByteArray("") : bytes.toByteArray();
    return decodeJournalValue(value);
}

qint64 integerOf(const QVariant& value)
{
    return value.isNull() ? 0 : value.toLongLong();
}

const char* const CreateStatements[] = {
    "CREATE TABLE journal_info (name TEXT PRIMARY KEY, value TEXT)",
    "INSERT INTO journal_info (name, value) VALUES ('format', '1')",
    "CREATE TABLE runs (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started TEXT NOT NULL, ended TEXT, "
    "source TEXT NOT NULL, options TEXT NOT NULL, undoes BIGINT, tables BIGINT, records BIGINT, hits BIGINT, "
    "saved BIGINT, failed BIGINT, skipped BIGINT, faults BIGINT, conflicts BIGINT)",
    "CREATE TABLE changes (id INTEGER PRIMARY KEY, run BIGINT NOT NULL, table_name TEXT NOT NULL, record BIGINT, "
    "row_identity TEXT NOT NULL, field TEXT NOT NULL, old_kind TEXT NOT NULL, old_text TEXT, old_bytes BLOB, "
    "new_kind TEXT NOT NULL, new_text TEXT, new_bytes BLOB, time TEXT NOT NULL, state TEXT NOT NULL)",
    "CREATE INDEX changes_by_run ON changes (run, id)",
};

const QString RunColumns = QStringLiteral(
    "r.id, r.kind, r.started, r.ended, r.source, r.options, r.undoes, r.tables, r.records, r.hits, r.saved, "
    "r.failed, r.skipped, r.faults, r.conflicts, (SELECT COUNT(*) FROM changes c WHERE c.run = r.id) AS changes, "
    "(SELECT COUNT(*) FROM changes c WHERE c.run = r.id AND c.state = 'pending') AS pending");

} // namespace

ChangeJournal::ChangeJournal(QString path) : m_path(std::move(path)) { }

ChangeJournal::~ChangeJournal()
{
    close();
}

bool ChangeJournal::isOpen() const
{
    return m_connection && m_connection->State() != 0;
}

QString ChangeJournal::connectionStringFor(const QString& path)
{
    ConnectionStringEntries entries;
    entries.set(QStringLiteral("DRIVER"), QStringLiteral("SQLite3"));
    entries.set(QStringLiteral("Database"), path);
    return entries.toString();
}

Connection& ChangeJournal::connection()
{
    if (!isOpen())
        throw journalError(QStringLiteral("The change journal %1 is not open.").arg(m_path));
    return *m_connection;
}

void ChangeJournal::open(bool create)
{
    close();
    const QFileInfo file(m_path);
    if (file.exists() && !file.isFile())
        throw journalError(QStringLiteral("%1 is not a file, so it cannot be a change journal.").arg(m_path));
    if (!file.exists() && !create)
        throw journalError(QStringLiteral("There is no change journal %1.").arg(m_path));
    if (!file.exists() && !file.absoluteDir().exists()) {
        throw journalError(
            QStringLiteral("The change journal %1 cannot be made: its folder does not exist.").arg(m_path));
    }
    const QString connectionString = connectionStringFor(file.absoluteFilePath());
    try {
        // What the file is, asked on a connection of its own: switching a file into WAL mode must come
        // first on the journal's connection, and must never happen to a database that is no journal.
        bool isJournal = false;
        {
            Connection probe;
            // The driver makes a missing file only when asked to (our connections forbid it otherwise).
            probe.setConnectionString(create ? connectionString + QStringLiteral(";NoCreat=0") : connectionString);
            probe.Open();
            OdbcStatement tables(probe.handle());
            tables.executeDirect(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'journal_info'"));
            isJournal = tables.scalarInt64().value_or(0) > 0;
            if (!isJournal) {
                OdbcStatement any(probe.handle());
                any.executeDirect(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
                if (any.scalarInt64().value_or(0) > 0)
                    throw journalError(QStringLiteral("%1 is a database but not a change journal.").arg(m_path));
            }
        }
        m_connection = std::make_unique<Connection>();
        m_connection->setConnectionString(connectionString);
        m_connection->Open();
        // Durable when a commit returns, also against a crash of the machine; WAL keeps commits cheap. The
        // driver answers "within a transaction" once any statement has run, so these come first.
        m_connection->Execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        m_connection->Execute(QStringLiteral("PRAGMA synchronous=FULL"));
        if (isJournal)
            checkFormat();
        else
            createTables();
    } catch (const DataError& error) {
        close();
        if (error.source() == QLatin1String("Dorvane.Journal"))
            throw;
        throw journalError(
            QStringLiteral("The change journal %1 cannot be opened: %2").arg(m_path, error.description()));
    }
}

void ChangeJournal::createTables()
{
    m_connection->Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        for (const char* statement : CreateStatements)
            m_connection->Execute(QString::fromLatin1(statement));
        m_connection->Execute(QStringLiteral("COMMIT"));
    } catch (const DataError&) {
        try {
            m_connection->Execute(QStringLiteral("ROLLBACK"));
        } catch (const DataError&) {
        }
        throw;
    }
}

void ChangeJournal::checkFormat()
{
    QueryRecordSet format;
    format.Open(*m_connection, QStringLiteral("SELECT value FROM journal_info WHERE name = 'format'"));
    const QString version = format.IsEOF() ? QString() : format.Fields(0).Value().toString();
    format.Close();
    if (version != Format) {
        throw journalError(
            QStringLiteral("The change journal %1 has the format \"%2\", which this program cannot read.")
                .arg(m_path, version));
    }
}

void ChangeJournal::close()
{
    m_insertChange.reset();
    if (m_connection) {
        rollback();
        m_connection->Close();
        m_connection.reset();
    }
    m_inTransaction = false;
}

void ChangeJournal::ensureTransaction()
{
    if (m_inTransaction)
        return;
    connection().Execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_inTransaction = true;
}

void ChangeJournal::commit()
{
    if (!m_inTransaction)
        return;
    try {
        connection().Execute(QStringLiteral("COMMIT"));
    } catch (const DataError& error) {
        rollback();
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
    m_inTransaction = false;
}

void ChangeJournal::rollback() noexcept
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    try {
        if (isOpen())
            m_connection->Execute(QStringLiteral("ROLLBACK"));
    } catch (const DataError&) {
    }
}

qint64 ChangeJournal::beginRun(const QString& kind, const QString& source, const QJsonObject& options,
                               std::optional<qint64> undoes)
{
    try {
        ensureTransaction();
        BoundStatement insert(connection(),
                              QStringLiteral("INSERT INTO runs (kind, started, source, options, undoes) "
                                             "VALUES (?, ?, ?, ?, ?)"));
        insert.setText(1, kind);
        insert.setText(2, timeText(QDateTime::currentDateTimeUtc()));
        insert.setText(3, withoutPasswords(source));
        insert.setText(4, QString::fromUtf8(QJsonDocument(options).toJson(QJsonDocument::Compact)));
        if (undoes)
            insert.setInteger(5, *undoes);
        else
            insert.setNull(5);
        insert.execute();
        OdbcStatement id(connection().handle());
        id.executeDirect(QStringLiteral("SELECT last_insert_rowid()"));
        const qint64 run = id.scalarInt64().value_or(0);
        commit();
        return run;
    } catch (const DataError& error) {
        rollback();
        if (error.source() == QLatin1String("Dorvane.Journal"))
            throw;
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
}

void ChangeJournal::endRun(qint64 run, const RunCounts& counts, qint64 conflicts)
{
    try {
        ensureTransaction();
        BoundStatement update(connection(),
                              QStringLiteral("UPDATE runs SET ended = ?, tables = ?, records = ?, hits = ?, saved = ?, "
                                             "failed = ?, skipped = ?, faults = ?, conflicts = ? WHERE id = ?"));
        update.setText(1, timeText(QDateTime::currentDateTimeUtc()));
        update.setInteger(2, counts.tables);
        update.setInteger(3, counts.records);
        update.setInteger(4, counts.hits);
        update.setInteger(5, counts.saved);
        update.setInteger(6, counts.failed);
        update.setInteger(7, counts.skipped);
        update.setInteger(8, counts.faults);
        update.setInteger(9, conflicts);
        update.setInteger(10, run);
        update.execute();
    } catch (const DataError& error) {
        rollback();
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
    commit();
}

qint64 ChangeJournal::recordPending(qint64 run, const JournalChange& change)
{
    try {
        ensureTransaction();
        if (!m_insertChange) {
            m_insertChange = std::make_unique<BoundStatement>(
                connection(),
                QStringLiteral("INSERT INTO changes (run, table_name, record, row_identity, field, "
                               "old_kind, old_text, old_bytes, new_kind, new_text, new_bytes, time, "
                               "state) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        }
        BoundStatement& insert = *m_insertChange;
        insert.setInteger(1, run);
        insert.setText(2, change.table);
        insert.setInteger(3, change.record);
        insert.setText(4, identityText(change.row, change.rowTexts));
        insert.setText(5, change.field);
        bindValue(insert, 6, change.oldValue);
        bindValue(insert, 9, change.newValue);
        insert.setText(12, timeText(change.time.isValid() ? change.time : QDateTime::currentDateTimeUtc()));
        insert.setText(13, stateText(JournalChange::State::Pending));
        insert.execute();
        OdbcStatement id(connection().handle());
        id.executeDirect(QStringLiteral("SELECT last_insert_rowid()"));
        return id.scalarInt64().value_or(0);
    } catch (const DataError& error) {
        rollback();
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
}

void ChangeJournal::discard(qint64 changeId)
{
    try {
        ensureTransaction();
        connection().Execute(QStringLiteral("DELETE FROM changes WHERE id = %1").arg(changeId));
    } catch (const DataError& error) {
        rollback();
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
}

void ChangeJournal::markDone(const std::vector<qint64>& changeIds)
{
    if (changeIds.empty())
        return;
    try {
        ensureTransaction();
        // Ids of one batch are mostly one range; a range takes one statement.
        size_t first = 0;
        while (first < changeIds.size()) {
            size_t last = first;
            while (last + 1 < changeIds.size() && changeIds[last + 1] == changeIds[last] + 1)
                ++last;
            connection().Execute(QStringLiteral("UPDATE changes SET state = 'done' WHERE id BETWEEN %1 AND %2")
                                     .arg(changeIds[first])
                                     .arg(changeIds[last]));
            first = last + 1;
        }
    } catch (const DataError& error) {
        rollback();
        throw journalError(
            QStringLiteral("The change journal %1 cannot be written: %2").arg(m_path, error.description()));
    }
}

JournalRun ChangeJournal::readRun(const QueryRecordSet& row) const
{
    JournalRun run;
    run.id = integerOf(row.Fields(0).Value());
    run.kind = row.Fields(1).Value().toString();
    run.started = readTime(row.Fields(2).Value());
    run.ended = readTime(row.Fields(3).Value());
    run.source = row.Fields(4).Value().toString();
    run.options = QJsonDocument::fromJson(row.Fields(5).Value().toString().toUtf8()).object();
    if (!row.Fields(6).Value().isNull())
        run.undoes = integerOf(row.Fields(6).Value());
    run.counts.tables = int(integerOf(row.Fields(7).Value()));
    run.counts.records = integerOf(row.Fields(8).Value());
    run.counts.hits = integerOf(row.Fields(9).Value());
    run.counts.saved = integerOf(row.Fields(10).Value());
    run.counts.failed = integerOf(row.Fields(11).Value());
    run.counts.skipped = integerOf(row.Fields(12).Value());
    run.counts.faults = integerOf(row.Fields(13).Value());
    run.conflicts = integerOf(row.Fields(14).Value());
    run.changes = integerOf(row.Fields(15).Value());
    run.pending = integerOf(row.Fields(16).Value());
    return run;
}

std::vector<JournalRun> ChangeJournal::runs()
{
    std::vector<JournalRun> result;
    QueryRecordSet rows;
    rows.Open(connection(), QStringLiteral("SELECT ") + RunColumns + QStringLiteral(" FROM runs r ORDER BY r.id"));
    for (; !rows.IsEOF(); rows.MoveNext())
        result.push_back(readRun(rows));
    return result;
}

std::optional<JournalRun> ChangeJournal::run(qint64 id)
{
    QueryRecordSet rows;
    rows.Open(connection(),
              QStringLiteral("SELECT ") + RunColumns + QStringLiteral(" FROM runs r WHERE r.id = %1").arg(id));
    if (rows.IsEOF())
        return std::nullopt;
    return readRun(rows);
}

std::optional<qint64> ChangeJournal::lastRun()
{
    OdbcStatement last(connection().handle());
    last.executeDirect(QStringLiteral("SELECT MAX(id) FROM runs"));
    return last.scalarInt64();
}

std::vector<JournalChange> ChangeJournal::changes(qint64 run)
{
    std::vector<JournalChange> result;
    QueryRecordSet rows;
    rows.Open(connection(),
              QStringLiteral("SELECT id, run, table_name, record, row_identity, field, old_kind, old_text, old_bytes, "
                             "new_kind, new_text, new_bytes, time, state FROM changes WHERE run = %1 ORDER BY id")
                  .arg(run));
    for (; !rows.IsEOF(); rows.MoveNext()) {
        JournalChange change;
        change.id = integerOf(rows.Fields(0).Value());
        change.run = integerOf(rows.Fields(1).Value());
        change.table = rows.Fields(2).Value().toString();
        change.record = rows.Fields(3).Value().isNull() ? -1 : int(integerOf(rows.Fields(3).Value()));
        readIdentity(rows.Fields(4).Value().toString(), change);
        change.field = rows.Fields(5).Value().toString();
        change.oldValue = readValue(rows, QStringLiteral("old"));
        change.newValue = readValue(rows, QStringLiteral("new"));
        change.time = readTime(rows.Fields(12).Value());
        change.state = rows.Fields(13).Value().toString() == QLatin1String("done") ? JournalChange::State::Done
                                                                                   : JournalChange::State::Pending;
        result.push_back(std::move(change));
    }
    return result;
}

} // namespace dorvane
