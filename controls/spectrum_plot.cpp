#include "controls/spectrum_plot.h"

#include "controls/plot_axis.h"
#include "controls/plot_glyphs.h"
#include "core/spectrum.h"
#include "core/tree.h"
#include "platform/colorref_qt.h"
#include "platform/random.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <cmath>

namespace {

// While the spectrum tree is busy a redraw is retried after this long.
constexpr int kRetryMilliseconds = 50;

QFont SegoeFont(int pixelHeight, QFont::Weight weight)
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(weight);
    return font;
}

} // namespace

CSpecDisplay::CSpecDisplay(QWidget* parent)
    : QWidget(parent)
    , MainSpectrumView(m_model.settings.MainSpectrumView)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(kRetryMilliseconds);
    connect(&m_retryTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_model.SetClient(PlotRect::FromQRect(rect()));
}

CSpecDisplay::~CSpecDisplay()
{
    StopWorker();
}

void CSpecDisplay::SetFromSpectrumList(const std::list<Spectrum*>& list)
{
    StopWorker();
    m_model.SetFromSpectrumList(list);
    NeedRedraw(true);
}

void CSpecDisplay::RemoveFromShownList(const Spectrum* spectrum)
{
    StopWorker();
    m_model.RemoveFromShownList(spectrum);
    NeedRedraw(true);
}

void CSpecDisplay::ResetToMinMax()
{
    m_model.ResetToMinMax();
    NeedRedraw(true);
}

void CSpecDisplay::CalculateGrid()
{
    m_model.CalculateGrid();
}

void CSpecDisplay::NeedRedraw(bool redraw)
{
    if (!redraw)
        return;
    m_redrawNeeded = true;
    update();
}

void CSpecDisplay::DrawInfo()
{
    repaint();
}

void CSpecDisplay::SetBgBitmap(const QImage& bitmap)
{
    m_bgPicture = bitmap.copy();
    NeedRedraw(true);
}

void CSpecDisplay::SetBackgroundColor(COLORREF colour)
{
    m_model.settings.SetBackgroundColor(colour);
    NeedRedraw(true);
}

void CSpecDisplay::SetBorderColor(COLORREF colour)
{
    m_model.settings.SetBorderColor(colour);
    NeedRedraw(true);
}

COLORREF CSpecDisplay::GetBackgroundColor() const
{
    return m_model.settings.GetBackgroundColor();
}

COLORREF CSpecDisplay::GetBorderColor() const
{
    return m_model.settings.GetBorderColor();
}

bool CSpecDisplay::IsDensView() const
{
    return *m_model.settings.ShowDensity;
}

void CSpecDisplay::SetYAxisName(const std::string& name)
{
    m_yAxisName = name;
}

bool CSpecDisplay::CoordinateToScreen(double x, double y, const QRect& client, QPoint& point) const
{
    const PlotTransform t = PlotTransform::For(PlotRect::FromQRect(client), m_model.ShownRange(), IsDensView());
    if (!t.valid)
        return false;
    point = t.ToScreen(x, y);
    return true;
}

bool CSpecDisplay::ScreenToCoordinates(const QPoint& point, const QRect& client, double& x, double& y) const
{
    return PlotTransform::For(PlotRect::FromQRect(client), m_model.ShownRange(), IsDensView()).ToData(point, x, y);
}

bool CSpecDisplay::isIdle() const
{
    return !m_drawing && !m_redrawNeeded && !m_workerBusy;
}

int CSpecDisplay::MenuFontHeight() const
{
    // The menu font: 12 pixels at 96 dots per inch.
    return static_cast<int>(std::lround(12.0 * logicalDpiY() / 96.0));
}

