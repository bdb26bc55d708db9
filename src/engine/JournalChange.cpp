#include "engine/JournalChange.h"

#include "core/DataError.h"
#include "datasource/DriverText.h"
#include "datasource/QueryRecordSet.h"
#include "engine/RunSession.h"

namespace dorvane {

JournalChange journalChangeOf(const SaveOutcome& outcome, const RunSession& session)
{
    JournalChange change;
    change.table = outcome.position.tableName;
    change.record = outcome.position.record;
    change.row = outcome.row;
    change.field = outcome.fieldName;
    change.oldValue = outcome.oldValue;
    change.newValue = outcome.newValue;
    change.time = QDateTime::currentDateTimeUtc();
    const RunState& state = session.state();
    for (qsizetype i = 0; i < change.row.columns.size(); ++i) {
        QString text;
        if (state.isRecordsetOpen()) {
            try {
                const QueryField& field = std::as_const(*state.RunRecordset).Fields(change.row.columns.at(i));
                // An identity column the save itself changes is named by its value as read; its stored text
                // still is that value's.
                if (drivertext::carriesText(field.valueKind()))
                    text = field.storedText();
            } catch (const DataError&) {
            }
        }
        change.rowTexts.append(text);
    }
    return change;
}

} // namespace dorvane
