#include "engine/WindowJournal.h"

#include "core/PerUserProgramFolder.h"
#include "core/Settings.h"

#include <QDir>

namespace dorvane {

QString windowJournalPath()
{
    // The user's data folder of the product, whatever the name of the program that shows the window (a
    // host has a name of its own); the per-user program folder lives there too when there is one.
    QString folder = PerUserProgramFolder::location();
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.local/share/dorvane");
    return QDir(folder).filePath(QStringLiteral("journal.sqlite"));
}

bool isWindowJournalOn()
{
    return isSetFlag(ReadIniValue(QStringLiteral("Win"), QStringLiteral("Journal"), QStringLiteral("1")));
}

QString activeWindowJournal()
{
    return isWindowJournalOn() ? windowJournalPath() : QString();
}

} // namespace dorvane
