// Reading and writing single values of INI-format files, with the semantics of the classic
// profile-string functions: section and key names match without regard to case, a value is cut to
// size - 1 characters, a present key with nothing after "=" reads as "", and every read sees the file
// as it is at that moment, also after a change by another program.
//
// A file is parsed once per version (FileVersion: identity, size and times) and its content kept for
// the lookups that follow, so that a large language file costs one read, not one per text. Every read
// still asks the file system for the version; a file changed within the last two seconds, whose next
// change might not show in its version, is read afresh at every lookup. Any thread.
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

    // The settle time of the versions whose content is kept (two seconds). Use only for testing.
    static void setSettleTimeForTesting(qint64 nanoseconds);
    // How often a file has been read and parsed in this process. Use only for testing.
    static quint64 fileReadsForTesting();
};

} // namespace dorvane
