// The SQL that tests a text column for a TextContainment, per server: LIKE patterns with an explicit escape
// character that is no backslash (MariaDB reads a backslash in a literal as an escape of its own), the
// search text bound as a parameter.
//
// PostgreSQL: exact pieces with strpos, pieces without case with ILIKE, on the columns' texts joined by
// concat_ws in the "C" collation (a char(n) cast to text loses its padding, so the texts must not end in
// blanks). MariaDB and MySQL: the columns' texts joined by CONCAT_WS (one test per column where the server
// cannot join them), exact pieces converted to utf8mb4 and compared in utf8mb4_bin, pieces without case by
// an ASCII REGEXP in the text's own character set; REQUIRES: the connection's character set is utf8/utf8mb4
// (Connection::bindsUtf8Text), so that the bound texts arrive unchanged.
#pragma once

#include "datasource/RowCondition.h"
#include "datasource/TextContainment.h"

#include <QString>
#include <QStringList>

namespace dorvane {

enum class SqlDialect
{
    Other,
    PostgreSql,
    MySql, // MariaDB and MySQL
};

class ContainmentSql
{
public:
    // The escape character of every LIKE pattern made here.
    static constexpr char16_t Escape = u'!';

    // The condition that holds where any of the columns holds the containment. REQUIRES: dialect is not
    // Other, quotedColumns is not empty.
    static RowCondition condition(SqlDialect dialect, const QStringList& quotedColumns,
                                  const TextContainment& containment);

    // True when the server compares a column of this type (SQLColAttribute's type name) as the text its
    // driver hands over, with the operators used here: only then may a condition test the column. Other
    // types (PostgreSQL's enums, json, arrays, booleans read as characters) have no such operator or
    // another text, and a failing statement would end a transaction the run holds open.
    static bool testsTextType(SqlDialect dialect, const QString& serverTypeName);

    // "%" + the pieces with %, _ and the escape character escaped, joined by "%" + "%".
    static QString likePattern(const QStringList& pieces);

private:
    static QString postgresCondition(const QString& text, const TextContainment& containment, QStringList& texts);
    static QString mySqlCondition(const QString& column, const TextContainment& containment, QStringList& texts);
};

} // namespace dorvane
