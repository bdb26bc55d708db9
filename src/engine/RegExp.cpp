#include "engine/RegExp.h"

#include "core/DataError.h"
#include "engine/RegExpTranslation.h"

#include <QVarLengthArray>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace dorvane {

namespace {

const QString errorSource = QStringLiteral("RegExp");

struct CodeFree
{
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree
{
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchDataFree
{
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct MatchContextFree
{
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct JitStackFree
{
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

QString pcre2Message(int errorCode)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(errorCode, buffer, std::size(buffer));
    if (length < 0)
        return QStringLiteral("PCRE2 error %1").arg(errorCode);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), length);
}

DataError syntaxError(const QString& message, qsizetype offset)
{
    return DataError(errorSource,
                     QStringLiteral("Syntax error in regular expression at offset %1: %2").arg(offset).arg(message));
}

void throwIfNull(const void* allocated)
{
    if (!allocated)
        throw DataError(errorSource, QStringLiteral("Not enough memory for the regular expression"));
}

bool isHighSurrogate(char16_t c)
{
    return (c & 0xFC00) == 0xD800;
}

bool isLowSurrogate(char16_t c)
{
    return (c & 0xFC00) == 0xDC00;
}

// Index of the first surrogate that is not part of a pair, or -1.
qsizetype firstUnpairedSurrogate(const char16_t* text, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if ((c & 0xF800) != 0xD800)
            continue;
        if (isHighSurrogate(c) && i + 1 < length && isLowSurrogate(text[i + 1])) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

// One part of a replacement text: a run of literal text or one of the "$" references.
struct ReplacementPiece
{
    enum Kind
    {
        Literal,
        Group,
        WholeMatch,
        TextBefore,
        TextAfter,
    };
    Kind kind;
    qsizetype from = 0; // Literal: range in the replacement text
    qsizetype length = 0;
    int group = 0;
};

using ReplacementPieces = QVarLengthArray<ReplacementPiece, 8>;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

ReplacementPieces parseReplacement(const QString& replacement, int captureCount)
{
    ReplacementPieces pieces;
    const qsizetype n = replacement.size();
    qsizetype literalStart = 0;
    auto flushLiteral = [&](qsizetype end) {
        if (end > literalStart)
            pieces.append({ReplacementPiece::Literal, literalStart, end - literalStart, 0});
    };
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (replacement[i] != QLatin1Char('$'))
            continue;
        const QChar next = replacement[i + 1];
        if (next == QLatin1Char('$')) {
            flushLiteral(i + 1); // keeps one "$"
            literalStart = i + 2;
            ++i;
            continue;
        }
        ReplacementPiece piece {ReplacementPiece::Literal};
        qsizetype consumed = 0;
        if (next == QLatin1Char('&')) {
            piece.kind = ReplacementPiece::WholeMatch;
            consumed = 2;
        } else if (next == QLatin1Char('`')) {
            piece.kind = ReplacementPiece::TextBefore;
            consumed = 2;
        } else if (next == QLatin1Char('\'')) {
            piece.kind = ReplacementPiece::TextAfter;
            consumed = 2;
        } else if (isDigit(next)) {
            // Two digits name a group when it exists; otherwise the first digit alone may.
            const int first = next.unicode() - '0';
            if (i + 2 < n && isDigit(replacement[i + 2])) {
                const int both = first * 10 + (replacement[i + 2].unicode() - '0');
                if (both >= 1 && both <= captureCount) {
                    piece.kind = ReplacementPiece::Group;
                    piece.group = both;
                    consumed = 3;
                }
            }
            if (consumed == 0 && first >= 1 && first <= captureCount) {
                piece.kind = ReplacementPiece::Group;
                piece.group = first;
                consumed = 2;
            }
        }
        if (consumed == 0)
            continue; // a "$" that names nothing stays as it is
        flushLiteral(i);
        pieces.append(piece);
        i += consumed - 1;
        literalStart = i + 1;
    }
    flushLiteral(n);
    return pieces;
}

} // namespace

// The compiled pattern with the buffers that every match reuses.
class RegExp::Compiled
{
public:
    Compiled(const QString& pattern, bool ignoreCase, bool multiline)
    {
        const RegExpTranslation translation(pattern, multiline);
        if (translation.failed())
            throw syntaxError(translation.errorText(), translation.errorOffset());

        uint32_t options = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UCP
            | PCRE2_NEVER_BACKSLASH_C;
        if (!multiline)
            options |= PCRE2_DOLLAR_ENDONLY;
        if (ignoreCase)
            options |= PCRE2_CASELESS;

        std::unique_ptr<pcre2_compile_context, CompileContextFree> context(pcre2_compile_context_create(nullptr));
        throwIfNull(context.get());
        // The translated pattern spells out every line end itself. A plain LF convention keeps PCRE2 from
        // stepping over "\r\n" as a unit when it moves the start of a failed match attempt.
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

        const QString& source = translation.pcrePattern();
        const auto* sourceText = reinterpret_cast<PCRE2_SPTR>(source.utf16());
        int errorCode = 0;
        PCRE2_SIZE errorOffset = 0;
        // UTF mode for Unicode case folding and whole surrogate pairs. A pattern that names a surrogate on
        // its own ("\uD800", or one typed in) has no meaning in UTF-16; it is matched code unit by code unit.
        m_code.reset(
            pcre2_compile(sourceText, source.size(), options | PCRE2_UTF, &errorCode, &errorOffset, context.get()));
        m_utf = m_code != nullptr;
        if (!m_code) {
            m_code.reset(pcre2_compile(sourceText, source.size(), options, &errorCode, &errorOffset, context.get()));
            if (!m_code)
                throw syntaxError(pcre2Message(errorCode), translation.sourceOffset(qsizetype(errorOffset)));
        }

        m_jit = pcre2_jit_compile(m_code.get(), PCRE2_JIT_COMPLETE) == 0;
        m_matchData.reset(pcre2_match_data_create_from_pattern(m_code.get(), nullptr));
        throwIfNull(m_matchData.get());
        m_matchContext.reset(pcre2_match_context_create(nullptr));
        throwIfNull(m_matchContext.get());
        if (m_jit) {
            // Long field values with back-tracking patterns outgrow JIT's default 32 KiB stack.
            m_jitStack.reset(pcre2_jit_stack_create(32 * 1024, 4 * 1024 * 1024, nullptr));
            throwIfNull(m_jitStack.get());
            pcre2_jit_stack_assign(m_matchContext.get(), nullptr, m_jitStack.get());
        }
        uint32_t captures = 0;
        pcre2_pattern_info(m_code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
        m_captureCount = int(captures);
    }

    int captureCount() const { return m_captureCount; }

    // The text PCRE2 is given for subject: the subject itself, or, in UTF mode when it holds unpaired
    // surrogates, a copy in scratch with each of them as U+FFFD. The copy has the same length, so match
    // offsets apply to the subject unchanged.
    const char16_t* matchableText(const QString& subject, QString& scratch) const
    {
        const auto* text = reinterpret_cast<const char16_t*>(subject.utf16());
        if (!m_utf)
            return text;
        const qsizetype length = subject.size();
        qsizetype i = firstUnpairedSurrogate(text, length);
        if (i < 0)
            return text;
        scratch = subject;
        auto* data = reinterpret_cast<char16_t*>(scratch.data());
        for (; i < length; ++i) {
            const char16_t c = data[i];
            if ((c & 0xF800) != 0xD800)
                continue;
            if (isHighSurrogate(c) && i + 1 < length && isLowSurrogate(data[i + 1]))
                ++i;
            else
                data[i] = 0xFFFD;
        }
        return data;
    }

    // Searches from start; on a match, ovector() holds the offsets of the match and its groups.
    bool match(const char16_t* text, qsizetype length, qsizetype start)
    {
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(text);
        // The subject is valid UTF-16 by matchableText, so PCRE2's own check is skipped.
        const int rc = m_jit
            ? pcre2_jit_match(m_code.get(), subject, length, start, 0, m_matchData.get(), m_matchContext.get())
            : pcre2_match(m_code.get(), subject, length, start, m_utf ? PCRE2_NO_UTF_CHECK : 0, m_matchData.get(),
                          m_matchContext.get());
        if (rc >= 0)
            return true;
        if (rc == PCRE2_ERROR_NOMATCH)
            return false;
        throw DataError(
            errorSource,
            QStringLiteral("The regular expression cannot be evaluated on this value: %1").arg(pcre2Message(rc)));
    }

    const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(m_matchData.get()); }

