#include "engine/RegExp.h"

#include "core/DataError.h"
#include "engine/RegExpTranslation.h"

#include <QLocale>
#include <QScopeGuard>
#include <QVarLengthArray>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dorvane {

namespace {

const QString errorSource = QStringLiteral("RegExp");

// What one Test or Replace of one long value may take before it gives up with a DataError.
std::chrono::milliseconds valueTimeLimit {10000};

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

bool isSurrogate(char16_t c)
{
    return (c & 0xF800) == 0xD800;
}

// The code units of a text in place. Unlike QString::utf16(), which copies a text made by fromRawData
// to give it a terminating NUL, this never allocates: PCRE2 is told the length.
const char16_t* textOf(const QString& text)
{
    const QChar* data = text.constData();
    return data ? reinterpret_cast<const char16_t*>(data) : u"";
}

#if defined(__SSE2__)
// Offset of the first set lane of a 16-bit lane mask from _mm_movemask_epi8, or -1 when none is set.
inline qsizetype firstLane(int byteMask)
{
    return byteMask == 0 ? -1 : qsizetype(__builtin_ctz(unsigned(byteMask)) / 2);
}

// Runs hitsIn (a block of eight code units → a _mm_movemask_epi8 mask of its hits) over the text from
// from, and gives the offset of the first hit or -1. The last block overlaps the one before it instead
// of a tail tested one unit at a time; its lanes that were seen already are masked off.
// REQUIRES: length >= 8.
template<typename HitsIn>
qsizetype firstHitInBlocks(const char16_t* text, qsizetype length, qsizetype from, HitsIn hitsIn)
{
    const auto block = [text](qsizetype at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    };
    qsizetype i = from;
    for (; i + 8 <= length; i += 8) {
        const qsizetype lane = firstLane(hitsIn(block(i)));
        if (lane >= 0)
            return i + lane;
    }
    if (i >= length)
        return -1;
    const qsizetype last = length - 8;
    const int seen = (1 << (2 * (i - last))) - 1;
    const qsizetype lane = firstLane(hitsIn(block(last)) & ~seen);
    return lane >= 0 ? last + lane : -1;
}
#endif

// Index of the first surrogate at or after from, or -1. Most texts hold none, and every value a run
// matches is scanned once for them, so whole blocks are tested at a time.
qsizetype firstSurrogate(const char16_t* text, qsizetype length, qsizetype from)
{
#if defined(__SSE2__)
    if (length >= 8) {
        const __m128i mask = _mm_set1_epi16(short(0xF800));
        const __m128i surrogate = _mm_set1_epi16(short(0xD800));
        return firstHitInBlocks(text, length, from, [&](__m128i units) {
            return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, mask), surrogate));
        });
    }
#endif
    for (qsizetype i = from; i < length; ++i) {
        if (isSurrogate(text[i]))
            return i;
    }
    return -1;
}

// Index of the first surrogate that is not part of a pair, or -1.
qsizetype firstUnpairedSurrogate(const char16_t* text, qsizetype length)
{
    for (qsizetype i = firstSurrogate(text, length, 0); i >= 0; i = firstSurrogate(text, length, i)) {
        if (isHighSurrogate(text[i]) && i + 1 < length && isLowSurrogate(text[i + 1])) {
            i += 2;
            continue;
        }
        return i;
    }
    return -1;
}

