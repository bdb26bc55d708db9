#include "datasource/ui/WidgetDataLinkPrompt.h"

#include "datasource/ui/DataLinkDialog.h"

namespace dorvane {

WidgetDataLinkPrompt::WidgetDataLinkPrompt(FileChooser& fileChooser, QWidget* parent)
    : m_fileChooser(fileChooser), m_parent(parent)
{
}

std::optional<QString> WidgetDataLinkPrompt::promptNew()
{
    DataLinkDialog dialog(m_fileChooser, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString text = dialog.connectionString();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace dorvane
