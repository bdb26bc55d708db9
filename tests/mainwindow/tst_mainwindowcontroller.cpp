// The commands on the real window: clicks on the window's tool actions reach the run, and Quit closes
// and unloads the window. Offscreen widgets, a real SQLite file through the ODBC driver.
#include "core/AppState.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "datasource/ui/frmStructure.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/MainWindowController.h"
#include "mainwindow/MainWindowTray.h"
#include "mainwindow/Twips.h"
#include "mainwindow/frmMain.h"
#include "presentation/MainWindowTexts.h"

#include "SqliteDatabase.h"
#include "TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

using namespace dorvane;
using namespace dorvane::test;

// Stands in for the desktop's browser: QDesktopServices hands it the addresses it would open.
class BrowserRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestMainWindowController : public QObject
{
    Q_OBJECT

private slots:
    void clicksRunASearchAndQuitUnloads();
    void placement_data();
    void placement();
    void geometryKeptOnlyInNormalState();
    void minimisedGoesToTheTrayOnlyWhenSet_data();
    void minimisedGoesToTheTrayOnlyWhenSet();
    void trayExitEndsWithoutTheRunQuestion();
    void qtsOwnTextsFollowTheLanguageSavedInTheOptions();
    void helpKeyAndToolOpenTheManualInTheBrowser();
};

void TestMainWindowController::clicksRunASearchAndQuitUnloads()
{
    TempProgramFolder folder;
    SqliteDatabase db(folder.path());
    db.exec(QStringLiteral("CREATE TABLE [Order Details] (id INTEGER PRIMARY KEY, note TEXT)"));
    db.exec(QStringLiteral("INSERT INTO [Order Details] VALUES (1, 'Grüße aus Köln'), (2, 'nothing')"));
    db.close();

    DataSourceState state;
    state.ConnectionString = db.connectionString();
    state.DataSourceName = QStringLiteral("Shop");
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QVERIFY(state.isOpen());
    QVERIFY(w.toolAction(QStringLiteral("ID_Start"))->isEnabled());
    const QString allTables = w.texts().allTablesEntry();
    QCOMPARE(w.tablesBox()->itemText(0), allTables);
    QCOMPARE(w.tablesBox()->itemText(1), QStringLiteral("Order Details"));

    // The table choice comes from the drop-down and names the table in the caption.
    w.tablesBox()->setCurrentIndex(1);
    emit w.tablesBox()->activated(1);
    QCOMPARE(w.windowTitle(), QStringLiteral("Dorvane 1.01.00 - [Shop Order Details]"));

    w.setSearchValue(QStringLiteral("Köln"));
    w.toolAction(QStringLiteral("ID_Start"))->trigger();
    QVERIFY(controller.commands().run().state().RunActive);
    QCOMPARE(w.originalView(), EditorValue(QStringLiteral("Grüße aus Köln")));
    QVERIFY(w.toolAction(QStringLiteral("ID_Stop"))->isVisible());
    QVERIFY(!w.toolAction(QStringLiteral("ID_Start"))->isVisible());

    // The replacement proposed in the replaced view is written at Save, and the run completes.
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("Grüße aus Köln")));
    w.setReplacedView(QStringLiteral("Grüße aus Bonn"));
    w.toolAction(QStringLiteral("ID_Save"))->trigger();
    QCOMPARE(db.scalar(QStringLiteral("SELECT note FROM [Order Details] WHERE id = 1")),
             QVariant(QStringLiteral("Grüße aus Bonn")));
    QCOMPARE(db.scalar(QStringLiteral("SELECT note FROM [Order Details] WHERE id = 2")),
             QVariant(QStringLiteral("nothing")));
    db.close();
    QVERIFY(!controller.commands().run().state().RunActive);

    // A second run, stopped at its hit.
    w.setSearchValue(QStringLiteral("nothing"));
    w.toolAction(QStringLiteral("ID_Start"))->trigger();
    QVERIFY(controller.commands().run().state().RunActive);
    w.toolAction(QStringLiteral("ID_Stop"))->trigger();
    QVERIFY(!controller.commands().run().state().RunActive);
    QVERIFY(w.toolAction(QStringLiteral("ID_Start"))->isVisible());

    // The structure viewer shows modally on the open source and goes when closed.
    QStringList structureTables;
    QTimer::singleShot(50, this, [&] {
        if (auto* viewer = qobject_cast<frmStructure*>(QApplication::activeModalWidget())) {
            structureTables = viewer->tableNames();
            viewer->close();
        }
    });
    w.toolAction(QStringLiteral("ID_Structure"))->trigger();
    QCOMPARE(structureTables, QStringList({"Order Details"}));
    QVERIFY(!w.findChild<frmStructure*>());

    // Options and About show modally too, and go when closed.
    for (const char* id : {"ID_Options", "ID_About"}) {
        QString shown;
        QTimer::singleShot(50, this, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                shown = QString::fromLatin1(dialog->metaObject()->className());
                dialog->close();
            }
        });
        w.toolAction(QString::fromLatin1(id))->trigger();
        QCOMPARE(shown,
                 QString::fromLatin1(id) == QLatin1String("ID_Options") ? QStringLiteral("dorvane::frmOpt")
                                                                        : QStringLiteral("dorvane::dlgAbout"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    QSignalSpy unloaded(&controller, &MainWindowController::unloaded);
    w.toolAction(QStringLiteral("ID_Quit"))->trigger();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!w.isVisible());
    QVERIFY(!state.Connection);
}

