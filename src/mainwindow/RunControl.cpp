#include "mainwindow/RunControl.h"

#include "core/DataError.h"
#include "datasource/QueryRecordSet.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldText.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

namespace dorvane {

namespace {

const QString ColonBlank = QStringLiteral(": ");

bool hasText(const EditorValue& value)
{
    return value && !value->isEmpty();
}

} // namespace

RunControl::RunControl(SearchRun& run, MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
                       std::function<QString()> selectedTable)
    : m_run(run), m_surface(surface), m_tools(tools), m_texts(texts), m_selectedTable(std::move(selectedTable))
{
    m_surface.setTimer1Handler([this] { onTimer1(); });
}

bool RunControl::isBrowseMode() const
{
    return m_tools.isVisible(QStringLiteral("ID_Continue"));
}

bool RunControl::refusedForMissingSearch()
{
    // Continue, Save and the skips refuse a zero-length text, and no value at all with RegEx ticked.
    const EditorValue search = m_surface.searchValue();
    if ((m_surface.regEx() && !search) || (search && search->isEmpty())) {
        m_surface.showMessage(m_texts.t44);
        return true;
    }
    return false;
}

void RunControl::setFindLabel()
{
    if (hasText(m_surface.searchValue()))
        m_surface.setFindLabelCaption(m_texts.t1);
    else
        m_surface.setFindLabelCaption(m_texts.t1 + QStringLiteral(" [") + m_texts.t45 + QLatin1Char(']'));
}

void RunControl::refreshReplaceText()
{
    m_replaceText = m_surface.replaceValue().value_or(QString());
}

void RunControl::emptyViews()
{
    m_surface.setOriginalView(EditorValue());
    m_surface.setReplacedView(EditorValue());
}

void RunControl::goOn()
{
    // RunSearch may re-enter through the event pump (Pause, Stop); remember that a walk is on the stack.
    m_walking = true;
    m_run.RunSearch();
    m_walking = false;
    if (m_pauseDisplayPending) {
        // The walk has saved the position where it actually stopped: show that field.
        m_pauseDisplayPending = false;
        if (m_run.state().RunPaused || isBrowseMode())
            ShowCurrentField();
    }
}

void RunControl::Start()
{
    const EditorValue search = m_surface.searchValue();
    if (m_surface.regEx() && !hasText(search)) {
        m_surface.showMessage(m_texts.t44);
        return;
    }
    if (!m_run.checkPattern())
        return;

    RunState& s = m_run.state();
    m_surface.SetInterface(true);
    s.RunActive = true;
    m_tools.setVisible(QStringLiteral("ID_Stop"), true);
    m_tools.setVisible(QStringLiteral("ID_Start"), false);
    m_tools.setEnabled(QStringLiteral("ID_SkipTable"), false);
    m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), false);
    m_surface.setProgressVisible(true);
    m_surface.setProgressValue(0);
    s.StopRequested = false;
    s.AllTablesMode = m_tools.tableText() == m_texts.allTablesEntry();
    m_run.PrepareRunTables(m_selectedTable ? m_selectedTable() : QString());
    if (s.TableList.isEmpty()) {
        // Nothing to walk (no base table, or the schema could not be read): back to idle.
        StopRun();
        return;
    }
    emptyViews();
    setFindLabel();
    s.TableOpen = true;
    refreshReplaceText();
    goOn();
}

void RunControl::StopRun()
{
    RunState& s = m_run.state();
    m_tools.setVisible(QStringLiteral("ID_Stop"), false);
    m_tools.setVisible(QStringLiteral("ID_Start"), true);
    s.StopRequested = true;
    s.RunPaused = false;
    s.RunActive = false;
    m_pauseDisplayPending = false;
    m_run.EndRun(m_texts.t31);
    m_surface.setFindLabelCaption(m_texts.t1);
}

void RunControl::StopCommand()
{
    m_tools.setEnabled(QStringLiteral("ID_SkipTable"), false);
    m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), false);
    StopRun();
    m_surface.SetInterface(false);
}

