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
    const char* id;
    int key;
};

// Display names in the order they are applied, each with its key of section frmMain.
constexpr ToolText ToolNames[] = {
    {"ID_Quit", 10},      {"ID_Connection", 11}, {"ID_SQL", 12},        {"ID_Stop", 13},     {"ID_Skip", 14},
    {"ID_Replace", 15},   {"ID_Save", 16},       {"ID_Start", 17},      {"ID_Settings", 18}, {"ID_OpenDB", 0},
    {"ID_Tables", 20},    {"ID_Program", 21},    {"ID_Action", 22},     {"ID_HelpMnu", 23},  {"ID_About", 24},
    {"ID_Help", 25},      {"ID_Continue", 32},   {"ID_Pause", 35},      {"ID_Options", 37},  {"ID_SkipTable", 41},
    {"ID_Structure", 42}, {"ID_Update", 43},     {"ID_SkipRecord", 46},
};

constexpr ToolText ToolTips[] = {{"ID_Skip", 47}, {"ID_SkipRecord", 48}, {"ID_SkipTable", 49}};

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
        std::array<QString, 50> t;
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = ReadLanguageText(SectionMain, QLatin1Char('t') + QString::number(i), QString(), 256);
        applyTexts(t);
        next.t0 = t[0];
        next.t1 = t[1];
        next.t19 = t[19];
        next.t26 = t[26];
        next.t27 = t[27];
        next.t28 = t[28];
        next.t29 = t[29];
        next.t30 = t[30];
        next.t31 = t[31];
        next.t33 = t[33];
        next.t34 = t[34];
        next.t39 = t[39];
        next.t40 = t[40];
        next.t44 = t[44];
        next.t45 = t[45];
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

void MainWindowLanguage::applyTexts(const std::array<QString, 50>& t)
{
    // While a run shows the empty-search note behind the find label, the label keeps the note; the
    // relabelling below then puts it into the new language.
    QString findCaption = t[1];
    const QString note = storedLabel(RelabelSlot::t45);
    const QString noteSuffix = QStringLiteral(" [") + note + QLatin1Char(']');
    if (!note.isEmpty() && m_surface.findLabelCaption() == m_texts.t1 + noteSuffix)
        findCaption += noteSuffix;
    m_surface.setFindLabelCaption(findCaption);
    for (const CaptionText& caption : Captions)
        m_captions.setElementCaption(caption.element, t[caption.key]);
    for (const ToolText& tool : ToolNames)
        m_tools.setCaption(QString::fromLatin1(tool.id), t[tool.key]);
    for (const ToolText& tool : ToolTips)
        m_tools.setToolTip(QString::fromLatin1(tool.id), t[tool.key]);
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

    panel(1, RelabelSlot::t26, next.t26, false);
    panel(1, RelabelSlot::t27, next.t27, true);
    panel(2, RelabelSlot::t28, next.t28, true);
    panel(3, RelabelSlot::t29, next.t29, true);
    panel(1, RelabelSlot::t30, next.t30, false);
    panel(1, RelabelSlot::t31, next.t31, false);

    // The all-tables entry: the text of the choice and the first entry of its list, so that picking
    // the entry again still starts a run over all tables.
    const QString oldTables = slot(RelabelSlot::t19);
    if (!oldTables.isEmpty()) {
        const QString oldEntry = bracketed(oldTables);
        QStringList entries = m_tools.tableEntries();
        if (!entries.isEmpty() && entries.first() == oldEntry) {
            entries.first() = bracketed(next.t19);
            m_tools.setTableEntries(entries);
        }
        if (m_tools.tableText() == oldEntry)
            m_tools.setTableText(bracketed(next.t19));
    }
    slot(RelabelSlot::t19) = next.t19;

    // The note " [t45]" behind the find label's caption.
    const QString oldNote = slot(RelabelSlot::t45);
    if (!oldNote.isEmpty()) {
        const QString caption = m_surface.findLabelCaption();
        const QString suffix = QStringLiteral(" [") + oldNote + QLatin1Char(']');
        if (caption.endsWith(suffix))
            m_surface.setFindLabelCaption(caption.left(caption.size() - suffix.size()) + QStringLiteral(" [") + next.t45
                                          + QLatin1Char(']'));
    }
    slot(RelabelSlot::t45) = next.t45;
}

} // namespace dorvane
