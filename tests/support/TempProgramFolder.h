// A program folder in a temporary directory, made the current one for the test: AppPath, IniPath and
// the language file point into it, and per-user settings and the user's data folder (XDG_DATA_HOME, where
// the window's change journal lives) go to private folders inside it, so tests never touch the real
// user's settings or home folder.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace dorvane::test {

class TempProgramFolder
{
public:
    enum Layout
    {
        Empty = 0,
        WithLang = 1,
        WithSys = 2,
        WithHelp = 4,
        Full = WithLang | WithSys | WithHelp,
    };

    explicit TempProgramFolder(int layout = Full);
    ~TempProgramFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const;

    // Writes a file below the folder (UTF-8), creating folders as needed.
    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;

    // Points the application state at this folder: AppPath, IniPath and, when given, a language.
    void activate(const QString& languageName = QString()) const;

private:
    QTemporaryDir m_dir;
};

} // namespace dorvane::test
