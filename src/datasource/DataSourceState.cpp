#include "datasource/DataSourceState.h"

#include "datasource/Connection.h"

namespace dorvane {

DataSourceState::DataSourceState() = default;
DataSourceState::~DataSourceState() = default;

bool DataSourceState::isOpen() const
{
    return Connection && Connection->State() == ado::adStateOpen;
}

void DataSourceState::closeConnection()
{
    if (Connection)
        Connection->Close();
}

DataSourceState& dataSourceState()
{
    static DataSourceState state;
    return state;
}

} // namespace dorvane
