// The options dialog on the offscreen platform, with the INI file, language files and table files of a
// temporary program folder.
#include "options/frmOpt.h"

#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "datasource/FileDriverTable.h"
#include "datasource/ui/dlgFileDriver.h"
#include "engine/DataTypeTable.h"
#include "options/BackgroundColour.h"

#include "RecordingDialogMessages.h"
#include "TempProgramFolder.h"
#include "WidgetChild.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace dorvane;
using dorvane::test::child;
using dorvane::test::RecordingDialogMessages;
using dorvane::test::TempProgramFolder;

namespace {

QByteArray optionTexts(const QByteArray& prefix)
{
    QByteArray section = "[frmOpt]\r\n";
    for (int key = 0; key < 20; ++key)
        section += "t" + QByteArray::number(key) + "=" + prefix + " " + QByteArray::number(key) + "\r\n";
    return section;
}

QList<FileDriverRow> fileDriverRows()
{
    MemoryRecordSet table = openFileDriverTable();
    QList<FileDriverRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentFileDriverRow(table));
    return rows;
}

QList<DataTypeRow> dataTypeRows()
{
    MemoryRecordSet table = openDataTypeTable();
    QList<DataTypeRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentDataTypeRow(table));
    return rows;
}

} // namespace

class OptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void checkBoxesFromTheIni_data();
    void checkBoxesFromTheIni();
    void textsOfTheSavedLanguage_data();
    void textsOfTheSavedLanguage();
    void germanOnlyDisablesTheLanguageList();
    void okWithoutChangesWritesKeysAndBothFiles();
    void okStoresTheCheckBoxes();
    void chosenLanguageIsPreviewedAndCancelChangesNothing();
    void okWithAnotherLanguageReloadsTheMainWindow();
    void languageIsSavedTrimmed();
    void deletedDriverIsWrittenOnlyOnOk();
    void deleteAnsweredNoKeepsTheDriver();
    void inklColumnEditsCheck();
    void newDriverThroughTheFileDriverDialog();
    void doubleClickEditsTheRowInEditMode();
    void failedWriteKeepsTheDialogOpen();
    void unreadableTableIsReportedAndKeptOnDisk();
    void backgroundColourFromSetting_data();
    void backgroundColourFromSetting();
    void backgroundColourIsApplied();

private:
    std::unique_ptr<frmOpt> makeDialog();

    std::unique_ptr<TempProgramFolder> m_folder;
    RecordingDialogMessages m_messages;
    int m_setToolBarCalls = 0;
    int m_loadLanguageCalls = 0;
    std::function<void()> m_onSetToolBar;
};

void OptionsTest::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeFile(QStringLiteral("lang/Deutsch.lng"), optionTexts("DE"));
    m_folder->writeFile(QStringLiteral("lang/English.lng"), optionTexts("EN"));
    m_folder->writeFile(QStringLiteral("DVNReplacer.ini"),
                        "[Options]\r\nLanguage=Deutsch\r\n[Win]\r\nSysTray=0\r\nWinPos=1\r\nTBText=1\r\n");
    m_folder->activate(QStringLiteral("Deutsch"));
    m_messages = RecordingDialogMessages();
    m_setToolBarCalls = 0;
    m_loadLanguageCalls = 0;
    m_onSetToolBar = nullptr;
}

void OptionsTest::cleanup()
{
    m_folder.reset();
}

std::unique_ptr<frmOpt> OptionsTest::makeDialog()
{
    frmOpt::MainWindowHooks hooks;
    hooks.setToolBar = [this] {
        ++m_setToolBarCalls;
        if (m_onSetToolBar)
            m_onSetToolBar();
    };
    hooks.loadLanguage = [this] {
        ++m_loadLanguageCalls;
    };
    auto dialog = std::make_unique<frmOpt>(hooks, nullptr, &m_messages);
    dialog->show();
    return dialog;
}

