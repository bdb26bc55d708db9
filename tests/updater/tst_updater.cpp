#include "core/ProductInfo.h"
#include "updater/UpdatePage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

using dorvane::updater::UpdatePage;

namespace {

// A home, settings and runtime folder for a child launcher, and a bin folder as its whole PATH, so that
// no real browser and no real user settings are ever reached.
class LauncherSandbox
{
public:
    LauncherSandbox()
    {
        QDir root(m_dir.path());
        for (const char* folder : {"home", "config/Dorvane", "runtime", "bin"})
            root.mkpath(QString::fromLatin1(folder));
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // The per-user settings as the main program stores them on this platform.
    void writeSettings(const QByteArray& ini) const { writeFile("config/Dorvane/Dorvane.conf", ini, false); }

    void writeFile(const QString& relative, const QByteArray& content, bool executable) const
    {
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        if (executable)
            file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

    // A stand-in for xdg-open in bin that records its arguments and its process id, then stays busy
    // like a browser. recordedAddress() waits for what it was given and ends it.
    void installRecordingHandler() const
    {
        const QString sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
        QVERIFY(!sleep.isEmpty());
        writeFile("bin/xdg-open",
                  QStringLiteral("#!/bin/sh\nexec >/dev/null 2>&1 </dev/null\necho $$ > '%1'\n"
                                 "printf '%s\\n' \"$@\" > '%2'\nexec '%3' 20\n")
                      .arg(path("handler.pid"), path("opened.txt"), sleep)
                      .toUtf8(),
                  true);
    }

    QByteArray recordedAddress() const
    {
        const QString handlerPid = path("handler.pid");
        const QString opened = path("opened.txt");
        const auto recorded = [&] {
            return QFile::exists(handlerPid) && QFile(opened).size() > 0;
        };
        if (!QTest::qWaitFor(recorded, 5000))
            return QByteArray();
        QFile pidFile(handlerPid);
        if (pidFile.open(QIODevice::ReadOnly)) {
            const pid_t pid = pid_t(pidFile.readAll().trimmed().toInt());
            if (pid > 0)
                ::kill(pid, SIGTERM);
        }
        QFile record(opened);
        return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
    }

    QProcessEnvironment environment(const QString& pathVariable) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("PATH"), pathVariable);
        return env;
    }

private:
    QTemporaryDir m_dir;
};

const QString launcher = QStringLiteral(DVNRUPDATE_PATH);

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void addressFromCommandLineAndSettings_data();
    void addressFromCommandLineAndSettings();
    void urlEncodesWhatAnAddressCannotCarry_data();
    void urlEncodesWhatAnAddressCannotCarry();
    void commandLineIsTheArgumentsAfterTheProgram_data();
    void commandLineIsTheArgumentsAfterTheProgram();
    void siteAddressIsTheMainProgramsOne();
    void launcherEndsByItselfWithoutHandler_data();
    void launcherEndsByItselfWithoutHandler();
    void launcherHandsTheEncodedAddressToTheDesktop();
    void launcherNeedsNoDisplay_data();
    void launcherNeedsNoDisplay();

private:
    QTemporaryDir m_settingsDir;
};

void TestUpdater::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestUpdater::init()
{
    QSettings(QStringLiteral("Dorvane"), QStringLiteral("Dorvane")).clear();
}

