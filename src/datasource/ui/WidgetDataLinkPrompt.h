// The data-link prompt of the main window: shows DataLinkDialog modally.
#pragma once

#include "datasource/DataLinkPrompt.h"

#include <QPointer>
#include <QWidget>

namespace dorvane {

class FileChooser;

class WidgetDataLinkPrompt : public DataLinkPrompt
{
public:
    // The file chooser serves the dialog's Browse button; it must outlive this prompt.
    explicit WidgetDataLinkPrompt(FileChooser& fileChooser, QWidget* parent = nullptr);

    std::optional<QString> promptNew() override;

private:
    FileChooser& m_fileChooser;
    QPointer<QWidget> m_parent;
};

} // namespace dorvane
