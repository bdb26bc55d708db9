#include "datasource/AdtgWriter.h"

#include "core/AdoTypes.h"
#include "datasource/AdtgFormat.h"
#include "datasource/AnsiCodePage.h"
#include "datasource/DecimalNumber.h"
#include "datasource/RecordSetError.h"

#include <QDateTime>
#include <QUuid>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace dorvane {

namespace {

using namespace adtg;

// The fixed blocks ADO writes before the column descriptors. Only the column counts and the row count in
// the result descriptor vary.
constexpr uchar HeaderAndHandlerOptions[] = {
    0x01, 0x07, 'T',  'G',  '!',  0x00, 0x00, 0x00, 0x00, // header: version 0.0, little-endian, ANSI strings
    0x02, 0x19, 0x00, // handler options, 25 bytes
    0xb6, 0x92, 0xf2, 0x3f, 0x04, 0xb2, 0xcf, 0x11, 0x8d, 0x23, 0x00, 0xaa, 0x00, 0x5f, 0xfe, 0x58, // class GUID
    0x01, // update TableGram type
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // original URL, update URL, friendly name: empty
    0x00, 0x00, // async option
};

constexpr uchar ResultDescriptorHead[] = {
    0x03, 0x67, 0x00, // result descriptor, 103 bytes
    0xd2, 0xad, 0x63, 0xf6, 0x02, 0xeb, 0xcf, 0x11, 0xb0, 0xe3, 0x00, 0xaa, 0x00, 0x3f, 0x00, 0x0f, // GUID
    0x00, 0x00, 0x00, // reserved, snapshot cursor, not normalised
};

constexpr uchar ResultDescriptorProperties[] = {
    0x01, 0x00, // one property set: DBPROPSET_ADC
    0xc1, 0x3c, 0x8e, 0xb6, 0xeb, 0x6d, 0xd0, 0x11, 0x8d, 0xf6, 0x00, 0xaa, 0x00, 0x5f, 0xfe, 0x58, //
    0x07, 0x00, // seven properties
    0x0b, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, //
    0x13, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, //
    0x0d, 0x00, 0x00, 0x00, 0x00, 0x00, //
    0x0e, 0x00, 0x00, 0x00, 0x00, 0x00, //
    0x0f, 0x00, 0x00, 0x00, 0x00, 0x00, //
    0x10, 0x00, 0x00, 0x00, 0x00, 0x00, //
    0x12, 0x00, 0x00, 0x00, 0x00, 0x00, //
};

constexpr uchar RecordSetContext[] = {
    0x10, 0x7c, 0x00, // record-set context, 124 bytes
    0x02, 0x00, // two property sets
    0xbe, 0x22, 0xb5, 0xc8, 0xf3, 0x5c, 0xce, 0x11, 0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d, // ROWSET
    0x04, 0x00, //
    0x7f, 0x00, 0x00, 0x00, 0x02, 0x00, 0xff, 0xff, // IRowsetChange
    0x86, 0x00, 0x00, 0x00, 0x02, 0x00, 0xff, 0xff, // IRowsetUpdate
    0x22, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, // command timeout
    0x49, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, // max rows
    0xc1, 0x3c, 0x8e, 0xb6, 0xeb, 0x6d, 0xd0, 0x11, 0x8d, 0xf6, 0x00, 0xaa, 0x00, 0x5f, 0xfe, 0x58, // ADC
    0x05, 0x00, //
    0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x0f, 0x00, 0x00, 0x00, //
    0x05, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, //
    0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x0f, 0x00, 0x00, 0x00, //
    0x07, 0x00, 0x00, 0x00, 0x04, 0x00, 0x32, 0x00, 0x00, 0x00, //
    0x08, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x00, 0x00, 0x00, //
};

constexpr quint8 TokenRow = 0x07;
constexpr quint8 TokenChange = 0x0A;
constexpr quint8 TokenDelete = 0x0C;
constexpr quint8 TokenInsert = 0x0D;
constexpr quint8 TokenEnd = 0x0F;

class Output
{
public:
    template<std::size_t N> void raw(const uchar (&bytes)[N])
    {
        m_bytes.append(reinterpret_cast<const char*>(bytes), N);
    }
    void raw(const QByteArray& bytes) { m_bytes.append(bytes); }
    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u16(quint16 v) { little(v); }
    void u32(quint32 v) { little(v); }
    void u64(quint64 v) { little(v); }
    void utf16(const QString& text)
    {
        for (QChar c : text)
            u16(c.unicode());
    }
    QByteArray take() { return std::move(m_bytes); }

private:
    template<typename T> void little(T v)
    {
        uchar buffer[sizeof(T)];
        qToLittleEndian(v, buffer);
        m_bytes.append(reinterpret_cast<const char*>(buffer), sizeof(T));
    }

