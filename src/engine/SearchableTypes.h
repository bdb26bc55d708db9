// Which ADO types a run searches, as one data-type table file says: the engine's question of the
// table, answered for one program folder. A run keeps one instance, so two runs over two program folders
// can live in one process. Thread-safe.
#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace dorvane {

class SearchableTypes
{
public:
    // `path` is the table file ("sys/dtype.dat" of a program folder).
    explicit SearchableTypes(QString path);

    const QString& path() const { return m_path; }

    // True when exactly one row of the table carries `adoType` as AdoNr and its Check is set; no row or
    // several rows mean false. Creates the file with the defaults when it is missing (a missing folder is
    // the record set's DataError). Always answers from the file as it is now: its rows are reused only
    // while the file's identity, times and size and this process's save count are unchanged, and only for
    // a file that has not changed for two seconds, so a change saved a moment earlier, by this program or
    // another, is seen by the next call.
    bool isSearchable(int adoType);

    // How long after a change the file is read afresh at every lookup (two seconds). Use only for
    // testing: 0 lets a test reach the reuse of cached rows at once.
    static void setSettleTimeForTesting(qint64 nanoseconds);

    // What tells one version of the table file from another. The inode changes with every save (saves
    // replace the file), the times and size with any other writer; the process's save count covers two
    // saves within one tick of the file system's clock.
    struct FileVersion
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        qint64 size = 0;
        quint64 saves = 0;

        bool operator==(const FileVersion&) const = default;
    };

private:
    struct TypeEntry
    {
        int rows = 0;
        bool check = false;
    };

    void readTypes();

    QString m_path;
    QMutex m_mutex;
    std::optional<FileVersion> m_version; // set only while the rows below may be reused
    QHash<int, TypeEntry> m_types;
};

} // namespace dorvane
