#include "core/Settings.h"
#include "presentation/ToolBarOptions.h"
#include "presentation/ToolCatalogue.h"

#include "TempProgramFolder.h"

#include <QSignalSpy>
#include <QTest>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

namespace {

QStringList placedIds(const ToolContainer& container)
{
    QStringList ids;
    for (const ToolPlacement& item : container.items) {
        if (!item.isSeparator())
            ids.append(item.toolId);
    }
    return ids;
}

QStringList allPlacedIds(const ToolCatalogue& tools)
{
    QStringList ids;
    for (const ToolContainer& bar : tools.bars())
        ids += placedIds(bar);
    for (const ToolContainer& menu : tools.menus())
        ids += placedIds(menu);
    return ids;
}

const QStringList RunTools = {"ID_Stop", "ID_SkipTable", "ID_Start", "ID_Skip", "ID_Save", "ID_Replace"};

} // namespace

class TestToolCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void everyPlacedToolExistsAndMenusAreMenuTools();
    void toolsOutsideTheLayoutStandNowhere();
    void oneToolStandsOnSeveralBars();
    void lookUpIsCaseSensitiveAndUnknownIdsDoNothing();
    void windowStartsIdle();
    void changesAreAnnouncedOnce();
    void tableChoiceKeepsEntriesAndText();
    void setTBAppliesTheIniOption_data();
    void setTBAppliesTheIniOption();
    void setTBReadsTheOptionAtEveryCall();
};

void TestToolCatalogue::everyPlacedToolExistsAndMenusAreMenuTools()
{
    ToolCatalogue tools;
    for (const QString& id : allPlacedIds(tools))
        QVERIFY2(tools.find(id), qPrintable(id));
    for (const ToolContainer& menu : tools.menus()) {
        QVERIFY2(tools.find(menu.name), qPrintable(menu.name));
        QCOMPARE(tools.find(menu.name)->kind, ToolKind::Menu);
    }
    const ToolContainer* menuBar = nullptr;
    for (const ToolContainer& bar : tools.bars()) {
        if (bar.name == QLatin1String("MenuBar"))
            menuBar = &bar;
    }
    QVERIFY(menuBar);
    QCOMPARE(placedIds(*menuBar), QStringList({"ID_Program", "ID_Action", "ID_HelpMnu"}));
    for (const QString& id : placedIds(*menuBar))
        QVERIFY(tools.menu(id));
}

void TestToolCatalogue::toolsOutsideTheLayoutStandNowhere()
{
    ToolCatalogue tools;
    const QStringList placed = allPlacedIds(tools);
    for (const char* id : {"ID_Update", "ID_Settings", "ID_AllTables", "ID_Mode", "ID_SQL", "ID_ConnectionString",
                           "ID_Select", "ID_CheckWebLink", "ID_SearchMenu"}) {
        QVERIFY2(tools.find(QLatin1String(id)), id);
        QVERIFY2(!placed.contains(QLatin1String(id)), id);
    }
    // The search menu exists as a menu of its own, although no bar carries it.
    QVERIFY(tools.menu(QStringLiteral("ID_SearchMenu")));
}

void TestToolCatalogue::oneToolStandsOnSeveralBars()
{
    ToolCatalogue tools;
    const QStringList placed = allPlacedIds(tools);
    QCOMPARE(placed.count(QStringLiteral("ID_Start")), 2); // bar Work and menu ID_Action
    QCOMPARE(placed.count(QStringLiteral("ID_Quit")), 2); // bar ToolBar and menu ID_Program
    QCOMPARE(placed.count(QStringLiteral("ID_Pause")), 1);
    QCOMPARE(placed.count(QStringLiteral("ID_Tables")), 1);
}

void TestToolCatalogue::lookUpIsCaseSensitiveAndUnknownIdsDoNothing()
{
    ToolCatalogue tools;
    QVERIFY(tools.find(QStringLiteral("ID_Start")));
    QVERIFY(!tools.find(QStringLiteral("id_start")));
    QVERIFY(!tools.find(QStringLiteral("ID_Nothing")));
    QVERIFY(!tools.find(QString()));
    // Every typed id names the tool of its text.
    for (int i = 0; i < ToolIdCount; ++i) {
        QCOMPARE(toolIdFromText(toolIdText(ToolId(i))), std::optional<ToolId>(ToolId(i)));
        QCOMPARE(tools.find(ToolId(i)).id, toolIdText(ToolId(i)));
    }
    QCOMPARE(tools.ids().size(), ToolIdCount);

    QSignalSpy changed(&tools, &ToolCatalogue::toolChanged);
    tools.setEnabled(QStringLiteral("ID_START"), false);
    tools.setCaption(QStringLiteral("ID_Nothing"), QStringLiteral("x"));
    QCOMPARE(changed.count(), 0);
    QVERIFY(!tools.isVisible(QStringLiteral("ID_Nothing")));
    QCOMPARE(tools.caption(QStringLiteral("ID_Nothing")), QString());
}

void TestToolCatalogue::windowStartsIdle()
{
    ToolCatalogue tools;
    // Of each alternating pair the idle member shows.
    QVERIFY(tools.isVisible(QStringLiteral("ID_Start")));
    QVERIFY(!tools.isVisible(QStringLiteral("ID_Stop")));
    QVERIFY(tools.isVisible(QStringLiteral("ID_Pause")));
    QVERIFY(!tools.isVisible(QStringLiteral("ID_Continue")));
    // Nothing that needs a data source or a hit can be used.
    for (const char* id :
         {"ID_Start", "ID_Structure", "ID_Pause", "ID_Skip", "ID_SkipRecord", "ID_SkipTable", "ID_Replace", "ID_Save"})
        QVERIFY2(!tools.isEnabled(QLatin1String(id)), id);
    for (const char* id : {"ID_OpenDB", "ID_Connection", "ID_Tables", "ID_AllTables", "ID_Quit", "ID_Options"})
        QVERIFY2(tools.isEnabled(QLatin1String(id)), id);
}

