// The run commands of the main window and the user's decisions at a hit: start, pause (browse mode),
// continue, stop, skip field / record / table, replace preview, save, and the automatic save of
// "replace without halt" driven by Timer1. The window's dispatcher calls these by tool ID; all of it
// works through the tool catalogue and the main surface, so it runs headless.
#pragma once

#include "mainwindow/SearchRun.h"

#include <functional>

namespace dorvane {

class RunControl
{
public:
    // selectedTable answers the data source's SelectedTable at the moment a run starts.
    RunControl(SearchRun& run, MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
               std::function<QString()> selectedTable);

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

    bool isBrowseMode() const;
    const QString& replaceText() const { return m_replaceText; }

private:
    enum class Continuation
    {
        Continue, // the caller goes on with the walk or the browse display
        Handled, // a nested step already went on or ended the run
    };

    // Shows t44 and answers true when the search text does not allow the command.
    bool refusedForMissingSearch();
    void setFindLabel();
    void refreshReplaceText();
    void emptyViews();
    bool isLastHitOfRun() const;
    void endRunComplete();
    void goOn();
    Continuation skipRecordStep();
    Continuation skipTableStep();
    // Writes a value into a field of the current record; shows the error and answers false on failure.
    bool writeField(int fieldIndex, const QVariant& value);
    // The save step of the Save command and of "replace without halt": the replaced view into the field
    // of the hit on display, then fresh replace text and empty views. False when the pattern is refused or
    // the write failed; nothing after the write has then happened.
    bool saveHit();

    SearchRun& m_run;
    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    const MainWindowTexts& m_texts;
    std::function<QString()> m_selectedTable;
    QString m_replaceText;
    bool m_walking = false;
    bool m_pauseDisplayPending = false;
};

} // namespace dorvane
