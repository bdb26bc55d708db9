// A prepared statement of the program's own SQL (the change journal's), run again and again with values
// bound by position: texts, bytes, whole numbers and NULLs. Not for the tables of a data source, whose
// values travel by their fields' own types (see RowUpdate). UI thread only.
#pragma once

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>

namespace dorvane {

class Connection;
class OdbcStatement;

class BoundStatement
{
public:
    // REQUIRES: the connection is open and outlives the statement. Throws DataError.
    BoundStatement(Connection& connection, const QString& sql);
    ~BoundStatement();
    BoundStatement(const BoundStatement&) = delete;
    BoundStatement& operator=(const BoundStatement&) = delete;

    // Positions count from 1; a value stays bound until it is set again.
    void setText(int position, const QString& text);
    void setBytes(int position, const QByteArray& bytes);
    void setInteger(int position, qint64 value);
    void setNull(int position);

    // Runs the statement with the values set; returns the rows it changed (-1 when the driver cannot
    // tell). Throws DataError.
    qint64 execute();

private:
    struct Parameter;
    Parameter& at(int position);

    std::unique_ptr<OdbcStatement> m_statement;
    std::deque<Parameter> m_parameters;
};

} // namespace dorvane
