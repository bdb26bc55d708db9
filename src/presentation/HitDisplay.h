// Shows a hit of the run in the main window: the two views, the replaced view's limits and the status
// panels 4 and 5; and the ID_Replace preview, which recomputes the replaced view from the three texts.
// Works through the main surface only. UI thread.
#pragma once

#include "engine/FieldMatcher.h"
#include "presentation/MainSurface.h"

namespace dorvane {

class HitDisplay
{
public:
    explicit HitDisplay(MainSurface& surface) : m_surface(surface) { }

    // Unlocks the panel, sets the replaced view's maximum length (panel 5 shows it), panel 4 the type
    // name and the digits-only filter (set for Integer fields, cleared for every other type), shows the
    // stored value and the proposed one, and starts Timer1 when replacing without halt.
    void ShowHit(const FieldSnapshot& field, const QString& proposed, bool replaceWithoutHalt);

    // The original view with every occurrence of the search text (taken literally, case ignored)
    // replaced by the replacement text. A search box without value, or with the empty text, leaves the
    // views alone.
    void ReplacePreview();

    // The replaced view's maximum length and the text of panel 5 for a field's defined size.
    static int replacedMaxLength(qint64 definedSize);

private:
    MainSurface& m_surface;
};

} // namespace dorvane
