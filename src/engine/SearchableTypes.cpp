#include "engine/SearchableTypes.h"

#include "datasource/DataTypeLayout.h"
#include "datasource/MemoryRecordSet.h"
#include "engine/DataTypeTable.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <atomic>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace dorvane {

namespace {

std::optional<SearchableTypes::FileVersion> versionOf(const QString& path)
{
    SearchableTypes::FileVersion version;
    version.saves = MemoryRecordSet::saveGeneration();
#ifdef Q_OS_UNIX
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    version.device = quint64(info.st_dev);
    version.inode = quint64(info.st_ino);
    version.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    version.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    version.size = qint64(info.st_size);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    version.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    version.size = info.size();
#endif
    return version;
}

// A file modified this recently may be changed again within the same tick of the file system's clock
// without its version changing; its rows are then not trusted beyond the current lookup.
std::atomic<qint64> settleNs {2'000'000'000};

qint64 nowNs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

} // namespace

SearchableTypes::SearchableTypes(QString path) : m_path(std::move(path)) { }

void SearchableTypes::setSettleTimeForTesting(qint64 nanoseconds)
{
    settleNs = nanoseconds;
}

void SearchableTypes::readTypes()
{
    MemoryRecordSet table = readDataTypeTable(m_path);
    m_types.clear();
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        const QVariant number = table.Fields(AdoNrField).Value();
        bool ok = false;
        const int adoType = number.toInt(&ok);
        if (number.isNull() || !ok)
            continue;
        TypeEntry& entry = m_types[adoType];
        ++entry.rows;
        entry.check = table.Fields(CheckField).Value().toBool();
    }
}

bool SearchableTypes::isSearchable(int adoType)
{
    QMutexLocker lock(&m_mutex);
    std::optional<FileVersion> version = versionOf(m_path);
    if (!version) {
        BuildDataTypeTable(m_path);
        version = versionOf(m_path);
    }
    if (!version || version != m_version) {
        m_version.reset();
        readTypes();
        const qint64 now = nowNs();
        if (version && now - version->modifiedNs >= settleNs && now - version->changedNs >= settleNs)
            m_version = version;
    }
    const auto entry = m_types.constFind(adoType);
    return entry != m_types.constEnd() && entry->rows == 1 && entry->check;
}

} // namespace dorvane
