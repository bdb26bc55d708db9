// Twips, the unit of the window's geometry (1440 per inch), and the pixels of a screen with a given
// logical resolution. Geometry stays in twips; only the widget boundary converts.
#pragma once

#include <cmath>

namespace dorvane {

inline constexpr double TwipsPerInch = 1440.0;

inline int twipsToPixels(double twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / TwipsPerInch));
}

inline double pixelsToTwips(int pixels, double dotsPerInch)
{
    return pixels * TwipsPerInch / dotsPerInch;
}

} // namespace dorvane
