#include "plugin/WidgetStartupPlatform.h"

#include "core/PerUserProgramFolder.h"
#include "datasource/DataTypeLayout.h"

#include <QApplication>
#include <QMessageBox>

#include <sql.h>
#include <sqlext.h>

namespace dorvane {

WidgetStartupPlatform::WidgetStartupPlatform(std::function<void()> startMainWindow)
    : m_startMainWindow(std::move(startMainWindow))
{
}

void WidgetStartupPlatform::showMessage(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QApplication::applicationName() : title, text,
                    QMessageBox::Ok);
    box.exec();
}

bool WidgetStartupPlatform::isUserAnAdmin(const QString& programFolder)
{
    return canWriteProgramFolder(programFolder);
}

QString WidgetStartupPlatform::perUserProgramFolder()
{
    return PerUserProgramFolder::location();
}

// Both halves of the data access must work: the ODBC driver manager for the databases, and the in-memory
// record sets with their ADTG files for the program's own tables.
bool WidgetStartupPlatform::proveDataAccess()
{
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    const bool ok
        = SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return ok && proveRecordSetsWork();
}

void WidgetStartupPlatform::startMainWindow()
{
    if (m_startMainWindow)
        m_startMainWindow();
}

} // namespace dorvane
