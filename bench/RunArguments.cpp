#include "RunArguments.h"

namespace dorvane::bench {

bool RunArguments::parse(const QStringList& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool ok = true;
        if (arguments.at(i) == QLatin1String("--connection") && i + 1 < arguments.size())
            server = arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--rows") && i + 1 < arguments.size())
            rows = arguments.at(++i).toInt(&ok);
        else if (arguments.at(i) == QLatin1String("--repeat") && i + 1 < arguments.size())
            repeat = arguments.at(++i).toInt(&ok);
        else
            ok = false;
        if (!ok || rows < 1 || repeat < 1)
            return false;
    }
    return true;
}

} // namespace dorvane::bench
