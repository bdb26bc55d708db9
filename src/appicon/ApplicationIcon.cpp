#include "appicon/ApplicationIcon.h"

// A resource compiled into a static library is registered only when something calls its initialiser;
// Q_INIT_RESOURCE must stand outside any namespace.
static void registerIconResource()
{
    Q_INIT_RESOURCE(appicon);
}

namespace dorvane {

QIcon applicationIcon()
{
    static const bool registered = (registerIconResource(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/dorvane/dorvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace dorvane
