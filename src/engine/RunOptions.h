// Everything a run is asked to do, as one value: what it matches, which tables it walks, what happens at
// a hit, and how a proposed value is made.
#pragma once

#include "engine/MatchOptions.h"

#include <QStringList>

namespace dorvane {

// What the session does at a hit by itself.
enum class HitPolicy
{
    Wait, // return to the owner and wait for a decision
    SaveEvery, // save the proposed value and go on ("replace without halt" without a timer)
    SkipEvery, // report the hit and go on without writing (a search, a dry run)
};

struct RunOptions
{
    MatchOptions match;
    // The tables to walk, in this order; empty: every base table of the source, in the source's order.
    QStringList tables;
    HitPolicy policy = HitPolicy::Wait;
    ReplacementRule rule = ReplacementRule::DisplayExpression;
    // The server may be asked for a table's candidate rows only (CandidateCondition): the hits stay the
    // same, but the records read are not the table's, so events name no record position (record -1) in a
    // table read that way. Only for front ends that show no record positions; a window never sets it.
    bool serverCandidates = false;
};

} // namespace dorvane
