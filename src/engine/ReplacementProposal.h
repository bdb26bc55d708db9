// The value proposed for a hit: the stored value's text with the search text replaced, by the rule the
// front end asks for. Built once per entry into the run (the options are fixed while it walks) and asked
// for every hit. Not thread-safe: the expression reuses its match buffers.
#pragma once

#include "engine/MatchOptions.h"
#include "engine/RegExp.h"

#include <optional>

namespace dorvane {

class ReplacementProposal
{
public:
    ReplacementProposal() = default;
    ReplacementProposal(const MatchOptions& options, ReplacementRule rule);

    // `original` is the stored value's text, a null QString for a database NULL. By the display rule a
    // search text that is no valid pattern proposes the literal replacement instead, and nothing throws;
    // by the literal rule an expression that fails (PCRE2's limits) throws DataError, since a literal
    // stand-in would change other text than the expression found.
    QString propose(const QString& original);

private:
    QString literalReplacement(const QString& original) const;

    MatchOptions m_options;
    ReplacementRule m_rule = ReplacementRule::DisplayExpression;
    QString m_search; // "" for no value and for the empty text
    QString m_replacement; // "" for no value
    std::optional<RegExp> m_expression; // the display expression, when the rule uses one
};

} // namespace dorvane
