#include "mainwindow/ToolBarView.h"

#include "presentation/ToolCatalogue.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace dorvane {

namespace {

const QString TablesId = toolIdText(ToolId::Tables);
const QString MenuBarName = QStringLiteral("MenuBar");

// The pictures of the tools: the style's standard icons, so that every platform theme has them.
QIcon iconFor(const QString& id, const QStyle* style)
{
    static const QHash<QString, QStyle::StandardPixmap> pictures = {
        {toolIdText(ToolId::Quit), QStyle::SP_DialogCloseButton},
        {toolIdText(ToolId::Options), QStyle::SP_FileDialogDetailedView},
        {toolIdText(ToolId::OpenDB), QStyle::SP_DialogOpenButton},
        {toolIdText(ToolId::Connection), QStyle::SP_DriveNetIcon},
        {toolIdText(ToolId::Structure), QStyle::SP_FileDialogListView},
        {toolIdText(ToolId::Help), QStyle::SP_DialogHelpButton},
        {toolIdText(ToolId::About), QStyle::SP_MessageBoxInformation},
        {toolIdText(ToolId::Start), QStyle::SP_MediaPlay},
        {toolIdText(ToolId::Stop), QStyle::SP_MediaStop},
        {toolIdText(ToolId::Pause), QStyle::SP_MediaPause},
        {toolIdText(ToolId::Continue), QStyle::SP_MediaSeekForward},
        {toolIdText(ToolId::Skip), QStyle::SP_ArrowRight},
        {toolIdText(ToolId::SkipRecord), QStyle::SP_ArrowDown},
        {toolIdText(ToolId::SkipTable), QStyle::SP_MediaSkipForward},
        {toolIdText(ToolId::Replace), QStyle::SP_BrowserReload},
        {toolIdText(ToolId::Save), QStyle::SP_DialogSaveButton},
        {toolIdText(ToolId::Update), QStyle::SP_ArrowUp},
    };
    const auto it = pictures.constFind(id);
    return it == pictures.constEnd() ? QIcon() : style->standardIcon(*it);
}

Qt::ToolButtonStyle buttonStyle(int displayStyle)
{
    return displayStyle == CaptionBesidePicture ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly;
}

} // namespace

ToolBarView::ToolBarView(ToolCatalogue& tools, QMainWindow& window) : QObject(&window), m_tools(tools)
{
    for (const QString& id : m_tools.ids()) {
        const Tool* tool = m_tools.find(id);
        QAction* action = nullptr;
        if (tool->kind == ToolKind::Menu) {
            auto* menu = new QMenu(&window);
            menu->setObjectName(id);
            m_menus.insert(id, menu);
            action = menu->menuAction();
        } else {
            action = new QAction(&window);
            action->setIcon(iconFor(id, window.style()));
            action->setCheckable(tool->kind == ToolKind::StateButton);
            connect(action, &QAction::triggered, this, [this, id](bool checked) { onTriggered(id, checked); });
        }
        action->setObjectName(id);
        m_actions.insert(id, action);
    }
    for (const ToolContainer& container : m_tools.menus()) {
        QMenu* target = m_menus.value(container.name);
        for (const ToolPlacement& item : container.items) {
            if (item.isSeparator())
                target->addSeparator();
            else
                target->addAction(m_actions.value(item.toolId));
        }
    }
    buildBars(window);

    connect(&m_tools, &ToolCatalogue::toolChanged, this, &ToolBarView::mirror);
    for (const QString& id : m_tools.ids())
        mirror(id);
}

QToolBar* ToolBarView::toolBar(const QString& name) const
{
    for (QToolBar* bar : m_toolBars) {
        if (bar->objectName() == name)
            return bar;
    }
    return nullptr;
}

QComboBox* ToolBarView::tablesBox() const
{
    return m_tablesBox;
}

