#include "core/AppState.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "core/StartupPlatform.h"

#include "TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

namespace {

struct Message
{
    QString text;
    QString title;
};

// A platform that answers as told and records what start-up showed.
class RecordingPlatform : public StartupPlatform
{
public:
    bool dataAccessWorks = true;
    bool admin = true;
    QStringList readOnlyFolders; // folders the user may not write into, whatever admin says
    QString perUserFolder;
    int mainWindowStarts = 0;
    QList<Message> messages;

    void showMessage(const QString& text, const QString& title) override { messages.append({text, title}); }
    bool isUserAnAdmin(const QString& folder) override { return admin && !readOnlyFolders.contains(folder); }
    bool proveDataAccess() override { return dataAccessWorks; }
    void startMainWindow() override { ++mainWindowStarts; }
    QString perUserProgramFolder() override { return perUserFolder; }
};

const QString iniMissing
    = QStringLiteral("INI Datei nicht gefunden.\r\nDas Programm startet in den Default-Einstellungen.");
const QString germanOnly
    = QStringLiteral("Keine Sprachdateien gefunden.\r\nDas Program läuft nur in Deutscher Sprache.");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("\x01unreadable");
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesTemplateAndRunsGermanOnlyWithoutLangFolder();
    void dataAccessFailureMessageFollowsIniLanguage_data();
    void dataAccessFailureMessageFollowsIniLanguage();
    void languageWithoutFileLeavesIniUnchanged();
    void emptyIniLanguageFallsBackToUserSetting();
    void nonAdministratorSeesIntroTextsAndProgramEnds();
    void administratorWithLanguageFileStartsMainWindow();
    void languageFileEndingInCapitalsIsFound();
    void backgroundColourIsWrittenAtEveryStart();
    void realAdministratorTestAllowsWritableFolder();
    void perUserFolderStandsInForAReadOnlyInstalledFolder_data();
    void perUserFolderStandsInForAReadOnlyInstalledFolder();
};

void TestStartup::firstStartCreatesTemplateAndRunsGermanOnlyWithoutLangFolder()
{
    TempProgramFolder folder(TempProgramFolder::WithSys);
    RecordingPlatform platform;
    platform.admin = false; // must not be asked on this path
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::MainWindowStarted);

    QCOMPARE(platform.messages.size(), 2);
    QCOMPARE(platform.messages[0].text, iniMissing);
    QVERIFY(platform.messages[0].title.isEmpty());
    QCOMPARE(platform.messages[1].text, germanOnly);
    QCOMPARE(platform.mainWindowStarts, 1);
    QVERIFY(appState().GermanOnly);
    QCOMPARE(appState().IniPath, folder.filePath("DVNReplacer.ini"));
    QCOMPARE(folder.readFile("DVNReplacer.ini"),
             QByteArray("\r\n\r\n;INI File for Taskloom\r\n[Options]\r\nLanguage=Deutsch\r\n\r\n[NTService]\r\n\r\n"
                        "[Global]\r\n\r\n[JobWin]\r\n\r\n[ErrWin]\r\n\r\n[WinState]\r\n\r\n"));
    // Values saved later in the same run read back from the new file.
    WriteIniValue("Win", "SysTray", "1");
    QCOMPARE(ReadIniValue("Win", "SysTray", "0"), QStringLiteral("1"));
}

void TestStartup::dataAccessFailureMessageFollowsIniLanguage_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("German by default") << QByteArray()
                                       << "Es wurde keine gültige MDAC installation auf dem System gefunden.";
    QTest::newRow("English") << QByteArray("[Options]\r\nLanguage=English\r\n")
                             << "No valid MDAC installation found on the System.";
    QTest::newRow("other language: no message") << QByteArray("[Options]\r\nLanguage=Français\r\n") << QString();
    QTest::newRow("case matters") << QByteArray("[Options]\r\nLanguage=english\r\n") << QString();
}

