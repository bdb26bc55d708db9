#include "core/ApplicationHelpFile.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"

namespace dorvane {

namespace {

QString& helpFile()
{
    static QString path;
    return path;
}

} // namespace

void setApplicationHelpFile(const QString& path)
{
    helpFile() = path;
}

QString applicationHelpFile()
{
    return helpFile();
}

QString helpFileForIniLanguage()
{
    const QString language = ReadIniValue(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage, 256);
    return appState().programPath(QStringLiteral("\\help\\") + language + QStringLiteral(".chm"));
}

} // namespace dorvane
