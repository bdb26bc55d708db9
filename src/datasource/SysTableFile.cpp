#include "datasource/SysTableFile.h"

#include "datasource/RecordSetError.h"

#include <QFileInfo>

namespace dorvane {

void requireSysTableFields(MemoryRecordSet& table, const QString& path, const QString& kind, const QStringList& fields)
{
    for (const QString& name : fields) {
        if (table.fieldIndex(name) < 0)
            throw recordSetError(
                QStringLiteral("The file \"%1\" is no %2: it has no field \"%3\".").arg(path, kind, name));
    }
}

MemoryRecordSet openSysTable(const QString& path, MemoryRecordSet::LockType lockType, const QString& kind,
                             const QStringList& fields, SysTableBuilder build)
{
    if (!QFileInfo::exists(path))
        return build(path);
    MemoryRecordSet table;
    table.Open(path, lockType);
    requireSysTableFields(table, path, kind, fields);
    return table;
}

void saveSysTable(MemoryRecordSet& table, const QString& path)
{
    table.UpdateBatch();
    table.Save(path);
    table.Close();
}

} // namespace dorvane
