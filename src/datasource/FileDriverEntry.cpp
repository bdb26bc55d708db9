#include "datasource/FileDriverEntry.h"

#include "core/DataError.h"

namespace dorvane {

namespace {

// Extensions compare without their padding, otherwise exactly (case-sensitive): "MDB" is another
// extension than "mdb".
bool extensionTaken(MemoryRecordSet& table, const QString& extension, std::optional<int> skippedPosition)
{
    const QString typed = FileDriverRow::withoutPadding(extension);
    int position = 0;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext(), ++position) {
        if (skippedPosition && position == *skippedPosition)
            continue;
        if (FileDriverRow::withoutPadding(table.Fields(FileDriverRow::ExtField).Value().toString()) == typed)
            return true;
    }
    return false;
}

} // namespace

void moveToPosition(MemoryRecordSet& table, int position)
{
    table.MoveFirst();
    for (int i = 0; i < position && !table.isEOF(); ++i)
        table.MoveNext();
}

FileDriverEntryCheck checkFileDriverEntry(MemoryRecordSet& table, const FileDriverRow& entry,
                                          std::optional<int> editedPosition)
{
    const qsizetype length = FileDriverRow::withoutPadding(entry.Ext).size();
    if (length < 1 || length > 3 || entry.Ext.size() > 3)
        return FileDriverEntryCheck::ExtensionLength;
    if (table.RecordCount() > 0) {
        const bool taken = extensionTaken(table, entry.Ext, editedPosition);
        if (editedPosition)
            moveToPosition(table, *editedPosition);
        if (taken)
            return FileDriverEntryCheck::ExtensionExists;
    }
    if (entry.Str.isEmpty())
        return FileDriverEntryCheck::TemplateMissing;
    if (!entry.Str.contains(QLatin1String("<path>"), Qt::CaseInsensitive))
        return FileDriverEntryCheck::PlaceholderMissing;
    return FileDriverEntryCheck::Accepted;
}

void storeFileDriverEntry(MemoryRecordSet& table, const FileDriverRow& entry, std::optional<int> editedPosition)
{
    QList<QVariant> previous;
    if (editedPosition) {
        moveToPosition(table, *editedPosition);
        for (const QString& name : {FileDriverRow::ExtField, FileDriverRow::StrField, FileDriverRow::FileField})
            previous.append(table.Fields(name).Value());
    } else {
        table.AddNew();
    }
    QString oneLine = entry.Str;
    oneLine.remove(QLatin1String("\r\n"));
    try {
        table.Fields(FileDriverRow::ExtField).setValue(entry.Ext);
        table.Fields(FileDriverRow::StrField).setValue(oneLine);
        table.Fields(FileDriverRow::FileField).setValue(entry.File);
        table.Update();
    } catch (const DataError&) {
        // A refused value must not leave a half-written row behind in the open table.
        if (editedPosition) {
            table.Fields(FileDriverRow::ExtField).setValue(previous[0]);
            table.Fields(FileDriverRow::StrField).setValue(previous[1]);
            table.Fields(FileDriverRow::FileField).setValue(previous[2]);
        } else {
            table.Delete();
        }
        throw;
    }
}

} // namespace dorvane
