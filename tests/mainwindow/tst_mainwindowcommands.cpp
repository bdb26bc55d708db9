// The main window's commands driven headless, as the window's signals drive them, on real SQLite files
// through the ODBC driver.
#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "mainwindow/MainWindowCommands.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include "PresetDataLinkPrompt.h"
#include "PresetFileChooser.h"
#include "SqliteDatabase.h"
#include "TempProgramFolder.h"

#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {

MainWindowTexts testTexts()
{
    MainWindowTexts t;
    t.findLabel = QStringLiteral("Suchen");
    t.allTablesName = QStringLiteral("Alle Tabellen");
    t.noSourceStatus = QStringLiteral("Keine Datenquelle");
    t.runCompleteStatus = QStringLiteral("Fertig");
    t.runStoppedStatus = QStringLiteral("Abgebrochen");
    t.runActiveQuestion = QStringLiteral("Die Suche läuft.");
    t.runActiveQuestionDetail = QStringLiteral("Abbrechen?");
    t.missingSearchMessage = QStringLiteral("Bitte einen Suchtext eingeben");
    t.emptySearchNote = QStringLiteral("leer");
    t.missingHelpFileMessage = QStringLiteral("Die Hilfedatei fehlt:");
    return t;
}

const QString Head = QStringLiteral("Dorvane 1.01.00 - [");

// A program folder, a database with three tables, and the commands of one window on them.
struct Window
{
    TempProgramFolder folder;
    SqliteDatabase db {folder.path()};
    HeadlessSurface surface;
    ToolCatalogue tools;
    MainWindowTexts texts = testTexts();
    PresetFileChooser fileChooser;
    PresetDataLinkPrompt dataLinkPrompt;
    DataSourceState state;
    QStringList calls; // the window hooks, in the order they ran
    std::unique_ptr<MainWindowCommands> commands;

    Window()
    {
        db.exec(QStringLiteral("CREATE TABLE Beta (id INTEGER PRIMARY KEY, name TEXT)"));
        db.exec(QStringLiteral("CREATE TABLE Alpha (id INTEGER PRIMARY KEY, name TEXT)"));
        db.exec(QStringLiteral("CREATE TABLE [Order Details] (id INTEGER PRIMARY KEY, name TEXT)"));
        db.exec(QStringLiteral("INSERT INTO Beta VALUES (1, 'apple'), (2, 'pear')"));
        db.exec(QStringLiteral("INSERT INTO Alpha VALUES (1, 'apple tart')"));
        db.exec(QStringLiteral("INSERT INTO [Order Details] VALUES (1, 'green apple')"));
        db.close();

        MainWindowActions actions;
        actions.unloadWindow = [this] {
            calls.append(QStringLiteral("unload"));
            commands->Unload();
        };
        actions.loadLanguage = [this] {
            calls.append(QStringLiteral("language"));
        };
        actions.setToolBar = [this] {
            calls.append(QStringLiteral("toolbar"));
        };
        actions.placeWindow = [this] {
            calls.append(QStringLiteral("place"));
        };
        actions.showOptions = [this] {
            calls.append(QStringLiteral("options"));
        };
        actions.openDocument = [this](const QString& address) {
            calls.append(QStringLiteral("open ") + address);
        };
        commands = std::make_unique<MainWindowCommands>(surface, tools, texts, fileChooser, dataLinkPrompt,
                                                        std::move(actions), state);
        commands->run().setEventPumpInterval(0);
    }

    void load(const QString& dataSourceName = QString())
    {
        state.ConnectionString = db.connectionString();
        state.DataSourceName = dataSourceName;
        commands->Load();
    }

    void search(const EditorValue& text, bool regEx = false)
    {
        surface.setSearchValue(text);
        surface.setRegEx(regEx);
    }

    // Every hit of a run over the tables as chosen, skipping each, as "table.record".
    QStringList collectHits()
    {
        QStringList hits;
        commands->ToolClick(QStringLiteral("ID_Start"));
        while (waitingAtHit()) {
            const RunState& s = commands->run().state();
            hits.append(QStringLiteral("%1.%2").arg(s.TableList.value(s.CurTable)).arg(s.CurRecord));
            commands->ToolClick(QStringLiteral("ID_Skip"));
        }
        return hits;
    }

    bool waitingAtHit() const
    {
        return tools.isEnabled(QStringLiteral("ID_Save")) && commands->run().state().RunActive;
    }

