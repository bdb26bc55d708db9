#include "datasource/ui/dlgFileDriver.h"

#include "core/AppState.h"
#include "core/DataError.h"
#include "core/Settings.h"
#include "datasource/FileDriverTable.h"
#include "datasource/MemoryRecordSet.h"
#include "datasource/ui/WidgetDialogMessages.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dorvane {

namespace {

const QString Section = QStringLiteral("dlgFileDriver");
const QString EditMode = QStringLiteral("Edit");

// Built-in texts for the keys the window shows before (or, without language files, instead of) the
// language file's. The messages have no built-in wording of their own in the language files' absence,
// so they get one here rather than showing an empty box.
QString builtInText(int key)
{
    switch (key) {
    case 0:
        return QStringLiteral("New File driver");
    case 1:
        return QStringLiteral("Edit File driver");
    case 2:
        return QStringLiteral("File extension (3 chars)");
    case 3:
        return QStringLiteral("File related");
    case 4:
        return QStringLiteral("Connection string (write <path> for the path)");
    case 5:
        return QStringLiteral("&Abbrechen");
    case 6:
        return QStringLiteral("&Speichern");
    case 7:
        return QStringLiteral("The file extension must have 1 to 3 characters.");
    case 8:
        return QStringLiteral("This file extension is already in the table.");
    case 9:
        return QStringLiteral("The connection string must contain <path>.");
    case 10:
        return QStringLiteral("Directory related");
    default:
        return QString();
    }
}

} // namespace

dlgFileDriver::dlgFileDriver(MemoryRecordSet& table, QString& mode, int currentPosition, QWidget* parent,
                             DialogMessages* messages)
    : QDialog(parent), m_table(table), m_mode(mode), m_messages(messages ? *messages : WidgetDialogMessages::instance())
{
    setObjectName(QStringLiteral("dlgFileDriver"));
    setModal(true);
    if (m_mode == EditMode)
        m_editedPosition = currentPosition;

    m_lblFileEx = new QLabel(builtInText(2), this);
    m_lblFileEx->setObjectName(QStringLiteral("lblFileEx"));
    m_dxExt = new QLineEdit(this);
    m_dxExt->setObjectName(QStringLiteral("dxExt"));
    m_dxExt->setMaxLength(3);
    m_lblConnStr = new QLabel(builtInText(4), this);
    m_lblConnStr->setObjectName(QStringLiteral("lblConnStr"));
    m_dxStr = new QPlainTextEdit(this);
    m_dxStr->setObjectName(QStringLiteral("dxStr"));
    m_chkFile0 = new QRadioButton(builtInText(3), this);
    m_chkFile0->setObjectName(QStringLiteral("chkFile0"));
    m_chkFile1 = new QRadioButton(builtInText(10), this);
    m_chkFile1->setObjectName(QStringLiteral("chkFile1"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_chkFile0, 0);
    group->addButton(m_chkFile1, 1);
    m_chkFile0->setChecked(true);
    m_cmdSave = new QPushButton(builtInText(6), this);
    m_cmdSave->setObjectName(QStringLiteral("cmdSave"));
    m_cmdSave->setDefault(true);
    m_cmdCancel = new QPushButton(builtInText(5), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(m_chkFile0);
    choices->addWidget(m_chkFile1);
    choices->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblFileEx);
    layout->addWidget(m_dxExt);
    layout->addWidget(m_lblConnStr);
    layout->addWidget(m_dxStr, 1);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    resize(520, 320);

    connect(m_cmdSave, &QPushButton::clicked, this, &dlgFileDriver::save);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    applyLanguage();
    if (m_editedPosition) {
        moveToPosition(m_table, *m_editedPosition);
        const FileDriverRow row = currentFileDriverRow(m_table);
        m_dxExt->setText(row.Ext);
        m_dxStr->setPlainText(row.Str);
        // The two options are exclusive: clearing item 0 alone would not clear it, so set item 1 instead.
        if (row.File)
            m_chkFile0->setChecked(true);
        else
            m_chkFile1->setChecked(true);
        setWindowTitle(m_texts[1]);
    } else {
        setWindowTitle(m_texts[0]);
    }
}

dlgFileDriver::~dlgFileDriver()
{
    m_mode.clear();
}

void dlgFileDriver::applyLanguage()
{
    const bool germanOnly = appState().GermanOnly;
    for (int key = 0; key < 11; ++key)
        m_texts[key]
            = germanOnly ? builtInText(key) : ReadLanguageText(Section, QStringLiteral("t%1").arg(key), QString());
    m_lblFileEx->setText(m_texts[2]);
    m_chkFile0->setText(m_texts[3]);
    m_lblConnStr->setText(m_texts[4]);
    m_cmdCancel->setText(m_texts[5]);
    m_cmdSave->setText(m_texts[6]);
    m_chkFile1->setText(m_texts[10]);
}

FileDriverRow dlgFileDriver::entry() const
{
    QString text = m_dxStr->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return {m_dxExt->text(), text, m_chkFile0->isChecked()};
}

QString dlgFileDriver::messageFor(FileDriverEntryCheck check) const
{
    switch (check) {
    case FileDriverEntryCheck::ExtensionLength:
        return m_texts[7];
    case FileDriverEntryCheck::ExtensionExists:
        return m_texts[8];
    case FileDriverEntryCheck::TemplateMissing:
        return QStringLiteral("Connection string is missing");
    case FileDriverEntryCheck::PlaceholderMissing:
        return m_texts[9];
    case FileDriverEntryCheck::Accepted:
        break;
    }
    return QString();
}

void dlgFileDriver::save()
{
    const FileDriverRow typed = entry();
    try {
        const FileDriverEntryCheck check = checkFileDriverEntry(m_table, typed, m_editedPosition);
        if (check != FileDriverEntryCheck::Accepted) {
            m_messages.showMessage(this, messageFor(check));
            return;
        }
        storeFileDriverEntry(m_table, typed, m_editedPosition);
    } catch (const DataError& error) {
        m_messages.showMessage(this, error.source() + QStringLiteral(":\r\n") + error.description());
        return;
    }
    accept();
}

void dlgFileDriver::done(int result)
{
    m_mode.clear();
    QDialog::done(result);
}

} // namespace dorvane
