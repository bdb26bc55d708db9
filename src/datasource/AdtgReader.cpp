#include "datasource/AdtgReader.h"

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

enum Token : quint8
{
    TokenHeader = 0x01,
    TokenHandlerOptions = 0x02,
    TokenResultDescriptor = 0x03,
    TokenTableDescriptor = 0x05,
    TokenColumnDescriptor = 0x06,
    TokenRow = 0x07,
    TokenChange = 0x0A,
    TokenDelete = 0x0C,
    TokenInsert = 0x0D,
    TokenEnd = 0x0F,
    TokenRecordSetContext = 0x10,
};

// A read position over the whole file that refuses to step past its end.
class Cursor
{
public:
    Cursor(const QByteArray& data, const QString& fileName) : m_data(data), m_fileName(fileName) { }

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }

    [[noreturn]] void fail(const QString& what) const
    {
        throw recordSetError(
            QStringLiteral("The file \"%1\" cannot be read as a saved record set (ADTG): %2.").arg(m_fileName, what));
    }

    void need(qint64 count, const QString& what) const
    {
        if (count < 0 || count > remaining())
            fail(QStringLiteral("it ends at byte %1 inside %2").arg(m_data.size()).arg(what));
    }

    const uchar* take(qint64 count, const QString& what)
    {
        need(count, what);
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData()) + m_pos;
        m_pos += count;
        return p;
    }

    void skip(qint64 count, const QString& what) { take(count, what); }
    quint8 u8(const QString& what) { return *take(1, what); }
    quint8 peek() const { return static_cast<quint8>(m_data[m_pos]); }
    quint16 u16(const QString& what) { return qFromLittleEndian<quint16>(take(2, what)); }
    quint32 u32(const QString& what) { return qFromLittleEndian<quint32>(take(4, what)); }
    quint64 u64(const QString& what) { return qFromLittleEndian<quint64>(take(8, what)); }
    QByteArray bytes(qint64 count, const QString& what)
    {
        const uchar* p = take(count, what);
        return QByteArray(reinterpret_cast<const char*>(p), count);
    }

private:
    const QByteArray& m_data;
    const QString& m_fileName;
    qsizetype m_pos = 0;
};

