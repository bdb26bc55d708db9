// What a server can test of a text column for the field test's literal search (LiteralMatcher): a
// TextContainment that every value in which the search text occurs satisfies on every server and in every
// collation, or nothing when no such test is known.
//
// Ignoring case, the field test matches each character by Unicode simple case folding; a server folds by
// a locale or collation, which may fold less. ContainmentSql compares in collations that fold the ASCII
// letters and nothing else is relied on: only ASCII characters stay in the pieces and every other
// character becomes a gap; the non-ASCII characters that fold onto an ASCII letter of the text (KELVIN SIGN
// for k, LONG S for s) are tested exactly as alternatives. With case the
// text is compared exactly. Trailing blanks are left out: char(n) columns and PAD SPACE collations
// compare without them. Any thread.
#pragma once

#include "datasource/TextContainment.h"

#include <QString>

#include <optional>

namespace dorvane {

class LiteralContainment
{
public:
    static std::optional<TextContainment> of(const QString& text, Qt::CaseSensitivity cs);
};

} // namespace dorvane
