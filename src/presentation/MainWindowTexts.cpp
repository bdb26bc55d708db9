#include "presentation/MainWindowTexts.h"

namespace dorvane {

MainWindowTexts MainWindowTexts::germanDefaults()
{
    MainWindowTexts texts;
    texts.t0 = QStringLiteral("Datenbank öffnen");
    // The built-in caption of lblFind, so that the run commands restore what the label showed.
    texts.t1 = QStringLiteral("Suchen");
    texts.t19 = QStringLiteral("Alle Tabellen");
    texts.t26 = QStringLiteral("Keine Datenquelle geöffnet");
    texts.t27 = QStringLiteral("Tabelle");
    texts.t28 = QStringLiteral("Datensatz");
    texts.t29 = QStringLiteral("Feld");
    texts.t30 = QStringLiteral("Suche abgeschlossen");
    texts.t31 = QStringLiteral("Suche abgebrochen");
    texts.t33 = QStringLiteral("Es läuft noch eine Suche.");
    texts.t34 = QStringLiteral("Soll sie abgebrochen werden?");
    texts.t39 = QStringLiteral("Öffnen");
    texts.t40 = QStringLiteral("Beenden");
    texts.t44 = QStringLiteral("Bitte geben Sie einen Suchbegriff ein.");
    texts.t45 = QStringLiteral("leer");
    return texts;
}

} // namespace dorvane
