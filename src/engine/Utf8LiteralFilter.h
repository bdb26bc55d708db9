// Turns away field values that cannot hold a literal search text while they are still the driver's UTF-8
// bytes, so that the walk decodes only the values that may match. It answers "cannot match" only where
// the decoded text could not contain the literal either; every other value goes on to the matcher.
//
// With case, the literal's UTF-8 must occur in the bytes: a decoded character that is not U+FFFD comes
// from exactly its own encoding. Without case, the longest run of the literal's characters that fold to
// ASCII must occur among the ASCII bytes, ASCII case ignored; the few other characters that fold to ASCII
// (KELVIN SIGN, LONG S) are looked for as well, and a value holding one is never turned away. Both rest
// on the decoder giving every invalid sequence at least one U+FFFD and an ASCII byte itself. Immutable once
// built; any thread.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

namespace dorvane {

class Utf8LiteralFilter
{
public:
    // Turns nothing away.
    Utf8LiteralFilter() = default;
    Utf8LiteralFilter(const QString& literal, Qt::CaseSensitivity cs);

    // False when the literal gives nothing to look for: it holds U+FFFD or a lone surrogate (with case),
    // or no character that folds to ASCII (without case).
    bool isActive() const { return !m_anchor.isEmpty(); }

    // True only when the text these bytes decode to cannot contain the literal.
    bool turnsAway(QByteArrayView utf8) const;

private:
    bool containsAnchorIgnoringAsciiCase(QByteArrayView utf8) const;

    QByteArray m_anchor; // the literal's UTF-8, or its longest run folding to ASCII in lower case
    bool m_ignoreCase = false;
    std::array<quint8, 256> m_skip {};
};

} // namespace dorvane
