#include "core/AppState.h"
#include "mainwindow/LockableCheckBox.h"
#include "mainwindow/LockableRadioButton.h"
#include "mainwindow/MemoEdit.h"
#include "mainwindow/PanelLayout.h"
#include "mainwindow/Twips.h"
#include "mainwindow/frmMain.h"
#include "presentation/HeadlessSurface.h"

#include "TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

namespace {

const QByteArray English = "[frmMain]\r\n"
                           "t0=Open database\r\nt1=Find what\r\nt2=Replace with\r\nt3=Match case\r\n"
                           "t4=Regular expression\r\nt5=Whole words\r\nt6=Before\r\nt7=After\r\n"
                           "t8=Part of the field\r\nt9=Whole field\r\nt17=Start\r\nt27=Table\r\nt36=No stops\r\n"
                           "t47=Leave this field\r\n"
                           "[All]\r\nt0=Copy\r\nt1=Cut\r\nt2=Paste\r\nt3=Redo\r\nt4=Undo\r\nt5=Select all\r\n"
                           "t6=Delete\r\n";

template<typename T> T* child(const QWidget& window, const QString& name)
{
    T* widget = window.findChild<T*>(name);
    if (!widget)
        qFatal("no element %s", qPrintable(name));
    return widget;
}

MemoEdit* memo(const frmMain& w, const char* name)
{
    return child<MemoEdit>(w, QLatin1String(name));
}

QRect pixels(const TwipsRect& r, double dpiX, double dpiY)
{
    return QRect(twipsToPixels(r.left, dpiX), twipsToPixels(r.top, dpiY), std::max(0, twipsToPixels(r.width, dpiX)),
                 std::max(0, twipsToPixels(r.height, dpiY)));
}

// The panel's switches as a test sees them: value and enabled state of the three that RegEx governs.
struct Switches
{
    bool partOfField, wholeField, wholeWord, partEnabled, wholeEnabled, wholeWordEnabled;
    bool operator==(const Switches&) const = default;
};

Switches switchesOf(const frmMain& w)
{
    auto* opt0 = child<LockableRadioButton>(w, QStringLiteral("optField(0)"));
    auto* opt1 = child<LockableRadioButton>(w, QStringLiteral("optField(1)"));
    auto* whole = child<LockableCheckBox>(w, QStringLiteral("chkWholeWord"));
    return {opt0->isChecked(), opt1->isChecked(), whole->isChecked(),
            opt0->isEnabled(), opt1->isEnabled(), whole->isEnabled()};
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutMatchesTheWorkedExample();
    void windowPlacesElementsFromTheTwipsTable();
    void smallWindowIsHeldAtTheMinimumSize();
    void regExSwitchWhileWholeFieldIsChosen();
    void setInterfaceLocksExactlyThePanel();
    void editorsHoldNoValueUntilTypedOrSet();
    void setViewComesBackExactlyAndKeepsItsLineBreaks();
    void replacedViewLimitsLengthAndDigits();
    void replacedViewRefreshAtLoad();
    void windowMirrorsCatalogueChanges();
    void tableChoiceGoesBothWays();
    void clickOnATwoStateToolReportsTheOldStateFirst();
    void statusLineHasFivePanels();
    void languageReachesCaptionsToolsAndContextMenus();
    void timer1RunsItsHandler();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestMainWindow::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeFile(QStringLiteral("lang/English.lng"), English);
    m_folder->activate(QStringLiteral("English"));
}

void TestMainWindow::cleanup()
{
    m_folder.reset();
}

void TestMainWindow::layoutMatchesTheWorkedExample()
{
    FrameSizes frames;
    frames.fraMainWidth = 3500;
    frames.fraOriginalWidth = 3500;
    frames.fraOriginalHeight = 1500;
    frames.fraReplacedWidth = 3000;
    frames.fraReplacedHeight = 1000;
    QHash<QString, TwipsRect> at;
    QStringList order;
    for (const PanelPlacement& p : PanelLayout::elements(frames)) {
        at.insert(p.element, p.rect);
        order.append(p.element);
    }
    // The find editor spans 150 to 1675; the replacement editor starts at 1825 and is 1525 wide.
    QCOMPARE(at["dxMemo"].left, 150.0);
    QCOMPARE(at["dxMemo"].right(), 1675.0);
    QCOMPARE(at["dxMemoReplace"].left, 1825.0);
    QCOMPARE(at["dxMemoReplace"].width, 1525.0);
    // The replacement label is 75 twips wider than the editor below it.
    QCOMPARE(at["lblReplace"].width - at["dxMemoReplace"].width, 75.0);
    // T = 1000: three columns of switches.
    for (const char* name : {"optField(0)", "optField(1)", "chkCase", "chkRegEx"})
        QCOMPARE(at[name].width, 1000.0);
    QCOMPARE(at["chkCase"].left, 1190.0);
    QCOMPARE(at["chkRegEx"].left, 2290.0);
    QCOMPARE(at["chkReplaceAll"].left, 2290.0);
    QCOMPARE(at["chkReplaceAll"].top, 1650.0);
    QCOMPARE(at["dxProgressBar1"].width, 3180.0);
    QCOMPARE(at["dxOriginalView"], (TwipsRect {150, 300, 3200, 1050}));
    QCOMPARE(at["dxReplacedView"], (TwipsRect {150, 300, 2700, 550}));
    // The views first, the progress bar last.
    QCOMPARE(order.first(), QStringLiteral("dxOriginalView"));
    QCOMPARE(order.last(), QStringLiteral("dxProgressBar1"));
    QCOMPARE(order.size(), 13);

    QCOMPARE(PanelLayout::splitter(9000, 6000, 300), (TwipsRect {30, 0, 8940, 5640}));
}

void TestMainWindow::windowPlacesElementsFromTheTwipsTable()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const double dpiX = w.logicalDpiX();
    const double dpiY = w.logicalDpiY();

