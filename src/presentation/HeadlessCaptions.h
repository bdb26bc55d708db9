// MainWindowCaptions without widgets: the captions as plain texts, starting from the built-in ones.
#pragma once

#include "presentation/MainWindowCaptions.h"

#include <QMap>

namespace dorvane {

class HeadlessCaptions : public MainWindowCaptions
{
public:
    HeadlessCaptions();

    void setElementCaption(CaptionElement element, const QString& caption) override;
    QString elementCaption(CaptionElement element) const override;
    void setEditorCommandText(EditorCommand command, const QString& text) override;
    QString editorCommandText(EditorCommand command) const override;

private:
    QMap<CaptionElement, QString> m_captions;
    QMap<EditorCommand, QString> m_commandTexts;
};

} // namespace dorvane
