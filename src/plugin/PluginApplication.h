// The Qt application object under the plug-in library. A Qt host brings its own; for a host without Qt
// the library creates one on the first call and keeps it until the process ends or the library is
// unloaded; the program creates its own in its main. All library calls then belong to that object's
// thread.
#pragma once

class QApplication;

namespace dorvane {

class PluginApplication
{
public:
    enum class Status
    {
        Ready,
        NoGui, // an application object without widgets, or no window system to reach
        WrongThread,
    };

    // Creates the application object when the process has none; then as check().
    static Status ensure();
    // Ready when a QApplication exists and this is its thread.
    static Status check();

    // What the library sets on an application object it creates: the product's names and icon, under
    // which the message boxes of start-up appear.
    static void configure(QApplication& application);
};

} // namespace dorvane
