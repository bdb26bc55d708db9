// The resumable walk over the chosen tables, their records and fields. RunSearch walks from the saved
// position to the next hit, a pause, a stop, an error or the end, and returns to the event loop; every
// decision that means "go on" calls it again. While it walks it lets the window process events at each
// table, record and field, so Pause and Stop (which only set flags) take effect during a long walk.
#pragma once

#include "engine/FieldMatcher.h"
#include "engine/ReplacementProposal.h"
#include "engine/SearchableTypes.h"
#include "mainwindow/RunState.h"
#include "presentation/HitDisplay.h"
#include "presentation/MainSurface.h"

#include <QElapsedTimer>

namespace dorvane {

class Connection;
class ToolCatalogue;
struct MainWindowTexts;

class SearchRun
{
public:
    // The connection is asked for at each use: the data source may be reopened between runs.
    using ConnectionProvider = std::function<Connection*()>;

    SearchRun(ConnectionProvider connection, MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts);
    ~SearchRun();

    RunState& state() { return m_state; }
    const RunState& state() const { return m_state; }
    FieldMatcher& matcher() { return m_matcher; }
    HitDisplay& hitDisplay() { return m_hitDisplay; }

    // Builds the table list: the selected table alone, or every base table of the source.
    void PrepareRunTables(const QString& selectedTable);
    void RunSearch();
    void EndRun(const QString& text);
    void SetStartTools(bool enabled);
    void SetDecisionTools(bool enabled);

    // Builds the matching expression from the current options; shows the error and answers false when
    // the pattern is invalid.
    bool checkPattern();

    // Opens the run record set on a table of the list; throws DataError.
    void openRunTable(int tableIndex);
    void closeRunTable();
    int recordCount() const { return m_recordCount; }
    int fieldCount() const;
    FieldSnapshot fieldSnapshot(int fieldIndex) const;

    // How often the walk lets the window process events, at most (milliseconds; 0: at every check).
    void setEventPumpInterval(int milliseconds) { m_pumpInterval = milliseconds; }

private:
    void pumpEvents();
    void savePausePosition(int table, int record, int field);
    void completeRun();
    void reportError(const QString& description);

    ConnectionProvider m_connection;
    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    const MainWindowTexts& m_texts;
    SearchableTypes m_types;
    FieldMatcher m_matcher;
    HitDisplay m_hitDisplay;
    ReplacementProposal m_proposal;
    RunState m_state;
    int m_recordCount = 0;
    // The field panel's text for each field of the open table, made once per table: the walk shows it at
    // every field, and building it there cost about a tenth of a long walk.
    QStringList m_fieldCaptions;
    int m_pumpInterval = 5;
    QElapsedTimer m_sincePump;
    unsigned m_checksSincePump = 0;
};

} // namespace dorvane
