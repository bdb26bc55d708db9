#include "core/LanguageFolder.h"

#include "core/AppState.h"

#include <QDir>
#include <QFileInfo>

namespace dorvane {

namespace {

const QString LngEnding = QStringLiteral(".lng");

QString languageFolder()
{
    return appState().programPath(QStringLiteral("\\lang\\"));
}

} // namespace

QStringList LanguageFolder::languageNames()
{
    const QDir folder(languageFolder());
    QStringList names;
    for (QString name : folder.entryList(QDir::Files, QDir::Unsorted)) {
        name.remove(LngEnding, Qt::CaseInsensitive);
        names.append(name);
    }
    return names;
}

QString LanguageFolder::filePath(const QString& languageName)
{
    const QString exact = languageFolder() + languageName + LngEnding;
    if (QFileInfo::exists(exact))
        return exact;
    const QString wanted = languageName + LngEnding;
    const QDir folder(languageFolder());
    for (const QString& name : folder.entryList(QDir::Files, QDir::Unsorted)) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return exact;
}

} // namespace dorvane
