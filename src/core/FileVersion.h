// What tells one version of a file from another, for the tables and settings files that the program
// reads at every use but need not parse again while they stay as they are: device and inode (a save
// that replaces the file gives a new one), size, and the times of the last change of content and of
// the inode in nanoseconds (any other writer moves the latter, even one that puts the old modification
// time back).
//
// Two writes within one tick of the file system's clock can leave all of these equal. A version is
// therefore only trusted once it has settled: when both times lie further back than the settle time.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace dorvane {

struct FileVersion
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    // The version of the file at path now, or nothing when it does not exist or cannot be examined.
    static std::optional<FileVersion> of(const QString& path);

    // True when the file's content and inode last changed at least settleNs ago, so that a later change
    // must show in this version.
    bool isSettled(qint64 settleNs) const;

    bool operator==(const FileVersion&) const = default;
};

// Two seconds: longer than the coarsest clock of the file systems a program folder lives on (FAT).
constexpr qint64 DefaultFileSettleNs = 2'000'000'000;

} // namespace dorvane
