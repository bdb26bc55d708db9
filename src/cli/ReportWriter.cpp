#include "cli/ReportWriter.h"

#include "cli/CsvReportWriter.h"
#include "cli/JsonReportWriter.h"

namespace dorvane {

std::unique_ptr<ReportWriter> ReportWriter::forPath(const QString& path)
{
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return std::make_unique<JsonReportWriter>();
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return std::make_unique<CsvReportWriter>();
    return nullptr;
}

ReportWriter::~ReportWriter() = default;

bool ReportWriter::open(const QString& path, const ReportRun& run)
{
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("the report %1 cannot be written: %2").arg(path, m_file->errorString());
        m_file.reset();
        return false;
    }
    write(beginning(run));
    return true;
}

void ReportWriter::write(const QByteArray& bytes)
{
    // A failed write is remembered by QSaveFile and reported by commit().
    if (m_file)
        m_file->write(bytes);
}

void ReportWriter::add(const ReportEntry& reportEntry)
{
    write(entry(reportEntry));
}

bool ReportWriter::finish(const ReportRun& run)
{
    if (!m_file)
        return false;
    write(ending(run));
    const QString path = m_file->fileName();
    if (!m_file->commit()) {
        m_error = QStringLiteral("the report %1 cannot be written: %2").arg(path, m_file->errorString());
        m_file.reset();
        return false;
    }
    m_file.reset();
    return true;
}

} // namespace dorvane
