#include "presentation/MainSurface.h"

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

MatchOptions MainSurface::matchOptions() const
{
    MatchOptions options;
    options.search = searchValue();
    options.replacement = replaceValue();
    options.wholeField = wholeField();
    options.caseSensitive = caseSensitive();
    options.wholeWords = wholeWord();
    options.regularExpression = regEx();
    return options;
}

} // namespace dorvane
