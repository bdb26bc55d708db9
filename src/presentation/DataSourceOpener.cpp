#include "presentation/DataSourceOpener.h"

#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionTarget.h"
#include "datasource/DataLinkPrompt.h"
#include "datasource/FileChooser.h"
#include "datasource/FileContentDriver.h"
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

// The table's patterns, then those of the files found by their content that the table does not name.
QString dialogPatterns(MemoryRecordSet& table)
{
    QString patterns = fileDriverPatterns(table);
    const QStringList own = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& pattern : contentDriverPatterns().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!own.contains(pattern, Qt::CaseInsensitive))
            patterns += pattern + QLatin1Char(';');
    }
    return patterns;
}

// The row that opens `chosen`: the table's row for its extension, unless that row's driver is not
// installed here (a table written on another system); else the driver its first bytes name.
std::optional<FileDriverRow> driverFor(const QString& chosen, const std::optional<FileDriverRow>& tableRow)
{
    if (tableRow && ConnectionTarget::resolve(fileDriverConnectionString(*tableRow, chosen)).driverInstalled())
        return tableRow;
    if (std::optional<FileDriverRow> byContent = fileDriverByContent(chosen))
        return byContent;
    return tableRow;
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
            chosen = FindFile(dialogPatterns(table));
            if (!chosen.isEmpty())
                row = findFileDriver(table, chosen);
            table.Close();
        },
        report);
    if (!tableRead)
        return;
    if (chosen.isEmpty()) {
        LoadData(); // a cancelled dialog opens the previous source again and lists its tables afresh
        return;
    }

    row = driverFor(chosen, row);
    if (!row) {
        // Nothing could open it: what was open stays, and the window says why.
        showError(ProductName,
                  QStringLiteral("No file driver opens \"%1\": no row of the file-driver table is "
                                 "for the extension \"%2\", and the file is no database of a "
                                 "kind this program recognises.")
                      .arg(chosen, fileExtensionOf(chosen)));
        return;
    }
    const QString shownPath = row->File ? chosen : parentFolderName(chosen);
    const QString caption = captionHead() + CaptionOpen + QStringLiteral("*.") + fileExtensionOf(chosen)
        + QStringLiteral(" - ") + shownPath + CaptionClose;
    if (openChosenSource(fileDriverConnectionString(*row, chosen)) == LoadResult::Opened)
        m_surface.setCaption(caption);
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
    const bool wasOpen = m_state.isOpen();
    const QString status = m_surface.statusText(1);
    const QString previousString = m_state.ConnectionString;
    m_state.ConnectionString = *composed;
    if (OpenConnection()) {
        forgetChoiceOfAnotherSource(previousString);
        FillTableList();
        const QList<ConnectionProperty> properties = m_state.Connection->Properties();
        const QString name = Connection::DataSourceNameProperty < properties.size()
            ? properties.at(Connection::DataSourceNameProperty).Value
            : QString();
        m_surface.setCaption(captionHead() + CaptionOpen + QStringLiteral("DSN=") + name + CaptionClose);
        m_surface.setStatusText(1, m_state.ConnectionString);
        m_tools.setEnabled(ToolId::Start, true);
        m_tools.setEnabled(ToolId::Structure, true);
    } else if (wasOpen && m_state.isOpen()) {
        m_surface.setStatusText(1, status); // the source that was open stays, as the window showed it
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
    load(std::nullopt);
}

DataSourceOpener::LoadResult DataSourceOpener::openChosenSource(const QString& connectionString)
{
    return load(connectionString);
}

void DataSourceOpener::forgetChoiceOfAnotherSource(const QString& previousString)
{
    if (previousString == m_state.ConnectionString)
        return;
    m_state.SelectedTable.clear();
    m_state.DataSourceName.clear();
}

DataSourceOpener::LoadResult DataSourceOpener::load(const std::optional<QString>& chosenSource)
{
    const bool wasOpen = m_state.isOpen();
    const bool startWasEnabled = m_tools.isEnabled(ToolId::Start);
    const QString status = m_surface.statusText(1);
    const QString previousString = m_state.ConnectionString;
    if (chosenSource)
        m_state.ConnectionString = *chosenSource;

    m_tools.setEnabled(ToolId::Start, false);
    m_surface.setStatusText(1, m_texts.noSourceStatus);
    if (m_state.ConnectionString.isEmpty())
        return LoadResult::NothingToOpen;

    const bool opened = OpenConnection();
    if (!opened && wasOpen && m_state.isOpen()) {
        // The source that was open stays, with its table list, caption and tools as they were.
        m_tools.setEnabled(ToolId::Start, startWasEnabled);
        m_surface.setStatusText(1, status);
        return LoadResult::KeptPrevious;
    }
    if (opened) {
        if (chosenSource)
            forgetChoiceOfAnotherSource(previousString);
        m_surface.setProgressValue(0);
        FillTableList();
        m_tools.setEnabled(ToolId::Start, true);
        m_tools.setEnabled(ToolId::Structure, true);
        m_surface.setStatusText(1, m_state.ConnectionString);
    } else if (chosenSource) {
        return LoadResult::Failed; // nothing was open: the window stays as it was, Start off
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
    return opened ? LoadResult::Opened : LoadResult::Failed;
}

bool DataSourceOpener::OpenConnection()
{
    m_surface.setWaitCursor(true);
    // The new connection opens beside the old one, which goes only once the new one is open: a source
    // that cannot be opened leaves the one that was open in place.
    auto connection = std::make_unique<Connection>();
    const bool opened = guarded(
        [&] {
            connection->setConnectionString(m_state.ConnectionString);
            connection->setPrompt(ado::adPromptCompleteRequired);
            connection->Open();
        },
        [this](const QString& source, const QString& description) {
            m_surface.setWaitCursor(false);
            showError(source, description);
            m_surface.setStatusText(1, m_texts.noSourceStatus + QLatin1Char(' '));
        });
    if (opened) {
        if (m_state.Connection)
            m_state.Connection->Close();
        m_state.Connection = std::move(connection);
        m_state.ConnectionString = m_state.Connection->ConnectionString();
        m_surface.setWaitCursor(false);
    } else if (m_state.isOpen()) {
        m_state.ConnectionString = m_state.Connection->ConnectionString();
    } else {
        m_state.Connection = std::move(connection); // closed, as after any failed open
    }
    return opened;
}

void DataSourceOpener::FillTableList()
{
    guarded(
        [this] {
            if (!m_state.Connection)
                throw DataError(ProductName, QStringLiteral("No data source is open."));
            // Emptied first: a list that cannot be read must not go on showing another source's tables.
            m_tools.clearTableEntries();
            m_tools.setTableText(QString());
            SchemaRecordSet schema = m_state.Connection->OpenSchema(ado::adSchemaTables);
            const QString allTables = m_texts.allTablesEntry();
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