    // Everything a command could change that a test can see.
    QString snapshot() const
    {
        QStringList parts;
        for (const QString& id : tools.ids()) {
            const Tool* t = tools.find(id);
            parts.append(QStringLiteral("%1:%2%3%4:%5:%6")
                             .arg(id)
                             .arg(t->enabled)
                             .arg(t->visible)
                             .arg(t->state)
                             .arg(t->caption, t->text));
        }
        parts.append(surface.caption());
        parts.append(surface.findLabelCaption());
        for (int panel = 1; panel <= 5; ++panel)
            parts.append(surface.statusText(panel));
        parts.append(messagesAndQuestions());
        parts.append(calls.join(QLatin1Char(',')));
        parts.append(QString::number(commands->run().state().RunActive));
        parts.append(QString::number(state.isOpen()));
        return parts.join(QLatin1Char('|'));
    }

    QString messagesAndQuestions() const { return (surface.messages + surface.questions).join(QLatin1Char('/')); }
};

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void loadRunsInOrderAndOpensTheSource();
    void startWithEmptySearch_data();
    void startWithEmptySearch();
    void continueWithZeroLengthTextIsRefused_data();
    void continueWithZeroLengthTextIsRefused();
    void quitDuringRun_data();
    void quitDuringRun();
    void quitWithoutRunUnloadsAtOnce();
    void allTablesEntryRunsOverAllTables();
    void singleTableRunsOverThatTable();
    void captionForms_data();
    void captionForms();
    void allTablesToggleWaitsWhileLoading();
    void allTablesModeForgetsTheTableOfAnotherSource();
    void commandsWithoutAction_data();
    void commandsWithoutAction();
    void startRecheck_data();
    void startRecheck();
    void modeRelabelsItself();
    void helpAndUpdateOpenTheIniLanguage();
    void helpOpensTheManualOfTheLanguage_data();
    void helpOpensTheManualOfTheLanguage();
    void helpKeyOpensTheApplicationHelpFile();
    void unloadEndsTheRunAndClosesTheSource();
};

void TestMainWindowCommands::loadRunsInOrderAndOpensTheSource()
{
    Window w;
    w.folder.writeFile(IniFileName, "[Options]\r\nLanguage=English\r\n");
    w.surface.setSearchValue(QStringLiteral("a"));
    w.surface.setReplaceValue(QStringLiteral("o"));
    w.surface.setOriginalView(QStringLiteral("banana"));
    w.load();

    QCOMPARE(w.calls, QStringList({"language", "place", "toolbar"}));
    QCOMPARE(w.surface.caption(), QStringLiteral("Dorvane"));
    QVERIFY(!w.tools.isEnabled(QStringLiteral("ID_Replace")));
    QVERIFY(w.state.isOpen());
    QVERIFY(w.tools.isEnabled(QStringLiteral("ID_Start")));
    QCOMPARE(w.tools.tableEntries(), QStringList({"[Alle Tabellen]", "Beta", "Alpha", "Order Details"}));
    QCOMPARE(w.surface.replacedView(), EditorValue(QStringLiteral("bonono")));
    QCOMPARE(readUserSetting(QStringLiteral("Options"), QStringLiteral("Version"), QString()), ProductVersion);
    QCOMPARE(readUserSetting(QStringLiteral("Options"), QStringLiteral("AppPath"), QString()), w.folder.path());
    QCOMPARE(applicationHelpFile(), w.folder.path() + QStringLiteral("/help/English.html"));
    QVERIFY(!w.commands->isLoading());
    QVERIFY(w.commands->savedTable().isEmpty());
}

void TestMainWindowCommands::startWithEmptySearch_data()
{
    QTest::addColumn<EditorValue>("search");
    QTest::addColumn<bool>("regEx");
    QTest::addColumn<bool>("starts");

    QTest::newRow("no value, plain") << EditorValue() << false << true;
    QTest::newRow("empty text, plain") << EditorValue(QString()) << false << true;
    QTest::newRow("no value, RegEx") << EditorValue() << true << false;
    QTest::newRow("empty text, RegEx") << EditorValue(QString()) << true << false;
}