    auto* splitter = child<QSplitter>(w, QStringLiteral("SSSplitter1"));
    auto* central = w.centralWidget();
    QCOMPARE(splitter->parentWidget(), central);
    QCOMPARE(splitter->count(), 3);
    QCOMPARE(splitter->geometry().left(), twipsToPixels(30, dpiX));
    QCOMPARE(splitter->geometry().top(), 0);
    QCOMPARE(splitter->width(), central->width() - twipsToPixels(60, dpiX));
    QCOMPARE(splitter->height(), central->height() - twipsToPixels(60, dpiY));

    auto check = [&] {
        FrameSizes frames;
        frames.fraMainWidth = pixelsToTwips(child<QGroupBox>(w, "fraMain")->width(), dpiX);
        frames.fraOriginalWidth = pixelsToTwips(child<QGroupBox>(w, "fraOriginal")->width(), dpiX);
        frames.fraOriginalHeight = pixelsToTwips(child<QGroupBox>(w, "fraOriginal")->height(), dpiY);
        frames.fraReplacedWidth = pixelsToTwips(child<QGroupBox>(w, "fraReplaced")->width(), dpiX);
        frames.fraReplacedHeight = pixelsToTwips(child<QGroupBox>(w, "fraReplaced")->height(), dpiY);
        for (const PanelPlacement& p : PanelLayout::elements(frames))
            QCOMPARE(child<QWidget>(w, p.element)->geometry(), pixels(p.rect, dpiX, dpiY));
    };
    check();
    const int memoWidth = memo(w, "dxMemo")->width();

    // A larger window lays out again; so does a moved splitter handle.
    w.resize(w.width() + 150, w.height() + 100);
    QTRY_VERIFY(memo(w, "dxMemo")->width() > memoWidth);
    check();
    const int viewHeight = memo(w, "dxOriginalView")->height();
    splitter->setSizes({splitter->sizes()[0], splitter->sizes()[1] + 40, splitter->sizes()[2] - 40});
    emit splitter->splitterMoved(0, 1); // what a drag of the handle sends
    QVERIFY(memo(w, "dxOriginalView")->height() > viewHeight);
    check();
}

void TestMainWindow::smallWindowIsHeldAtTheMinimumSize()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize decoration = w.frameGeometry().size() - w.size();
    const int minWidth = twipsToPixels(frmMain::MinimumWidth, w.logicalDpiX()) - decoration.width();
    const int minHeight = twipsToPixels(frmMain::MinimumHeight, w.logicalDpiY()) - decoration.height();
    w.resize(minWidth / 2, minHeight / 2);
    QTRY_COMPARE(w.size(), QSize(minWidth, minHeight));
    // Only the dimension that is too small grows.
    w.resize(minWidth + 200, minHeight / 2);
    QTRY_COMPARE(w.size(), QSize(minWidth + 200, minHeight));
}

