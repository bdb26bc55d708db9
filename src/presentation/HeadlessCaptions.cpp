#include "presentation/HeadlessCaptions.h"

namespace dorvane {

HeadlessCaptions::HeadlessCaptions()
{
    for (CaptionElement element : AllCaptionElements)
        m_captions.insert(element, designCaption(element));
    for (EditorCommand command : AllEditorCommands)
        m_commandTexts.insert(command, defaultCommandText(command));
}

void HeadlessCaptions::setElementCaption(CaptionElement element, const QString& caption)
{
    m_captions.insert(element, caption);
}

QString HeadlessCaptions::elementCaption(CaptionElement element) const
{
    return m_captions.value(element);
}

void HeadlessCaptions::setEditorCommandText(EditorCommand command, const QString& text)
{
    m_commandTexts.insert(command, text);
}

QString HeadlessCaptions::editorCommandText(EditorCommand command) const
{
    return m_commandTexts.value(command);
}

} // namespace dorvane
