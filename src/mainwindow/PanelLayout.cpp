#include "mainwindow/PanelLayout.h"

namespace dorvane {

TwipsRect PanelLayout::splitter(double innerWidth, double innerHeight, double statusBarHeight)
{
    return {30, 0, innerWidth - 60, innerHeight - statusBarHeight - 60};
}

QList<PanelPlacement> PanelLayout::elements(const FrameSizes& frames)
{
    const double fw = frames.fraMainWidth;
    const double t = (fw - 500) / 3;
    return {
        {QStringLiteral("dxOriginalView"), {150, 300, frames.fraOriginalWidth - 300, frames.fraOriginalHeight - 450}},
        {QStringLiteral("dxReplacedView"), {150, 300, frames.fraReplacedWidth - 300, frames.fraReplacedHeight - 450}},
        {QStringLiteral("lblFind"), {150, 210, fw / 2 - 225, 195}},
        {QStringLiteral("lblReplace"), {fw / 2 + 75, 210, fw / 2 - 150, 195}},
        {QStringLiteral("dxMemo"), {150, 450, fw / 2 - 225, 875}},
        {QStringLiteral("dxMemoReplace"), {fw / 2 + 75, 450, fw / 2 - 225, 875}},
        {QStringLiteral("optField(0)"), {70, 1380, t, 360}},
        {QStringLiteral("optField(1)"), {70, 1650, t, 360}},
        {QStringLiteral("chkCase"), {t + 190, 1380, t, 315}},
        {QStringLiteral("chkWholeWord"), {t + 190, 1650, t, 315}},
        {QStringLiteral("chkRegEx"), {2 * t + 290, 1380, t, 315}},
        {QStringLiteral("chkReplaceAll"), {2 * t + 290, 1650, t, 315}},
        {QStringLiteral("dxProgressBar1"), {150, 2010, fw - 320, 195}},
    };
}

} // namespace dorvane
