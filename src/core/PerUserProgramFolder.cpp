#include "core/PerUserProgramFolder.h"

#include "core/ProductInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace dorvane {

namespace {

const QString SysFolder = QStringLiteral("sys");

// The installed folders that are only read: shared through links, never copied.
const QString LinkedFolders[] = {QStringLiteral("lang"), QStringLiteral("help")};

void copyIfMissing(const QString& from, const QString& to)
{
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink() || !QFileInfo(from).isFile())
        return;
    if (!QFile::copy(from, to))
        return;
    // The copy keeps the installed file's mode, which may be read-only; it is the user's file now.
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void linkFolder(const QString& target, const QString& link)
{
    if (!QFileInfo(target).isDir())
        return;
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        if (QFileInfo(existing.symLinkTarget()) == QFileInfo(target))
            return;
        if (!QFile::remove(link))
            return;
    } else if (existing.exists()) {
        return;
    }
    QFile::link(target, link);
}

} // namespace

QString PerUserProgramFolder::location()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return QString();
    return data + QStringLiteral("/dorvane");
}

bool PerUserProgramFolder::prepare(const QString& installedFolder, const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    const QDir installed(installedFolder);
    const QDir target(folder);
    copyIfMissing(installed.filePath(IniFileName), target.filePath(IniFileName));

    if (target.mkpath(SysFolder)) {
        const QDir installedSys(installed.filePath(SysFolder));
        const QDir targetSys(target.filePath(SysFolder));
        for (const QString& name : installedSys.entryList(QDir::Files))
            copyIfMissing(installedSys.filePath(name), targetSys.filePath(name));
    }

    for (const QString& name : LinkedFolders)
        linkFolder(installed.filePath(name), target.filePath(name));
    return true;
}

} // namespace dorvane
