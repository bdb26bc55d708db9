#include "datasource/FileDriverTable.h"

#include "core/AdoTypes.h"
#include "core/AppState.h"
#include "datasource/SysTableFile.h"

namespace dorvane {

namespace {

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
#else
    return c == QLatin1Char('/');
#endif
}

} // namespace

QString fileExtensionOf(const QString& fileName)
{
    const QString lower = fileName.toLower();
    qsizetype start = lower.size();
    while (start > 0 && !isSeparator(lower[start - 1]))
        --start;
    const qsizetype dot = lower.lastIndexOf(QLatin1Char('.'));
    return dot >= start ? lower.mid(dot + 1) : QString();
}

namespace {

const QString TableKind = QStringLiteral("file-driver table");

QStringList tableFields()
{
    return {FileDriverRow::ExtField, FileDriverRow::StrField, FileDriverRow::FileField};
}

} // namespace

QString sqliteFileTemplate()
{
    return QStringLiteral("Driver={SQLite3};Database=<path>;");
}

QString accessFileTemplate()
{
    return QStringLiteral("Driver={MDBTools};DBQ=<path>;");
}

const QList<FileDriverRow>& defaultFileDriverRows()
{
    // The drivers a Linux machine has: SQLite3 (libsqliteodbc) and MDB Tools (odbc-mdbtools, reads only).
    // The desktop drivers of Windows (Excel, dBASE, Paradox, Text) have no counterpart here; their rows
    // would only fail with "Can't open lib", and the Paradox row would take ".db" away from SQLite.
    static const QList<FileDriverRow> rows {
        {QStringLiteral("mdb"), accessFileTemplate(), true},
        {QStringLiteral("dsn"), QStringLiteral("FILEDSN=<path>;Uid=;Pwd=;"), true},
        {QStringLiteral("udl"), QStringLiteral("FILEDSN=<path>;Uid=;Pwd=;"), true},
        {QStringLiteral("db"), sqliteFileTemplate(), true},
        {QStringLiteral("db3"), sqliteFileTemplate(), true},
        {QStringLiteral("sl3"), sqliteFileTemplate(), true},
    };
    return rows;
}

QString fileDriverTablePath()
{
    return appState().programPath(QStringLiteral("\\sys\\fdrv.dat"));
}

MemoryRecordSet BuildFileDriverTable(const QString& path)
{
    MemoryRecordSet table;
    table.AppendField(FileDriverRow::ExtField, ado::adChar, 3, ado::adFldKeyColumn);
    table.AppendField(FileDriverRow::StrField, ado::adLongVarWChar, 256, ado::adFldUnspecified);
    table.AppendField(FileDriverRow::FileField, ado::adBoolean, 0, ado::adFldUnspecified);
    table.Open();
    for (const FileDriverRow& row : defaultFileDriverRows()) {
        table.AddNew();
        table.Fields(FileDriverRow::ExtField).setValue(row.Ext);
        table.Fields(FileDriverRow::StrField).setValue(row.Str);
        table.Fields(FileDriverRow::FileField).setValue(row.File);
        table.Update();
    }
    // Committed rows: the file then reads as the state after a write-back, not as pending inserts.
    table.UpdateBatch();
    table.Save(path);
    table.MoveFirst();
    return table;
}

MemoryRecordSet openFileDriverTable(MemoryRecordSet::LockType lockType)
{
    return openSysTable(fileDriverTablePath(), lockType, TableKind, tableFields(), BuildFileDriverTable);
}

FileDriverRow currentFileDriverRow(MemoryRecordSet& table)
{
    return {FileDriverRow::withoutPadding(table.Fields(FileDriverRow::ExtField).Value().toString()),
            table.Fields(FileDriverRow::StrField).Value().toString(),
            table.Fields(FileDriverRow::FileField).Value().toBool()};
}

QString fileDriverPatterns(MemoryRecordSet& table)
{
    QString patterns;
    const int count = table.RecordCount();
    if (count == 0)
        return patterns;
    table.MoveFirst();
    for (int i = 0; i < count && !table.isEOF(); ++i) {
        patterns += QStringLiteral("*.") + currentFileDriverRow(table).Ext + QLatin1Char(';');
        table.MoveNext();
    }
    return patterns;
}

std::optional<FileDriverRow> findFileDriver(MemoryRecordSet& table, const QString& fileName)
{
    const QString extension = fileExtensionOf(fileName);
    if (extension.isEmpty())
        return std::nullopt;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        FileDriverRow row = currentFileDriverRow(table);
        if (row.Ext.toLower() == extension)
            return row;
    }
    return std::nullopt;
}

QString parentFolderName(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && !isSeparator(path[end - 1]))
        --end;
    if (end == 0)
        return {};
    qsizetype folderEnd = end - 1;
    while (folderEnd > 0 && isSeparator(path[folderEnd - 1]))
        --folderEnd;
    if (folderEnd == 0)
        return path.left(1); // the root keeps its separator
#ifdef Q_OS_WIN
    if (folderEnd == 2 && path[1] == QLatin1Char(':'))
        return path.left(3); // "C:\"
#endif
    return path.left(folderEnd);
}

QString fileDriverConnectionString(const FileDriverRow& row, const QString& fileName)
{
    QString text = row.Str;
    return text.replace(QStringLiteral("<path>"), row.File ? fileName : parentFolderName(fileName), Qt::CaseSensitive);
}

void saveFileDriverTable(MemoryRecordSet& table)
{
    saveSysTable(table, fileDriverTablePath());
}

} // namespace dorvane
