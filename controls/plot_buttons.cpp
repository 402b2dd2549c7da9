#include "controls/plot_buttons.h"

PlotButtonRects LayoutButtons(const PlotRect& client, int size, int gap)
{
    PlotButtonRects rects{};
    for (int k = 0; k < kPlotButtonCount; ++k) {
        const int top = client.top + 18 + k * (size + gap);
        rects[k] = {client.right - size - 10, top, client.right - 10, top + size};
    }
    return rects;
}

std::optional<PlotButton> HitButton(const PlotButtonRects& rects, int x, int y)
{
    using B = PlotButton;
    static constexpr B kHitOrder[] = {B::FullSize, B::XSize, B::YSize,   B::SpekGraph, B::Dots,
                                      B::Info,     B::Save,  B::Density, B::DotsOnly,  B::Legend};
    for (B b : kHitOrder) {
        const PlotRect& r = RectOf(rects, b);
        if (!r.IsEmpty() && r.ContainsInclusive(x, y))
            return b;
    }
    return std::nullopt;
}
