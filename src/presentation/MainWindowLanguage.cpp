#include "presentation/MainWindowLanguage.h"

#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/InterfaceTranslations.h"
#include "core/Settings.h"
#include "presentation/MainSurface.h"
#include "presentation/MainWindowCaptions.h"
#include "presentation/ToolCatalogue.h"

namespace dorvane {

namespace {

const QString SectionMain = QStringLiteral("frmMain");
const QString SectionAll = QStringLiteral("All");

struct ToolText
{
    ToolId id;
    int key;
};

// Display names in the order they are applied, each with its key of section frmMain.
constexpr ToolText ToolNames[] = {
    {ToolId::Quit, 10},      {ToolId::Connection, 11}, {ToolId::SQL, 12},        {ToolId::Stop, 13},
    {ToolId::Skip, 14},      {ToolId::Replace, 15},    {ToolId::Save, 16},       {ToolId::Start, 17},
    {ToolId::Settings, 18},  {ToolId::OpenDB, 0},      {ToolId::Tables, 20},     {ToolId::Program, 21},
    {ToolId::Action, 22},    {ToolId::HelpMnu, 23},    {ToolId::About, 24},      {ToolId::Help, 25},
    {ToolId::Continue, 32},  {ToolId::Pause, 35},      {ToolId::Options, 37},    {ToolId::SkipTable, 41},
    {ToolId::Structure, 42}, {ToolId::Update, 43},     {ToolId::SkipRecord, 46},
};

constexpr ToolText ToolTips[] = {{ToolId::Skip, 47}, {ToolId::SkipRecord, 48}, {ToolId::SkipTable, 49}};

struct CaptionText
{
    CaptionElement element;
    int key;
};

constexpr CaptionText Captions[] = {
    {CaptionElement::lblReplace, 2},   {CaptionElement::chkCase, 3},     {CaptionElement::chkRegEx, 4},
    {CaptionElement::chkWholeWord, 5}, {CaptionElement::fraOriginal, 6}, {CaptionElement::fraReplaced, 7},
    {CaptionElement::optField0, 8},    {CaptionElement::optField1, 9},   {CaptionElement::chkReplaceAll, 36},
};

// A label is replaced only where the program wrote it, so that a table name, a field name or a
// connection string that happens to contain the label keeps its text. Status labels stand at the
// start of their panel, alone ("t26", "t30 "), or in front of a value ("t27: Kunden ").
QString relabelStatus(const QString& text, const QString& old, const QString& next, bool beforeValue)
{
    if (text.isEmpty() || old.isEmpty())
        return text;
    const bool labelled
        = beforeValue ? text.startsWith(old + QStringLiteral(": ")) : (text == old || text == old + QLatin1Char(' '));
    return labelled ? next + text.mid(old.size()) : text;
}

QString bracketed(const QString& label)
{
    return QLatin1Char('[') + label + QLatin1Char(']');
}

} // namespace

MainWindowLanguage::MainWindowLanguage(MainSurface& surface, ToolCatalogue& tools, MainWindowCaptions& captions)
    : m_surface(surface), m_tools(tools), m_captions(captions)
{
}

void MainWindowLanguage::LoadLanguage()
{
    MainWindowTexts next;
    if (appState().GermanOnly) {
        next = MainWindowTexts::germanDefaults();
    } else {
        std::array<QString, KeyCount> t;
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = ReadLanguageText(SectionMain, QLatin1Char('t') + QString::number(i), QString(), 256);
        applyTexts(t);
        next.openFileTitle = t[0];
        next.findLabel = t[1];
        next.allTablesName = t[19];
        next.noSourceStatus = t[26];
        next.tableLabel = t[27];
        next.recordLabel = t[28];
        next.fieldLabel = t[29];
        next.runCompleteStatus = t[30];
        next.runStoppedStatus = t[31];
        next.runActiveQuestion = t[33];
        next.runActiveQuestionDetail = t[34];
        next.trayOpen = t[39];
        next.trayExit = t[40];
        next.missingSearchMessage = t[44];
        next.emptySearchNote = t[45];
        next.missingHelpFileMessage = t[50];
    }
    relabel(next);
    m_texts = next;

    m_surface.setStatusToolTip(4, QStringLiteral("Datentyp"));
    m_surface.setStatusToolTip(5, QStringLiteral("Feldgrösse"));

    if (!appState().GermanOnly) {
        for (EditorCommand command : AllEditorCommands) {
            m_captions.setEditorCommandText(command,
                                            ReadLanguageText(SectionAll, MainWindowCaptions::commandTextKey(command),
                                                             MainWindowCaptions::defaultCommandText(command), 256));
        }
    }

    setApplicationHelpFile(helpFileForIniLanguage());
    // What Qt draws itself (standard buttons, the file dialog) speaks the language of the window's texts.
    installInterfaceTranslations(interfaceLanguage());
}

void MainWindowLanguage::applyTexts(const std::array<QString, KeyCount>& t)
{
    // While a run shows the empty-search note behind the find label, the label keeps the note; the
    // relabelling below then puts it into the new language.
    QString findCaption = t[1];
    const QString note = storedLabel(RelabelSlot::t45);
    const QString noteSuffix = QStringLiteral(" [") + note + QLatin1Char(']');
    if (!note.isEmpty() && m_surface.findLabelCaption() == m_texts.findLabel + noteSuffix)
        findCaption += noteSuffix;
    m_surface.setFindLabelCaption(findCaption);
    for (const CaptionText& caption : Captions)
        m_captions.setElementCaption(caption.element, t[caption.key]);
    for (const ToolText& tool : ToolNames)
        m_tools.setCaption(tool.id, t[tool.key]);
    for (const ToolText& tool : ToolTips)
        m_tools.setToolTip(tool.id, t[tool.key]);
}

void MainWindowLanguage::relabel(const MainWindowTexts& next)
{
    auto slot = [this](RelabelSlot s) -> QString& {
        return m_labels[static_cast<size_t>(s)];
    };
    auto panel = [&](int number, RelabelSlot s, const QString& label, bool beforeValue) {
        m_surface.setStatusText(number, relabelStatus(m_surface.statusText(number), slot(s), label, beforeValue));
        slot(s) = label;
    };

    panel(1, RelabelSlot::t26, next.noSourceStatus, false);
    panel(1, RelabelSlot::t27, next.tableLabel, true);
    panel(2, RelabelSlot::t28, next.recordLabel, true);
    panel(3, RelabelSlot::t29, next.fieldLabel, true);
    panel(1, RelabelSlot::t30, next.runCompleteStatus, false);
    panel(1, RelabelSlot::t31, next.runStoppedStatus, false);

    // The all-tables entry: the text of the choice and the first entry of its list, so that picking
    // the entry again still starts a run over all tables.
    const QString oldTables = slot(RelabelSlot::t19);
    if (!oldTables.isEmpty()) {
        const QString oldEntry = bracketed(oldTables);
        QStringList entries = m_tools.tableEntries();
        if (!entries.isEmpty() && entries.first() == oldEntry) {
            entries.first() = bracketed(next.allTablesName);
            m_tools.setTableEntries(entries);
        }
        if (m_tools.tableText() == oldEntry)
            m_tools.setTableText(bracketed(next.allTablesName));
    }
    slot(RelabelSlot::t19) = next.allTablesName;

    // The note " [t45]" behind the find label's caption.
    const QString oldNote = slot(RelabelSlot::t45);
    if (!oldNote.isEmpty()) {
        const QString caption = m_surface.findLabelCaption();
        const QString suffix = QStringLiteral(" [") + oldNote + QLatin1Char(']');
        if (caption.endsWith(suffix))
            m_surface.setFindLabelCaption(caption.left(caption.size() - suffix.size()) + QStringLiteral(" [")
                                          + next.emptySearchNote + QLatin1Char(']'));
    }
    slot(RelabelSlot::t45) = next.emptySearchNote;
}

} // namespace dorvane
