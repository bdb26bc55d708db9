#include "core/InterfaceTranslations.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>

namespace dorvane {

namespace {

// qtbase holds every text of the widgets we use (QPlatformTheme's standard buttons, QFileDialog,
// QMessageBox, the line and text editors' menus).
const QString Catalogue = QStringLiteral("qtbase");

std::unique_ptr<QTranslator>& installedTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

bool sameName(const QString& a, const QString& b)
{
    return !b.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QLocale> localeForCode(const QString& code)
{
    static const QRegularExpression codeShape(QStringLiteral("^[A-Za-z]{2,3}([_-][A-Za-z0-9]{2,8})*$"));
    if (!codeShape.match(code).hasMatch())
        return std::nullopt;
    const QLocale locale(code);
    // An unknown code gives the C locale; a known one must name the language the code starts with.
    if (locale.language() == QLocale::C
        || !sameName(code.section(QRegularExpression(QStringLiteral("[_-]")), 0, 0),
                     QLocale::languageToCode(locale.language())))
        return std::nullopt;
    return locale;
}

} // namespace

std::optional<QLocale> localeForLanguageName(const QString& languageName)
{
    const QString name = languageName.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
        const auto language = static_cast<QLocale::Language>(value);
        const QLocale standard(language);
        if (standard.language() != language) // no locale data for this language
            continue;
        if (sameName(name, QLocale::languageToString(language)) || sameName(name, standard.nativeLanguageName()))
            return standard;
        // A language's own name may belong to other territories than the standard one ("español" is
        // es_AR's, es_ES's is "español de España"), and a regional name to one territory only
        // ("Österreichisches Deutsch").
        for (const QLocale& locale : QLocale::matchingLocales(language, QLocale::AnyScript, QLocale::AnyTerritory)) {
            if (sameName(name, locale.nativeLanguageName()))
                return locale;
        }
    }
    return localeForCode(name);
}

bool installInterfaceTranslations(const QString& languageName)
{
    std::unique_ptr<QTranslator>& translator = installedTranslator();
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    if (!QCoreApplication::instance())
        return false;
    const std::optional<QLocale> locale = localeForLanguageName(languageName);
    if (!locale)
        return false;
    auto next = std::make_unique<QTranslator>();
    if (!next->load(*locale, Catalogue, QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    if (!QCoreApplication::installTranslator(next.get()))
        return false;
    translator = std::move(next);
    return true;
}

QString interfaceLanguage()
{
    const AppState& state = appState();
    return state.GermanOnly ? DefaultLanguage : state.LanguageName;
}

} // namespace dorvane
