// Not a test: a whole session on the demo database in a real window, through the plug-in class as the
// program starts it. Opens a copy of the database with the shipped German texts, searches "strasse" in
// Customers, saves a picture while the first hit waits, saves the proposed "straße" into the database
// and checks the row through a second connection. Run it under Xvfb:
//     scripts/make-demo-db.sh && xvfb-run -a build/tests/plugin_demo_session build/demo/shop.db docs/demo-session.png
#include "core/AppState.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "mainwindow/MainWindowController.h"
#include "mainwindow/frmMain.h"
#include "plugin/clsDvnReplacer.h"

#include "TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

using namespace dorvane;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: plugin_demo_session <shop.db> <picture.png>\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);

    test::TempProgramFolder folder;
    QFile german(QStringLiteral(DORVANE_SOURCE_DIR "/lang/Deutsch.lng"));
    if (!german.open(QIODevice::ReadOnly)
        || !QFile::copy(QString::fromLocal8Bit(argv[1]), folder.filePath(QStringLiteral("shop.db")))) {
        std::fprintf(stderr, "cannot read the language file or the database\n");
        return 1;
    }
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), german.readAll());
    folder.writeFile(QStringLiteral("DVNReplacer.ini"), "[Options]\r\nLanguage=Deutsch\r\n[Win]\r\nTBText=1\r\n");
    folder.activate(QStringLiteral("Deutsch"));
    const QString connection = QStringLiteral("DRIVER=SQLite3;Database=") + folder.filePath(QStringLiteral("shop.db"));

    {
        clsDvnReplacer replacer;
        replacer.SaveWinPos(true);
        replacer.StartInterface(QStringLiteral("demo"), QStringLiteral("Deutsch"), false, connection, QString(),
                                QStringLiteral("Customers"), QString(), QStringLiteral("shop.db"));
    }
    MainWindowController* controller = clsDvnReplacer::runningWindow();
    if (!controller)
        return 1;
    frmMain& window = controller->window();

    bool pictureSaved = false;
    QTimer::singleShot(500, &window, [&] {
        window.setSearchValue(QStringLiteral("strasse"));
        window.setReplaceValue(QStringLiteral("straße"));
        window.toolAction(QStringLiteral("ID_Start"))->trigger();
        QTimer::singleShot(500, &window, [&] {
            pictureSaved = window.grab().save(output);
            window.toolAction(QStringLiteral("ID_Save"))->trigger();
            window.close();
        });
    });
    app.exec();

    Connection check;
    check.setConnectionString(connection);
    check.Open();
    QueryRecordSet rows;
    rows.Open(check, QStringLiteral("SELECT Street FROM Customers WHERE CustomerID = 1"));
    const QString street = rows.Fields(0).Value().toString();
    std::printf("picture %s, Customers 1 Street: %s\n", pictureSaved ? "saved" : "NOT saved", qPrintable(street));
    return pictureSaved && street == QStringLiteral("Hauptstraße 12") ? 0 : 1;
}
