#pragma once
// The splitter arithmetic of the main frame, free of widgets: which sizes the four splitters
// get when the frame is resized, when the log row is toggled and for the print layout.
//
//   outer (2 rows):  row 0  upper (1 x 3): module tree | centre (2 rows) | right (2 rows)
//                    row 1  log
//
// A splitter lays out its panes in order: each but the last gets its ideal size (0 when the
// ideal is below its minimum), the last takes what is left. A pane after the first that would
// get less than its minimum is hidden and its room goes to the pane before it.
#include <array>
#include <optional>
#include <span>
#include <vector>

struct PaneSize {
    int ideal = 0;
    int minimum = 0;
    bool operator==(const PaneSize&) const = default;
};

// The sizes of all panes of a splitter that has available pixels (handles not counted).
std::vector<int> FitPanes(std::span<const PaneSize> panes, int available);

struct FrameSizingInput {
    int cx = 0;              // client width of the frame
    int cy = 0;              // client height of the frame
    bool logShown = true;
    int rememberedWidth = 300; // last column of the upper splitter, as the user left it
    bool laidOutOnce = false;
};

struct FrameSizing {
    std::array<PaneSize, 2> outerRows;
    std::array<PaneSize, 3> upperColumns;
    std::array<PaneSize, 2> centreRows;
    std::array<PaneSize, 2> rightRows;
    // Set on the first layout only: the upper splitter's remembered width and height.
    std::optional<int> rememberedWidth;
    std::optional<int> rememberedHeight;
};

// Frames below 800 x 400 keep their layout: no value.
std::optional<FrameSizing> ComputeFrameSizing(const FrameSizingInput& in);

// The log row hidden (height 0) or shown again at 150, for a frame window of height frameHeight.
struct LogToggle {
    std::array<PaneSize, 2> outerRows;
    bool logShown = false;
};
LogToggle ComputeLogToggle(int frameHeight, bool logShown);

// Gives the diagram pane the picture-export size X x Y within the upper splitter of w x h.
// A dimension without room stays as it is (no value) and the caller logs the hint.
struct PrintLayout {
    std::optional<PaneSize> centreRow0;
    std::optional<std::array<PaneSize, 3>> upperColumns;
};
PrintLayout ComputePrintLayout(int w, int h, int exportWidth, int exportHeight);
