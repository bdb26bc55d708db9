// Which ODBC driver a connection string reaches, and what the driver manager's configuration says about
// it, found out before connecting. Some options must be in place at the first connect (the SQLite
// driver waits for a lock while it connects), and a file-based driver that fails without a word needs a
// message of ours; both need to know the driver beforehand.
//
// Asked of the driver manager (SQLDrivers for odbcinst.ini, SQLDataSources and
// SQLGetPrivateProfileString for odbc.ini); a FILEDSN file is read as the INI file it is. Nothing here
// connects. A string whose driver cannot be found out gives an empty library: callers then go by what
// the driver says once connected. UI thread.
#pragma once

#include "datasource/ConnectionStringEntries.h"

#include <QString>

namespace dorvane {

class ConnectionTarget
{
public:
    static ConnectionTarget resolve(const QString& connectionString);

    // The driver library as configured ("libsqlite3odbc.so", or a full path); empty when unknown.
    const QString& driverLibrary() const { return m_driverLibrary; }
    // False only for a DRIVER= entry that names neither an installed driver nor an existing library
    // file: opening the string would fail with "Can't open lib".
    bool driverInstalled() const { return m_driverInstalled; }

    // The SQLite3 ODBC driver (libsqlite3odbc).
    bool isSqlite() const;
    // A driver whose data source is one file: SQLite3, or one that odbcinst.ini marks with FileUsage.
    bool isFileBased() const { return m_fileBased || isSqlite(); }

    // A setting of the source: the string's own entry, else the DSN's (odbc.ini, or the FILEDSN file);
    // "" when neither sets it. Keys compare without regard to case.
    QString setting(const QString& key) const;
    // The file a file-based source opens: its Database, else its DBQ setting.
    QString databaseFile() const;

    // True for the library of the SQLite3 ODBC driver, as a name or a path.
    static bool isSqliteLibrary(const QString& library);

private:
    QString m_driverLibrary;
    bool m_driverInstalled = true;
    bool m_fileBased = false;
    ConnectionStringEntries m_entries;
    QString m_dataSourceName; // DSN=, looked up in odbc.ini for settings the string leaves out
    ConnectionStringEntries m_fileDataSource; // the [ODBC] section of a FILEDSN file
};

} // namespace dorvane