void ToolBarView::buildBars(QMainWindow& window)
{
    for (const ToolContainer& container : m_tools.bars()) {
        if (container.name == MenuBarName) {
            QMenuBar* menuBar = window.menuBar();
            menuBar->setObjectName(MenuBarName);
            for (const ToolPlacement& item : container.items) {
                if (!item.isSeparator())
                    menuBar->addAction(m_actions.value(item.toolId));
            }
            continue;
        }
        // Each bar on a row of its own: the run tools stay in reach at the smallest window size.
        if (!m_toolBars.isEmpty())
            window.addToolBarBreak();
        auto* bar = new QToolBar(container.name, &window);
        bar->setObjectName(container.name);
        bar->setMovable(false);
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        window.addToolBar(Qt::TopToolBarArea, bar);
        m_toolBars.append(bar);
        for (const ToolPlacement& item : container.items) {
            if (item.isSeparator())
                bar->addSeparator();
            else if (item.toolId == TablesId)
                buildTablesBox(bar);
            else
                bar->addAction(m_actions.value(item.toolId));
        }
    }
}

void ToolBarView::buildTablesBox(QToolBar* bar)
{
    auto* box = new QComboBox(bar);
    box->setObjectName(TablesId);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(22);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_tablesBox = box;
    m_tablesAction = bar->addWidget(box);

    connect(box, &QComboBox::activated, this, [this](int index) { choose(m_tablesBox->itemText(index)); });
    connect(box, &QComboBox::editTextChanged, this, [this](const QString& text) { m_tools.setTableText(text); });
    // Typed text counts as chosen when the user confirms it (Enter) or leaves the box. Enter on a
    // text that names an entry arrives as activated first, and Qt reports one Enter more than once,
    // so a text that was just chosen is not chosen again.
    connect(box->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString text = m_tablesBox->currentText();
        if (text != m_lastChosen)
            choose(text);
    });
}

void ToolBarView::mirror(const QString& id)
{
    const Tool* tool = m_tools.find(id);
    QAction* action = m_actions.value(id);
    if (!tool || !action)
        return;
    action->setText(tool->caption);
    action->setToolTip(tool->toolTip);
    action->setEnabled(tool->enabled);
    action->setVisible(tool->visible);
    if (action->isCheckable())
        action->setChecked(tool->state == 1);
    for (QToolBar* bar : m_toolBars) {
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
            button->setToolButtonStyle(buttonStyle(tool->displayStyle));
    }
    if (id == TablesId)
        mirrorTables();
}

void ToolBarView::mirrorTables()
{
    const Tool* tool = m_tools.find(TablesId);
    if (!m_tablesBox || !tool)
        return;
    m_tablesAction->setEnabled(tool->enabled);
    m_tablesAction->setVisible(tool->visible);
    m_tablesBox->setToolTip(tool->toolTip.isEmpty() ? tool->caption : tool->toolTip);

    const QSignalBlocker blocker(m_tablesBox);
    QStringList items;
    for (int i = 0; i < m_tablesBox->count(); ++i)
        items.append(m_tablesBox->itemText(i));
    if (items != tool->entries) {
        // The table list grows one entry at a time while it is filled: append rather than rebuild.
        if (tool->entries.size() > items.size() && tool->entries.mid(0, items.size()) == items) {
            m_tablesBox->addItems(tool->entries.mid(items.size()));
        } else {
            m_tablesBox->clear();
            m_tablesBox->addItems(tool->entries);
        }
    }
    if (m_tablesBox->currentText() != tool->text) {
        m_tablesBox->setCurrentIndex(m_tablesBox->findText(tool->text));
        m_tablesBox->setEditText(tool->text);
    }
}

void ToolBarView::choose(const QString& text)
{
    m_lastChosen = text;
    m_tools.setTableText(text);
    emit tableChosen(text);
}

void ToolBarView::onTriggered(const QString& id, bool checked)
{
    emit toolClicked(id);
    const Tool* tool = m_tools.find(id);
    if (tool && tool->kind == ToolKind::StateButton)
        m_tools.setState(id, checked ? 1 : 0);
    emit toolClickFinished(id);
}

} // namespace dorvane
