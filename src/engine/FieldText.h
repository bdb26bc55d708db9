// Turning a field value into the text that matching and the views work on, with the system's regional
// settings: numbers, currency and dates as the locale writes them, booleans as words.
//
// The text is also what a save writes back (read with the same locale by convertFieldInput), so it never
// drops what the value holds: numbers carry no group separators (they would break a search for "12345"
// and overflow the field's display size) and are the shortest text that reads back as the same value,
// dates carry a four-digit year, and times carry their seconds and milliseconds (see ValueText).
#pragma once

#include "core/AdoTypes.h"

#include <QLocale>
#include <QString>
#include <QVariant>

namespace dorvane {

// True for the ADO types whose values are held as exact decimal text ("-12.50"): currency, decimal and
// numeric. Such a value is a number although its QVariant holds a QString.
bool holdsDecimalText(int adoType);

// A null value has no text: the result is a null QString. Every other value gives a (possibly empty)
// non-null text. `adoType` is the field's type; it decides how decimal text is shown.
QString fieldValueToText(const QVariant& value, int adoType = ado::adEmpty, const QLocale& locale = QLocale::system());

} // namespace dorvane
