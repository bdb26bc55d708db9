#include "engine/WindowJournal.h"

#include "core/Settings.h"

#include <QDir>
#include <QStandardPaths>

namespace dorvane {

QString windowJournalPath()
{
    // The generic data folder, not the application's: a host program that loads the window has a name of
    // its own, and the journal must be the same file for every way in.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("Dorvane/journal.sqlite"));
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
