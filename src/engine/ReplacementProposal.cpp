#include "engine/ReplacementProposal.h"

#include "core/DataError.h"

namespace dorvane {

namespace {

const QString WordBoundary = QStringLiteral("\\b");

} // namespace

ReplacementProposal::ReplacementProposal(const MatchOptions& options, ReplacementRule rule)
    : m_options(options), m_rule(rule), m_search(options.search.value_or(QString())),
      m_replacement(options.replacement.value_or(QString()))
{
    if (m_search.isEmpty() || m_replacement.isEmpty())
        return; // nothing to replace: the proposal never asks an expression
    const bool pattern = options.regularExpression || options.wholeWords;
    if (rule == ReplacementRule::Literal && (!pattern || options.wholeField))
        return;
    RegExp expression;
    expression.setIgnoreCase(!options.caseSensitive);
    expression.setGlobal(true);
    if (options.regularExpression) {
        expression.setPattern(m_search);
    } else if (options.wholeWords) {
        expression.setPattern(WordBoundary + m_search + WordBoundary);
    } else {
        // Part-of-field and whole-field hits are shown with the search text used as a pattern.
        expression.setPattern(m_search);
        expression.setMultiline(true);
    }
    m_expression = std::move(expression);
}

QString ReplacementProposal::literalReplacement(const QString& original) const
{
    if (m_rule == ReplacementRule::Literal && m_options.wholeField)
        return m_replacement; // the whole value equals the search text
    QString replaced = original;
    replaced.replace(m_search, m_replacement, m_options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return replaced;
}

QString ReplacementProposal::propose(const QString& original)
{
    if (original.isNull() || (!m_replacement.isEmpty() && original.isEmpty()))
        return m_replacement;
    if (m_replacement.isEmpty() || m_search.isEmpty())
        return original; // an empty replacement proposes no change
    if (!m_expression)
        return literalReplacement(original);
    if (m_rule == ReplacementRule::Literal)
        return m_expression->Replace(original, m_replacement);
    try {
        return m_expression->Replace(original, m_replacement);
    } catch (const DataError&) {
        // The display expression uses the text as a pattern even outside regular-expression mode; a text
        // that is no valid pattern proposes the literal replacement instead.
        return literalReplacement(original);
    }
}

} // namespace dorvane
