#include "options/frmOpt.h"

#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/DataError.h"
#include "core/IniFile.h"
#include "core/LanguageFolder.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/FileDriverEntry.h"
#include "datasource/FileDriverTable.h"
#include "datasource/ui/WidgetDialogMessages.h"
#include "datasource/ui/dlgFileDriver.h"
#include "engine/DataTypeTable.h"
#include "engine/WindowJournal.h"
#include "options/BackgroundColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace dorvane {

namespace {

const QString Section = QStringLiteral("frmOpt");
const QString Win = QStringLiteral("Win");
const QString Options = QStringLiteral("Options");
const QString Set = QStringLiteral("1");
const QString Cleared = QStringLiteral("0");

// Without language files the delete question still needs words.
const QString BuiltInDeleteQuestion = QStringLiteral("Soll der markierte Treiber gelöscht werden?");

QCheckBox* checkBox(const char* name, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QPushButton* imageButton(const char* name, QStyle::StandardPixmap pixmap, const QString& tip, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(pixmap));
    button->setToolTip(tip);
    return button;
}

QTreeWidget* list(const char* name, const QStringList& headers, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setColumnCount(int(headers.size()));
    tree->setHeaderLabels(headers);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    return tree;
}

int positionOf(QTreeWidget* tree)
{
    QTreeWidgetItem* item = tree->currentItem();
    return item ? tree->indexOfTopLevelItem(item) : -1;
}

} // namespace

