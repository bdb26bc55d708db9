// A field value as the change journal keeps it: the name of its kind and a text or bytes, from which
// the very same QVariant comes back (type and value), so that taking a change back writes exactly what
// was there, through the same conversion the save used. Texts that UTF-8 cannot carry unchanged (a NUL,
// a lone surrogate) travel as their UTF-16 bytes; numbers keep every bit of their value.
//
// Kinds: null, text, text16, binary, int, int64, uint, uint64, float, double, bool, date, time, datetime
// (UTC wall clock), localdatetime, uuid; a value of any other type is kept as its text (kind "other").
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace dorvane {

struct JournalValue
{
    QString kind;
    QString text; // the value as text, for every kind but text16 and binary
    QByteArray bytes; // text16 and binary

    bool operator==(const JournalValue&) const = default;
};

JournalValue encodeJournalValue(const QVariant& value);

// Throws DataError for a kind this program does not know (a journal of a newer version) or a text that
// does not read as its kind.
QVariant decodeJournalValue(const JournalValue& value);

} // namespace dorvane
