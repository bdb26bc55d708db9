// The language folder "\lang\" below the program folder: which languages it offers and which file
// holds a language.
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane {

class LanguageFolder
{
public:
    // Every normal file of the folder (no sub-folders, no hidden files), in the order the platform's
    // directory listing gives them, with every ".lng" removed from the name regardless of case. A
    // file of another kind is listed under its full name. A missing folder lists nothing.
    static QStringList languageNames();

    // Program folder + "\lang\" + name + ".lng". On a file system that tells case apart, a file whose
    // ending differs only in case ("English.LNG", which the listing offers as "English") is found as
    // well, so that a listed language always has its file.
    static QString filePath(const QString& languageName);
};

} // namespace dorvane
