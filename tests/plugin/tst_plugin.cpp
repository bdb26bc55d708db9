// The plug-in class in the program's own process: its texts and run flag on the INI and language files
// of a temporary program folder, and StartInterface's three cases on real windows (offscreen) over real
// SQLite files.
#include "core/AppState.h"
#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/StartupPlatform.h"
#include "datasource/DataSourceState.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/MainWindowController.h"
#include "mainwindow/frmMain.h"
#include "plugin/StartupGate.h"
#include "plugin/clsDvnReplacer.h"

#include "SqliteDatabase.h"
#include "TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QTest>
#include <QTimer>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// Answers as told and counts what start-up asked and showed.
class CountingPlatform : public StartupPlatform
{
public:
    bool dataAccessWorks = true;
    bool admin = true;
    int dataAccessProofs = 0;
    int adminQuestions = 0;
    QStringList messages;

    void showMessage(const QString& text, const QString&) override { messages.append(text); }
    bool isUserAnAdmin(const QString&) override
    {
        ++adminQuestions;
        return admin;
    }
    bool proveDataAccess() override
    {
        ++dataAccessProofs;
        return dataAccessWorks;
    }
    void startMainWindow() override { }
};

} // namespace

class TestPlugin : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void captionAndDescription_data();
    void captionAndDescription();
    void fixedAnswers();
    void imgIsTheIconOfTheWindowAndItsDialogs();
    void runFlag();
    void runFlagNotANumberFails();
    void destructionRaisesDllUnload();
    void modalReturnsAfterTheWindowClosed();
    void secondStartRestoresAndOpensTheNewSource();
    void startupVerdictIsFinal_data();
    void startupVerdictIsFinal();
    void programVerdictCountsForHosts();
};

void TestPlugin::cleanup()
{
    // A window left by a failed check must not leak into the next test.
    delete clsDvnReplacer::runningWindow();
    dataSourceState().Connection.reset();
}

void TestPlugin::captionAndDescription_data()
{
    QTest::addColumn<QByteArray>("languageFile");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("description");

    QTest::newRow("section present") << QByteArray("[English]\r\nToolCaption=Find\r\nDescription=Finds things\r\n")
                                     << "Find"
                                     << "Finds things";
    QTest::newRow("section missing") << QByteArray("[Deutsch]\r\nToolCaption=Suche\r\n") << "Suchen"
                                     << "Search and replace for databases";
    QTest::newRow("keys missing") << QByteArray("[English]\r\nOther=x\r\n") << "Suchen"
                                  << "Search and replace for databases";
}

void TestPlugin::captionAndDescription()
{
    QFETCH(QByteArray, languageFile);
    QFETCH(QString, caption);
    QFETCH(QString, description);

    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), languageFile);
    folder.activate(QStringLiteral("Deutsch"));
    clsDvnReplacer replacer;
    QCOMPARE(replacer.GetCaption(QStringLiteral("English")), caption);
    QCOMPARE(replacer.Description(QStringLiteral("English")), description);
}

void TestPlugin::fixedAnswers()
{
    clsDvnReplacer replacer;
    QCOMPARE(replacer.Info(), QStringLiteral("Search and replace for databases"));
    QCOMPARE(replacer.PluginName(), QStringLiteral("DvnFind"));
    QVERIFY(!replacer.HasEvents());
    QCOMPARE(replacer.EventInfo(), QStringLiteral("None"));
    QCOMPARE(replacer.ShowInDetailPopup(), QStringLiteral("True"));
    QCOMPARE(replacer.ShowInDSNPopup(), QStringLiteral("True"));
}

void TestPlugin::imgIsTheIconOfTheWindowAndItsDialogs()
{
    clsDvnReplacer replacer;
    const QIcon icon = replacer.Img();
    QVERIFY(!icon.isNull());
    for (const int size : {16, 32, 48, 256}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QVERIFY(!icon.pixmap(size, size).isNull());
    }

    TempProgramFolder folder;
    replacer.StartInterface(QStringLiteral("1"), QStringLiteral("Deutsch"), false);
    QPointer<MainWindowController> running = clsDvnReplacer::runningWindow();
    QVERIFY(running);
    frmMain& window = running->window();
    const QImage expected = icon.pixmap(32, 32).toImage();
    QCOMPARE(window.windowIcon().pixmap(32, 32).toImage(), expected);
    // Even in a host whose application icon is another one.
    QApplication::setWindowIcon(QIcon());
    {
        QDialog dialog(&window);
        QCOMPARE(dialog.windowIcon().pixmap(32, 32).toImage(), expected);
    }
    window.close();
    QTRY_VERIFY(!running);
}

void TestPlugin::runFlag()
{
    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Options]\r\nLanguage=Deutsch\r\n");
    clsDvnReplacer replacer;
    QCOMPARE(replacer.Run(), qint16(1));
    QVERIFY(!replacer.SetRun(0).isValid());
    QCOMPARE(replacer.Run(), qint16(0));
    QVERIFY(folder.readFile(IniFileName).contains("Run=0"));
    replacer.SetRun(-7);
    QCOMPARE(replacer.Run(), qint16(-7));
}

void TestPlugin::runFlagNotANumberFails()
{
    TempProgramFolder folder;
    for (const QByteArray& value : {QByteArray("yes"), QByteArray("70000"), QByteArray("")}) {
        folder.writeFile(IniFileName, "[Options]\r\nRun=" + value + "\r\n");
        clsDvnReplacer replacer;
        QVERIFY_THROWS_EXCEPTION(DataError, replacer.Run());
    }
}

void TestPlugin::destructionRaisesDllUnload()
{
    int raised = 0;
    {
        clsDvnReplacer replacer;
        connect(&replacer, &clsDvnReplacer::DllUnload, this, [&] { ++raised; });
        QCOMPARE(raised, 0);
    }
    QCOMPARE(raised, 1);
}

