#include "plugin/clsDvnReplacer.h"

#include "appicon/ApplicationIcon.h"
#include "core/DataError.h"
#include "core/Settings.h"
#include "datasource/DataSourceState.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/MainWindowController.h"
#include "mainwindow/frmMain.h"
#include "plugin/InterfaceWindow.h"

#include <QApplication>

namespace dorvane {

clsDvnReplacer::clsDvnReplacer() = default;

clsDvnReplacer::~clsDvnReplacer()
{
    emit DllUnload();
}

MainWindowController* clsDvnReplacer::runningWindow()
{
    return InterfaceWindow::running();
}

void clsDvnReplacer::StartInterface(const QString& sID, const QString& sLanguage, bool bAsModal,
                                    const QString& sConnectionString, const QString& sSQLQuery, const QString& sTable,
                                    const QString& sField, const QString& sDSNServer)
{
    Q_UNUSED(sID);
    Q_UNUSED(sLanguage);
    Q_UNUSED(sField);
    DataSourceState& state = dataSourceState();
    state.DataSourceName = sDSNServer;
    state.ConnectionString = sConnectionString;
    state.SqlQuery = sSQLQuery;
    state.SelectedTable = sTable;

    if (bAsModal) {
        InterfaceWindow::execModal();
        return;
    }

    MainWindowController* controller = InterfaceWindow::running();
    if (controller && controller->window().isVisible()) {
        frmMain& window = controller->window();
        window.raise();
        window.activateWindow();
        controller->commands().LoadData();
        if (window.isMinimized())
            window.showNormal();
        return;
    }
    if (!controller)
        controller = &InterfaceWindow::load();
    controller->window().show();
}

QString clsDvnReplacer::Info() const
{
    return QStringLiteral("Search and replace for databases");
}

QString clsDvnReplacer::PluginName() const
{
    return QStringLiteral("DvnFind");
}

bool clsDvnReplacer::HasEvents() const
{
    return false;
}

QString clsDvnReplacer::EventInfo() const
{
    return QStringLiteral("None");
}

QIcon clsDvnReplacer::Img() const
{
    return applicationIcon();
}

QString clsDvnReplacer::GetCaption(const QString& sLanguage) const
{
    return ReadLanguageText(sLanguage, QStringLiteral("ToolCaption"), QStringLiteral("Suchen"), 256);
}

QString clsDvnReplacer::ShowInDetailPopup() const
{
    return QStringLiteral("True");
}

QString clsDvnReplacer::ShowInDSNPopup() const
{
    return QStringLiteral("True");
}

void clsDvnReplacer::SetLanguage(const QString& s_Language)
{
    Q_UNUSED(s_Language);
    MainWindowController* controller = InterfaceWindow::running();
    if (!controller)
        controller = &InterfaceWindow::load();
    controller->window().LoadLanguage();
}

void clsDvnReplacer::SaveWinPos(bool b)
{
    Q_UNUSED(b);
}

qint16 clsDvnReplacer::Run() const
{
    const QString value = ReadIniValue(QStringLiteral("Options"), QStringLiteral("Run"), QStringLiteral("1"), 256);
    bool ok = false;
    const qint16 run = value.trimmed().toShort(&ok);
    if (!ok)
        throw DataError(QStringLiteral("clsDvnReplacer"), QStringLiteral("Type mismatch: Run = \"%1\"").arg(value));
    return run;
}

QVariant clsDvnReplacer::SetRun(qint16 b)
{
    WriteIniValue(QStringLiteral("Options"), QStringLiteral("Run"), QString::number(b));
    return QVariant();
}

QString clsDvnReplacer::Description(const QString& sLanguage) const
{
    return ReadLanguageText(sLanguage, QStringLiteral("Description"),
                            QStringLiteral("Search and replace for databases"), 256);
}

} // namespace dorvane
