#include "datasource/DataTypeLayout.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/AdtgReader.h"
#include "datasource/AdtgWriter.h"
#include "datasource/MemoryRecordSet.h"

namespace dorvane {

void appendDataTypeFields(MemoryRecordSet& recordSet)
{
    recordSet.AppendField(DataTypeField, ado::adLongVarWChar, 64, ado::adFldUnspecified);
    recordSet.AppendField(CheckField, ado::adBoolean, 0, ado::adFldUnspecified);
    recordSet.AppendField(AdoNrField, ado::adInteger, 0, ado::adFldUnspecified);
}

bool proveRecordSetsWork()
{
    try {
        MemoryRecordSet recordSet;
        appendDataTypeFields(recordSet);
        recordSet.Open();
        recordSet.AddNew();
        recordSet.Fields(0).setValue(QStringLiteral("BigInt"));
        recordSet.Fields(1).setValue(true);
        recordSet.Fields(2).setValue(ado::adBigInt);
        recordSet.Update();
        recordSet.UpdateBatch();
        // The persisted form must carry the row unchanged, or no table file could be trusted.
        const RecordTable copy = AdtgReader::read(AdtgWriter::write(recordSet.table()), QStringLiteral("(memory)"));
        const bool same = copy.fields == recordSet.table().fields && copy.rows.size() == 1
            && copy.rows[0].values == recordSet.table().rows[0].values;
        recordSet.Close();
        return same;
    } catch (const DataError&) {
        return false;
    }
}

} // namespace dorvane
