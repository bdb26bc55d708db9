// Which rows of a table can hold a hit of a run's match options, as a condition the server tests, so that
// a run that shows no record positions (the command line) is sent only those rows. The condition is never
// narrower than the field test: every row that holds a hit satisfies it, on every server and collation,
// and the field test still decides each field.
//
// Per searched column: a literal search (part of the field; whole words without pattern syntax; whole
// field, as containment) tests a text column for the search text (LiteralContainment, ContainmentSql);
// a number, date or truth-value column is left out when its text form can never hold the search text
// (TextFormAlphabet, the locale's words for true and false), and otherwise asks for every row. The row
// condition is the OR of the columns' tests; a column that asks for every row, a regular expression, an
// empty search and a source that is neither PostgreSQL nor of the MySQL family give no condition at all.
// A table none of whose searched columns can match gets a condition no row satisfies.
#pragma once

#include "datasource/ContainmentSql.h"
#include "datasource/RowCondition.h"
#include "datasource/TextContainment.h"
#include "engine/MatchOptions.h"

#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

namespace dorvane {

class Connection;
class QueryField;
class SearchableTypes;

// What the condition needs of a column.
struct CandidateColumn
{
    QString quotedName;
    int adoType = 0;
    QString serverTypeName;
};

class CandidateCondition
{
public:
    // The locale is the one the field test turns values into text with. REQUIRES: types outlives this.
    CandidateCondition(const MatchOptions& options, const QLocale& locale, SearchableTypes& types);

    // The condition for a table with these fields on this connection; nothing: every row is a candidate.
    // Throws DataError when the data-type table cannot be read.
    std::optional<RowCondition> forTable(const Connection& connection, const std::vector<QueryField>& fields) const;
    std::optional<RowCondition> forColumns(SqlDialect dialect, const std::vector<CandidateColumn>& columns) const;

private:
    enum class Reach
    {
        Never, // no value of the column can be a hit
        Tested, // a text column with a test of its own
        Anything, // the column needs every row
    };
    Reach reachOf(SqlDialect dialect, const CandidateColumn& column) const;

    SearchableTypes& m_types;
    bool m_filters = false; // false: no condition whatever the columns
    bool m_wholeField = false;
    bool m_judgesByCharacters = false; // number, date and truth-value columns can be ruled out
    std::optional<TextContainment> m_containment;
    bool m_fitsNumbers = true;
    bool m_fitsDates = true;
    bool m_fitsServerDates = true;
    bool m_fitsTruthValues = true;
    bool m_fitsBooleanDigits = true;
};

} // namespace dorvane