void TestStartup::dataAccessFailureMessageFollowsIniLanguage()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, firstLine);
    TempProgramFolder folder;
    if (!ini.isEmpty())
        folder.writeFile("DVNReplacer.ini", ini);
    RecordingPlatform platform;
    platform.dataAccessWorks = false;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::Ended);
    QCOMPARE(platform.mainWindowStarts, 0);
    if (firstLine.isEmpty()) {
        QVERIFY(platform.messages.isEmpty());
    } else {
        QCOMPARE(platform.messages.size(), 1);
        const QStringList lines = platform.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], firstLine);
        QVERIFY(lines[1].isEmpty() && lines[4].isEmpty());
    }
    QVERIFY(!QFileInfo::exists(folder.filePath("DVNReplacer.ini")) || !ini.isEmpty());
}

void TestStartup::languageWithoutFileLeavesIniUnchanged()
{
    TempProgramFolder folder;
    const QByteArray ini = "[Options]\r\nLanguage=Klingon\r\n";
    folder.writeFile("DVNReplacer.ini", ini);
    RecordingPlatform platform;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::MainWindowStarted);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text, germanOnly);
    QVERIFY(appState().GermanOnly);
    QCOMPARE(folder.readFile("DVNReplacer.ini"), ini);
}

void TestStartup::emptyIniLanguageFallsBackToUserSetting()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=\r\n");
    folder.writeFile("lang/English.lng", "[frmMain]\r\nt1=Find\r\n");
    writeUserSetting("Options", "Language", "English");
    RecordingPlatform platform;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::MainWindowStarted);
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(appState().LanguageName, QStringLiteral("English"));
    QCOMPARE(appState().LanguageFile, folder.filePath("lang/English.lng"));
    QVERIFY(!appState().GermanOnly);
    QCOMPARE(ReadIniValue("Options", "Language", "x"), QStringLiteral("English"));
}

void TestStartup::nonAdministratorSeesIntroTextsAndProgramEnds()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=English\r\n");
    folder.writeFile("lang/English.lng", "[Intro]\r\nt0=must be run as administrator!\r\nt2=Run as administrator.\r\n");
    RecordingPlatform platform;
    platform.admin = false;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::Ended);
    QCOMPARE(platform.mainWindowStarts, 0);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].title, QStringLiteral("Dorvane"));
    QCOMPARE(platform.messages[0].text,
             QStringLiteral("Dorvane must be run as administrator!\r\n\r\n"
                            "Klicken Sie rechts auf das Starticon und wählen Sie\r\n"
                            "Run as administrator.\r\n"
                            "Alternativ kann im Eigenschaften-Dialog unter Kompabilität\r\n"
                            "die Berechtigungsstufe auf Administrator gesetzt werden."));
}

void TestStartup::languageFileEndingInCapitalsIsFound()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=English\r\n");
    folder.writeFile("lang/English.LNG", "[frmMain]\r\nt1=Find\r\n");
    RecordingPlatform platform;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::MainWindowStarted);
    QVERIFY(platform.messages.isEmpty());
    QVERIFY(!appState().GermanOnly);
    QCOMPARE(ReadLanguageText("frmMain", "t1", ""), QStringLiteral("Find"));
}

void TestStartup::administratorWithLanguageFileStartsMainWindow()
{
    TempProgramFolder folder;
    folder.writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=Deutsch\r\n");
    folder.writeFile("lang/Deutsch.lng", "[frmMain]\r\nt1=Suchen\r\n");
    RecordingPlatform platform;
    Startup startup(platform, folder.path());
    QCOMPARE(startup.Main(), Startup::Outcome::MainWindowStarted);
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(platform.mainWindowStarts, 1);
    QVERIFY(!appState().GermanOnly);
    QCOMPARE(ReadLanguageText("frmMain", "t1", ""), QStringLiteral("Suchen"));
}

void TestStartup::backgroundColourIsWrittenAtEveryStart()
{
    TempProgramFolder folder;
    writeUserSetting("Options", "BGColor", "&H00FF00");
    RecordingPlatform platform;
    platform.dataAccessWorks = false; // even a start that ends writes it
    Startup(platform, folder.path()).Main();
    QCOMPARE(readUserSetting("Options", "BGColor", ""), QStringLiteral("&H8000000F"));
}

