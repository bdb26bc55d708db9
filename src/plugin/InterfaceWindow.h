// The process's one main window as the plug-in class starts it: at most one is loaded at a time, shared
// by every instance of the class, and it outlives the instance that started it. UI thread only, except
// isLoaded() and requestClose(), which any thread may call.
#pragma once

namespace dorvane {

class MainWindowController;

class InterfaceWindow
{
public:
    // The loaded window, or null.
    static MainWindowController* running();

    // Loads a new window that lives on its own: once it has unloaded and control is back in the event
    // loop it is deleted, never while a walk of its run may still be on the stack. REQUIRES: running()
    // is null. The window is not shown.
    static MainWindowController& load();

    // Shows the loaded window (loading one first if there is none) application-modal and runs its
    // event loop until it unloads; then deletes it and returns.
    static void execModal();

    // From the window's load until it has been deleted.
    static bool isLoaded();

    // Closes the loaded window as its close box does, asynchronously on the UI thread; nothing when
    // there is none by then.
    static void requestClose();

    // Runs an event loop until no window is loaded; returns at once when none is.
    static void waitUntilGone();
};

} // namespace dorvane
