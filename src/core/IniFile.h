// Reading and writing single values of INI-format files, with the semantics of the classic
// profile-string functions: section and key names match without regard to case, a value is cut to
// size - 1 characters, a present key with nothing after "=" reads as "", and every read goes to the
// file so that a change by another program is seen at once.
#pragma once

#include <QString>

namespace dorvane {

class IniFile
{
public:
    // Returns the value, or defaultValue when the file, the section or the key is missing; either is
    // cut to size - 1 characters (size <= 0 gives "").
    static QString read(const QString& path, const QString& section, const QString& key, const QString& defaultValue,
                        int size);

    // Sets one value, creating file, section and key as needed. Every other line of the file stays as
    // it was. The file is replaced atomically, so a crash never leaves it truncated. Returns false
    // when the file could not be written.
    static bool write(const QString& path, const QString& section, const QString& key, const QString& value);

    // Decodes file content: UTF-8 when it is valid UTF-8, otherwise Windows-1252.
    static QString decode(const QByteArray& bytes);
};

} // namespace dorvane
