// What a connection string may show of itself where it is written down (a change journal, a report,
// an error message): every entry that holds a secret removed. Secret entries are found by their keys,
// without regard to case: PWD, Password, Passwd, Passphrase, and any key that holds "pwd", "password",
// "secret" or "token" (SSLPassword, OldPwd, AccessToken). A value that is itself a list of entries
// (a braced "Extended Properties", or a string whose separators are missing) is cleaned the same way.
#pragma once

#include <QString>

namespace dorvane {

bool isSecretConnectionKey(const QString& key);

QString withoutPasswords(const QString& connectionString);

} // namespace dorvane
