#include "presentation/ToolCatalogue.h"

#include <QtGlobal>

#include <utility>

namespace dorvane {

namespace {

struct ToolDefinition
{
    const char* id;
    ToolKind kind;
    const char* caption;
    const char* category;
};

constexpr ToolDefinition Definitions[] = {
    {"ID_Quit", ToolKind::Button, "Quit", "General"},
    {"ID_Options", ToolKind::Button, "Options", "General"},
    {"ID_OpenDB", ToolKind::Button, "OpenDB", "General"},
    {"ID_Connection", ToolKind::Button, "Connection", "General"},
    {"ID_Structure", ToolKind::Button, "Structure", "General"},
    {"ID_Tables", ToolKind::DropDownList, "Tables", "General"},
    {"ID_Help", ToolKind::Button, "Help", "Menu"},
    {"ID_About", ToolKind::Button, "About", "Menu"},
    {"ID_Program", ToolKind::Menu, "&Program", "Menu"},
    {"ID_Action", ToolKind::Menu, "&Action", "Menu"},
    {"ID_HelpMnu", ToolKind::Menu, "&?", "Menu"},
    {"ID_Start", ToolKind::Button, "Start", "Find"},
    {"ID_Stop", ToolKind::Button, "Stop", "Find"},
    {"ID_Pause", ToolKind::Button, "Pause", "Find"},
    {"ID_Continue", ToolKind::StateButton, "Continue", "Find"},
    {"ID_Skip", ToolKind::Button, "Skip Field", "Find"},
    {"ID_SkipRecord", ToolKind::Button, "Skip Record", "Find"},
    {"ID_SkipTable", ToolKind::Button, "Skip Table", "Find"},
    {"ID_Replace", ToolKind::Button, "Replace", "Find"},
    {"ID_Save", ToolKind::Button, "Save", "Find"},
    {"ID_Update", ToolKind::Button, "Update", "General"},
    {"ID_Settings", ToolKind::Button, "Settings", "General"},
    {"ID_AllTables", ToolKind::StateButton, "AllTables", "General"},
    {"ID_Mode", ToolKind::StateButton, "Mode", "General"},
    {"ID_SQL", ToolKind::TextField, "SQL", "General"},
    {"ID_ConnectionString", ToolKind::TextField, "Connection", "General"},
    {"ID_Select", ToolKind::Other, "Select", "General"},
    {"ID_CheckWebLink", ToolKind::Button, "CheckWebLink", "General"},
    {"ID_SearchMenu", ToolKind::Menu, "SearchMenu", "Menu"},
    {"ID_Hyperlink", ToolKind::Button, "Hyperlink", "Search"},
    {"ID_FTPLink", ToolKind::Button, "FTP Link", "Search"},
    {"ID_EmailAddress", ToolKind::Button, "Email Address", "Search"},
};

ToolContainer container(const QString& name, std::initializer_list<const char*> ids)
{
    ToolContainer result {name, {}};
    for (const char* id : ids)
        result.items.append(ToolPlacement {QString::fromLatin1(id)});
    return result;
}

void warnUnknown([[maybe_unused]] const QString& id)
{
#ifndef QT_NO_DEBUG
    qWarning("ToolCatalogue: there is no tool \"%s\"", qPrintable(id));
#endif
}

} // namespace

ToolCatalogue::ToolCatalogue(QObject* parent) : QObject(parent)
{
    static_assert(std::size(Definitions) == size_t(ToolIdCount), "one definition per ToolId, in its order");
    for (const ToolDefinition& def : Definitions) {
        Q_ASSERT(toolIdText(ToolId(m_tools.size())) == QLatin1StringView(def.id));
        Tool tool;
        tool.id = QString::fromLatin1(def.id);
        tool.kind = def.kind;
        tool.caption = QString::fromLatin1(def.caption);
        tool.category = QString::fromLatin1(def.category);
        m_tools.push_back(tool);
    }
    // The window comes up idle: of each alternating pair only Start and Pause show, and nothing that
    // needs an open data source or a hit on display can be used yet.
    for (ToolId id : {ToolId::Stop, ToolId::Continue})
        m_tools[size_t(id)].visible = false;
    for (ToolId id : {ToolId::Start, ToolId::Structure, ToolId::Pause, ToolId::Skip, ToolId::SkipRecord,
                      ToolId::SkipTable, ToolId::Replace, ToolId::Save})
        m_tools[size_t(id)].enabled = false;
    // Separators are written as "".
    m_bars = {
        container(QStringLiteral("ToolBar"),
                  {"ID_Quit", "", "ID_Options", "", "ID_OpenDB", "ID_Connection", "", "ID_Structure", "", "ID_Tables",
                   "", "ID_Help"}),
        container(QStringLiteral("MenuBar"), {"ID_Program", "ID_Action", "ID_HelpMnu"}),
        container(QStringLiteral("Work"),
                  {"ID_Start", "ID_Stop", "", "ID_Pause", "ID_Continue", "", "ID_Skip", "ID_SkipRecord", "ID_SkipTable",
                   "", "ID_Replace", "", "ID_Save"}),
    };
    m_menus = {
        container(QStringLiteral("ID_Program"), {"ID_Connection", "ID_OpenDB", "", "ID_Options", "", "ID_Quit"}),
        container(QStringLiteral("ID_Action"),
                  {"ID_Start", "ID_Stop", "ID_Save", "ID_Replace", "ID_Skip", "ID_SkipTable"}),
        container(QStringLiteral("ID_HelpMnu"), {"ID_Help", "ID_About"}),
        container(QStringLiteral("ID_SearchMenu"), {"ID_Hyperlink", "ID_FTPLink", "ID_EmailAddress"}),
    };
}

const Tool* ToolCatalogue::find(const QString& id) const
{
    const std::optional<ToolId> tool = toolIdFromText(id);
    return tool ? &find(*tool) : nullptr;
}

QStringList ToolCatalogue::ids() const
{
    QStringList result;
    for (const Tool& tool : m_tools)
        result.append(tool.id);
    return result;
}

const ToolContainer* ToolCatalogue::menu(const QString& menuId) const
{
    for (const ToolContainer& m : m_menus) {
        if (m.name == menuId)
            return &m;
    }
    return nullptr;
}

template<typename Apply> void ToolCatalogue::change(ToolId id, Apply apply)
{
    Tool& tool = m_tools[size_t(id)];
    if (apply(tool))
        emit toolChanged(tool.id);
}

template<typename Apply> void ToolCatalogue::change(const QString& id, Apply apply)
{
    if (const std::optional<ToolId> tool = toolIdFromText(id))
        change(*tool, apply);
    else
        warnUnknown(id);
}

void ToolCatalogue::setEnabled(ToolId id, bool enabled)
{
    change(id, [&](Tool& t) { return std::exchange(t.enabled, enabled) != enabled; });
}

void ToolCatalogue::setVisible(ToolId id, bool visible)
{
    change(id, [&](Tool& t) { return std::exchange(t.visible, visible) != visible; });
}

void ToolCatalogue::setDisplayStyle(ToolId id, int style)
{
    change(id, [&](Tool& t) { return std::exchange(t.displayStyle, style) != style; });
}

void ToolCatalogue::setState(ToolId id, int state)
{
    change(id, [&](Tool& t) { return std::exchange(t.state, state) != state; });
}

void ToolCatalogue::setCaption(ToolId id, const QString& caption)
{
    change(id, [&](Tool& t) { return std::exchange(t.caption, caption) != caption; });
}

void ToolCatalogue::setToolTip(ToolId id, const QString& toolTip)
{
    change(id, [&](Tool& t) { return std::exchange(t.toolTip, toolTip) != toolTip; });
}

void ToolCatalogue::setEnabled(const QString& id, bool enabled)
{
    change(id, [&](Tool& t) { return std::exchange(t.enabled, enabled) != enabled; });
}

bool ToolCatalogue::isEnabled(const QString& id) const
{
    const Tool* tool = find(id);
    return tool && tool->enabled;
}

void ToolCatalogue::setVisible(const QString& id, bool visible)
{
    change(id, [&](Tool& t) { return std::exchange(t.visible, visible) != visible; });
}

bool ToolCatalogue::isVisible(const QString& id) const
{
    const Tool* tool = find(id);
    return tool && tool->visible;
}

void ToolCatalogue::setDisplayStyle(const QString& id, int style)
{
    change(id, [&](Tool& t) { return std::exchange(t.displayStyle, style) != style; });
}

int ToolCatalogue::displayStyle(const QString& id) const
{
    const Tool* tool = find(id);
    return tool ? tool->displayStyle : 0;
}

void ToolCatalogue::setState(const QString& id, int state)
{
    change(id, [&](Tool& t) { return std::exchange(t.state, state) != state; });
}

int ToolCatalogue::state(const QString& id) const
{
    const Tool* tool = find(id);
    return tool ? tool->state : 0;
}

void ToolCatalogue::setCaption(const QString& id, const QString& caption)
{
    change(id, [&](Tool& t) { return std::exchange(t.caption, caption) != caption; });
}

QString ToolCatalogue::caption(const QString& id) const
{
    const Tool* tool = find(id);
    return tool ? tool->caption : QString();
}

void ToolCatalogue::setToolTip(const QString& id, const QString& toolTip)
{
    change(id, [&](Tool& t) { return std::exchange(t.toolTip, toolTip) != toolTip; });
}

QString ToolCatalogue::toolTip(const QString& id) const
{
    const Tool* tool = find(id);
    return tool ? tool->toolTip : QString();
}

void ToolCatalogue::clearTableEntries()
{
    change(ToolId::Tables, [](Tool& t) {
        t.entries.clear();
        return true;
    });
}

void ToolCatalogue::addTableEntry(const QString& entry)
{
    change(ToolId::Tables, [&](Tool& t) {
        t.entries.append(entry);
        return true;
    });
}

QStringList ToolCatalogue::tableEntries() const
{
    return find(ToolId::Tables).entries;
}

void ToolCatalogue::setTableEntries(const QStringList& entries)
{
    change(ToolId::Tables, [&](Tool& t) { return std::exchange(t.entries, entries) != entries; });
}

void ToolCatalogue::setTableText(const QString& text)
{
    change(ToolId::Tables, [&](Tool& t) { return std::exchange(t.text, text) != text; });
}

QString ToolCatalogue::tableText() const
{
    return find(ToolId::Tables).text;
}

void ToolCatalogue::setSqlText(const QString& text)
{
    change(ToolId::SQL, [&](Tool& t) { return std::exchange(t.text, text) != text; });
}

QString ToolCatalogue::sqlText() const
{
    return find(ToolId::SQL).text;
}

} // namespace dorvane
