// dorvane-manpage FILE VERSION: writes the manual page dorvane(1) of that version into FILE. The build runs it for the
// package (cmake/Install.cmake); not installed itself.
#include "cli/ManualPage.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 || args[0].startsWith(QLatin1Char('-'))) {
        std::fputs("usage: dorvane-manpage FILE VERSION\n", stderr);
        return 2;
    }
    QSaveFile file(args[0]);
    if (!file.open(QIODevice::WriteOnly) || file.write(dorvane::manualPage(args[1]).toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "dorvane-manpage: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    return 0;
}
