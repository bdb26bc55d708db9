// The file-driver dialog: adds one driver to the options dialog's open file-driver table or changes its
// current row. Made for one use; nothing is written to disk here, the table file changes only when the
// options dialog is confirmed. UI thread only.
//
// Widgets carry object names for tests: lblFileEx, dxExt, lblConnStr, dxStr, chkFile0, chkFile1,
// cmdSave, cmdCancel.
#pragma once

#include "datasource/FileDriverEntry.h"
#include "datasource/FileDriverRow.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace dorvane {

class DialogMessages;
class MemoryRecordSet;

class dlgFileDriver : public QDialog
{
    Q_OBJECT

public:
    // REQUIRES: table, mode and messages outlive the dialog; table is open and updatable. mode is the
    // options dialog's edit mode: "Edit" changes the row at currentPosition, anything else adds a row.
    // Closing the dialog, by save or cancel, sets mode back to "". messages defaults to real boxes.
    dlgFileDriver(MemoryRecordSet& table, QString& mode, int currentPosition, QWidget* parent = nullptr,
                  DialogMessages* messages = nullptr);
    ~dlgFileDriver() override;

    bool isEditing() const { return m_editedPosition.has_value(); }

    // The entry as typed; the template with its line breaks as CR LF, the way they are typed on the
    // platform the table files come from.
    FileDriverRow entry() const;

    void done(int result) override;

private:
    void applyLanguage();
    void save();
    QString messageFor(FileDriverEntryCheck check) const;

    MemoryRecordSet& m_table;
    QString& m_mode;
    DialogMessages& m_messages;
    std::optional<int> m_editedPosition;
    QString m_texts[11];
    QLabel* m_lblFileEx = nullptr;
    QLineEdit* m_dxExt = nullptr;
    QLabel* m_lblConnStr = nullptr;
    QPlainTextEdit* m_dxStr = nullptr;
    QRadioButton* m_chkFile0 = nullptr;
    QRadioButton* m_chkFile1 = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

} // namespace dorvane
