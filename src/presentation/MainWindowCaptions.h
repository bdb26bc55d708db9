// The captions that only the main window has: labels, check boxes, choices, frames and the editors'
// context-menu commands. MainWindowLanguage writes them; frmMain shows them, HeadlessCaptions keeps
// them for tests and non-GUI front ends. The find label belongs to the MainSurface because the run
// commands change it too. UI thread only.
#pragma once

#include <QString>

namespace dorvane {

enum class CaptionElement
{
    lblReplace,
    chkCase,
    chkRegEx,
    chkWholeWord,
    fraOriginal,
    fraReplaced,
    optField0,
    optField1,
    chkReplaceAll,
};

// The editors' context-menu commands, numbered as the editor component of the first version numbered
// them; the language file's section All names them in another order (Copy first).
enum class EditorCommand : int
{
    Undo = 6,
    Redo = 7,
    Cut = 8,
    Copy = 9,
    Paste = 10,
    Delete = 11,
    SelectAll = 12,
};

inline constexpr CaptionElement AllCaptionElements[] = {
    CaptionElement::lblReplace,   CaptionElement::chkCase,     CaptionElement::chkRegEx,
    CaptionElement::chkWholeWord, CaptionElement::fraOriginal, CaptionElement::fraReplaced,
    CaptionElement::optField0,    CaptionElement::optField1,   CaptionElement::chkReplaceAll,
};

inline constexpr EditorCommand AllEditorCommands[] = {
    EditorCommand::Undo,  EditorCommand::Redo,   EditorCommand::Cut,       EditorCommand::Copy,
    EditorCommand::Paste, EditorCommand::Delete, EditorCommand::SelectAll,
};

class MainWindowCaptions
{
public:
    virtual ~MainWindowCaptions() = default;

    virtual void setElementCaption(CaptionElement element, const QString& caption) = 0;
    virtual QString elementCaption(CaptionElement element) const = 0;
    virtual void setEditorCommandText(EditorCommand command, const QString& text) = 0;
    virtual QString editorCommandText(EditorCommand command) const = 0;

    // The built-in German captions the window shows until a language file replaces them.
    static QString designCaption(CaptionElement element);
    static QString findLabelDesignCaption();
    // The German menu texts that stand when section All or one of its keys is missing.
    static QString defaultCommandText(EditorCommand command);
    // The key of section All that names the command ("t0" is Copy).
    static QString commandTextKey(EditorCommand command);
};

} // namespace dorvane