    // Offset of the character after the one at offset at: a surrogate pair is one character in UTF mode.
    qsizetype nextCharacter(const char16_t* text, qsizetype length, qsizetype at) const
    {
        if (m_utf && at + 1 < length && isHighSurrogate(text[at]) && isLowSurrogate(text[at + 1]))
            return at + 2;
        return at + 1;
    }

private:
    std::unique_ptr<pcre2_code, CodeFree> m_code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> m_matchData;
    std::unique_ptr<pcre2_match_context, MatchContextFree> m_matchContext;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> m_jitStack;
    bool m_utf = false;
    bool m_jit = false;
    int m_captureCount = 0;
};

RegExp::RegExp() = default;

RegExp::RegExp(const QString& pattern) : m_pattern(pattern) { }

RegExp::RegExp(const RegExp& other)
    : m_pattern(other.m_pattern), m_ignoreCase(other.m_ignoreCase), m_global(other.m_global),
      m_multiline(other.m_multiline)
{
}

RegExp& RegExp::operator=(const RegExp& other)
{
    if (this != &other) {
        m_pattern = other.m_pattern;
        m_ignoreCase = other.m_ignoreCase;
        m_global = other.m_global;
        m_multiline = other.m_multiline;
        invalidate();
    }
    return *this;
}

RegExp::RegExp(RegExp&& other) noexcept = default;
RegExp& RegExp::operator=(RegExp&& other) noexcept = default;
RegExp::~RegExp() = default;

void RegExp::setPattern(const QString& pattern)
{
    if (pattern != m_pattern || pattern.isNull() != m_pattern.isNull()) {
        m_pattern = pattern;
        invalidate();
    }
}

void RegExp::setIgnoreCase(bool ignoreCase)
{
    if (ignoreCase != m_ignoreCase) {
        m_ignoreCase = ignoreCase;
        invalidate();
    }
}

void RegExp::setGlobal(bool global)
{
    m_global = global;
}

void RegExp::setMultiline(bool multiline)
{
    if (multiline != m_multiline) {
        m_multiline = multiline;
        invalidate();
    }
}

void RegExp::compile()
{
    if (!m_compiled)
        m_compiled = std::make_unique<Compiled>(m_pattern, m_ignoreCase, m_multiline);
}

int RegExp::captureCount()
{
    return compiled().captureCount();
}

RegExp::Compiled& RegExp::compiled()
{
    compile();
    return *m_compiled;
}

void RegExp::invalidate()
{
    m_compiled.reset();
}

bool RegExp::Test(const QString& subject)
{
    Compiled& code = compiled();
    QString scratch;
    return code.match(code.matchableText(subject, scratch), subject.size(), 0);
}

QString RegExp::Replace(const QString& subject, const QString& replacement)
{
    Compiled& code = compiled();
    QString scratch;
    const char16_t* text = code.matchableText(subject, scratch);
    const qsizetype length = subject.size();
    const QStringView subjectView(subject);
    const QStringView replacementView(replacement);

    QString result;
    ReplacementPieces pieces;
    bool matched = false;
    qsizetype copiedUpTo = 0;
    qsizetype searchFrom = 0;
    while (searchFrom <= length && code.match(text, length, searchFrom)) {
        const PCRE2_SIZE* offsets = code.ovector();
        const auto matchStart = qsizetype(offsets[0]);
        const auto matchEnd = qsizetype(offsets[1]);
        if (!matched) {
            matched = true;
            pieces = parseReplacement(replacement, code.captureCount());
            result.reserve(length + replacement.size());
        }
        result += subjectView.mid(copiedUpTo, matchStart - copiedUpTo);
        for (const ReplacementPiece& piece : pieces) {
            switch (piece.kind) {
            case ReplacementPiece::Literal:
                result += replacementView.mid(piece.from, piece.length);
                break;
            case ReplacementPiece::WholeMatch:
                result += subjectView.mid(matchStart, matchEnd - matchStart);
                break;
            case ReplacementPiece::TextBefore:
                result += subjectView.left(matchStart);
                break;
            case ReplacementPiece::TextAfter:
                result += subjectView.mid(matchEnd);
                break;
            case ReplacementPiece::Group: {
                const PCRE2_SIZE groupStart = offsets[2 * piece.group];
                const PCRE2_SIZE groupEnd = offsets[2 * piece.group + 1];
                if (groupStart != PCRE2_UNSET)
                    result += subjectView.mid(qsizetype(groupStart), qsizetype(groupEnd - groupStart));
                break;
            }
            }
        }
        copiedUpTo = matchEnd;
        if (!m_global)
            break;
        // After an empty match the search goes on one character further, so it cannot stall.
        searchFrom = matchEnd > matchStart ? matchEnd
            : matchEnd < length            ? code.nextCharacter(text, length, matchEnd)
                                           : length + 1;
    }
    if (!matched)
        return subject;
    result += subjectView.mid(copiedUpTo);
    return result;
}

} // namespace dorvane
