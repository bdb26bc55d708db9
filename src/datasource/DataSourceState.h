// The data-source state: the one connection the program works on and the texts that choose and name
// it. One instance for the process (dataSourceState()); the main window, the run and the host class read
// and set its values, and DataSourceOpener owns the opening. Tests make their own instance and hand it
// over by reference. UI thread only.
#pragma once

#include <QString>

#include <memory>

namespace dorvane {

class Connection;

struct DataSourceState
{
    DataSourceState();
    ~DataSourceState();
    DataSourceState(const DataSourceState&) = delete;
    DataSourceState& operator=(const DataSourceState&) = delete;

    // The single connection; null until the first open, replaced by a new object at every open, closed
    // (not null) after a failed one. Destroying it closes the record sets still open on it.
    std::unique_ptr<dorvane::Connection> Connection;
    // What the next open uses; after a successful open, the string as the driver completed it.
    QString ConnectionString;
    // The host's display name of the source (window captions); empty in stand-alone use.
    QString DataSourceName;
    // The table chosen for the run: the table list's text as the user last left it, or the host's table.
    QString SelectedTable;
    // The host's SQL text, shown in the ID_SQL tool.
    QString SqlQuery;

    // True when there is a connection and it is open.
    bool isOpen() const;
    // Closes the connection, if any, as the main window does when it unloads.
    void closeConnection();
};

DataSourceState& dataSourceState();

} // namespace dorvane
