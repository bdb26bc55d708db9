#include "datasource/ui/WidgetFileChooser.h"

#include <QFileDialog>
#include <QStringList>

namespace dorvane {

WidgetFileChooser::WidgetFileChooser(QWidget* parent) : m_parent(parent) { }

QString WidgetFileChooser::nameFilterFor(const QString& patterns)
{
    QStringList globs;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString glob;
        for (const QChar c : pattern.trimmed()) {
            if (c.toLower() != c.toUpper())
                glob += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else
                glob += c;
        }
        if (!glob.isEmpty())
            globs.append(glob);
    }
    if (globs.isEmpty())
        return QString();
    return patterns + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString WidgetFileChooser::chooseFile(const QString& title, const QString& patterns)
{
    QFileDialog dialog(m_parent, title);
    dialog.setObjectName(QStringLiteral("fileChooserDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet may be chosen: a row whose template asks for it (SQLite's NoCreat=0)
    // makes a new database; otherwise the open says that the file does not exist.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QString filter = nameFilterFor(patterns);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace dorvane
