#pragma once
// A grid of spectrum thumbnails, one per spectrum of a set, titled with the spectra's
// names: two per column, the columns left to right. The windows refer to the set's spectra,
// so the owner keeps the set alive while they are shown and empties the list (RemoveAll)
// before the set changes.
//
// Both scroll bars share one position; the windows move with it along the bar's direction.

#include "windows/spec_window_layout.h"

#include <QAbstractScrollArea>

#include <vector>

class CSpecWindow;
class SpectraSet;

class CSpecWindowList : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CSpecWindowList(QWidget* parent = nullptr);
    ~CSpecWindowList() override;

    // Destroys every window; position 0.
    void RemoveAll();
    // count empty windows in the grid.
    void CreateWindows(int count);
    // One window per spectrum; the first eight get their name and spectrum in black.
    void SetSpectra(const SpectraSet& set);

    bool GetSpectralFill() const { return m_spectralFill; }
    void SetSpectralFill(bool fill) { m_spectralFill = fill; }

    int WindowCount() const { return static_cast<int>(m_windows.size()); }
    CSpecWindow* WindowAt(int i) const;
    int GetScrollPosition() const { return m_scrollPosition; }

    // The scroll handlers; position for the thumb codes.
    void OnVScroll(spec_layout::ScrollCode code, int position = 0);
    void OnHScroll(spec_layout::ScrollCode code, int position = 0);

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Scroll(Qt::Orientation orientation, spec_layout::ScrollCode code, int position);
    void PlaceWindows();

    std::vector<CSpecWindow*> m_windows;
    std::vector<QRect> m_cells; // where CreateWindows put each window, unscrolled
    int m_scrollPosition = 0;
    Qt::Orientation m_scrollDirection = Qt::Vertical;
    bool m_spectralFill = false;
    bool m_scrolling = false;
};
