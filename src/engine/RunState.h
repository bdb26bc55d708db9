// The state of a run: which tables it visits, where it resumes, and the flags through which the
// commands of the main window steer the walk. One instance per main window; UI thread only.
//
// Who writes what:
//   TableList, SingleTableOnly      PrepareRunTables
//   AllTablesMode                   Start (from the table choice)
//   CurTable/CurRecord/CurField     the walk (hit, pause) and the skip decisions
//   Resume*                         set at a hit and a pause; each loop clears its own flag on its next pass
//   StopRequested                   stop, window unload; cleared by Start
//   RunPaused                       Pause; cleared by Continue, stop, EndRun and at each table start
//   RunActive                       Start; cleared by stop and when the run completes
//   TableOpen                       Start; cleared when a table's walk ends and by EndRun
#pragma once

#include <QStringList>

#include <memory>

namespace dorvane {

class QueryRecordSet;

struct RunState
{
    QStringList TableList;
    bool SingleTableOnly = false;
    bool AllTablesMode = false;
    int CurTable = 0;
    int CurRecord = 0;
    int CurField = 0;
    bool ResumeTable = false;
    bool ResumeRecord = false;
    bool ResumeField = false;
    bool StopRequested = false;
    bool RunPaused = false;
    bool RunActive = false;
    bool TableOpen = false;
    std::unique_ptr<QueryRecordSet> RunRecordset;
    int CurrentField = -1; // index of the hit's field in the run record set; -1 when none
    int RunTableIndex = -1; // the table the run record set is open on

    bool isRecordsetOpen() const;
    bool isLastTable() const { return CurTable >= TableList.size() - 1; }
};

} // namespace dorvane
