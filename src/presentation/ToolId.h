// The main window's tools by name. The text of each ("ID_Start") is what the window, the language files
// and hosts use; code names tools by this enum, so a misspelt tool does not compile.
#pragma once

#include <QString>

#include <optional>

namespace dorvane {

// In the order of the catalogue.
enum class ToolId
{
    Quit,
    Options,
    OpenDB,
    Connection,
    Structure,
    Tables,
    Help,
    About,
    Program,
    Action,
    HelpMnu,
    Start,
    Stop,
    Pause,
    Continue,
    Skip,
    SkipRecord,
    SkipTable,
    Replace,
    Save,
    Update,
    Settings,
    AllTables,
    Mode,
    SQL,
    ConnectionString,
    Select,
    CheckWebLink,
    SearchMenu,
    Hyperlink,
    FTPLink,
    EmailAddress,
};

inline constexpr int ToolIdCount = int(ToolId::EmailAddress) + 1;

// "ID_" + name.
QString toolIdText(ToolId id);
// The tool of an exact, case-sensitive text; none for any other text.
std::optional<ToolId> toolIdFromText(const QString& text);

} // namespace dorvane
