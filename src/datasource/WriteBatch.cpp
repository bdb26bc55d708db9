#include "datasource/WriteBatch.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcDiagnostics.h"

#include <sqlext.h>

namespace dorvane {

namespace {

const QString Begin = QStringLiteral("SAVEPOINT dorvane_batch");
const QString Release = QStringLiteral("RELEASE SAVEPOINT dorvane_batch");
const QString RollBackTo = QStringLiteral("ROLLBACK TO SAVEPOINT dorvane_batch");

DataError notCommitted(const DataError& error)
{
    return DataError(error.source(),
                     QStringLiteral("The changes of this batch were not saved: %1 Nothing of them was written.")
                         .arg(error.description()));
}

} // namespace

WriteBatch::WriteBatch(Connection& connection) : m_connection(connection) { }

WriteBatch::~WriteBatch()
{
    rollback();
}

bool WriteBatch::isSupported() const
{
    return m_connection.rowUpdateGuard() != Connection::RowUpdateGuard::CountFirst;
}

bool WriteBatch::isSqlite() const
{
    // The connection's own guard, not the one it answers while a batch is open.
    return m_connection.m_rowUpdateGuard == Connection::RowUpdateGuard::Savepoint;
}

void WriteBatch::setAutocommit(bool on) noexcept
{
    SQLSetConnectAttr(m_connection.handle(), SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
}

void WriteBatch::begin()
{
    if (m_open)
        return;
    if (!isSupported()) {
        throw DataError(QStringLiteral("Dorvane.Connection"),
                        QStringLiteral("The data source has no transactions, so its changes cannot be batched."));
    }
    const SQLHDBC dbc = m_connection.handle();
    if (!isSqlite()) {
        checkOdbc(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                  SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr");
    }
    try {
        m_connection.Execute(Begin);
    } catch (const DataError&) {
        if (!isSqlite()) {
            SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
            setAutocommit(true);
        }
        throw;
    }
    m_open = true;
    m_connection.m_writeBatchOpen = true;
}

void WriteBatch::commit()
{
    if (!m_open)
        return;
    try {
        // Fails when the transaction was rolled back meanwhile: the batch's changes are gone, and saying
        // so is the point.
        m_connection.Execute(Release);
        if (!isSqlite()) {
            const SQLHDBC dbc = m_connection.handle();
            checkOdbc(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "SQLEndTran");
            setAutocommit(true);
        }
    } catch (const DataError& error) {
        rollback();
        throw notCommitted(error);
    }
    m_open = false;
    m_connection.m_writeBatchOpen = false;
}

void WriteBatch::rollback() noexcept
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.m_writeBatchOpen = false;
    if (m_connection.State() == 0)
        return; // a closed connection rolled back by itself
    try {
        if (isSqlite()) {
            // A plain ROLLBACK would also abort the run's reading cursor; rolling back to the savepoint
            // and releasing it ends the transaction and leaves the cursor alone.
            try {
                m_connection.Execute(RollBackTo);
                m_connection.Execute(Release);
            } catch (const DataError&) {
                m_connection.Execute(QStringLiteral("ROLLBACK"));
            }
        } else {
            SQLEndTran(SQL_HANDLE_DBC, m_connection.handle(), SQL_ROLLBACK);
            setAutocommit(true);
        }
    } catch (const DataError&) {
        // Nothing more can be done: an open transaction is rolled back when the connection closes.
    }
}

} // namespace dorvane
