// An unconnected, in-memory record set: what ADO offers as a fabricated client-side Recordset. Columns
// are appended while it is closed; it is then opened empty (and updatable) or from a file saved in the
// ADTG format. Changes stay pending per row, as in ADO's batch mode, until UpdateBatch commits them;
// Save persists rows together with their pending state, exactly as ADO would.
//
// Failures raise the record-set DataError (source "Dorvane.Recordset"). Not thread-safe; one user at a
// time, as the program's table files are used.
#pragma once

#include "core/AdoTypes.h"
#include "datasource/MemoryField.h"
#include "datasource/RecordTable.h"

#include <QString>

namespace dorvane {

class MemoryRecordSet
{
public:
    enum class LockType
    {
        ReadOnly, // ADO's default for a file: rows can be read only
        Optimistic, // rows can be added, changed and deleted
    };

    // Fields.Append. Only while closed. Fixed-width types get their natural width as defined size; text
    // and binary types need a defined size above 0. Attributes -1 (unspecified) and the bits ADO adds
    // itself follow adtg::appendedField.
    void AppendField(const QString& name, int type, int definedSize = 0, int attributes = ado::adFldUnspecified,
                     int precision = 0, int numericScale = 0);
    int FieldCount() const { return int(m_table.fields.size()); }
    // Fields(index) and Fields(name): the name is compared case-insensitively, as ADO does. Throws the
    // record-set DataError for an unknown field.
    MemoryField Fields(int index);
    MemoryField Fields(const QString& name);
    const FieldDefinition& fieldDefinition(int index) const;
    int fieldIndex(const QString& name) const; // -1 when there is no such field

    // Opens with no source: empty and updatable. Needs at least one appended field.
    void Open();
    // Opens a file saved with Save (or by ADO with adPersistADTG); its columns replace any appended ones.
    // Throws the record-set DataError for a missing, unreadable, truncated or foreign file.
    void Open(const QString& path, LockType lockType = LockType::ReadOnly);
    bool isOpen() const { return m_open; }
    // Releases the rows; the fields stay, as in ADO, so the record set can be opened again.
    void Close();

    void AddNew(); // appends an empty row and makes it current
    void Update(); // commits the current row's edit; fails when a field that cannot be NULL is NULL
    void Delete(); // deletes the current row (adAffectCurrent); it stays current but has no values
    void UpdateBatch(); // commits every pending change (adAffectAll)

    // "Name=value" keeps the rows whose field equals the value (texts compared case-insensitively; the
    // value may be quoted as 'text'); "" shows all rows again. Moves to the first row that is left.
    void setFilter(const QString& filter);
    const QString& Filter() const { return m_filter; }

    void MoveFirst();
    void MoveNext(); // throws at EOF, as ADO does
    bool isEOF() const; // ADO's EOF: no current row after the last
    int RecordCount() const; // rows visible through the filter

    QVariant value(int column) const;
    void setValue(int column, const QVariant& value);

    // Writes the record set in ADTG format. The file is replaced only once the new content is complete,
    // so a failed save leaves the previous file as it was. Every row is saved, whatever the filter.
    void Save(const QString& path) const;

    // The columns and rows with their pending states, for the codec and for tools.
    const RecordTable& table() const { return m_table; }

    // Increases at every successful Save in this process; caches of table files key on it besides the
    // file's identity, so a save is seen at once even within the file system's time resolution.
    static quint64 saveGeneration();

private:
    void requireOpen(const char* operation) const;
    void requireUpdatable(const char* operation) const;
    RecordRow& currentRow(const char* operation);
    const RecordRow& currentRow(const char* operation) const;
    bool passesFilter(const RecordRow& row) const;
    int nextVisible(int from) const;

    RecordTable m_table;
    bool m_open = false;
    LockType m_lockType = LockType::Optimistic;
    int m_current = 0; // index into m_table.rows; == rows.size() at EOF
    QString m_filter;
    int m_filterColumn = -1;
    QVariant m_filterValue;
};

} // namespace dorvane
