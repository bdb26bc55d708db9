// Reads a record set persisted in ADO's ADTG format (Recordset.Save with adPersistADTG): the flat
// TableGram of a client-side record set. Rows marked unchanged, changed and inserted become visible rows;
// rows marked deleted are kept as Deleted (invisible) so that saving again writes what ADO would.
//
// Every length in the file is checked against the bytes that remain, so a truncated, foreign or corrupt
// file raises the record-set DataError with a description of what is wrong and where; it never crashes,
// loops or allocates beyond fixed limits.
#pragma once

#include "datasource/RecordTable.h"

#include <QByteArray>
#include <QString>

namespace dorvane {

class AdtgReader
{
public:
    // More values than this (rows × columns) are refused: a table file never comes near it, and it
    // bounds the memory a hostile file can make us allocate.
    static constexpr qint64 MaxValues = 4 * 1024 * 1024;

    // `fileName` only names the file in error descriptions.
    static RecordTable read(const QByteArray& bytes, const QString& fileName);
};

} // namespace dorvane