void TestPlugin::modalReturnsAfterTheWindowClosed()
{
    TempProgramFolder folder;
    SqliteDatabase db(folder.path());
    db.exec(QStringLiteral("CREATE TABLE Customers (id INTEGER PRIMARY KEY, name TEXT)"));
    db.close();

    bool closedFromInside = false;
    QTimer::singleShot(50, this, [&] {
        MainWindowController* running = clsDvnReplacer::runningWindow();
        QVERIFY(running);
        QVERIFY(running->window().isVisible());
        QVERIFY(dataSourceState().isOpen());
        closedFromInside = true;
        running->window().toolAction(QStringLiteral("ID_Quit"))->trigger();
    });
    clsDvnReplacer replacer;
    replacer.StartInterface(QStringLiteral("1"), QStringLiteral("Deutsch"), true, db.connectionString(), QString(),
                            QStringLiteral("Customers"), QString(), QStringLiteral("Shop"));
    QVERIFY(closedFromInside);
    QVERIFY(!clsDvnReplacer::runningWindow());
    QVERIFY(!dataSourceState().Connection);
}

void TestPlugin::secondStartRestoresAndOpensTheNewSource()
{
    TempProgramFolder folder;
    SqliteDatabase first(folder.path(), QStringLiteral("first.db"));
    first.exec(QStringLiteral("CREATE TABLE Customers (id INTEGER PRIMARY KEY, name TEXT)"));
    first.close();
    SqliteDatabase second(folder.path(), QStringLiteral("second.db"));
    second.exec(QStringLiteral("CREATE TABLE Products (id INTEGER PRIMARY KEY, name TEXT)"));
    second.exec(QStringLiteral("CREATE TABLE [Order Details] (id INTEGER PRIMARY KEY, qty INTEGER)"));
    second.close();

    {
        clsDvnReplacer replacer;
        replacer.StartInterface(QStringLiteral("1"), QStringLiteral("Deutsch"), false, first.connectionString(),
                                QString(), QStringLiteral("Customers"));
    }
    // The window outlives the instance that started it.
    QPointer<MainWindowController> running = clsDvnReplacer::runningWindow();
    QVERIFY(running);
    frmMain& window = running->window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.tools().tableEntries().contains(QStringLiteral("Customers")));
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());

    clsDvnReplacer again;
    again.StartInterface(QStringLiteral("1"), QStringLiteral("Deutsch"), false, second.connectionString(), QString(),
                         QStringLiteral("Order Details"), QString(), QStringLiteral("Shop"));
    QCOMPARE(clsDvnReplacer::runningWindow(), running.data());
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
    QCOMPARE(window.tools().tableEntries(),
             QStringList({window.texts().allTablesEntry(), "Products", "Order Details"}));
    QCOMPARE(window.tools().tableText(), QStringLiteral("Order Details"));
    QVERIFY(dataSourceState().ConnectionString.contains(QStringLiteral("second.db")));

    // Closing unloads the window; it goes once control is back in the event loop.
    window.close();
    QTRY_VERIFY(!running);
    QVERIFY(!dataSourceState().Connection);
}

void TestPlugin::startupVerdictIsFinal_data()
{
    QTest::addColumn<bool>("dataAccessWorks");
    QTest::addColumn<bool>("admin");
    QTest::addColumn<bool>("admitted");

    QTest::newRow("admitted") << true << true << true;
    QTest::newRow("not allowed to write the program folder") << true << false << false;
    QTest::newRow("data access unusable") << false << true << false;
}

// A host's second attempt gets the first verdict without the checks running again: a refusal is not
// undone by creating the class anew, although the refused checks have filled the program folder.
void TestPlugin::startupVerdictIsFinal()
{
    QFETCH(bool, dataAccessWorks);
    QFETCH(bool, admin);
    QFETCH(bool, admitted);
    const StartupGate::Verdict verdict = admitted ? StartupGate::Verdict::Admitted : StartupGate::Verdict::Refused;

    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Options]\r\nLanguage=English\r\n");
    folder.writeFile(QStringLiteral("lang/English.lng"), "[Intro]\r\nt0=must be run as administrator!\r\n");
    appState() = AppState();
    CountingPlatform platform;
    platform.dataAccessWorks = dataAccessWorks;
    platform.admin = admin;

    StartupGate gate;
    QCOMPARE(gate.verdict(), StartupGate::Verdict::NotRun);
    QCOMPARE(gate.pass(platform, folder.path()), verdict);
    const QStringList firstMessages = platform.messages;
    QCOMPARE(firstMessages.size(), admitted ? 0 : 1);
    QCOMPARE(appState().AppPath, folder.path());

    platform.dataAccessWorks = true;
    platform.admin = true;
    QCOMPARE(gate.pass(platform, folder.path()), verdict);
    QCOMPARE(gate.verdict(), verdict);
    QCOMPARE(platform.dataAccessProofs, 1);
    QCOMPARE(platform.adminQuestions, dataAccessWorks ? 1 : 0);
    QCOMPARE(platform.messages, firstMessages);
}

void TestPlugin::programVerdictCountsForHosts()
{
    TempProgramFolder folder;
    CountingPlatform platform;
    StartupGate gate;
    gate.record(StartupGate::Verdict::Refused);
    gate.record(StartupGate::Verdict::Admitted);
    QCOMPARE(gate.pass(platform, folder.path()), StartupGate::Verdict::Refused);
    QCOMPARE(platform.dataAccessProofs, 0);
    QVERIFY(platform.messages.isEmpty());
}

QTEST_MAIN(TestPlugin)
#include "tst_plugin.moc"
