// A report file written atomically: open() makes a temporary file beside the target, the entries are
// streamed into it as they come, and finish() puts it in the target's place in one step (QSaveFile).
// Until then the target is untouched; a run that breaks off leaves it as it was. The format follows the
// file's ending (JsonReportWriter, CsvReportWriter). Not thread-safe.
#pragma once

#include "cli/ReportEntry.h"

#include <QSaveFile>
#include <QString>

#include <memory>

namespace dorvane {

class ReportWriter
{
public:
    // The writer for the path's ending (.json or .csv, any case); null for another ending.
    static std::unique_ptr<ReportWriter> forPath(const QString& path);

    virtual ~ReportWriter();

    // Opens the temporary file and writes the beginning. False, with the reason in error(), when the file
    // cannot be made (a missing folder, no right to write there).
    bool open(const QString& path, const ReportRun& run);
    void add(const ReportEntry& entry);
    // Writes the end and replaces the target. False, with the reason in error(), when it fails.
    bool finish(const ReportRun& run);
    const QString& error() const { return m_error; }

protected:
    virtual QByteArray beginning(const ReportRun& run) = 0;
    virtual QByteArray entry(const ReportEntry& entry) = 0;
    virtual QByteArray ending(const ReportRun& run) = 0;

private:
    void write(const QByteArray& bytes);

    std::unique_ptr<QSaveFile> m_file;
    QString m_error;
};

} // namespace dorvane