RenderJob CSpecDisplay::MakeRenderJob() const
{
    const PlotSettings& s = m_model.settings;
    RenderJob job;
    job.client = m_model.Client();
    job.range = m_model.ShownRange();
    job.transform = m_model.Transform();
    job.settings.bgColor = s.GetBackgroundColor();
    job.settings.drawBgImage = *s.DrawBgImage;
    job.settings.showSpekGraph = *s.ShowSpekGraph;
    job.settings.showGraphDots = *s.ShowGraphDots;
    job.settings.showGraphDotsOnly = *s.ShowGraphDotsOnly;
    job.settings.showDensity = *s.ShowDensity;
    job.settings.useOptSpecDisplay = *s.UseOptSpecDisplay;
    job.settings.exportMode = m_model.exportMode;
    job.settings.sampleDist = s.SampleDistance();
    job.settings.limitMinX = *s.MinX;
    job.settings.limitMaxX = *s.MaxX;
    job.background = m_bgPicture;
    if (!job.transform.valid)
        return job;

    const std::vector<Spectrum*>& shown = m_model.Shown();
    const bool subset = *s.UseOptSpecDisplay && shown.size() > static_cast<std::size_t>(kMaxDrawnSpectra)
                        && !m_subset.empty() && m_model.exportMode == 0;
    auto add = [&](const Spectrum* spectrum) {
        const int n = spectrum->GetPointCount();
        if (n == 0)
            return;
        RenderSpectrum& r = job.spectra.emplace_back();
        r.colour = spectrum->GetColor();
        const auto span = VisibleSpan(n, job.range.minX, job.range.maxX, [&](int i) { return (*spectrum)[i].x; });
        if (!span)
            return;
        r.points.reserve(span->second - span->first + 1);
        for (int i = span->first; i <= span->second; ++i) {
            const SPoint p = (*spectrum)[i];
            r.points.push_back({p.x, p.y});
        }
    };
    if (subset) {
        job.spectra.reserve(m_subset.size());
        for (int index : m_subset) {
            if (index >= 0 && static_cast<std::size_t>(index) < shown.size())
                add(shown[index]);
        }
    } else {
        job.spectra.reserve(shown.size());
        for (const Spectrum* spectrum : shown)
            add(spectrum);
    }
    return job;
}

void CSpecDisplay::StopWorker()
{
    m_abort = true;
    if (m_worker.joinable())
        m_worker.join();
    m_abort = false;
    m_workerBusy = false;
    // A picture the stopped worker may have posted is stale now.
    ++m_requestId;
    m_drawing = false;
}

bool CSpecDisplay::RequestDrawing()
{
    if (ns_tree::IsTreeBusy()) {
        // The spectra may be changing: draw nothing now, try again shortly.
        if (!m_retryTimer.isActive())
            m_retryTimer.start();
        return false;
    }
    StopWorker();
    const std::vector<Spectrum*>& shown = m_model.Shown();
    const ListSignature signature = m_model.Signature();
    if (shown.size() > static_cast<std::size_t>(kMaxDrawnSpectra) && !(signature == m_signature))
        m_subset = RandomSubset(static_cast<int>(shown.size()), m_seed.value_or(platform::ClockSeed()));
    if (!shown.empty())
        m_signature = signature;

    RenderJob job = MakeRenderJob();
    m_redrawNeeded = false;
    m_drawing = true;
    m_workerBusy = true;
    const std::uint64_t id = ++m_requestId;
    m_worker = std::jthread([this, job = std::move(job), id, hook = m_hook]() {
        RenderResult result = RenderPlot(job, m_abort, hook);
        if (!result.aborted) {
            QMetaObject::invokeMethod(
                this, [this, id, result = std::move(result)]() mutable { OnDrawFinished(id, std::move(result)); },
                Qt::QueuedConnection);
        }
        m_workerBusy = false;
    });
    return true;
}

void CSpecDisplay::OnDrawFinished(std::uint64_t id, RenderResult result)
{
    if (id != m_requestId)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_picture = std::move(result.image);
    m_lastDrawn = result.drawn;
    m_drawing = false;
    repaint();
    emit drawFinished();
}

void CSpecDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DoPaint(painter);
}

void CSpecDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_model.SetClient(PlotRect::FromQRect(rect()));
    if (m_buttonSize > 0)
        m_buttons = LayoutButtons(m_model.Client(), m_buttonSize, 2);
    NeedRedraw(true);
}

void CSpecDisplay::LayoutButtonsOnFirstPaint()
{
    if (m_buttonSize > 0)
        return;
    const QFontMetrics fm(SegoeFont(MenuFontHeight(), QFont::Medium));
    m_buttonSize = std::max(16, fm.boundingRect(QStringLiteral("abc")).height() + 2);
    m_buttons = LayoutButtons(m_model.Client(), m_buttonSize, 4);
}

void CSpecDisplay::DoPaint(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    const PlotRect client = m_model.Client();
    LayoutButtonsOnFirstPaint();
    DrawSpecs(painter);

    const PlotSettings& s = m_model.settings;
    AxisInput axis;
    axis.client = client;
    axis.transform = m_model.Transform();
    axis.grid = m_model.Grid();
    axis.density = *s.ShowDensity;
    axis.percent = m_model.PercentMode();
    axis.unit = *s.Unit;
    axis.exportMode = m_model.exportMode;
    axis.labelHeight = LabelHeight(MenuFontHeight(), m_model.exportMode);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(axis.labelHeight + 2);
    axis.titleFontHeight = QFontMetrics(titleFont).height();
    axis.yAxisName = *s.YAxisName;
    painter.setPen(Qt::black);
    DrawAxis(painter, LayoutAxis(axis), axis.labelHeight, axis.unit, axis.exportMode, s.GetBorderColor());

    // Right, bottom and left edges of the plot area.
    const QPoint frame[] = {{client.right - 45, client.top + 12},
                            {client.right - 45, client.bottom - 50},
                            {client.left + 50, client.bottom - 50},
                            {client.left + 50, client.top + 11}};
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPolyline(frame, 4);

    ButtonStates states;
    states.showGraphDots = *s.ShowGraphDots;
    states.showGraphDotsOnly = *s.ShowGraphDotsOnly;
    states.showSpekGraph = *s.ShowSpekGraph;
    states.infoLeftPos = *s.InfoLeftPos;
    states.showInfoWin = *s.ShowInfoWin;
    states.infoLegende = *s.InfoLegende;
    states.showDensity = *s.ShowDensity;
    for (int k = 0; k < kPlotButtonCount; ++k)
        DrawButton(painter, static_cast<PlotButton>(k), m_buttons[k], states, MenuFontHeight());
}

void CSpecDisplay::DrawSpecs(QPainter& painter)
{
    if (m_redrawNeeded)
        RequestDrawing();
    const PlotRect area = m_model.PlotArea();
    if (m_redrawNeeded || m_drawing) {
        // Wait state: the previous picture stretched to the plot area, and the wait text.
        if (!m_picture.isNull()) {
            painter.fillRect(rect(), ToQColor(GetBackgroundColor()));
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(area.ToQRect(), m_picture);
            painter.restore();
        } else {
            painter.fillRect(area.ToQRect(), ToQColor(GetBackgroundColor()));
        }
        if (!m_saving)
            DrawWaitText(painter);
        return;
    }
    if (m_picture.size() == area.ToQRect().size())
        painter.drawImage(area.left, area.top, m_picture);
    else
        painter.fillRect(area.ToQRect(), ToQColor(GetBackgroundColor()));
}

void CSpecDisplay::DrawWaitText(QPainter& painter)
{
    const QFont font = SegoeFont(MenuFontHeight(), QFont::Medium);
    const QString text = QStringLiteral("Bitte warten, die Spektrenanzeige wird aktualisiert...");
    const QFontMetrics fm(font);
    const PlotRect client = m_model.Client();
    const QRect box(QPoint(client.right - fm.horizontalAdvance(text) - 50, client.bottom - fm.height() - 50),
                    QPoint(client.right - 50 - 1, client.bottom - 50 - 1));
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine, text);
    painter.restore();
}
