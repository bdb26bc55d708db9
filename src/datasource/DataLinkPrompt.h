// The data-link dialog as the data-source logic sees it: the user composes a new connection and gets
// back its connection string. The widget implementation is DataLinkDialog; tests answer with a preset
// string. UI thread only.
#pragma once

#include <QString>

#include <optional>

namespace dorvane {

class DataLinkPrompt
{
public:
    virtual ~DataLinkPrompt() = default;

    // Shows the dialog modally. Returns the composed connection string, or nothing when cancelled.
    virtual std::optional<QString> promptNew() = 0;
};

} // namespace dorvane
