// The owner's ear on a run session: every event of the walk and the decisions, in the order they
// happen. Handlers run on the session's thread, inside the session's call; they may read the session's
// state but must not call its decisions (the pump is the place for that). Default: ignore.
#pragma once

#include "engine/RunEvents.h"

namespace dorvane {

class RunObserver
{
public:
    virtual ~RunObserver() = default;

    virtual void tableBegun(const TableBegun&) { }
    virtual void hitFound(const HitFound&) { }
    // Called just before a save writes, with the outcome's fields that are known then (written false,
    // no reason): a change journal records the intent here, so a crash between the database's commit and
    // the journal's can be told apart afterwards.
    virtual void aboutToSave(const SaveOutcome&) { }
    virtual void fieldSaved(const SaveOutcome&) { }
    virtual void runFault(const RunFault&) { }
    virtual void tableEnded(const TableEnded&) { }
    virtual void runEnded(const RunEnded&) { }
};

} // namespace dorvane
