#include "TempProgramFolder.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace dorvane::test {

TempProgramFolder::TempProgramFolder(int layout)
{
    QDir dir(m_dir.path());
    if (layout & WithLang)
        dir.mkdir(QStringLiteral("lang"));
    if (layout & WithSys)
        dir.mkdir(QStringLiteral("sys"));
    if (layout & WithHelp)
        dir.mkdir(QStringLiteral("help"));
    dir.mkdir(QStringLiteral(".settings"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral(".settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral(".settings")));
    // The user's data folder (the window's change journal) lies inside the folder too.
    dir.mkdir(QStringLiteral(".data"));
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral(".data")).toLocal8Bit());
    activate();
}

TempProgramFolder::~TempProgramFolder()
{
    appState() = AppState {};
}

QString TempProgramFolder::filePath(const QString& relative) const
{
    return m_dir.path() + QLatin1Char('/') + toNativeSeparators(relative);
}

void TempProgramFolder::writeFile(const QString& relative, const QByteArray& content) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

QByteArray TempProgramFolder::readFile(const QString& relative) const
{
    QFile file(filePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TempProgramFolder::activate(const QString& languageName) const
{
    AppState& state = appState();
    state = AppState {};
    state.AppPath = m_dir.path();
    state.IniPath = filePath(IniFileName);
    if (!languageName.isEmpty()) {
        state.LanguageName = languageName;
        state.LanguageFile = filePath(QStringLiteral("lang/") + languageName + QStringLiteral(".lng"));
    } else {
        state.GermanOnly = true;
    }
}

} // namespace dorvane::test
