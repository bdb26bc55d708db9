#include "datasource/ui/WidgetDialogMessages.h"

#include "core/ProductInfo.h"

#include <QMessageBox>

namespace dorvane {

void WidgetDialogMessages::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, ProductName, text, QMessageBox::Ok, parent);
    box.exec();
}

bool WidgetDialogMessages::askYesNo(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, ProductName, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

WidgetDialogMessages& WidgetDialogMessages::instance()
{
    static WidgetDialogMessages messages;
    return messages;
}

} // namespace dorvane