void OptionsTest::checkBoxesFromTheIni_data()
{
    QTest::addColumn<QByteArray>("win");
    QTest::addColumn<bool>("sysTray");
    QTest::addColumn<bool>("winPos");
    QTest::addColumn<bool>("hyperlink");
    QTest::newRow("all set") << QByteArray("SysTray=1\r\nWinPos=1\r\nchkHyperlink=1\r\n") << true << true << true;
    QTest::newRow("hyperlink missing opens set") << QByteArray("SysTray=0\r\nWinPos=0\r\n") << false << false << true;
    QTest::newRow("nothing stored") << QByteArray() << false << false << true;
    QTest::newRow("hyperlink cleared") << QByteArray("chkHyperlink=0\r\n") << false << false << false;
    QTest::newRow("hyperlink empty") << QByteArray("chkHyperlink=\r\n") << false << false << false;
    QTest::newRow("only exactly 1 counts")
        << QByteArray("SysTray=true\r\nWinPos=01\r\nchkHyperlink=1 x\r\n") << false << false << false;
}

void OptionsTest::checkBoxesFromTheIni()
{
    QFETCH(QByteArray, win);
    QFETCH(bool, sysTray);
    QFETCH(bool, winPos);
    QFETCH(bool, hyperlink);
    m_folder->writeFile(QStringLiteral("DVNReplacer.ini"), "[Options]\r\nLanguage=Deutsch\r\n[Win]\r\n" + win);
    auto dialog = makeDialog();
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkSysTray")->isChecked(), sysTray);
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkWinPos")->isChecked(), winPos);
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkHyperlink")->isChecked(), hyperlink);
}

void OptionsTest::textsOfTheSavedLanguage_data()
{
    QTest::addColumn<QByteArray>("deutsch");
    QTest::addColumn<QStringList>("texts"); // caption, lblLang, chkWinPos, chkSysTray, tab 1, cmdOK, cmdCancel
    QTest::newRow("all keys") << optionTexts("DE")
                              << QStringList {"Dorvane - DE 0", "DE 1", "DE 2", "DE 3", "DE 4", "DE 18", "DE 17"};
    QTest::newRow("no section blanks the captions")
        << QByteArray("[frmMain]\r\nt0=x\r\n") << QStringList {"Dorvane - ", "", "", "", "", "", ""};
}

void OptionsTest::textsOfTheSavedLanguage()
{
    QFETCH(QByteArray, deutsch);
    QFETCH(QStringList, texts);
    m_folder->writeFile(QStringLiteral("lang/Deutsch.lng"), deutsch);
    auto dialog = makeDialog();
    QCOMPARE(dialog->windowTitle(), texts[0]);
    QCOMPARE(child<QLabel>(dialog.get(), "lblLang")->text(), texts[1]);
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkWinPos")->text(), texts[2]);
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkSysTray")->text(), texts[3]);
    QCOMPARE(child<QTabWidget>(dialog.get(), "SSActiveTabs1")->tabText(0), texts[4]);
    QCOMPARE(child<QPushButton>(dialog.get(), "cmdOK")->text(), texts[5]);
    QCOMPARE(child<QPushButton>(dialog.get(), "cmdCancel")->text(), texts[6]);
    // No language text reaches the hyperlink box.
    QCOMPARE(child<QCheckBox>(dialog.get(), "chkHyperlink")->text(), QStringLiteral("Hyperlinkchecker anzeigen"));
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    QCOMPARE(languages->currentText(), QStringLiteral("Deutsch"));
    QVERIFY(languages->isEnabled());
    QStringList listed;
    for (int i = 0; i < languages->count(); ++i)
        listed.append(languages->itemText(i));
    listed.sort();
    QCOMPARE(listed, QStringList({"Deutsch", "English"}));
}

void OptionsTest::germanOnlyDisablesTheLanguageList()
{
    m_folder->writeFile(QStringLiteral("DVNReplacer.ini"), "[Options]\r\nLanguage=English\r\n");
    appState().GermanOnly = true;
    auto dialog = makeDialog();
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    QCOMPARE(languages->currentText(), QStringLiteral("Deutsch"));
    QVERIFY(!languages->isEnabled());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dorvane - Einstellungen"));
    QCOMPARE(child<QTabWidget>(dialog.get(), "SSActiveTabs1")->tabText(2), QStringLiteral("Treiber"));
    QCOMPARE(child<QLabel>(dialog.get(), "lblFileConn")->text(),
             QStringLiteral("Verbindungszeichenfolgen für direkt geladene Datenbankdateien"));

    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_loadLanguageCalls, 0);
}