// The code units at which a match of the pattern can begin, when PCRE2 knows only a set of them: PCRE2's
// own search for such a set steps one code unit at a time, several times slower than looking at a block
// of units at once. The typical case is a case-ignoring pattern that begins with "k" or "s", which in
// UTF mode also match KELVIN SIGN and LONG S, so that PCRE2 has three first code units instead of two.
//
// Skipping to the first candidate changes no result: PCRE2 itself never starts a match attempt at a code
// unit outside the set, and a match found from a later start offset still sees the text before it for
// "\b" and look-behinds.
class StartUnitScan
{
public:
    // Empty when PCRE2 finds first code units fast by itself (one unit and its other case), when the set
    // is too large to test block-wise, or when the pattern gives none (it may match the empty text).
    static std::optional<StartUnitScan> of(const pcre2_code* code)
    {
        uint32_t firstCodeType = 0;
        if (pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &firstCodeType) != 0 || firstCodeType != 0)
            return std::nullopt;
        const uint8_t* bitmap = nullptr;
        if (pcre2_pattern_info(code, PCRE2_INFO_FIRSTBITMAP, &bitmap) != 0 || !bitmap)
            return std::nullopt;
        StartUnitScan scan;
        for (int unit = 0; unit < 256; ++unit) {
            if ((bitmap[unit / 8] & (1u << (unit % 8))) == 0)
                continue;
            // In the 16-bit library the last bit stands for every code unit from 255 up.
            if (unit == 255) {
                scan.m_fromUnit255 = true;
                continue;
            }
            if (scan.m_count == MaxUnits)
                return std::nullopt;
            scan.m_units[scan.m_count++] = char16_t(unit);
        }
        if (scan.m_count == 0 && !scan.m_fromUnit255)
            return std::nullopt;
#if defined(__SSE2__)
        for (int k = 0; k < scan.m_count; ++k)
            scan.m_unitLanes[k] = _mm_set1_epi16(short(scan.m_units[k]));
        // A unit is 255 or above exactly when subtracting 254 with unsigned saturation leaves something;
        // subtracting 0xFFFF leaves nothing of any unit.
        scan.m_below255 = _mm_set1_epi16(scan.m_fromUnit255 ? short(254) : short(0xFFFF));
#endif
        return scan;
    }

    // The first offset at or after from where a match can begin, or -1 when there is none.
    qsizetype next(const char16_t* text, qsizetype length, qsizetype from) const
    {
#if defined(__SSE2__)
        if (length >= 8) {
            switch (m_count) {
            case 0:
                return nextInBlocks<0>(text, length, from);
            case 1:
                return nextInBlocks<1>(text, length, from);
            case 2:
                return nextInBlocks<2>(text, length, from);
            case 3:
                return nextInBlocks<3>(text, length, from);
            default:
                return nextInBlocks<4>(text, length, from);
            }
        }
#endif
        for (qsizetype i = from; i < length; ++i) {
            if (isCandidate(text[i]))
                return i;
        }
        return -1;
    }

private:
    static constexpr int MaxUnits = 4;

    bool isCandidate(char16_t unit) const
    {
        if (unit >= 255)
            return m_fromUnit255;
        return std::find(m_units, m_units + m_count, unit) != m_units + m_count;
    }

#if defined(__SSE2__)
    // next() for a set of Units listed units, eight units at a time.
    template<int Units> qsizetype nextInBlocks(const char16_t* text, qsizetype length, qsizetype from) const
    {
        __m128i lanes[Units > 0 ? Units : 1];
        for (int k = 0; k < Units; ++k)
            lanes[k] = m_unitLanes[k];
        const __m128i below255 = m_below255;
        return firstHitInBlocks(text, length, from, [&](__m128i units) {
            __m128i outside = _mm_cmpeq_epi16(_mm_subs_epu16(units, below255), _mm_setzero_si128());
            for (int k = 0; k < Units; ++k)
                outside = _mm_andnot_si128(_mm_cmpeq_epi16(units, lanes[k]), outside);
            // Lanes of candidates have the bits that outside lacks.
            return ~_mm_movemask_epi8(outside) & 0xFFFF;
        });
    }

    __m128i m_unitLanes[MaxUnits] {};
    __m128i m_below255 {};
