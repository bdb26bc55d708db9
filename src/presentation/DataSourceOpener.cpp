#include "presentation/DataSourceOpener.h"

#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "datasource/Connection.h"
#include "datasource/DataLinkPrompt.h"
#include "datasource/FileChooser.h"
#include "datasource/FileDriverTable.h"
#include "presentation/MainSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <exception>
#include <optional>

namespace dorvane {

namespace {

const QString TableType = QStringLiteral("TABLE");
const QString CaptionOpen = QStringLiteral(" - [");
const QString CaptionClose = QStringLiteral("]");

// The extension as the file-driver lookup sees it: lower-cased, after the last dot of the last path
// component, "" without one.
QString lowerExtension(const QString& fileName)
{
    const QString lower = fileName.toLower();
    const qsizetype nameStart = lower.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = lower.lastIndexOf(QLatin1Char('.'));
    return dot >= nameStart ? lower.mid(dot + 1) : QString();
}

bool isListedTable(const SchemaRecordSet& schema)
{
    return schema.Fields(QStringLiteral("TABLE_TYPE")).Value().toString() == TableType;
}

// Any other exception would otherwise leave a Qt event handler; it is shown like a data error.
template<typename Action, typename Report> bool guarded(Action action, Report report)
{
    try {
        action();
        return true;
    } catch (const DataError& error) {
        report(error.source(), error.description());
    } catch (const std::exception& error) {
        report(ProductName, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace

DataSourceOpener::DataSourceOpener(MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
                                   FileChooser& fileChooser, DataLinkPrompt& dataLinkPrompt, DataSourceState& state)
    : m_surface(surface), m_tools(tools), m_texts(texts), m_fileChooser(fileChooser), m_dataLinkPrompt(dataLinkPrompt),
      m_state(state)
{
}

void DataSourceOpener::showError(const QString& source, const QString& description)
{
    m_surface.showMessage(source + QStringLiteral(":\r\n") + description);
}

void DataSourceOpener::OpenDatabaseFile()
{
    QString chosen;
    std::optional<FileDriverRow> row;
    const auto report = [this](const QString& source, const QString& description) {
        showError(source, description);
    };
    // The table is read afresh for every choice so that a row saved in the options applies at once. When
    // it cannot be read the dialog never shows and nothing is reopened: the state is as it was.
    const bool tableRead = guarded(
        [&] {
            MemoryRecordSet table = openFileDriverTable();
            chosen = FindFile(fileDriverPatterns(table));
            if (!chosen.isEmpty())
                row = findFileDriver(table, chosen);
            table.Close();
        },
        report);
    if (!tableRead)
        return;

    if (!chosen.isEmpty()) {
        QString shownPath;
        if (row) {
            m_state.ConnectionString = fileDriverConnectionString(*row, chosen);
            shownPath = row->File ? chosen : parentFolderName(chosen);
        }
        m_surface.setCaption(captionHead() + CaptionOpen + QStringLiteral("*.") + lowerExtension(chosen)
                             + QStringLiteral(" - ") + shownPath + CaptionClose);
    }
    LoadData();
}

QString DataSourceOpener::FindFile(const QString& ext)
{
    const QString chosen = m_fileChooser.chooseFile(m_texts.openFileTitle, ext);
    m_surface.processEvents();
    return chosen;
}

void DataSourceOpener::OpenDataLink()
{
    const std::optional<QString> composed = m_dataLinkPrompt.promptNew();
    if (!composed || composed->isEmpty())
        return;
    m_state.ConnectionString = *composed;
    if (OpenConnection()) {
        FillTableList();
        const QList<ConnectionProperty> properties = m_state.Connection->Properties();
        const QString name = Connection::DataSourceNameProperty < properties.size()
            ? properties.at(Connection::DataSourceNameProperty).Value
            : QString();
        m_surface.setCaption(captionHead() + CaptionOpen + QStringLiteral("DSN=") + name + CaptionClose);
        m_surface.setStatusText(1, m_state.ConnectionString);
        m_tools.setEnabled(ToolId::Start, true);
        m_tools.setEnabled(ToolId::Structure, true);
    } else {
        m_tools.clearTableEntries();
        m_tools.setTableText(QString());
        m_surface.setStatusText(2, QString());
        m_surface.setCaption(captionHead());
        m_tools.setEnabled(ToolId::Start, false);
        m_tools.setEnabled(ToolId::Structure, false);
        m_surface.setProgressValue(0);
        m_surface.setProgressVisible(false);
    }
}

void DataSourceOpener::LoadData()
{
    m_tools.setEnabled(ToolId::Start, false);
    m_surface.setStatusText(1, m_texts.noSourceStatus);
    if (m_state.ConnectionString.isEmpty())
        return;

    if (OpenConnection()) {
        m_surface.setProgressValue(0);
        FillTableList();
        m_tools.setEnabled(ToolId::Start, true);
        m_tools.setEnabled(ToolId::Structure, true);
        m_surface.setStatusText(1, m_state.ConnectionString);
    }

    const bool hasTable = !m_state.SelectedTable.isEmpty();
    const bool hasName = !m_state.DataSourceName.isEmpty();
    if (hasTable && hasName) {
        m_surface.setCaption(captionHead() + CaptionOpen + m_state.DataSourceName + QStringLiteral(" - ")
                             + m_state.SelectedTable + CaptionClose);
        m_tools.setTableText(m_state.SelectedTable);
    } else if (hasTable) {
        m_surface.setCaption(captionHead());
    } else if (hasName) {
        m_surface.setCaption(captionHead() + CaptionOpen + m_state.DataSourceName + CaptionClose);
    }

    if (!m_state.SqlQuery.isEmpty())
        m_tools.setSqlText(m_state.SqlQuery);
}

bool DataSourceOpener::OpenConnection()
{
    m_surface.setWaitCursor(true);
    const bool opened = guarded(
        [this] {
            if (m_state.Connection && m_state.Connection->State() == ado::adStateOpen)
                m_state.Connection->Close();
            m_state.Connection = std::make_unique<Connection>();
            m_state.Connection->setConnectionString(m_state.ConnectionString);
            m_state.Connection->setPrompt(ado::adPromptCompleteRequired);
            m_state.Connection->Open();
            m_state.ConnectionString = m_state.Connection->ConnectionString();
        },
        [this](const QString& source, const QString& description) {
            m_surface.setWaitCursor(false);
            showError(source, description);
            m_surface.setStatusText(1, m_texts.noSourceStatus + QLatin1Char(' '));
        });
    if (opened)
        m_surface.setWaitCursor(false);
    return opened;
}

void DataSourceOpener::FillTableList()
{
    guarded(
        [this] {
            if (!m_state.Connection)
                throw DataError(ProductName, QStringLiteral("No data source is open."));
            SchemaRecordSet schema = m_state.Connection->OpenSchema(ado::adSchemaTables);
            const QString allTables = m_texts.allTablesEntry();
            m_tools.clearTableEntries();
            m_tools.addTableEntry(allTables);
            for (; !schema.IsEOF(); schema.MoveNext()) {
                if (isListedTable(schema))
                    m_tools.addTableEntry(schema.Fields(2).Value().toString());
            }
            m_tools.setTableText(allTables);
            schema.Close();
        },
        [this](const QString& source, const QString& description) { showError(source, description); });
}

void DataSourceOpener::SelectTable(const QString& text)
{
    m_tools.setTableText(text);
    m_state.SelectedTable = text;
    m_tools.setEnabled(ToolId::Start, !text.isEmpty());
    setTableCaption(text.isEmpty() ? m_texts.allTablesName : text);
}

void DataSourceOpener::setTableCaption(const QString& name)
{
    if (m_state.DataSourceName.isEmpty())
        m_surface.setCaption(captionHead() + CaptionOpen + name + CaptionClose);
    else
        m_surface.setCaption(captionHead() + CaptionOpen + m_state.DataSourceName + QLatin1Char(' ') + name
                             + CaptionClose);
}

bool DataSourceOpener::isAllTablesChoice() const
{
    return m_tools.tableText() == m_texts.allTablesEntry();
}

QStringList DataSourceOpener::tablesForRun(bool allTablesMode) const
{
    if (!m_state.SelectedTable.isEmpty() && !allTablesMode)
        return {m_state.SelectedTable};
    if (!m_state.Connection)
        throw DataError(ProductName, QStringLiteral("No data source is open."));
    return schemaTableNames(*m_state.Connection);
}

QStringList DataSourceOpener::schemaTableNames(Connection& connection)
{
    QStringList names;
    SchemaRecordSet schema = connection.OpenSchema(ado::adSchemaTables);
    for (; !schema.IsEOF(); schema.MoveNext()) {
        if (isListedTable(schema))
            names.append(schema.Fields(2).Value().toString());
    }
    schema.Close();
    return names;
}

} // namespace dorvane
