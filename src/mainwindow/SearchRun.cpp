#include "mainwindow/SearchRun.h"

#include "core/DataError.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionConstants.h"
#include "datasource/QueryRecordSet.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldText.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <QStringBuilder>

namespace dorvane {

namespace {

const QString Blank = QStringLiteral(" ");
const QString ColonBlank = QStringLiteral(": ");

int replaceDelay()
{
    bool ok = false;
    const int delay
        = ReadIniValue(QStringLiteral("Win"), QStringLiteral("ReplaceDelay"), QStringLiteral("50")).toInt(&ok);
    return ok && delay >= 0 ? delay : 50;
}

} // namespace

bool RunState::isRecordsetOpen() const
{
    return RunRecordset && RunRecordset->State() == ado::adStateOpen;
}

SearchRun::SearchRun(ConnectionProvider connection, MainSurface& surface, ToolCatalogue& tools,
                     const MainWindowTexts& texts)
    : m_connection(std::move(connection)), m_surface(surface), m_tools(tools), m_texts(texts),
      m_types(dataTypeTablePath()), m_matcher(m_types), m_hitDisplay(surface)
{
}

SearchRun::~SearchRun() = default;

void SearchRun::pumpEvents()
{
    // Reading the clock at every field check cost as much as a twentieth of a long walk; every 32nd check
    // is still far finer than the interval.
    if (m_pumpInterval > 0 && m_sincePump.isValid()
        && ((++m_checksSincePump & 31) != 0 || m_sincePump.elapsed() < m_pumpInterval))
        return;
    m_surface.processEvents();
    m_sincePump.start();
}

int SearchRun::fieldCount() const
{
    return m_state.isRecordsetOpen() ? m_state.RunRecordset->FieldCount() : 0;
}

FieldSnapshot SearchRun::fieldSnapshot(int fieldIndex) const
{
    const QueryField& field = std::as_const(*m_state.RunRecordset).Fields(fieldIndex);
    return FieldSnapshot {field.Name(), field.Type(), field.DefinedSize(), field.Value()};
}

void SearchRun::openRunTable(int tableIndex)
{
    closeRunTable();
    Connection* connection = m_connection();
    if (!connection)
        throw DataError(QStringLiteral("Dorvane"), QStringLiteral("No data source is open."));
    const QString table = m_state.TableList.value(tableIndex);
    auto recordset = std::make_unique<QueryRecordSet>();
    recordset->OpenTable(*connection, table);
    m_recordCount = recordset->RecordCount();
    m_fieldCaptions.clear();
    for (int f = 0; f < recordset->FieldCount(); ++f)
        m_fieldCaptions.append(m_texts.t29 % ColonBlank % std::as_const(*recordset).Fields(f).Name() % Blank);
    m_state.RunRecordset = std::move(recordset);
    m_state.RunTableIndex = tableIndex;
}

void SearchRun::closeRunTable()
{
    if (m_state.RunRecordset)
        m_state.RunRecordset->Close();
    m_state.RunRecordset.reset();
    m_fieldCaptions.clear();
    m_state.RunTableIndex = -1;
    m_state.CurrentField = -1;
}

void SearchRun::PrepareRunTables(const QString& selectedTable)
{
    RunState& s = m_state;
    s.TableList.clear();
    try {
        if (!selectedTable.isEmpty() && !s.AllTablesMode) {
            s.TableList.append(selectedTable);
            s.SingleTableOnly = true;
        } else {
            Connection* connection = m_connection();
            if (!connection)
                throw DataError(QStringLiteral("Dorvane"), QStringLiteral("No data source is open."));
            SchemaRecordSet schema = connection->OpenSchema(ado::adSchemaTables);
            for (; !schema.IsEOF(); schema.MoveNext()) {
                if (schema.Fields(QStringLiteral("TABLE_TYPE")).Value().toString() == QLatin1String("TABLE"))
                    s.TableList.append(schema.Fields(2).Value().toString());
            }
            schema.Close();
            if (s.TableList.size() > 1) {
                m_surface.setProgressMaximum(static_cast<int>(s.TableList.size()) - 1);
                s.SingleTableOnly = false;
            } else {
                s.SingleTableOnly = true;
            }
        }
        closeRunTable();
        s.CurTable = 0;
        SetStartTools(false);
        SetDecisionTools(true);
    } catch (const DataError& error) {
        m_surface.showMessage(error.description());
    }
}

void SearchRun::SetStartTools(bool enabled)
{
    for (const char* id : {"ID_Start", "ID_AllTables", "ID_Tables", "ID_Pause"})
        m_tools.setEnabled(QString::fromLatin1(id), enabled);
}

void SearchRun::SetDecisionTools(bool enabled)
{
    const RunState& s = m_state;
    m_tools.setEnabled(QStringLiteral("ID_Skip"), enabled);
    m_tools.setEnabled(QStringLiteral("ID_SkipTable"), s.isLastTable() || s.SingleTableOnly ? false : enabled);
    bool skipRecord = enabled;
    if (s.isRecordsetOpen())
        skipRecord = enabled && s.CurRecord < m_recordCount - 1;
    m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), skipRecord);
    m_tools.setEnabled(QStringLiteral("ID_Save"), enabled);
    m_tools.setEnabled(QStringLiteral("ID_Replace"), enabled);
    m_tools.setEnabled(QStringLiteral("ID_Pause"), enabled);
}