void TestMainWindow::regExSwitchWhileWholeFieldIsChosen()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    HeadlessSurface headless;
    for (MainSurface* surface : std::initializer_list<MainSurface*> {&w, &headless}) {
        surface->setWholeField(true);
        surface->setWholeWord(true);
    }
    QCOMPARE(switchesOf(w), (Switches {false, true, true, true, true, true}));

    auto* regEx = child<LockableCheckBox>(w, QStringLiteral("chkRegEx"));
    QTest::mouseClick(regEx, Qt::LeftButton);
    headless.setRegEx(true);
    QVERIFY(w.regEx());
    QCOMPARE(switchesOf(w), (Switches {true, false, false, false, false, false}));
    QCOMPARE(headless.wholeField(), w.wholeField());
    QCOMPARE(headless.wholeWord(), w.wholeWord());
    QVERIFY(!headless.isWholeWordEnabled() && !headless.isFieldChoiceEnabled());

    QTest::mouseClick(regEx, Qt::LeftButton);
    headless.setRegEx(false);
    QVERIFY(!w.regEx());
    // Enabled again, but the values stay as RegEx left them.
    QCOMPARE(switchesOf(w), (Switches {true, false, false, true, true, true}));
    QCOMPARE(headless.wholeField(), w.wholeField());
    QCOMPARE(headless.wholeWord(), w.wholeWord());
    QVERIFY(headless.isWholeWordEnabled() && headless.isFieldChoiceEnabled());
}

void TestMainWindow::setInterfaceLocksExactlyThePanel()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setRegEx(true); // disables whole word and the field choice: the lock must leave that alone
    QHash<QWidget*, bool> enabledBefore;
    for (QWidget* widget : w.findChildren<QWidget*>())
        enabledBefore.insert(widget, widget->isEnabled());

    const QStringList editors = {"dxMemo", "dxMemoReplace", "dxReplacedView"};
    const QStringList checks = {"chkCase", "chkRegEx", "chkReplaceAll", "chkWholeWord"};
    const QStringList choices = {"optField(0)", "optField(1)"};
    auto lockedState = [&](bool expected) {
        for (const QString& name : editors)
            QCOMPARE(child<MemoEdit>(w, name)->isReadOnly(), expected);
        for (const QString& name : checks)
            QCOMPARE(child<LockableCheckBox>(w, name)->isReadOnly(), expected);
        for (const QString& name : choices)
            QCOMPARE(child<LockableRadioButton>(w, name)->isReadOnly(), expected);
        QVERIFY(memo(w, "dxOriginalView")->isReadOnly());
        QCOMPARE(w.isInterfaceLocked(), expected);
    };

    lockedState(false);
    w.SetInterface(true);
    lockedState(true);
    for (QWidget* widget : w.findChildren<QWidget*>())
        QCOMPARE(widget->isEnabled(), enabledBefore.value(widget));

    // The user can change nothing now; the program still can.
    auto* caseBox = child<LockableCheckBox>(w, QStringLiteral("chkCase"));
    QTest::mouseClick(caseBox, Qt::LeftButton);
    QVERIFY(!w.caseSensitive());
    QTest::mouseClick(child<LockableCheckBox>(w, QStringLiteral("chkRegEx")), Qt::LeftButton);
    QVERIFY(w.regEx());
    QTest::keyClicks(memo(w, "dxMemo"), QStringLiteral("abc"));
    QCOMPARE(w.searchValue(), EditorValue());
    w.setCaseSensitive(true);
    QVERIFY(w.caseSensitive());

    w.SetInterface(false);
    lockedState(false);
    for (QWidget* widget : w.findChildren<QWidget*>())
        QCOMPARE(widget->isEnabled(), enabledBefore.value(widget));
    QTest::mouseClick(caseBox, Qt::LeftButton);
    QVERIFY(!w.caseSensitive());
    // The original view stays read-only for the user.
    w.setOriginalView(QStringLiteral("stored"));
    QTest::keyClicks(memo(w, "dxOriginalView"), QStringLiteral("x"));
    QCOMPARE(w.originalView(), EditorValue(QStringLiteral("stored")));
}

