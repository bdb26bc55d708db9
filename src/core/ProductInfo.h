// Fixed names of the product that every subsystem shares.
#pragma once

#include <QString>

namespace dorvane {

inline const QString ProductName = QStringLiteral("Dorvane");
inline const QString IniFileName = QStringLiteral("DVNReplacer.ini");
inline const QString ProductVersion = QStringLiteral("1.01.00");
inline const QString DefaultLanguage = QStringLiteral("Deutsch");

// The product web site; the update page lies below it. The update launcher keeps its own copy of this
// address because the two programs share no code.
inline const QString ProductSiteAddress = QStringLiteral("https://www.dorvane.com");

// Caption head of the main window: product name, a blank and the version.
inline QString captionHead()
{
    return ProductName + QLatin1Char(' ') + ProductVersion;
}

} // namespace dorvane