void OptionsTest::okWithoutChangesWritesKeysAndBothFiles()
{
    const QByteArray iniBefore = m_folder->readFile(QStringLiteral("DVNReplacer.ini"));
    const QString helpBefore = applicationHelpFile();
    auto dialog = makeDialog();
    // Opening made both files; remove them to see that OK writes them.
    QVERIFY(QFile::remove(fileDriverTablePath()));
    QVERIFY(QFile::remove(dataTypeTablePath()));
    bool keysBeforeToolBar = false;
    bool tablesAfterToolBar = false;
    m_onSetToolBar = [&] {
        keysBeforeToolBar = ReadIniValue("Win", "chkHyperlink", "missing") == "1";
        tablesAfterToolBar = !QFile::exists(fileDriverTablePath()) && !QFile::exists(dataTypeTablePath());
    };

    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(ReadIniValue("Win", "SysTray", "missing"), QStringLiteral("0"));
    QCOMPARE(ReadIniValue("Win", "WinPos", "missing"), QStringLiteral("1"));
    QCOMPARE(ReadIniValue("Win", "chkHyperlink", "missing"), QStringLiteral("1"));
    QCOMPARE(ReadIniValue("Options", "Language", "missing"), QStringLiteral("Deutsch"));
    QCOMPARE(m_setToolBarCalls, 1);
    QVERIFY(keysBeforeToolBar);
    QVERIFY(tablesAfterToolBar);
    QCOMPARE(fileDriverRows(), defaultFileDriverRows());
    QCOMPARE(dataTypeRows(), defaultDataTypeRows());
    QCOMPARE(m_loadLanguageCalls, 0);
    QCOMPARE(appState().LanguageName, QStringLiteral("Deutsch"));
    QCOMPARE(applicationHelpFile(), helpBefore);
    QVERIFY(iniBefore != m_folder->readFile(QStringLiteral("DVNReplacer.ini")));
}

void OptionsTest::okStoresTheCheckBoxes()
{
    auto dialog = makeDialog();
    child<QCheckBox>(dialog.get(), "chkSysTray")->click();
    child<QCheckBox>(dialog.get(), "chkWinPos")->click();
    child<QCheckBox>(dialog.get(), "chkHyperlink")->click();
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QCOMPARE(ReadIniValue("Win", "SysTray", "missing"), QStringLiteral("1"));
    QCOMPARE(ReadIniValue("Win", "WinPos", "missing"), QStringLiteral("0"));
    QCOMPARE(ReadIniValue("Win", "chkHyperlink", "missing"), QStringLiteral("0"));
}

