#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/IniFile.h"
#include "core/LanguageFolder.h"
#include "core/Settings.h"
#include "presentation/HeadlessCaptions.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowLanguage.h"
#include "presentation/ToolCatalogue.h"

#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace dorvane;
using dorvane::test::TempProgramFolder;
using Slot = MainWindowLanguage::RelabelSlot;

namespace {

// The tools whose display names come from section frmMain.
const QStringList NamedTools
    = {"ID_Quit",    "ID_Connection", "ID_SQL",       "ID_Stop",   "ID_Skip",      "ID_Replace",
       "ID_Save",    "ID_Start",      "ID_Settings",  "ID_OpenDB", "ID_Tables",    "ID_Program",
       "ID_Action",  "ID_HelpMnu",    "ID_About",     "ID_Help",   "ID_Continue",  "ID_Pause",
       "ID_Options", "ID_SkipTable",  "ID_Structure", "ID_Update", "ID_SkipRecord"};

const QByteArray German = "[frmMain]\r\n"
                          "t0=Datenbank öffnen\r\nt1=Suchen nach\r\nt2=Ersetzen durch\r\nt10=Beenden\r\n"
                          "t19=Alle Tabellen\r\nt26=Keine Datenquelle\r\nt27=Tabelle\r\nt28=Datensatz\r\n"
                          "t29=Feld\r\nt30=Fertig\r\nt31=Abgebrochen\r\nt45=leer\r\nt47=Feld auslassen\r\n"
                          "[All]\r\nt0=Kopieren\r\n";
const QByteArray English = "[frmMain]\r\n"
                           "t0=Open database\r\nt1=Find what\r\nt2=Replace with\r\nt10=Quit\r\n"
                           "t19=All tables\r\nt26=No data source\r\nt27=Table\r\nt28=Record\r\n"
                           "t29=Field\r\nt30=Done\r\nt31=Stopped\r\nt45=empty\r\nt47=Leave this field\r\n"
                           "[All]\r\nt0=Copy\r\nt1=Cut\r\nt2=Paste\r\nt3=Redo\r\nt4=Undo\r\nt5=Select all\r\n"
                           "t6=Delete\r\n";

// The main window's collaborators without widgets.
struct Window
{
    HeadlessSurface surface;
    ToolCatalogue tools;
    HeadlessCaptions captions;
    MainWindowLanguage language {surface, tools, captions};
};

void useLanguage(const TempProgramFolder& folder, const QString& name)
{
    appState().LanguageName = name;
    appState().LanguageFile = folder.filePath(QStringLiteral("lang/") + name + QStringLiteral(".lng"));
    appState().GermanOnly = false;
}

} // namespace

class TestMainWindowLanguage : public QObject
{
    Q_OBJECT

private slots:
    void fileWithOnlyT1BlanksEverythingElse();
    void switchingTwiceRelabelsThePanelsEachTime();
    void emptyPanelStaysEmptyButItsLabelChanges();
    void labelsChangeOnlyWhereTheProgramWroteThem_data();
    void labelsChangeOnlyWhereTheProgramWroteThem();
    void allTablesEntryFollowsTheLanguage();
    void findLabelKeepsItsNoteAcrossASwitch();
    void germanOnlyKeepsBuiltInCaptionsAndFallsBackToGermanTexts();
    void editorCommandsComeFromSectionAll_data();
    void editorCommandsComeFromSectionAll();
    void helpFileFollowsTheIniLanguage();
    void qtTextsFollowTheInterfaceLanguage();
    void listingStripsLngEndingsAndKeepsForeignFiles();
    void listedLanguageFindsItsFileWhateverTheCaseOfItsEnding();
    void shippedLanguageFilesHoldEveryKey_data();
    void shippedLanguageFilesHoldEveryKey();
    void shippedLanguagesRelabelEachOther();
};

