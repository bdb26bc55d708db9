#include "mainwindow/RunPresenter.h"

#include "core/DataError.h"
#include "core/Settings.h"
#include "datasource/QueryRecordSet.h"
#include "engine/DataTypeName.h"
#include "engine/FieldText.h"
#include "presentation/MainSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <QStringBuilder>

namespace dorvane {

namespace {

const QString Blank = QStringLiteral(" ");
const QString ColonBlank = QStringLiteral(": ");

bool hasText(const EditorValue& value)
{
    return value && !value->isEmpty();
}

int replaceDelay()
{
    bool ok = false;
    const int delay
        = ReadIniValue(QStringLiteral("Win"), QStringLiteral("ReplaceDelay"), QStringLiteral("50")).toInt(&ok);
    return ok && delay >= 0 ? delay : 50;
}

// When a run tool is enabled in a phase.
enum class When
{
    Never,
    Always,
    BeforeLastTable, // not on the last table of the list, and never with a single table
    RecordsLeft, // the run record set is closed, or records follow the current one
    FieldShown, // browse mode shows a field of the current record
};

struct PhaseTools
{
    bool startVisible;
    bool stopVisible;
    bool pauseVisible;
    bool continueVisible;
    When start; // also ID_AllTables and ID_Tables
    When pause;
    When skip;
    When skipRecord;
    When skipTable;
    When save; // also ID_Replace
};

// The run tools for each phase of the session, in the order of RunSession::Phase. Idle and ended look
// alike; Start is enabled there, whether a source is open is the window's own re-check.
constexpr PhaseTools ToolTable[] = {
    // Idle
    {true, false, true, false, When::Always, When::Never, When::Never, When::Never, When::Never, When::Never},
    // Walking: only Stop and Pause
    {false, true, true, false, When::Never, When::Always, When::Never, When::Never, When::Never, When::Never},
    // AtHit: every decision; skip table only before the last table
    {false, true, true, false, When::Never, When::Never, When::Always, When::Always, When::BeforeLastTable,
     When::Always},
    // Paused (browse mode): Continue instead of Pause, the skips, Save for the field on display
    {false, true, false, true, When::Never, When::Always, When::Always, When::RecordsLeft, When::BeforeLastTable,
     When::FieldShown},
    // Ended
    {true, false, true, false, When::Always, When::Never, When::Never, When::Never, When::Never, When::Never},
};

} // namespace

RunPresenter::RunPresenter(RunSession& session, MainSurface& surface, ToolCatalogue& tools,
                           const MainWindowTexts& texts, std::function<QString()> selectedTable)
    : m_session(session), m_surface(surface), m_tools(tools), m_texts(texts), m_selectedTable(std::move(selectedTable)),
      m_hitDisplay(surface)
{
    m_session.addObserver(this);
    m_session.setPump([this](RunSession::Checkpoint checkpoint) { onCheckpoint(checkpoint); });
    m_surface.setTimer1Handler([this] { onTimer1(); });
}

RunPresenter::~RunPresenter()
{
    m_session.setPump({});
    m_session.removeObserver(this);
}

void RunPresenter::applyTools(RunSession::Phase phase)
{
    const PhaseTools& row = ToolTable[int(phase)];
    const RunState& s = m_session.state();
    const auto enabled = [&](When when) {
        switch (when) {
        case When::Never:
            return false;
        case When::Always:
            return true;
        case When::BeforeLastTable:
            return !s.SingleTableOnly && !s.isLastTable();
        case When::RecordsLeft:
            return !s.isRecordsetOpen() || s.CurRecord < m_session.recordCount() - 1;
        case When::FieldShown:
            // Not before the walk has stopped where it saves its position: a save then would write into
            // whatever field the position named before.
            return !m_walking && s.isRecordsetOpen() && !s.RunRecordset->IsEOF() && s.CurField >= 0
                && s.CurField < m_session.fieldCount();
        }
        return false;
    };
    m_tools.setVisible(ToolId::Start, row.startVisible);
    m_tools.setVisible(ToolId::Stop, row.stopVisible);
    m_tools.setVisible(ToolId::Pause, row.pauseVisible);
    m_tools.setVisible(ToolId::Continue, row.continueVisible);
    for (ToolId id : {ToolId::Start, ToolId::AllTables, ToolId::Tables})
        m_tools.setEnabled(id, enabled(row.start));
    m_tools.setEnabled(ToolId::Pause, enabled(row.pause));
    m_tools.setEnabled(ToolId::Skip, enabled(row.skip));
    m_tools.setEnabled(ToolId::SkipRecord, enabled(row.skipRecord));
    m_tools.setEnabled(ToolId::SkipTable, enabled(row.skipTable));
    m_tools.setEnabled(ToolId::Save, enabled(row.save));
    m_tools.setEnabled(ToolId::Replace, enabled(row.save));
}

bool RunPresenter::refusedForMissingSearch()
{
    // Continue, Save and the skips refuse a zero-length text, and no value at all with RegEx ticked.
    const EditorValue search = m_surface.searchValue();
    if ((m_surface.regEx() && !search) || (search && search->isEmpty())) {
        m_surface.showMessage(m_texts.missingSearchMessage);
        return true;
    }
    return false;
}

bool RunPresenter::patternAccepted()
{
    m_session.setMatchOptions(m_surface.matchOptions());
    try {
        m_session.checkPattern();
        return true;
    } catch (const DataError& error) {
        m_surface.showMessage(error.description());
        return false;
    }
}

void RunPresenter::setFindLabel()
{
    if (hasText(m_surface.searchValue()))
        m_surface.setFindLabelCaption(m_texts.findLabel);
    else
        m_surface.setFindLabelCaption(m_texts.findLabel + QStringLiteral(" [") + m_texts.emptySearchNote
                                      + QLatin1Char(']'));
}

void RunPresenter::refreshReplaceText()
{
    m_replaceText = m_surface.replaceValue().value_or(QString());
}

void RunPresenter::emptyViews()
{
    m_surface.setOriginalView(EditorValue());
    m_surface.setReplacedView(EditorValue());
}

void RunPresenter::showStatusPosition(int table, int record, const QString& fieldName)
{
    m_surface.setStatusText(1, m_texts.tableLabel % ColonBlank % m_session.state().TableList.value(table) % Blank);
    m_surface.setStatusText(2, m_texts.recordLabel % ColonBlank % QString::number(record) % Blank);
    m_surface.setStatusText(3, m_texts.fieldLabel % ColonBlank % fieldName % Blank);
}

void RunPresenter::onCheckpoint(RunSession::Checkpoint checkpoint)
{
    const RunState& s = m_session.state();
    const RunPosition& at = m_session.position();
    switch (checkpoint) {
    case RunSession::Checkpoint::Table:
        m_surface.setStatusText(1, m_texts.tableLabel % ColonBlank % at.tableName % Blank);
        if (!s.SingleTableOnly)
            m_surface.setProgressValue(at.table);
        break;
    case RunSession::Checkpoint::Record:
        if (s.SingleTableOnly)
            m_surface.setProgressValue(at.record);
        m_surface.setStatusText(2, m_texts.recordLabel % ColonBlank % QString::number(at.record) % Blank);
        break;
    case RunSession::Checkpoint::Field:
        m_surface.setStatusText(3, m_texts.fieldLabel % ColonBlank % s.RunRecordset->Fields(at.field).Name() % Blank);
        break;
    }
    m_surface.processEvents();
}

void RunPresenter::tableBegun(const TableBegun&)
{
    if (!m_session.state().SingleTableOnly)
        return;
    if (const int count = m_session.recordCount(); count > 0) {
        m_surface.setProgressMaximum(count);
    } else {
        m_surface.setProgressMaximum(1);
        m_surface.setProgressValue(1);
    }
}

void RunPresenter::hitFound(const HitFound& hit)
{
    const RunPosition& at = hit.position;
    showStatusPosition(at.table, at.record, hit.fieldName);
    m_surface.setProgressValue(m_session.state().SingleTableOnly ? at.record : at.table);
    m_hitDisplay.ShowHit(FieldSnapshot {hit.fieldName, hit.type, hit.definedSize, hit.stored}, hit.proposed,
                         m_replaceWithoutHalt);
}

void RunPresenter::runFault(const RunFault& fault)
{
    if (m_shownFaults.contains(fault.description))
        return;
    m_shownFaults.insert(fault.description);
    m_surface.showMessage(fault.description);
}

void RunPresenter::tableEnded(const TableEnded&)
{
    m_surface.setProgressValue(m_surface.progressValue() + 1);
    m_surface.setStatusText(1, m_texts.runCompleteStatus + Blank);
    for (int panel = 2; panel <= 5; ++panel)
        m_surface.setStatusText(panel, QString());
}

void RunPresenter::runEnded(const RunEnded& ended)
{
    m_pauseDisplayPending = false;
    if (ended.ending == RunEnding::Stopped)
        EndRun(m_texts.runStoppedStatus);
    else if (m_walking)
        completeRun(); // the walk reached the end: panel 1 already says so
    else
        EndRun(m_texts.runCompleteStatus);
}

void RunPresenter::EndRun(const QString& text)
{
    m_surface.setTimer1Enabled(false);
    applyTools(RunSession::Phase::Ended);
    m_surface.setProgressValue(0);
    m_surface.setProgressVisible(false);
    m_surface.setStatusText(1, text + Blank);
    for (int panel = 2; panel <= 5; ++panel)
        m_surface.setStatusText(panel, QString());
    emptyViews();
    m_surface.SetInterface(false);
}

void RunPresenter::completeRun()
{
    applyTools(RunSession::Phase::Ended);
    m_surface.SetInterface(false);
}

void RunPresenter::goOn()
{
    m_replaceWithoutHalt = m_surface.replaceAll();
    m_surface.setTimer1Interval(replaceDelay());
    if (!patternAccepted())
        return;
    applyTools(RunSession::Phase::Walking);
    // The walk may re-enter through the event pump (Pause, Stop); remember that it is on the stack.
    m_walking = true;
    RunSession::Phase phase = RunSession::Phase::Ended;
    try {
        phase = m_session.walk();
    } catch (const DataError& error) {
        m_walking = false;
        m_surface.showMessage(error.description());
        StopRun();
        return;
    }
    m_walking = false;
    if (phase == RunSession::Phase::AtHit || phase == RunSession::Phase::Paused)
        applyTools(phase);
    if (m_pauseDisplayPending) {
        // The walk has saved the position where it actually stopped: show that field.
        m_pauseDisplayPending = false;
        if (isBrowseMode()) {
            const RunState& s = m_session.state();
            const QString fieldName = s.isRecordsetOpen() && s.CurField >= 0 && s.CurField < m_session.fieldCount()
                ? s.RunRecordset->Fields(s.CurField).Name()
                : QString();
            showStatusPosition(s.CurTable, s.CurRecord, fieldName);
            ShowCurrentField();
        }
    }
}

void RunPresenter::Start()
{
    const EditorValue search = m_surface.searchValue();
    if (m_surface.regEx() && !hasText(search)) {
        m_surface.showMessage(m_texts.missingSearchMessage);
        return;
    }
    if (!patternAccepted())
        return;

    RunState& s = m_session.state();
    m_surface.SetInterface(true);
    applyTools(RunSession::Phase::Walking);
    m_surface.setProgressVisible(true);
    m_surface.setProgressValue(0);
    m_shownFaults.clear();
    s.AllTablesMode = m_tools.tableText() == m_texts.allTablesEntry();
    RunOptions options;
    options.match = m_surface.matchOptions();
    const QString selected = m_selectedTable ? m_selectedTable() : QString();
    if (!selected.isEmpty() && !s.AllTablesMode)
        options.tables = QStringList {selected};
    try {
        m_session.start(options);
    } catch (const DataError& error) {
        m_surface.showMessage(error.description());
    }
    if (m_session.phase() != RunSession::Phase::Walking || s.TableList.isEmpty()) {
        // Nothing to walk (no base table, or the schema could not be read): back to idle.
        StopRun();
        return;
    }
    if (!s.SingleTableOnly)
        m_surface.setProgressMaximum(int(s.TableList.size()) - 1);
    emptyViews();
    setFindLabel();
    refreshReplaceText();
    goOn();
}

void RunPresenter::StopRun()
{
    m_pauseDisplayPending = false;
    const RunSession::Phase phase = m_session.phase();
    if (phase == RunSession::Phase::Idle || phase == RunSession::Phase::Ended)
        EndRun(m_texts.runStoppedStatus);
    else
        m_session.stop(); // runEnded resets the window
    m_surface.setFindLabelCaption(m_texts.findLabel);
}

void RunPresenter::StopCommand()
{
    StopRun();
    m_surface.SetInterface(false);
}

void RunPresenter::Pause()
{
    m_session.pause();
    applyTools(RunSession::Phase::Paused);
    if (m_walking)
        m_pauseDisplayPending = true; // shown once the walk has saved where it stopped
    else
        ShowCurrentField();
}

void RunPresenter::Continue()
{
    if (refusedForMissingSearch() || !patternAccepted())
        return;
    m_session.resume();
    setFindLabel();
    emptyViews();
    m_surface.setStatusText(4, QString());
    Replace();
    m_surface.SetInterface(true);
    goOn();
}

void RunPresenter::Replace()
{
    m_hitDisplay.ReplacePreview();
}

void RunPresenter::SaveCommand()
{
    if (refusedForMissingSearch())
        return;
    if (isBrowseMode()) {
        const EditorValue replaced = m_surface.replacedView();
        const SaveOutcome outcome
            = m_session.saveBrowsedField(replaced && !replaced->isEmpty() ? *replaced : QString(QLatin1String("")));
        if (outcome.written)
            m_surface.setStatusText(5, QStringLiteral("Gespeichert"));
        else
            m_surface.showMessage(outcome.reason);
        return;
    }
    if (!patternAccepted())
        return;
    const SaveOutcome outcome = m_session.saveHit(m_surface.replacedView());
    if (!outcome.written) {
        // Nothing was written; the hit stays on display with every tool as it was.
        m_surface.showMessage(outcome.reason);
        return;
    }
    refreshReplaceText();
    emptyViews();
    m_surface.setStatusText(4, QString());
    m_surface.SetInterface(true);
    if (m_session.isLastHitOfRun())
        m_session.complete();
    else
        goOn();
}

void RunPresenter::onTimer1()
{
    m_surface.setTimer1Enabled(false);
    const RunState& s = m_session.state();
    // A stop (or the end of the run) since the hit was shown cancels the pending save.
    if (!m_surface.replaceAll() || m_session.phase() != RunSession::Phase::AtHit || m_session.isBrowsing()
        || s.CurrentField < 0 || !s.isRecordsetOpen())
        return;
    if (!patternAccepted())
        return;
    const SaveOutcome outcome = m_session.saveHit(m_surface.replacedView());
    if (!outcome.written) {
        m_surface.showMessage(outcome.reason);
        return;
    }
    refreshReplaceText();
    emptyViews();
    goOn();
}

void RunPresenter::SkipField()
{
    skip(Skipped::Field);
}

void RunPresenter::SkipRecord()
{
    skip(Skipped::Record);
}

void RunPresenter::SkipTable()
{
    skip(Skipped::Table);
}

void RunPresenter::skip(Skipped what)
{
    if (refusedForMissingSearch())
        return;
    // A pattern the walk cannot use is refused before anything moves, so the hit stays as it was.
    if (!isBrowseMode() && !patternAccepted())
        return;
    const int tableBefore = m_session.state().CurTable;
    const RunSession::Step step = what == Skipped::Field ? m_session.skipField()
        : what == Skipped::Record                        ? m_session.skipRecord()
                                                         : m_session.skipTable();
    if (step == RunSession::Step::Ended || step == RunSession::Step::Unchanged)
        return;
    if (what == Skipped::Table || m_session.state().CurTable != tableBefore) {
        afterTableStep();
        return;
    }
    if (what == Skipped::Record) {
        ShowPosition();
    } else {
        // A skipped field stays in the same record: the position only changes while browsing.
        if (step == RunSession::Step::Browse)
            ShowPosition();
        setFindLabel();
        refreshReplaceText();
        emptyViews();
        m_surface.SetInterface(true);
    }
    if (step == RunSession::Step::Browse)
        ShowCurrentField();
    else
        goOn();
}

void RunPresenter::afterTableStep()
{
    const bool browse = isBrowseMode();
    if (browse)
        applyTools(RunSession::Phase::Paused);
    ShowPosition();
    m_surface.setProgressValue(m_session.state().CurTable);
    if (browse)
        ShowCurrentField();
    else
        goOn();
}

void RunPresenter::ShowCurrentField()
{
    m_surface.SetInterface(false);
    const RunState& s = m_session.state();
    applyTools(RunSession::Phase::Paused);
    if (!s.isRecordsetOpen() || s.RunRecordset->IsEOF() || s.CurField < 0 || s.CurField >= m_session.fieldCount())
        return;
    const FieldSnapshot field = m_session.fieldSnapshot(s.CurField);
    const QString text = fieldValueToText(field.value, field.type);
    const EditorValue shown = text.isNull() ? EditorValue() : EditorValue(text);
    m_surface.setOriginalView(shown);
    m_surface.setReplacedView(shown);
    m_surface.setStatusText(4, DataTypeName(field.type));
    const int maxLength = HitDisplay::replacedMaxLength(field.definedSize);
    m_surface.setReplacedMaxLength(maxLength);
    m_surface.setStatusText(5, QString::number(maxLength));
}

void RunPresenter::ShowPosition()
{
    const RunState& s = m_session.state();
    m_surface.setStatusText(1, m_texts.tableLabel + ColonBlank + s.TableList.value(s.CurTable) + QLatin1Char(' '));
    m_surface.setStatusText(2, m_texts.recordLabel + ColonBlank + QString::number(s.CurRecord));
    const QString fieldName = s.isRecordsetOpen() && s.CurField >= 0 && s.CurField < m_session.fieldCount()
        ? s.RunRecordset->Fields(s.CurField).Name()
        : QString();
    m_surface.setStatusText(3, m_texts.fieldLabel + ColonBlank + fieldName);
}

} // namespace dorvane
