// dorvane-bench SUBCOMMAND [options]: speed measurements that compare the tool with a bare baseline in the
// same run. Every subcommand lives in its own file (XxxBenchmark.h/.cpp, a function
// `int runXxxBenchmark(const QStringList& arguments)`) and has one line in the table below.
#include "CliReplaceBenchmark.h"
#include "CliSearchBenchmark.h"
#include "LanguageFileBenchmark.h"
#include "LongValueBenchmark.h"
#include "MatchBenchmark.h"
#include "RunReplaceBenchmark.h"
#include "RunScanBenchmark.h"
#include "ScanBenchmark.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

struct Subcommand
{
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);
};

const Subcommand Subcommands[] = {
    {"scan", "scan [--rows N] [--repeat K]   a table read through QueryRecordSet and through a bare ODBC loop",
     dorvane::bench::runScanBenchmark},
    {"match",
     "match [--values N] [--mode NAME]   the field test of every matching mode (or one) over generated text values",
     dorvane::bench::runMatchBenchmark},
    {"run-scan",
     "run-scan [--rows N] [--repeat K] [--connection STRING]   a run to its only hit in the last row against a bare "
     "ODBC scan",
     dorvane::bench::runRunScanBenchmark},
    {"long-values",
     "long-values [--sizes 1,10] [--repeat K] [--connection STRING] [--fixed-pieces]   long text and binary values "
     "read through QueryRecordSet and through a bare SQLGetData loop",
     dorvane::bench::runLongValueBenchmark},
    {"run-replace",
     "run-replace [--rows N] [--repeat K] [--connection STRING]   replace without halt against a bare "
     "scan-and-update loop",
     dorvane::bench::runRunReplaceBenchmark},
    {"language-file",
     "language-file [--megabytes N]   the texts of one window load from an N MB language file against reading it "
     "whole",
     dorvane::bench::runLanguageFileBenchmark},
    {"cli-replace",
     "cli-replace [--rows N] [--repeat K] [--connection STRING]   the dorvane program's replace, without and with its "
     "journal, against the bare loop of run-replace",
     dorvane::bench::runCliReplaceBenchmark},
    {"cli-search",
     "cli-search --connection STRING [--rows N] [--repeat K]   the dorvane program's search on a server, asking it for "
     "candidate rows, against reading every row",
     dorvane::bench::runCliSearchBenchmark},
};

int usage()
{
    std::fprintf(stderr, "usage: dorvane-bench SUBCOMMAND [options]\n");
    for (const Subcommand& subcommand : Subcommands)
        std::fprintf(stderr, "  %s\n", subcommand.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    for (const Subcommand& subcommand : Subcommands) {
        if (arguments.first() == QLatin1String(subcommand.name))
            return subcommand.run(arguments.mid(1));
    }
    std::fprintf(stderr, "dorvane-bench: unknown subcommand \"%s\"\n", qPrintable(arguments.first()));
    return usage();
}