void TestMainWindowLanguage::fileWithOnlyT1BlanksEverythingElse()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Sparse.lng"), "[frmMain]\r\nt1=Look for\r\n");
    folder.activate(QStringLiteral("Sparse"));
    Window w;
    w.language.LoadLanguage();

    QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Look for"));
    for (CaptionElement element : AllCaptionElements)
        QCOMPARE(w.captions.elementCaption(element), QString());
    for (const QString& id : NamedTools)
        QVERIFY2(w.tools.caption(id).isEmpty(), qPrintable(id));
    for (const char* id : {"ID_Skip", "ID_SkipRecord", "ID_SkipTable"})
        QVERIFY(w.tools.toolTip(QLatin1String(id)).isEmpty());
    // Tools that take no language text keep their design captions.
    QCOMPARE(w.tools.caption(QStringLiteral("ID_Mode")), QStringLiteral("Mode"));
    QCOMPARE(w.tools.caption(QStringLiteral("ID_Hyperlink")), QStringLiteral("Hyperlink"));
    QCOMPARE(w.language.texts().findLabel, QStringLiteral("Look for"));
    QVERIFY(w.language.texts().missingSearchMessage.isEmpty());
    // Fixed tooltips, not from the file.
    QCOMPARE(w.surface.statusToolTip(4), QStringLiteral("Datentyp"));
    QCOMPARE(w.surface.statusToolTip(5), QStringLiteral("Feldgrösse"));
}

void TestMainWindowLanguage::switchingTwiceRelabelsThePanelsEachTime()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    const MainWindowTexts& t = w.language.texts();
    w.surface.setStatusText(1, t.tableLabel + QStringLiteral(": Kunden "));
    w.surface.setStatusText(2, t.recordLabel + QStringLiteral(": 41"));
    w.surface.setStatusText(3, t.fieldLabel + QStringLiteral(": Name"));

    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(1), QStringLiteral("Table: Kunden "));
    QCOMPARE(w.surface.statusText(2), QStringLiteral("Record: 41"));
    QCOMPARE(w.surface.statusText(3), QStringLiteral("Field: Name"));
    QCOMPARE(w.tools.caption(QStringLiteral("ID_Quit")), QStringLiteral("Quit"));

    useLanguage(folder, QStringLiteral("Deutsch"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(1), QStringLiteral("Tabelle: Kunden "));
    QCOMPARE(w.surface.statusText(2), QStringLiteral("Datensatz: 41"));
    QCOMPARE(w.surface.statusText(3), QStringLiteral("Feld: Name"));

    // The end-of-run texts follow as well.
    w.surface.setStatusText(1, w.language.texts().runStoppedStatus + QLatin1Char(' '));
    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(1), QStringLiteral("Stopped "));
}

void TestMainWindowLanguage::emptyPanelStaysEmptyButItsLabelChanges()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    QCOMPARE(w.language.storedLabel(Slot::t28), QStringLiteral("Datensatz"));

    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(2), QString());
    QCOMPARE(w.language.storedLabel(Slot::t28), QStringLiteral("Record"));

    // The stored label is the one applied last, so a panel written now is relabelled next time.
    w.surface.setStatusText(2, QStringLiteral("Record: 7"));
    useLanguage(folder, QStringLiteral("Deutsch"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(2), QStringLiteral("Datensatz: 7"));
}

void TestMainWindowLanguage::labelsChangeOnlyWhereTheProgramWroteThem_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("idle text") << 1 << "Keine Datenquelle"
                               << "No data source";
    QTest::newRow("idle text after a failed open") << 1 << "Keine Datenquelle "
                                                   << "No data source ";
    QTest::newRow("table name holding the label") << 1 << "Tabelle: Tabellen_Alt "
                                                  << "Table: Tabellen_Alt ";
    QTest::newRow("connection string holding the label") << 1 << "DRIVER=SQLite3;Database=/data/Tabelle.db"
                                                         << "DRIVER=SQLite3;Database=/data/Tabelle.db";
    QTest::newRow("field named like the label") << 3 << "Feld: Feld"
                                                << "Field: Feld";
    QTest::newRow("label in other case") << 1 << "TABELLE: Kunden "
                                         << "TABELLE: Kunden ";
    QTest::newRow("run complete") << 1 << "Fertig "
                                  << "Done ";
}

