// A report as one JSON object: "command", "source", "options", "started", then "hits" (an array of one
// object per entry: table, record, field, key (an object of the key's columns, or null), before, after,
// status and, when there is one, reason), "ended" and "counts". Values as ReportValue writes them.
#pragma once

#include "cli/ReportWriter.h"

namespace dorvane {

class JsonReportWriter : public ReportWriter
{
protected:
    QByteArray beginning(const ReportRun& run) override;
    QByteArray entry(const ReportEntry& entry) override;
    QByteArray ending(const ReportRun& run) override;

private:
    bool m_first = true;
};

} // namespace dorvane
