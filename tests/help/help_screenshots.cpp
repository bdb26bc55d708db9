// Not a test: makes the pictures of the manual from the real windows on a copy of the demo database, in
// one interface language. Writes into IMAGES/LANGUAGE/: the main window waiting at a hit, the structure
// viewer, the three tabs of the options dialog, the file-driver dialog editing the "db" row, and the
// data-link dialog with the SQLite3 driver chosen; into IMAGES/tools/ the pictures of the tools. Run it
// under Xvfb (scripts/make-help-screenshots.sh does, for every language):
//     xvfb-run -a build/tests/help_screenshots build/demo/shop.db English help/images
#include "core/AppState.h"
#include "datasource/Connection.h"
#include "datasource/DataSourceState.h"
#include "datasource/ui/DataLinkDialog.h"
#include "datasource/ui/frmStructure.h"
#include "mainwindow/MainWindowController.h"
#include "mainwindow/frmMain.h"
#include "options/frmOpt.h"

#include "PresetFileChooser.h"
#include "TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

using namespace dorvane;

namespace {

// Lets the window system lay out and paint what was just shown or changed.
void settle(int milliseconds = 300)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The pictures go into a manual that is read offline and kept in the repository: highest compression.
bool savePicture(QWidget& widget, const QString& path)
{
    const bool saved = widget.grab().toImage().save(path, "PNG", 0);
    if (!saved)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return saved;
}

// The run's example: a word of the demo database worth replacing in each language.
struct Example
{
    QString search;
    QString replacement;
};

Example exampleFor(const QString& language)
{
    if (language == QLatin1String("Deutsch"))
        return {QStringLiteral("Strasse"), QStringLiteral("Straße")};
    return {QStringLiteral("colour"), QStringLiteral("color")};
}

// The tools on the bars, whose pictures the manual shows beside their names.
const char* const PictureTools[]
    = {"ID_Quit",  "ID_Options",  "ID_OpenDB", "ID_Connection", "ID_Structure", "ID_Help",    "ID_Start", "ID_Stop",
       "ID_Pause", "ID_Continue", "ID_Skip",   "ID_SkipRecord", "ID_SkipTable", "ID_Replace", "ID_Save"};

bool saveToolPictures(frmMain& window, const QString& folder)
{
    bool saved = true;
    for (const char* id : PictureTools) {
        const QAction* action = window.toolAction(QLatin1String(id));
        const QPixmap picture = action ? action->icon().pixmap(22, 22) : QPixmap();
        saved = !picture.isNull()
            && picture.toImage().save(folder + QLatin1Char('/') + QLatin1String(id) + ".png", "PNG", 0) && saved;
    }
    return saved;
}

// Opens the options dialog's file-driver dialog on the "db" row, as a double-click there does, and takes
// its picture while it waits modally.
bool saveFileDriverDialog(frmOpt& options, const QString& path)
{
    auto* drivers = options.findChild<QTreeWidget*>(QStringLiteral("dxTreeList2"));
    if (!drivers || drivers->topLevelItemCount() == 0)
        return false;
    QTreeWidgetItem* row = drivers->topLevelItem(0);
    for (int i = 0; i < drivers->topLevelItemCount(); ++i) {
        if (drivers->topLevelItem(i)->text(0).trimmed() == QLatin1String("db"))
            row = drivers->topLevelItem(i);
    }
    drivers->setCurrentItem(row);
    bool saved = false;
    QTimer::singleShot(400, &options, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != &options) {
            saved = savePicture(*dialog, path);
            dialog->close();
        }
    });
    options.editFileDriver();
    return saved;
}