void RunControl::Pause()
{
    RunState& s = m_run.state();
    s.RunPaused = true;
    m_tools.setVisible(QStringLiteral("ID_Pause"), false);
    m_tools.setVisible(QStringLiteral("ID_Continue"), true);
    m_tools.setEnabled(QStringLiteral("ID_SkipTable"), !s.SingleTableOnly);
    m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), true);
    m_tools.setEnabled(QStringLiteral("ID_Skip"), true);
    if (m_walking)
        m_pauseDisplayPending = true; // shown once the walk has saved where it stopped
    else
        ShowCurrentField();
}

void RunControl::Continue()
{
    if (refusedForMissingSearch())
        return;
    if (!m_run.checkPattern())
        return;
    m_run.state().RunPaused = false;
    setFindLabel();
    emptyViews();
    m_surface.setStatusText(4, QString());
    m_tools.setVisible(QStringLiteral("ID_Continue"), false);
    m_tools.setVisible(QStringLiteral("ID_Pause"), true);
    for (const char* id : {"ID_Skip", "ID_SkipTable", "ID_SkipRecord"})
        m_tools.setEnabled(QString::fromLatin1(id), false);
    Replace();
    m_surface.SetInterface(true);
    goOn();
}

void RunControl::Replace()
{
    m_run.hitDisplay().ReplacePreview();
}

bool RunControl::writeField(int fieldIndex, const QVariant& value)
{
    RunState& s = m_run.state();
    if (!s.isRecordsetOpen() || fieldIndex < 0 || fieldIndex >= m_run.fieldCount())
        return false;
    try {
        s.RunRecordset->Fields(fieldIndex).setValue(value);
        s.RunRecordset->Update();
        return true;
    } catch (const DataError& error) {
        // Nothing was written; the hit stays on display with every tool as it was.
        s.RunRecordset->CancelUpdate();
        m_surface.showMessage(error.description());
        return false;
    }
}

bool RunControl::saveHit()
{
    if (!m_run.checkPattern())
        return false;
    const EditorValue replaced = m_surface.replacedView();
    if (!writeField(m_run.state().CurrentField, replaced ? QVariant(*replaced) : QVariant()))
        return false;
    refreshReplaceText();
    emptyViews();
    return true;
}

bool RunControl::isLastHitOfRun() const
{
    const RunState& s = m_run.state();
    return s.isLastTable() && s.CurRecord >= m_run.recordCount() - 1 && s.CurField == m_run.fieldCount();
}

void RunControl::endRunComplete()
{
    m_run.EndRun(m_texts.t30);
    m_run.state().RunActive = false;
}

void RunControl::SaveCommand()
{
    if (refusedForMissingSearch())
        return;
    RunState& s = m_run.state();
    if (isBrowseMode()) {
        const EditorValue replaced = m_surface.replacedView();
        const QString text = replaced && !replaced->isEmpty() ? *replaced : QString(QLatin1String(""));
        if (writeField(s.CurField, text))
            m_surface.setStatusText(5, QStringLiteral("Gespeichert"));
        return;
    }
    if (!saveHit())
        return;
    m_surface.setStatusText(4, QString());
    m_surface.SetInterface(true);
    if (isLastHitOfRun())
        endRunComplete();
    else
        goOn();
}

void RunControl::onTimer1()
{
    m_surface.setTimer1Enabled(false);
    RunState& s = m_run.state();
    // A stop (or the end of the run) since the hit was shown cancels the pending save.
    if (!m_surface.replaceAll() || !s.RunActive || s.StopRequested || s.CurrentField < 0 || !s.isRecordsetOpen())
        return;
    if (!saveHit())
        return;
    goOn();
}

void RunControl::SkipField()
{
    if (refusedForMissingSearch())
        return;
    RunState& s = m_run.state();
    if (!s.isRecordsetOpen() || isLastHitOfRun()) {
        endRunComplete();
        return;
    }
    const bool browse = isBrowseMode();
    if (browse) {
        if (s.CurField < m_run.fieldCount() - 1) {
            ++s.CurField;
            ShowPosition();
        } else if (skipRecordStep() == Continuation::Handled) {
            return;
        }
    }
    setFindLabel();
    refreshReplaceText();
    emptyViews();
    m_surface.SetInterface(true);
    if (browse)
        ShowCurrentField();
    else
        goOn();
}