void TestMainWindow::editorsHoldNoValueUntilTypedOrSet()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.searchValue(), EditorValue());
    QCOMPARE(w.replaceValue(), EditorValue());
    QCOMPARE(w.originalView(), EditorValue());
    QCOMPARE(w.replacedView(), EditorValue());

    QTest::keyClicks(memo(w, "dxMemo"), QStringLiteral("ab"));
    QCOMPARE(w.searchValue(), EditorValue(QStringLiteral("ab")));
    QTest::keyClick(memo(w, "dxMemo"), Qt::Key_Backspace);
    QTest::keyClick(memo(w, "dxMemo"), Qt::Key_Backspace);
    // Typed and deleted again: an empty text, which is not "no value".
    QCOMPARE(w.searchValue(), EditorValue(QString()));

    w.setReplaceValue(QString());
    QCOMPARE(w.replaceValue(), EditorValue(QString()));
    w.setReplaceValue(std::nullopt);
    QCOMPARE(w.replaceValue(), EditorValue());
    w.setSearchValue(std::nullopt);
    QCOMPARE(w.searchValue(), EditorValue());
}

void TestMainWindow::setViewComesBackExactlyAndKeepsItsLineBreaks()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString stored = QStringLiteral("Line one\r\nLine\u00a0two\r\n");
    w.setReplacedView(stored);
    QCOMPARE(w.replacedView(), EditorValue(stored));

    MemoEdit* view = memo(w, "dxReplacedView");
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, QStringLiteral("three"));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.replacedView(), EditorValue(stored + QStringLiteral("three\r\n")));

    w.setReplacedView(QStringLiteral("a\rb"));
    view->moveCursor(QTextCursor::End);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("a\rb\r")));
}

void TestMainWindow::replacedViewLimitsLengthAndDigits()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    MemoEdit* view = memo(w, "dxReplacedView");

    w.setReplacedMaxLength(5);
    QCOMPARE(w.replacedMaxLength(), 5);
    w.setReplacedView(QStringLiteral("abc"));
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, QStringLiteral("defg"));
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("abcde")));
    // A value longer than the limit stays whole when the program sets it (a save must not cut stored
    // text); the limit holds for typing: nothing more goes in.
    w.setReplacedView(QStringLiteral("1234567"));
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("1234567")));
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, QStringLiteral("8"));
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("1234567")));
    // Replacing a selection makes room.
    view->selectAll();
    QTest::keyClicks(view, QStringLiteral("xy"));
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("xy")));

    w.setReplacedMaxLength(0);
    w.setReplacedDigitsOnly(true);
    QVERIFY(w.replacedDigitsOnly());
    w.setReplacedView(QStringLiteral("12"));
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, QStringLiteral("3a4 "));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("1234")));
    QApplication::clipboard()->setText(QStringLiteral("5x"));
    view->paste();
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("1234")));
    QApplication::clipboard()->setText(QStringLiteral("56"));
    view->paste();
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("123456")));
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("12345")));

    w.setReplacedDigitsOnly(false);
    QTest::keyClicks(view, QStringLiteral("x"));
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("12345x")));
}

void TestMainWindow::replacedViewRefreshAtLoad()
{
    frmMain w;
    w.setOriginalView(QStringLiteral("abcABCabc"));
    w.setReplacedView(QStringLiteral("untouched"));
    w.refreshReplacedView();
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("untouched"))); // no search text

    w.setSearchValue(QStringLiteral("bc"));
    w.refreshReplacedView();
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("aABCa"))); // no value counts as ""
    w.setReplaceValue(QStringLiteral("-"));
    w.refreshReplacedView();
    QCOMPARE(w.replacedView(), EditorValue(QStringLiteral("a-ABCa-")));
}

