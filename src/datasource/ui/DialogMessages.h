// The message boxes of the modal dialogs (file-driver dialog, options dialog): a seam, so that widget
// tests can answer them. WidgetDialogMessages shows real boxes; UI thread only.
#pragma once

#include <QString>

class QWidget;

namespace dorvane {

class DialogMessages
{
public:
    virtual ~DialogMessages() = default;

    // A message with an OK button and no title of its own.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // A question with the buttons Yes and No, the question icon and no title of its own; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
};

} // namespace dorvane