RunControl::Continuation RunControl::skipRecordStep()
{
    RunState& s = m_run.state();
    if (s.isRecordsetOpen() && s.CurRecord < m_run.recordCount() - 1) {
        s.ResumeField = false;
        s.ResumeTable = true;
        s.ResumeRecord = true;
        try {
            s.RunRecordset->MoveNext();
        } catch (const DataError& error) {
            m_surface.showMessage(error.description());
            return Continuation::Handled;
        }
        s.CurField = 0;
        ++s.CurRecord;
        ShowPosition();
        return Continuation::Continue;
    }
    skipTableStep();
    // The table step went on by itself (or ended the run).
    return Continuation::Handled;
}

void RunControl::SkipRecord()
{
    if (refusedForMissingSearch())
        return;
    if (skipRecordStep() == Continuation::Handled)
        return;
    if (isBrowseMode())
        ShowCurrentField();
    else
        goOn();
}

RunControl::Continuation RunControl::skipTableStep()
{
    RunState& s = m_run.state();
    const bool browse = isBrowseMode();
    const int lastIndex = static_cast<int>(s.TableList.size()) - 1;
    s.ResumeRecord = false;
    s.ResumeField = false;
    if (s.CurTable >= lastIndex) {
        // No table left after this one: the run is complete instead of walking the same table again.
        endRunComplete();
        return Continuation::Handled;
    }
    ++s.CurTable;
    s.ResumeTable = true;
    s.CurRecord = 0;
    s.CurField = 0;
    if (s.CurTable >= lastIndex)
        m_tools.setEnabled(QStringLiteral("ID_SkipTable"), false);
    if (browse) {
        // Browse mode reopens the table the way the run does, so a save there works.
        try {
            m_run.openRunTable(s.CurTable);
            s.ResumeRecord = true;
            s.ResumeField = true;
        } catch (const DataError& error) {
            m_surface.showMessage(error.description());
            endRunComplete();
            return Continuation::Handled;
        }
        if (m_run.recordCount() <= 0) {
            if (s.CurTable >= lastIndex) {
                m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), false);
                endRunComplete();
                return Continuation::Handled;
            }
        } else {
            m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), true);
        }
    }
    ShowPosition();
    m_surface.setProgressValue(s.CurTable);
    if (browse)
        ShowCurrentField();
    else
        goOn();
    return Continuation::Handled;
}

void RunControl::SkipTable()
{
    if (refusedForMissingSearch())
        return;
    skipTableStep();
}

void RunControl::ShowCurrentField()
{
    m_surface.SetInterface(false);
    RunState& s = m_run.state();
    if (!s.isRecordsetOpen() || s.RunRecordset->IsEOF() || s.CurField < 0 || s.CurField >= m_run.fieldCount()) {
        m_tools.setEnabled(QStringLiteral("ID_Save"), false);
        m_tools.setEnabled(QStringLiteral("ID_Replace"), false);
        return;
    }
    const FieldSnapshot field = m_run.fieldSnapshot(s.CurField);
    const QString text = fieldValueToText(field.value, field.type);
    const EditorValue shown = text.isNull() ? EditorValue() : EditorValue(text);
    m_surface.setOriginalView(shown);
    m_surface.setReplacedView(shown);
    m_tools.setEnabled(QStringLiteral("ID_Save"), true);
    m_tools.setEnabled(QStringLiteral("ID_Replace"), true);
    m_surface.setStatusText(4, DataTypeName(field.type));
    const int maxLength = HitDisplay::replacedMaxLength(field.definedSize);
    m_surface.setReplacedMaxLength(maxLength);
    m_surface.setStatusText(5, QString::number(maxLength));
}

void RunControl::ShowPosition()
{
    const RunState& s = m_run.state();
    m_surface.setStatusText(1, m_texts.t27 + ColonBlank + s.TableList.value(s.CurTable) + QLatin1Char(' '));
    m_surface.setStatusText(2, m_texts.t28 + ColonBlank + QString::number(s.CurRecord));
    const QString fieldName = s.isRecordsetOpen() && s.CurField >= 0 && s.CurField < m_run.fieldCount()
        ? s.RunRecordset->Fields(s.CurField).Name()
        : QString();
    m_surface.setStatusText(3, m_texts.t29 + ColonBlank + fieldName);
}

} // namespace dorvane