void TestMainWindowCommands::startWithEmptySearch()
{
    QFETCH(EditorValue, search);
    QFETCH(bool, regEx);
    QFETCH(bool, starts);

    Window w;
    w.load();
    w.search(search, regEx);
    w.surface.setFindLabelCaption(w.texts.findLabel);
    w.commands->ToolClick(QStringLiteral("ID_Start"));

    if (starts) {
        // No field is empty, so the run walks every table and completes.
        QVERIFY(w.surface.messages.isEmpty());
        QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Suchen [leer]"));
        QCOMPARE(w.commands->run().state().TableList, QStringList({"Beta", "Alpha", "Order Details"}));
        QCOMPARE(w.surface.statusText(1), QStringLiteral("Fertig "));
    } else {
        QCOMPARE(w.surface.messages, QStringList({w.texts.missingSearchMessage}));
        QCOMPARE(w.surface.findLabelCaption(), w.texts.findLabel);
        QVERIFY(w.commands->run().state().TableList.isEmpty());
        QVERIFY(w.tools.isVisible(QStringLiteral("ID_Start")));
        QVERIFY(!w.surface.isInterfaceLocked());
    }
    QVERIFY(!w.commands->run().state().RunActive);
}

void TestMainWindowCommands::continueWithZeroLengthTextIsRefused_data()
{
    QTest::addColumn<bool>("regEx");
    QTest::newRow("plain") << false;
    QTest::newRow("RegEx") << true;
}

void TestMainWindowCommands::continueWithZeroLengthTextIsRefused()
{
    QFETCH(bool, regEx);

    Window w;
    w.load();
    w.search(QStringLiteral("apple"));
    w.commands->ToolClick(QStringLiteral("ID_Start"));
    QVERIFY(w.waitingAtHit());
    w.commands->ToolClick(QStringLiteral("ID_Pause"));
    QVERIFY(w.commands->run().state().RunPaused);

    w.search(QString(), regEx);
    const QString before = w.snapshot();
    w.commands->ToolClick(QStringLiteral("ID_Continue"));
    QCOMPARE(w.surface.messages, QStringList({w.texts.missingSearchMessage}));
    w.surface.messages.clear();
    QCOMPARE(w.snapshot(), before);
    QVERIFY(w.commands->run().state().RunPaused);

    // Save checks the same way.
    w.commands->ToolClick(QStringLiteral("ID_Save"));
    QCOMPARE(w.surface.messages, QStringList({w.texts.missingSearchMessage}));
    QCOMPARE(w.db.scalar(QStringLiteral("SELECT name FROM Beta WHERE id = 1")), QVariant(QStringLiteral("apple")));
}

void TestMainWindowCommands::quitDuringRun_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void TestMainWindowCommands::quitDuringRun()
{
    QFETCH(bool, answer);

    Window w;
    w.load();
    w.search(QStringLiteral("apple"));
    w.commands->ToolClick(QStringLiteral("ID_Start"));
    QVERIFY(w.waitingAtHit());
    const QString before = w.snapshot();
    const RunState& s = w.commands->run().state();
    const int record = s.CurRecord;
    const int field = s.CurField;

    w.surface.nextAnswers.push_back(answer);
    w.commands->ToolClick(QStringLiteral("ID_Quit"));
    QCOMPARE(w.surface.questions, QStringList({QStringLiteral("Die Suche läuft.\r\nAbbrechen?")}));

    if (!answer) {
        w.surface.questions.clear();
        QCOMPARE(w.snapshot(), before);
        QVERIFY(w.waitingAtHit());
        QCOMPARE(s.CurRecord, record);
        QCOMPARE(s.CurField, field);
        // The run goes on from where it was.
        w.commands->ToolClick(QStringLiteral("ID_Skip"));
        QVERIFY(w.waitingAtHit());
        QCOMPARE(s.TableList.value(s.CurTable), QStringLiteral("Alpha"));
    } else {
        QCOMPARE(w.calls.last(), QStringLiteral("unload"));
        QVERIFY(!s.RunActive);
        QVERIFY(s.StopRequested);
        QVERIFY(!s.isRecordsetOpen());
        QVERIFY(!w.state.Connection);
    }
}

void TestMainWindowCommands::quitWithoutRunUnloadsAtOnce()
{
    Window w;
    w.load();
    w.commands->ToolClick(QStringLiteral("ID_Quit"));
    QVERIFY(w.surface.questions.isEmpty());
    QCOMPARE(w.calls.last(), QStringLiteral("unload"));
    QVERIFY(!w.state.isOpen());
}

