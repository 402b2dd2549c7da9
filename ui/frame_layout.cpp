#include "ui/frame_layout.h"

#include <algorithm>

std::vector<int> FitPanes(std::span<const PaneSize> panes, int available)
{
    std::vector<int> sizes(panes.size(), 0);
    int rest = std::max(0, available);
    for (std::size_t i = 0; i < panes.size(); ++i) {
        const bool last = i + 1 == panes.size();
        int want = last ? rest : (panes[i].ideal < panes[i].minimum ? 0 : panes[i].ideal);
        if (rest == 0) {
            sizes[i] = 0;
        } else if (i != 0 && rest < panes[i].minimum) {
            // Too small to show: the room goes to the pane before.
            sizes[i - 1] += rest;
            rest = 0;
        } else {
            sizes[i] = std::min(want, rest);
            rest -= sizes[i];
        }
    }
    return sizes;
}

std::optional<FrameSizing> ComputeFrameSizing(const FrameSizingInput& in)
{
    if (in.cx < 800 || in.cy < 400)
        return std::nullopt;
    FrameSizing out;
    const int h = in.logShown ? in.cy - 250 : in.cy;
    out.outerRows = {PaneSize{std::max(h, 50), 50}, PaneSize{in.logShown ? 250 : 0, 50}};

    if (!in.laidOutOnce) {
        out.upperColumns = {PaneSize{200, 50}, PaneSize{std::max(in.cx - 500, 50), 50}, PaneSize{300, 50}};
        out.rememberedWidth = 300;
        out.rememberedHeight = in.cy - 300;
    } else {
        const int w = in.rememberedWidth;
        out.upperColumns = {PaneSize{200, 50}, PaneSize{std::max(in.cx - w - 200, 50), 50}, PaneSize{w, 50}};
    }

    const int s = static_cast<int>(h * 0.5);
    out.centreRows = {PaneSize{std::max(h - s, 100), 100}, PaneSize{s, 20}};
    const int t = static_cast<int>(h * 0.3);
    out.rightRows = {PaneSize{std::max(h - t, 100), 100}, PaneSize{t, 100}};
    return out;
}

LogToggle ComputeLogToggle(int frameHeight, bool logShown)
{
    if (logShown)
        return {{PaneSize{std::max(frameHeight, 50), 50}, PaneSize{0, 0}}, false};
    return {{PaneSize{std::max(frameHeight - 150, 50), 50}, PaneSize{150, 50}}, true};
}

PrintLayout ComputePrintLayout(int w, int h, int exportWidth, int exportHeight)
{
    PrintLayout out;
    if (h > exportHeight + 21)
        out.centreRow0 = PaneSize{h - (exportHeight + 21), 50};
    if (w > exportWidth + 35) {
        const int side = (w - (exportWidth + 35)) / 2;
        out.upperColumns = std::array<PaneSize, 3>{PaneSize{side, 50}, PaneSize{exportWidth + 35, 50}, PaneSize{side, 50}};
    }
    return out;
}