QString utf16(const uchar* p, qint64 bytes)
{
    QString text(bytes / 2, Qt::Uninitialized);
    for (qint64 i = 0; i < bytes / 2; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
    return text;
}

// A LENGTH-PREFIXED-STRING: a count of UTF-16 code units, then the units.
QString lengthPrefixedString(Cursor& in, const QString& what)
{
    const quint16 units = in.u16(what);
    return utf16(in.take(qint64(units) * 2, what), qint64(units) * 2);
}

QString columnLabel(const FieldDefinition& field, int index)
{
    return QStringLiteral("the value of column %1 (\"%2\")").arg(index + 1).arg(field.name);
}

const QDate& dateBase()
{
    static const QDate base(1899, 12, 30);
    return base;
}

QVariant oleDate(Cursor& in, double days, const QString& what)
{
    // adDate counts days from 1899-12-30; the fraction is the time of day, counted forward from midnight
    // even for negative values. Years 100 to 9999 are the type's range.
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0)
        in.fail(QStringLiteral("%1 is no valid date").arg(what));
    const double whole = std::trunc(days);
    qint64 ms = std::llround(std::fabs(days - whole) * 86400000.0);
    QDate date = dateBase().addDays(qint64(whole));
    if (ms >= 86400000) {
        date = date.addDays(1);
        ms -= 86400000;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

QVariant readValue(Cursor& in, const FieldDefinition& field, int index)
{
    const QString what = columnLabel(field, index);
    const int dbType = dbTypeFor(field.type);
    if (isTextOrBinary(field.type)) {
        qint64 length = 0;
        switch (storageOf(field)) {
        case Storage::Fixed:
            length = capacity(field);
            break;
        case Storage::Prefix1:
            length = in.u8(what);
            break;
        case Storage::Prefix4:
            length = in.u32(what);
            break;
        }
        const uchar* p = in.take(length, what);
        if (dbType == DbBytes)
            return QByteArray(reinterpret_cast<const char*>(p), length);
        const bool fixed = storageOf(field) == Storage::Fixed;
        if (dbType == DbWStr) {
            if (length % 2 != 0)
                in.fail(QStringLiteral("%1 has an odd number of bytes for a Unicode text").arg(what));
            QString text = utf16(p, length);
            // Fixed values from other writers may end early at a NUL, with anything after it.
            if (fixed && text.indexOf(QChar(0)) >= 0)
                text.truncate(text.indexOf(QChar(0)));
            return text;
        }
        QByteArray bytes(reinterpret_cast<const char*>(p), length);
        if (fixed && bytes.indexOf('\0') >= 0)
            bytes.truncate(bytes.indexOf('\0'));
        return ansi::decode(bytes);
    }

    const uchar* p = in.take(fixedWidth(dbType), what);
    switch (dbType) {
    case DbI1:
        return int(qint8(p[0]));
    case DbUI1:
        return int(p[0]);
    case DbI2:
        return int(qFromLittleEndian<qint16>(p));
    case DbUI2:
        return int(qFromLittleEndian<quint16>(p));
    case DbI4:
        return int(qFromLittleEndian<qint32>(p));
    case DbUI4:
        return QVariant::fromValue(uint(qFromLittleEndian<quint32>(p)));
    case DbI8:
        return QVariant::fromValue(qlonglong(qFromLittleEndian<qint64>(p)));
    case DbUI8:
        return QVariant::fromValue(qulonglong(qFromLittleEndian<quint64>(p)));
    case DbR4: {
        const quint32 bits = qFromLittleEndian<quint32>(p);
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return QVariant::fromValue(f);
    }
    case DbR8: {
        const quint64 bits = qFromLittleEndian<quint64>(p);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return QVariant::fromValue(d);
    }
    case DbCurrency: {
        const qint64 scaled = qFromLittleEndian<qint64>(p);
        const UInt128 magnitude = scaled < 0 ? UInt128(-(scaled + 1)) + 1 : UInt128(scaled);
        return DecimalNumber {scaled < 0, magnitude, 4}.toText();
    }
    case DbDate: {
        const quint64 bits = qFromLittleEndian<quint64>(p);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return oleDate(in, d, what);
    }
    case DbBool:
        return qFromLittleEndian<quint16>(p) != 0;
    case DbDecimal: {
        const int scale = p[2];
        if (scale > 28)
            in.fail(QStringLiteral("%1 has the scale %2 (at most 28 allowed)").arg(what).arg(scale));
        const UInt128 magnitude
            = (UInt128(qFromLittleEndian<quint32>(p + 4)) << 64) | UInt128(qFromLittleEndian<quint64>(p + 8));
        return DecimalNumber {(p[3] & 0x80) != 0, magnitude, scale}.toText();
    }
    case DbNumeric: {
        const int scale = p[1];
        if (scale > 38)
            in.fail(QStringLiteral("%1 has the scale %2 (at most 38 allowed)").arg(what).arg(scale));
        const UInt128 magnitude
            = (UInt128(qFromLittleEndian<quint64>(p + 11)) << 64) | UInt128(qFromLittleEndian<quint64>(p + 3));
        return DecimalNumber {p[2] == 0, magnitude, scale}.toText();
    }
    case DbFileTime: {
        // 100-nanosecond ticks since 1601-01-01 UTC.
        const quint64 ticks = qFromLittleEndian<quint64>(p);
        static const QDateTime epoch(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC);
        return epoch.addMSecs(qint64(ticks / 10000));
    }
    case DbGuid:
        return QVariant::fromValue(QUuid(qFromLittleEndian<quint32>(p), qFromLittleEndian<quint16>(p + 4),
                                         qFromLittleEndian<quint16>(p + 6), p[8], p[9], p[10], p[11], p[12], p[13],
                                         p[14], p[15]));
    case DbDbDate: {
        const QDate date(qFromLittleEndian<qint16>(p), qFromLittleEndian<quint16>(p + 2),
                         qFromLittleEndian<quint16>(p + 4));
        if (!date.isValid())
            in.fail(QStringLiteral("%1 is no valid date").arg(what));
        return date;
    }
    case DbDbTime: {
        const QTime time(qFromLittleEndian<quint16>(p), qFromLittleEndian<quint16>(p + 2),
                         qFromLittleEndian<quint16>(p + 4));
        if (!time.isValid())
            in.fail(QStringLiteral("%1 is no valid time").arg(what));
        return time;
    }
    case DbDbTimeStamp: {
        const QDate date(qFromLittleEndian<qint16>(p), qFromLittleEndian<quint16>(p + 2),
                         qFromLittleEndian<quint16>(p + 4));
        const quint32 nanoseconds = qFromLittleEndian<quint32>(p + 12);
        const QTime time(qFromLittleEndian<quint16>(p + 6), qFromLittleEndian<quint16>(p + 8),
                         qFromLittleEndian<quint16>(p + 10), int(nanoseconds / 1000000));
        if (!date.isValid() || !time.isValid() || nanoseconds > 999999999)
            in.fail(QStringLiteral("%1 is no valid date and time").arg(what));
        return QDateTime(date, time, Qt::UTC);
    }
    default:
        in.fail(QStringLiteral("%1 has the unsupported type %2").arg(what, dbTypeName(dbType)));
    }
}

bool bitAt(const uchar* map, int index)
{
    return (map[index / 8] & (0x80 >> (index % 8))) != 0;
}

class TableGramReader
{
public:
    TableGramReader(const QByteArray& bytes, const QString& fileName) : m_in(bytes, fileName) { }

    RecordTable read()
    {
        readHeader();
        readDescriptors();
        readRows();
        return std::move(m_table);
    }

private:
    void readHeader()
    {
        const QString what = QStringLiteral("the header");
        if (m_in.atEnd() || m_in.peek() != TokenHeader)
            m_in.fail(QStringLiteral("it does not begin with the ADTG header"));
        m_in.skip(1, what);
        const quint8 size = m_in.u8(what);
        if (size < 7)
            m_in.fail(QStringLiteral("its header is too short"));
        const uchar* header = m_in.take(size, what);
        if (std::memcmp(header, "TG!", 3) != 0)
            m_in.fail(QStringLiteral("it does not carry the TableGram mark \"TG!\""));
        if (header[5] != 0)
            m_in.fail(QStringLiteral("it is written in big-endian byte order, which is not supported"));
        if (header[6] != 0)
            m_in.fail(QStringLiteral("it is written in the Unicode TableGram form, which is not supported"));
    }

    void readDescriptors()
    {
        int totalColumns = -1;
        for (;;) {
            if (m_in.atEnd())
                m_in.fail(QStringLiteral("it ends before its first row"));
            const quint8 token = m_in.peek();
            if (token == TokenHandlerOptions || token == TokenRecordSetContext || token == TokenTableDescriptor) {
                m_in.skip(1, {});
                const QString what = QStringLiteral("the descriptor at byte %1").arg(m_in.pos() - 1);
                m_in.skip(m_in.u16(what), what);
            } else if (token == TokenResultDescriptor) {
                if (totalColumns >= 0)
                    m_in.fail(QStringLiteral("it holds a second result descriptor at byte %1").arg(m_in.pos()));
                m_in.skip(1, {});
                const QString what = QStringLiteral("the result descriptor");
                const quint16 size = m_in.u16(what);
                if (size < 23)
                    m_in.fail(QStringLiteral("its result descriptor is too short"));
                const uchar* body = m_in.take(size, what);
                totalColumns = qFromLittleEndian<quint16>(body + 21);
            } else {
                break;
            }
        }
        if (totalColumns < 0)
            m_in.fail(QStringLiteral("it has no result descriptor"));
        while (!m_in.atEnd() && m_in.peek() == TokenColumnDescriptor)
            readColumn();
        if (m_table.fields.size() != totalColumns)
            m_in.fail(QStringLiteral("it announces %1 columns but describes %2")
                          .arg(totalColumns)
                          .arg(m_table.fields.size()));
        if (totalColumns == 0)
            m_in.fail(QStringLiteral("it has no columns"));
        for (int i = 0; i < m_table.fields.size(); ++i) {
            if (m_table.fields[i].isNullable())
                m_nullable.append(i);
        }
    }

    void readColumn()
    {
        const int index = int(m_table.fields.size());
        const QString what = QStringLiteral("the descriptor of column %1").arg(index + 1);
        m_in.skip(1, what);
        const quint16 size = m_in.u16(what);
        m_in.need(size, what);
        const qsizetype end = m_in.pos() + size;
        const uchar* presenceBytes = m_in.take(3, what);
        const quint32 presence
            = (quint32(presenceBytes[0]) << 16) | (quint32(presenceBytes[1]) << 8) | presenceBytes[2];
        const quint16 ordinal = m_in.u16(what);
        if (ordinal != index + 1)
            m_in.fail(QStringLiteral("column %1 carries the ordinal %2").arg(index + 1).arg(ordinal));
        QString friendlyName;
        QString baseName;
        if (presence & 0x800000)
            friendlyName = lengthPrefixedString(m_in, what);
        if (presence & 0x400000)
            m_in.skip(2, what);
        if (presence & 0x200000)
            m_in.skip(2, what);
        if (presence & 0x100000)
            baseName = lengthPrefixedString(m_in, what);
        const quint16 dbType = m_in.u16(what);
        const quint32 maxLength = m_in.u32(what);
        const quint32 precision = m_in.u32(what);
        const qint32 scale = qint32(m_in.u32(what));
        const quint32 flags = m_in.u32(what);
        if (m_in.pos() > end)
            m_in.fail(QStringLiteral("%1 is shorter than its fields").arg(what));
        m_in.skip(end - m_in.pos(), what);

        FieldDefinition field;
        field.name = friendlyName.isEmpty() ? baseName : friendlyName;
        if (field.name.isEmpty())
            m_in.fail(QStringLiteral("column %1 has no name").arg(index + 1));
        if (dbType == DbChapter || (flags & ado::adFldIsChapter))
            m_in.fail(QStringLiteral("column \"%1\" is a chapter of a hierarchical record set, which is not "
                                     "supported")
                          .arg(field.name));
        field.type = adoTypeFor(dbType, int(flags));
        if (field.type == 0)
            m_in.fail(QStringLiteral("column \"%1\" has the type %2, which is not supported")
                          .arg(field.name, dbTypeName(dbType)));
        field.definedSize = maxLength > quint32(std::numeric_limits<int>::max()) ? -1 : int(maxLength);
        field.precision = precision > 255 ? 255 : int(precision);
        field.numericScale = scale;
        field.attributes = int(flags & 0x7fffffff);
        m_table.fields.append(field);
    }

    // Reads the values of the columns whose bit is set; the others stay NULL.
    void readValues(QList<QVariant>& values, const QList<bool>& present)
    {
        for (int i = 0; i < m_table.fields.size(); ++i) {
            if (present[i])
                values[i] = readValue(m_in, m_table.fields[i], i);
        }
    }

    void readPlainRow(RecordRow& row)
    {
        const int columns = int(m_table.fields.size());
        const QString what = QStringLiteral("row %1").arg(m_table.rows.size() + 1);
        const uchar* map = m_in.take((m_nullable.size() + 7) / 8, what);
        QList<bool> present(columns, true);
        for (int i = 0; i < m_nullable.size(); ++i)
            present[m_nullable[i]] = bitAt(map, i);
        row.values = QList<QVariant>(columns);
        readValues(row.values, present);
    }

    // The update map and force-null map of a change or insert record, then the updated values.
    void readChanges(RecordRow& row)
    {
        const int columns = int(m_table.fields.size());
        const QString what = QStringLiteral("the changes of row %1").arg(m_table.rows.size() + 1);
        const int mapBytes = (columns + 7) / 8;
        const uchar* updated = m_in.take(mapBytes, what);
        const uchar* forcedNull = m_in.take(mapBytes, what);
        QList<bool> present(columns, false);
        row.touched = QBitArray(columns);
        for (int i = 0; i < columns; ++i) {
            present[i] = bitAt(updated, i);
            if (present[i] && bitAt(forcedNull, i))
                m_in.fail(QStringLiteral("%1 both sets and clears column %2").arg(what).arg(i + 1));
            row.touched.setBit(i, present[i] || bitAt(forcedNull, i));
        }
        for (int i = 0; i < columns; ++i) {
            if (row.touched.testBit(i))
                row.values[i] = QVariant();
        }
        readValues(row.values, present);
    }

    void readRows()
    {
        const qint64 columns = m_table.fields.size();
        for (;;) {
            if (m_in.atEnd())
                m_in.fail(QStringLiteral("it ends without the end mark after %1 rows").arg(m_table.rows.size()));
            const qsizetype at = m_in.pos();
            const quint8 token = m_in.u8({});
            if (token == TokenEnd) {
                if (!m_in.atEnd())
                    m_in.fail(QStringLiteral("%1 bytes follow its end mark").arg(m_in.remaining()));
                return;
            }
            if ((m_table.rows.size() + 1) * columns > AdtgReader::MaxValues)
                m_in.fail(QStringLiteral("it holds more than %1 values").arg(AdtgReader::MaxValues));
            RecordRow row;
            if (token == TokenRow) {
                readPlainRow(row);
                if (!m_in.atEnd() && m_in.peek() == TokenChange) {
                    m_in.skip(1, {});
                    row.original = row.values;
                    row.state = RowState::Modified;
                    readChanges(row);
                } else if (!m_in.atEnd() && m_in.peek() == TokenDelete) {
                    m_in.skip(1, {});
                    row.original = row.values;
                    row.state = RowState::Deleted;
                }
            } else if (token == TokenInsert) {
                row.values = QList<QVariant>(columns);
                row.state = RowState::Inserted;
                readChanges(row);
            } else if (token == 0x80 || token == 0x87 || token == 0x8A || token == 0x8C || token == 0x8D) {
                m_in.fail(QStringLiteral("it holds child rows of a hierarchical record set (byte %1), which are "
                                         "not supported")
                              .arg(at));
            } else {
                m_in.fail(QStringLiteral("an unexpected mark 0x%1 stands at byte %2 where a row should begin")
                              .arg(token, 2, 16, QLatin1Char('0'))
                              .arg(at));
            }
            m_table.rows.append(std::move(row));
        }
    }

    Cursor m_in;
    RecordTable m_table;
    QList<int> m_nullable;
};

} // namespace

RecordTable AdtgReader::read(const QByteArray& bytes, const QString& fileName)
{
    return TableGramReader(bytes, fileName).read();
}

} // namespace dorvane
