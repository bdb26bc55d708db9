// The options dialog's background colour from the per-user setting Options/BGColor, written in the
// "&H" hexadecimal notation of colour numbers: 0x00BBGGRR for a colour, or 0x80000000 plus an index for
// one of the system's colours (0x8000000F, the colour of button faces, is what start-up writes).
#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace dorvane {

// The colour the text stands for; none for text that is no colour number (the dialog then keeps its
// colours). Decimal numbers are taken as well. System colours follow the application's palette.
std::optional<QColor> backgroundColourFromSetting(const QString& text);

} // namespace dorvane
