// One entry of a connection's Properties list: a fact about the open data source.
#pragma once

#include <QString>

namespace dorvane {

struct ConnectionProperty
{
    QString Name;
    QString Value;
};

} // namespace dorvane
