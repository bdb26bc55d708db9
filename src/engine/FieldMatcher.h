// Decides whether one field is a hit for the search text under a run's match options.
//
// The matching expression is built once per entry into the run (prepare), never per field: the options
// are taken at that moment, so changed options take effect when the run goes on. Not thread-safe.
#pragma once

#include "engine/LiteralMatcher.h"
#include "engine/MatchOptions.h"
#include "engine/RegExp.h"
#include "engine/Utf8LiteralFilter.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

namespace dorvane {

// What the matcher needs of a field: its value and metadata.
struct FieldSnapshot
{
    QString name;
    int type = 0;
    qint64 definedSize = 0;
    QVariant value;
};

class QueryField;
class SearchableTypes;

class FieldMatcher
{
public:
    enum class Mode
    {
        WholeField,
        RegularExpression,
        PartOfField,
        WholeWord,
    };

    // The type test asks `types`, which must outlive the matcher.
    explicit FieldMatcher(SearchableTypes& types);

    // Takes the search value and the switches and builds the matching expression. Throws DataError when
    // the pattern is invalid, so a run can refuse to start instead of failing at every field. The locale
    // is the one values are turned into text with.
    void prepare(const MatchOptions& options, const QLocale& locale = QLocale::system());
    Mode mode() const { return m_mode; }

    // The value test alone (no type check). The type tells a number held as decimal text from a text.
    bool valueMatches(const QVariant& value, int adoType);
    // The field test: the value test first, the searchable-type test only for values that matched.
    bool isHit(const QVariant& value, int adoType);
    // The same for a field of a record set; a text still held as UTF-8 that cannot match is turned away
    // without being decoded.
    bool isHit(const QueryField& field);

    // The locale of the last prepare.
    const QLocale& locale() const { return m_locale; }

    // A present search text of length zero counts as no value: it looks for empty fields instead of
    // matching every field and inserting the replacement between its characters.
    static OptionalText effectiveSearch(const OptionalText& value);

    // True when text, read as a pattern, can only match itself: ASCII without any pattern syntax. A case-
    // ignoring match of such a pattern is then also found by the case-ignoring literal search (the only
    // non-ASCII letters that fold onto ASCII ones, KELVIN SIGN and LONG S, fold alike in both).
    static bool isPlainAsciiLiteral(const QString& text);

private:
    SearchableTypes& m_types;
    QLocale m_locale;
    bool m_searchFitsNumbers = true;
    bool m_searchFitsDates = true;
    Mode m_mode = Mode::PartOfField;
    OptionalText m_search;
    bool m_caseSensitive = false;
    bool m_regEx = false;
    bool m_wholeWord = false;
    std::optional<RegExp> m_matching;
    // Part of field: the search text, taken literally, prepared once per run entry.
    LiteralMatcher m_literal;
    // Whole word with a search text that is plain ASCII and no pattern: a field can only match where the
    // text occurs, so values without it are turned away before the expression runs.
    std::optional<LiteralMatcher> m_wordPrefilter;
    // Part of field and whole word with such a text: values turned away on their UTF-8 bytes.
    Utf8LiteralFilter m_utf8Filter;
};

} // namespace dorvane
