// One row of the file-driver table: a file extension and the connection-string template that opens such
// files, with "<path>" standing for the file itself (File true) or for the folder that holds it.
#pragma once

#include <QString>

namespace dorvane {

struct FileDriverRow
{
    QString Ext; // without the dot, at most 3 characters
    QString Str; // connection-string template holding "<path>"
    bool File = true;

    bool operator==(const FileDriverRow&) const = default;

    // The column names of the table file.
    static inline const QString ExtField = QStringLiteral("Ext");
    static inline const QString StrField = QStringLiteral("Str");
    static inline const QString FileField = QStringLiteral("File");

    // The fixed-width Ext column pads "db" to "db ": comparisons, the dialog and a typed extension see
    // the extension itself, so "db" and "db " are the same extension.
    static QString withoutPadding(QString text)
    {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        return text;
    }
};

} // namespace dorvane