void TestMainWindowController::placement_data()
{
    QTest::addColumn<QByteArray>("winPos");
    QTest::addColumn<QString>("storedLeft");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<QRect>("twips"); // expected left, top, width, height when not centred

    QTest::newRow("not kept, stored ignored") << QByteArray("0") << "2880" << true << QRect();
    QTest::newRow("not kept, other text") << QByteArray("yes") << "2880" << true << QRect();
    QTest::newRow("kept, stored") << QByteArray("1") << "2880" << false << QRect(2880, 1440, 8640, 5760);
    QTest::newRow("kept, nothing stored") << QByteArray("1") << "" << false << QRect(1000, 1000, 7000, 7000);
    QTest::newRow("kept, not a number") << QByteArray("1") << "left" << false << QRect(1000, 1440, 8640, 5760);
}

void TestMainWindowController::placement()
{
    QFETCH(QByteArray, winPos);
    QFETCH(QString, storedLeft);
    QFETCH(bool, centred);
    QFETCH(QRect, twips);

    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Win]\r\nWinPos=" + winPos + "\r\n");
    if (!storedLeft.isEmpty()) {
        writeUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Left"), storedLeft);
        writeUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Top"), QStringLiteral("1440"));
        writeUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Width"), QStringLiteral("8640"));
        writeUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Height"), QStringLiteral("5760"));
    }
    DataSourceState state;
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    const double dpiX = w.logicalDpiX();
    const double dpiY = w.logicalDpiY();
    if (centred) {
        QCOMPARE(w.size(),
                 QSize(twipsToPixels(frmMain::DesignWidth, dpiX), twipsToPixels(frmMain::DesignHeight, dpiY)));
        const QPoint centre = w.screen()->availableGeometry().center();
        QVERIFY2((w.frameGeometry().center() - centre).manhattanLength() <= 2, "not centred");
    } else {
        QCOMPARE(w.pos(), QPoint(twipsToPixels(twips.left(), dpiX), twipsToPixels(twips.top(), dpiY)));
        QCOMPARE(w.size(), QSize(twipsToPixels(twips.width(), dpiX), twipsToPixels(twips.height(), dpiY)));
    }

    // Moved by the user, then closed: only a kept geometry is written.
    w.move(w.pos() + QPoint(96, 0));
    w.close();
    const QString left = readUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Left"), QStringLiteral("-"));
    if (centred)
        QCOMPARE(left, storedLeft);
    else
        QCOMPARE(left.toDouble(), pixelsToTwips(w.pos().x(), dpiX));
}

void TestMainWindowController::geometryKeptOnlyInNormalState()
{
    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Win]\r\nWinPos=1\r\n");
    writeUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Width"), QStringLiteral("8000"));
    DataSourceState state;
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    w.close();
    QCOMPARE(readUserSetting(QStringLiteral("MainWinPos"), QStringLiteral("Width"), QString()), QStringLiteral("8000"));
}

void TestMainWindowController::minimisedGoesToTheTrayOnlyWhenSet_data()
{
    QTest::addColumn<QByteArray>("sysTray");
    QTest::addColumn<bool>("toTray");
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("missing") << QByteArray() << false;
}

