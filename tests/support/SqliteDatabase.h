// A SQLite database file for data tests, reached like any data source: through the real unixODBC
// driver manager and the SQLite3 ODBC driver, via our own Connection.
//
//     QTemporaryDir dir;
//     SqliteDatabase db(dir.path());
//     db.exec("CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name TEXT)");
//     db.exec("INSERT INTO Customer VALUES (1, 'Ann')");
//     Connection connection;
//     connection.setConnectionString(db.connectionString());   // "DRIVER=SQLite3;Database=<file>"
//     ...
//     QCOMPARE(db.scalar("SELECT Name FROM Customer WHERE Id = 1"), QVariant("Ann"));
//
// The helper keeps its own connection open between calls (idle, so it holds no lock). Its writes give
// up after two seconds when another connection holds the file, instead of SQLite's default 100 s. It
// creates its file (NoCreat=0); a connection on connectionString() opens only an existing one.
// Every call throws dorvane::DataError on failure, which Qt Test reports as a failed test.
#pragma once

#include "datasource/Connection.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

namespace dorvane::test {

class SqliteDatabase
{
public:
    // The file fileName inside folder is created by the first statement (or reused when it exists).
    // REQUIRES: folder exists and outlives this object.
    explicit SqliteDatabase(const QString& folder, const QString& fileName = QStringLiteral("test.db"));
    ~SqliteDatabase();

    QString filePath() const { return m_filePath; }
    // What a user's file-driver template gives: "DRIVER=SQLite3;Database=" + filePath().
    QString connectionString() const;

    // Runs one SQL statement; returns the rows it changed (-1 when the driver cannot tell).
    qint64 exec(const QString& sql);
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql);
    // All rows with all columns, values as QueryRecordSet reads them.
    QList<QVariantList> rows(const QString& sql);

    // Closes the helper's connection; the next call opens it again.
    void close();

private:
    Connection& connection();

    QString m_filePath;
    std::unique_ptr<Connection> m_connection;
};

} // namespace dorvane::test
