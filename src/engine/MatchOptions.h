// What a run searches for and what it proposes in its place: the search and replacement texts and the
// matching switches, as one value. Front ends fill it from their own controls or arguments; the run reads
// it once per entry, so a change takes effect when the run goes on.
#pragma once

#include <QString>

#include <optional>

namespace dorvane {

// A text, or no value at all. No search value looks for empty fields; no replacement value proposes the
// empty text. Both differ from a present text of length zero only where the front end says so.
using OptionalText = std::optional<QString>;

struct MatchOptions
{
    OptionalText search;
    OptionalText replacement;
    bool wholeField = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool regularExpression = false;

    bool operator==(const MatchOptions&) const = default;
};

// How a hit's proposed value is made from its stored text.
enum class ReplacementRule
{
    // As the window shows it: the search text used as a pattern in every mode (so "a.c" also replaces
    // "abc" when found literally), the replacement's "$1" groups expanded.
    DisplayExpression,
    // What a script expects: literal modes replace the text literally (whole field: the whole value);
    // only regular expressions and whole words use a pattern.
    Literal,
};

} // namespace dorvane
