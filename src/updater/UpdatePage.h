// The address of the product's update page for the user's language and the installed version: what the
// update launcher hands to the desktop. The launcher shares no code with the main program; the two meet
// only in the per-user settings of the application "Dorvane".
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace dorvane::updater {

// The product web site. Keep it equal to ProductSiteAddress in core/ProductInfo.h: the main window's own
// update command opens pages below the same address (the updater tests compare the two).
inline const QString SiteAddress = QStringLiteral("https://www.dorvane.com");

class UpdatePage
{
public:
    UpdatePage(QString language, QString version);

    // Language from the command-line text when it is not empty, else the per-user setting Options/Language
    // (default "Deutsch"); version from Options/Version (default "NotFound"). Settings are those of
    // QSettings("Dorvane", "Dorvane"), the store the main program writes.
    static UpdatePage fromSettings(const QString& commandLineText);
    // The whole text after the program name: the arguments after the first, joined by single blanks.
    static QString commandLineText(const QStringList& arguments);

    const QString& language() const { return m_language; }
    const QString& version() const { return m_version; }

    // The address as built: site + "/dvnreplacer/" + lower-cased language + "/update/DARU_" + version
    // + ".htm". Blanks and every other character stay as they are.
    QString address() const;
    // The same address as a valid URL for the desktop: language and version are percent-encoded, so that
    // blanks, "#", "?" or "/" in them stay part of their path segment.
    QUrl url() const;

private:
    QString m_language;
    QString m_version;
};

} // namespace dorvane::updater
