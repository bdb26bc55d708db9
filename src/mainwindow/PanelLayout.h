// The layout routine's arithmetic, in twips and without widgets: where the splitter goes in the
// window, and where the panel's elements and the two views go in their frames. The window measures
// its frames after moving the splitter and converts the results to pixels.
#pragma once

#include <QList>
#include <QString>

namespace dorvane {

struct TwipsRect
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    bool operator==(const TwipsRect&) const = default;
};

struct PanelPlacement
{
    QString element; // object name of the element
    TwipsRect rect; // in the coordinates of its frame
};

struct FrameSizes
{
    double fraMainWidth = 0; // after the splitter has been moved
    double fraOriginalWidth = 0;
    double fraOriginalHeight = 0;
    double fraReplacedWidth = 0;
    double fraReplacedHeight = 0;
};

class PanelLayout
{
public:
    // SSSplitter1 in the window's inner area of innerWidth × innerHeight, the status line included.
    static TwipsRect splitter(double innerWidth, double innerHeight, double statusBarHeight);

    // The views and the panel's elements, in the order they are moved. The switches form a grid of
    // three columns, each T = (fraMain width - 500) / 3 wide. Too little room gives negative sizes;
    // the window clamps them to 0 when it applies them.
    static QList<PanelPlacement> elements(const FrameSizes& frames);
};

} // namespace dorvane
