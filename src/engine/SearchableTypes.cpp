#include "engine/SearchableTypes.h"

#include "datasource/DataTypeLayout.h"
#include "datasource/MemoryRecordSet.h"
#include "engine/DataTypeTable.h"

#include <atomic>

namespace dorvane {

namespace {

std::optional<SearchableTypes::TableVersion> versionOf(const QString& path)
{
    const quint64 saves = MemoryRecordSet::saveGeneration();
    const std::optional<FileVersion> file = FileVersion::of(path);
    if (!file)
        return std::nullopt;
    return SearchableTypes::TableVersion {*file, saves};
}

// A file modified this recently may be changed again within the same tick of the file system's clock
// without its version changing; its rows are then not trusted beyond the current lookup.
std::atomic<qint64> settleNs {DefaultFileSettleNs};

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
    std::optional<TableVersion> version = versionOf(m_path);
    if (!version) {
        BuildDataTypeTable(m_path);
        version = versionOf(m_path);
    }
    if (!version || version != m_version) {
        m_version.reset();
        readTypes();
        if (version && version->file.isSettled(settleNs))
            m_version = version;
    }
    const auto entry = m_types.constFind(adoType);
    return entry != m_types.constEnd() && entry->rows == 1 && entry->check;
}

} // namespace dorvane
