#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"

#include "TempProgramFolder.h"

#include "core/FileVersion.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

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
    void settledFileIsReadOncePerVersion();
    void changeByAnotherWriterIsSeen_data();
    void changeByAnotherWriterIsSeen();
    void freshlyChangedFileIsReadAtEveryLookup();
    void ownWriteIsSeenByTheNextRead();
    void namesMatchAsCaseIgnoringCompareDoes_data();
    void namesMatchAsCaseIgnoringCompareDoes();
    void largeFileAnswersEveryKey();
};

namespace {

// Versions settle after 50 ms instead of two seconds, so that a test can see what is kept and what is
// read again; waitUntilSettled() lets that time pass.
class ShortSettleTime
{
public:
    ShortSettleTime() { IniFile::setSettleTimeForTesting(SettleMs * 1'000'000); }
    ~ShortSettleTime() { IniFile::setSettleTimeForTesting(DefaultFileSettleNs); }
    ShortSettleTime(const ShortSettleTime&) = delete;
    ShortSettleTime& operator=(const ShortSettleTime&) = delete;

    static void waitUntilSettled() { QThread::msleep(SettleMs + 30); }

private:
    static constexpr int SettleMs = 50;
};

// Writes content over the file in place: same inode, and the modification time put back to the
// nanosecond (that of timesOf, by default the file's own), as a careful other program might. Only the
// inode's change time tells.
bool overwriteKeepingModificationTime(const QString& path, const QByteArray& content, QString timesOf = QString())
{
    struct stat before
    {
    };
    if (::stat(QFile::encodeName(timesOf.isEmpty() ? path : timesOf).constData(), &before) != 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate) || file.write(content) != content.size()
        || !file.flush())
        return false;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return ::futimens(file.handle(), times) == 0;
}

} // namespace

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

void TestIniFile::settledFileIsReadOncePerVersion()
{
    const ShortSettleTime settle;
    TempProgramFolder folder;
    folder.writeFile("lang/Deutsch.lng", "[frmMain]\r\nt0=Datei\r\nt1=Suchen\r\n[All]\r\nt0=Kopieren\r\n");
    folder.activate("Deutsch");
    ShortSettleTime::waitUntilSettled();

    const quint64 before = IniFile::fileReadsForTesting();
    QCOMPARE(ReadLanguageText("frmMain", "t1", "x"), QStringLiteral("Suchen"));
    QCOMPARE(ReadLanguageText("frmMain", "t0", "x"), QStringLiteral("Datei"));
    QCOMPARE(ReadLanguageText("ALL", "T0", "x"), QStringLiteral("Kopieren"));
    QCOMPARE(ReadLanguageText("frmMain", "t2", "x"), QStringLiteral("x"));
    QCOMPARE(IniFile::fileReadsForTesting() - before, quint64(1));
}

void TestIniFile::changeByAnotherWriterIsSeen_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("same size, in place, modification time put back") << "in place";
    QTest::newRow("same size, replaced, modification time put back") << "replaced";
    QTest::newRow("other size") << "other size";
    QTest::newRow("deleted") << "deleted";
}

void TestIniFile::changeByAnotherWriterIsSeen()
{
    QFETCH(QString, how);
    const ShortSettleTime settle;
    TempProgramFolder folder;
    const QString path = folder.filePath("DVNReplacer.ini");
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nWinPos=0\r\n");
    ShortSettleTime::waitUntilSettled();
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0")); // from what was kept

    QString expected = QStringLiteral("1");
    if (how == QLatin1String("in place")) {
        QVERIFY(overwriteKeepingModificationTime(path, "[Win]\r\nWinPos=1\r\n"));
    } else if (how == QLatin1String("replaced")) {
        const QString other = folder.filePath("other.ini");
        QVERIFY(QFile::copy(path, other));
        QVERIFY(overwriteKeepingModificationTime(other, "[Win]\r\nWinPos=1\r\n", path));
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
    } else if (how == QLatin1String("other size")) {
        QVERIFY(overwriteKeepingModificationTime(path, "[Win]\r\nWinPos=12\r\n"));
        expected = QStringLiteral("12");
    } else {
        QVERIFY(QFile::remove(path));
        expected = QStringLiteral("x");
    }
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), expected);
    // And once the changed file has settled, from what was kept of it.
    ShortSettleTime::waitUntilSettled();
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), expected);
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), expected);
}

void TestIniFile::freshlyChangedFileIsReadAtEveryLookup()
{
    // With the real settle time of two seconds, a file just written is never kept: a second change
    // within the same tick of the file system's clock could leave its version as it was.
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nWinPos=0\r\n");
    const quint64 before = IniFile::fileReadsForTesting();
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
    QVERIFY(overwriteKeepingModificationTime(folder.filePath("DVNReplacer.ini"), "[Win]\r\nWinPos=1\r\n"));
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("1"));
    QCOMPARE(IniFile::fileReadsForTesting() - before, quint64(2));
}

