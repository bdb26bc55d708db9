// The application icon: the program, its windows, the tray and the plug-in's Img show it. Built into
// the library as a resource, so that a host loading the plug-in gets it without any file beside it.
#pragma once

#include <QIcon>

namespace dorvane {

// The icon in every size the resource holds (16 to 256 pixels). REQUIRES: a QGuiApplication exists.
QIcon applicationIcon();

} // namespace dorvane
