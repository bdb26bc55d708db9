// The options dialog: interface language, tray, window-position and hyperlink-checker options, and the
// two tables that steer the search (file drivers and data types), edited in lists. Nothing is stored
// until OK; Cancel writes nothing. Made for one showing: each opening reads every value afresh. Modal,
// UI thread only.
//
// The dialog holds the two table record sets while it is open; the file-driver dialog works on the
// file-driver one. What OK needs of the main window comes in as MainWindowHooks, so the dialog does not
// depend on the window.
//
// Widgets carry object names for tests: SSActiveTabs1, fraOpt0..fraOpt2, lblLang, dxLanguage,
// chkSysTray, chkWinPos, chkHyperlink, lblJournal, txtJournal, dxTreeList1, dxTreeList2, lblFileConn, cmdNew,
// cmdEdit, cmdDelete, cmdOK, cmdCancel.
//
// The first tab also shows where the window's change journal lives (txtJournal, read-only; disabled while
// the INI setting [Win] Journal turns it off), so that "dorvane undo" can be pointed at it.
#pragma once

#include "datasource/MemoryRecordSet.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace dorvane {

class DialogMessages;

class frmOpt : public QDialog
{
    Q_OBJECT

public:
    struct MainWindowHooks
    {
        std::function<void()> setToolBar; // SetTB: re-apply the toolbar options
        std::function<void()> loadLanguage; // LoadLanguage: re-read the main window's texts
    };

    // Opens the dialog's values (the opening sequence). messages defaults to real message boxes and
    // serves the file-driver dialog too.
    explicit frmOpt(MainWindowHooks hooks, QWidget* parent = nullptr, DialogMessages* messages = nullptr);

    // The edit mode the file-driver dialog reads: "Edit" while an existing driver is edited.
    const QString& editMode() const { return m_editMode; }
    void setEditMode(const QString& mode) { m_editMode = mode; }

    // The open file-driver table; none when it could not be opened.
    MemoryRecordSet* fileDriverTable() { return m_fileDrivers ? &*m_fileDrivers : nullptr; }

    // cmdNew, cmdEdit (and double-click), cmdDelete. Edit and Delete act on the list's current row and do
    // nothing without one.
    void newFileDriver();
    void editFileDriver();
    void deleteFileDriver();

    // cmdOK: stores everything and closes. A table file that cannot be written is reported and the
    // dialog stays open, with everything that was stored so far kept.
    void accept() override;

private:
    void applyTexts(const QString& languageFile);
    void loadTables();
    void fillDataTypeList();
    void fillFileDriverList(int selectPosition);
    void applyBackgroundColour();
    void onLanguageChosen(const QString& text);
    void onDataTypeChanged(QTreeWidgetItem* item, int column);
    void runFileDriverDialog(int position);
    bool fileDriversEditable() const; // open and not yet written back
    void reportDataError(const QString& source, const QString& description);

    MainWindowHooks m_hooks;
    DialogMessages& m_messages;
    std::optional<MemoryRecordSet> m_fileDrivers;
    std::optional<MemoryRecordSet> m_dataTypes;
    bool m_fileDriversSaved = false;
    bool m_dataTypesSaved = false;
    QString m_languageAtOpen;
    bool m_loading = true;
    QString m_editMode;
    QString m_deleteQuestion;

    QTabWidget* m_tabs = nullptr;
    std::array<QFrame*, 3> m_fraOpt {};
    QLabel* m_lblLang = nullptr;
    QComboBox* m_dxLanguage = nullptr;
    QCheckBox* m_chkSysTray = nullptr;
    QCheckBox* m_chkWinPos = nullptr;
    QCheckBox* m_chkHyperlink = nullptr;
    QLabel* m_lblJournal = nullptr;
    QLineEdit* m_txtJournal = nullptr;
    QTreeWidget* m_dxTreeList1 = nullptr;
    QTreeWidget* m_dxTreeList2 = nullptr;
    QLabel* m_lblFileConn = nullptr;
    QPushButton* m_cmdNew = nullptr;
    QPushButton* m_cmdEdit = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

} // namespace dorvane