void TestMainWindow::windowMirrorsCatalogueChanges()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ToolCatalogue& tools = w.tools();
    QAction* start = w.toolAction(QStringLiteral("ID_Start"));
    QVERIFY(start);
    QCOMPARE(start->objectName(), QStringLiteral("ID_Start"));

    // One action on every bar and menu that carries the tool.
    auto* work = child<QToolBar>(w, QStringLiteral("Work"));
    auto* action = child<QMenu>(w, QStringLiteral("ID_Action"));
    QVERIFY(work->actions().contains(start));
    QVERIFY(action->actions().contains(start));
    QVERIFY(child<QMenuBar>(w, QStringLiteral("MenuBar"))->actions().contains(action->menuAction()));

    // The idle state of the catalogue shows.
    QVERIFY(!start->isEnabled());
    QVERIFY(!w.toolAction(QStringLiteral("ID_Stop"))->isVisible());

    tools.setEnabled(QStringLiteral("ID_Start"), true);
    QVERIFY(start->isEnabled());
    tools.setVisible(QStringLiteral("ID_Stop"), true);
    tools.setVisible(QStringLiteral("ID_Start"), false);
    tools.setCaption(QStringLiteral("ID_Start"), QStringLiteral("Go"));
    tools.setToolTip(QStringLiteral("ID_Skip"), QStringLiteral("Leave this field"));
    tools.setCaption(QStringLiteral("ID_Program"), QStringLiteral("&File"));
    QVERIFY(!start->isVisible());
    QVERIFY(w.toolAction(QStringLiteral("ID_Stop"))->isVisible());
    QCOMPARE(start->text(), QStringLiteral("Go"));
    QCOMPARE(w.toolAction(QStringLiteral("ID_Skip"))->toolTip(), QStringLiteral("Leave this field"));
    QCOMPARE(child<QMenu>(w, QStringLiteral("ID_Program"))->title(), QStringLiteral("&File"));
    // Shown again, the tool is as enabled as the catalogue says.
    tools.setVisible(QStringLiteral("ID_Start"), true);
    QVERIFY(start->isVisible() && start->isEnabled());
    QVERIFY(!work->widgetForAction(w.toolAction(QStringLiteral("ID_Pause")))->isEnabled());

    auto styleOf = [&](const char* id) {
        return qobject_cast<QToolButton*>(work->widgetForAction(w.toolAction(QLatin1String(id))))->toolButtonStyle();
    };
    QCOMPARE(styleOf("ID_Save"), Qt::ToolButtonIconOnly);
    m_folder->writeFile(QStringLiteral("DVNReplacer.ini"), "[Win]\r\nTBText=1\r\n");
    w.SetTB();
    QCOMPARE(styleOf("ID_Save"), Qt::ToolButtonTextBesideIcon);
    QCOMPARE(styleOf("ID_Pause"), Qt::ToolButtonIconOnly);

    tools.setState(QStringLiteral("ID_Continue"), 1);
    QVERIFY(w.toolAction(QStringLiteral("ID_Continue"))->isChecked());
}

void TestMainWindow::tableChoiceGoesBothWays()
{
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ToolCatalogue& tools = w.tools();
    QComboBox* box = w.tablesBox();
    QVERIFY(box && box->isEditable());
    QCOMPARE(box->objectName(), QStringLiteral("ID_Tables"));

    tools.clearTableEntries();
    tools.addTableEntry(QStringLiteral("[All tables]"));
    tools.addTableEntry(QStringLiteral("B"));
    tools.addTableEntry(QStringLiteral("A"));
    tools.setTableText(QStringLiteral("[All tables]"));
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(1), QStringLiteral("B"));
    QCOMPARE(box->currentText(), QStringLiteral("[All tables]"));

    QSignalSpy chosen(&w, &frmMain::tableChosen);
    box->setCurrentIndex(2);
    emit box->activated(2); // what a pick from the list sends
    QCOMPARE(tools.tableText(), QStringLiteral("A"));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.last().at(0).toString(), QStringLiteral("A"));

    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("Orders"));
    QCOMPARE(tools.tableText(), QStringLiteral("Orders"));
    QCOMPARE(chosen.count(), 1);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(chosen.last().at(0).toString(), QStringLiteral("Orders"));
    QCOMPARE(box->count(), 3); // typing adds no entry

    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("b"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(chosen.count(), 3); // once, although Enter on an entry also activates it
    QCOMPARE(chosen.last().at(0).toString(), QStringLiteral("B"));
    QCOMPARE(tools.tableText(), QStringLiteral("B"));

    tools.setEnabled(QStringLiteral("ID_Tables"), false);
    QVERIFY(!box->isEnabled());
    tools.clearTableEntries();
    QCOMPARE(box->count(), 0);
    QCOMPARE(box->currentText(), QStringLiteral("B"));
}

void TestMainWindow::clickOnATwoStateToolReportsTheOldStateFirst()
{
    frmMain w;
    ToolCatalogue& tools = w.tools();
    tools.setVisible(QStringLiteral("ID_Continue"), true);
    tools.setEnabled(QStringLiteral("ID_Continue"), true);
    tools.setEnabled(QStringLiteral("ID_Start"), true);
    QStringList events;
    connect(&w, &frmMain::toolClicked, this,
            [&](const QString& id) { events << QStringLiteral("clicked %1 %2").arg(id).arg(tools.state(id)); });
    connect(&w, &frmMain::toolClickFinished, this,
            [&](const QString& id) { events << QStringLiteral("finished %1 %2").arg(id).arg(tools.state(id)); });
    w.toolAction(QStringLiteral("ID_Continue"))->trigger();
    w.toolAction(QStringLiteral("ID_Start"))->trigger();
    w.toolAction(QStringLiteral("ID_Continue"))->trigger();
    QCOMPARE(events,
             QStringList({"clicked ID_Continue 0", "finished ID_Continue 1", "clicked ID_Start 0",
                          "finished ID_Start 0", "clicked ID_Continue 1", "finished ID_Continue 0"}));

    // A disabled tool sends nothing.
    events.clear();
    tools.setEnabled(QStringLiteral("ID_Start"), false);
    w.toolAction(QStringLiteral("ID_Start"))->trigger();
    QVERIFY(events.isEmpty());
}

