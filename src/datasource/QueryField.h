// One column of a query or schema record set: its name, ADO type number and size, and its value in the
// current row. Fields belong to their record set: a reference stays valid until the record set is
// closed or opened again. UI thread only.
#pragma once

#include "datasource/OdbcTypeMapping.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace dorvane {

class QueryField
{
public:
    // Fields are made by their record sets; a default-made field has no row.
    QueryField() = default;

    const QString& Name() const { return m_name; }
    // ADO DataTypeEnum number (see OdbcTypeMapping).
    int Type() const { return m_type; }
    // Characters for text, bytes for binary; for every other type the number of characters its values
    // need when shown as text (ODBC's display size), which is what an editor's length limit wants.
    int DefinedSize() const { return m_definedSize; }

    // The value in the current row, null for NULL (value types in OdbcTypeMapping's ValueKind).
    // Throws DataError when the record set has no current row.
    const QVariant& Value() const;

    // Gives the field a new value in the current row; the record set's Update writes it. A text written
    // into a field of another type is converted with the system locale (see FieldInputConversion).
    // Throws DataError when the value does not fit the field or the record set cannot be changed.
    void setValue(const QVariant& value);

    // The value the row had when it was read, before setValue.
    const QVariant& OriginalValue() const { return m_changed ? m_original : value(); }

    // A text value as the driver's UTF-8 bytes while nothing has asked for its value yet, else null: a
    // walk can turn a value away on its bytes without decoding it. Valid until the record set moves.
    const QByteArray* undecodedUtf8() const { return m_undecoded ? &m_utf8 : nullptr; }

    bool isChanged() const { return m_changed; }

    // How the column travels through ODBC: its value kind, the driver's SQL type, size and digits, and
    // for the kinds that travel as text (see DriverText) the driver's text of the value as read.
    odbctypes::ValueKind valueKind() const { return m_kind; }
    int sqlType() const { return m_sqlType; }
    quint64 columnSize() const { return m_columnSize; }
    int decimalDigits() const { return m_decimalDigits; }
    const QString& storedText() const { return m_storedText; }
    // The server's name of the column's type (SQL_DESC_TYPE_NAME), e.g. "varchar"; may be empty.
    const QString& serverTypeName() const { return m_serverTypeName; }

private:
    friend class QueryRecordSet;
    friend class SchemaRecordSet;
    friend class RowUpdate;
    friend class IdentifiedRow;

    QString m_name;
    int m_type = 0;
    int m_definedSize = 0;
    odbctypes::ValueKind m_kind = odbctypes::ValueKind::Text;
    short m_sqlType = 0;
    quint64 m_columnSize = 0;
    short m_decimalDigits = 0;
    QString m_serverTypeName;

    // The value as read, decoded from m_utf8 on first use; everything in the record set reads and writes
    // it through value(), so that a decoded value never comes from the bytes of another row.
    const QVariant& value() const
    {
        if (m_undecoded)
            decodeText();
        return m_value;
    }
    QVariant& value()
    {
        if (m_undecoded)
            decodeText();
        return m_value;
    }
    void decodeText() const;
    // Keeps the bytes of a text value; the QString of the row before stays for the decoding to reuse.
    void keepUtf8() { m_undecoded = true; }
    // The room of a long value is not kept for the short values of the rows after it.
    void releaseLongUtf8() const
    {
        if (m_utf8.capacity() > qsizetype(1) << 20)
            m_utf8 = QByteArray();
    }

    mutable QVariant m_value;
    mutable QByteArray m_utf8;
    mutable bool m_undecoded = false;
    // Dates, times, decimals and GUIDs also keep the driver's own text: compared in an UPDATE's WHERE it
    // matches what is stored, where a re-formatted value might not ("10:20:30" against "10:20:30.000").
    // So do doubles on a connection that rounds them to text (Connection::roundsRealsToText).
    QString m_storedText;
    QVariant m_original;
    bool m_changed = false;
    bool m_wideInteger = false; // an integer column whose source stores 64 bits (see Connection)
    bool m_onRow = false;
    bool m_writable = false;
};

} // namespace dorvane
