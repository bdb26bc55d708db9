#include "presentation/ToolBarOptions.h"

#include "core/Settings.h"
#include "presentation/ToolCatalogue.h"

namespace dorvane {

void SetTB(ToolCatalogue& tools)
{
    const QString value = ReadIniValue(QStringLiteral("Win"), QStringLiteral("TBText"), QStringLiteral("0"), 256);
    const int style = isSetFlag(value) ? CaptionBesidePicture : PictureOnly;
    for (ToolId id : {ToolId::Stop, ToolId::SkipTable, ToolId::Start, ToolId::Skip, ToolId::Save, ToolId::Replace})
        tools.setDisplayStyle(id, style);
}

} // namespace dorvane
