#include "engine/FieldMatcher.h"

#include "core/AdoTypes.h"
#include "datasource/QueryField.h"
#include "engine/FieldText.h"
#include "engine/SearchableTypes.h"
#include "engine/TextFormAlphabet.h"

#include <algorithm>

namespace dorvane {

namespace {

enum class ValueClass
{
    Number,
    Date,
    Other,
};

ValueClass valueClass(const QVariant& value, int adoType)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return ValueClass::Number;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QTime:
        return ValueClass::Date;
    case QMetaType::QString:
        return holdsDecimalText(adoType) ? ValueClass::Number : ValueClass::Other;
    default:
        return ValueClass::Other;
    }
}

const QString WordBoundary = QStringLiteral("\\b");

} // namespace

bool FieldMatcher::isPlainAsciiLiteral(const QString& text)
{
    static const QLatin1StringView syntax("\\^$.|?*+()[]{}");
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 128 && !syntax.contains(c); });
}

FieldMatcher::FieldMatcher(SearchableTypes& types) : m_types(types) { }

OptionalText FieldMatcher::effectiveSearch(const OptionalText& value)
{
    if (value && value->isEmpty())
        return std::nullopt;
    return value;
}

void FieldMatcher::prepare(const MatchOptions& options, const QLocale& locale)
{
    // Asking the system for its locale costs more than converting a value; once per run entry will do.
    m_locale = locale;
    m_search = effectiveSearch(options.search);
    m_caseSensitive = options.caseSensitive;
    m_regEx = options.regularExpression;
    m_wholeWord = options.wholeWords;

    if (options.wholeField)
        m_mode = Mode::WholeField;
    else if (m_regEx)
        m_mode = Mode::RegularExpression;
    else if (!m_wholeWord)
        m_mode = Mode::PartOfField;
    else
        m_mode = Mode::WholeWord;

    m_matching.reset();
    m_literal = LiteralMatcher();
    m_wordPrefilter.reset();
    m_utf8Filter = Utf8LiteralFilter();
    if (!m_search)
        return; // looking for empty fields: no expression is ever asked
    const Qt::CaseSensitivity cs = m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    m_searchFitsNumbers = TextFormAlphabet::numbers(m_locale).mayHold(*m_search);
    m_searchFitsDates = TextFormAlphabet::dates(m_locale).mayHold(*m_search);
    if (m_mode == Mode::PartOfField)
        m_literal = LiteralMatcher(*m_search, cs);
    if (m_mode == Mode::WholeWord && isPlainAsciiLiteral(*m_search))
        m_wordPrefilter.emplace(*m_search, cs);
    if (m_mode == Mode::PartOfField || m_wordPrefilter)
        m_utf8Filter = Utf8LiteralFilter(*m_search, cs);
    // Whole field compares the text as typed and never asks an expression, so it never compiles one: "C++"
    // with whole words ticked is a valid whole-field search.
    if (m_mode != Mode::WholeField && (m_regEx || m_wholeWord)) {
        RegExp expression(m_regEx ? *m_search : WordBoundary + *m_search + WordBoundary);
        expression.setIgnoreCase(!m_caseSensitive);
        expression.setGlobal(true);
        expression.setMultiline(!m_regEx);
        expression.compile();
        m_matching = std::move(expression);
    }
}

bool FieldMatcher::valueMatches(const QVariant& value, int adoType)
{
    if (value.isNull())
        return !m_search;
    // Decimal values travel as text but are numbers: they never equal a typed text and are shown in the
    // locale's form.
    const bool isText = value.typeId() == QMetaType::QString && !holdsDecimalText(adoType);
    // A number or date whose text cannot hold the search text needs no text: converting every value of
    // such columns is most of what a run spends beside reading.
    // Only a literal search text can be judged by its characters; a pattern ("\\d+") cannot.
    const bool literalSearch = m_mode == Mode::PartOfField || (m_mode == Mode::WholeWord && m_wordPrefilter);
    if (!isText && m_search && m_mode == Mode::WholeField)
        return false; // a number, date or truth value never equals a typed text
    if (!isText && m_search && literalSearch) {
        switch (valueClass(value, adoType)) {
        case ValueClass::Number:
            if (!m_searchFitsNumbers)
                return false;
            break;
        case ValueClass::Date:
            if (!m_searchFitsDates)
                return false;
            break;
        case ValueClass::Other:
            break;
        }
    }
    // Texts are read in place: a copy per field would cost a reference count round trip on every visit.
    QString converted;
    if (!isText)
        converted = fieldValueToText(value, adoType, m_locale);
    const QString& text = isText ? *static_cast<const QString*>(value.constData()) : converted;
    if (text.isEmpty())
        return !m_search;
    if (!m_search)
        return false;

    switch (m_mode) {
    case Mode::WholeField:
        // A number, date or truth value never equals a typed text.
        return isText && text == *m_search;
    case Mode::WholeWord:
        if (m_wordPrefilter && !m_wordPrefilter->occursIn(text))
            return false;
        return m_matching && m_matching->Test(text);
    case Mode::RegularExpression:
        return m_matching && m_matching->Test(text);
    case Mode::PartOfField:
        return m_literal.occursIn(text);
    }
    return false;
}

bool FieldMatcher::isHit(const QVariant& value, int adoType)
{
    return valueMatches(value, adoType) && m_types.isSearchable(adoType);
}

bool FieldMatcher::isHit(const QueryField& field)
{
    const QByteArray* utf8 = field.undecodedUtf8();
    if (utf8 && m_search && !holdsDecimalText(field.Type()) && m_utf8Filter.turnsAway(*utf8))
        return false;
    return isHit(field.Value(), field.Type());
}

} // namespace dorvane