void TestMainWindowLanguage::labelsChangeOnlyWhereTheProgramWroteThem()
{
    QFETCH(int, panel);
    QFETCH(QString, before);
    QFETCH(QString, after);

    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    w.surface.setStatusText(panel, before);
    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.statusText(panel), after);
}

void TestMainWindowLanguage::allTablesEntryFollowsTheLanguage()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    w.tools.setTableEntries(
        {w.language.texts().allTablesEntry(), QStringLiteral("Alle Tabellen"), QStringLiteral("Kunden")});
    w.tools.setTableText(QStringLiteral("[Alle Tabellen]"));

    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.tools.tableText(), QStringLiteral("[All tables]"));
    // The entry is renamed with the text, so choosing it again still means all tables; a table that
    // happens to carry the label's name keeps it.
    QCOMPARE(w.tools.tableEntries(), QStringList({"[All tables]", "Alle Tabellen", "Kunden"}));
    QCOMPARE(w.tools.tableText(), w.language.texts().allTablesEntry());

    w.tools.setTableText(QStringLiteral("Kunden"));
    useLanguage(folder, QStringLiteral("Deutsch"));
    w.language.LoadLanguage();
    QCOMPARE(w.tools.tableText(), QStringLiteral("Kunden"));
    QCOMPARE(w.tools.tableEntries().first(), QStringLiteral("[Alle Tabellen]"));
}

void TestMainWindowLanguage::findLabelKeepsItsNoteAcrossASwitch()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Suchen nach"));
    // A run started with an empty search text marks the label.
    w.surface.setFindLabelCaption(w.language.texts().findLabel + QStringLiteral(" [")
                                  + w.language.texts().emptySearchNote + QLatin1Char(']'));

    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Find what [empty]"));

    // Without the note the label simply takes the new t1.
    w.surface.setFindLabelCaption(QStringLiteral("Find what"));
    useLanguage(folder, QStringLiteral("Deutsch"));
    w.language.LoadLanguage();
    QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Suchen nach"));
}

void TestMainWindowLanguage::germanOnlyKeepsBuiltInCaptionsAndFallsBackToGermanTexts()
{
    TempProgramFolder folder(TempProgramFolder::Empty);
    folder.activate(); // no language: GermanOnly
    QVERIFY(appState().GermanOnly);
    Window w;
    w.language.LoadLanguage();

    QCOMPARE(w.surface.findLabelCaption(), QStringLiteral("Suchen"));
    for (CaptionElement element : AllCaptionElements)
        QCOMPARE(w.captions.elementCaption(element), MainWindowCaptions::designCaption(element));
    QCOMPARE(w.tools.caption(QStringLiteral("ID_Skip")), QStringLiteral("Skip Field"));
    QCOMPARE(w.captions.editorCommandText(EditorCommand::Copy), QStringLiteral("Kopieren"));

    const MainWindowTexts& t = w.language.texts();
    const MainWindowTexts defaults = MainWindowTexts::germanDefaults();
    for (const QString* text :
         {&t.openFileTitle, &t.findLabel, &t.allTablesName, &t.noSourceStatus, &t.tableLabel, &t.recordLabel,
          &t.fieldLabel, &t.runCompleteStatus, &t.runStoppedStatus, &t.runActiveQuestion, &t.runActiveQuestionDetail,
          &t.trayOpen, &t.trayExit, &t.missingSearchMessage, &t.emptySearchNote, &t.missingHelpFileMessage})
        QVERIFY(!text->isEmpty());
    QCOMPARE(t.missingSearchMessage, defaults.missingSearchMessage);
    QCOMPARE(t.allTablesEntry(), QStringLiteral("[Alle Tabellen]"));
    // The run commands restore the find label to t1: that is the label's built-in caption.
    QCOMPARE(t.findLabel, w.surface.findLabelCaption());
    QCOMPARE(w.language.storedLabel(Slot::t27), defaults.tableLabel);
}

