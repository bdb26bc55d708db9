// The main window as one presenter of a run session: the run commands of the window (start, pause and
// browse, continue, stop, skip field / record / table, replace preview, save, and the automatic save of
// "replace without halt" driven by Timer1) turned into the session's decisions, and the session's phases
// and events turned into tool states, status panels, the progress bar, the views and messages.
//
// Which run tools are shown and enabled in which phase is decided in one place, applyTools(). Works
// through the tool catalogue and the main surface only, so it runs headless as well as on frmMain. All
// references must outlive the presenter; the texts are read at each use. UI thread only.
#pragma once

#include "engine/RunSession.h"
#include "presentation/HitDisplay.h"

#include <QSet>
#include <QString>

#include <functional>

namespace dorvane {

class MainSurface;
class ToolCatalogue;
struct MainWindowTexts;

class RunPresenter : public RunObserver
{
public:
    // selectedTable answers the data source's SelectedTable at the moment a run starts.
    RunPresenter(RunSession& session, MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
                 std::function<QString()> selectedTable);
    ~RunPresenter() override;
    RunPresenter(const RunPresenter&) = delete;
    RunPresenter& operator=(const RunPresenter&) = delete;

    // Window commands.
    void Start();
    void Pause();
    void Continue();
    void StopCommand();
    void SaveCommand();
    void SkipField();
    void SkipRecord();
    void SkipTable();
    void Replace();

    // The stop operation, also used by quit and open commands after the user confirmed.
    void StopRun();
    // Timer1's tick.
    void onTimer1();

    // Browse-mode displays.
    void ShowCurrentField();
    void ShowPosition();

    bool isBrowseMode() const { return m_session.isBrowsing(); }
    const QString& replaceText() const { return m_replaceText; }

    // RunObserver
    void tableBegun(const TableBegun& begun) override;
    void hitFound(const HitFound& hit) override;
    void runFault(const RunFault& fault) override;
    void tableEnded(const TableEnded& ended) override;
    void runEnded(const RunEnded& ended) override;

private:
    // The run tools for a phase of the session (see the table in the source).
    void applyTools(RunSession::Phase phase);
    // The walk's check: the position in the status line and on the progress bar, then the window's events.
    void onCheckpoint(RunSession::Checkpoint checkpoint);
    // Shows t44 and answers true when the search text does not allow the command.
    bool refusedForMissingSearch();
    // Hands the panel's options to the session and compiles them; shows the error and answers false for
    // an invalid pattern, before anything has changed.
    bool patternAccepted();
    void setFindLabel();
    void refreshReplaceText();
    void emptyViews();
    void showStatusPosition(int table, int record, const QString& fieldName);
    // Walks on to the next hit, pause, stop or end, and sets the tools for where the walk left the run.
    void goOn();
    // The run has moved to another table by a skip: tools, position, progress, then browse or walk on.
    enum class Skipped
    {
        Field,
        Record,
        Table,
    };
    // The three skips alike: refused before anything moves when the search cannot be used, then the
    // session's step, then the views for where the run stands now.
    void skip(Skipped what);
    void afterTableStep();
    // Resets the window for a run that has ended (text: t30 complete, t31 stopped).
    void EndRun(const QString& text);
    void completeRun();

    RunSession& m_session;
    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    const MainWindowTexts& m_texts;
    std::function<QString()> m_selectedTable;
    HitDisplay m_hitDisplay;
    QString m_replaceText;
    bool m_walking = false;
    bool m_pauseDisplayPending = false;
    bool m_replaceWithoutHalt = false;
    // Fault messages shown during this run: a fault that repeats (a pattern PCRE2 cannot apply to a
    // column's values) is shown once.
    QSet<QString> m_shownFaults;
};

} // namespace dorvane
