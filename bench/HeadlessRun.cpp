#include "HeadlessRun.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "engine/DataTypeTable.h"

#include <QDir>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace dorvane::bench {

HeadlessRun::HeadlessRun(const QList<QStringList>& iniLines)
    : m_texts(MainWindowTexts::germanDefaults()),
      m_run([this] { return m_connection.get(); }, m_surface, m_tools, m_texts),
      m_control(m_run, m_surface, m_tools, m_texts, [this] { return m_table; })
{
    if (!m_folder.isValid() || !QDir(m_folder.path()).mkdir(QStringLiteral("sys")))
        return;
    AppState& state = appState();
    state = AppState {};
    state.AppPath = m_folder.path();
    state.IniPath = state.programPath(QStringLiteral("\\") + IniFileName);
    state.GermanOnly = true;
    for (const QStringList& line : iniLines) {
        if (line.size() == 3)
            WriteIniValue(line[0], line[1], line[2]);
    }
    BuildDataTypeTable();
    // A table file changed within the last two seconds is read afresh at every lookup; a run in the
    // program meets a settled one.
    QThread::msleep(2100);
    // The window's own pace: the walk lets events through at most every 5 ms.
    m_run.setEventPumpInterval(5);
    m_valid = true;
}

HeadlessRun::~HeadlessRun()
{
    if (m_connection)
        m_connection->Close();
    appState() = AppState {};
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
    m_table = table;
    m_tools.setTableText(table);
    m_surface.setSearchValue(search);
    m_surface.setReplaceValue(replacement);
    m_surface.setReplaceAll(replaceAll);
}

void HeadlessRun::runEventLoopUntilRunEnds(int timeoutMs)
{
    if (!isRunActive())
        return;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!isRunActive())
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool HeadlessRun::isWaitingAtHit() const
{
    return m_tools.isEnabled(QStringLiteral("ID_Save")) && m_run.state().RunActive;
}

QString HeadlessRun::hitPosition() const
{
    const RunState& s = m_run.state();
    return QStringLiteral("%1.%2").arg(s.CurRecord).arg(s.CurField - 1);
}

} // namespace dorvane::bench