void TestMainWindowController::minimisedGoesToTheTrayOnlyWhenSet()
{
    QFETCH(QByteArray, sysTray);
    QFETCH(bool, toTray);

    TempProgramFolder folder;
    folder.writeFile(IniFileName, sysTray.isNull() ? QByteArray() : "[Win]\r\nSysTray=" + sysTray + "\r\n");
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), "[frmMain]\r\nt39=Öffnen\r\nt40=Beenden\r\n");
    folder.activate(QStringLiteral("Deutsch"));
    DataSourceState state;
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setWindowTitle(QStringLiteral("Dorvane 1.01.00 - [Shop Kunden]"));
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized() || !w.isVisible());

    QSystemTrayIcon* icon = controller.tray().icon();
    QCOMPARE(icon->isVisible(), toTray);
    QTRY_COMPARE(w.isVisible(), !toTray);
    if (!toTray)
        return;
    QCOMPARE(icon->toolTip(), QStringLiteral("Dorvane 1.01.00 - [Shop Kunden]"));
    // The tray shows the window's icon, the application icon.
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(icon->icon().pixmap(32, 32).toImage(), w.windowIcon().pixmap(32, 32).toImage());
    const QList<QAction*> entries = icon->contextMenu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("Öffnen"));
    QCOMPARE(entries.at(1)->text(), QStringLiteral("Beenden"));

    // A right click only opens the menu; activation restores the window and removes the icon.
    emit icon->activated(QSystemTrayIcon::Context);
    QVERIFY(!w.isVisible());
    emit icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(w.isVisible());
    QVERIFY(!w.isMinimized());
    QVERIFY(!icon->isVisible());

    // The "open" entry restores as well.
    w.showMinimized();
    QTRY_VERIFY(icon->isVisible());
    entries.at(0)->trigger();
    QVERIFY(w.isVisible());
    QVERIFY(!icon->isVisible());
}

void TestMainWindowController::trayExitEndsWithoutTheRunQuestion()
{
    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Win]\r\nSysTray=1\r\n");
    SqliteDatabase db(folder.path());
    db.exec(QStringLiteral("CREATE TABLE Notes (id INTEGER PRIMARY KEY, note TEXT)"));
    db.exec(QStringLiteral("INSERT INTO Notes VALUES (1, 'find me')"));
    db.close();
    DataSourceState state;
    state.ConnectionString = db.connectionString();
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setSearchValue(QStringLiteral("find"));
    w.toolAction(QStringLiteral("ID_Start"))->trigger();
    QVERIFY(controller.commands().run().state().RunActive);

    w.showMinimized();
    QTRY_VERIFY(controller.tray().icon()->isVisible());
    QSignalSpy unloaded(&controller, &MainWindowController::unloaded);
    // A question would block here in a modal box; exit asks none.
    controller.tray().icon()->contextMenu()->actions().at(1)->trigger();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!controller.tray().icon()->isVisible());
    QVERIFY(controller.commands().run().state().StopRequested);
    QVERIFY(!state.Connection);
}

// The standard buttons of the window's dialogs speak the interface language from the window's load, and
// the language saved in the options dialog from its OK on.
void TestMainWindowController::qtsOwnTextsFollowTheLanguageSavedInTheOptions()
{
    const auto cancelButtonText = [] {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        return buttons.button(QDialogButtonBox::Cancel)->text();
    };
    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Options]\r\nLanguage=Deutsch\r\n");
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), "[frmMain]\r\nt1=Suchen nach\r\n");
    folder.writeFile(QStringLiteral("lang/English.lng"), "[frmMain]\r\nt1=Find what\r\n");
    folder.activate(QStringLiteral("Deutsch"));
    DataSourceState state;
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(cancelButtonText(), QStringLiteral("Abbrechen"));

    bool saved = false;
    QTimer::singleShot(50, this, [&] {
        QWidget* options = QApplication::activeModalWidget();
        if (!options)
            return;
        auto* languages = options->findChild<QComboBox*>(QStringLiteral("dxLanguage"));
        auto* ok = options->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        if (!languages || !ok)
            return;
        languages->setCurrentText(QStringLiteral("English"));
        ok->click();
        saved = true;
    });
    w.toolAction(QStringLiteral("ID_Options"))->trigger();
    QVERIFY(saved);
    QCOMPARE(appState().LanguageName, QStringLiteral("English"));
    QCOMPARE(cancelButtonText(), QStringLiteral("Cancel"));
    w.close();
}

void TestMainWindowController::helpKeyAndToolOpenTheManualInTheBrowser()
{
    TempProgramFolder folder;
    folder.writeFile(IniFileName, "[Options]\r\nLanguage=English\r\n");
    folder.writeFile(QStringLiteral("help/English.html"), "<html><body>Manual</body></html>");

    DataSourceState state;
    MainWindowController controller(state);
    frmMain& w = controller.window();
    controller.Load();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    BrowserRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
    QTest::keyClick(&w, Qt::Key_F1);
    w.toolAction(QStringLiteral("ID_Help"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const QUrl manual = QUrl::fromLocalFile(folder.filePath(QStringLiteral("help/English.html")));
    QCOMPARE(browser.opened, QList<QUrl>({manual, manual}));
    w.close();
}

QTEST_MAIN(TestMainWindowController)
#include "tst_mainwindowcontroller.moc"
