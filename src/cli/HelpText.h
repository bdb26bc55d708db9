// The text of "dorvane --help": the interface, each option, the exit statuses.
#pragma once

#include <QString>

namespace dorvane {

QString helpText();
// The first lines of the help text, for bad usage on standard error.
QString usageText();

} // namespace dorvane
