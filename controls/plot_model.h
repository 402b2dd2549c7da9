#pragma once
// What the spectrum plot shows, without the widget: its settings, the list of shown
// spectra, the rules that derive the limits and the shown range from them, and the
// geometry of the current client rectangle. Runs on the GUI thread only; the widget stops
// its drawing worker before it changes the list.
#include "controls/plot_buttons.h"
#include "controls/plot_geometry.h"
#include "controls/plot_renderer.h"
#include "controls/plot_settings.h"

#include <list>
#include <vector>

class Spectrum;

class PlotModel {
public:
    PlotModel();

    PlotSettings settings;

    // Spectra with at least one point, in the order of the list last passed.
    const std::vector<Spectrum*>& Shown() const { return m_shown; }
    // Shows these spectra and, with automatic ranges, derives limits and shown range:
    // an empty list keeps the shown range (automatic y limits become 0..1); spectra without
    // points are left out; a list without any usable point keeps the previous limits.
    void SetFromSpectrumList(const std::list<Spectrum*>& list);
    // Drops one spectrum from the shown list (before it is deleted); false when not shown.
    bool RemoveFromShownList(const Spectrum* spectrum);
    // Limits from the shown spectra (where automatic and the tree is not busy), then the
    // shown range: the limits, with 5 % margins in y when automatic, and the zero floor.
    void ResetToMinMax();

    void SetClient(const PlotRect& client);
    const PlotRect& Client() const { return m_client; }
    PlotRect PlotArea() const { return PlotAreaOf(m_client); }
    void CalculateGrid();
    const PlotGrid& Grid() const { return m_grid; }

    // The Actual* settings.
    PlotRange ShownRange() const;
    void SetShownRange(const PlotRange& range);
    PlotTransform Transform() const;

    // 0 normally, 2 while a picture is exported.
    int exportMode = 0;

    // The first shown spectrum's comment is "%": values are labelled in percent.
    bool PercentMode() const;
    ListSignature Signature() const;

    // A click on a tool button, apart from saving: toggles its setting or resets ranges.
    void ApplyButton(PlotButton button);

private:
    // yScanned: the caller has just scanned the y limits from the spectra.
    void ResetToMinMax(bool yScanned);

    std::vector<Spectrum*> m_shown;
    PlotRect m_client;
    PlotGrid m_grid;
};

// Equal limits (a zero span) are widened by |v| * 1e-4 on each side, by 1 at 0.
void WidenEqualLimits(double& lo, double& hi);