frmOpt::frmOpt(MainWindowHooks hooks, QWidget* parent, DialogMessages* messages)
    : QDialog(parent), m_hooks(std::move(hooks)), m_messages(messages ? *messages : WidgetDialogMessages::instance())
{
    setObjectName(QStringLiteral("frmOpt"));
    setModal(true);
    setWindowTitle(ProductName + QStringLiteral(" - Einstellungen"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSActiveTabs1"));

    auto* general = new QWidget;
    for (size_t i = 0; i < m_fraOpt.size(); ++i) {
        m_fraOpt[i] = new QFrame(general);
        m_fraOpt[i]->setObjectName(QStringLiteral("fraOpt%1").arg(i));
        m_fraOpt[i]->setFrameShape(QFrame::StyledPanel);
    }
    m_lblLang = new QLabel(QStringLiteral("Sprache"), m_fraOpt[0]);
    m_lblLang->setObjectName(QStringLiteral("lblLang"));
    m_dxLanguage = new QComboBox(m_fraOpt[0]);
    m_dxLanguage->setObjectName(QStringLiteral("dxLanguage"));
    m_dxLanguage->setEditable(true);
    m_dxLanguage->setInsertPolicy(QComboBox::NoInsert);
    auto* languageRow = new QHBoxLayout(m_fraOpt[0]);
    languageRow->addWidget(m_lblLang);
    languageRow->addWidget(m_dxLanguage, 1);
    m_chkSysTray = checkBox("chkSysTray", QStringLiteral("In System Tray minimieren"), m_fraOpt[1]);
    m_chkWinPos = checkBox("chkWinPos", QStringLiteral("Fenstergrösse merken"), m_fraOpt[1]);
    auto* windowRows = new QVBoxLayout(m_fraOpt[1]);
    windowRows->addWidget(m_chkSysTray);
    windowRows->addWidget(m_chkWinPos);
    m_chkHyperlink = checkBox("chkHyperlink", QStringLiteral("Hyperlinkchecker anzeigen"), m_fraOpt[2]);
    auto* hyperlinkRow = new QVBoxLayout(m_fraOpt[2]);
    hyperlinkRow->addWidget(m_chkHyperlink);
    m_lblJournal = new QLabel(QStringLiteral("Änderungsjournal"), general);
    m_lblJournal->setObjectName(QStringLiteral("lblJournal"));
    m_txtJournal = new QLineEdit(windowJournalPath(), general);
    m_txtJournal->setObjectName(QStringLiteral("txtJournal"));
    m_txtJournal->setReadOnly(true);
    m_txtJournal->setEnabled(isWindowJournalOn());
    m_txtJournal->setCursorPosition(0);
    m_lblJournal->setBuddy(m_txtJournal);
    auto* journalRow = new QHBoxLayout;
    journalRow->addWidget(m_lblJournal);
    journalRow->addWidget(m_txtJournal, 1);
    auto* generalLayout = new QVBoxLayout(general);
    for (QFrame* frame : m_fraOpt)
        generalLayout->addWidget(frame);
    generalLayout->addLayout(journalRow);
    generalLayout->addStretch();

    auto* dataTypes = new QWidget;
    m_dxTreeList1 = list("dxTreeList1", {QStringLiteral("Data Type"), QStringLiteral("Inkl."), QString()}, dataTypes);
    auto* dataTypeLayout = new QVBoxLayout(dataTypes);
    dataTypeLayout->addWidget(m_dxTreeList1);

    auto* drivers = new QWidget;
    m_dxTreeList2
        = list("dxTreeList2",
               {QStringLiteral("Dateierweiterung"), QStringLiteral("Verbindungszeichenfolge"), QStringLiteral("File")},
               drivers);
    m_lblFileConn
        = new QLabel(QStringLiteral("Verbindungszeichenfolgen für direkt geladene Datenbankdateien"), drivers);
    m_lblFileConn->setObjectName(QStringLiteral("lblFileConn"));
    m_lblFileConn->setWordWrap(true);
    m_cmdNew = imageButton("cmdNew", QStyle::SP_FileIcon, QStringLiteral("Neu"), drivers);
    m_cmdEdit = imageButton("cmdEdit", QStyle::SP_FileDialogDetailedView, QStringLiteral("Bearbeiten"), drivers);
    m_cmdDelete = imageButton("cmdDelete", QStyle::SP_TrashIcon, QStringLiteral("Löschen"), drivers);
    auto* driverButtons = new QHBoxLayout;
    driverButtons->addWidget(m_lblFileConn, 1);
    driverButtons->addWidget(m_cmdNew);
    driverButtons->addWidget(m_cmdEdit);
    driverButtons->addWidget(m_cmdDelete);
    auto* driverLayout = new QVBoxLayout(drivers);
    driverLayout->addLayout(driverButtons);
    driverLayout->addWidget(m_dxTreeList2);

    m_tabs->addTab(general, QStringLiteral("Allgemein"));
    m_tabs->addTab(dataTypes, QStringLiteral("Datentypen"));
    m_tabs->addTab(drivers, QStringLiteral("Treiber"));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    for (QTreeWidget* tree : {m_dxTreeList1, m_dxTreeList2}) {
        tree->header()->setStretchLastSection(false);
        for (int column = 0; column < 3; ++column)
            tree->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    m_dxTreeList1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_dxTreeList2->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    resize(640, 460);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmOpt::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmOpt::reject);
    connect(m_cmdNew, &QPushButton::clicked, this, &frmOpt::newFileDriver);
    connect(m_cmdEdit, &QPushButton::clicked, this, &frmOpt::editFileDriver);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmOpt::deleteFileDriver);
    connect(m_dxTreeList2, &QTreeWidget::itemDoubleClicked, this, &frmOpt::editFileDriver);
    connect(m_dxLanguage, &QComboBox::textActivated, this, &frmOpt::onLanguageChosen);
    connect(m_dxTreeList1, &QTreeWidget::itemChanged, this, &frmOpt::onDataTypeChanged);

    // The opening sequence.
    m_loading = true;
    m_dxLanguage->addItems(LanguageFolder::languageNames());
    m_languageAtOpen = ReadIniValue(Options, QStringLiteral("Language"), QString());
    m_dxLanguage->setCurrentText(m_languageAtOpen);
    m_deleteQuestion = BuiltInDeleteQuestion;
    if (!appState().GermanOnly) {
        // An empty INI language means start-up fell back to its default: show the texts in use.
        applyTexts(m_languageAtOpen.isEmpty() ? appState().LanguageFile : LanguageFolder::filePath(m_languageAtOpen));
    }
    m_chkSysTray->setChecked(isSetFlag(ReadIniValue(Win, QStringLiteral("SysTray"), Cleared)));
    m_chkWinPos->setChecked(isSetFlag(ReadIniValue(Win, QStringLiteral("WinPos"), Cleared)));
    m_chkHyperlink->setChecked(isSetFlag(ReadIniValue(Win, QStringLiteral("chkHyperlink"), Set)));
    loadTables();
    m_loading = false;
    if (appState().GermanOnly) {
        m_dxLanguage->setCurrentText(DefaultLanguage);
        m_dxLanguage->setEnabled(false);
    }
    applyBackgroundColour();
}

void frmOpt::applyTexts(const QString& languageFile)
{
    std::array<QString, 21> t;
    for (int key = 0; key < int(t.size()); ++key)
        t[key] = IniFile::read(languageFile, Section, QStringLiteral("t%1").arg(key), QString(), 256);
    setWindowTitle(ProductName + QStringLiteral(" - ") + t[0]);
    m_lblLang->setText(t[1]);
    m_chkWinPos->setText(t[2]);
    m_chkSysTray->setText(t[3]);
    for (int tab = 0; tab < 3; ++tab)
        m_tabs->setTabText(tab, t[4 + tab]);
    m_dxTreeList1->headerItem()->setText(0, t[7]);
    m_dxTreeList1->headerItem()->setText(1, t[8]);
    m_lblFileConn->setText(t[9]);
    m_cmdNew->setToolTip(t[10]);
    m_cmdEdit->setToolTip(t[11]);
    m_cmdDelete->setToolTip(t[12]);
    for (int column = 0; column < 3; ++column)
        m_dxTreeList2->headerItem()->setText(column, t[13 + column]);
    m_cmdCancel->setText(t[17]);
    m_cmdOK->setText(t[18]);
    m_deleteQuestion = t[19];
    m_lblJournal->setText(t[20]);
}

void frmOpt::loadTables()
{
    // A table file that cannot be read is reported and left alone: its list stays empty and disabled,
    // and OK does not overwrite the file the user may still want to repair.
    try {
        m_fileDrivers.emplace(openFileDriverTable(MemoryRecordSet::LockType::Optimistic));
        fillFileDriverList(0);
    } catch (const DataError& error) {
        m_fileDrivers.reset();
        m_dxTreeList2->setEnabled(false);
        for (QPushButton* button : {m_cmdNew, m_cmdEdit, m_cmdDelete})
            button->setEnabled(false);
        reportDataError(error.source(), error.description());
    }
    try {
        m_dataTypes.emplace(openDataTypeTable(MemoryRecordSet::LockType::Optimistic));
        fillDataTypeList();
    } catch (const DataError& error) {
        m_dataTypes.reset();
        m_dxTreeList1->setEnabled(false);
        reportDataError(error.source(), error.description());
    }
}

void frmOpt::fillDataTypeList()
{
    const QSignalBlocker blocker(m_dxTreeList1);
    m_dxTreeList1->clear();
    MemoryRecordSet& table = *m_dataTypes;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        const DataTypeRow row = currentDataTypeRow(table);
        auto* item = new QTreeWidgetItem(m_dxTreeList1);
        item->setText(0, row.DataType);
        item->setText(2, QString::number(row.AdoNr));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(1, row.Check ? Qt::Checked : Qt::Unchecked);
    }
    table.MoveFirst();
}