bool saveDataLinkDialog(QWidget& parent, const QString& databasePath, const QString& path)
{
    test::PresetFileChooser chooser;
    DataLinkDialog dialog(chooser, &parent);
    auto* drivers = dialog.findChild<QListWidget*>(QStringLiteral("driverList"));
    const QList<QListWidgetItem*> sqlite
        = drivers ? drivers->findItems(QStringLiteral("SQLite3"), Qt::MatchExactly) : QList<QListWidgetItem*>();
    if (sqlite.isEmpty()) {
        std::fprintf(stderr, "the ODBC driver SQLite3 is not installed\n");
        return false;
    }
    drivers->setCurrentItem(sqlite.first());
    if (auto* attributes = dialog.findChild<QTableWidget*>(QStringLiteral("attributeTable")))
        attributes->setItem(0, 1, new QTableWidgetItem(databasePath));
    dialog.show();
    settle();
    const bool saved = savePicture(dialog, path);
    dialog.close();
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: help_screenshots <shop.db> <language> <images folder>\n");
        return 2;
    }
    const QString language = QString::fromLocal8Bit(argv[2]);
    const QString images = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
    const QString pictures = images + QLatin1Char('/') + language;
    const QString tools = images + QStringLiteral("/tools");
    QDir().mkpath(pictures);
    QDir().mkpath(tools);

    // A throw-away program folder with every shipped language, so that no real settings are touched and
    // the options dialog lists what a user gets.
    test::TempProgramFolder folder;
    const QDir languages(QStringLiteral(DORVANE_SOURCE_DIR "/lang"));
    for (const QString& name : languages.entryList({QStringLiteral("*.lng")}, QDir::Files)) {
        QFile file(languages.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        folder.writeFile(QStringLiteral("lang/") + name, file.readAll());
    }
    if (!QFile::exists(folder.filePath(QStringLiteral("lang/") + language + QStringLiteral(".lng")))) {
        std::fprintf(stderr, "there is no language file %s.lng\n", qPrintable(language));
        return 2;
    }
    // The data-link picture shows the database's path: one that stays the same from run to run, so that
    // pictures of unchanged windows come out unchanged.
    QDir demo(QDir::temp().filePath(QStringLiteral("dorvane-demo")));
    demo.removeRecursively();
    QDir().mkpath(demo.path());
    const QString database = demo.filePath(QStringLiteral("shop.db"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), database)) {
        std::fprintf(stderr, "cannot copy the database %s\n", argv[1]);
        return 1;
    }
    folder.writeFile(QStringLiteral("DVNReplacer.ini"),
                     "[Options]\r\nLanguage=" + language.toUtf8() + "\r\n[Win]\r\nTBText=1\r\n");
    folder.activate(language);

    DataSourceState state;
    state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=") + database;
    MainWindowController controller(state);
    frmMain& window = controller.window();
    controller.Load();
    window.show();
    settle(500);
    if (!state.isOpen()) {
        std::fprintf(stderr, "the demo database did not open\n");
        return 1;
    }

    bool saved = saveToolPictures(window, tools);

    // A run over all tables, waiting at its first hit.
    const Example example = exampleFor(language);
    window.setSearchValue(example.search);
    window.setReplaceValue(example.replacement);
    window.toolAction(QStringLiteral("ID_Start"))->trigger();
    settle();
    if (!window.toolAction(QStringLiteral("ID_Save"))->isEnabled()) {
        std::fprintf(stderr, "the run found no hit for %s\n", qPrintable(example.search));
        return 1;
    }
    saved = savePicture(window, pictures + QStringLiteral("/main-window.png")) && saved;
    window.toolAction(QStringLiteral("ID_Stop"))->trigger();
    settle(100);

    {
        frmStructure viewer(*state.Connection, &window);
        viewer.show();
        settle();
        saved = savePicture(viewer, pictures + QStringLiteral("/structure.png")) && saved;
    }

    {
        // The General tab shows the journal's path in the user's data folder, here the throw-away one:
        // the picture shows the path of a typical user instead, the same on every machine and run. Nothing
        // is saved while the dialog is open, so nothing is written there.
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/home/anna/.local/share");
        frmOpt options({}, &window);
        qputenv("XDG_DATA_HOME", dataHome);
        options.show();
        settle();
        auto* tabs = options.findChild<QTabWidget*>(QStringLiteral("SSActiveTabs1"));
        const char* const tabPictures[] = {"/options-general.png", "/options-datatypes.png", "/options-drivers.png"};
        for (int tab = 0; tabs && tab < 3; ++tab) {
            tabs->setCurrentIndex(tab);
            settle(200);
            saved = savePicture(options, pictures + QLatin1String(tabPictures[tab])) && saved;
        }
        saved = saveFileDriverDialog(options, pictures + QStringLiteral("/file-driver.png")) && saved;
        options.reject();
    }

    saved = saveDataLinkDialog(window, database, pictures + QStringLiteral("/data-link.png")) && saved;

    window.close();
    demo.removeRecursively();
    std::printf("%s: pictures %s\n", qPrintable(language), saved ? "saved" : "NOT all saved");
    return saved ? 0 : 1;
}
