#include "engine/DataTypeTable.h"

#include "engine/SearchableTypes.h"

#include "core/AppState.h"
#include "datasource/DataTypeLayout.h"
#include "datasource/SysTableFile.h"

#include <QMutex>

#include <memory>

namespace dorvane {

namespace {

const QString TableKind = QStringLiteral("data-type table");

QStringList tableFields()
{
    return {DataTypeField, CheckField, AdoNrField};
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
    // One lookup for the program folder of the moment: tests and the plug-in host may change it.
    static QMutex mutex;
    static std::unique_ptr<SearchableTypes> types;
    QMutexLocker lock(&mutex);
    const QString path = dataTypeTablePath();
    if (!types || types->path() != path)
        types = std::make_unique<SearchableTypes>(path);
    return types->isSearchable(adoType);
}

MemoryRecordSet readDataTypeTable(const QString& path)
{
    MemoryRecordSet table;
    table.Open(path);
    requireSysTableFields(table, path, TableKind, tableFields());
    return table;
}

void saveDataTypeTable(MemoryRecordSet& table)
{
    saveSysTable(table, dataTypeTablePath());
}

} // namespace dorvane
