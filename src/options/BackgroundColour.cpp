#include "options/BackgroundColour.h"

#include <QGuiApplication>
#include <QPalette>

namespace dorvane {

namespace {

constexpr quint32 SystemColourFlag = 0x80000000u;

std::optional<QColor> systemColour(quint32 index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 4: // menu
    case 15: // button face
    case 22: // 3-D light
        return palette.color(QPalette::Button);
    case 5: // window
        return palette.color(QPalette::Base);
    case 8: // window text
        return palette.color(QPalette::WindowText);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 16: // button shadow
        return palette.color(QPalette::Mid);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QColor> backgroundColourFromSetting(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qint64 number = 0;
    if (trimmed.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        QString digits = trimmed.mid(2);
        if (digits.endsWith(QLatin1Char('&')))
            digits.chop(1); // the long-type suffix of the notation
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        number = qint64(digits.toUInt(&ok, 16));
    } else {
        number = trimmed.toLongLong(&ok);
        if (ok && number < 0)
            number += qint64(1) << 32;
    }
    if (!ok || number < 0 || number > 0xFFFFFFFFll)
        return std::nullopt;
    const auto value = quint32(number);
    if (value & SystemColourFlag)
        return systemColour(value & ~SystemColourFlag);
    if (value > 0xFFFFFFu)
        return std::nullopt;
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace dorvane
