// The plug-in library as a foreign host sees it: loaded with dlopen from a program folder of its own,
// used only through the C functions of dvnreplacer.h. This test does not link the library.
#include "plugin/dvnreplacer.h"

#include "SqliteDatabase.h"
#include "TempProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

using namespace dorvane::test;

namespace {

struct PluginApi
{
    void* library = nullptr;
    decltype(&dvnreplacer_create) create = nullptr;
    decltype(&dvnreplacer_destroy) destroy = nullptr;
    decltype(&dvnreplacer_start_interface) startInterface = nullptr;
    decltype(&dvnreplacer_run) run = nullptr;
    decltype(&dvnreplacer_set_run) setRun = nullptr;

    template<typename F> void resolve(F& function, const char* name)
    {
        function = reinterpret_cast<F>(::dlsym(library, name));
    }
};

QMainWindow* shownMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

class TestPluginHost : public QObject
{
    Q_OBJECT

private slots:
    void loadedWithDlopenLikeAForeignHost();
};

void TestPluginHost::loadedWithDlopenLikeAForeignHost()
{
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("DVNReplacer.ini"), "[Options]\r\nLanguage=Deutsch\r\n");
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), "[frmMain]\r\nt1=Suchen nach\r\nt19=Alle Tabellen\r\n");
    const QString libraryCopy = folder.filePath(QStringLiteral("libdorvane_plugin.so"));
    QVERIFY(QFile::copy(QStringLiteral(DORVANE_PLUGIN_FILE), libraryCopy));
    SqliteDatabase db(folder.path());
    db.exec(QStringLiteral("CREATE TABLE Customers (id INTEGER PRIMARY KEY, name TEXT)"));
    db.close();

    PluginApi api;
    api.library = ::dlopen(QFile::encodeName(libraryCopy).constData(), RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(api.library, ::dlerror());
    api.resolve(api.create, "dvnreplacer_create");
    api.resolve(api.destroy, "dvnreplacer_destroy");
    api.resolve(api.startInterface, "dvnreplacer_start_interface");
    api.resolve(api.run, "dvnreplacer_run");
    api.resolve(api.setRun, "dvnreplacer_set_run");
    QVERIFY(api.create && api.destroy && api.startInterface && api.run && api.setRun);

    // The library works in its own folder: its INI file is the one beside it.
    dvnreplacer* replacer = api.create();
    QVERIFY(replacer);
    int run = -2;
    QCOMPARE(api.run(replacer, &run), DVNREPLACER_OK);
    QCOMPARE(run, 1);
    QCOMPARE(api.setRun(replacer, 0), DVNREPLACER_OK);
    QCOMPARE(api.run(replacer, &run), DVNREPLACER_OK);
    QCOMPARE(run, 0);
    QVERIFY(folder.readFile(QStringLiteral("DVNReplacer.ini")).contains("Run=0"));

    // Modal: returns only once the window has been closed.
    QString captionWhileShown;
    QTimer::singleShot(50, this, [&] {
        if (QMainWindow* window = shownMainWindow()) {
            captionWhileShown = window->windowTitle();
            window->close();
        }
    });
    const QByteArray connection = db.connectionString().toUtf8();
    QCOMPARE(
        api.startInterface(replacer, "1", "Deutsch", 1, connection.constData(), nullptr, "Customers", nullptr, "Shop"),
        DVNREPLACER_OK);
    QCOMPARE(captionWhileShown, QStringLiteral("Dorvane 1.01.00 - [Shop - Customers]"));
    QVERIFY(!shownMainWindow());
    QCOMPARE(api.destroy(replacer), DVNREPLACER_OK);
    QCOMPARE(api.destroy(nullptr), DVNREPLACER_OK);
    // The library stays loaded: Qt keeps its meta-objects registered for the life of the process.
}

QTEST_MAIN(TestPluginHost)
#include "tst_pluginhost.moc"
