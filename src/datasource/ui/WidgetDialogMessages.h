// DialogMessages shown as modal QMessageBox windows titled with the product name, as boxes without a
// title of their own are.
#pragma once

#include "datasource/ui/DialogMessages.h"

namespace dorvane {

class WidgetDialogMessages : public DialogMessages
{
public:
    void showMessage(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;

    // The instance the dialogs use when they are given none.
    static WidgetDialogMessages& instance();
};

} // namespace dorvane