void TestUpdater::addressFromCommandLineAndSettings_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QVariant>("storedLanguage"); // invalid: not stored
    QTest::addColumn<QVariant>("storedVersion");
    QTest::addColumn<QString>("address");

    const QString site = QStringLiteral("https://www.dorvane.com/dvnreplacer/");
    QTest::newRow("nothing given") << "" << QVariant() << QVariant() << site + "deutsch/update/DARU_NotFound.htm";
    QTest::newRow("English and a version")
        << "English" << QVariant() << QVariant("1.01.00") << site + "english/update/DARU_1.01.00.htm";
    QTest::newRow("mixed case") << "DeUtsch" << QVariant() << QVariant("1.01.00")
                                << site + "deutsch/update/DARU_1.01.00.htm";
    QTest::newRow("blanks kept") << " English  UK " << QVariant() << QVariant("1.01.00")
                                 << site + " english  uk /update/DARU_1.01.00.htm";
    QTest::newRow("stored language") << "" << QVariant(u"Français"_qs) << QVariant("1.01.00")
                                     << site + u"français/update/DARU_1.01.00.htm"_qs;
    QTest::newRow("command line before the setting")
        << "English" << QVariant("Deutsch") << QVariant("2.00.00") << site + "english/update/DARU_2.00.00.htm";
    QTest::newRow("a blank is a command line")
        << " " << QVariant("English") << QVariant() << site + " /update/DARU_NotFound.htm";
    QTest::newRow("stored empty texts count as missing")
        << "" << QVariant("") << QVariant("") << site + "deutsch/update/DARU_NotFound.htm";
}

void TestUpdater::addressFromCommandLineAndSettings()
{
    QFETCH(QString, commandLine);
    QFETCH(QVariant, storedLanguage);
    QFETCH(QVariant, storedVersion);
    QFETCH(QString, address);

    {
        QSettings settings(QStringLiteral("Dorvane"), QStringLiteral("Dorvane"));
        if (storedLanguage.isValid())
            settings.setValue(QStringLiteral("Options/Language"), storedLanguage);
        if (storedVersion.isValid())
            settings.setValue(QStringLiteral("Options/Version"), storedVersion);
    }
    const UpdatePage page = UpdatePage::fromSettings(commandLine);
    QCOMPARE(page.address(), address);
    QVERIFY(page.url().isValid());
}

void TestUpdater::urlEncodesWhatAnAddressCannotCarry_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("plain") << "English"
                           << "1.01.00"
                           << QByteArray("https://www.dorvane.com/dvnreplacer/english/update/DARU_1.01.00.htm");
    QTest::newRow("blanks") << " English "
                            << "1.01.00"
                            << QByteArray("https://www.dorvane.com/dvnreplacer/%20english%20/update/DARU_1.01.00.htm");
    QTest::newRow("non-ASCII letters") << u"Français"_qs << "1.01.00"
                                       << QByteArray("https://www.dorvane.com/dvnreplacer/fran%C3%A7ais/update/"
                                                     "DARU_1.01.00.htm");
    QTest::newRow("URL delimiters stay in their segment")
        << "a#b?c/d%"
        << "1.0 beta" << QByteArray("https://www.dorvane.com/dvnreplacer/a%23b%3Fc%2Fd%25/update/DARU_1.0%20beta.htm");
}

void TestUpdater::urlEncodesWhatAnAddressCannotCarry()
{
    QFETCH(QString, language);
    QFETCH(QString, version);
    QFETCH(QByteArray, encoded);

    const QUrl url = UpdatePage(language, version).url();
    QVERIFY(url.isValid());
    QCOMPARE(url.host(), QStringLiteral("www.dorvane.com"));
    QCOMPARE(url.toEncoded(), encoded);
    QVERIFY(url.query().isEmpty() && url.fragment().isEmpty());
}

void TestUpdater::commandLineIsTheArgumentsAfterTheProgram_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("commandLine");

    QTest::newRow("none") << QStringList {"DVNRUpdate"} << "";
    QTest::newRow("one word") << QStringList {"DVNRUpdate", "English"} << "English";
    QTest::newRow("quoted blanks") << QStringList {"DVNRUpdate", " English "} << " English ";
    QTest::newRow("several words") << QStringList {"DVNRUpdate", "English", "UK"} << "English UK";
}

void TestUpdater::commandLineIsTheArgumentsAfterTheProgram()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, commandLine);
    QCOMPARE(UpdatePage::commandLineText(arguments), commandLine);
}

void TestUpdater::siteAddressIsTheMainProgramsOne()
{
    QCOMPARE(dorvane::updater::SiteAddress, dorvane::ProductSiteAddress);
}

