#include "controls/spectrum_plot.h"

#include "controls/plot_axis.h"
#include "controls/plot_glyphs.h"
#include "controls/plot_info_panel.h"
#include "core/spectrum.h"
#include "core/tree.h"
#include "platform/colorref_qt.h"
#include "platform/data_exchange.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"
#include "platform/random.h"

#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QSaveFile>
#include <QWheelEvent>
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
    ClearPointEdit();
    m_model.SetFromSpectrumList(list);
    NeedRedraw(true);
}

void CSpecDisplay::RemoveFromShownList(const Spectrum* spectrum)
{
    StopWorker();
    ClearPointEdit();
    m_model.RemoveFromShownList(spectrum);
    NeedRedraw(true);
}

void CSpecDisplay::ClearPointEdit()
{
    m_pointEdit = false;
    m_editSpectrum = nullptr;
    m_editIndex = 0;
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

void CSpecDisplay::SetDispDlg(QWidget* dialog)
{
    m_dispDlg = dialog;
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
    // The coordinates are taken out in two bulk copies, then the visible span is paired up.
    std::vector<double> xs, ys;
    auto add = [&](const Spectrum* spectrum) {
        const int n = spectrum->GetPointCount();
        if (n == 0)
            return;
        RenderSpectrum& r = job.spectra.emplace_back();
        r.colour = spectrum->GetColor();
        xs.resize(static_cast<std::size_t>(n));
        ys.resize(static_cast<std::size_t>(n));
        spectrum->getXPointsAsArray(xs.data());
        spectrum->getYPointsAsArray(ys.data());
        const auto span = VisibleSpan(n, job.range.minX, job.range.maxX, [&](int i) { return xs[i]; });
        if (!span)
            return;
        r.points.resize(static_cast<std::size_t>(span->second - span->first + 1));
        for (int i = span->first; i <= span->second; ++i)
            r.points[static_cast<std::size_t>(i - span->first)] = {xs[i], ys[i]};
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
    axis.xLabelDigitWidth = XLabelDigitWidth(axis.labelHeight, axis.unit);
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

    for (int k = 0; k < kPlotButtonCount; ++k)
        DrawButton(painter, static_cast<PlotButton>(k), m_buttons[k], CurrentButtonStates(), MenuFontHeight());

    if (*s.ShowInfoWin)
        DrawInfoWin(painter);
    if (m_zoomBox) {
        painter.setPen(QPen(Qt::black, 1));
        const QPoint box[] = {m_boxStart, {m_boxEnd.x(), m_boxStart.y()}, m_boxEnd, {m_boxStart.x(), m_boxEnd.y()},
                              m_boxStart};
        painter.drawPolyline(box, 5);
    }
    if (m_readout)
        DrawReadout(painter);
    if (!m_toolTip.empty())
        DrawToolTip(painter);
}

ButtonStates CSpecDisplay::CurrentButtonStates() const
{
    const PlotSettings& s = m_model.settings;
    ButtonStates states;
    states.showGraphDots = *s.ShowGraphDots;
    states.showGraphDotsOnly = *s.ShowGraphDotsOnly;
    states.showSpekGraph = *s.ShowSpekGraph;
    states.infoLeftPos = *s.InfoLeftPos;
    states.showInfoWin = *s.ShowInfoWin;
    states.infoLegende = *s.InfoLegende;
    states.showDensity = *s.ShowDensity;
    return states;
}

void CSpecDisplay::DrawSpecs(QPainter& painter)
{
    const PlotRect area = m_model.PlotArea();
    if (area.IsEmpty()) {
        // A tiny control: margins only.
        m_redrawNeeded = false;
        return;
    }
    if (m_exportPicture) {
        painter.drawImage(area.left, area.top, *m_exportPicture);
        return;
    }
    if (m_redrawNeeded)
        RequestDrawing();
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

void CSpecDisplay::DrawInfoWin(QPainter& painter)
{
    if (m_model.Shown().empty() || ns_tree::IsTreeBusy())
        return;
    const QFont bold = SegoeFont(MenuFontHeight(), QFont::DemiBold);
    const QFont light = SegoeFont(MenuFontHeight(), QFont::Light);
    const QFontMetrics boldMetrics(bold);
    const QFontMetrics lightMetrics(light);
    const PlotSettings& s = m_model.settings;
    PanelInput in;
    in.client = m_model.Client();
    in.spectra = m_model.Shown();
    in.density = *s.ShowDensity;
    in.unit = *s.Unit;
    in.legend = *s.InfoLegende;
    in.leftPos = *s.InfoLeftPos;
    in.lineHeight = boldMetrics.height() + 2;
    in.panelWidth = 24 * boldMetrics.horizontalAdvance(QLatin1Char('A'));
    in.measureLight = [&lightMetrics](const QString& text) { return lightMetrics.horizontalAdvance(text); };
    const std::optional<InfoPanelLayout> panel = LayoutInfoPanel(in);
    if (!panel)
        return;
    const PlotRect& r = panel->rect;
    DrawTransparentRect(painter, r.Offset(2, 2), RGB(96, 96, 96), 50);
    DrawTransparentRect(painter, r.Offset(1, 1), RGB(96, 96, 96), 50);
    DrawTransparentRect(painter, r, RGB(245, 245, 245), 220);
    const int h = in.lineHeight;
    for (const PanelLine& line : panel->lines) {
        painter.setFont(line.bold ? bold : light);
        painter.setPen(ToQColor(line.colour));
        const QRect box(QPoint(r.left + 5, r.top + 4 + line.index * h), QPoint(r.right - 2, r.top + 3 + (line.index + 1) * h));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QString::fromStdString(line.text));
    }
}

void CSpecDisplay::DrawReadout(QPainter& painter)
{
    const PlotRect area = m_model.PlotArea();
    const QPoint p = m_lastMouse;
    if (!area.ContainsInclusive(p.x(), p.y()))
        return;
    double x = 0, y = 0;
    if (!ToData(p, x, y))
        return;
    painter.save();
    painter.setPen(QPen(QColor(20, 20, 20), 1, Qt::DashLine));
    painter.drawLine(area.left + 1, p.y(), area.right, p.y());
    painter.drawLine(p.x() - 1, area.top + 1, p.x() - 1, area.bottom + 1);
    const QFont font = SegoeFont(MenuFontHeight(), QFont::Medium);
    const QFontMetrics fm(font);
    const QString text = QString::fromStdString(ReadoutText(x, y, *m_model.settings.Unit, IsDensView()));
    painter.setFont(font);
    painter.drawText(ReadoutLeft(p.x(), fm.horizontalAdvance(text), m_model.Client()), p.y() + fm.ascent(), text);
    painter.restore();
}

void CSpecDisplay::DrawToolTip(QPainter& painter)
{
    const QFont font = SegoeFont(MenuFontHeight(), QFont::Medium);
    const QFontMetrics fm(font);
    const QString text = QString::fromStdString(m_toolTip);
    const ToolTipBox tip = LayoutToolTip(m_toolTipPos.x(), m_toolTipPos.y(), fm.horizontalAdvance(text), fm.height());
    for (int offset = 3; offset >= 0; --offset)
        DrawTransparentRect(painter, tip.shadow.Offset(offset, offset), RGB(140, 140, 140), 40);
    DrawTransparentRect(painter, tip.box, RGB(242, 242, 242), 200);
    painter.save();
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(tip.box.left, tip.box.top, tip.box.Width() - 1, tip.box.Height() - 1);
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 30));
    painter.drawText(tip.textPos.x(), tip.textPos.y() + fm.ascent(), text);
    painter.restore();
}

