// Shows the main window with the shipped German texts in the middle of a run, waiting at a hit, and
// saves a picture of it. Used for the README: xvfb-run -a build/tests/mainwindow_screenshot docs/main-window.png

#include "core/ProductInfo.h"
#include "mainwindow/frmMain.h"

#include "TempProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

using namespace dorvane;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");

    // A throw-away program folder, so that no real settings are read or written.
    test::TempProgramFolder folder;
    QFile german(QStringLiteral(DORVANE_SOURCE_DIR "/lang/Deutsch.lng"));
    if (!german.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(german.fileName()));
        return 1;
    }
    folder.writeFile(QStringLiteral("lang/Deutsch.lng"), german.readAll());
    folder.writeFile(QStringLiteral("DVNReplacer.ini"), "[Options]\r\nLanguage=Deutsch\r\n[Win]\r\nTBText=1\r\n");
    folder.activate(QStringLiteral("Deutsch"));

    frmMain window;
    window.LoadLanguage();
    window.SetTB();
    const MainWindowTexts& t = window.texts();

    ToolCatalogue& tools = window.tools();
    tools.setTableEntries({t.allTablesEntry(), QStringLiteral("Kunden"), QStringLiteral("Bestellungen")});
    tools.setTableText(QStringLiteral("Kunden"));
    tools.setEnabled(QStringLiteral("ID_Structure"), true);
    tools.setVisible(QStringLiteral("ID_Start"), false);
    tools.setVisible(QStringLiteral("ID_Stop"), true);
    for (const char* id : {"ID_Skip", "ID_SkipRecord", "ID_Replace", "ID_Save"})
        tools.setEnabled(QLatin1String(id), true);

    window.setCaption(captionHead() + QStringLiteral(" - [Kunden]"));
    window.setSearchValue(QStringLiteral("Strasse"));
    window.setReplaceValue(QStringLiteral("Straße"));
    window.setOriginalView(QStringLiteral("Hauptstrasse 12, 8001 Zürich"));
    window.setReplacedView(QStringLiteral("Hauptstraße 12, 8001 Zürich"));
    window.setStatusText(1, t.tableLabel + QStringLiteral(": Kunden "));
    window.setStatusText(2, t.recordLabel + QStringLiteral(": 41"));
    window.setStatusText(3, t.fieldLabel + QStringLiteral(": Adresse"));
    window.setStatusText(4, QStringLiteral("VarWChar"));
    window.setStatusText(5, QStringLiteral("120"));
    window.setProgressMaximum(120);
    window.setProgressValue(41);
    window.setProgressVisible(true);

    window.show();
    bool saved = false;
    QTimer::singleShot(500, &window, [&] {
        saved = window.grab().save(output);
        window.close();
    });
    app.exec();
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