void TestStartup::realAdministratorTestAllowsWritableFolder()
{
    TempProgramFolder folder;
    QVERIFY(canWriteProgramFolder(folder.path()));
    if (::geteuid() != 0)
        QVERIFY(!canWriteProgramFolder(QStringLiteral("/proc")));
}

namespace {

enum class PerUser
{
    Writable,
    ReadOnly,
    Unmakeable, // its path runs through a file
};

} // namespace

Q_DECLARE_METATYPE(PerUser)

void TestStartup::perUserFolderStandsInForAReadOnlyInstalledFolder_data()
{
    QTest::addColumn<bool>("installedWritable");
    QTest::addColumn<PerUser>("perUser");
    QTest::addColumn<bool>("usesPerUserFolder");
    QTest::addColumn<bool>("refused");

    QTest::newRow("installed folder writable: works there") << true << PerUser::Writable << false << false;
    QTest::newRow("installed folder read-only: per-user folder") << false << PerUser::Writable << true << false;
    QTest::newRow("both read-only: refusal") << false << PerUser::ReadOnly << false << true;
    QTest::newRow("per-user folder cannot be made: refusal") << false << PerUser::Unmakeable << false << true;
}

void TestStartup::perUserFolderStandsInForAReadOnlyInstalledFolder()
{
    QFETCH(bool, installedWritable);
    QFETCH(PerUser, perUser);
    QFETCH(bool, usesPerUserFolder);
    QFETCH(bool, refused);

    TempProgramFolder installed;
    const QByteArray ini = "[Options]\r\nLanguage=English\r\n";
    installed.writeFile("DVNReplacer.ini", ini);
    installed.writeFile("lang/English.lng", "[Intro]\r\nt0=may not write here!\r\n[frmMain]\r\nt1=Find what\r\n");
    installed.writeFile("sys/fdrv.dat", "file drivers");
    installed.writeFile("sys/dtype.dat", "data types");
    QTemporaryDir home;
    const QString userFolder = home.filePath("data/dorvane");
    if (perUser == PerUser::Unmakeable) {
        QFile blocker(home.filePath("data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    RecordingPlatform platform;
    if (!installedWritable)
        platform.readOnlyFolders.append(installed.path());
    if (perUser == PerUser::ReadOnly)
        platform.readOnlyFolders.append(userFolder);
    platform.perUserFolder = userFolder;
    Startup startup(platform, installed.path());
    QCOMPARE(startup.Main(), refused ? Startup::Outcome::Ended : Startup::Outcome::MainWindowStarted);

    const QString programFolder = usesPerUserFolder ? userFolder : installed.path();
    QCOMPARE(appState().AppPath, programFolder);
    QCOMPARE(appState().IniPath, programFolder + "/DVNReplacer.ini");
    if (refused) {
        QCOMPARE(platform.mainWindowStarts, 0);
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages[0].text.startsWith("Dorvane may not write here!\r\n"));
        return;
    }
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(platform.mainWindowStarts, 1);
    QCOMPARE(appState().LanguageFile, programFolder + "/lang/English.lng");
    QCOMPARE(ReadLanguageText("frmMain", "t1", ""), QStringLiteral("Find what"));
    if (!usesPerUserFolder) {
        QVERIFY(!QFileInfo::exists(userFolder));
        return;
    }
    // Seeded: settings and tables are the user's copies, what the settings say is written there.
    QCOMPARE(contentOf(userFolder + "/DVNReplacer.ini"), ini);
    QCOMPARE(contentOf(userFolder + "/sys/fdrv.dat"), QByteArray("file drivers"));
    QCOMPARE(contentOf(userFolder + "/sys/dtype.dat"), QByteArray("data types"));
    WriteIniValue("Win", "SysTray", "1");
    QCOMPARE(installed.readFile("DVNReplacer.ini"), ini);
    QCOMPARE(ReadIniValue("Win", "SysTray", "0"), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
