#include "core/Startup.h"

#include "core/AppState.h"
#include "core/LanguageFolder.h"
#include "core/PerUserProgramFolder.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "core/StartupPlatform.h"

#include <QFileInfo>

#include <unistd.h>

namespace dorvane {

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString joinLines(std::initializer_list<QString> lines)
{
    QStringList list(lines);
    return list.join(CrLf);
}

bool fileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool folderExists(const QString& path)
{
    return QFileInfo(path).isDir();
}

} // namespace

bool canWriteProgramFolder(const QString& programFolder)
{
    if (::geteuid() == 0)
        return true;
    return ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0;
}

Startup::Startup(StartupPlatform& platform, QString installedFolder)
    : m_platform(platform), m_installedFolder(std::move(installedFolder))
{
}

QString Startup::programFolder()
{
    if (m_programFolder.isEmpty())
        m_programFolder = chooseProgramFolder();
    return m_programFolder;
}

QString Startup::chooseProgramFolder()
{
    const QString perUserFolder = m_platform.perUserProgramFolder();
    if (perUserFolder.isEmpty() || m_platform.isUserAnAdmin(m_installedFolder))
        return m_installedFolder;
    if (PerUserProgramFolder::prepare(m_installedFolder, perUserFolder) && m_platform.isUserAnAdmin(perUserFolder))
        return perUserFolder;
    return m_installedFolder;
}

Startup::Outcome Startup::Main()
{
    // Common controls need no initialisation here. The dialog colour default is written on every start.
    writeUserSetting(QStringLiteral("Options"), QStringLiteral("BGColor"), QStringLiteral("&H8000000F"));
    if (!CheckDataAccess())
        return Outcome::Ended;
    if (!InitIniAndLanguage())
        return Outcome::Ended;
    m_platform.startMainWindow();
    return Outcome::MainWindowStarted;
}

bool Startup::CheckDataAccess()
{
    if (m_platform.proveDataAccess())
        return true;

    AppState& state = appState();
    state.AppPath = programFolder();
    state.IniPath = state.programPath(QStringLiteral("\\") + IniFileName);
    const QString language = ReadIniValue(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage, 256);
    if (language == QLatin1String("Deutsch")) {
        m_platform.showMessage(
            joinLines({QStringLiteral("Es wurde keine gültige MDAC installation auf dem System gefunden."), QString(),
                       QStringLiteral("Informationen über MDAC und wie Sie die letzte Version installieren"),
                       QStringLiteral("können finden Sie in der Hilfe von Dorvane."), QString(),
                       QStringLiteral("Dorvane kann nicht gestartet werden und beendet sich jetzt.")}),
            QString());
    } else if (language == QLatin1String("English")) {
        m_platform.showMessage(joinLines({QStringLiteral("No valid MDAC installation found on the System."), QString(),
                                          QStringLiteral("Please see the Dorvane help for information"),
                                          QStringLiteral("and how to install the latest MDAC version."), QString(),
                                          QStringLiteral("The program can not be started and is terminating now.")}),
                               QString());
    }
    return false;
}

bool Startup::InitIniAndLanguage()
{
    AppState& state = appState();
    state.AppPath = programFolder();

    const QString iniFile = state.programPath(QStringLiteral("\\") + IniFileName);
    if (!fileExists(iniFile)) {
        m_platform.showMessage(joinLines({QStringLiteral("INI Datei nicht gefunden."),
                                          QStringLiteral("Das Programm startet in den Default-Einstellungen.")}),
                               QString());
        CreateIniFile();
    }
    state.IniPath = iniFile;

    const auto germanOnly = [&] {
        state.GermanOnly = true;
        m_platform.showMessage(joinLines({QStringLiteral("Keine Sprachdateien gefunden."),
                                          QStringLiteral("Das Program läuft nur in Deutscher Sprache.")}),
                               QString());
        return true;
    };

    if (!folderExists(state.programPath(QStringLiteral("\\lang")))) {
        WriteIniValue(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage);
        return germanOnly();
    }

    state.LanguageName = ReadIniValue(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage, 256);
    if (state.LanguageName.isEmpty()) {
        state.LanguageName = readUserSetting(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage);
        WriteIniValue(QStringLiteral("Options"), QStringLiteral("Language"), state.LanguageName);
    }

    // A file named "English.LNG" is listed as "English" by the options dialog; it is found here too.
    const QString languageFile = LanguageFolder::filePath(state.LanguageName);
    if (!fileExists(languageFile))
        return germanOnly();

    state.LanguageFile = languageFile;
    state.GermanOnly = false;
    if (m_platform.isUserAnAdmin(state.AppPath))
        return true;

    const QString intro = QStringLiteral("Intro");
    const QString t0
        = ReadLanguageText(intro, QStringLiteral("t0"), QStringLiteral("muss als Administrator ausgeführt werden!"));
    const QString t1 = ReadLanguageText(intro, QStringLiteral("t1"),
                                        QStringLiteral("Klicken Sie rechts auf das Starticon und wählen Sie"));
    const QString t2 = ReadLanguageText(intro, QStringLiteral("t2"), QStringLiteral("'Als Administrator ausführen'. "));
    const QString t3 = ReadLanguageText(intro, QStringLiteral("t3"),
                                        QStringLiteral("Alternativ kann im Eigenschaften-Dialog unter Kompabilität"));
    const QString t4 = ReadLanguageText(intro, QStringLiteral("t4"),
                                        QStringLiteral("die Berechtigungsstufe auf Administrator gesetzt werden."));
    m_platform.showMessage(ProductName + QLatin1Char(' ') + t0 + CrLf + CrLf + t1 + CrLf + t2 + CrLf + t3 + CrLf + t4,
                           ProductName);
    return false;
}

} // namespace dorvane