void TestMainWindowLanguage::editorCommandsComeFromSectionAll_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected"); // Copy, Cut, Paste, Redo, Undo, Select All, Delete

    QTest::newRow("section missing") << QByteArray("[frmMain]\r\nt1=x\r\n")
                                     << QStringList({"Kopieren", "Ausschneiden", "Einfügen", "Wiederholen",
                                                     "Rückgängig", "Alles markieren", "Löschen"});
    QTest::newRow("full section") << English
                                  << QStringList({"Copy", "Cut", "Paste", "Redo", "Undo", "Select all", "Delete"});
    QTest::newRow("some keys") << QByteArray("[all]\r\nT5=Tout\r\nt6=\r\n")
                               << QStringList({"Kopieren", "Ausschneiden", "Einfügen", "Wiederholen", "Rückgängig",
                                               "Tout", ""});
}

void TestMainWindowLanguage::editorCommandsComeFromSectionAll()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);

    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Test.lng"), file);
    folder.activate(QStringLiteral("Test"));
    Window w;
    for (EditorCommand command : AllEditorCommands)
        w.captions.setEditorCommandText(command, QStringLiteral("stale"));
    w.language.LoadLanguage();

    const EditorCommand order[]
        = {EditorCommand::Copy, EditorCommand::Cut,       EditorCommand::Paste, EditorCommand::Redo,
           EditorCommand::Undo, EditorCommand::SelectAll, EditorCommand::Delete};
    QStringList actual;
    for (EditorCommand command : order)
        actual.append(w.captions.editorCommandText(command));
    QCOMPARE(actual, expected);
}

void TestMainWindowLanguage::helpFileFollowsTheIniLanguage()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/English.lng"),
                     QByteArray(English).replace("[All]", "t50=No help file:\r\n[All]"));
    folder.activate(QStringLiteral("English"));
    WriteIniValue(QStringLiteral("Options"), QStringLiteral("Language"), QStringLiteral("English"));
    Window w;
    w.language.LoadLanguage();
    QCOMPARE(applicationHelpFile(), folder.filePath(QStringLiteral("help/English.html")));
    // The forward-slash spelling some callers use reaches the same file.
    QCOMPARE(appState().programPath(QStringLiteral("/help/English.html")), applicationHelpFile());
    // The message for a help file that is missing comes with the language.
    QCOMPARE(w.language.texts().missingHelpFileMessage, QStringLiteral("No help file:"));
}

// Standard buttons, message boxes and the file dialog speak the language of the window's texts, also
// after a switch, and German while the program runs in German only.
void TestMainWindowLanguage::qtTextsFollowTheInterfaceLanguage()
{
    const auto cancel = [] {
        return QCoreApplication::translate("QPlatformTheme", "Cancel");
    };
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.lng"), English);
    Window w;
    useLanguage(folder, QStringLiteral("Deutsch"));
    w.language.LoadLanguage();
    QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    QCOMPARE(cancel(), QStringLiteral("Cancel"));
    appState().GermanOnly = true;
    w.language.LoadLanguage();
    QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
    // Qt's English texts again for the tests that follow.
    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
}

void TestMainWindowLanguage::listingStripsLngEndingsAndKeepsForeignFiles()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    folder.writeFile(QStringLiteral("lang/English.LNG"), English);
    folder.writeFile(QStringLiteral("lang/Readme.txt"), "not a language");
    folder.writeFile(QStringLiteral("lang/Twice.lng.Lng"), "");
    folder.writeFile(QStringLiteral("lang/.hidden.lng"), "");
    QVERIFY(QDir(folder.filePath(QStringLiteral("lang"))).mkdir(QStringLiteral("Folder.lng")));

    QStringList names = LanguageFolder::languageNames();
    names.sort();
    QCOMPARE(names, QStringList({"Deutsch", "English", "Readme.txt", "Twice"}));
}

void TestMainWindowLanguage::listedLanguageFindsItsFileWhateverTheCaseOfItsEnding()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/English.LNG"), English);
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), German);
    QCOMPARE(LanguageFolder::filePath(QStringLiteral("English")), folder.filePath(QStringLiteral("lang/English.LNG")));
    QCOMPARE(LanguageFolder::filePath(QStringLiteral("Deutsch")), folder.filePath(QStringLiteral("lang/Deutsch.lng")));
    // A language without a file gives the path where its file would be.
    QCOMPARE(LanguageFolder::filePath(QStringLiteral("Français")),
             folder.filePath(QStringLiteral("lang/Français.lng")));
}

