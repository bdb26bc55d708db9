// Hands an address to the desktop's handler for it through xdg-open, the freedesktop.org way of "open
// this with what the user chose", which needs no display of its own: the launcher shows no window and
// must run, and end, where no display can be reached. Qt's own hand-over on these desktops ends in the
// same program, but only after a GUI platform has connected to a display.
#pragma once

#include <QUrl>

namespace dorvane::updater {

class XdgOpen
{
public:
    // Starts xdg-open (found on PATH) with the address and returns at once, never waiting for the
    // handler or the browser; false when there is no xdg-open or it cannot be started. The handler's
    // output goes nowhere.
    static bool open(const QUrl& url);
};

} // namespace dorvane::updater
