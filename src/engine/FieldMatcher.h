// Decides whether one field is a hit for the search text under the options of the main window, shows a
// hit in the two views, and computes the replace preview.
//
// The matching expression is built once per entry into the run (prepare), never per field: the options
// are read from the surface at that moment, so changed options take effect when the run goes on.
#pragma once

#include "core/MainSurface.h"
#include "engine/LiteralMatcher.h"
#include "engine/RegExp.h"

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>

namespace dorvane {

// What the matcher needs of a field: its value and metadata.
struct FieldSnapshot
{
    QString name;
    int type = 0;
    qint64 definedSize = 0;
    QVariant value;
};

class FieldMatcher
{
public:
    enum class Mode
    {
        WholeField,
        RegularExpression,
        PartOfField,
        WholeWord,
    };

    explicit FieldMatcher(MainSurface& surface);

    // Reads the search value and the switches and builds the matching expression. Throws DataError when
    // the pattern is invalid, so a run can refuse to start instead of failing at every field.
    void prepare();
    Mode mode() const { return m_mode; }

    // The value test alone (no type check). The type tells a number held as decimal text from a text.
    bool valueMatches(const QVariant& value, int adoType);
    // The field test: the value test first, the searchable-type test only for values that matched.
    bool isHit(const QVariant& value, int adoType);

    // Shows a hit: unlocks the panel, fills both views, sets maximum length, panels 4 and 5 and the
    // digits-only filter (set for Integer fields, cleared for every other type), and starts Timer1
    // when replacing without halt. Always true.
    bool ShowHit(const FieldSnapshot& field, bool replaceWithoutHalt);

    // The ID_Replace preview: the original view with every occurrence of the search text (taken
    // literally, case ignored) replaced by the replacement text. A search box without value, or with the
    // empty text, leaves the views alone.
    void ReplacePreview();

    // The replaced view's maximum length and the text of panel 5 for a field's defined size.
    static int replacedMaxLength(qint64 definedSize);

private:
    // A present search text of length zero counts as no value: it looks for empty fields instead of
    // matching every field and inserting the replacement between its characters.
    static EditorValue effectiveSearch(const EditorValue& value);
    RegExp displayExpression(const QString& search) const;

    MainSurface& m_surface;
    QLocale m_locale;
    bool m_searchFitsNumbers = true;
    bool m_searchFitsDates = true;
    Mode m_mode = Mode::PartOfField;
    EditorValue m_search;
    bool m_caseSensitive = false;
    bool m_regEx = false;
    bool m_wholeWord = false;
    std::optional<RegExp> m_matching;
    // Part of field: the search text, taken literally, prepared once per run entry.
    LiteralMatcher m_literal;
    // Whole word with a search text that is plain ASCII and no pattern: a field can only match where the
    // text occurs, so values without it are turned away before the expression runs.
    std::optional<LiteralMatcher> m_wordPrefilter;
};

} // namespace dorvane
