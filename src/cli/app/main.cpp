// dorvane: the command line of Dorvane (see "dorvane --help").
#include "cli/CommandLineTool.h"
#include "cli/Console.h"
#include "cli/ProgramFolder.h"
#include "core/ProductInfo.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(dorvane::ProductName);
    QCoreApplication::setOrganizationName(dorvane::ProductName);
    dorvane::Console console(stdout, stderr);
    return dorvane::runCommandLine(app.arguments().mid(1), console, dorvane::commandLineProgramFolder());
}
