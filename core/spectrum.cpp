#include "core/spectrum.h"

#include "platform/random.h"
#include "platform/vformat.h"

#include <xandril/xandril.h>

#include <algorithm>
#include <cmath>
#include <random>

template class ns_tree::Tree<Spectrum, SpectrumTreeData>;

Spectrum::Spectrum(const Spectrum& other) : Inserter()
{
    InitFrom(other);
}

Spectrum& Spectrum::operator=(const Spectrum& other)
{
    if (this != &other)
        InitFrom(other);
    return *this;
}

Spectrum::~Spectrum() = default;

void Spectrum::InitFrom(const Spectrum& other)
{
    SetName(ns_tree::NormalizePath(other.GetName()));
    m_points = other.m_points;
    m_color = other.m_color;
    m_sortedDirty = other.m_sortedDirty;
    m_equiDirty = other.m_equiDirty;
    m_equiDistant = other.m_equiDistant;
    m_sorted = other.m_sorted;
    m_firstStep = other.m_firstStep;
    m_minX = other.m_minX;
    m_maxX = other.m_maxX;
    m_comment = other.m_comment;
    if (!m_points.empty()) {
        if (m_minX == 0)
            m_minX = m_points.front().x;
        if (m_maxX == 0)
            m_maxX = m_points.back().x;
    }
    if (m_firstStep == 0 && m_points.size() >= 2)
        m_firstStep = m_points[1].x - m_points[0].x;
}

SPoint Spectrum::operator[](int i) const
{
    if (i < 0 || i >= GetPointCount())
        return {};
    return m_points[static_cast<std::size_t>(i)];
}

void Spectrum::SetPoint(int i, double x, double y)
{
    if (i < 0 || i >= GetPointCount())
        return;
    m_points[static_cast<std::size_t>(i)] = SPoint(x, y);
}

void Spectrum::AddPoint(const SPoint& point)
{
    m_points.push_back(SPoint(point.x, point.y));
    SpecChanged();
}

void Spectrum::AddPoints(const SPoint* points, std::size_t count)
{
    if (count == 0)
        return;
    const std::size_t first = m_points.size();
    m_points.insert(m_points.end(), points, points + count);
    // A caller may have set a negative x by hand: stored as 0, as AddPoint stores it.
    for (std::size_t i = first; i < m_points.size(); ++i)
        m_points[i].x = m_points[i].x < 0 ? 0.0 : m_points[i].x;
    SpecChanged();
}

void Spectrum::ReservePoints(int count)
{
    if (count > 0)
        m_points.reserve(static_cast<std::size_t>(count));
}

void Spectrum::ClearPoints()
{
    m_points.clear();
    SpecChanged();
}

void Spectrum::SpecChanged()
{
    m_sortedDirty = true;
    m_equiDirty = true;
    if (!m_points.empty()) {
        m_minX = m_points.front().x;
        m_maxX = m_points.back().x;
    }
    if (m_firstStep == 0 && m_points.size() >= 2)
        m_firstStep = m_points[1].x - m_points[0].x;
}

void Spectrum::SortPoints()
{
    // NaN sorts after every number, which keeps the order strict and weak.
    std::sort(m_points.begin(), m_points.end(), [](const SPoint& a, const SPoint& b) {
        return a.x < b.x || (!std::isnan(a.x) && std::isnan(b.x));
    });
    SpecChanged();
    m_sorted = true;
    m_sortedDirty = false;
}

bool Spectrum::IsSorted()
{
    if (!m_sortedDirty)
        return m_sorted;
    if (m_points.empty())
        return true;
    bool sorted = true;
    for (std::size_t i = 1; i < m_points.size() && sorted; ++i)
        sorted = m_points[i].x > m_points[i - 1].x;
    m_sorted = sorted;
    m_sortedDirty = false;
    return sorted;
}

bool Spectrum::IsEquiDistant(double* step, double* minX, double* maxX)
{
    if (m_equiDirty) {
        bool equi = false;
        if (!IsSorted()) {
            equi = false;
        } else if (m_points.size() >= 2) {
            const double f = m_points[1].x - m_points[0].x;
            const double lo = 0.999999 * f;
            const double hi = 1.000001 * f;
            equi = true;
            for (std::size_t i = 2; i < m_points.size() && equi; ++i) {
                const double g = m_points[i].x - m_points[i - 1].x;
                // A step that compares unordered with the bounds passes.
                equi = !(g < lo || g > hi);
            }
            m_firstStep = f;
            m_minX = m_points.front().x;
            m_maxX = m_points.back().x;
        } else if (m_points.size() == 1) {
            equi = true;
            m_firstStep = 0;
            m_minX = m_maxX = m_points.front().x;
        } else {
            equi = true;
            m_firstStep = 0;
            m_minX = 1e99;
            m_maxX = -1e99;
        }
        m_equiDistant = equi;
        m_equiDirty = false;
    }
    if (step)
        *step = m_firstStep;
    if (minX)
        *minX = m_minX;
    if (maxX)
        *maxX = m_maxX;
    return m_equiDistant;
}

namespace {
// Copies one coordinate of every point; false only for a null out with points to copy.
bool CopyCoordinate(const std::vector<SPoint>& points, double SPoint::*coordinate, double* out)
{
    if (points.empty())
        return true;
    if (!out)
        return false;
    for (const SPoint& p : points)
        *out++ = p.*coordinate;
    return true;
}
} // namespace

bool Spectrum::getXPointsAsArray(double* out) const
{
    return CopyCoordinate(m_points, &SPoint::x, out);
}

