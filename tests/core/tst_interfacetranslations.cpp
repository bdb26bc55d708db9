// Qt's own texts in the interface language, with Qt's real catalogues from the system's translations
// folder.
#include "core/AppState.h"
#include "core/InterfaceTranslations.h"

#include <QCoreApplication>
#include <QTest>

using namespace dorvane;

namespace {

// The text of the standard Cancel button (QDialogButtonBox, QMessageBox, QFileDialog).
QString cancelText()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

} // namespace

class TestInterfaceTranslations : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void languageNamesMapToLocales_data();
    void languageNamesMapToLocales();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
    void interfaceLanguageIsGermanWhileGermanOnly();
};

void TestInterfaceTranslations::cleanup()
{
    installInterfaceTranslations(QString());
    appState() = AppState {};
}

void TestInterfaceTranslations::languageNamesMapToLocales_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("locale"); // "" for none; a language code alone when any territory will do

    QTest::newRow("Deutsch") << "Deutsch"
                             << "de_DE";
    QTest::newRow("English") << "English"
                             << "en_US";
    QTest::newRow("own name, other case") << "français"
                                          << "fr_FR";
    QTest::newRow("own name, capitalised") << "Español"
                                           << "es";
    QTest::newRow("regional name") << "Österreichisches Deutsch"
                                   << "de_AT";
    QTest::newRow("own name, Cyrillic") << "Русский"
                                        << "ru_RU";
    QTest::newRow("English name") << "German"
                                  << "de_DE";
    QTest::newRow("blanks around") << " Italiano "
                                   << "it_IT";
    QTest::newRow("language code") << "nl"
                                   << "nl_NL";
    QTest::newRow("locale code") << "pt_BR"
                                 << "pt_BR";
    QTest::newRow("locale code with dash") << "de-AT"
                                           << "de_AT";
    QTest::newRow("unknown name") << "Klingonisch"
                                  << "";
    QTest::newRow("unknown code") << "xq"
                                  << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestInterfaceTranslations::languageNamesMapToLocales()
{
    QFETCH(QString, name);
    QFETCH(QString, locale);
    const std::optional<QLocale> found = localeForLanguageName(name);
    if (locale.isEmpty()) {
        QVERIFY2(!found, qPrintable(found ? found->name() : QString()));
        return;
    }
    QVERIFY(found);
    if (locale.contains(QLatin1Char('_')))
        QCOMPARE(found->name(), locale);
    else
        QCOMPARE(QLocale::languageToCode(found->language()), locale);
}

void TestInterfaceTranslations::qtTextsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("cancel");

    QTest::newRow("Deutsch") << "Deutsch" << true << "Abbrechen";
    QTest::newRow("Français") << "Français" << true << "Annuler";
    // Qt's texts are English; its English catalogue holds no text, so there is nothing to install.
    QTest::newRow("English") << "English" << false << "Cancel";
    QTest::newRow("unknown language: Qt's English") << "Klingonisch" << false << "Cancel";
    QTest::newRow("none") << "" << false << "Cancel";
}

// Each row switches from German, so a row that shows English proves the German catalogue went.
void TestInterfaceTranslations::qtTextsFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(bool, installed);
    QFETCH(QString, cancel);

    QVERIFY2(installInterfaceTranslations(QStringLiteral("Deutsch")), "qtbase_de.qm missing (qt6-translations-l10n)");
    QCOMPARE(cancelText(), QStringLiteral("Abbrechen"));
    QCOMPARE(installInterfaceTranslations(language), installed);
    QCOMPARE(cancelText(), cancel);
    // Installing the same language again changes nothing.
    QCOMPARE(installInterfaceTranslations(language), installed);
    QCOMPARE(cancelText(), cancel);
}

void TestInterfaceTranslations::interfaceLanguageIsGermanWhileGermanOnly()
{
    appState().LanguageName = QStringLiteral("English");
    QCOMPARE(interfaceLanguage(), QStringLiteral("English"));
    appState().GermanOnly = true;
    QCOMPARE(interfaceLanguage(), QStringLiteral("Deutsch"));
    appState().LanguageName.clear();
    QCOMPARE(interfaceLanguage(), QStringLiteral("Deutsch"));
}

QTEST_GUILESS_MAIN(TestInterfaceTranslations)
#include "tst_interfacetranslations.moc"
