#include "engine/CandidateCondition.h"

#include "core/AdoTypes.h"
#include "datasource/Connection.h"
#include "datasource/OdbcTypeMapping.h"
#include "datasource/QueryField.h"
#include "engine/FieldMatcher.h"
#include "engine/FieldText.h"
#include "engine/LiteralContainment.h"
#include "engine/LiteralMatcher.h"
#include "engine/SearchableTypes.h"
#include "engine/TextFormAlphabet.h"

#include <QStringList>

#include <algorithm>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

// True when the whole-word pattern "\b" + text + "\b" can only match the text itself.
bool hasNoPatternSyntax(const QString& text)
{
    static const QLatin1StringView syntax("\\^$.|?*+()[]{}");
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) { return syntax.contains(c); });
}

} // namespace

CandidateCondition::CandidateCondition(const MatchOptions& options, const QLocale& locale, SearchableTypes& types)
    : m_types(types)
{
    const OptionalText search = FieldMatcher::effectiveSearch(options.search);
    if (!search)
        return; // empty fields are looked for: any row may hold one
    Qt::CaseSensitivity cs = options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (options.wholeField) {
        // The value equals the text, with case whatever the switch says: it contains it.
        m_wholeField = true;
        cs = Qt::CaseSensitive;
    } else if (options.regularExpression) {
        return;
    } else if (options.wholeWords) {
        if (!hasNoPatternSyntax(*search))
            return;
        // The field test rules numbers and dates out by their characters only for plain ASCII words.
        m_judgesByCharacters = FieldMatcher::isPlainAsciiLiteral(*search);
    } else {
        m_judgesByCharacters = true;
    }
    m_filters = true;
    m_containment = LiteralContainment::of(*search, cs);
    m_fitsNumbers = TextFormAlphabet::numbers(locale).mayHold(*search);
    m_fitsDates = TextFormAlphabet::dates(locale).mayHold(*search);
    m_fitsServerDates = TextFormAlphabet::serverDateTexts().mayHold(*search);
    m_fitsBooleanDigits = std::all_of(search->cbegin(), search->cend(), [](QChar c) {
        return c == QLatin1Char('0') || c == QLatin1Char('1') || c == QLatin1Char('-');
    });
    const LiteralMatcher words(*search, cs);
    m_fitsTruthValues = words.occursIn(fieldValueToText(QVariant(true), ado::adBoolean, locale))
        || words.occursIn(fieldValueToText(QVariant(false), ado::adBoolean, locale));
}

CandidateCondition::Reach CandidateCondition::reachOf(SqlDialect dialect, const CandidateColumn& column) const
{
    if (!m_types.isSearchable(column.adoType))
        return Reach::Never;
    switch (odbctypes::valueKindForAdoType(column.adoType)) {
    case ValueKind::Text:
        // psqlODBC hands booleans over as the characters "1" and "0" ("-1" with TrueIsMinus1).
        if (dialect == SqlDialect::PostgreSql
            && column.serverTypeName.compare(QLatin1String("bool"), Qt::CaseInsensitive) == 0)
            return m_fitsBooleanDigits ? Reach::Anything : Reach::Never;
        return m_containment && ContainmentSql::testsTextType(dialect, column.serverTypeName) ? Reach::Tested
                                                                                              : Reach::Anything;
    case ValueKind::Integer:
    case ValueKind::UnsignedInteger:
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Decimal:
        // Never a text: a number never equals the typed text.
        if (m_wholeField)
            return Reach::Never;
        return m_judgesByCharacters && !m_fitsNumbers ? Reach::Never : Reach::Anything;
    case ValueKind::Boolean:
        if (m_wholeField)
            return Reach::Never;
        return m_judgesByCharacters && !m_fitsTruthValues ? Reach::Never : Reach::Anything;
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
        // A value the driver's text cannot be read from stays that text, and is matched as one.
        if (m_wholeField)
            return m_fitsServerDates ? Reach::Anything : Reach::Never;
        return m_judgesByCharacters && !m_fitsDates && !m_fitsServerDates ? Reach::Never : Reach::Anything;
    case ValueKind::Binary:
    case ValueKind::Guid:
        return Reach::Anything;
    }
    return Reach::Anything;
}

std::optional<RowCondition> CandidateCondition::forColumns(SqlDialect dialect,
                                                           const std::vector<CandidateColumn>& columns) const
{
    if (!m_filters || dialect == SqlDialect::Other)
        return std::nullopt;
    QStringList tested;
    for (const CandidateColumn& column : columns) {
        switch (reachOf(dialect, column)) {
        case Reach::Never:
            break;
        case Reach::Anything:
            return std::nullopt;
        case Reach::Tested:
            tested.append(column.quotedName);
            break;
        }
    }
    if (tested.isEmpty())
        return RowCondition {QStringLiteral("1 = 0"), {}, nullptr};
    return ContainmentSql::condition(dialect, tested, *m_containment);
}

std::optional<RowCondition> CandidateCondition::forTable(const Connection& connection,
                                                         const std::vector<QueryField>& fields) const
{
    SqlDialect dialect = connection.sqlDialect();
    // The texts must reach the server unchanged, and the values must come back as it compared them.
    if (!connection.reportsWideText()
        || (dialect == SqlDialect::MySql && !(connection.bindsUtf8Text() && connection.deliversUtf8Text())))
        dialect = SqlDialect::Other;
    std::vector<CandidateColumn> columns;
    columns.reserve(fields.size());
    for (const QueryField& field : fields)
        columns.push_back({connection.quoteIdentifier(field.Name()), field.Type(), field.serverTypeName()});
    return forColumns(dialect, columns);
}

} // namespace dorvane