void TestMainWindowLanguage::shippedLanguageFilesHoldEveryKey_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
    QTest::newRow("English") << QStringLiteral("English");
}

void TestMainWindowLanguage::shippedLanguageFilesHoldEveryKey()
{
    QFETCH(QString, language);
    const QString path = QStringLiteral(DORVANE_SOURCE_DIR "/lang/") + language + QStringLiteral(".lng");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(QString::fromUtf8(bytes).toUtf8() == bytes, "not UTF-8");

    const QString missing = QStringLiteral("\u0001missing");
    auto read = [&](const QString& section, const QString& key) {
        return IniFile::read(path, section, key, missing, 512);
    };
    const QList<QPair<QString, int>> windowSections
        = {{"frmMain", 51}, {"All", 7},          {"Intro", 5},          {"frmOpt", 20},
           {"dlgAbout", 5}, {"frmStructure", 6}, {"dlgFileDriver", 11}, {"DataLinkDialog", 15}};
    // Keys the program reads but never shows.
    const QStringList unused = {"frmMain/t38", "frmOpt/t16"};
    for (const auto& [section, count] : windowSections) {
        for (int i = 0; i < count; ++i) {
            const QString key = QStringLiteral("t%1").arg(i);
            const QString value = read(section, key);
            const QString where = section + QLatin1Char('/') + key;
            QVERIFY2(value != missing, qPrintable(where));
            QVERIFY2(unused.contains(where) || !value.isEmpty(), qPrintable(where));
            QVERIFY2(value.size() <= 255, qPrintable(where));
        }
        QCOMPARE(read(section, QStringLiteral("t%1").arg(count)), missing);
    }
    for (const QString& section : {QStringLiteral("Deutsch"), QStringLiteral("English")}) {
        QVERIFY(!read(section, QStringLiteral("ToolCaption")).isEmpty());
        QVERIFY(read(section, QStringLiteral("ToolCaption")) != missing);
        QVERIFY(read(section, QStringLiteral("Description")) != missing);
    }
}

void TestMainWindowLanguage::shippedLanguagesRelabelEachOther()
{
    TempProgramFolder folder;
    for (const char* name : {"Deutsch", "English"}) {
        QFile file(QStringLiteral(DORVANE_SOURCE_DIR "/lang/%1.lng").arg(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        folder.writeFile(QStringLiteral("lang/%1.lng").arg(QLatin1String(name)), file.readAll());
    }
    QStringList listed = LanguageFolder::languageNames();
    listed.sort();
    QCOMPARE(listed, QStringList({"Deutsch", "English"}));

    folder.activate(QStringLiteral("Deutsch"));
    Window w;
    w.language.LoadLanguage();
    const MainWindowTexts german = w.language.texts();
    w.surface.setStatusText(1, german.tableLabel + QStringLiteral(": Kunden "));
    w.surface.setStatusText(2, german.recordLabel + QStringLiteral(": 3"));
    w.surface.setStatusText(3, german.fieldLabel + QStringLiteral(": Name"));
    w.tools.setTableEntries({german.allTablesEntry(), QStringLiteral("Kunden")});
    w.tools.setTableText(german.allTablesEntry());

    useLanguage(folder, QStringLiteral("English"));
    w.language.LoadLanguage();
    const MainWindowTexts english = w.language.texts();
    QCOMPARE(w.surface.statusText(1), english.tableLabel + QStringLiteral(": Kunden "));
    QCOMPARE(w.surface.statusText(2), english.recordLabel + QStringLiteral(": 3"));
    QCOMPARE(w.surface.statusText(3), english.fieldLabel + QStringLiteral(": Name"));
    QCOMPARE(w.tools.tableText(), english.allTablesEntry());
    QCOMPARE(w.tools.tableEntries().first(), english.allTablesEntry());
    QVERIFY(english.tableLabel != german.tableLabel);
}

QTEST_GUILESS_MAIN(TestMainWindowLanguage)
#include "tst_mainwindowlanguage.moc"