void SearchRun::EndRun(const QString& text)
{
    RunState& s = m_state;
    s.CurTable = s.CurRecord = s.CurField = 0;
    s.ResumeTable = s.ResumeRecord = s.ResumeField = false;
    s.RunPaused = false;
    s.TableOpen = false;
    m_surface.setTimer1Enabled(false);
    m_tools.setEnabled(QStringLiteral("ID_AllTables"), true);
    m_tools.setEnabled(QStringLiteral("ID_Tables"), true);
    for (const char* id : {"ID_Skip", "ID_SkipRecord", "ID_SkipTable", "ID_Save", "ID_Pause", "ID_Replace"})
        m_tools.setEnabled(QString::fromLatin1(id), false);
    m_tools.setVisible(QStringLiteral("ID_Continue"), false);
    m_tools.setVisible(QStringLiteral("ID_Pause"), true);
    m_tools.setVisible(QStringLiteral("ID_Stop"), false);
    m_tools.setVisible(QStringLiteral("ID_Start"), true);
    m_tools.setEnabled(QStringLiteral("ID_Start"), true);
    m_surface.setProgressValue(0);
    m_surface.setProgressVisible(false);
    m_surface.setStatusText(1, text + Blank);
    for (int panel = 2; panel <= 5; ++panel)
        m_surface.setStatusText(panel, QString());
    m_surface.setOriginalView(EditorValue());
    m_surface.setReplacedView(EditorValue());
    closeRunTable();
    m_surface.SetInterface(false);
}

bool SearchRun::checkPattern()
{
    try {
        const MatchOptions options = m_surface.matchOptions();
        m_matcher.prepare(options);
        m_proposal = ReplacementProposal(options, ReplacementRule::DisplayExpression);
        return true;
    } catch (const DataError& error) {
        m_surface.showMessage(error.description());
        return false;
    }
}

void SearchRun::reportError(const QString& description)
{
    m_surface.showMessage(description);
    if (m_state.SingleTableOnly) {
        m_tools.setEnabled(QStringLiteral("ID_Start"), true);
        m_tools.setEnabled(QStringLiteral("ID_AllTables"), true);
        m_tools.setEnabled(QStringLiteral("ID_Tables"), true);
        m_tools.setEnabled(QStringLiteral("ID_Pause"), false);
        SetDecisionTools(false);
    }
}

void SearchRun::savePausePosition(int table, int record, int field)
{
    RunState& s = m_state;
    s.CurTable = table;
    s.ResumeTable = true;
    // The record and field positions only hold while the record set is still on this table; a pause
    // before the table was opened resumes by opening it.
    const bool onThisTable = s.isRecordsetOpen() && s.RunTableIndex == table;
    s.CurRecord = onThisTable ? record : 0;
    s.CurField = onThisTable ? field : 0;
    s.ResumeRecord = onThisTable;
    s.ResumeField = onThisTable;
}

void SearchRun::completeRun()
{
    RunState& s = m_state;
    SetStartTools(true);
    SetDecisionTools(false);
    m_tools.setVisible(QStringLiteral("ID_Stop"), false);
    m_tools.setVisible(QStringLiteral("ID_Start"), true);
    m_tools.setVisible(QStringLiteral("ID_Continue"), false);
    m_tools.setVisible(QStringLiteral("ID_Pause"), true);
    m_tools.setEnabled(QStringLiteral("ID_Pause"), false);
    s.ResumeTable = s.ResumeRecord = s.ResumeField = false;
    m_surface.SetInterface(false);
    s.RunActive = false;
}

