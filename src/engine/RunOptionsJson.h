// A run's options as the change journal and the reports write them down: the search and replacement
// texts (null for no value), the four matching switches and the tables (empty: all tables).
#pragma once

#include "engine/RunOptions.h"

#include <QJsonObject>

namespace dorvane {

QJsonObject runOptionsToJson(const RunOptions& options);

} // namespace dorvane