void TestToolCatalogue::changesAreAnnouncedOnce()
{
    ToolCatalogue tools;
    QSignalSpy changed(&tools, &ToolCatalogue::toolChanged);
    tools.setVisible(QStringLiteral("ID_Stop"), true);
    tools.setVisible(QStringLiteral("ID_Stop"), true);
    tools.setState(QStringLiteral("ID_Continue"), 1);
    tools.setCaption(QStringLiteral("ID_Mode"), QStringLiteral("Skip"));
    tools.setCaption(QStringLiteral("ID_Mode"), QStringLiteral("Skip"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("ID_Stop"));
    QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("ID_Continue"));
    QCOMPARE(changed.at(2).at(0).toString(), QStringLiteral("ID_Mode"));
    QCOMPARE(tools.state(QStringLiteral("ID_Continue")), 1);
    QCOMPARE(tools.caption(QStringLiteral("ID_Mode")), QStringLiteral("Skip"));
}

void TestToolCatalogue::tableChoiceKeepsEntriesAndText()
{
    ToolCatalogue tools;
    QSignalSpy changed(&tools, &ToolCatalogue::toolChanged);
    tools.addTableEntry(QStringLiteral("[Alle Tabellen]"));
    tools.addTableEntry(QStringLiteral("B"));
    tools.addTableEntry(QStringLiteral("A"));
    tools.setTableText(QStringLiteral("[Alle Tabellen]"));
    QCOMPARE(tools.tableEntries(), QStringList({"[Alle Tabellen]", "B", "A"}));
    QCOMPARE(tools.tableText(), QStringLiteral("[Alle Tabellen]"));
    QCOMPARE(changed.count(), 4);
    for (const QList<QVariant>& args : changed)
        QCOMPARE(args.at(0).toString(), QStringLiteral("ID_Tables"));

    tools.clearTableEntries();
    QVERIFY(tools.tableEntries().isEmpty());
    // Emptying the list leaves the text; the opening logic decides about it.
    QCOMPARE(tools.tableText(), QStringLiteral("[Alle Tabellen]"));

    tools.setSqlText(QStringLiteral("SELECT 1"));
    QCOMPARE(tools.sqlText(), QStringLiteral("SELECT 1"));
    QCOMPARE(tools.tableText(), QStringLiteral("[Alle Tabellen]"));
}

void TestToolCatalogue::setTBAppliesTheIniOption_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("expectedStyle");

    QTest::newRow("1") << QByteArray("[Win]\r\nTBText=1\r\n") << int(CaptionBesidePicture);
    QTest::newRow("1 with blanks") << QByteArray("[win]\r\ntbtext = 1 \r\n") << int(CaptionBesidePicture);
    QTest::newRow("yes") << QByteArray("[Win]\r\nTBText=yes\r\n") << int(PictureOnly);
    QTest::newRow("01") << QByteArray("[Win]\r\nTBText=01\r\n") << int(PictureOnly);
    QTest::newRow("empty") << QByteArray("[Win]\r\nTBText=\r\n") << int(PictureOnly);
    QTest::newRow("missing key") << QByteArray("[Win]\r\nWinPos=1\r\n") << int(PictureOnly);
    QTest::newRow("missing file") << QByteArray() << int(PictureOnly);
}

void TestToolCatalogue::setTBAppliesTheIniOption()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, expectedStyle);

    TempProgramFolder folder;
    if (!ini.isEmpty())
        folder.writeFile(QStringLiteral("DVNReplacer.ini"), ini);
    ToolCatalogue tools;
    // Start from the opposite style so that a call that changes nothing is caught.
    for (const QString& id : RunTools)
        tools.setDisplayStyle(id, expectedStyle == PictureOnly ? CaptionBesidePicture : PictureOnly);

    SetTB(tools);

    for (const QString& id : RunTools)
        QCOMPARE(tools.displayStyle(id), expectedStyle);
    for (const char* id : {"ID_Pause", "ID_Continue", "ID_SkipRecord", "ID_Quit"})
        QCOMPARE(tools.displayStyle(QLatin1String(id)), int(PictureOnly));
}

void TestToolCatalogue::setTBReadsTheOptionAtEveryCall()
{
    TempProgramFolder folder;
    ToolCatalogue tools;
    tools.setDisplayStyle(QStringLiteral("ID_Pause"), CaptionBesidePicture);
    WriteIniValue(QStringLiteral("Win"), QStringLiteral("TBText"), QStringLiteral("1"));
    SetTB(tools);
    QCOMPARE(tools.displayStyle(QStringLiteral("ID_Start")), int(CaptionBesidePicture));
    WriteIniValue(QStringLiteral("Win"), QStringLiteral("TBText"), QStringLiteral("0"));
    SetTB(tools);
    QCOMPARE(tools.displayStyle(QStringLiteral("ID_Start")), int(PictureOnly));
    QCOMPARE(tools.displayStyle(QStringLiteral("ID_Pause")), int(CaptionBesidePicture));
}

QTEST_GUILESS_MAIN(TestToolCatalogue)
#include "tst_toolcatalogue.moc"
