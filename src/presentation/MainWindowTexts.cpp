#include "presentation/MainWindowTexts.h"

namespace dorvane {

MainWindowTexts MainWindowTexts::germanDefaults()
{
    MainWindowTexts texts;
    texts.openFileTitle = QStringLiteral("Datenbank öffnen");
    // The built-in caption of lblFind, so that the run commands restore what the label showed.
    texts.findLabel = QStringLiteral("Suchen");
    texts.allTablesName = QStringLiteral("Alle Tabellen");
    texts.noSourceStatus = QStringLiteral("Keine Datenquelle geöffnet");
    texts.tableLabel = QStringLiteral("Tabelle");
    texts.recordLabel = QStringLiteral("Datensatz");
    texts.fieldLabel = QStringLiteral("Feld");
    texts.runCompleteStatus = QStringLiteral("Suche abgeschlossen");
    texts.runStoppedStatus = QStringLiteral("Suche abgebrochen");
    texts.runActiveQuestion = QStringLiteral("Es läuft noch eine Suche.");
    texts.runActiveQuestionDetail = QStringLiteral("Soll sie abgebrochen werden?");
    texts.trayOpen = QStringLiteral("Öffnen");
    texts.trayExit = QStringLiteral("Beenden");
    texts.missingSearchMessage = QStringLiteral("Bitte geben Sie einen Suchbegriff ein.");
    texts.emptySearchNote = QStringLiteral("leer");
    texts.missingHelpFileMessage = QStringLiteral("Die Hilfedatei wurde nicht gefunden:");
    return texts;
}

} // namespace dorvane
