#include "core/MainSurface.h"

namespace dorvane {

void MainSurface::refreshReplacedView()
{
    const QString search = searchValue().value_or(QString());
    if (search.isEmpty())
        return;
    QString content = originalView().value_or(QString());
    content.replace(search, replaceValue().value_or(QString()), Qt::CaseSensitive);
    setReplacedView(content);
}

} // namespace dorvane
