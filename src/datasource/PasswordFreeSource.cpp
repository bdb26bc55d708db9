#include "datasource/PasswordFreeSource.h"

#include "datasource/ConnectionStringEntries.h"

namespace dorvane {

bool isSecretConnectionKey(const QString& key)
{
    const QString lower = key.trimmed().toLower();
    if (lower == QLatin1String("pw") || lower == QLatin1String("pass"))
        return true;
    for (const char* part : {"pwd", "passw", "passphrase", "secret", "token"}) {
        if (lower.contains(QLatin1String(part)))
            return true;
    }
    return false;
}

QString withoutPasswords(const QString& connectionString)
{
    const ConnectionStringEntries entries = ConnectionStringEntries::parse(connectionString);
    ConnectionStringEntries kept;
    // Built from the back with prepend, so that the order and repeated keys stay as they were.
    for (auto it = entries.entries().crbegin(); it != entries.entries().crend(); ++it) {
        ConnectionStringEntries::Entry entry = *it;
        if (isSecretConnectionKey(entry.key))
            continue;
        // "Driver=x PWD=y" (a missing ';') parses as one entry whose value hides the secret.
        if (entry.value.contains(QLatin1Char('=')))
            entry.value = withoutPasswords(entry.value);
        kept.prepend(entry);
    }
    return kept.toString();
}

} // namespace dorvane
