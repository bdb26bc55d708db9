// How table and column names are written into SQL texts for one data source.
//
// Sources that accept brackets (SQLite, SQL Server, Access and the other desktop drivers) get the
// familiar "[name]"; every other source gets its identifier quote character (SQL_IDENTIFIER_QUOTE_CHAR).
// In every form a closing quote inside the name is written twice ("]" → "]]", '"' → '""'), so no name can
// end its quotes early and smuggle SQL in.
//
// SQLite: the engine reads "[...]" up to the first "]" without any escape, and the SQLite3 ODBC driver
// scans every SQL text itself before SQLite sees it: it counts "?" markers, refuses a ";" that is followed
// by more text ("only one SQL statement allowed") and expands "{...}" escapes, skipping only what stands
// in '...' or "..." (doubled quotes inside are fine); brackets and backquotes mean nothing to it. A name
// holding any of ] ' " ; ? { } therefore goes into double quotes there, which both the driver and SQLite
// read as one name whatever it holds (found by trying every ASCII character; other characters are
// passed through untouched). Other names keep their brackets.
#pragma once

#include <QString>

namespace dorvane {

class IdentifierQuoting
{
public:
    // Brackets with doubled "]": SQL Server's rule, also right for the Access family.
    IdentifierQuoting() = default;

    // dbmsName and driverName as SQLGetInfo reports them (SQL_DBMS_NAME, SQL_DRIVER_NAME); quoteCharacter is
    // SQL_IDENTIFIER_QUOTE_CHAR, where " " means that the source cannot quote.
    static IdentifierQuoting forDataSource(const QString& dbmsName, const QString& driverName,
                                           const QString& quoteCharacter);

    // Throws DataError when the source cannot quote and the name is not a plain identifier.
    QString quote(const QString& identifier) const;

    // The query text that opens a whole table: "Select * FROM " + quoted name + " ".
    QString tableQuery(const QString& tableName) const;

    bool usesBrackets() const { return m_brackets; }

private:
    bool m_brackets = true;
    // Characters that make a name leave the brackets for the quote character.
    QString m_notInBrackets;
    QString m_quoteCharacter = QStringLiteral("\"");
};

} // namespace dorvane