bool CSpecDisplay::ToData(QPoint p, double& x, double& y) const
{
    return m_model.Transform().ToData(p, x, y);
}

Spectrum* CSpecDisplay::GetNearestSpectrum(double x, double y)
{
    const int index = NearestSpectrum(m_model.Shown(), x, y);
    return index < 0 ? nullptr : m_model.Shown()[index];
}

int CSpecDisplay::SpectrumNear(QPoint p, double* xOut) const
{
    double x = 0, y = 0;
    if (!ToData(p, x, y))
        return -1;
    // The search compares with the spectra's own values: in the density view the
    // pointer's logarithm is turned back into a value first.
    double value = 0;
    const int index = NearestSpectrum(m_model.Shown(), x, IsDensView() ? std::pow(10.0, y) : y, &value);
    if (index < 0)
        return -1;
    const QPoint at = m_model.Transform().ToScreen(x, value);
    if (std::abs(at.y() - p.y()) > 10)
        return -1;
    if (xOut)
        *xOut = x;
    return index;
}

void CSpecDisplay::ApplyRangeChange(const RangeChange& change)
{
    PlotSettings& s = m_model.settings;
    m_model.SetShownRange(change.range);
    if (change.storeX) {
        *s.MinX = change.range.minX;
        *s.MaxX = change.range.maxX;
    }
    if (change.storeY) {
        *s.MinY = change.range.minY;
        *s.MaxY = change.range.maxY;
    }
    m_model.CalculateGrid();
    NeedRedraw(true);
}