void TestUpdater::launcherEndsByItselfWithoutHandler_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("settings");

    QTest::newRow("no command line, no settings") << QStringList() << QByteArray();
    QTest::newRow("language and stored version")
        << QStringList {"English"} << QByteArray("[Options]\nVersion=1.01.00\n");
}

void TestUpdater::launcherEndsByItselfWithoutHandler()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, settings);

    LauncherSandbox sandbox;
    if (!settings.isEmpty())
        sandbox.writeSettings(settings);
    // Neither a display nor a platform is named.
    const QProcessEnvironment env = sandbox.environment(sandbox.path("bin"));

    QProcess process;
    process.setProcessEnvironment(env);
    process.start(launcher, arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    // It must end on its own shortly after start; a few seconds leave room for a loaded machine.
    const bool ended = process.waitForFinished(3000);
    if (!ended)
        process.kill();
    QVERIFY2(ended, process.readAllStandardError().constData());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestUpdater::launcherHandsTheEncodedAddressToTheDesktop()
{
    // On a virtual X display, where a GUI program would find one: the address still goes to "xdg-open",
    // here a stand-in that records it and then stays busy like a browser.
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString env = QStandardPaths::findExecutable(QStringLiteral("env"));
    if (xvfbRun.isEmpty() || env.isEmpty())
        QSKIP("xvfb-run is not installed");

    LauncherSandbox sandbox;
    sandbox.writeSettings("[Options]\nLanguage=Deutsch\nVersion=1.01.00\n");
    sandbox.installRecordingHandler();

    QProcess process;
    process.setProcessEnvironment(sandbox.environment(qEnvironmentVariable("PATH")));
    process.start(xvfbRun,
                  {"-a", "-s", "-nolisten tcp", env, "PATH=" + sandbox.path("bin"), "QT_QPA_PLATFORM=xcb", launcher,
                   u"Français"_qs, "Suisse"});
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    // Far less than the handler's 20 seconds: the launcher never waits for the browser.
    const bool ended = process.waitForFinished(10000);
    if (!ended)
        process.kill();
    QVERIFY2(ended, process.readAllStandardError().constData());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(sandbox.recordedAddress(),
             QByteArray("https://www.dorvane.com/dvnreplacer/fran%C3%A7ais%20suisse/update/DARU_1.01.00.htm\n"));
}

void TestUpdater::launcherNeedsNoDisplay_data()
{
    QTest::addColumn<QStringList>("environment"); // NAME=value beside HOME, the settings folder and PATH

    QTest::newRow("no display, no platform named") << QStringList();
    QTest::newRow("an X display that cannot be reached") << QStringList {"DISPLAY=:5917"};
    QTest::newRow("a Wayland display that cannot be reached") << QStringList {"WAYLAND_DISPLAY=dorvane-none"};
    QTest::newRow("the X platform named, no display") << QStringList {"QT_QPA_PLATFORM=xcb"};
}

void TestUpdater::launcherNeedsNoDisplay()
{
    QFETCH(QStringList, environment);

    LauncherSandbox sandbox;
    sandbox.writeSettings("[Options]\nVersion=1.01.00\n");
    sandbox.installRecordingHandler();
    // The sandbox's environment names no display and no platform; a row adds what it tries.
    QProcessEnvironment env = sandbox.environment(sandbox.path("bin"));
    for (const QString& variable : environment)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));

    QProcess process;
    process.setProcessEnvironment(env);
    process.start(launcher, {QStringLiteral("English")});
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    const bool ended = process.waitForFinished(5000);
    if (!ended)
        process.kill();
    const QByteArray errors = process.readAllStandardError();
    QVERIFY2(ended, errors.constData());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, errors.constData());
    QCOMPARE(sandbox.recordedAddress(),
             QByteArray("https://www.dorvane.com/dvnreplacer/english/update/DARU_1.01.00.htm\n"));
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
