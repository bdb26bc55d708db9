// The text form in which dates, times, decimals and GUIDs travel between us and the driver. They are read
// as the driver's text and parsed here, and their originals are compared in an UPDATE's WHERE as that
// very text: a stored "2024-01-05 10:20:30" would not equal a re-formatted "2024-01-05 10:20:30.000".
// New values are written as ODBC's canonical text ("yyyy-mm-dd hh:mm:ss[.fff]"), which every driver
// converts to its own type.
#pragma once

#include "datasource/OdbcTypeMapping.h"

#include <QString>
#include <QVariant>

namespace dorvane::drivertext {

// True for the kinds that travel as text (Date, Time, DateTime, Decimal, Guid).
bool carriesText(odbctypes::ValueKind kind);

// The value for a driver text: QDate, QTime, QDateTime (UTC wall clock), decimal text or QUuid. A text
// the kind cannot read (SQLite stores whatever it is given) is returned unchanged as a QString, so
// nothing is lost.
QVariant parse(odbctypes::ValueKind kind, const QString& text);

// A REAL as SQLite's driver renders it ("0.3", "2.0", "1.0e+20", "Inf"): the double, or the text
// unchanged when it is no number (SQLite stores whatever it is given).
QVariant parseReal(const QString& text);

// ODBC's canonical text for a value of the kind; a QString passes through unchanged.
QString format(odbctypes::ValueKind kind, const QVariant& value);

} // namespace dorvane::drivertext
