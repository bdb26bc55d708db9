#include "engine/FieldMatcher.h"

#include "core/AdoTypes.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldText.h"

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

// The characters a kind of value's text can hold: the listed ones (either case), any letter when names
// may appear, or anything at all when nothing is known.
struct CharacterSet
{
    QString chars;
    bool letters = false;
    bool anything = false;
};

// Every character a number's text can hold in this locale.
CharacterSet numberCharacters(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, false, true};
    QString chars = QStringLiteral("0123456789+-.,eEinfINFaA");
    chars += locale.negativeSign() + locale.positiveSign() + locale.decimalPoint() + locale.groupSeparator()
        + locale.exponential();
    return {chars, false, false};
}

// Every character a date, time or date-time text can hold: digits, the separators of the short date
// format, blank, colon and point, and letters when the format writes names of months or days.
CharacterSet dateCharacters(const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return {{}, false, true};
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    CharacterSet set {QStringLiteral("0123456789 :."), false, false};
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        i += run;
        if (c == QLatin1Char('\''))
            return {{}, false, true}; // quoted text may hold anything
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            if (run >= 3 && c != QLatin1Char('y'))
                set.letters = true; // "MMM", "dddd": names
            continue;
        }
        if (c.isLetter())
            return {{}, false, true};
        set.chars += c;
    }
    return set;
}

// True when every character of text could stand in a text of the set (compared without case).
bool onlyCharactersOf(const QString& text, const CharacterSet& set)
{
    if (set.anything)
        return true;
    for (const QChar c : text) {
        if (set.letters && c.isLetter())
            continue;
        if (!set.chars.contains(c, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

const QString WordBoundary = QStringLiteral("\\b");

// True when text, read as a pattern, can only match itself: ASCII without any pattern syntax. A case-
// ignoring match of such a pattern is then also found by the case-ignoring literal search (the only
// non-ASCII letters that fold onto ASCII ones, KELVIN SIGN and LONG S, fold alike in both).
bool isPlainAsciiLiteral(const QString& text)
{
    static const QLatin1StringView syntax("\\^$.|?*+()[]{}");
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 128 && !syntax.contains(c); });
}

} // namespace

FieldMatcher::FieldMatcher(MainSurface& surface) : m_surface(surface) { }

EditorValue FieldMatcher::effectiveSearch(const EditorValue& value)
{
    if (value && value->isEmpty())
        return std::nullopt;
    return value;
}

int FieldMatcher::replacedMaxLength(qint64 definedSize)
{
    return definedSize < 32768 ? static_cast<int>(std::max<qint64>(definedSize, 0)) : 32767;
}

void FieldMatcher::prepare()
{
    // Asking the system for its locale costs more than converting a value; once per run entry will do.
    m_locale = QLocale::system();
    m_search = effectiveSearch(m_surface.searchValue());
    m_caseSensitive = m_surface.caseSensitive();
    m_regEx = m_surface.regEx();
    m_wholeWord = m_surface.wholeWord();

    if (m_surface.wholeField())
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
    if (!m_search)
        return; // looking for empty fields: no expression is ever asked
    const Qt::CaseSensitivity cs = m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    m_searchFitsNumbers = onlyCharactersOf(*m_search, numberCharacters(m_locale));
    m_searchFitsDates = onlyCharactersOf(*m_search, dateCharacters(m_locale));
    if (m_mode == Mode::PartOfField)
        m_literal = LiteralMatcher(*m_search, cs);
    if (m_mode == Mode::WholeWord && isPlainAsciiLiteral(*m_search))
        m_wordPrefilter.emplace(*m_search, cs);
    if (m_regEx || m_wholeWord) {
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
    return valueMatches(value, adoType) && IsSearchableType(adoType);
}

RegExp FieldMatcher::displayExpression(const QString& search) const
{
    RegExp expression;
    expression.setIgnoreCase(!m_surface.caseSensitive());
    expression.setGlobal(true);
    if (m_surface.regEx()) {
        expression.setPattern(search);
    } else if (m_surface.wholeWord()) {
        expression.setPattern(WordBoundary + search + WordBoundary);
    } else {
        // Part-of-field and whole-field hits are shown with the search text used as a pattern.
        expression.setPattern(search);
        expression.setMultiline(true);
    }
    return expression;
}

bool FieldMatcher::ShowHit(const FieldSnapshot& field, bool replaceWithoutHalt)
{
    m_surface.SetInterface(false);
    const EditorValue search = effectiveSearch(m_surface.searchValue());
    RegExp expression = displayExpression(search.value_or(QString()));

    const int maxLength = replacedMaxLength(field.definedSize);
    m_surface.setReplacedMaxLength(maxLength);
    m_surface.setStatusText(5, QString::number(maxLength));

    const QString typeName = DataTypeName(field.type);
    if (!typeName.isEmpty())
        m_surface.setStatusText(4, typeName);
    // The digits-only filter belongs to Integer fields alone; a later hit of another type clears it.
    m_surface.setReplacedDigitsOnly(field.type == ado::adInteger);

    const QString original = fieldValueToText(field.value, field.type);
    m_surface.setOriginalView(original.isNull() ? EditorValue() : EditorValue(original));

    const QString replacement = m_surface.replaceValue().value_or(QString());
    if (original.isNull() || (!replacement.isEmpty() && original.isEmpty())) {
        m_surface.setReplacedView(replacement);
    } else if (!replacement.isEmpty() && search) {
        QString replaced;
        try {
            replaced = expression.Replace(original, replacement);
        } catch (const DataError&) {
            // The display expression uses the text as a pattern even outside regular-expression mode;
            // a text that is no valid pattern proposes the literal replacement instead.
            replaced = original;
            replaced.replace(*search, replacement, m_surface.caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive);
        }
        m_surface.setReplacedView(replaced);
    } else {
        m_surface.setReplacedView(original);
    }

    // The run sets Timer1's interval when it is entered; the hit display only starts it.
    if (replaceWithoutHalt)
        m_surface.setTimer1Enabled(true);
    return true;
}

void FieldMatcher::ReplacePreview()
{
    // The empty search text is no search at all: replacing it would put the replacement between every
    // two characters.
    const EditorValue search = effectiveSearch(m_surface.searchValue());
    if (!search)
        return;
    const EditorValue original = m_surface.originalView();
    const EditorValue replacement = m_surface.replaceValue();
    if (!original) {
        m_surface.setReplacedView(replacement.value_or(QString(QLatin1String(""))));
        return;
    }
    QString text = *original;
    text.replace(*search, replacement.value_or(QString()), Qt::CaseInsensitive);
    m_surface.setReplacedView(text);
}

} // namespace dorvane
