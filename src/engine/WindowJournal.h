// The window's change journal: every change the window saves is recorded in a journal file of the
// user's data folder ($XDG_DATA_HOME/dorvane/journal.sqlite, by default
// ~/.local/share/dorvane/journal.sqlite, beside the per-user program folder's files), so that "dorvane undo --journal
// <that file> --run last" takes a run made in the window back. The INI setting [Win] Journal turns it off with "0"
// (default "1").
#pragma once

#include <QString>

namespace dorvane {

// The journal file of the user, whether or not it is on.
QString windowJournalPath();
// True unless the INI setting [Win] Journal says otherwise (read at each call).
bool isWindowJournalOn();
// windowJournalPath() while the journal is on, else "".
QString activeWindowJournal();

} // namespace dorvane
