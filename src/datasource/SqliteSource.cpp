#include "datasource/SqliteSource.h"

#include "core/DataError.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/ConnectionTarget.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcEnvironment.h"
#include "datasource/OdbcHandle.h"
#include "datasource/OdbcText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <optional>

#include <sqlext.h>

namespace dorvane::sqlitesource {

namespace {

// SQLite's result codes as the driver reports them in the native error of its diagnostics.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteNotADatabase = 26;

const QString ConnectionSource = QStringLiteral("Dorvane.Connection");

// The driver's reading of a yes/no option: on when it starts with one of these characters.
bool isOn(const QString& option)
{
    return !option.isEmpty() && QStringLiteral("Yy123456789Tt").contains(option.front());
}

QString withEntry(const QString& connectionString, const QString& key, const QString& value)
{
    QString result = connectionString.trimmed();
    if (!result.isEmpty() && !result.endsWith(QLatin1Char(';')))
        result += QLatin1Char(';');
    return result + key + QLatin1Char('=') + value;
}

int lockTimeoutOf(const ConnectionTarget& target)
{
    bool ok = false;
    const int timeout = target.setting(QStringLiteral("Timeout")).toInt(&ok, 0);
    return ok && timeout > 0 ? timeout : 100000; // the driver's own default
}

struct Failure
{
    int nativeError = 0;
    DataError error;
};

Failure failureOf(SQLSMALLINT handleType, SQLHANDLE handle, const char* call)
{
    const QList<OdbcDiagnostic> diagnostics = odbcDiagnostics(handleType, handle);
    return {diagnostics.isEmpty() ? 0 : diagnostics.first().nativeError, odbcError(handleType, handle, call)};
}

// Reads the schema once; none when it could be read.
std::optional<Failure> readSchema(SQLHDBC dbc)
{
    OdbcHandle statement = OdbcHandle::allocate(SQL_HANDLE_STMT, dbc);
    QByteArray sql = odbctext::encode(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
    // With StepAPI the statement runs only when its row is fetched.
    if (!odbcSucceeded(SQLExecDirect(statement.get(), odbctext::sqlChars(sql), SQLINTEGER(sql.size())))
        || !odbcSucceeded(SQLFetch(statement.get())))
        return failureOf(SQL_HANDLE_STMT, statement.get(), "SQLFetch");
    return std::nullopt;
}

} // namespace

QString withDefaults(const QString& connectionString, const std::function<QString(const QString&)>& setting)
{
    QString result = connectionString;
    const struct
    {
        const char* key;
        QString value;
    } defaults[] = {
        {"StepAPI", QStringLiteral("1")},
        {"Timeout", QString::number(DefaultLockTimeout)},
        {"NoCreat", QStringLiteral("1")},
    };
    for (const auto& option : defaults) {
        if (setting(QLatin1String(option.key)).trimmed().isEmpty())
            result = withEntry(result, QLatin1String(option.key), option.value);
    }
    return result;
}

void requireReadableDatabase(const QString& connectionString)
{
    const ConnectionTarget target = ConnectionTarget::resolve(connectionString);
    const QString file = target.databaseFile();
    const int lockTimeout = lockTimeoutOf(target);

    ConnectionStringEntries probe = ConnectionStringEntries::parse(connectionString);
    probe.set(QStringLiteral("Timeout"), QStringLiteral("1"));
    QByteArray probeText = odbctext::encode(probe.toString());
    OdbcHandle dbc = OdbcHandle::allocate(SQL_HANDLE_DBC, OdbcEnvironment::handle());
    if (!odbcSucceeded(SQLDriverConnect(dbc.get(), nullptr, odbctext::sqlChars(probeText), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT))) {
        // The driver only says "connect failed".
        const bool uri = file.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
        if (!file.isEmpty() && !uri) {
            if (isOn(target.setting(QStringLiteral("NoCreat"))) && !QFileInfo::exists(file))
                throw DataError(ConnectionSource, QStringLiteral("The database file \"%1\" does not exist.").arg(file));
            // A file the user may not read, or a folder of that name, says why, not just "connect failed".
            QFile database(file);
            if (QFileInfo::exists(file) && !database.open(QIODevice::ReadOnly)) {
                throw DataError(
                    ConnectionSource,
                    QStringLiteral("The database file \"%1\" cannot be read: %2.").arg(file, database.errorString()));
            }
        }
        throw odbcError(SQL_HANDLE_DBC, dbc.get(), "SQLDriverConnect");
    }

    QElapsedTimer waited;
    waited.start();
    std::optional<Failure> failure;
    while ((failure = readSchema(dbc.get()))) {
        const bool locked = failure->nativeError == SqliteBusy || failure->nativeError == SqliteLocked;
        if (!locked || waited.elapsed() >= lockTimeout)
            break;
        QThread::msleep(20);
    }
    SQLDisconnect(dbc.get());
    if (!failure)
        return;
    const DataError& error = failure->error;
    if (failure->nativeError == SqliteNotADatabase) {
        throw DataError(
            error.source(),
            QStringLiteral("The file \"%1\" is not a SQLite database (%2).").arg(file, error.description()));
    }
    if (failure->nativeError == SqliteBusy || failure->nativeError == SqliteLocked) {
        throw DataError(
            error.source(),
            QStringLiteral("The database \"%1\" is locked by another program and stayed locked for %2 s (%3).")
                .arg(file, QString::number(lockTimeout / 1000.0), error.description()));
    }
    throw error;
}

} // namespace dorvane::sqlitesource
