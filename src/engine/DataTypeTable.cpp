#include "engine/DataTypeTable.h"

#include "core/AppState.h"
#include "core/FileVersion.h"
#include "datasource/DataTypeLayout.h"
#include "datasource/SysTableFile.h"

#include <QHash>
#include <QMutex>

#include <atomic>
#include <optional>

namespace dorvane {

namespace {

// A version of the table file: the file's own, and the process's save count, which covers two saves
// within one tick of the file system's clock.
struct TableVersion
{
    QString path;
    FileVersion file;
    quint64 saves = 0;

    bool operator==(const TableVersion&) const = default;
};

std::optional<TableVersion> versionOf(const QString& path)
{
    const quint64 saves = MemoryRecordSet::saveGeneration();
    const std::optional<FileVersion> file = FileVersion::of(path);
    if (!file)
        return std::nullopt;
    return TableVersion {path, *file, saves};
}

struct TypeEntry
{
    int rows = 0;
    bool check = false;
};

// A file modified this recently may be changed again within the same tick of the file system's clock
// without its version changing; its rows are then not trusted beyond the current lookup.
std::atomic<qint64> settleNs {DefaultFileSettleNs};

struct LookupCache
{
    QMutex mutex;
    std::optional<TableVersion> version; // set only while the rows below may be reused
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
    std::optional<TableVersion> version = versionOf(path);
    if (!version) {
        BuildDataTypeTable(path);
        version = versionOf(path);
    }
    if (!version || version != cache.version) {
        cache.version.reset();
        cache.types = readTypes(path);
        if (version && version->file.isSettled(settleNs))
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
