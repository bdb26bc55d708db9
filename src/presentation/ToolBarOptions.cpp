#include "presentation/ToolBarOptions.h"

#include "core/Settings.h"
#include "presentation/ToolCatalogue.h"

namespace dorvane {

void SetTB(ToolCatalogue& tools)
{
    const QString value = ReadIniValue(QStringLiteral("Win"), QStringLiteral("TBText"), QStringLiteral("0"), 256);
    const int style = isSetFlag(value) ? CaptionBesidePicture : PictureOnly;
    for (const char* id : {"ID_Stop", "ID_SkipTable", "ID_Start", "ID_Skip", "ID_Save", "ID_Replace"})
        tools.setDisplayStyle(QString::fromLatin1(id), style);
}

} // namespace dorvane
