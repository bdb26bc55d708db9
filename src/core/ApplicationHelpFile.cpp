#include "core/ApplicationHelpFile.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>

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
    return appState().programPath(QStringLiteral("\\help\\") + language + HelpFileSuffix);
}

std::optional<QString> existingHelpFile(const QString& helpFile)
{
    if (helpFile.isEmpty())
        return std::nullopt;
    const QFileInfo manual(helpFile);
    if (manual.isFile())
        return helpFile;
    const QString fallback = manual.dir().filePath(HelpFallbackLanguage + HelpFileSuffix);
    if (QFileInfo(fallback).isFile())
        return fallback;
    return std::nullopt;
}

} // namespace dorvane
