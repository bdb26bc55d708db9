#include "presentation/ToolId.h"

#include <array>

namespace dorvane {

namespace {

constexpr std::array<const char*, ToolIdCount> Texts = {
    "ID_Quit",       "ID_Options",
    "ID_OpenDB",     "ID_Connection",
    "ID_Structure",  "ID_Tables",
    "ID_Help",       "ID_About",
    "ID_Program",    "ID_Action",
    "ID_HelpMnu",    "ID_Start",
    "ID_Stop",       "ID_Pause",
    "ID_Continue",   "ID_Skip",
    "ID_SkipRecord", "ID_SkipTable",
    "ID_Replace",    "ID_Save",
    "ID_Update",     "ID_Settings",
    "ID_AllTables",  "ID_Mode",
    "ID_SQL",        "ID_ConnectionString",
    "ID_Select",     "ID_CheckWebLink",
    "ID_SearchMenu", "ID_Hyperlink",
    "ID_FTPLink",    "ID_EmailAddress",
};

} // namespace

QString toolIdText(ToolId id)
{
    return QString::fromLatin1(Texts[size_t(id)]);
}

std::optional<ToolId> toolIdFromText(const QString& text)
{
    for (size_t i = 0; i < Texts.size(); ++i) {
        if (text == QLatin1StringView(Texts[i]))
            return ToolId(i);
    }
    return std::nullopt;
}

} // namespace dorvane
