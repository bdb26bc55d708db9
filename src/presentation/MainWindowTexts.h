// The language texts of the main window that the logic composes into messages, status panels and
// captions after LoadLanguage has applied them. Keys are those of section frmMain. The logic reads
// the current texts from MainWindowLanguage::texts() (frmMain::texts() on the window).
#pragma once

#include <QString>

namespace dorvane {

struct MainWindowTexts
{
    QString openFileTitle; // key t0: title of the open-file dialog
    QString findLabel; // key t1: normal caption of lblFind
    QString allTablesName; // key t19: name of the all-tables entry (shown in square brackets)
    QString noSourceStatus; // key t26: status panel 1 while no data source is open
    QString tableLabel; // key t27: table label
    QString recordLabel; // key t28: record label
    QString fieldLabel; // key t29: field label
    QString runCompleteStatus; // key t30: run complete
    QString runStoppedStatus; // key t31: run stopped
    QString runActiveQuestion; // key t33: first line of the run-active question
    QString runActiveQuestionDetail; // key t34: second line of the run-active question
    QString trayOpen; // key t39: tray menu: open
    QString trayExit; // key t40: tray menu: exit
    QString missingSearchMessage; // key t44: message: search text missing
    QString emptySearchNote; // key t45: note beside t1 while the search text is empty
    QString missingHelpFileMessage; // key t50: first line of the message for a help file that is missing

    // The texts used while no language file is usable (GermanOnly): these exist only in language
    // files, and a blank message or status label would leave the user with nothing to read.
    static MainWindowTexts germanDefaults();

    // "[" + allTablesName + "]"
    QString allTablesEntry() const { return QLatin1Char('[') + allTablesName + QLatin1Char(']'); }
};

} // namespace dorvane
