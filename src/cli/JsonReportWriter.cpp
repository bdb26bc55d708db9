#include "cli/JsonReportWriter.h"

#include "cli/ReportValue.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace dorvane {

namespace {

// One JSON value as compact text.
QByteArray json(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray member(const char* name, const QJsonValue& value)
{
    return json(QString::fromLatin1(name)) + ':' + json(value);
}

QJsonValue timeValue(const QDateTime& time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue(QJsonValue::Null);
}

} // namespace

QByteArray JsonReportWriter::beginning(const ReportRun& run)
{
    m_first = true;
    return "{" + member("command", run.command) + ",\n" + member("source", run.source) + ",\n"
        + member("options", run.options) + ",\n" + member("started", timeValue(run.started)) + ",\n\"hits\":[";
}

QByteArray JsonReportWriter::entry(const ReportEntry& entry)
{
    QJsonValue key(QJsonValue::Null);
    if (!entry.key.columns.isEmpty()) {
        QJsonObject columns;
        for (qsizetype i = 0; i < entry.key.columns.size(); ++i)
            columns.insert(entry.key.columns.at(i), reportJson(entry.key.values.value(i)));
        key = columns;
    }
    QByteArray text = m_first ? "\n" : ",\n";
    m_first = false;
    text += "{" + member("table", entry.table) + ','
        + member("record", entry.record >= 0 ? QJsonValue(entry.record) : QJsonValue(QJsonValue::Null)) + ','
        + member("field", entry.field) + ',' + member("key", key) + ',' + member("before", reportJson(entry.before))
        + ',' + member("after", reportJson(entry.after)) + ',' + member("status", entry.status);
    if (!entry.reason.isEmpty())
        text += ',' + member("reason", entry.reason);
    return text + '}';
}

QByteArray JsonReportWriter::ending(const ReportRun& run)
{
    const RunCounts& c = run.counts;
    const QJsonObject counts {
        {QStringLiteral("tables"), c.tables}, {QStringLiteral("records"), c.records},
        {QStringLiteral("hits"), c.hits},     {QStringLiteral("saved"), c.saved},
        {QStringLiteral("failed"), c.failed}, {QStringLiteral("conflicts"), run.conflicts},
        {QStringLiteral("faults"), c.faults},
    };
    QByteArray text = QByteArray(m_first ? "" : "\n") + "],\n" + member("ended", timeValue(run.ended)) + ",\n"
        + member("counts", counts);
    if (!run.journal.isEmpty()) {
        text += ",\n"
            + member("journal",
                     QJsonObject {{QStringLiteral("file"), run.journal}, {QStringLiteral("run"), run.journalRun}});
    }
    return text + "}\n";
}

} // namespace dorvane
