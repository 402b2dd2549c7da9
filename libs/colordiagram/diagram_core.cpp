#include "colordiagram/diagram_core.h"

#include "colormath/cie_table.h"
#include "colormath/spectral_colors.h"

#include <colormath/colormath.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace colordiagram {

namespace {

using colormath::kCie1931;
using colormath::kCie1931Count;

// D65 white (CIE 1931 2°, Y = 100): the planes' white when no point gave one.
constexpr double kD65[3] = {95.047, 100.0, 108.883};
// The least span auto-zoom shows, per type.
constexpr double kLeastSpan[3] = {0.02, 5.0, 5.0};
constexpr double kMargin = 1.2;

std::uint32_t Rgb(double X, double Y, double Z)
{
    const SpectralRgb c = ChromaticityToRgb(X, Y, Z);
    auto ch = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
    return (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

} // namespace

const std::vector<LocusPoint>& SpectralLocus()
{
    static const std::vector<LocusPoint> locus = [] {
        std::vector<LocusPoint> out;
        for (int i = 0; i < kCie1931Count; ++i)
            if (kCie1931[i].nm >= 380 && kCie1931[i].nm <= 700)
                out.push_back({kCie1931[i].nm, kCie1931[i].x, kCie1931[i].y, kCie1931[i].z});
        return out;
    }();
    return locus;
}

void PlanckianXYZ(double kelvin, double& X, double& Y, double& Z)
{
    // c1 cancels in every ratio; 1 keeps the sums in range.
    X = Y = Z = 0.0;
    for (int i = 0; i < kCie1931Count; ++i) {
        const double e = colormath::Planck(kCie1931[i].nm * 1e-9, kelvin, 1.0, 1.4388e-2) * 1e-30;
        X += e * kCie1931[i].x;
        Y += e * kCie1931[i].y;
        Z += e * kCie1931[i].z;
    }
}

const std::vector<double>& PlanckTemperatures()
{
    static const std::vector<double> t = [] {
        std::vector<double> out;
        for (double k = 1000; k < 4000; k += 100)
            out.push_back(k);
        for (double k = 4000; k < 10000; k += 250)
            out.push_back(k);
        for (double k = 10000; k <= 25000; k += 1000)
            out.push_back(k);
        return out;
    }();
    return t;
}

const std::vector<double>& PlanckMarks()
{
    static const std::vector<double> marks = {1000, 1500, 2000, 2856, 4000, 5000, 6500, 10000};
    return marks;
}

DiagramCore::DiagramCore() = default;

void DiagramCore::SetDiagramType(int type)
{
    const int t = type >= 0 && type <= 2 ? type : 0;
    if (t != m_type)
        m_fitDue = true;
    m_type = t;
}

double DiagramCore::BaseSpan(int type)
{
    return type == kLabPlane ? 200.0 : type == kDin99Plane ? 100.0 : 1.0;
}

View DiagramCore::DefaultView(int type)
{
    return type == kChromaticity ? View{} : View{0.0, 0.0, 1.0, 1.0};
}

void DiagramCore::CheckView()
{
    const View& v = m_view;
    if (!std::isfinite(v.middleX) || !std::isfinite(v.middleY) || !(v.scaleX > 0) || !(v.scaleY > 0) ||
        !std::isfinite(v.scaleX) || !std::isfinite(v.scaleY))
        m_view = DefaultView(m_type);
}

View DiagramCore::GetView()
{
    FitIfDue();
    CheckView();
    return m_view;
}

double DiagramCore::GetScaleX() { return GetView().scaleX; }
double DiagramCore::GetScaleY() { return GetView().scaleY; }
double DiagramCore::GetMiddleX() { return GetView().middleX; }
double DiagramCore::GetMiddleY() { return GetView().middleY; }

// A put view replaces a pending refit: the user's (or the project's) view wins.
void DiagramCore::SetScaleX(double v) { FitIfDue(); m_view.scaleX = v; }
void DiagramCore::SetScaleY(double v) { FitIfDue(); m_view.scaleY = v; }
void DiagramCore::SetMiddleX(double v) { FitIfDue(); m_view.middleX = v; }
void DiagramCore::SetMiddleY(double v) { FitIfDue(); m_view.middleY = v; }

void DiagramCore::AddPoint(double X, double Y, double Z, const std::string& name, const std::string& observer,
                           const std::string& illuminant)
{
    m_points.push_back({X, Y, Z, m_ref.X, m_ref.Y, m_ref.Z, name, observer, illuminant});
    m_ref = {};
    m_fitDue = true;
}

void DiagramCore::RemoveAllPoints()
{
    m_points.clear();
    m_links.clear();
    m_fitDue = true;
}

void DiagramCore::LinkPoints(int from, int to)
{
    m_links.push_back({from, to});
}

std::optional<UV> DiagramCore::Project(double X, double Y, double Z, double Xn, double Yn, double Zn) const
{
    if (m_type == kChromaticity) {
        const auto xy = colormath::ToChromaticity(X, Y, Z);
        if (!xy)
            return std::nullopt;
        return UV{xy->x, xy->y};
    }
    const double all[6] = {X, Y, Z, Xn, Yn, Zn};
    if (!std::all_of(all, all + 6, [](double v) { return std::isfinite(v); }) || !(Xn > 0) || !(Yn > 0) ||
        !(Zn > 0))
        return std::nullopt;
    double L = 0, a = 0, b = 0;
    colormath::XYZToLab(X, Y, Z, Xn, Yn, Zn, L, a, b);
    if (m_type == kDin99Plane) {
        double L99 = 0, a99 = 0, b99 = 0;
        colormath::LabToDIN99(L, a, b, L99, a99, b99);
        return UV{a99, b99};
    }
    return UV{a, b};
}

std::optional<UV> DiagramCore::Coordinates(const DiagramPoint& p) const
{
    return Project(p.X, p.Y, p.Z, p.Xn, p.Yn, p.Zn);
}

void DiagramCore::PlaneWhite(double& Xn, double& Yn, double& Zn) const
{
    for (auto it = m_points.rbegin(); it != m_points.rend(); ++it)
        if (it->Xn > 0 && it->Yn > 0 && it->Zn > 0 && std::isfinite(it->Xn + it->Yn + it->Zn)) {
            Xn = it->Xn;
            Yn = it->Yn;
            Zn = it->Zn;
            return;
        }
    Xn = kD65[0];
    Yn = kD65[1];
    Zn = kD65[2];
}

void DiagramCore::FitIfDue()
{
    if (!m_fitDue)
        return;
    m_fitDue = false;
    if (!m_autoZoom || m_points.empty())
        return;
    double minU = HUGE_VAL, maxU = -HUGE_VAL, minV = HUGE_VAL, maxV = -HUGE_VAL;
    for (const DiagramPoint& p : m_points)
        if (const auto c = Coordinates(p)) {
            minU = std::min(minU, c->u);
            maxU = std::max(maxU, c->u);
            minV = std::min(minV, c->v);
            maxV = std::max(maxV, c->v);
        }
    if (minU > maxU)
        return;
    const double span = std::max({(maxU - minU) * kMargin, (maxV - minV) * kMargin, kLeastSpan[m_type]});
    const double scale = BaseSpan(m_type) / span;
    m_view = {(minU + maxU) / 2, (minV + maxV) / 2, scale, scale};
}

UV DiagramCore::ToPixel(UV d, int width, int height)
{
    const View v = GetView();
    const double base = BaseSpan(m_type);
    return {width / 2.0 + (d.u - v.middleX) * width * v.scaleX / base,
            height / 2.0 - (d.v - v.middleY) * height * v.scaleY / base};
}

UV DiagramCore::ToDiagram(UV px, int width, int height)
{
    const View v = GetView();
    const double base = BaseSpan(m_type);
    return {v.middleX + (px.u - width / 2.0) * base / (width * v.scaleX),
            v.middleY - (px.v - height / 2.0) * base / (height * v.scaleY)};
}

void DiagramCore::Pan(double dx, double dy, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const View v = GetView();
    const double base = BaseSpan(m_type);
    m_view.middleX = v.middleX - dx * base / (width * v.scaleX);
    m_view.middleY = v.middleY + dy * base / (height * v.scaleY);
}

void DiagramCore::ZoomAt(double factor, double x, double y, int width, int height)
{
    if (width <= 0 || height <= 0 || !(factor > 0))
        return;
    const UV before = ToDiagram({x, y}, width, height);
    m_view.scaleX *= factor;
    m_view.scaleY *= factor;
    const UV after = ToDiagram({x, y}, width, height);
    m_view.middleX += before.u - after.u;
    m_view.middleY += before.v - after.v;
}

Layout DiagramCore::MakeBackground(int width, int height)
{
    Layout out;
    const View v = GetView();
    // Axes through the origin of the planes; the x and y axes of the chart.
    out.axes.push_back({ToPixel({m_type == kChromaticity ? 0.0 : -1e3, 0}, width, height),
                        ToPixel({m_type == kChromaticity ? 1.0 : 1e3, 0}, width, height)});
    out.axes.push_back({ToPixel({0, m_type == kChromaticity ? 0.0 : -1e3}, width, height),
                        ToPixel({0, m_type == kChromaticity ? 1.0 : 1e3}, width, height)});
    (void)v;
    if (m_showSpectral && m_type == kChromaticity) {
        // The horseshoe, closed by the line of purples.
        Layout::Polyline line;
        for (const LocusPoint& p : SpectralLocus()) {
            const auto xy = colormath::ToChromaticity(p.X, p.Y, p.Z);
            if (!xy)
                continue;
            line.points.push_back(ToPixel({xy->x, xy->y}, width, height));
            line.colours.push_back(Rgb(p.X, p.Y, p.Z));
            if (static_cast<int>(p.nm) % 20 == 0 && p.nm >= 460 && p.nm <= 640)
                out.marks.push_back({line.points.back(), std::to_string(static_cast<int>(p.nm))});
        }
        line.points.push_back(line.points.front());
        line.colours.push_back(line.colours.front());
        out.loci.push_back(std::move(line));
    }
    if (m_showPlanck) {
        double Xn = 0, Yn = 0, Zn = 0;
        PlaneWhite(Xn, Yn, Zn);
        Layout::Polyline line;
        auto add = [&](double kelvin) -> std::optional<UV> {
            double X = 0, Y = 0, Z = 0;
            PlanckianXYZ(kelvin, X, Y, Z);
            // On the planes the black body has the white's luminance.
            if (m_type != kChromaticity && Y > 0) {
                X *= Yn / Y;
                Z *= Yn / Y;
                Y = Yn;
            }
            const auto c = Project(X, Y, Z, Xn, Yn, Zn);
            return c ? std::optional<UV>(ToPixel(*c, width, height)) : std::nullopt;
        };
        for (double k : PlanckTemperatures())
            if (const auto px = add(k))
                line.points.push_back(*px);
        out.loci.push_back(std::move(line));
        for (double k : PlanckMarks())
            if (const auto px = add(k))
                out.marks.push_back({*px, std::to_string(static_cast<int>(k)) + " K"});
    }
    return out;
}

Layout DiagramCore::MakeLayout(int width, int height)
{
    Layout out = MakeBackground(width, height);
    out.points.reserve(m_points.size());
    std::vector<std::optional<UV>> at(m_points.size());
    char text[96];
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        const DiagramPoint& p = m_points[i];
        const auto c = Coordinates(p);
        if (!c)
            continue;
        at[i] = ToPixel(*c, width, height);
        out.points.push_back({*at[i], static_cast<int>(i), Rgb(p.X, p.Y, p.Z)});
        if (m_showNames || m_showValues) {
            std::string label = m_showNames ? p.name : std::string();
            if (m_showValues) {
                std::snprintf(text, sizeof text, m_type == kChromaticity ? "(%.4f, %.4f)" : "(%.2f, %.2f)", c->u,
                              c->v);
                label += (label.empty() ? "" : " ") + std::string(text);
            }
            out.texts.push_back({{at[i]->u + 5, at[i]->v - 5}, label});
        }
    }
    const int n = static_cast<int>(m_points.size());
    for (const DiagramLink& l : m_links)
        if (l.from >= 0 && l.from < n && l.to >= 0 && l.to < n && at[l.from] && at[l.to])
            out.links.push_back({*at[l.from], *at[l.to]});
    // The legend: each label pair once, built without a string per point.
    std::vector<const DiagramPoint*> firsts;
    for (const DiagramPoint& p : m_points) {
        if (p.observer.empty() && p.illuminant.empty())
            continue;
        if (std::none_of(firsts.begin(), firsts.end(), [&](const DiagramPoint* q) {
                return q->observer == p.observer && q->illuminant == p.illuminant;
            }))
            firsts.push_back(&p);
    }
    for (const DiagramPoint* p : firsts)
        out.legend.push_back(p->observer + " / " + p->illuminant);
    return out;
}

} // namespace colordiagram