    QByteArray m_bytes;
};

[[noreturn]] void refuse(const FieldDefinition& field, int row, const QString& why)
{
    throw recordSetError(
        QStringLiteral("The record set cannot be saved: row %1, field \"%2\": %3.").arg(row + 1).arg(field.name, why));
}

void writeDecimal(Output& out, const FieldDefinition& field, int row, const QVariant& value)
{
    const QString text = value.toString();
    if (field.type == ado::adCurrency) {
        const auto number = DecimalNumber::parse(text, 4);
        const UInt128 limit = number && number->negative ? (UInt128(1) << 63) : (UInt128(1) << 63) - 1;
        if (!number || number->magnitude > limit)
            refuse(field, row, QStringLiteral("\"%1\" is no currency amount").arg(text));
        const quint64 bits = number->negative ? ~quint64(number->magnitude) + 1 : quint64(number->magnitude);
        out.u64(bits);
        return;
    }
    if (field.type == ado::adNumeric) {
        const int scale = std::clamp(field.numericScale, 0, 38);
        const auto number = DecimalNumber::parse(text, scale);
        if (!number)
            refuse(field, row, QStringLiteral("\"%1\" is no decimal number").arg(text));
        out.u8(quint8(field.precision));
        out.u8(quint8(scale));
        out.u8(number->negative && number->magnitude != 0 ? 0 : 1);
        out.u64(quint64(number->magnitude));
        out.u64(quint64(number->magnitude >> 64));
        return;
    }
    // DECIMAL carries its own scale: keep every digit the text has, up to 28.
    const int scale = std::min(std::max(field.numericScale, DecimalNumber::fractionDigits(text)), 28);
    const auto number = DecimalNumber::parse(text, scale);
    if (!number || number->magnitude >> 96)
        refuse(field, row, QStringLiteral("\"%1\" is no decimal number of at most 29 digits").arg(text));
    out.u16(0);
    out.u8(quint8(scale));
    out.u8(number->negative && number->magnitude != 0 ? 0x80 : 0);
    out.u32(quint32(number->magnitude >> 64));
    out.u64(quint64(number->magnitude));
}

double oleDate(const QDateTime& value)
{
    static const QDate base(1899, 12, 30);
    const qint64 days = base.daysTo(value.date());
    const double fraction = value.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the base day the whole part counts back while the fraction still counts forward.
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

void writeText(Output& out, const FieldDefinition& field, int row, const QVariant& value)
{
    const int dbType = dbTypeFor(field.type);
    const Storage storage = storageOf(field);
    QByteArray bytes;
    if (dbType == DbBytes) {
        bytes = value.toByteArray();
    } else if (dbType == DbStr) {
        const auto encoded = ansi::encode(value.toString());
        if (!encoded)
            refuse(field, row, QStringLiteral("the text holds characters outside the Windows-1252 code page"));
        bytes = *encoded;
    } else {
        const QString text = value.toString();
        bytes.reserve(text.size() * 2);
        for (QChar c : text) {
            bytes.append(char(c.unicode() & 0xff));
            bytes.append(char(c.unicode() >> 8));
        }
    }
    switch (storage) {
    case Storage::Fixed: {
        const qint64 width = capacity(field);
        if (bytes.size() > width)
            refuse(field, row, QStringLiteral("the value is longer than the field's %1 bytes").arg(width));
        // ADO pads fixed texts with blanks (U+0020 in wide columns); binary values with zero bytes.
        while (bytes.size() < width) {
            if (dbType == DbBytes) {
                bytes.append('\0');
            } else {
                bytes.append(' ');
                if (dbType == DbWStr)
                    bytes.append('\0');
            }
        }
        out.raw(bytes);
        return;
    }
    case Storage::Prefix1:
        if (bytes.size() > 255)
            refuse(field, row, QStringLiteral("the value is longer than 255 bytes"));
        out.u8(quint8(bytes.size()));
        out.raw(bytes);
        return;
    case Storage::Prefix4:
        if (bytes.size() > std::numeric_limits<qint32>::max())
            refuse(field, row, QStringLiteral("the value is too long"));
        out.u32(quint32(bytes.size()));
        out.raw(bytes);
        return;
    }
}

void writeValue(Output& out, const FieldDefinition& field, int row, const QVariant& value)
{
    const int dbType = dbTypeFor(field.type);
    switch (dbType) {
    case DbBytes:
    case DbStr:
    case DbWStr:
        writeText(out, field, row, value);
        return;
    case DbI1:
    case DbUI1:
        out.u8(quint8(value.toInt()));
        return;
    case DbI2:
    case DbUI2:
        out.u16(quint16(value.toInt()));
        return;
    case DbI4:
    case DbUI4:
        out.u32(quint32(value.toLongLong()));
        return;
    case DbI8:
        out.u64(quint64(value.toLongLong()));
        return;
    case DbUI8:
        out.u64(value.toULongLong());
        return;
    case DbR4: {
        const float f = value.toFloat();
        quint32 bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        out.u32(bits);
        return;
    }
    case DbR8: {
        const double d = value.toDouble();
        quint64 bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        out.u64(bits);
        return;
    }
    case DbCurrency:
    case DbNumeric:
    case DbDecimal:
        writeDecimal(out, field, row, value);
        return;
    case DbDate: {
        const double d = oleDate(value.toDateTime());
        quint64 bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        out.u64(bits);
        return;
    }
    case DbBool:
        out.u16(value.toBool() ? 0xffff : 0);
        return;
    case DbFileTime: {
        static const QDateTime epoch(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC);
        out.u64(quint64(epoch.msecsTo(value.toDateTime())) * 10000);
        return;
    }
    case DbGuid: {
        const QUuid uuid = value.toUuid();
        out.u32(uuid.data1);
        out.u16(uuid.data2);
        out.u16(uuid.data3);
        out.raw(QByteArray(reinterpret_cast<const char*>(uuid.data4), 8));
        return;
    }
    case DbDbDate: {
        const QDate date = value.toDate();
        out.u16(quint16(date.year()));
        out.u16(quint16(date.month()));
        out.u16(quint16(date.day()));
        return;
    }
    case DbDbTime: {
        const QTime time = value.toTime();
        out.u16(quint16(time.hour()));
        out.u16(quint16(time.minute()));
        out.u16(quint16(time.second()));
        return;
    }
    case DbDbTimeStamp: {
        const QDateTime dateTime = value.toDateTime();
        out.u16(quint16(dateTime.date().year()));
        out.u16(quint16(dateTime.date().month()));
        out.u16(quint16(dateTime.date().day()));
        out.u16(quint16(dateTime.time().hour()));
        out.u16(quint16(dateTime.time().minute()));
        out.u16(quint16(dateTime.time().second()));
        out.u32(quint32(dateTime.time().msec()) * 1000000);
        return;
    }
    default:
        refuse(field, row, QStringLiteral("the field type %1 is not supported").arg(field.type));
    }
}

QByteArray bitmap(const QList<bool>& bits, bool padding)
{
    QByteArray map((bits.size() + 7) / 8, padding ? char(0xff) : char(0));
    for (int i = 0; i < bits.size(); ++i) {
        const char mask = char(0x80 >> (i % 8));
        map[i / 8] = bits[i] ? char(map[i / 8] | mask) : char(map[i / 8] & ~mask);
    }
    return map;
}

class TableGramWriter
{
public:
    explicit TableGramWriter(const RecordTable& table) : m_table(table)
    {
        for (int i = 0; i < m_table.fields.size(); ++i) {
            if (m_table.fields[i].isNullable())
                m_nullable.append(i);
        }
    }

    QByteArray write()
    {
        const auto& fields = m_table.fields;
        if (fields.isEmpty() || fields.size() > 0xffff)
            throw recordSetError(
                QStringLiteral("The record set cannot be saved: it has %1 fields.").arg(fields.size()));
        m_out.raw(HeaderAndHandlerOptions);
        m_out.raw(ResultDescriptorHead);
        m_out.u16(quint16(fields.size())); // visible columns
        m_out.u16(quint16(fields.size())); // all columns
        m_out.u16(0); // computed columns
        m_out.u16(0); // table descriptors: ADO writes none for a fabricated record set
        m_out.u16(0); // order-by columns
        m_out.u32(quint32(std::count_if(m_table.rows.begin(), m_table.rows.end(),
                                        [](const RecordRow& row) { return row.isVisible(); })));
        m_out.raw(ResultDescriptorProperties);
        m_out.raw(RecordSetContext);
        for (int i = 0; i < fields.size(); ++i)
            writeColumn(fields[i], i);
        // ADO writes the deleted rows first, then the others in record-set order.
        for (int i = 0; i < m_table.rows.size(); ++i) {
            if (m_table.rows[i].state == RowState::Deleted) {
                writePlain(m_table.rows[i].committedValues(), i);
                m_out.u8(TokenDelete);
            }
        }
        for (int i = 0; i < m_table.rows.size(); ++i)
            writeRow(m_table.rows[i], i);
        m_out.u8(TokenEnd);
        return m_out.take();
    }

private:
    void writeColumn(const FieldDefinition& field, int index)
    {
        if (field.name.isEmpty() || field.name.size() > (0xffff - 29) / 2)
            throw recordSetError(
                QStringLiteral("The record set cannot be saved: field %1 has an empty or too long name.")
                    .arg(index + 1));
        m_out.u8(0x06);
        m_out.u16(quint16(29 + 2 * field.name.size()));
        m_out.raw(QByteArray("\x80\x01\x00", 3)); // present: column name and IsAutoIncrement
        m_out.u16(quint16(index + 1));
        m_out.u16(quint16(field.name.size()));
        m_out.utf16(field.name);
        m_out.u16(quint16(dbTypeFor(field.type)));
        m_out.u32(field.definedSize < 0 ? 0xffffffffu : quint32(field.definedSize));
        m_out.u32(quint32(field.precision));
        m_out.u32(quint32(field.numericScale));
        m_out.u32(quint32(field.attributes));
        m_out.u16(0); // IsAutoIncrement false
        m_out.u16(0xffff); // IsVisible true
    }

    void writePlain(const QList<QVariant>& values, int row)
    {
        m_out.u8(TokenRow);
        QList<bool> present;
        for (int column : m_nullable)
            present.append(!values[column].isNull());
        // ADO sets the unused bits of the presence map.
        m_out.raw(bitmap(present, true));
        for (int i = 0; i < m_table.fields.size(); ++i) {
            if (!values[i].isNull())
                writeValue(m_out, m_table.fields[i], row, values[i]);
            else if (!m_table.fields[i].isNullable())
                refuse(m_table.fields[i], row, QStringLiteral("the field cannot be NULL"));
        }
    }

    // The update map, the force-null map and the values of the touched columns. An inserted row cannot
    // hold a value in an untouched column, so a value there counts as set.
    void writeChanges(const RecordRow& row, int index)
    {
        const int columns = int(m_table.fields.size());
        QList<bool> updated(columns, false);
        QList<bool> forcedNull(columns, false);
        for (int i = 0; i < columns; ++i) {
            const bool touched = (i < row.touched.size() && row.touched.testBit(i))
                || (row.state == RowState::Inserted && !row.values[i].isNull());
            updated[i] = touched && !row.values[i].isNull();
            forcedNull[i] = touched && row.values[i].isNull();
        }
        m_out.raw(bitmap(updated, false));
        m_out.raw(bitmap(forcedNull, false));
        for (int i = 0; i < columns; ++i) {
            if (updated[i])
                writeValue(m_out, m_table.fields[i], index, row.values[i]);
        }
    }

    void writeRow(const RecordRow& row, int index)
    {
        switch (row.state) {
        case RowState::Unchanged:
            writePlain(row.values, index);
            return;
        case RowState::Modified:
            writePlain(row.original, index);
            m_out.u8(TokenChange);
            writeChanges(row, index);
            return;
        case RowState::Inserted:
            m_out.u8(TokenInsert);
            writeChanges(row, index);
            return;
        case RowState::Deleted:
        case RowState::Discarded:
            return;
        }
    }

    const RecordTable& m_table;
    QList<int> m_nullable;
    Output m_out;
};

} // namespace

QByteArray AdtgWriter::write(const RecordTable& table)
{
    return TableGramWriter(table).write();
}

} // namespace dorvane
