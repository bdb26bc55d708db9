// The INI option Win/TBText applied to the run tools of the tool catalogue.
#pragma once

namespace dorvane {

class ToolCatalogue;

// Reads Win/TBText afresh: exactly "1" shows the captions of ID_Stop, ID_SkipTable, ID_Start, ID_Skip,
// ID_Save and ID_Replace beside their pictures, anything else shows their pictures only. No other
// tool changes.
void SetTB(ToolCatalogue& tools);

} // namespace dorvane
