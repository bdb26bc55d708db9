#include "engine/LiteralContainment.h"

#include <QStringView>

#include <array>
#include <vector>

namespace dorvane {

namespace {

// The folding of one UTF-16 code unit by which LiteralMatcher compares without case.
char16_t fold(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

// For each ASCII code: every code unit that folds as it does, found once by trying them all.
const std::array<std::vector<char16_t>, 128>& asciiFoldPartners()
{
    static const std::array<std::vector<char16_t>, 128> partners = [] {
        std::array<std::vector<char16_t>, 128> table;
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const char16_t folded = fold(char16_t(c));
            if (folded < 128)
                table[folded].push_back(char16_t(c));
        }
        return table;
    }();
    return partners;
}

} // namespace

std::optional<TextContainment> LiteralContainment::of(const QString& text, Qt::CaseSensitivity cs)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    const QString trimmed = text.left(end);
    if (trimmed.isEmpty() || !QStringView(trimmed).isValidUtf16())
        return std::nullopt;
    TextContainment containment;
    if (cs == Qt::CaseSensitive) {
        containment.pieces.append(trimmed);
        return containment;
    }
    containment.ignoreCase = true;
    QString piece;
    const auto endPiece = [&] {
        if (!piece.isEmpty())
            containment.pieces.append(piece);
        piece.clear();
    };
    for (const QChar c : trimmed) {
        const char16_t unit = c.unicode();
        const char16_t folded = unit < 128 ? fold(unit) : 0;
        bool kept = unit < 128;
        QString exotic;
        if (kept) {
            for (const char16_t partner : asciiFoldPartners()[folded]) {
                if (partner >= 128)
                    exotic += QChar(partner);
                else if (fold(partner) != folded || (partner != folded && partner != folded - 32))
                    kept = false; // another ASCII character folds alike: not a case pair a server knows
            }
        }
        if (!kept) {
            endPiece();
            continue;
        }
        piece += QChar(folded);
        for (const QChar e : exotic) {
            if (!containment.anyOf.contains(e))
                containment.anyOf += e;
        }
    }
    endPiece();
    if (containment.pieces.isEmpty())
        return std::nullopt;
    return containment;
}

} // namespace dorvane