#endif
    char16_t m_units[MaxUnits] {};
    int m_count = 0;
    bool m_fromUnit255 = false;
};

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
            | PCRE2_NEVER_BACKSLASH_C | PCRE2_USE_OFFSET_LIMIT;
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
        pcre2_set_match_limit(m_matchContext.get(), MatchLimit);
        pcre2_set_heap_limit(m_matchContext.get(), InterpreterHeapLimitKiB);
        if (m_jit) {
            m_jitStack.reset(pcre2_jit_stack_create(32 * 1024, JitStackMax, nullptr));
            throwIfNull(m_jitStack.get());
            pcre2_jit_stack_assign(m_matchContext.get(), nullptr, m_jitStack.get());
        }
        m_startScan = StartUnitScan::of(m_code.get());
        uint32_t allOptions = 0;
        pcre2_pattern_info(m_code.get(), PCRE2_INFO_ALLOPTIONS, &allOptions);
        m_anchored = (allOptions & PCRE2_ANCHORED) != 0;
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
        const char16_t* text = textOf(subject);
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
            if (!isSurrogate(c))
                continue;
            if (isHighSurrogate(c) && i + 1 < length && isLowSurrogate(data[i + 1]))
                ++i;
            else
                data[i] = 0xFFFD;
        }
        return data;
    }

    // The first offset at or after start at which a match can begin, or -1 when none can: the text's
    // unpaired surrogates may still be in it, since they and their U+FFFD stand-ins are alike for this.
    qsizetype firstPossibleStart(const char16_t* text, qsizetype length, qsizetype start) const
    {
        return m_startScan ? m_startScan->next(text, length, start) : start;
    }

    // Searches text (from matchableText) from start; on a match, ovector() holds the offsets of the match
    // and its groups. Throws DataError when the value cannot be matched within the limits below.
    bool match(const char16_t* text, qsizetype length, qsizetype start)
    {
        const qsizetype from = firstPossibleStart(text, length, start);
        return from >= 0 && matchFrom(text, length, from);
    }

    // match() for a start that firstPossibleStart() gave.
    bool matchFrom(const char16_t* text, qsizetype length, qsizetype from)
    {
        m_result = m_matchData.get();
        if (m_jit && m_startScan) {
            // A match attempt at each start candidate alone, while they are few: left to itself, PCRE2
            // would walk on from a failed candidate at its own slower pace. The offset limit keeps an
            // attempt at its candidate; an error is left to the search below, which meets it again.
            const auto* subject = reinterpret_cast<PCRE2_SPTR>(text);
            int rc = PCRE2_ERROR_NOMATCH;
            for (int attempt = 0; attempt < CandidatesTriedAlone; ++attempt) {
                pcre2_set_offset_limit(m_matchContext.get(), from);
                rc = pcre2_jit_match(m_code.get(), subject, length, from, 0, m_matchData.get(), m_matchContext.get());
                if (rc != PCRE2_ERROR_NOMATCH)
                    break;
                from = m_startScan->next(text, length, nextCharacter(text, length, from));
                if (from < 0)
                    break;
            }
            pcre2_set_offset_limit(m_matchContext.get(), PCRE2_UNSET);
            if (rc >= 0)
                return true;
            if (from < 0)
                return false;
        }
        if (length < TimedFrom || m_anchored)
            return matched(search(text, length, from), length);
        return matchInWindows(text, length, from);
    }

    const PCRE2_SIZE* ovector() const { return pcre2_get_ovector_pointer(m_result); }

    // Starts the clock of one value: a Test or a Replace, whose searches share the time one value may take.
    void startValue(qsizetype length)
    {
        if (length >= TimedFrom)
            m_deadline = std::chrono::steady_clock::now() + valueTimeLimit;
    }

    // Gives back what one long value made matching take: the large JIT stack and the interpreter's
    // match data, which keeps its back-tracking frames between calls. Call when the text is done with.
    void releaseLongTextMemory()
    {
        m_interpreterMatchData.reset();
        if (m_largeJitStack) {
            pcre2_jit_stack_assign(m_matchContext.get(), nullptr, m_jitStack.get());
            m_largeJitStack.reset();
        }
        m_result = m_matchData.get();
    }

    // Offset of the character after the one at offset at: a surrogate pair is one character in UTF mode.
    qsizetype nextCharacter(const char16_t* text, qsizetype length, qsizetype at) const
    {
        if (m_utf && at + 1 < length && isHighSurrogate(text[at]) && isLowSurrogate(text[at + 1]))
            return at + 2;
        return at + 1;
    }