void CSpecDisplay::mousePressEvent(QMouseEvent* event)
{
    // The plot keeps its mouse input (also while busy): nothing goes on to the parent.
    event->accept();
    if (m_workerBusy)
        return;
    const QPoint p = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton:
        OnLButtonDown(event);
        break;
    case Qt::MiddleButton:
        if (*m_model.settings.ZoomAllowed && !m_dragging && !m_readout) {
            m_boxStart = m_boxEnd = p;
            m_zoomBox = true;
            setCursor(Qt::CrossCursor);
            update();
        }
        break;
    case Qt::RightButton:
        if (!m_dragging && !m_zoomBox && p.x() < m_model.Client().right - 25) {
            m_lastMouse = p;
            m_readout = true;
            setCursor(Qt::CrossCursor);
            update();
        }
        break;
    default:
        break;
    }
}

void CSpecDisplay::OnLButtonDown(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const bool leftOnly = event->buttons() == Qt::LeftButton;
    if (leftOnly && event->modifiers() == Qt::ShiftModifier) {
        // Marks the nearest point for moving.
        double x = 0;
        const int index = SpectrumNear(p, &x);
        if (index >= 0) {
            Spectrum* s = m_model.Shown()[index];
            int point = 0;
            GetSpectrumXValue(s, x, point);
            if (point + 1 < s->GetPointCount() && std::fabs((*s)[point + 1].x - x) < std::fabs((*s)[point].x - x))
                ++point;
            m_editSpectrum = s;
            m_editIndex = point;
            m_lastMouse = p;
            m_pointEdit = true;
            NeedRedraw(true);
        }
        return;
    }
    if (leftOnly && event->modifiers() == Qt::ControlModifier) {
        if (SpectrumNear(p, nullptr) >= 0)
            NeedRedraw(true);
        return;
    }
    if (m_zoomBox || m_readout)
        return;
    if (p.x() < m_model.Client().right - 25) {
        setCursor(Qt::SizeAllCursor);
        m_lastMouse = p;
        m_dragging = true;
        update();
        return;
    }
    const std::optional<PlotButton> button = HitButton(m_buttons, p.x(), p.y());
    if (!button)
        return;
    if (*button == PlotButton::Save)
        OnSaveButton();
    else
        m_model.ApplyButton(*button);
    NeedRedraw(true);
}

void CSpecDisplay::OnSaveButton()
{
    const QString path = platform::GetFileChooser().GetSaveFileName(
        this, QStringLiteral("Speichern unter"), QStringLiteral("*.png"), QStringLiteral("Spektren-Bilddatei (*.png)"));
    if (path.isEmpty())
        return;
    if (!SaveToFile(width() - 40, height() - 10, path.toStdString()))
        platform::ShowMessage(this, QStringLiteral("Fehler"),
                              QStringLiteral("Das Bild konnte nicht gespeichert werden:\n%1").arg(path),
                              platform::PromptIcon::Error);
}

void CSpecDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_workerBusy) {
        // A release is not lost while the worker draws: it ends its mode, changing nothing.
        if (event->button() == Qt::LeftButton)
            m_dragging = false;
        else if (event->button() == Qt::MiddleButton)
            m_zoomBox = false;
        else if (event->button() == Qt::RightButton)
            m_readout = false;
        unsetCursor();
        update();
        return;
    }
    const QPoint p = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton:
        if (m_dragging) {
            m_dragging = false;
            unsetCursor();
        }
        break;
    case Qt::MiddleButton:
        if (*m_model.settings.ZoomAllowed && m_zoomBox) {
            m_boxEnd = p;
            m_zoomBox = false;
            unsetCursor();
            double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            const std::optional<PlotRange> box = ToData(m_boxStart, x1, y1) && ToData(m_boxEnd, x2, y2)
                                                     ? BoxZoom(x1, y1, x2, y2)
                                                     : std::nullopt;
            if (box) {
                m_model.SetShownRange(*box);
                m_model.CalculateGrid();
                NeedRedraw(true);
            }
            update();
        }
        break;
    case Qt::RightButton:
        if (m_readout) {
            m_readout = false;
            unsetCursor();
            update();
        }
        break;
    default:
        break;
    }
}

void CSpecDisplay::mouseMoveEvent(QMouseEvent* event)
{
    if (m_workerBusy || !*m_model.settings.DragAllowed)
        return;
    OnMouseMove(event);
}

