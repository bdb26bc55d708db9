// DVNReplacerHost: a small host program that loads the plug-in library at run time, as any host would,
// and starts the main window on a data source given on its command line:
//
//     DVNReplacerHost --connection "DRIVER=SQLite3;Database=shop.db" --table "Order Details"
//                     [--dsn-name Shop] [--sql "SELECT ..."] [--modal] [--library path/libdorvane_plugin.so]
//
// The library is looked for beside the host unless --library names it.
#include "plugin/dvnreplacer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

#include <dlfcn.h>

namespace {

template<typename F> F resolve(void* library, const char* name)
{
    return reinterpret_cast<F>(::dlsym(library, name));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    QApplication::setOrganizationName(QStringLiteral("Dorvane"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Starts the Dorvane plug-in on a data source."));
    parser.addHelpOption();
    const QCommandLineOption connection(QStringLiteral("connection"), QStringLiteral("ODBC connection string."),
                                        QStringLiteral("string"));
    const QCommandLineOption table(QStringLiteral("table"), QStringLiteral("Table to choose."), QStringLiteral("name"));
    const QCommandLineOption dsnName(QStringLiteral("dsn-name"), QStringLiteral("Display name of the data source."),
                                     QStringLiteral("name"));
    const QCommandLineOption sql(QStringLiteral("sql"), QStringLiteral("SQL text shown in the SQL tool."),
                                 QStringLiteral("text"));
    const QCommandLineOption modal(QStringLiteral("modal"), QStringLiteral("Start the window modally."));
    const QCommandLineOption library(QStringLiteral("library"), QStringLiteral("Path of the plug-in library."),
                                     QStringLiteral("path"));
    parser.addOptions({connection, table, dsnName, sql, modal, library});
    parser.process(app);

    const QString libraryPath = parser.isSet(library)
        ? parser.value(library)
        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libdorvane_plugin.so"));
    void* handle = ::dlopen(QFile::encodeName(libraryPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "DVNReplacerHost: %s\n", ::dlerror());
        return 1;
    }
    const auto create = resolve<decltype(&dvnreplacer_create)>(handle, "dvnreplacer_create");
    const auto destroy = resolve<decltype(&dvnreplacer_destroy)>(handle, "dvnreplacer_destroy");
    const auto startInterface = resolve<decltype(&dvnreplacer_start_interface)>(handle, "dvnreplacer_start_interface");
    if (!create || !destroy || !startInterface) {
        std::fprintf(stderr, "DVNReplacerHost: %s is not the Dorvane plug-in\n", qPrintable(libraryPath));
        return 1;
    }
    dvnreplacer* replacer = create();
    if (!replacer) {
        const auto startup = resolve<decltype(&dvnreplacer_startup)>(handle, "dvnreplacer_startup");
        const auto statusText = resolve<decltype(&dvnreplacer_status_text)>(handle, "dvnreplacer_status_text");
        std::fprintf(stderr, "DVNReplacerHost: the plug-in does not start: %s\n",
                     startup && statusText ? statusText(startup()) : "unknown reason");
        return 1;
    }
    const QByteArray connectionText = parser.value(connection).toUtf8();
    const QByteArray sqlText = parser.value(sql).toUtf8();
    const QByteArray tableText = parser.value(table).toUtf8();
    const QByteArray dsnText = parser.value(dsnName).toUtf8();
    startInterface(replacer, "DVNReplacerHost", "Deutsch", parser.isSet(modal) ? 1 : 0, connectionText.constData(),
                   sqlText.constData(), tableText.constData(), nullptr, dsnText.constData());
    destroy(replacer);
    // Modal: the window has been closed already. Otherwise it lives on until it is closed.
    return parser.isSet(modal) ? 0 : QApplication::exec();
}
