#include "datasource/FileDriverEntry.h"

#include "core/DataError.h"

namespace dorvane {

namespace {

const QString ExtField = QStringLiteral("Ext");
const QString StrField = QStringLiteral("Str");
const QString FileField = QStringLiteral("File");

// The fixed-width Ext column pads "db" to "db ": a typed extension is what remains without the blanks
// that padding would add, so "db" and "db " are the same extension.
QString withoutPadding(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// Compared exactly otherwise (case-sensitive): "MDB" is another extension than "mdb".
bool extensionTaken(MemoryRecordSet& table, const QString& extension, std::optional<int> skippedPosition)
{
    const QString typed = withoutPadding(extension);
    int position = 0;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext(), ++position) {
        if (skippedPosition && position == *skippedPosition)
            continue;
        if (withoutPadding(table.Fields(ExtField).Value().toString()) == typed)
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
    const qsizetype length = withoutPadding(entry.Ext).size();
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
        for (const QString& name : {ExtField, StrField, FileField})
            previous.append(table.Fields(name).Value());
    } else {
        table.AddNew();
    }
    QString oneLine = entry.Str;
    oneLine.remove(QLatin1String("\r\n"));
    try {
        table.Fields(ExtField).setValue(entry.Ext);
        table.Fields(StrField).setValue(oneLine);
        table.Fields(FileField).setValue(entry.File);
        table.Update();
    } catch (const DataError&) {
        // A refused value must not leave a half-written row behind in the open table.
        if (editedPosition) {
            table.Fields(ExtField).setValue(previous[0]);
            table.Fields(StrField).setValue(previous[1]);
            table.Fields(FileField).setValue(previous[2]);
        } else {
            table.Delete();
        }
        throw;
    }
}

} // namespace dorvane
