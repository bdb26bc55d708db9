// The key=value entries of an ODBC connection string, kept in their order. A value in braces may hold
// ';' and '='; a '}' inside braces is written twice. Keys compare without regard to case.
#pragma once

#include <QList>
#include <QString>

namespace dorvane {

class ConnectionStringEntries
{
public:
    struct Entry
    {
        QString key;
        QString value;
        bool braced = false; // written in braces, as it was given
    };

    static ConnectionStringEntries parse(const QString& text);
    QString toString() const;

    const QList<Entry>& entries() const { return m_entries; }
    bool contains(const QString& key) const { return indexOf(key) >= 0; }
    // The value of the first entry with this key, or the empty text.
    QString value(const QString& key) const;
    // Replaces the first entry with this key, or appends one.
    void set(const QString& key, const QString& value);
    void prepend(const Entry& entry) { m_entries.prepend(entry); }
    void removeAll(const QString& key);

private:
    qsizetype indexOf(const QString& key) const;

    QList<Entry> m_entries;
};

} // namespace dorvane