void TestMainWindowCommands::allTablesEntryRunsOverAllTables()
{
    Window w;
    w.load();
    w.commands->TableChosen(QStringLiteral("Beta"));
    w.commands->TableChosen(QStringLiteral("[Alle Tabellen]"));
    w.search(QStringLiteral("apple"));
    QCOMPARE(w.collectHits(), QStringList({"Beta.0", "Alpha.0", "Order Details.0"}));
    QVERIFY(w.commands->run().state().AllTablesMode);
    QCOMPARE(w.surface.statusText(1), QStringLiteral("Fertig "));
}

void TestMainWindowCommands::singleTableRunsOverThatTable()
{
    Window w;
    w.load();
    w.commands->TableChosen(QStringLiteral("Order Details"));
    w.search(QStringLiteral("apple"));
    QCOMPARE(w.collectHits(), QStringList({"Order Details.0"}));
    QVERIFY(!w.commands->run().state().AllTablesMode);
}

void TestMainWindowCommands::captionForms_data()
{
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("allTablesOn");
    QTest::addColumn<QString>("allTablesOff");

    QTest::newRow("with source name") << "Shop" << Head + "Shop Alpha]" << Head + "Shop Alle Tabellen]"
                                      << Head + "Shop - Alpha]";
    QTest::newRow("without source name") << "" << Head + "Alpha]" << Head + "Alle Tabellen]" << Head + "Alpha]";
}

void TestMainWindowCommands::captionForms()
{
    QFETCH(QString, sourceName);
    QFETCH(QString, chosen);
    QFETCH(QString, allTablesOn);
    QFETCH(QString, allTablesOff);

    Window w;
    w.load(sourceName);
    w.commands->TableChosen(QStringLiteral("Alpha"));
    QCOMPARE(w.surface.caption(), chosen);
    QCOMPARE(w.state.SelectedTable, QStringLiteral("Alpha"));

    // The tool still has its old state when the click arrives; the window flips it afterwards.
    const QString allTables = QStringLiteral("ID_AllTables");
    w.commands->ToolClick(allTables);
    w.tools.setState(allTables, 1);
    QCOMPARE(w.surface.caption(), allTablesOn);
    QVERIFY(!w.tools.isEnabled(QStringLiteral("ID_Tables")));
    QVERIFY(w.tools.isEnabled(QStringLiteral("ID_Start")));
    QVERIFY(w.commands->run().state().AllTablesMode);
    QCOMPARE(w.commands->savedTable(), QStringLiteral("Alpha"));

    w.commands->ToolClick(allTables);
    w.tools.setState(allTables, 0);
    QCOMPARE(w.surface.caption(), allTablesOff);
    QVERIFY(w.tools.isEnabled(QStringLiteral("ID_Tables")));
    QCOMPARE(w.tools.tableText(), QStringLiteral("Alpha"));
    QVERIFY(!w.commands->run().state().AllTablesMode);

    // The empty choice names the all-tables entry and cannot start.
    w.commands->TableChosen(QString());
    QCOMPARE(w.surface.caption(), sourceName.isEmpty() ? Head + "Alle Tabellen]" : Head + "Shop Alle Tabellen]");
    QVERIFY(!w.tools.isEnabled(QStringLiteral("ID_Start")));
}

void TestMainWindowCommands::allTablesToggleWaitsWhileLoading()
{
    Window w;
    // The table list is filled by the load; a click arriving meanwhile must not take a half-filled list
    // as the table to restore.
    w.state.ConnectionString = w.db.connectionString();
    bool clickedWhileLoading = false;
    QObject::connect(&w.tools, &ToolCatalogue::toolChanged, [&](const QString& id) {
        if (id == QLatin1String("ID_Tables") && w.commands->isLoading() && !clickedWhileLoading) {
            clickedWhileLoading = true;
            w.commands->ToolClick(QStringLiteral("ID_AllTables"));
        }
    });
    w.commands->Load();
    QVERIFY(clickedWhileLoading);
    QVERIFY(!w.commands->run().state().AllTablesMode);
    QVERIFY(w.tools.isEnabled(QStringLiteral("ID_Tables")));
    QVERIFY(w.commands->savedTable().isEmpty());
}