void OptionsTest::chosenLanguageIsPreviewedAndCancelChangesNothing()
{
    auto dialog = makeDialog();
    const QByteArray ini = m_folder->readFile(QStringLiteral("DVNReplacer.ini"));
    const QByteArray drivers = m_folder->readFile(QStringLiteral("sys/fdrv.dat"));
    const QByteArray types = m_folder->readFile(QStringLiteral("sys/dtype.dat"));
    const AppState stateBefore = appState();
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    languages->setCurrentIndex(languages->findText(QStringLiteral("English")));
    emit languages->textActivated(QStringLiteral("English"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dorvane - EN 0"));
    QCOMPARE(child<QLabel>(dialog.get(), "lblLang")->text(), QStringLiteral("EN 1"));
    child<QCheckBox>(dialog.get(), "chkSysTray")->click();

    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdCancel"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(m_folder->readFile(QStringLiteral("DVNReplacer.ini")), ini);
    QCOMPARE(m_folder->readFile(QStringLiteral("sys/fdrv.dat")), drivers);
    QCOMPARE(m_folder->readFile(QStringLiteral("sys/dtype.dat")), types);
    QCOMPARE(appState().LanguageName, stateBefore.LanguageName);
    QCOMPARE(appState().LanguageFile, stateBefore.LanguageFile);
    QCOMPARE(m_setToolBarCalls + m_loadLanguageCalls, 0);
    // A dialog opened later shows the saved language.
    auto later = makeDialog();
    QCOMPARE(later->windowTitle(), QStringLiteral("Dorvane - DE 0"));
    QCOMPARE(child<QComboBox>(later.get(), "dxLanguage")->currentText(), QStringLiteral("Deutsch"));
}

void OptionsTest::okWithAnotherLanguageReloadsTheMainWindow()
{
    auto dialog = makeDialog();
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    languages->setCurrentIndex(languages->findText(QStringLiteral("English")));
    emit languages->textActivated(QStringLiteral("English"));
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QCOMPARE(ReadIniValue("Options", "Language", "missing"), QStringLiteral("English"));
    QCOMPARE(appState().LanguageName, QStringLiteral("English"));
    QCOMPARE(QFileInfo(appState().LanguageFile), QFileInfo(m_folder->filePath("lang/English.lng")));
    QCOMPARE(QFileInfo(applicationHelpFile()), QFileInfo(m_folder->filePath("help/English.html")));
    QCOMPARE(m_loadLanguageCalls, 1);
}

void OptionsTest::languageIsSavedTrimmed()
{
    auto dialog = makeDialog();
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    languages->lineEdit()->selectAll();
    QTest::keyClicks(languages->lineEdit(), QStringLiteral("  English \t"));
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QCOMPARE(ReadIniValue("Options", "Language", "missing"), QStringLiteral("English"));
    QCOMPARE(appState().LanguageName, QStringLiteral("English"));
    QCOMPARE(m_loadLanguageCalls, 1);

    // Blanks around the saved language are no change.
    init();
    auto second = makeDialog();
    child<QComboBox>(second.get(), "dxLanguage")->setEditText(QStringLiteral(" Deutsch "));
    QTest::mouseClick(child<QPushButton>(second.get(), "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_loadLanguageCalls, 0);
    QCOMPARE(ReadIniValue("Options", "Language", "missing"), QStringLiteral("Deutsch"));
}

void OptionsTest::deletedDriverIsWrittenOnlyOnOk()
{
    QCOMPARE(fileDriverRows(), defaultFileDriverRows()); // the file as first use creates it
    const QByteArray drivers = m_folder->readFile(QStringLiteral("sys/fdrv.dat"));
    for (bool confirm : {false, true}) {
        m_messages.answers = {true};
        m_messages.questions.clear();
        auto dialog = makeDialog();
        auto* list = child<QTreeWidget>(dialog.get(), "dxTreeList2");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdDelete"), Qt::LeftButton);
        QCOMPARE(m_messages.questions, QStringList {"DE 19"});
        QCOMPARE(list->topLevelItemCount(), defaultFileDriverRows().size() - 1);
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("udl"));
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
        QTest::mouseClick(child<QPushButton>(dialog.get(), confirm ? "cmdOK" : "cmdCancel"), Qt::LeftButton);
        QList<FileDriverRow> expected = defaultFileDriverRows();
        if (confirm) {
            expected.removeAt(1);
        } else {
            QCOMPARE(m_folder->readFile(QStringLiteral("sys/fdrv.dat")), drivers);
        }
        QCOMPARE(fileDriverRows(), expected);
    }
}

void OptionsTest::deleteAnsweredNoKeepsTheDriver()
{
    auto dialog = makeDialog();
    auto* list = child<QTreeWidget>(dialog.get(), "dxTreeList2");
    const int rows = int(defaultFileDriverRows().size());
    list->setCurrentItem(list->topLevelItem(rows - 1));
    m_messages.answers = {false};
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdDelete"), Qt::LeftButton);
    QCOMPARE(m_messages.questions.size(), 1);
    QCOMPARE(list->topLevelItemCount(), rows);
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QCOMPARE(fileDriverRows(), defaultFileDriverRows());
}

void OptionsTest::inklColumnEditsCheck()
{
    const QList<DataTypeRow> before = dataTypeRows();
    auto dialog = makeDialog();
    auto* list = child<QTreeWidget>(dialog.get(), "dxTreeList1");
    QCOMPARE(list->topLevelItemCount(), before.size());
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("DE 8"));
    for (int row : {0, 5}) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        QCOMPARE(item->text(0), before[row].DataType);
        QCOMPARE(item->text(2), QString::number(before[row].AdoNr));
        QCOMPARE(item->checkState(1) == Qt::Checked, before[row].Check);
        item->setCheckState(1, before[row].Check ? Qt::Unchecked : Qt::Checked);
    }
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QList<DataTypeRow> expected = before;
    expected[0].Check = !expected[0].Check;
    expected[5].Check = !expected[5].Check;
    QCOMPARE(dataTypeRows(), expected);
    QCOMPARE(IsSearchableType(expected[5].AdoNr), expected[5].Check);
}

void OptionsTest::newDriverThroughTheFileDriverDialog()
{
    auto dialog = makeDialog();
    QString modeSeen = QStringLiteral("not opened");
    QTimer::singleShot(0, this, [&] {
        auto* driver = qobject_cast<dlgFileDriver*>(QApplication::activeModalWidget());
        QVERIFY(driver);
        modeSeen = dialog->editMode();
        QVERIFY(!driver->isEditing());
        QTest::keyClicks(child<QLineEdit>(driver, "dxExt"), QStringLiteral("sdb"));
        QTest::keyClicks(child<QPlainTextEdit>(driver, "dxStr"), QStringLiteral("DRIVER=SQLite3;"));
        QTest::keyClick(child<QPlainTextEdit>(driver, "dxStr"), Qt::Key_Return);
        QTest::keyClicks(child<QPlainTextEdit>(driver, "dxStr"), QStringLiteral("Database=<path>;"));
        QTest::mouseClick(child<QPushButton>(driver, "cmdSave"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdNew"), Qt::LeftButton);
    QCOMPARE(modeSeen, QString());
    QCOMPARE(dialog->editMode(), QString());
    auto* list = child<QTreeWidget>(dialog.get(), "dxTreeList2");
    const int rows = int(defaultFileDriverRows().size());
    QCOMPARE(list->topLevelItemCount(), rows + 1);
    QCOMPARE(list->currentItem(), list->topLevelItem(rows));
    QCOMPARE(list->topLevelItem(rows)->text(1), QStringLiteral("DRIVER=SQLite3;Database=<path>;"));
    QVERIFY(m_messages.messages.isEmpty());
    // Only OK writes the file.
    QCOMPARE(fileDriverRows(), defaultFileDriverRows());
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QList<FileDriverRow> expected = defaultFileDriverRows();
    expected.append({"sdb", "DRIVER=SQLite3;Database=<path>;", true});
    QCOMPARE(fileDriverRows(), expected);
}

void OptionsTest::doubleClickEditsTheRowInEditMode()
{
    auto dialog = makeDialog();
    auto* list = child<QTreeWidget>(dialog.get(), "dxTreeList2");
    QString modeSeen;
    QString extSeen;
    QTimer::singleShot(0, this, [&] {
        auto* driver = qobject_cast<dlgFileDriver*>(QApplication::activeModalWidget());
        QVERIFY(driver);
        modeSeen = dialog->editMode();
        extSeen = child<QLineEdit>(driver, "dxExt")->text();
        auto* ext = child<QLineEdit>(driver, "dxExt");
        ext->clear();
        QTest::keyClicks(ext, QStringLiteral("dbx"));
        QTest::mouseClick(child<QPushButton>(driver, "cmdSave"), Qt::LeftButton);
    });
    QTreeWidgetItem* item = list->topLevelItem(4);
    list->setCurrentItem(item);
    emit list->itemDoubleClicked(item, 0);
    QCOMPARE(modeSeen, QStringLiteral("Edit"));
    QCOMPARE(extSeen, QStringLiteral("db3"));
    QCOMPARE(dialog->editMode(), QString());
    QCOMPARE(list->topLevelItemCount(), defaultFileDriverRows().size());
    QCOMPARE(list->topLevelItem(4)->text(0), QStringLiteral("dbx"));
    QCOMPARE(list->topLevelItem(4)->checkState(2), Qt::Checked);
    QCOMPARE(list->currentItem(), list->topLevelItem(4));
}

void OptionsTest::failedWriteKeepsTheDialogOpen()
{
    auto dialog = makeDialog();
    const QString types = dataTypeTablePath();
    QVERIFY(QFile::remove(types));
    QVERIFY(QDir().mkdir(types)); // a folder where the file belongs cannot be replaced
    auto* languages = child<QComboBox>(dialog.get(), "dxLanguage");
    languages->setEditText(QStringLiteral("English"));
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(m_messages.messages.size(), 1);
    QVERIFY(m_messages.messages[0].contains(QLatin1String("Dorvane.Recordset:\r\n")));
    QCOMPARE(m_loadLanguageCalls, 0);
    QCOMPARE(ReadIniValue("Options", "Language", "missing"), QStringLiteral("Deutsch"));

    QVERIFY(QDir().rmdir(types));
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_messages.messages.size(), 1);
    QCOMPARE(dataTypeRows(), defaultDataTypeRows());
    QCOMPARE(fileDriverRows(), defaultFileDriverRows());
    QCOMPARE(m_loadLanguageCalls, 1);
}

void OptionsTest::unreadableTableIsReportedAndKeptOnDisk()
{
    m_folder->writeFile(QStringLiteral("sys/fdrv.dat"), "not a table");
    auto dialog = makeDialog();
    QCOMPARE(m_messages.messages.size(), 1);
    QVERIFY(!child<QTreeWidget>(dialog.get(), "dxTreeList2")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog.get(), "cmdNew")->isEnabled());
    QTest::mouseClick(child<QPushButton>(dialog.get(), "cmdOK"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_folder->readFile(QStringLiteral("sys/fdrv.dat")), QByteArray("not a table"));
    QCOMPARE(dataTypeRows(), defaultDataTypeRows());
}

void OptionsTest::backgroundColourFromSetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour"); // invalid: no colour
    const QColor none;
    QTest::newRow("button face") << "&H8000000F" << QGuiApplication::palette().color(QPalette::Button);
    QTest::newRow("red") << "&HFF" << QColor(255, 0, 0);
    QTest::newRow("blue, lower case") << "&hff0000" << QColor(0, 0, 255);
    QTest::newRow("long suffix") << "&H8000&" << QColor(0, 128, 0);
    QTest::newRow("decimal") << "65280" << QColor(0, 255, 0);
    QTest::newRow("negative system colour") << "-2147483633" << QGuiApplication::palette().color(QPalette::Button);
    QTest::newRow("prefix only") << "&H" << none;
    QTest::newRow("not hexadecimal") << "&HXYZ" << none;
    QTest::newRow("above 24 bits") << "&H1000000" << none;
    QTest::newRow("unknown system colour") << "&H800000FF" << none;
    QTest::newRow("words") << "grey" << none;
    QTest::newRow("empty") << "" << none;
}

void OptionsTest::backgroundColourFromSetting()
{
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    const std::optional<QColor> result = dorvane::backgroundColourFromSetting(text);
    QCOMPARE(result.has_value(), colour.isValid());
    if (result)
        QCOMPARE(*result, colour);
}

void OptionsTest::backgroundColourIsApplied()
{
    writeUserSetting("Options", "BGColor", "&HFF");
    auto dialog = makeDialog();
    QCOMPARE(dialog->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(child<QFrame>(dialog.get(), "fraOpt2")->palette().color(QPalette::Window), QColor(255, 0, 0));

    // A text that is no colour leaves the usual colours; the dialog opens regardless.
    writeUserSetting("Options", "BGColor", "&Hnonsense");
    auto plain = makeDialog();
    QVERIFY(plain->isVisible());
    QCOMPARE(plain->palette().color(QPalette::Window), QApplication::palette(plain.get()).color(QPalette::Window));
}

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
