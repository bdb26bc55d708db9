// LoadLanguage of the main window without widgets: reads section frmMain and section All of the
// current language file and applies them through the surface, the tool catalogue and the window's
// captions; keeps the texts the logic composes later (texts()). Works the same on frmMain and on the
// headless surface. UI thread only; the three collaborators must outlive this object.
#pragma once

#include "presentation/MainWindowTexts.h"

#include <QString>

#include <array>

namespace dorvane {

class MainSurface;
class MainWindowCaptions;
class ToolCatalogue;

class MainWindowLanguage
{
public:
    // The labels that LoadLanguage relabels, in the order it relabels them.
    enum class RelabelSlot
    {
        t26, // status panel 1
        t27, // status panel 1
        t28, // status panel 2
        t29, // status panel 3
        t30, // status panel 1
        t31, // status panel 1
        t19, // text of ID_Tables
        t45, // caption of lblFind
    };

    // Keys t0 ... t50 of section frmMain; t50, the missing-help-file message, follows the window's
    // own fifty texts.
    static constexpr size_t KeyCount = 51;

    MainWindowLanguage(MainSurface& surface, ToolCatalogue& tools, MainWindowCaptions& captions);

    // Applies section frmMain (t0 ... t50) and section All of the current language file. While
    // GermanOnly is set the built-in captions stay and texts() holds MainWindowTexts::germanDefaults().
    // Texts already shown in the status panels, the table choice and the find label are relabelled
    // from the previous language's labels to the new ones. Sets the application's help file and the
    // language of Qt's own texts (installInterfaceTranslations).
    void LoadLanguage();

    // The texts of the last LoadLanguage; empty before the first call.
    const MainWindowTexts& texts() const { return m_texts; }

    // The label stored for a slot at the last LoadLanguage (empty before the first call).
    QString storedLabel(RelabelSlot slot) const { return m_labels[static_cast<size_t>(slot)]; }

private:
    void applyTexts(const std::array<QString, KeyCount>& t);
    void relabel(const MainWindowTexts& next);

    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    MainWindowCaptions& m_captions;
    MainWindowTexts m_texts;
    std::array<QString, 8> m_labels;
};

} // namespace dorvane
