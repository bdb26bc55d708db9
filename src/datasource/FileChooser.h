// The open-file dialog as the data-source logic sees it. The widget implementation shows a real dialog;
// tests answer with a preset path. UI thread only.
#pragma once

#include <QString>

namespace dorvane {

class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // Shows a modal open-file dialog with the given title, whose one filter entry has the pattern list
    // `patterns` ("*.mdb;*.xls;", final ";" allowed; empty: every file) both as its description and as
    // its patterns, and whose file name starts empty. A name that does not exist yet may be chosen.
    // Returns the chosen file's full path, or "" when the user cancelled.
    virtual QString chooseFile(const QString& title, const QString& patterns) = 0;
};

} // namespace dorvane
