// The open-file dialog of the main window, a QFileDialog as the FileChooser contract describes it.
#pragma once

#include "datasource/FileChooser.h"

#include <QPointer>
#include <QWidget>

namespace dorvane {

class WidgetFileChooser : public FileChooser
{
public:
    explicit WidgetFileChooser(QWidget* parent = nullptr);

    QString chooseFile(const QString& title, const QString& patterns) override;

    // The Qt name filter for a pattern list such as "*.mdb;*.xls;": the list itself as description and
    // every pattern matched without regard to case, since the lookup lower-cases the name first and a
    // file Sales.MDB must be offered as well.
    static QString nameFilterFor(const QString& patterns);

private:
    QPointer<QWidget> m_parent;
};

} // namespace dorvane
