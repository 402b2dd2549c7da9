#pragma once
// CSpecDisplay: the spectrum plot control. It shows a list of spectra (owned by the
// spectrum tree) with grid, axes, tool buttons and an info panel. The spectra are drawn
// on a worker thread into a picture of the plot area; while the worker runs, the control
// shows the previous picture stretched, with a wait text, and ignores mouse and keys.
//
// A redraw request (a paint that finds the redraw-needed flag) stops a running worker,
// takes a snapshot of everything the drawing needs on the GUI thread (settings, range,
// transform, and per spectrum its colour and visible points) and starts a new worker on
// it. The worker never touches a spectrum, a widget or the spectrum tree; it hands its
// picture back through a queued call with its request id, and stale ids are dropped.
#include "controls/plot_buttons.h"
#include "controls/plot_interaction.h"
#include "controls/plot_model.h"
#include "controls/plot_renderer.h"
#include "platform/colorref.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Spectrum;

class CSpecDisplay : public QWidget {
    Q_OBJECT
public:
    explicit CSpecDisplay(QWidget* parent = nullptr);
    ~CSpecDisplay() override;

    // The settings container "MainSpectrumView"; the owner nests it into its workspace.
    ns_param::Paramora& MainSpectrumView;

    // Shows these spectra; the worker is stopped first. Spectra without points are left out.
    void SetFromSpectrumList(const std::list<Spectrum*>& list);
    // Called before a shown spectrum is deleted: stops the worker, drops it, redraws.
    void RemoveFromShownList(const Spectrum* spectrum);
    const std::vector<Spectrum*>& GetShownList() const { return m_model.Shown(); }
    void ResetToMinMax();
    void CalculateGrid();
    void NeedRedraw(bool redraw);
    // Repaints at once.
    void DrawInfo();

    // Keeps a copy of the picture shown behind the spectra (380..780 nm, full height).
    void SetBgBitmap(const QImage& bitmap);
    void SetBackgroundColor(COLORREF colour);
    void SetBorderColor(COLORREF colour);
    COLORREF GetBackgroundColor() const;
    COLORREF GetBorderColor() const;
    bool IsDensView() const;
    void SetYAxisName(const std::string& name);
    // The open display-options dialog (not owned; forgotten when it closes for good). It is
    // refreshed (UpdateData(false)) while the pointer rests on the density button. A dialog
    // that is no platform::DataExchanger is kept but never refreshed.
    void SetDispDlg(QWidget* dialog);
    QWidget* GetDispDlg() const { return m_dispDlg; }
    const std::string& GetYAxisName() const { return m_yAxisName; }

    // The shown spectrum whose value at x lies nearest to y, or null.
    Spectrum* GetNearestSpectrum(double x, double y);

    // Saves the plot as a PNG of (width + 5) x height pixels, drawn synchronously with the
    // export settings (every spectrum, every point, white border, brightened background
    // picture), written to a temporary file and renamed. Nonzero on success; 0 for an
    // empty client, a size at most 0 or a file that cannot be written (an old file stays).
    int SaveToFile(int width, int height, const std::string& path);

    // Data <-> pixel for a client rectangle; false for a degenerate range or area.
    bool CoordinateToScreen(double x, double y, const QRect& client, QPoint& point) const;
    bool ScreenToCoordinates(const QPoint& point, const QRect& client, double& x, double& y) const;

    // Test and tool seams.
    // No worker running or requested and nothing waiting to be drawn.
    bool isIdle() const;
    // Spectra gone through by the last finished drawing.
    int lastDrawnCount() const { return m_lastDrawn; }
    // Called on the worker thread before each spectrum.
    void setBetweenSpectraHook(BetweenSpectraHook hook) { m_hook = std::move(hook); }
    // Seed of the random choice of 500 spectra; without one, the clock seeds it.
    void setRandomSeed(std::optional<unsigned> seed) { m_seed = seed; }
    const PlotModel& model() const { return m_model; }
    PlotSettings& settings() { return m_model.settings; }
    const PlotButtonRects& buttonRects() const { return m_buttons; }
    const std::string& toolTipText() const { return m_toolTip; }
    // The point marked by Shift+click for moving (null when none).
    Spectrum* editedSpectrum() const { return m_editSpectrum; }
    int editedIndex() const { return m_editIndex; }
    // Indices into the shown list of the random choice drawn from long lists.
    const std::vector<int>& drawnSubset() const { return m_subset; }
    // The snapshot a redraw would draw now (export: every spectrum, export settings).
    RenderJob MakeRenderJob() const;

signals:
    // A worker's picture arrived and is shown.
    void drawFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The pointer left the plot: a button's tool tip goes with it.
    void leaveEvent(QEvent* event) override;

private:
    void DoPaint(QPainter& painter);
    void DrawSpecs(QPainter& painter);
    void LayoutButtonsOnFirstPaint();
    // Starts a worker for the current state; false (and a retry later) while the tree is busy.
    bool RequestDrawing();
    // Sets abort, joins the worker and forgets its result.
    void StopWorker();
    void OnDrawFinished(std::uint64_t id, RenderResult result);
    void DrawWaitText(QPainter& painter);
    void DrawInfoWin(QPainter& painter);
    void DrawReadout(QPainter& painter);
    void DrawToolTip(QPainter& painter);
    int MenuFontHeight() const;

    void OnLButtonDown(QMouseEvent* event);
    void OnMouseMove(QMouseEvent* event);
    void OnMouseWheel(QWheelEvent* event);
    void OnKeyDown(QKeyEvent* event);
    void OnSaveButton();
    // Data point of a pixel with the current client; false for a degenerate range.
    bool ToData(QPoint p, double& x, double& y) const;
    void ApplyRangeChange(const RangeChange& change);
    // The shown spectrum under a click (within 10 pixels vertically), or -1; x goes to *x.
    int SpectrumNear(QPoint p, double* x) const;
    ButtonStates CurrentButtonStates() const;
    void ClearPointEdit();

    PlotModel m_model;
    std::string m_yAxisName;
    QImage m_bgPicture;
    QPointer<QWidget> m_dispDlg;

    // Shared with the worker.
    std::atomic<bool> m_redrawNeeded{true};
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_workerBusy{false};
    // GUI thread only.
    bool m_drawing = false;
    bool m_saving = false;
    std::uint64_t m_requestId = 0;
    std::jthread m_worker;
    QImage m_picture; // the plot area as last drawn
    int m_lastDrawn = 0;
    std::vector<int> m_subset;
    ListSignature m_signature;
    std::optional<unsigned> m_seed;
    BetweenSpectraHook m_hook;
    QTimer m_retryTimer;

    int m_buttonSize = 0;
    PlotButtonRects m_buttons{};
    // While exporting: the picture drawn for the export (no worker is asked).
    const QImage* m_exportPicture = nullptr;

    // Mouse modes.
    QPoint m_lastMouse;
    bool m_dragging = false;
    bool m_zoomBox = false;
    QPoint m_boxStart;
    QPoint m_boxEnd;
    bool m_readout = false;
    bool m_pointEdit = false;
    Spectrum* m_editSpectrum = nullptr;
    int m_editIndex = 0;
    std::string m_toolTip;
    QPoint m_toolTipPos;
    WheelAccumulator m_wheel;
};
