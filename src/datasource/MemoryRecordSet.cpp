#include "datasource/MemoryRecordSet.h"

#include "datasource/AdtgFormat.h"
#include "datasource/AdtgReader.h"
#include "datasource/AdtgWriter.h"
#include "datasource/FieldValueConversion.h"
#include "datasource/RecordSetError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>

namespace dorvane {

namespace {

// Larger files are refused before reading: the program's tables are a few kilobytes, and the bound keeps a
// wrong file name from filling memory.
constexpr qint64 MaxFileSize = 256 * 1024 * 1024;

std::atomic<quint64> savedCount {0};

QString unquoteFilterValue(const QString& text)
{
    if (text.size() >= 2) {
        const QChar first = text.front();
        if ((first == QLatin1Char('\'') && text.back() == first) || (first == QLatin1Char('#') && text.back() == first))
            return text.mid(1, text.size() - 2);
    }
    return text;
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

void MemoryRecordSet::AppendField(const QString& name, int type, int definedSize, int attributes, int precision,
                                  int numericScale)
{
    if (m_open)
        throw recordSetError(QStringLiteral("The field \"%1\" cannot be appended: the record set is open.").arg(name));
    if (name.isEmpty())
        throw recordSetError(QStringLiteral("A field needs a name."));
    if (fieldIndex(name) >= 0)
        throw recordSetError(QStringLiteral("The record set already has a field named \"%1\".").arg(name));
    if (adtg::dbTypeFor(type) == 0)
        throw recordSetError(
            QStringLiteral("The field \"%1\" cannot have the type %2 in an in-memory record set.").arg(name).arg(type));
    if (adtg::isTextOrBinary(type) && (definedSize == 0 || definedSize < -1))
        throw recordSetError(QStringLiteral("The field \"%1\" needs a defined size above 0.").arg(name));
    FieldDefinition field = adtg::appendedField(name, type, definedSize, attributes);
    field.precision = precision;
    field.numericScale = numericScale;
    m_table.fields.append(field);
}

MemoryField MemoryRecordSet::Fields(int index)
{
    fieldDefinition(index);
    return MemoryField(*this, index);
}

MemoryField MemoryRecordSet::Fields(const QString& name)
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw recordSetError(QStringLiteral("The record set has no field named \"%1\".").arg(name));
    return MemoryField(*this, index);
}

const FieldDefinition& MemoryRecordSet::fieldDefinition(int index) const
{
    if (index < 0 || index >= m_table.fields.size())
        throw recordSetError(
            QStringLiteral("The record set has no field %1; it has %2 fields.").arg(index).arg(m_table.fields.size()));
    return m_table.fields[index];
}

int MemoryRecordSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_table.fields.size(); ++i) {
        if (m_table.fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void MemoryRecordSet::Open()
{
    if (m_open)
        throw recordSetError(QStringLiteral("The record set is already open."));
    if (m_table.fields.isEmpty())
        throw recordSetError(QStringLiteral("A record set without fields cannot be opened."));
    m_table.rows.clear();
    m_lockType = LockType::Optimistic;
    m_filter.clear();
    m_filterColumn = -1;
    m_current = 0;
    m_open = true;
}

void MemoryRecordSet::Open(const QString& path, LockType lockType)
{
    if (m_open)
        throw recordSetError(QStringLiteral("The record set is already open."));
    const QFileInfo info(path);
    if (!info.exists())
        throw recordSetError(QStringLiteral("The file \"%1\" does not exist.").arg(path));
    if (info.isDir())
        throw recordSetError(QStringLiteral("\"%1\" is a folder, not a saved record set.").arg(path));
    if (info.size() > MaxFileSize)
        throw recordSetError(QStringLiteral("The file \"%1\" is too large (%2 bytes) to be a saved record set.")
                                 .arg(path)
                                 .arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw recordSetError(QStringLiteral("The file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw recordSetError(QStringLiteral("The file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
    if (bytes.size() > MaxFileSize)
        throw recordSetError(QStringLiteral("The file \"%1\" is too large to be a saved record set.").arg(path));
    m_table = AdtgReader::read(bytes, path);
    m_lockType = lockType;
    m_filter.clear();
    m_filterColumn = -1;
    m_open = true;
    m_current = nextVisible(0);
}

void MemoryRecordSet::Close()
{
    m_table.rows.clear();
    m_filter.clear();
    m_filterColumn = -1;
    m_current = 0;
    m_open = false;
}

void MemoryRecordSet::AddNew()
{
    requireUpdatable("AddNew");
    RecordRow row;
    row.state = RowState::Inserted;
    row.values = QList<QVariant>(m_table.fields.size());
    row.touched = QBitArray(int(m_table.fields.size()));
    m_table.rows.append(std::move(row));
    m_current = int(m_table.rows.size()) - 1;
}

void MemoryRecordSet::Update()
{
    requireUpdatable("Update");
    const RecordRow& row = currentRow("Update");
    for (int i = 0; i < m_table.fields.size(); ++i) {
        if (row.values[i].isNull() && !m_table.fields[i].isNullable())
            throw recordSetError(QStringLiteral("The row cannot be updated: the field \"%1\" needs a value.")
                                     .arg(m_table.fields[i].name));
    }
}

void MemoryRecordSet::Delete()
{
    requireUpdatable("Delete");
    RecordRow& row = currentRow("Delete");
    row.state = row.state == RowState::Inserted ? RowState::Discarded : RowState::Deleted;
}

void MemoryRecordSet::UpdateBatch()
{
    requireUpdatable("UpdateBatch");
    QList<RecordRow> kept;
    int current = -1;
    for (int i = 0; i < m_table.rows.size(); ++i) {
        RecordRow& row = m_table.rows[i];
        if (!row.isVisible())
            continue;
        if (current < 0 && i >= m_current)
            current = int(kept.size());
        row.state = RowState::Unchanged;
        row.original.clear();
        row.touched.clear();
        kept.append(std::move(row));
    }
    m_table.rows = std::move(kept);
    m_current = current < 0 ? int(m_table.rows.size()) : current;
}

void MemoryRecordSet::setFilter(const QString& filter)
{
    requireOpen("Filter");
    const QString text = filter.trimmed();
    if (text.isEmpty()) {
        m_filter.clear();
        m_filterColumn = -1;
        m_current = nextVisible(0);
        return;
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw recordSetError(QStringLiteral("The filter \"%1\" does not have the form Name=value.").arg(filter));
    QString name = text.left(eq).trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    const int column = fieldIndex(name);
    if (column < 0)
        throw recordSetError(
            QStringLiteral("The filter \"%1\" names the field \"%2\", which the record set does not have.")
                .arg(filter, name));
    const QString valueText = unquoteFilterValue(text.mid(eq + 1).trimmed());
    const FieldDefinition& field = m_table.fields[column];
    // Text compares as ADO's filter does: ignoring case and the blanks that pad fixed-width values.
    m_filterValue = adtg::isTextOrBinary(field.type) && adtg::dbTypeFor(field.type) != adtg::DbBytes
        ? QVariant(withoutTrailingBlanks(valueText))
        : coerceFieldValue(field, valueText);
    m_filterColumn = column;
    m_filter = filter;
    m_current = nextVisible(0);
}

bool MemoryRecordSet::passesFilter(const RecordRow& row) const
{
    if (m_filterColumn < 0)
        return true;
    const QVariant& value = row.values[m_filterColumn];
    if (value.isNull())
        return false;
    if (value.metaType().id() == QMetaType::QString)
        return withoutTrailingBlanks(value.toString()).compare(m_filterValue.toString(), Qt::CaseInsensitive) == 0;
    return value == m_filterValue;
}

int MemoryRecordSet::nextVisible(int from) const
{
    for (int i = std::max(from, 0); i < m_table.rows.size(); ++i) {
        if (m_table.rows[i].isVisible() && passesFilter(m_table.rows[i]))
            return i;
    }
    return int(m_table.rows.size());
}

void MemoryRecordSet::MoveFirst()
{
    requireOpen("MoveFirst");
    m_current = nextVisible(0);
}

void MemoryRecordSet::MoveNext()
{
    requireOpen("MoveNext");
    if (isEOF())
        throw recordSetError(QStringLiteral("There is no next row: the record set is at its end."));
    m_current = nextVisible(m_current + 1);
}

bool MemoryRecordSet::isEOF() const
{
    return !m_open || m_current >= m_table.rows.size();
}

int MemoryRecordSet::RecordCount() const
{
    requireOpen("RecordCount");
    int count = 0;
    for (const RecordRow& row : m_table.rows) {
        if (row.isVisible() && passesFilter(row))
            ++count;
    }
    return count;
}

QVariant MemoryRecordSet::value(int column) const
{
    requireOpen("Value");
    fieldDefinition(column);
    return currentRow("Value").values[column];
}

void MemoryRecordSet::setValue(int column, const QVariant& value)
{
    requireUpdatable("Value");
    const FieldDefinition& field = fieldDefinition(column);
    RecordRow& row = currentRow("Value");
    QVariant converted = coerceFieldValue(field, value);
    if (row.state == RowState::Unchanged) {
        row.original = row.values;
        row.touched = QBitArray(int(m_table.fields.size()));
        row.state = RowState::Modified;
    }
    row.touched.setBit(column);
    row.values[column] = std::move(converted);
}

void MemoryRecordSet::Save(const QString& path) const
{
    requireOpen("Save");
    const QByteArray bytes = AdtgWriter::write(m_table);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw recordSetError(QStringLiteral("The file \"%1\" cannot be written: the folder \"%2\" does not exist.")
                                 .arg(path, QDir::toNativeSeparators(info.absolutePath())));
    if (info.isDir())
        throw recordSetError(
            QStringLiteral("The file \"%1\" cannot be written: a folder of that name is in the way.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw recordSetError(QStringLiteral("The file \"%1\" cannot be written: %2.").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw recordSetError(QStringLiteral("The file \"%1\" cannot be written: %2.").arg(path, file.errorString()));
    ++savedCount;
}

quint64 MemoryRecordSet::saveGeneration()
{
    return savedCount.load();
}

void MemoryRecordSet::requireOpen(const char* operation) const
{
    if (!m_open)
        throw recordSetError(
            QStringLiteral("%1 is not allowed while the record set is closed.").arg(QLatin1String(operation)));
}

void MemoryRecordSet::requireUpdatable(const char* operation) const
{
    requireOpen(operation);
    if (m_lockType == LockType::ReadOnly)
        throw recordSetError(
            QStringLiteral("%1 is not allowed: the record set was opened read-only.").arg(QLatin1String(operation)));
}

RecordRow& MemoryRecordSet::currentRow(const char* operation)
{
    return const_cast<RecordRow&>(std::as_const(*this).currentRow(operation));
}

const RecordRow& MemoryRecordSet::currentRow(const char* operation) const
{
    if (m_current >= m_table.rows.size())
        throw recordSetError(
            QStringLiteral("%1 needs a current row, but the record set is at its end.").arg(QLatin1String(operation)));
    const RecordRow& row = m_table.rows[m_current];
    if (!row.isVisible())
        throw recordSetError(QStringLiteral("%1 needs a current row, but the current row has been deleted.")
                                 .arg(QLatin1String(operation)));
    return row;
}

} // namespace dorvane