bool Spectrum::getYPointsAsArray(double* out) const
{
    return CopyCoordinate(m_points, &SPoint::y, out);
}

void Spectrum::Insert(SpectrumTreeBase::TreeNode* node)
{
    node->SetData(new SpectrumTreeData(this));
    node->SetName(LastLevel(GetName()));
}

SpectrumList& SpectrumList::operator=(const std::list<Spectrum*>& spectra)
{
    assign(spectra.begin(), spectra.end());
    return *this;
}

bool SpectrumList::SpecsSorted() const
{
    return std::all_of(begin(), end(), [](Spectrum* s) { return s->IsSorted(); });
}

bool SpectrumList::SpecsSameXVals() const
{
    if (empty())
        return true;
    const Spectrum& first = *front();
    const int count = first.GetPointCount();
    std::vector<double> xs(static_cast<std::size_t>(count));
    first.getXPointsAsArray(xs.data());
    for (std::size_t s = 1; s < size(); ++s) {
        const Spectrum& other = *(*this)[s];
        if (other.GetPointCount() != count)
            return false;
        for (int i = 0; i < count; ++i) {
            if (!(other[i].x == xs[static_cast<std::size_t>(i)]))
                return false;
        }
    }
    return true;
}

bool SpectrumList::SpecsSameEquiDistant(double* step, double* minX, double* maxX) const
{
    double firstStep = 0, firstMin = 0, firstMax = 0;
    bool result = true;
    if (!empty()) {
        result = front()->IsEquiDistant(&firstStep, &firstMin, &firstMax);
        for (std::size_t s = 1; s < size() && result; ++s) {
            double st = 0, mn = 0, mx = 0;
            const bool equi = (*this)[s]->IsEquiDistant(&st, &mn, &mx);
            result = st == firstStep && mn == firstMin && mx == firstMax && equi;
        }
    }
    if (step)
        *step = firstStep;
    if (minX)
        *minX = firstMin;
    if (maxX)
        *maxX = firstMax;
    return result;
}

namespace {
// A number 10000..19999 from a Mersenne Twister seeded afresh from the clock.
int NewSpecId()
{
    std::mt19937 generator(platform::ClockSeed());
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    return 10000 + std::min(9999, static_cast<int>(std::floor(u * 10000)));
}
} // namespace

void Spectrum::writeToXML(ns_xandril::XMLWriteModul& writer) const
{
    const int count = GetPointCount();
    std::vector<double> xs(m_points.size()), ys(m_points.size());
    getXPointsAsArray(xs.data());
    getYPointsAsArray(ys.data());
    writer.writeString("SpecName", "", GetName());
    writer.writeString("SpecComment", "", m_comment);
    writer.writeInt("SpecColor", "", static_cast<int>(m_color), 0, 0xFFFFFF);
    writer.write1DDoubleArray("XVals", "", xs.data(), count);
    writer.write1DDoubleArray("YVals", "", ys.data(), count);
    writer.writeInt("SpecID", "", NewSpecId());
}

SpectrumReadLoss Spectrum::readFromXML(ns_xandril::XMLReadModul& reader)
{
    // Through ClearPoints, so that no cached answer of the old points survives.
    ClearPoints();
    std::string comment;
    std::string text;
    if (reader.readString("SpecName", text))
        SetName(ns_tree::NormalizePath(text));
    if (reader.readString("SpecComment", text))
        m_comment = text;
    int color = 0, minColor = 0, maxColor = 0;
    if (reader.readInt("SpecColor", comment, color, minColor, maxColor))
        m_color = static_cast<COLORREF>(color);
    std::vector<double> xs, ys;
    reader.read1DDoubleArrayFields("XVals", xs);
    reader.read1DDoubleArrayFields("YVals", ys);
    SpectrumReadLoss loss;
    if (xs.size() != ys.size()) {
        loss.unpaired = true;
        loss.xCount = xs.size();
        loss.yCount = ys.size();
        return loss;
    }
    m_points.reserve(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        // Judged before SPoint turns a negative x, -inf included, into 0.
        if (std::isfinite(xs[i]) && std::isfinite(ys[i])) {
            AddPoint(SPoint(xs[i], ys[i]));
        } else {
            if (loss.positions.size() < SpectrumReadLoss::kShownPositions)
                loss.positions.push_back(i);
            ++loss.nonFinite;
        }
    }
    return loss;
}

std::string SpectrumReadLoss::Message(const std::string& spectrumName) const
{
    if (unpaired)
        return platform::Format("Fehler: Im Spektrum '%s' passen Wellenlängen und Werte nicht zusammen (XVals: %zu, "
                                "YVals: %zu Einträge); es wurde ohne Punkte geladen.",
                                spectrumName.c_str(), xCount, yCount);
    if (nonFinite == 0)
        return {};
    // Positions as the user counts them, from 1.
    std::string shown;
    for (std::size_t position : positions)
        shown += (shown.empty() ? "" : ", ") + platform::Format("%zu", position + 1);
    if (nonFinite > positions.size())
        shown += ", ...";
    if (nonFinite == 1)
        return platform::Format(
            "Fehler: Im Spektrum '%s' wurde 1 Punkt ohne endliche Zahlenwerte ausgelassen (Punkt %s).",
            spectrumName.c_str(), shown.c_str());
    return platform::Format(
        "Fehler: Im Spektrum '%s' wurden %zu Punkte ohne endliche Zahlenwerte ausgelassen (Punkte %s).",
        spectrumName.c_str(), nonFinite, shown.c_str());
}
