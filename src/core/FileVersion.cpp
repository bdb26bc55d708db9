#include "core/FileVersion.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace dorvane {

std::optional<FileVersion> FileVersion::of(const QString& path)
{
    FileVersion version;
#ifdef Q_OS_UNIX
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    version.device = quint64(info.st_dev);
    version.inode = quint64(info.st_ino);
    version.size = qint64(info.st_size);
    version.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    version.changedNs = qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    version.size = info.size();
    version.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    version.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1'000'000;
#endif
    return version;
}

bool FileVersion::isSettled(qint64 settleNs) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    // A time ahead of the clock (a clock set back, another machine's clock) never counts as settled.
    return now - modifiedNs >= settleNs && now - changedNs >= settleNs;
}

} // namespace dorvane
