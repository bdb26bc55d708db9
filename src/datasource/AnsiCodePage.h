// The single-byte code page of ANSI text columns (adChar, adVarChar, adLongVarChar) in ADTG files.
// The files do not record the writer's code page; we read and write Windows-1252, the code page of the
// Western European Windows installations that wrote the program's tables.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace dorvane::ansi {

QString decode(const QByteArray& bytes);

// Empty when a character has no Windows-1252 byte (the caller reports which value did not fit).
std::optional<QByteArray> encode(const QString& text);

} // namespace dorvane::ansi
