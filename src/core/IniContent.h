// The text of one INI-format file, indexed once so that a lookup by section and key costs about as much
// as hashing the two names, however long the file. Immutable once built; any thread.
//
// A lookup answers as a walk over the file's lines would: the first key line of that name (without
// regard to case) under any header of that section name (the same), in file order. Lines before the first
// header belong to no section.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace dorvane {

class IniContent
{
public:
    explicit IniContent(QString text);

    // The value, unquoted, or nothing when the file holds no such key in such a section. The view points
    // into this object.
    std::optional<QStringView> value(QStringView section, QStringView key) const;

private:
    // One key line under a section header: the hash of both names, where each line begins.
    struct Entry
    {
        quint64 namesHash;
        qsizetype headerLine;
        qsizetype keyLine;
    };

    QStringView lineAt(qsizetype start) const;

    QString m_text;
    std::vector<Entry> m_entries; // by hash, and in file order within one hash
};

} // namespace dorvane
