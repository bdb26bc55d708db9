// The catalogue of the main window's tools: every command with its kind, caption, category, enabled
// and visible flags, display style, state and tooltip, and where it stands on bars and menus. The
// logic switches tools only here; the main window builds its toolbars and menus from the catalogue
// and mirrors every change it announces. UI thread only.
#pragma once

#include "presentation/ToolId.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace dorvane {

enum class ToolKind
{
    Button,
    StateButton, // two states, 0 and 1
    DropDownList,
    TextField,
    Menu,
    Other,
};

// Display styles of the toolbar component: picture only, or caption beside the picture.
enum ToolDisplayStyle : int
{
    PictureOnly = 0,
    CaptionBesidePicture = 3,
};

struct Tool
{
    QString id;
    ToolKind kind = ToolKind::Button;
    QString caption;
    QString category;
    bool enabled = true;
    bool visible = true;
    int displayStyle = PictureOnly;
    int state = 0;
    QString toolTip;
    QString text; // drop-down list and text field
    QStringList entries; // drop-down list
};

// One place on a bar or in a menu: a tool, or a separator (empty id).
struct ToolPlacement
{
    QString toolId;
    bool isSeparator() const { return toolId.isEmpty(); }
};

struct ToolContainer
{
    QString name; // bar name ("ToolBar", "MenuBar", "Work") or menu tool id
    QList<ToolPlacement> items;
};

class ToolCatalogue : public QObject
{
    Q_OBJECT

public:
    // The tools start as the freshly loaded window shows them, idle: ID_Stop and ID_Continue hidden;
    // ID_Start, ID_Structure, ID_Pause, ID_Skip, ID_SkipRecord, ID_SkipTable, ID_Replace and ID_Save
    // disabled; everything else enabled and visible, display style 0, state 0.
    explicit ToolCatalogue(QObject* parent = nullptr);

    const Tool& find(ToolId id) const { return m_tools[size_t(id)]; }
    // Case-sensitive look-up of a tool's text; an unknown text finds nothing.
    const Tool* find(const QString& id) const;
    QStringList ids() const;

    void setEnabled(ToolId id, bool enabled);
    bool isEnabled(ToolId id) const { return find(id).enabled; }
    void setVisible(ToolId id, bool visible);
    bool isVisible(ToolId id) const { return find(id).visible; }
    void setDisplayStyle(ToolId id, int style);
    void setState(ToolId id, int state);
    int state(ToolId id) const { return find(id).state; }
    void setCaption(ToolId id, const QString& caption);
    void setToolTip(ToolId id, const QString& toolTip);

    // The same by a tool's text, for what names tools by text (the window's actions, hosts, tests).
    // Operations on an unknown text do nothing and read as false, 0 or ""; a debug build warns, since in
    // code an unknown tool is a typo.
    void setEnabled(const QString& id, bool enabled);
    bool isEnabled(const QString& id) const;
    void setVisible(const QString& id, bool visible);
    bool isVisible(const QString& id) const;
    void setDisplayStyle(const QString& id, int style);
    int displayStyle(const QString& id) const;
    void setState(const QString& id, int state);
    int state(const QString& id) const;
    void setCaption(const QString& id, const QString& caption);
    QString caption(const QString& id) const;
    void setToolTip(const QString& id, const QString& toolTip);
    QString toolTip(const QString& id) const;

    // The table choice ID_Tables.
    void clearTableEntries();
    void addTableEntry(const QString& entry);
    QStringList tableEntries() const;
    void setTableEntries(const QStringList& entries);
    void setTableText(const QString& text);
    QString tableText() const;

    // The SQL text tool ID_SQL.
    void setSqlText(const QString& text);
    QString sqlText() const;

    // Layout of the delivered window: bars in order, then the menus.
    const QList<ToolContainer>& bars() const { return m_bars; }
    const QList<ToolContainer>& menus() const { return m_menus; }
    const ToolContainer* menu(const QString& menuId) const;

signals:
    void toolChanged(const QString& id);

private:
    template<typename Apply> void change(ToolId id, Apply apply);
    template<typename Apply> void change(const QString& id, Apply apply);

    std::vector<Tool> m_tools;
    QList<ToolContainer> m_bars;
    QList<ToolContainer> m_menus;
};

} // namespace dorvane
