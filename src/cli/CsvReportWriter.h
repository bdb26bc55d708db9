// A report as CSV (RFC 4180): a header row "table,record,field,key,before,after,status,reason", then one
// row per entry; lines end in CR LF, a field that holds a comma, a quote or a line break is quoted and
// its quotes doubled. NULL is an empty field without quotes, an empty text a quoted empty field (""), as
// PostgreSQL's CSV reads them. The key is the JSON object of the key's columns. The run's options and
// counts are not in the file (the summary line and a JSON report carry them).
#pragma once

#include "cli/ReportWriter.h"

namespace dorvane {

class CsvReportWriter : public ReportWriter
{
public:
    // One field of a row; a null QString is NULL.
    static QString field(const QString& text);

protected:
    QByteArray beginning(const ReportRun& run) override;
    QByteArray entry(const ReportEntry& entry) override;
    QByteArray ending(const ReportRun& run) override;
};

} // namespace dorvane
