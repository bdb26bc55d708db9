// What a run found and did, one ReportEntry per hit, in the order of the walk (see EntryQueue): at once
// for a search or a dry run, and for saves once their batch is committed, so that an entry says "saved"
// only when the change is in the database.
#pragma once

#include "cli/EntryQueue.h"
#include "engine/RunObserver.h"

#include <optional>

namespace dorvane {

class RunRecorder : public RunObserver
{
public:
    enum class Mode
    {
        Search, // status "found"
        DryRun, // status "dry-run"; after: the value the save would write
        Replace, // status "saved" or "failed"
    };

    RunRecorder(Mode mode, EntryQueue& entries);

    void hitFound(const HitFound& hit) override;
    void fieldSaved(const SaveOutcome& outcome) override;

private:
    Mode m_mode;
    EntryQueue& m_entries;
    std::optional<HitFound> m_hit; // the hit whose save comes next
};

} // namespace dorvane