void CSpecDisplay::OnMouseMove(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    PlotSettings& s = m_model.settings;
    if (m_dragging) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (ToData(m_lastMouse, x0, y0) && ToData(p, x1, y1))
            ApplyRangeChange(Pan(m_model.ShownRange(), x1 - x0, y1 - y0, *s.AutoXMinMax, *s.AutoMinMax));
        m_lastMouse = p;
    }
    if (m_pointEdit) {
        if (event->buttons() == Qt::LeftButton && event->modifiers() == Qt::ShiftModifier && m_editSpectrum) {
            double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            if (ToData(m_lastMouse, x0, y0) && ToData(p, x1, y1)) {
                const SPoint old = (*m_editSpectrum)[m_editIndex];
                // In the density view the move is in log units, as the plot shows it.
                const double y = IsDensView() ? std::pow(10.0, DensityValue(old.y) + (y1 - y0)) : old.y + (y1 - y0);
                m_editSpectrum->SetPoint(m_editIndex, old.x + (x1 - x0), y);
            }
            m_lastMouse = p;
            NeedRedraw(true);
        } else {
            ClearPointEdit();
        }
    }
    if (m_zoomBox) {
        m_boxEnd = p;
        setCursor(Qt::CrossCursor);
    }
    if (m_readout) {
        m_lastMouse = p;
        setCursor(Qt::CrossCursor);
    }

    m_toolTip.clear();
    const std::optional<PlotButton> button = HitButton(m_buttons, p.x(), p.y());
    if (button) {
        const PlotRect& r = RectOf(m_buttons, *button);
        m_toolTip = ToolTipText(*button, CurrentButtonStates());
        m_toolTipPos = QPoint(r.left - 3, r.top - 3);
        if (*button == PlotButton::Density) {
            if (auto* exchanger = dynamic_cast<platform::DataExchanger*>(m_dispDlg.data()))
                exchanger->UpdateData(false);
        }
    }
    repaint();
}

void CSpecDisplay::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_toolTip.empty())
        return;
    m_toolTip.clear();
    update();
}

void CSpecDisplay::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (m_workerBusy || !*m_model.settings.ZoomAllowed)
        return;
    OnMouseWheel(event);
}

void CSpecDisplay::OnMouseWheel(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return; // a horizontal wheel
    const int steps = m_wheel.Add(delta);
    const QPoint p = event->position().toPoint();
    const PlotRect c = m_model.Client();
    if (steps == 0 || p.x() < c.left || p.x() > c.right - 45 || p.y() < c.top || p.y() > c.bottom)
        return;
    PlotSettings& s = m_model.settings;
    for (int i = 0; i < std::abs(steps); ++i) {
        double gx = 0, gy = 0;
        if (!ToData(p, gx, gy))
            return;
        ApplyRangeChange(WheelZoom(m_model.ShownRange(), gx, gy, steps > 0, *s.AutoXMinMax, *s.AutoMinMax,
                                   !(p.x() > c.left + 50), !(p.y() < c.bottom - 50)));
    }
}

void CSpecDisplay::keyPressEvent(QKeyEvent* event)
{
    if (m_workerBusy) {
        QWidget::keyPressEvent(event);
        return;
    }
    OnKeyDown(event);
}

void CSpecDisplay::OnKeyDown(QKeyEvent* event)
{
    if (event->modifiers() & Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Plus)
            m_model.SetShownRange(KeypadZoom(m_model.ShownRange(), true));
        else if (event->key() == Qt::Key_Minus)
            m_model.SetShownRange(KeypadZoom(m_model.ShownRange(), false));
    }
    m_model.CalculateGrid();
    NeedRedraw(true);
}

int CSpecDisplay::SaveToFile(int width, int height, const std::string& path)
{
    const int W = width + 5;
    const int H = height;
    const QRect client = rect();
    if (client.isEmpty() || width <= 0 || height <= 0 || path.empty())
        return 0;
    StopWorker();

    PlotSettings& s = m_model.settings;
    const COLORREF border = s.GetBorderColor();
    const bool spekGraph = *s.ShowSpekGraph;
    const int sampleDist = *s.SampleDist;
    m_saving = true;
    s.SetBorderColor(RGB(255, 255, 255));
    m_toolTip.clear();
    m_model.exportMode = 2;
    *s.SampleDist = 2;
    m_model.CalculateGrid();

    // The control at client size, drawn at once with the export settings.
    const std::atomic<bool> noAbort{false};
    const RenderResult rendered = RenderPlot(MakeRenderJob(), noAbort);
    QImage whole(client.size(), QImage::Format_RGB32);
    whole.fill(Qt::white);
    {
        QPainter painter(&whole);
        m_exportPicture = &rendered.image;
        DoPaint(painter);
        m_exportPicture = nullptr;
    }
    m_lastDrawn = rendered.drawn;

    // Its top-left W x H (without the button column), stretched smoothly to W + 3 wide.
    QImage picture(W, H, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const int stretchedHeight = static_cast<int>(static_cast<float>(W + 3) * static_cast<float>(H) / static_cast<float>(W));
        painter.drawImage(QRect(0, 0, W + 3, stretchedHeight), whole, QRect(0, 0, W, H));
    }
    QSaveFile file(QString::fromStdString(path));
    const bool saved = file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.commit();

    s.SetBorderColor(border);
    *s.ShowSpekGraph = spekGraph;
    *s.SampleDist = sampleDist;
    m_model.exportMode = 0;
    m_saving = false;
    m_model.CalculateGrid();
    NeedRedraw(true);
    return saved ? 1 : 0;
}