private:
    // A group repeated once per character ("(a|b)*c") takes about 32 bytes of JIT stack per character,
    // and six times that of the interpreter's heap. The small stack serves every ordinary value; the large
    // one, reserved only while one long value needs it, lets JIT match about four million characters.
    static constexpr size_t JitStackMax = 4 * 1024 * 1024;
    static constexpr size_t LargeJitStackMax = 128 * 1024 * 1024;
    static constexpr uint32_t InterpreterHeapLimitKiB = 256 * 1024;
    // PCRE2's own default, stated here because it is what stops a pattern that back-tracks without end.
    static constexpr uint32_t MatchLimit = 10'000'000;
    // Start candidates matched one at a time before PCRE2 is left to search on by itself: enough for the
    // one or two places most values offer, and a bound on the extra calls where every unit is one.
    static constexpr int CandidatesTriedAlone = 4;
    // Texts from this length on are searched in windows of start offsets against the clock; in shorter
    // ones even work that grows with the square of the length stays well within the time limit.
    static constexpr qsizetype TimedFrom = 16 * 1024;

    // One search from start to the context's offset limit: by JIT, again by JIT on the large stack when
    // the small one overflows, and by the interpreter when JIT cannot do it at all. Gives PCRE2's result.
    int search(const char16_t* text, qsizetype length, qsizetype from)
    {
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(text);
        if (m_jit) {
            m_result = m_matchData.get();
            // The text is valid UTF-16 by matchableText; JIT matching never checks it.
            int rc = pcre2_jit_match(m_code.get(), subject, length, from, 0, m_matchData.get(), m_matchContext.get());
            if (rc == PCRE2_ERROR_JIT_STACKLIMIT && useLargeJitStack())
                rc = pcre2_jit_match(m_code.get(), subject, length, from, 0, m_matchData.get(), m_matchContext.get());
            if (rc != PCRE2_ERROR_JIT_STACKLIMIT)
                return rc;
        }
        // The interpreter keeps its back-tracking frames on the heap, within the context's heap limit.
        // It needs more memory per repetition than JIT, so it is the way out for a pattern that JIT
        // cannot run within its stack rather than for long texts, and the way in where JIT is missing.
        if (!m_interpreterMatchData) {
            m_interpreterMatchData.reset(pcre2_match_data_create_from_pattern(m_code.get(), nullptr));
            throwIfNull(m_interpreterMatchData.get());
        }
        m_result = m_interpreterMatchData.get();
        return pcre2_match(m_code.get(), subject, length, from, PCRE2_NO_JIT | (m_utf ? PCRE2_NO_UTF_CHECK : 0),
                           m_interpreterMatchData.get(), m_matchContext.get());
    }

    // The search of a long text, a window of start offsets at a time, within the time the value may take.
    // PCRE2 bounds the work at each start, not the sum over the starts: a pattern that runs far ahead
    // before it fails, "(a|b)*c" on a long text without "c", costs the square of the length. Windows are
    // searched in order, so the first match is the one a single search finds.
    bool matchInWindows(const char16_t* text, qsizetype length, qsizetype from)
    {
        using Clock = std::chrono::steady_clock;
        qsizetype window = 1;
        for (;;) {
            const qsizetype last = std::min(length, from + window - 1);
            const Clock::time_point started = Clock::now();
            pcre2_set_offset_limit(m_matchContext.get(), PCRE2_SIZE(last));
            int rc = PCRE2_ERROR_NOMATCH;
            try {
                rc = search(text, length, from);
            } catch (...) {
                pcre2_set_offset_limit(m_matchContext.get(), PCRE2_UNSET);
                throw;
            }
            pcre2_set_offset_limit(m_matchContext.get(), PCRE2_UNSET);
            if (rc != PCRE2_ERROR_NOMATCH || last >= length)
                return matched(rc, length);
            from = last + 1;
            // A start never falls between the halves of a pair.
            if (m_utf && isLowSurrogate(text[from]) && isHighSurrogate(text[from - 1]))
                ++from;
            const Clock::time_point now = Clock::now();
            if (now >= m_deadline) {
                throw DataError(errorSource,
                                QStringLiteral("The regular expression cannot be evaluated on this value of %1 "
                                               "characters: it takes longer than the %2 s allowed for one value")
                                    .arg(QLocale::c().toString(length))
                                    .arg(double(valueTimeLimit.count()) / 1000.0));
            }
            // Windows that take no time grow, so that short work is not cut into many calls.
            if (now - started < std::chrono::milliseconds(1))
                window = std::min(window * 2, length);
            else if (window > 1)
                window /= 2;
        }
    }

    bool useLargeJitStack()
    {
        if (m_largeJitStack)
            return false; // the large stack was already too small
        m_largeJitStack.reset(pcre2_jit_stack_create(1024 * 1024, LargeJitStackMax, nullptr));
        if (!m_largeJitStack)
            return false; // no address space for it: the interpreter is the way left
        pcre2_jit_stack_assign(m_matchContext.get(), nullptr, m_largeJitStack.get());
        return true;
    }

    bool matched(int rc, qsizetype length) const
    {
        if (rc >= 0)
            return true;
        if (rc == PCRE2_ERROR_NOMATCH)
            return false;
        switch (rc) {
        case PCRE2_ERROR_JIT_STACKLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_NOMEMORY:
            throw DataError(errorSource,
                            QStringLiteral("The regular expression cannot be evaluated on this value of %1 characters: "
                                           "matching it needs more than the %2 MB of memory allowed (%3)")
                                .arg(QLocale::c().toString(length))
                                .arg(InterpreterHeapLimitKiB / 1024)
                                .arg(pcre2Message(rc)));
        case PCRE2_ERROR_MATCHLIMIT:
            throw DataError(errorSource,
                            QStringLiteral("The regular expression cannot be evaluated on this value: it back-tracks "
                                           "more than %1 times (%2)")
                                .arg(QLocale::c().toString(MatchLimit))
                                .arg(pcre2Message(rc)));
        default:
            throw DataError(
                errorSource,
                QStringLiteral("The regular expression cannot be evaluated on this value: %1").arg(pcre2Message(rc)));
        }
    }

    std::unique_ptr<pcre2_code, CodeFree> m_code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> m_matchData;
    std::unique_ptr<pcre2_match_data, MatchDataFree> m_interpreterMatchData;
    pcre2_match_data* m_result = nullptr; // the match data of the last match: one of the two above
    std::unique_ptr<pcre2_match_context, MatchContextFree> m_matchContext;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> m_jitStack;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> m_largeJitStack;
    std::optional<StartUnitScan> m_startScan;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_anchored = false; // PCRE2 tries the start offset only
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

void RegExp::setValueTimeLimitForTesting(int milliseconds)
{
    valueTimeLimit = std::chrono::milliseconds(milliseconds);
}

void RegExp::invalidate()
{
    m_compiled.reset();
}

bool RegExp::Test(const QString& subject)
{
    Compiled& code = m_compiled ? *m_compiled : compiled();
    const qsizetype length = subject.size();
    // Most values hold no code unit at which a match could begin: they need neither the surrogate check
    // nor PCRE2.
    const qsizetype from = code.firstPossibleStart(textOf(subject), length, 0);
    if (from < 0)
        return false;
    // What one long value made matching take is given back when this call is done, also when it throws.
    const auto release = qScopeGuard([&code] { code.releaseLongTextMemory(); });
    code.startValue(length);
    QString scratch;
    return code.matchFrom(code.matchableText(subject, scratch), length, from);
}

QString RegExp::Replace(const QString& subject, const QString& replacement)
{
    Compiled& code = compiled();
    const auto release = qScopeGuard([&code] { code.releaseLongTextMemory(); });
    const qsizetype length = subject.size();
    code.startValue(length);
    QString scratch;
    const char16_t* text = code.matchableText(subject, scratch);
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
