#include "datasource/FileContentDriver.h"

#include "datasource/FileDriverTable.h"

#include <QByteArray>
#include <QFile>

namespace dorvane {

namespace {

const QByteArray SqliteHeader("SQLite format 3\0", 16);
const QByteArray JetHeader("Standard Jet DB\0", 16);
const QByteArray AceHeader("Standard ACE DB\0", 16);

} // namespace

std::optional<FileDriverRow> fileDriverByContent(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(20);
    const QString extension = fileExtensionOf(fileName);
    if (head.startsWith(SqliteHeader))
        return FileDriverRow {extension, sqliteFileTemplate(), true};
    const QByteArray access = head.mid(4, 16);
    if (access == JetHeader || access == AceHeader)
        return FileDriverRow {extension, accessFileTemplate(), true};
    return std::nullopt;
}

QString contentDriverPatterns()
{
    return QStringLiteral("*.sqlite;*.sqlite3;");
}

} // namespace dorvane
