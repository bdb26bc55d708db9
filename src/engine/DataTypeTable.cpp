#include "engine/DataTypeTable.h"

#include "core/AppState.h"
#include "datasource/DataTypeLayout.h"
#include "datasource/SysTableFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <atomic>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace dorvane {

namespace {

// What tells one version of the table file from another. The inode changes with every save (saves
// replace the file), the times and size with any other writer; the process's save count covers two
// saves within one tick of the file system's clock.
struct FileVersion
{
    QString path;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    qint64 size = 0;
    quint64 saves = 0;

    bool operator==(const FileVersion&) const = default;
};

std::optional<FileVersion> versionOf(const QString& path)
{
    FileVersion version;
    version.path = path;
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

struct TypeEntry
{
    int rows = 0;
    bool check = false;
};

// A file modified this recently may be changed again within the same tick of the file system's clock
// without its version changing; its rows are then not trusted beyond the current lookup.
std::atomic<qint64> settleNs {2'000'000'000};

qint64 nowNs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

struct LookupCache
{
    QMutex mutex;
    std::optional<FileVersion> version; // set only while the rows below may be reused
    QHash<int, TypeEntry> types;
};

LookupCache& lookupCache()
{
    static LookupCache cache;
    return cache;
}

const QString TableKind = QStringLiteral("data-type table");

QStringList tableFields()
{
    return {DataTypeField, CheckField, AdoNrField};
}

QHash<int, TypeEntry> readTypes(const QString& path)
{
    MemoryRecordSet table;
    table.Open(path);
    requireSysTableFields(table, path, TableKind, tableFields());
    QHash<int, TypeEntry> types;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        const QVariant number = table.Fields(AdoNrField).Value();
        bool ok = false;
        const int adoType = number.toInt(&ok);
        if (number.isNull() || !ok)
            continue;
        TypeEntry& entry = types[adoType];
        ++entry.rows;
        entry.check = table.Fields(CheckField).Value().toBool();
    }
    return types;
}

} // namespace

const QList<DataTypeRow>& defaultDataTypeRows()
{
    static const QList<DataTypeRow> rows {
        {QStringLiteral("BigInt"), true, 20},
        {QStringLiteral("Binary"), false, 128},
        {QStringLiteral("Boolean"), true, 11},
        {QStringLiteral("BSTR"), false, 8},
        {QStringLiteral("Chapter"), false, 136},
        {QStringLiteral("Char"), true, 129},
        {QStringLiteral("Currency"), true, 6},
        {QStringLiteral("Date"), true, 7},
        {QStringLiteral("DBDate"), true, 133},
        {QStringLiteral("DBTime"), true, 134},
        {QStringLiteral("DBTimeStamp"), true, 135},
        {QStringLiteral("Decimal"), true, 14},
        {QStringLiteral("Double"), true, 5},
        {QStringLiteral("Empty"), false, 0},
        {QStringLiteral("Error"), false, 10},
        {QStringLiteral("FileTime"), false, 64},
        {QStringLiteral("GUID"), false, 72},
        {QStringLiteral("IDispatch"), false, 9},
        {QStringLiteral("Integer"), true, 3},
        {QStringLiteral("IUnknown"), false, 13},
        {QStringLiteral("LongVarBinary"), false, 205},
        {QStringLiteral("LongVarChar"), true, 201},
        {QStringLiteral("LongVarWChar"), true, 203},
        {QStringLiteral("Numeric"), true, 131},
        {QStringLiteral("PropVariant"), false, 138},
        {QStringLiteral("Single"), true, 4},
        {QStringLiteral("SmallInt"), true, 2},
        {QStringLiteral("TinyInt"), true, 16},
        {QStringLiteral("UnsignedBigInt"), true, 21},
        {QStringLiteral("UnsignedInt"), true, 19},
        {QStringLiteral("UnsignedSmallInt"), true, 18},
        {QStringLiteral("UnsignedTinyInt"), false, 17},
        {QStringLiteral("UserDefined"), false, 132},
        {QStringLiteral("VarBinary"), false, 204},
        {QStringLiteral("VarChar"), true, 200},
        {QStringLiteral("Variant"), true, 12},
        {QStringLiteral("VarNumeric"), true, 139},
        {QStringLiteral("VarWChar"), true, 202},
        {QStringLiteral("WChar"), true, 130},
    };
    return rows;
}

QString dataTypeTablePath()
{
    return appState().programPath(QStringLiteral("\\sys\\dtype.dat"));
}

MemoryRecordSet BuildDataTypeTable(const QString& path)
{
    MemoryRecordSet table;
    appendDataTypeFields(table);
    table.Open();
    for (const DataTypeRow& row : defaultDataTypeRows()) {
        table.AddNew();
        table.Fields(0).setValue(row.DataType);
        table.Fields(1).setValue(row.Check);
        table.Fields(2).setValue(row.AdoNr);
        table.Update();
    }
    // Committed rows: the file then reads as the state after a write-back, not as pending inserts.
    table.UpdateBatch();
    table.Save(path);
    table.MoveFirst();
    return table;
}

MemoryRecordSet openDataTypeTable(MemoryRecordSet::LockType lockType)
{
    return openSysTable(dataTypeTablePath(), lockType, TableKind, tableFields(), BuildDataTypeTable);
}

DataTypeRow currentDataTypeRow(MemoryRecordSet& table)
{
    return {table.Fields(DataTypeField).Value().toString(), table.Fields(CheckField).Value().toBool(),
            table.Fields(AdoNrField).Value().toInt()};
}

bool IsSearchableType(int adoType)
{
    const QString path = dataTypeTablePath();
    LookupCache& cache = lookupCache();
    QMutexLocker lock(&cache.mutex);
    std::optional<FileVersion> version = versionOf(path);
    if (!version) {
        BuildDataTypeTable(path);
        version = versionOf(path);
    }
    if (!version || version != cache.version) {
        cache.version.reset();
        cache.types = readTypes(path);
        const qint64 now = nowNs();
        if (version && now - version->modifiedNs >= settleNs && now - version->changedNs >= settleNs)
            cache.version = version;
    }
    const auto entry = cache.types.constFind(adoType);
    return entry != cache.types.constEnd() && entry->rows == 1 && entry->check;
}

void setDataTypeSettleTimeForTesting(qint64 nanoseconds)
{
    settleNs = nanoseconds;
}

void saveDataTypeTable(MemoryRecordSet& table)
{
    saveSysTable(table, dataTypeTablePath());
}

} // namespace dorvane
