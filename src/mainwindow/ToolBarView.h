// The window side of the tool catalogue: one QAction per tool, shared by every bar and menu that
// carries the tool, toolbars and menus laid out as the catalogue places them, and ID_Tables as an
// editable combo box on its bar. Every change the catalogue announces shows at once; a click, a chosen
// table entry and typed table text go back to the catalogue and out as signals. UI thread only.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QComboBox;
class QMainWindow;
class QMenu;
class QToolBar;

namespace dorvane {

class ToolCatalogue;

class ToolBarView : public QObject
{
    Q_OBJECT

public:
    // Builds the bars and menus into window; the catalogue must outlive this object.
    ToolBarView(ToolCatalogue& tools, QMainWindow& window);

    QAction* action(const QString& id) const { return m_actions.value(id); }
    QToolBar* toolBar(const QString& name) const;
    QMenu* menu(const QString& menuId) const { return m_menus.value(menuId); }
    QComboBox* tablesBox() const;

signals:
    // A tool was clicked. A two-state tool still has its old state in the catalogue at this point.
    void toolClicked(const QString& id);
    // After the click was handled and a two-state tool's state was flipped: the window re-checks
    // whether ID_Start may be enabled.
    void toolClickFinished(const QString& id);
    // The user picked an entry of ID_Tables, or typed a text and confirmed it with Enter or by leaving
    // the box; the catalogue's table text is already the chosen text.
    void tableChosen(const QString& text);

private:
    void buildBars(QMainWindow& window);
    void buildTablesBox(QToolBar* bar);
    void mirror(const QString& id);
    void mirrorTables();
    void onTriggered(const QString& id, bool checked);
    void choose(const QString& text);

    ToolCatalogue& m_tools;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QList<QToolBar*> m_toolBars;
    QPointer<QComboBox> m_tablesBox;
    QAction* m_tablesAction = nullptr; // the combo box's place on its bar
    QString m_lastChosen;
};

} // namespace dorvane
