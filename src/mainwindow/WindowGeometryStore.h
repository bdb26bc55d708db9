// The main window's geometry between runs: INI [Win] WinPos "1" keeps it in the per-user settings,
// section MainWinPos, as twips written as numbers. UI-free; the window converts at its boundary.
#pragma once

#include "mainwindow/PanelLayout.h"

namespace dorvane {

class WindowGeometryStore
{
public:
    // INI [Win] WinPos is exactly "1".
    static bool isKept();
    // The stored geometry; a value that is missing or not a number takes its default (1000, 1000,
    // 7000, 7000), so a damaged entry can never place the window nowhere.
    static TwipsRect stored();
    // Writes the geometry when it is kept and the window is in its normal state; else writes nothing,
    // so the last normal geometry stays stored.
    static void keep(const TwipsRect& geometry, bool normalState);
};

} // namespace dorvane