// All-tables mode going off brings back the table chosen before; after another source was opened
// meanwhile, that table belongs to no open source and must not come back.
void TestMainWindowCommands::allTablesModeForgetsTheTableOfAnotherSource()
{
    Window w;
    w.load();
    w.commands->TableChosen(QStringLiteral("Alpha"));
    const QString allTables = QStringLiteral("ID_AllTables");
    w.commands->ToolClick(allTables);
    w.tools.setState(allTables, 1);
    QCOMPARE(w.commands->savedTable(), QStringLiteral("Alpha"));

    SqliteDatabase other(w.folder.path(), QStringLiteral("other.db"));
    other.exec(QStringLiteral("CREATE TABLE Gamma (name TEXT)"));
    other.close();
    w.fileChooser.nextAnswers = {other.filePath()};
    w.commands->ToolClick(QStringLiteral("ID_OpenDB"));
    QVERIFY(w.surface.messages.isEmpty());
    QCOMPARE(w.tools.tableEntries(), QStringList({"[Alle Tabellen]", "Gamma"}));

    w.commands->ToolClick(allTables);
    w.tools.setState(allTables, 0);
    QCOMPARE(w.tools.tableText(), QStringLiteral("[Alle Tabellen]"));
    QVERIFY(w.state.SelectedTable != QLatin1String("Alpha"));
    QVERIFY(w.tools.isEnabled(QStringLiteral("ID_Start")));
}

void TestMainWindowCommands::commandsWithoutAction_data()
{
    QTest::addColumn<QString>("id");
    for (const char* id : {"ID_Settings", "ID_NoSuchTool", "id_quit", "ID_QUIT", "ID_Quit ", "", "ID_Program",
                           "ID_Tables", "ID_SQL", "ID_Hyperlink"})
        QTest::newRow(id[0] ? id : "empty") << QString::fromLatin1(id);
}

void TestMainWindowCommands::commandsWithoutAction()
{
    QFETCH(QString, id);

    Window w;
    w.load();
    w.commands->TableChosen(QStringLiteral("Beta"));
    const QString before = w.snapshot();
    w.commands->ToolClick(id);
    QCOMPARE(w.snapshot(), before);
}

void TestMainWindowCommands::startRecheck_data()
{
    QTest::addColumn<int>("allTablesState");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("all tables on, no table") << 1 << "" << true << false;
    QTest::newRow("all tables on, a table") << 1 << "Beta" << true << true;
    QTest::newRow("all tables off, no table") << 0 << "" << true << true;
    QTest::newRow("no source open") << 0 << "Beta" << false << false;
}

void TestMainWindowCommands::startRecheck()
{
    QFETCH(int, allTablesState);
    QFETCH(QString, selected);
    QFETCH(bool, open);
    QFETCH(bool, enabled);

    Window w;
    if (open)
        w.load();
    w.tools.setState(QStringLiteral("ID_AllTables"), allTablesState);
    w.state.SelectedTable = selected;
    w.tools.setEnabled(QStringLiteral("ID_Start"), !enabled);
    w.commands->StartRecheck();
    QCOMPARE(w.tools.isEnabled(QStringLiteral("ID_Start")), enabled);
}

void TestMainWindowCommands::modeRelabelsItself()
{
    Window w;
    const QString mode = QStringLiteral("ID_Mode");
    w.tools.setState(mode, 1);
    w.commands->ToolClick(mode);
    QCOMPARE(w.tools.caption(mode), QStringLiteral("Skip"));
    w.tools.setState(mode, 0);
    w.commands->ToolClick(mode);
    QCOMPARE(w.tools.caption(mode), QStringLiteral("Replace"));
}

void TestMainWindowCommands::helpAndUpdateOpenTheIniLanguage()
{
    Window w;
    w.folder.writeFile(IniFileName, "[Options]\r\nLanguage=English\r\n");
    w.folder.writeFile(QStringLiteral("help/English.html"), "<html></html>");
    w.commands->ToolClick(QStringLiteral("ID_Help"));
    w.commands->ToolClick(QStringLiteral("ID_Update"));
    w.commands->ToolClick(QStringLiteral("ID_Options"));
    QCOMPARE(w.calls,
             QStringList({QStringLiteral("open ") + w.folder.path() + QStringLiteral("/help/English.html"),
                          QStringLiteral("open https://www.dorvane.com/dvnreplacer/english/update/"
                                         "DARU_1.01.00.htm"),
                          QStringLiteral("options")}));

    // Without a language in the INI file the default language names both.
    w.folder.writeFile(IniFileName, "[Options]\r\n");
    QCOMPARE(MainWindowCommands::updateAddress(),
             QStringLiteral("https://www.dorvane.com/dvnreplacer/deutsch/update/DARU_1.01.00.htm"));
    QCOMPARE(MainWindowCommands::helpFilePath(), w.folder.path() + QStringLiteral("/help/Deutsch.html"));
}

