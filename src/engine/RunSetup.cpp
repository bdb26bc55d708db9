#include "engine/RunSetup.h"

#include <QDir>

namespace dorvane {

RunSetup::RunSetup(const QString& programFolder, RunSession::ConnectionProvider connection)
    : m_types(dataTypeFile(programFolder)), m_session(std::move(connection), m_types)
{
}

QString RunSetup::dataTypeFile(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("sys/dtype.dat"));
}

} // namespace dorvane
