// What the data-link dialog asks of the ODBC driver manager: the installed drivers, the configured data
// sources, and a trial connection. Kept apart from the application's Connection because the dialog only
// probes: it never keeps a connection open. UI thread only; each call uses its own environment handle.
#pragma once

#include <QList>
#include <QString>

namespace dorvane {

class DataLinkOdbc
{
public:
    struct DataSource
    {
        QString name;
        QString description; // the driver's name as the driver manager reports it
    };

    struct TestResult
    {
        bool succeeded = false;
        QString message; // the driver manager's and driver's diagnostics when it failed
    };

    // Driver names in the driver manager's order (the section names of odbcinst.ini).
    static QStringList installedDrivers();
    // User and system data sources in the driver manager's order.
    static QList<DataSource> configuredDataSources();

    // Opens the connection without prompting, asks it for its tables (drivers that open lazily report
    // many faults only then) and closes it again.
    static TestResult testConnection(const QString& connectionString);
};

} // namespace dorvane
