// The language texts of the main window that the logic composes into messages, status panels and
// captions after LoadLanguage has applied them. Keys are those of section frmMain. The logic reads
// the current texts from MainWindowLanguage::texts() (frmMain::texts() on the window).
#pragma once

#include <QString>

namespace dorvane {

struct MainWindowTexts
{
    QString t0; // title of the open-file dialog
    QString t1; // normal caption of lblFind
    QString t19; // name of the all-tables entry (shown in square brackets)
    QString t26; // status panel 1 while no data source is open
    QString t27; // table label
    QString t28; // record label
    QString t29; // field label
    QString t30; // run complete
    QString t31; // run stopped
    QString t33; // first line of the run-active question
    QString t34; // second line of the run-active question
    QString t39; // tray menu: open
    QString t40; // tray menu: exit
    QString t44; // message: search text missing
    QString t45; // note beside t1 while the search text is empty

    // The texts used while no language file is usable (GermanOnly): these exist only in language
    // files, and a blank message or status label would leave the user with nothing to read.
    static MainWindowTexts germanDefaults();

    // "[" + t19 + "]"
    QString allTablesEntry() const { return QLatin1Char('[') + t19 + QLatin1Char(']'); }
};

} // namespace dorvane