void TestMainWindowCommands::helpOpensTheManualOfTheLanguage_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("manuals"); // the languages whose manual is in the help folder
    QTest::addColumn<QString>("opened"); // the manual handed to the browser; "" for none
    QTest::addColumn<QString>("missing"); // the help file the message names; "" for no message

    const QStringList both {QStringLiteral("Deutsch"), QStringLiteral("English")};
    for (const QString& command : {QStringLiteral("ID_Help"), QStringLiteral("F1")}) {
        auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s, %s", qPrintable(command), name) << command;
        };
        row("English") << QByteArray("[Options]\r\nLanguage=English\r\n") << both << "English"
                       << "";
        row("Deutsch") << QByteArray("[Options]\r\nLanguage=Deutsch\r\n") << both << "Deutsch"
                       << "";
        row("no language set") << QByteArray("[Options]\r\n") << both << "Deutsch"
                               << "";
        row("language without a manual") << QByteArray("[Options]\r\nLanguage=Français\r\n") << both << "English"
                                         << "";
        row("no manual at all") << QByteArray("[Options]\r\nLanguage=Deutsch\r\n") << QStringList() << ""
                                << "Deutsch";
        row("no English manual to stand in")
            << QByteArray("[Options]\r\nLanguage=Français\r\n") << QStringList({QStringLiteral("Deutsch")}) << ""
            << "Français";
    }
}

void TestMainWindowCommands::helpOpensTheManualOfTheLanguage()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, manuals);
    QFETCH(QString, opened);
    QFETCH(QString, missing);

    Window w;
    w.folder.writeFile(IniFileName, ini);
    for (const QString& language : manuals)
        w.folder.writeFile(QStringLiteral("help/") + language + QStringLiteral(".html"), "<html></html>");
    w.load();
    w.calls.clear();
    if (command == QLatin1String("F1"))
        w.commands->HelpKey();
    else
        w.commands->ToolClick(command);

    const QString help = w.folder.path() + QStringLiteral("/help/");
    QCOMPARE(w.calls,
             opened.isEmpty() ? QStringList()
                              : QStringList({QStringLiteral("open ") + help + opened + QStringLiteral(".html")}));
    QCOMPARE(w.surface.messages,
             missing.isEmpty() ? QStringList()
                               : QStringList({QStringLiteral("Die Hilfedatei fehlt:\r\n") + help + missing
                                              + QStringLiteral(".html")}));
}

void TestMainWindowCommands::helpKeyOpensTheApplicationHelpFile()
{
    // F1 opens the help file the window set at load (or the options dialog when the language changed);
    // the help tool reads the INI language at each click.
    Window w;
    w.folder.writeFile(IniFileName, "[Options]\r\nLanguage=English\r\n");
    w.folder.writeFile(QStringLiteral("help/English.html"), "<html></html>");
    w.folder.writeFile(QStringLiteral("help/Deutsch.html"), "<html></html>");
    w.load();
    w.folder.writeFile(IniFileName, "[Options]\r\nLanguage=Deutsch\r\n");
    w.calls.clear();
    w.commands->HelpKey();
    w.commands->ToolClick(QStringLiteral("ID_Help"));
    const QString help = QStringLiteral("open ") + w.folder.path() + QStringLiteral("/help/");
    QCOMPARE(w.calls, QStringList({help + QStringLiteral("English.html"), help + QStringLiteral("Deutsch.html")}));

    setApplicationHelpFile(w.folder.filePath(QStringLiteral("help/Deutsch.html")));
    w.commands->HelpKey();
    QCOMPARE(w.calls.last(), help + QStringLiteral("Deutsch.html"));
    QVERIFY(w.surface.messages.isEmpty());
}

void TestMainWindowCommands::unloadEndsTheRunAndClosesTheSource()
{
    Window w;
    w.load();
    w.search(QStringLiteral("apple"));
    w.commands->ToolClick(QStringLiteral("ID_Start"));
    QVERIFY(w.waitingAtHit());
    w.commands->Unload();
    const RunState& s = w.commands->run().state();
    QVERIFY(s.StopRequested);
    QVERIFY(!s.isRecordsetOpen());
    QVERIFY(!w.state.Connection);
    // A second unload (close box after Quit) finds nothing left to close.
    w.commands->Unload();
    QVERIFY(!w.state.Connection);
}

QTEST_GUILESS_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