void SearchRun::RunSearch()
{
    RunState& s = m_state;
    const bool replaceWithoutHalt = m_surface.replaceAll();
    m_surface.setTimer1Interval(replaceDelay());
    if (!checkPattern())
        return;

    for (const char* id : {"ID_Skip", "ID_SkipRecord", "ID_SkipTable", "ID_Replace", "ID_Save"})
        m_tools.setEnabled(QString::fromLatin1(id), false);
    m_tools.setEnabled(QStringLiteral("ID_Pause"), true);

    if (!s.ResumeTable)
        s.CurTable = 0;

    bool hit = false;
    bool paused = false;
    bool errorReported = false;
    const int lastTable = static_cast<int>(s.TableList.size()) - 1;
    for (int t = s.CurTable; t <= lastTable; ++t) {
        m_surface.setStatusText(1, m_texts.t27 + ColonBlank + s.TableList[t] + Blank);
        if (!s.SingleTableOnly)
            m_surface.setProgressValue(t);
        pumpEvents();
        s.ResumeTable = false;
        if (s.StopRequested)
            break;
        if (s.RunPaused) {
            savePausePosition(t, s.CurRecord, s.CurField);
            paused = true;
            break;
        }
        if (!s.ResumeRecord || !s.isRecordsetOpen()) {
            s.ResumeRecord = false;
            s.CurRecord = 0;
            try {
                openRunTable(t);
            } catch (const DataError& error) {
                reportError(error.description());
                errorReported = true;
            }
        }
        s.RunPaused = false;
        if (errorReported || !s.isRecordsetOpen()) {
            // Tables reached after an error are opened and left without walking them.
            continue;
        }

        const int count = m_recordCount;
        if (count > 0) {
            if (s.SingleTableOnly)
                m_surface.setProgressMaximum(count);
            if (!s.ResumeRecord)
                s.CurRecord = 0;
            const int lastRecord = count - 1;
            for (int r = s.CurRecord; r <= lastRecord; ++r) {
                QueryRecordSet& rs = *s.RunRecordset;
                if (rs.IsEOF())
                    break; // rows removed meanwhile: the table ends early
                if (s.SingleTableOnly)
                    m_surface.setProgressValue(r);
                m_surface.setStatusText(2, m_texts.t28 % ColonBlank % QString::number(r) % Blank);
                pumpEvents();
                if (s.StopRequested)
                    break;
                s.ResumeRecord = false;
                if (!s.ResumeField)
                    s.CurField = 0;
                const int fields = rs.FieldCount();
                for (int f = s.CurField; f < fields; ++f) {
                    m_surface.setStatusText(3, m_fieldCaptions.at(f));
                    pumpEvents();
                    if (s.StopRequested)
                        break;
                    if (s.RunPaused) {
                        savePausePosition(t, r, f);
                        paused = true;
                        break;
                    }
                    s.ResumeField = false;
                    try {
                        const QueryField& field = rs.Fields(f);
                        if (m_matcher.isHit(field.Value(), field.Type())) {
                            const FieldSnapshot snapshot = fieldSnapshot(f);
                            m_hitDisplay.ShowHit(
                                snapshot,
                                m_proposal.propose(fieldValueToText(snapshot.value, snapshot.type, m_matcher.locale())),
                                replaceWithoutHalt);
                            s.CurrentField = f;
                            s.CurTable = t;
                            s.CurRecord = r;
                            s.CurField = f + 1;
                            s.ResumeTable = s.ResumeRecord = s.ResumeField = true;
                            hit = true;
                            break;
                        }
                    } catch (const DataError& error) {
                        reportError(error.description());
                        errorReported = true;
                        break;
                    }
                }
                if (hit || paused || s.StopRequested || errorReported)
                    break;
                s.ResumeField = false;
                try {
                    rs.MoveNext();
                } catch (const DataError& error) {
                    reportError(error.description());
                    errorReported = true;
                    break;
                }
            }
            if (hit || paused || s.StopRequested)
                break;
        } else if (s.SingleTableOnly) {
            m_surface.setProgressMaximum(1);
            m_surface.setProgressValue(1);
        }
        if (s.StopRequested)
            break;
        closeRunTable();
        m_surface.setProgressValue(m_surface.progressValue() + 1);
        m_surface.setStatusText(1, m_texts.t30 + Blank);
        for (int panel = 2; panel <= 5; ++panel)
            m_surface.setStatusText(panel, QString());
        s.TableOpen = false;
    }

    // The walk has stopped: decide the tools.
    if (m_surface.progressValue() != m_surface.progressMaximum()) {
        SetStartTools(false);
        SetDecisionTools(true);
    } else if (!s.isRecordsetOpen()) {
        completeRun();
    } else if (s.CurRecord < m_recordCount - 1 || s.CurField <= fieldCount()) {
        SetStartTools(false);
        SetDecisionTools(true);
    } else {
        completeRun();
        closeRunTable();
    }

    if (hit) {
        m_tools.setEnabled(QStringLiteral("ID_Skip"), true);
        m_tools.setEnabled(QStringLiteral("ID_SkipRecord"), true);
        // No table follows the last one, so skipping the table is offered only before it.
        m_tools.setEnabled(QStringLiteral("ID_SkipTable"), !s.SingleTableOnly && !s.isLastTable());
        m_tools.setEnabled(QStringLiteral("ID_Replace"), true);
        m_tools.setEnabled(QStringLiteral("ID_Save"), true);
        m_tools.setEnabled(QStringLiteral("ID_Pause"), false);
    }
    if (s.StopRequested) {
        EndRun(m_texts.t31);
    } else if (errorReported) {
        // Nothing after the error was walked: the run ends as a stopped one, the message has said why.
        s.RunActive = false;
        m_tools.setVisible(QStringLiteral("ID_Stop"), false);
        m_tools.setVisible(QStringLiteral("ID_Start"), true);
        EndRun(m_texts.t31);
    }
}

} // namespace dorvane
