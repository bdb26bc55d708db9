// The tables a command names, checked against the source before anything starts: a name the source does
// not have is bad usage, not a fault in the middle of a run.
#pragma once

#include <QStringList>

namespace dorvane {

class Connection;

// `requested` in the given order, each spelled as the source spells it (names compare without regard to
// case when no exact match exists); empty stays empty (all tables). Throws DataError naming the first
// table the source does not have. A source that cannot list its tables gets the names as given.
QStringList resolveTableNames(Connection& connection, const QStringList& requested);

} // namespace dorvane
