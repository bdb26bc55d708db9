// The table the replace benchmarks work on, shared by run-replace and cli-replace: the scan table with a
// word in the long text of every hundredth row, fresh copies of it for each side of each round, a census
// of the rows that hold the word or its replacement afterwards, and the floor of a replace: a bare ODBC
// loop that scans the table and updates each hit by its key in autocommit, one statement per hit.
#pragma once

#include "ScanBenchmark.h"

#include <QString>
#include <QTemporaryDir>

namespace dorvane::bench {

// The word put into the table, and what the benchmarks replace it with.
extern const QString ReplaceWord;
extern const QString ReplaceText;

// "DRIVER=SQLite3;Database=" + file.
QString connectionString(const QString& file);

// Where the copies live: files beside each other for SQLite, tables of one database on a server.
struct ReplacePlace
{
    const QTemporaryDir& work;
    QString server; // empty: SQLite files

    QString sourceName() const
    {
        return server.isEmpty() ? work.filePath(QStringLiteral("source.db")) : QStringLiteral("replace_source");
    }
    QString connectionFor(const QString& copy) const { return server.isEmpty() ? connectionString(copy) : server; }
    QString tableFor(const QString& copy) const { return server.isEmpty() ? scanTableName() : copy; }
};

// Rows whose texts hold the word and rows whose texts hold the replacement.
struct ReplaceCensus
{
    qint64 word = 0;
    qint64 replacement = 0;
};

// Makes the source: a SQLite file beside the copies, or the table replace_source on the server.
void makeReplaceSource(const ReplacePlace& place, int rows);
// A fresh copy of the source: the file name of the copy (SQLite) or the name of its table (server).
QString makeReplaceCopy(const ReplacePlace& place, const QString& name);
ReplaceCensus replaceCensus(const ReplacePlace& place, const QString& copy);
// The bare loop over the copy; adds the hits it wrote to `hits` and answers the seconds it took.
double bareReplace(const ReplacePlace& place, const QString& copy, qint64& hits);

} // namespace dorvane::bench