void frmOpt::fillFileDriverList(int selectPosition)
{
    m_dxTreeList2->clear();
    MemoryRecordSet& table = *m_fileDrivers;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        const FileDriverRow row = currentFileDriverRow(table);
        auto* item = new QTreeWidgetItem(m_dxTreeList2);
        item->setText(0, row.Ext);
        item->setText(1, row.Str);
        item->setToolTip(1, row.Str);
        // Shown, not edited in place: a driver changes only through the file-driver dialog and its checks.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(2, row.File ? Qt::Checked : Qt::Unchecked);
    }
    const int count = m_dxTreeList2->topLevelItemCount();
    if (count > 0) {
        const int position = std::clamp(selectPosition, 0, count - 1);
        m_dxTreeList2->setCurrentItem(m_dxTreeList2->topLevelItem(position));
        moveToPosition(table, position);
    }
}

void frmOpt::applyBackgroundColour()
{
    // Any failure here leaves the dialog in its usual colours.
    try {
        const QString setting = readUserSetting(Options, QStringLiteral("BGColor"), QString());
        const std::optional<QColor> colour = setting.size() < 2 ? std::nullopt : backgroundColourFromSetting(setting);
        if (!colour)
            return;
        for (QWidget* widget : std::initializer_list<QWidget*> {m_tabs, this, m_fraOpt[0], m_fraOpt[1], m_fraOpt[2]}) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window, *colour);
            widget->setPalette(palette);
            widget->setAutoFillBackground(true);
        }
    } catch (...) {
    }
}

