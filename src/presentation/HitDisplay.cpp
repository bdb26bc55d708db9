#include "presentation/HitDisplay.h"

#include "core/AdoTypes.h"
#include "engine/DataTypeName.h"
#include "engine/FieldText.h"

#include <algorithm>

namespace dorvane {

int HitDisplay::replacedMaxLength(qint64 definedSize)
{
    return definedSize < 32768 ? static_cast<int>(std::max<qint64>(definedSize, 0)) : 32767;
}

void HitDisplay::ShowHit(const FieldSnapshot& field, const QString& proposed, bool replaceWithoutHalt)
{
    m_surface.SetInterface(false);
    const int maxLength = replacedMaxLength(field.definedSize);
    m_surface.setReplacedMaxLength(maxLength);
    m_surface.setStatusText(5, QString::number(maxLength));

    const QString typeName = DataTypeName(field.type);
    if (!typeName.isEmpty())
        m_surface.setStatusText(4, typeName);
    // The digits-only filter belongs to Integer fields alone; a later hit of another type clears it.
    m_surface.setReplacedDigitsOnly(field.type == ado::adInteger);

    const QString original = fieldValueToText(field.value, field.type);
    m_surface.setOriginalView(original.isNull() ? EditorValue() : EditorValue(original));
    m_surface.setReplacedView(proposed);

    // The run sets Timer1's interval when it is entered; the hit display only starts it.
    if (replaceWithoutHalt)
        m_surface.setTimer1Enabled(true);
}

void HitDisplay::ReplacePreview()
{
    // The empty search text is no search at all: replacing it would put the replacement between every
    // two characters.
    const EditorValue search = FieldMatcher::effectiveSearch(m_surface.searchValue());
    if (!search)
        return;
    const EditorValue original = m_surface.originalView();
    const EditorValue replacement = m_surface.replaceValue();
    if (!original) {
        m_surface.setReplacedView(replacement.value_or(QString(QLatin1String(""))));
        return;
    }
    QString text = *original;
    text.replace(*search, replacement.value_or(QString()), Qt::CaseInsensitive);
    m_surface.setReplacedView(text);
}

} // namespace dorvane
