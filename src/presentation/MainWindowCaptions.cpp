#include "presentation/MainWindowCaptions.h"

namespace dorvane {

QString MainWindowCaptions::designCaption(CaptionElement element)
{
    switch (element) {
    case CaptionElement::lblReplace:
        return QStringLiteral("Ersetzen mit");
    case CaptionElement::chkCase:
        return QStringLiteral("Gross/Kleinschreibung");
    case CaptionElement::chkRegEx:
        return QStringLiteral("Regulärer Ausdruck");
    case CaptionElement::chkWholeWord:
        return QStringLiteral("Ganzes Wort");
    case CaptionElement::fraOriginal:
        return QStringLiteral("Original");
    case CaptionElement::fraReplaced:
        return QStringLiteral("Replaced");
    case CaptionElement::optField0:
        return QStringLiteral("Teil des Feldinhaltes");
    case CaptionElement::optField1:
        return QStringLiteral("Ganzes Feld");
    case CaptionElement::chkReplaceAll:
        return QStringLiteral("Ersetzen ohne Halt");
    }
    return {};
}

QString MainWindowCaptions::findLabelDesignCaption()
{
    return QStringLiteral("Suchen");
}

QString MainWindowCaptions::defaultCommandText(EditorCommand command)
{
    switch (command) {
    case EditorCommand::Copy:
        return QStringLiteral("Kopieren");
    case EditorCommand::Cut:
        return QStringLiteral("Ausschneiden");
    case EditorCommand::Paste:
        return QStringLiteral("Einfügen");
    case EditorCommand::Redo:
        return QStringLiteral("Wiederholen");
    case EditorCommand::Undo:
        return QStringLiteral("Rückgängig");
    case EditorCommand::SelectAll:
        return QStringLiteral("Alles markieren");
    case EditorCommand::Delete:
        return QStringLiteral("Löschen");
    }
    return {};
}

QString MainWindowCaptions::commandTextKey(EditorCommand command)
{
    switch (command) {
    case EditorCommand::Copy:
        return QStringLiteral("t0");
    case EditorCommand::Cut:
        return QStringLiteral("t1");
    case EditorCommand::Paste:
        return QStringLiteral("t2");
    case EditorCommand::Redo:
        return QStringLiteral("t3");
    case EditorCommand::Undo:
        return QStringLiteral("t4");
    case EditorCommand::SelectAll:
        return QStringLiteral("t5");
    case EditorCommand::Delete:
        return QStringLiteral("t6");
    }
    return {};
}

} // namespace dorvane