void frmOpt::onLanguageChosen(const QString& text)
{
    if (m_loading || appState().GermanOnly)
        return;
    applyTexts(LanguageFolder::filePath(text.trimmed()));
}

void frmOpt::onDataTypeChanged(QTreeWidgetItem* item, int column)
{
    if (m_loading || column != 1 || !m_dataTypes)
        return;
    try {
        moveToPosition(*m_dataTypes, m_dxTreeList1->indexOfTopLevelItem(item));
        m_dataTypes->Fields(QStringLiteral("Check")).setValue(item->checkState(1) == Qt::Checked);
        m_dataTypes->Update();
    } catch (const DataError& error) {
        reportDataError(error.source(), error.description());
    }
}

bool frmOpt::fileDriversEditable() const
{
    return m_fileDrivers && m_fileDrivers->isOpen();
}

void frmOpt::newFileDriver()
{
    if (!fileDriversEditable())
        return;
    runFileDriverDialog(positionOf(m_dxTreeList2));
}

void frmOpt::editFileDriver()
{
    const int position = positionOf(m_dxTreeList2);
    if (!fileDriversEditable() || position < 0)
        return;
    m_editMode = QStringLiteral("Edit");
    runFileDriverDialog(position);
}

void frmOpt::runFileDriverDialog(int position)
{
    const bool adding = m_editMode != QLatin1String("Edit");
    const int countBefore = m_fileDrivers->RecordCount();
    int result = QDialog::Rejected;
    try {
        dlgFileDriver dialog(*m_fileDrivers, m_editMode, position, this, &m_messages);
        result = dialog.exec();
    } catch (const DataError& error) {
        reportDataError(error.source(), error.description());
    }
    m_editMode.clear();
    const int select = result == QDialog::Accepted && adding ? countBefore : position;
    fillFileDriverList(select);
}

void frmOpt::deleteFileDriver()
{
    const int position = positionOf(m_dxTreeList2);
    if (!fileDriversEditable() || position < 0)
        return;
    if (!m_messages.askYesNo(this, m_deleteQuestion))
        return;
    try {
        moveToPosition(*m_fileDrivers, position);
        m_fileDrivers->Delete();
    } catch (const DataError& error) {
        reportDataError(error.source(), error.description());
    }
    fillFileDriverList(position);
}

void frmOpt::accept()
{
    WriteIniValue(Win, QStringLiteral("SysTray"), m_chkSysTray->isChecked() ? Set : Cleared);
    WriteIniValue(Win, QStringLiteral("WinPos"), m_chkWinPos->isChecked() ? Set : Cleared);
    WriteIniValue(Win, QStringLiteral("chkHyperlink"), m_chkHyperlink->isChecked() ? Set : Cleared);
    if (m_hooks.setToolBar)
        m_hooks.setToolBar();

    // Each file is replaced only once its new content is complete, so a failed write keeps the old file;
    // the dialog then stays open and a second OK writes what is still unwritten.
    try {
        if (m_fileDrivers && !m_fileDriversSaved) {
            saveFileDriverTable(*m_fileDrivers);
            m_fileDriversSaved = true;
        }
        if (m_dataTypes && !m_dataTypesSaved) {
            saveDataTypeTable(*m_dataTypes);
            m_dataTypesSaved = true;
        }
    } catch (const DataError& error) {
        reportDataError(error.source(), error.description());
        return;
    }

    const QString chosen = m_dxLanguage->currentText().trimmed();
    if (!chosen.isEmpty() && chosen != m_languageAtOpen) {
        WriteIniValue(Options, QStringLiteral("Language"), chosen);
        appState().LanguageName = chosen;
        appState().LanguageFile = LanguageFolder::filePath(chosen);
        if (!appState().GermanOnly) {
            setApplicationHelpFile(helpFileForIniLanguage());
            if (m_hooks.loadLanguage)
                m_hooks.loadLanguage();
        }
    }
    QDialog::accept();
}

void frmOpt::reportDataError(const QString& source, const QString& description)
{
    m_messages.showMessage(this, source + QStringLiteral(":\r\n") + description);
}

} // namespace dorvane