void TestMainWindow::statusLineHasFivePanels()
{
    frmMain w;
    auto* bar = child<QStatusBar>(w, QStringLiteral("StatusBar1"));
    QCOMPARE(bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size(), 5);
    for (int panel = 1; panel <= 5; ++panel)
        w.setStatusText(panel, QStringLiteral("text %1").arg(panel));
    for (int panel = 1; panel <= 5; ++panel) {
        QCOMPARE(child<QLabel>(w, QStringLiteral("StatusBar1Panel%1").arg(panel))->text(),
                 QStringLiteral("text %1").arg(panel));
        QCOMPARE(w.statusText(panel), QStringLiteral("text %1").arg(panel));
    }
    w.setStatusText(0, QStringLiteral("none"));
    w.setStatusText(6, QStringLiteral("none"));
    QCOMPARE(w.statusText(6), QString());

    w.LoadLanguage();
    QCOMPARE(child<QLabel>(w, QStringLiteral("StatusBar1Panel4"))->toolTip(), QStringLiteral("Datentyp"));
    QCOMPARE(w.statusToolTip(5), QStringLiteral("Feldgrösse"));

    QVERIFY(!w.isProgressVisible());
    w.setProgressVisible(true);
    w.setProgressMaximum(0);
    w.setProgressValue(3);
    auto* progress = child<QProgressBar>(w, QStringLiteral("dxProgressBar1"));
    QCOMPARE(w.progressValue(), 0);
    QVERIFY(progress->maximum() > progress->minimum()); // never the busy indicator
    w.setProgressMaximum(4);
    w.setProgressValue(5);
    QCOMPARE(w.progressValue(), 4);
    QCOMPARE(progress->value(), 4);
    QVERIFY(w.isProgressVisible());
}

void TestMainWindow::languageReachesCaptionsToolsAndContextMenus()
{
    frmMain w;
    QCOMPARE(child<LockableCheckBox>(w, QStringLiteral("chkCase"))->text(), QStringLiteral("Gross/Kleinschreibung"));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblFind"))->text(), QStringLiteral("Suchen"));

    w.LoadLanguage();
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblFind"))->text(), QStringLiteral("Find what"));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblReplace"))->text(), QStringLiteral("Replace with"));
    QCOMPARE(child<LockableCheckBox>(w, QStringLiteral("chkCase"))->text(), QStringLiteral("Match case"));
    QCOMPARE(child<LockableCheckBox>(w, QStringLiteral("chkReplaceAll"))->text(), QStringLiteral("No stops"));
    QCOMPARE(child<LockableRadioButton>(w, QStringLiteral("optField(1)"))->text(), QStringLiteral("Whole field"));
    QCOMPARE(child<QGroupBox>(w, QStringLiteral("fraOriginal"))->title(), QStringLiteral("Before"));
    QCOMPARE(w.toolAction(QStringLiteral("ID_OpenDB"))->text(), QStringLiteral("Open database"));
    // Missing keys blank their tools.
    QCOMPARE(w.toolAction(QStringLiteral("ID_Quit"))->text(), QString());
    QCOMPARE(w.texts().tableLabel, QStringLiteral("Table"));

    for (const char* name : {"dxMemo", "dxOriginalView"}) {
        std::unique_ptr<QMenu> menu(memo(w, name)->createContextMenu());
        QStringList texts;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator())
                texts.append(a->text());
        }
        QCOMPARE(texts, QStringList({"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select all"}));
    }
}

void TestMainWindow::timer1RunsItsHandler()
{
    frmMain w;
    QCOMPARE(w.timer1Interval(), 50);
    QVERIFY(!w.isTimer1Enabled());
    int ticks = 0;
    w.setTimer1Handler([&] {
        ++ticks;
        w.setTimer1Enabled(false); // as the automatic save does at each tick
    });
    w.setTimer1Enabled(true);
    QTRY_COMPARE(ticks, 1);
    QVERIFY(!w.isTimer1Enabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
