// UTF-8 from a driver into QString. Unlike QString::fromUtf8 a leading byte order mark stays the
// character it is: it is part of the stored value, and a value read without it could never be written
// back unchanged. Invalid sequences become U+FFFD as with QString::fromUtf8.
#pragma once

#include <QString>

namespace dorvane::utf8text {

// Decodes into `text`, whose storage is reused when no copy shares it (a row's values go into the
// previous row's strings).
void decodeInto(QString& text, const char* bytes, qsizetype length);

inline QString decode(const char* bytes, qsizetype length)
{
    QString text;
    decodeInto(text, bytes, length);
    return text;
}

} // namespace dorvane::utf8text
