#include "datasource/ConnectionTarget.h"

#include "datasource/OdbcEnvironment.h"
#include "datasource/OdbcText.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

#include <odbcinst.h>
#include <sqlext.h>

namespace dorvane {

namespace {

struct InstalledDriver
{
    QString library;
    bool fileBased = false;
};

bool isPath(const QString& driver)
{
    return driver.contains(QLatin1Char('/'));
}

// The driver of odbcinst.ini named `name` (compared without regard to case, as the driver manager
// does), or none.
std::optional<InstalledDriver> installedDriver(const QString& name)
{
    SQLHENV env = OdbcEnvironment::handle();
    QByteArray description(512, '\0');
    QByteArray attributes(8192, '\0');
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        SQLSMALLINT descriptionLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDrivers(
            env, direction, odbctext::sqlChars(description), SQLSMALLINT(description.size()), &descriptionLength,
            odbctext::sqlChars(attributes), SQLSMALLINT(attributes.size()), &attributesLength);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return std::nullopt;
        direction = SQL_FETCH_NEXT;
        if (odbctext::decode(odbctext::sqlChars(description)).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // "key=value" pairs, each ended by a zero byte, the list by a second one.
        InstalledDriver driver;
        for (const QByteArray& pair : attributes.left(qMax<int>(0, attributesLength)).split('\0')) {
            const qsizetype equals = pair.indexOf('=');
            if (equals < 0)
                continue;
            const QString key = QString::fromUtf8(pair.left(equals)).trimmed();
            const QString value = QString::fromUtf8(pair.mid(equals + 1)).trimmed();
            if (key.compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0)
                driver.library = value;
            else if (key.compare(QLatin1String("FileUsage"), Qt::CaseInsensitive) == 0)
                driver.fileBased = value == QLatin1String("1") || value == QLatin1String("2");
        }
        return driver;
    }
}

// The driver that odbc.ini gives the data source `name`: a driver name or a library path.
QString dataSourceDriver(const QString& name)
{
    SQLHENV env = OdbcEnvironment::handle();
    QByteArray server(SQL_MAX_DSN_LENGTH + 1, '\0');
    QByteArray description(1024, '\0');
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        SQLSMALLINT serverLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc
            = SQLDataSources(env, direction, odbctext::sqlChars(server), SQLSMALLINT(server.size()), &serverLength,
                             odbctext::sqlChars(description), SQLSMALLINT(description.size()), &descriptionLength);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return QString();
        direction = SQL_FETCH_NEXT;
        if (odbctext::decode(odbctext::sqlChars(server)).compare(name, Qt::CaseInsensitive) == 0)
            return odbctext::decode(odbctext::sqlChars(description));
    }
}

// The [ODBC] section of a file data source.
ConnectionStringEntries fileDataSourceEntries(const QString& path)
{
    ConnectionStringEntries entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    bool inOdbcSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inOdbcSection = line.compare(QLatin1String("[ODBC]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inOdbcSection && equals > 0 && !line.startsWith(QLatin1Char(';')) && !line.startsWith(QLatin1Char('#'))) {
            const QString key = line.left(equals).trimmed();
            if (!entries.contains(key))
                entries.set(key, line.mid(equals + 1).trimmed());
        }
    }
    return entries;
}

QString withoutBraces(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.startsWith(QLatin1Char('{')) && trimmed.endsWith(QLatin1Char('}')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

} // namespace

ConnectionTarget ConnectionTarget::resolve(const QString& connectionString)
{
    ConnectionTarget target;
    target.m_entries = ConnectionStringEntries::parse(connectionString);
    QString driver = target.m_entries.value(QStringLiteral("DRIVER")).trimmed();
    const bool namedInString = !driver.isEmpty();
    if (driver.isEmpty()) {
        const QString fileDataSource = target.m_entries.value(QStringLiteral("FILEDSN")).trimmed();
        if (!fileDataSource.isEmpty()) {
            target.m_fileDataSource = fileDataSourceEntries(fileDataSource);
            driver = withoutBraces(target.m_fileDataSource.value(QStringLiteral("DRIVER")));
        }
    }
    if (driver.isEmpty()) {
        target.m_dataSourceName = target.m_entries.value(QStringLiteral("DSN")).trimmed();
        if (!target.m_dataSourceName.isEmpty())
            driver = dataSourceDriver(target.m_dataSourceName);
    }
    if (driver.isEmpty())
        return target;
    if (isPath(driver)) {
        target.m_driverLibrary = driver;
        target.m_driverInstalled = !namedInString || QFileInfo::exists(driver);
        return target;
    }
    const std::optional<InstalledDriver> installed = installedDriver(driver);
    if (installed) {
        target.m_driverLibrary = installed->library;
        target.m_fileBased = installed->fileBased;
    } else if (namedInString) {
        target.m_driverInstalled = false;
    }
    return target;
}

bool ConnectionTarget::isSqliteLibrary(const QString& library)
{
    return library.section(QLatin1Char('/'), -1).contains(QLatin1String("sqlite3odbc"), Qt::CaseInsensitive);
}

bool ConnectionTarget::isSqlite() const
{
    return isSqliteLibrary(m_driverLibrary);
}

QString ConnectionTarget::setting(const QString& key) const
{
    const QString own = m_entries.value(key).trimmed();
    if (!own.isEmpty())
        return own;
    const QString fromFile = m_fileDataSource.value(key).trimmed();
    if (!fromFile.isEmpty())
        return fromFile;
    if (m_dataSourceName.isEmpty())
        return QString();
    QByteArray value(1024, '\0');
    const int length = SQLGetPrivateProfileString(m_dataSourceName.toUtf8().constData(), key.toUtf8().constData(), "",
                                                  value.data(), int(value.size()), "odbc.ini");
    return length > 0 ? QString::fromUtf8(value.constData(), qMin<int>(length, int(value.size()) - 1)).trimmed()
                      : QString();
}

QString ConnectionTarget::databaseFile() const
{
    const QString database = setting(QStringLiteral("Database"));
    return database.isEmpty() ? setting(QStringLiteral("DBQ")) : database;
}

} // namespace dorvane
