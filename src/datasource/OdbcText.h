// Text crossing the ODBC API. We call the narrow (ANSI) functions with UTF-8: unixODBC narrows the wide
// API for ANSI-only drivers such as the SQLite one by the process locale and falls back to cutting every
// UTF-16 unit to a byte when a character lies beyond the BMP, which garbles names like "漢字 😀". Column
// data is not affected: values travel as SQL_C_WCHAR, converted by the driver itself.
#pragma once

#include "datasource/Utf8Text.h"

#include <QByteArray>
#include <QString>

#include <sql.h>

#include <cstring>

namespace dorvane::odbctext {

inline QByteArray encode(const QString& text)
{
    return text.toUtf8();
}

// A narrow buffer filled by the driver; length in bytes, or SQL_NTS.
inline QString decode(const SQLCHAR* text, qsizetype length = -1)
{
    const char* bytes = reinterpret_cast<const char*>(text);
    return utf8text::decode(bytes, length < 0 ? qsizetype(std::strlen(bytes)) : length);
}

inline SQLCHAR* sqlChars(QByteArray& bytes)
{
    return reinterpret_cast<SQLCHAR*>(bytes.data());
}

} // namespace dorvane::odbctext