void TestIniFile::ownWriteIsSeenByTheNextRead()
{
    const ShortSettleTime settle;
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Win]\r\nWinPos=0\r\nSysTray=1\r\n");
    ShortSettleTime::waitUntilSettled();
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
    WriteIniValue("Win", "WinPos", "1");
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("1"));
    WriteIniValue("Win", "WinPos", "0");
    QCOMPARE(ReadIniValue("Win", "WinPos", "x"), QStringLiteral("0"));
    QCOMPARE(ReadIniValue("Win", "SysTray", "x"), QStringLiteral("1"));
}

void TestIniFile::namesMatchAsCaseIgnoringCompareDoes_data()
{
    QTest::addColumn<QString>("inFile");
    QTest::addColumn<QString>("asked");

    QTest::newRow("ASCII") << "ChkHyperLink"
                           << "chkhyperlink";
    QTest::newRow("kelvin sign") << QString::fromUtf8("\u212Aey") << "KEY";
    QTest::newRow("long s") << QString::fromUtf8("\u017Fection") << "Section";
    QTest::newRow("umlauts") << QString::fromUtf8("Größe") << QString::fromUtf8("GRÖSSE");
    QTest::newRow("umlauts, same letters") << QString::fromUtf8("GRÖßE") << QString::fromUtf8("größe");
    QTest::newRow("final sigma") << QString::fromUtf8("ΟΔΟΣ") << QString::fromUtf8("οδος");
    QTest::newRow("dotted capital i") << QString::fromUtf8("\u0130d") << "id";
    QTest::newRow("deseret") << QString::fromUcs4(U"\U00010400x") << QString::fromUcs4(U"\U00010428X");
    QTest::newRow("other letter") << "key"
                                  << "kez";
    QTest::newRow("longer") << "key"
                            << "keys";
}

void TestIniFile::namesMatchAsCaseIgnoringCompareDoes()
{
    QFETCH(QString, inFile);
    QFETCH(QString, asked);
    TempProgramFolder folder;
    const QByteArray name = inFile.toUtf8();
    folder.writeFile("DVNReplacer.ini", "[" + name + "]\r\n" + name + "=found\r\n[Other]\r\nx=y\r\n");
    const bool equal = inFile.compare(asked, Qt::CaseInsensitive) == 0;
    QCOMPARE(ReadIniValue(asked, asked, "missing"), equal ? QStringLiteral("found") : QStringLiteral("missing"));
    QCOMPARE(ReadIniValue(asked, "x", "missing"), QStringLiteral("missing"));
}

void TestIniFile::largeFileAnswersEveryKey()
{
    // Many sections and keys, sections of one name twice (the first key in file order answers), and names
    // whose letters all lie outside ASCII, so that many of them share a hash.
    const ShortSettleTime settle;
    TempProgramFolder folder;
    QByteArray content = "t0=before any section\r\n";
    for (int s = 0; s < 200; ++s) {
        content += "[Section" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 200; ++k)
            content += "t" + QByteArray::number(k) + " = \"" + QByteArray::number(s * 1000 + k) + "\"\n";
        content += QString::fromUtf8("[Δ%1]\r").arg(QChar(0x3B1 + s % 20)).toUtf8();
        content += QString::fromUtf8("κλειδί%1=%2\r").arg(QChar(0x3B1 + s % 20)).arg(s).toUtf8();
    }
    content += "[Section7]\r\nt3=later\r\nnew=only here\r\n";
    folder.writeFile("lang/Big.lng", content);
    folder.activate("Big");
    ShortSettleTime::waitUntilSettled();

    const quint64 before = IniFile::fileReadsForTesting();
    for (int s = 0; s < 200; s += 13) {
        for (int k = 0; k < 200; k += 17) {
            QCOMPARE(ReadLanguageText(QStringLiteral("section%1").arg(s), QStringLiteral("T%1").arg(k), "x"),
                     QString::number(s * 1000 + k));
        }
    }
    QCOMPARE(ReadLanguageText("Section7", "t3", "x"), QStringLiteral("7003"));
    QCOMPARE(ReadLanguageText("Section7", "new", "x"), QStringLiteral("only here"));
    QCOMPARE(ReadLanguageText("Section0", "t200", "x"), QStringLiteral("x"));
    QCOMPARE(ReadLanguageText(QString::fromUtf8("δγ"), QString::fromUtf8("ΚΛΕΙΔΊγ"), "x"), QStringLiteral("2"));
    QCOMPARE(ReadLanguageText(QString::fromUtf8("Δδ"), QString::fromUtf8("κλειδίγ"), "x"), QStringLiteral("x"));
    QCOMPARE(IniFile::fileReadsForTesting() - before, quint64(1));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
