// Qt's own texts (standard buttons, the file dialog, the editors' context menus, message boxes) in the
// interface language. Our windows take their texts from the language files; the texts that Qt draws
// itself come from Qt's translation catalogues (Debian: qt6-translations-l10n, found under
// QLibraryInfo::TranslationsPath). Process-wide: the catalogues serve every window of the process, a
// host's included. UI thread only.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace dorvane {

// The locale of a language named as the language files name theirs: the language's own name
// ("Deutsch", "Français", "Русский"), its English name ("German") or a locale code ("de", "pt_BR"),
// compared without regard to case. No value for a name that names no language.
std::optional<QLocale> localeForLanguageName(const QString& languageName);

// Replaces the Qt catalogue that an earlier call installed by the one of the language. A language
// without a catalogue, or a name that names no language, leaves Qt's own texts, which are English. Safe to call again
// at any time, also after the application object was replaced. REQUIRES: a QCoreApplication exists (without one nothing
// is installed). Returns true when a catalogue of the language is installed.
bool installInterfaceTranslations(const QString& languageName);

// The language the interface speaks: "Deutsch" while GermanOnly is set (the windows keep their German
// texts), else the chosen LanguageName.
QString interfaceLanguage();

} // namespace dorvane
