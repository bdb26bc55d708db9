#include "cli/CsvReportWriter.h"

#include "cli/ReportValue.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace dorvane {

QString CsvReportWriter::field(const QString& text)
{
    if (text.isNull())
        return QString(QLatin1String(""));
    const bool quoted = text.isEmpty() || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoted)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QByteArray CsvReportWriter::beginning(const ReportRun&)
{
    return "table,record,field,key,before,after,status,reason\r\n";
}

QByteArray CsvReportWriter::entry(const ReportEntry& entry)
{
    QString key;
    if (!entry.key.columns.isEmpty()) {
        QJsonObject columns;
        for (qsizetype i = 0; i < entry.key.columns.size(); ++i)
            columns.insert(entry.key.columns.at(i), reportJson(entry.key.values.value(i)));
        key = QString::fromUtf8(QJsonDocument(columns).toJson(QJsonDocument::Compact));
    }
    const QStringList fields {
        field(entry.table),
        entry.record >= 0 ? QString::number(entry.record) : QString(),
        field(entry.field),
        field(key),
        field(reportText(entry.before)),
        field(reportText(entry.after)),
        field(entry.status),
        field(entry.reason.isEmpty() ? QString() : entry.reason),
    };
    return fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QByteArray CsvReportWriter::ending(const ReportRun&)
{
    return QByteArray();
}

} // namespace dorvane
