#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"

#include "TempProgramFolder.h"

#include <QTest>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readsValuesWithProfileSemantics_data();
    void readsValuesWithProfileSemantics();
    void missingFileGivesDefaultCutToSize();
    void everyReadSeesTheFileAsItIsNow();
    void writeKeepsEveryOtherLine();
    void writeAppendsToExistingSectionAndCreatesMissingOnes();
    void writeCreatesMissingFile();
    void readsWindows1252Files();
    void templateHasExactlyFifteenLines();
    void flagsCountOnlyExactOne();
    void userSettingsStayInTheTestFolder();
};

void TestIniFile::readsValuesWithProfileSemantics_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray file = "[Options]\r\nLanguage=English\r\nEmpty=\r\n  Spaced  =  value with blanks  \r\n"
                            "Quoted=\"in quotes\"\r\n;Commented=yes\r\n[Win]\r\nSysTray=yes\r\nchkHyperlink=0\r\n";
    QTest::newRow("plain") << file << "Options"
                           << "Language"
                           << "English";
    QTest::newRow("section and key ignore case") << file << "OPTIONS"
                                                 << "language"
                                                 << "English";
    QTest::newRow("present empty key is empty, not default") << file << "Options"
                                                             << "Empty"
                                                             << "";
    QTest::newRow("blanks around key and value") << file << "Options"
                                                 << "Spaced"
                                                 << "value with blanks";
    QTest::newRow("quotes are dropped") << file << "Options"
                                        << "Quoted"
                                        << "in quotes";
    QTest::newRow("comment is no key") << file << "Options"
                                       << "Commented"
                                       << "dflt";
    QTest::newRow("key of another section") << file << "Options"
                                            << "SysTray"
                                            << "dflt";
    QTest::newRow("missing section") << file << "Nope"
                                     << "Language"
                                     << "dflt";
    QTest::newRow("300 characters read as 255") << QByteArray("[A]\nk=" + QByteArray(300, 'x') + "\n") << "A"
                                                << "k" << QString(255, QLatin1Char('x'));
}

void TestIniFile::readsValuesWithProfileSemantics()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("DVNReplacer.ini"), content);
    QCOMPARE(ReadIniValue(section, key, QStringLiteral("dflt"), 256), expected);
}

void TestIniFile::missingFileGivesDefaultCutToSize()
{
    TempProgramFolder folder;
    QCOMPARE(ReadIniValue("Win", "chkHyperlink", "1", 256), QStringLiteral("1"));
    QCOMPARE(ReadIniValue("Win", "x", QString(400, QLatin1Char('d')), 256).size(), 255);
    QCOMPARE(IniFile::read(folder.filePath("none.ini"), "A", "b", "abc", 3), QStringLiteral("ab"));
}

void TestIniFile::everyReadSeesTheFileAsItIsNow()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nWinPos=0\r\n");
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nWinPos=1\r\n");
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("1"));
    WriteIniValue("Win", "WinPos", "0");
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
}

void TestIniFile::writeKeepsEveryOtherLine()
{
    TempProgramFolder folder;
    const QByteArray before
        = "; my notes\r\n[Options]\r\nLanguage=Deutsch\r\nRun=1\r\n\r\n[Other]\r\nLanguage=keep\r\n";
    folder.writeFile("DVNReplacer.ini", before);
    WriteIniValue("options", "LANGUAGE", "English");
    QCOMPARE(folder.readFile("DVNReplacer.ini"),
             QByteArray("; my notes\r\n[Options]\r\nLANGUAGE=English\r\nRun=1\r\n\r\n[Other]\r\nLanguage=keep\r\n"));
}

void TestIniFile::writeAppendsToExistingSectionAndCreatesMissingOnes()
{
    TempProgramFolder folder;
    CreateIniFile();
    WriteIniValue("Options", "Language", "Deutsch");
    WriteIniValue("Win", "SysTray", "1");
    WriteIniValue("Win", "WinPos", "0");
    const QByteArray expected
        = "\r\n\r\n;INI File for Taskloom\r\n[Options]\r\nLanguage=Deutsch\r\n\r\n[NTService]\r\n\r\n"
          "[Global]\r\n\r\n[JobWin]\r\n\r\n[ErrWin]\r\n\r\n[WinState]\r\n\r\n[Win]\r\nSysTray=1\r\n"
          "WinPos=0\r\n";
    QCOMPARE(folder.readFile("DVNReplacer.ini"), expected);
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
}

void TestIniFile::writeCreatesMissingFile()
{
    TempProgramFolder folder;
    WriteIniValue("Options", "Run", "0");
    QCOMPARE(folder.readFile("DVNReplacer.ini"), QByteArray("[Options]\r\nRun=0\r\n"));
}

void TestIniFile::readsWindows1252Files()
{
    TempProgramFolder folder;
    folder.writeFile("lang/Deutsch.lng", "[frmMain]\r\nt1=Gro\xdf \x80 Suche\r\n"); // not valid UTF-8
    folder.activate("Deutsch");
    QCOMPARE(ReadLanguageText("frmMain", "t1", ""), QString::fromUtf8("Groß € Suche"));
    folder.writeFile("lang/Deutsch.lng",
                     "[frmMain]\r\nt1=Gr\xc3\xb6\xc3\x9f"
                     "e\r\n");
    QCOMPARE(ReadLanguageText("frmMain", "t1", ""), QString::fromUtf8("Größe"));
}

void TestIniFile::templateHasExactlyFifteenLines()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Old]\r\nkey=value\r\n");
    CreateIniFile();
    const QList<QByteArray> lines = folder.readFile("DVNReplacer.ini").split('\n');
    QCOMPARE(lines.size(), 16); // 15 lines, each ending in CR LF
    QCOMPARE(lines[2], QByteArray(";INI File for Taskloom\r"));
    QCOMPARE(lines[13], QByteArray("[WinState]\r"));
    QVERIFY(lines.last().isEmpty());
}

void TestIniFile::flagsCountOnlyExactOne()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nSysTray=yes\r\nWinPos=1\r\nTBText= 1x\r\n");
    QVERIFY(!isSetFlag(ReadIniValue("Win", "SysTray", "0")));
    QVERIFY(isSetFlag(ReadIniValue("Win", "WinPos", "0")));
    QVERIFY(!isSetFlag(ReadIniValue("Win", "TBText", "0")));
    QVERIFY(isSetFlag(ReadIniValue("Win", "chkHyperlink", "1")));
}

void TestIniFile::userSettingsStayInTheTestFolder()
{
    TempProgramFolder folder;
    QCOMPARE(readUserSetting("MainWinPos", "Left", "1000"), QStringLiteral("1000"));
    writeUserSetting("MainWinPos", "Left", "1234.5");
    QCOMPARE(readUserSetting("MainWinPos", "Left", "1000"), QStringLiteral("1234.5"));
    QVERIFY(QFileInfo::exists(folder.filePath(".settings/Dorvane/Dorvane.conf")));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
