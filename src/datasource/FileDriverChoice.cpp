#include "datasource/FileDriverChoice.h"

#include "datasource/ConnectionTarget.h"
#include "datasource/FileContentDriver.h"
#include "datasource/FileDriverTable.h"

namespace dorvane {

std::optional<FileDriverRow> chooseFileDriver(const QString& fileName, const std::optional<FileDriverRow>& tableRow)
{
    if (tableRow && ConnectionTarget::resolve(fileDriverConnectionString(*tableRow, fileName)).driverInstalled())
        return tableRow;
    if (std::optional<FileDriverRow> byContent = fileDriverByContent(fileName))
        return byContent;
    return tableRow;
}

} // namespace dorvane
