// How one line of an INI-format file reads, shared by the reader and the writer so that both see the same
// sections and keys: a section header "[name]" (blanks around the brackets and the name allowed), a key
// line "key = value" (blanks around both dropped), a comment line beginning with ";". Blanks are what
// QChar::isSpace() calls so.
#pragma once

#include <QStringView>

#include <optional>

namespace dorvane::ini {

// The section name of a header line, or nothing for any other line. "[]" names the section "".
std::optional<QStringView> sectionName(QStringView line);

// The key and the value of a key line; false for comments, lines without "=" and lines whose key is
// empty. REQUIRES: line is no section header (headers are looked for first).
bool splitKeyLine(QStringView line, QStringView& key, QStringView& value);

// A value without the quotes, double or single, that enclose it whole.
QStringView unquoted(QStringView value);

} // namespace dorvane::ini
