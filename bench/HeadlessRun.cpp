#include "HeadlessRun.h"

#include "engine/DataTypeTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

namespace dorvane::bench {

HeadlessRun::HeadlessRun()
{
    if (!m_folder.isValid() || !QDir(m_folder.path()).mkdir(QStringLiteral("sys")))
        return;
    m_setup = std::make_unique<RunSetup>(m_folder.path(), [this] { return m_connection.get(); });
    BuildDataTypeTable(RunSetup::dataTypeFile(m_folder.path()));
    // A table file changed within the last two seconds is read afresh at every lookup; a run in the
    // program meets a settled one.
    QThread::msleep(2100);
    RunSession& session = m_setup->session();
    session.addObserver(this);
    // The window's own pace: the walk lets events through at most every 5 ms.
    session.setEventPumpInterval(5);
    session.setPump([](RunSession::Checkpoint) { QCoreApplication::processEvents(); });
    m_valid = true;
}

HeadlessRun::~HeadlessRun()
{
    if (m_setup)
        m_setup->session().closeRunTable();
    if (m_connection)
        m_connection->Close();
}

void HeadlessRun::open(const QString& databaseFile)
{
    openConnection(QStringLiteral("DRIVER=SQLite3;Database=") + databaseFile);
}

void HeadlessRun::openConnection(const QString& connectionString)
{
    m_connection = std::make_unique<Connection>();
    m_connection->setConnectionString(connectionString);
    m_connection->Open();
}

void HeadlessRun::prepare(const QString& table, const QString& search, const QString& replacement, bool replaceAll)
{
    m_options = RunOptions();
    m_options.tables = QStringList {table};
    m_options.match.search = search;
    m_options.match.replacement = replacement;
    m_options.policy = replaceAll ? HitPolicy::SaveEvery : HitPolicy::Wait;
}

void HeadlessRun::start()
{
    RunSession& session = m_setup->session();
    session.start(m_options);
    session.walk();
}

void HeadlessRun::fieldSaved(const SaveOutcome& outcome)
{
    if (!outcome.written)
        m_messages.append(outcome.reason);
}

QString HeadlessRun::hitPosition() const
{
    const RunState& s = m_setup->session().state();
    return QStringLiteral("%1.%2").arg(s.CurRecord).arg(s.CurField - 1);
}

} // namespace dorvane::bench
