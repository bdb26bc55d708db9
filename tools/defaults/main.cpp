// dorvane-defaults FOLDER: writes the files a program folder starts with into FOLDER, made by the
// program's own code: the INI template (DVNReplacer.ini) and the default file-driver and data-type
// tables (sys/fdrv.dat, sys/dtype.dat). The build runs it for the installed program folder, from which
// each user's own folder is seeded; existing files in FOLDER are replaced.
#include "core/AppState.h"
#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/FileDriverTable.h"
#include "engine/DataTypeTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fputs("usage: dorvane-defaults FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QFileInfo(args[0]).absoluteFilePath();
    if (!QDir().mkpath(folder + QStringLiteral("/sys"))) {
        std::fprintf(stderr, "dorvane-defaults: cannot make %s/sys\n", qPrintable(folder));
        return 1;
    }
    dorvane::appState().AppPath = folder;
    dorvane::appState().IniPath = dorvane::appState().programPath(QStringLiteral("\\") + dorvane::IniFileName);
    try {
        dorvane::CreateIniFile();
        dorvane::BuildFileDriverTable();
        dorvane::BuildDataTypeTable();
    } catch (const dorvane::DataError& error) {
        std::fprintf(stderr, "dorvane-defaults: %s\n", qPrintable(error.description()));
        return 1;
    }
    if (!QFileInfo::exists(dorvane::appState().IniPath)) {
        std::fprintf(stderr, "dorvane-defaults: cannot write %s\n", qPrintable(dorvane::appState().IniPath));
        return 1;
    }
    return 0;
}
