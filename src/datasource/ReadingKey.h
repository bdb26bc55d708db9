// The columns a table can be read in order of, piece after piece (see KeyRangeReader): a key whose values
// are unique, never NULL, and compare on the server exactly as they are ordered there. UI thread only.
#pragma once

#include "datasource/QueryField.h"

#include <QString>

#include <vector>

namespace dorvane {

class Connection;

class ReadingKey
{
public:
    // Positions in fields of the table's primary key, else (also when the primary key does not qualify) of
    // its first unique index over columns that are never NULL (on PostgreSQL one without a WHERE clause or expressions:
    // a partial index leaves values outside its predicate free to repeat). Empty when there is none, when the
    // connection reads whole results (Connection::tableReading), or when a key column has a type that this server does
    // not compare exactly with the value its driver reads: floating-point numbers (inexact), PostgreSQL's timestamptz
    // (psqlODBC drops the offset, so two instants of a repeated hour read alike), MariaDB's TIMESTAMP (shown in the
    // session's zone, the same trap), ENUM and SET (ordered by their index but compared as text), and every type not
    // named in ReadingKey.cpp. Catalog failures also give empty: such a table is simply read whole.
    static std::vector<int> find(Connection& connection, const QString& tableName,
                                 const std::vector<QueryField>& fields);
};

} // namespace dorvane
