// Brings a value written into a query field into the form the field holds (OdbcTypeMapping's ValueKind).
//
// Text written into a typed field is read with QLocale::system() (unless a caller names another), the
// locale the program shows values in: in a German locale "1.234,5" is 1234.5 for a double field and
// "05.01.2024" the 5th of January.
// Dates and times also accept the locale's long formats and ISO 8601; a two-digit year means 2000-2029
// for 00-29 and 1930-1999 otherwise. Booleans accept true/false, Wahr/Falsch, yes/no, ja/nein (any case)
// and numbers (0 is false). Decimal fields keep exact decimal text such as "-1234.50". A null QVariant
// stays NULL; an empty text written into a typed field is not a value and raises the error.
#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>

namespace dorvane {

// Throws DataError (source "Dorvane.Recordset") naming the value and the field when it does not convert
// or lies outside the type's range. Every text that fieldValueToText makes of a value in the same locale
// reads back as exactly that value (see ValueText).
QVariant convertFieldInput(const QString& fieldName, int adoType, const QVariant& value,
                           const QLocale& locale = QLocale::system());

} // namespace dorvane
