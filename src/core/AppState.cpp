#include "core/AppState.h"

namespace dorvane {

AppState& appState()
{
    static AppState state;
    return state;
}

QString toNativeSeparators(const QString& relative)
{
    QString result = relative;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString AppState::programPath(const QString& relative) const
{
    return AppPath + toNativeSeparators(relative);
}

} // namespace dorvane
