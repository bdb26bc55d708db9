// How a field value is written in a report and in the command line's hit lines: independent of the
// locale, so that scripts can read it. Texts as they are; whole numbers and real numbers in C notation
// (reals with the fewest digits that read back the same); booleans as true/false; dates, times and
// timestamps in ISO 8601 (no zone: they are the database's wall clock); GUIDs without braces; binary
// values in Base64. NULL is JSON null, and in text an empty value without quotes (see CsvReportWriter).
#pragma once

#include <QJsonValue>
#include <QString>
#include <QVariant>

namespace dorvane {

// A null QString for NULL.
QString reportText(const QVariant& value);
QJsonValue reportJson(const QVariant& value);
// A value's text for a line of output: reportText with backslash, tab, line feed and carriage return
// escaped (\\, \t, \n, \r), and NULL as \N.
QString lineText(const QVariant& value);

// A record position in a line: its number, or nothing where it is unknown (-1: a row the server chose).
QString recordLineText(int record);

} // namespace dorvane
