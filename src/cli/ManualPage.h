// The manual page dorvane(1), made from the text of "dorvane --help" so that the two never disagree.
#pragma once

#include <QString>

namespace dorvane {

// The page in man(7) markup, for the given program version.
QString manualPage(const QString& version);

} // namespace dorvane
