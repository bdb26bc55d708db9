// The per-user program folder: where a user works whose installed program folder is closed to them (a
// package installed below /usr). It holds everything the program writes into its program folder (the
// INI file, the table files in sys/, the change journal), seeded from the installed folder, and reaches
// the installed language files and manuals through links, so that an updated package brings its new
// texts and manuals to every user.
#pragma once

#include <QString>

namespace dorvane {

class PerUserProgramFolder
{
public:
    // $XDG_DATA_HOME/dorvane, else ~/.local/share/dorvane; "" when the user has no data folder at all.
    static QString location();

    // Makes the folder (and sys/ in it) when needed and seeds it from the installed program folder:
    //  - the INI file and every file of sys/ that the folder lacks are copied, writable by the user;
    //    a file the folder has is the user's data and is never replaced;
    //  - lang/ and help/ become links to the installed ones; a link that points elsewhere (the program
    //    was installed somewhere else before) is pointed at them anew, while a real folder of that name
    //    is the user's own and stays.
    // A file that cannot be copied is left out (start-up then deals with it as with any missing file).
    // Returns false when the folder does not exist and cannot be made.
    static bool prepare(const QString& installedFolder, const QString& folder);
};

} // namespace dorvane
