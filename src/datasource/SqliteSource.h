// Opening a SQLite file through the SQLite3 ODBC driver, whose defaults do not suit a window:
//
// - it waits 100 s for another program's lock, and it already waits while it connects (a pragma it
//   runs then reads the schema): the lock timeout must be in the string of the first connect;
// - it creates an empty database for a name that does not exist, so a mistyped path silently shows an
//   empty table list: NoCreat keeps it from doing so;
// - it reads a whole result into memory unless StepAPI is on;
// - it opens the file lazily, so a file that is no database only fails at the first statement.
//
// Connection applies these before it connects whenever the driver manager's configuration names the
// SQLite3 driver. UI thread.
#pragma once

#include <QString>

#include <functional>

namespace dorvane {

namespace sqlitesource {

// How long an open waits for another program's lock unless the source sets its own Timeout (ms).
constexpr int DefaultLockTimeout = 5000;

// `connectionString` with StepAPI=1, Timeout=DefaultLockTimeout and NoCreat=1 added for each option that
// `setting` (the source's own value: the string's, else its DSN's) leaves empty. An explicit value, such
// as NoCreat=0 for a database that is meant to be created, stays as it is.
QString withDefaults(const QString& connectionString, const std::function<QString(const QString&)>& setting);

// Makes sure that `connectionString` opens a readable SQLite database now: connects with a lock timeout
// of 1 ms and reads the schema, trying again while another connection holds a lock, until the source's
// lock timeout has passed. Throws DataError saying why: the file does not exist (and NoCreat is on), it is
// no database, it stayed locked, or the driver's own message.
void requireReadableDatabase(const QString& connectionString);

} // namespace sqlitesource

} // namespace dorvane
