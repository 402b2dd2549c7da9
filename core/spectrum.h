#pragma once
// Spectra: named, coloured curves of points (x = wavelength, y = value) with a comment, the
// list type modules and the plot take them in, and the tree that owns them in a project.
#include "core/tree.h"
#include "platform/colorref.h"

#include <list>
#include <mutex>
#include <string>
#include <vector>

namespace ns_xandril {
class XMLWriteModul;
class XMLReadModul;
} // namespace ns_xandril

// One point. A negative x is stored as 0.
struct SPoint {
    SPoint() = default;
    SPoint(double x, double y) : x(x < 0 ? 0.0 : x), y(y) {}

    double x = 0;
    double y = 0;
};

// What Spectrum::readFromXML left out of the stored points; the reader that placed the spectrum
// logs Message(), so that no point goes without a line.
struct SpectrumReadLoss {
    // Points left out because their x or y is no finite number (NaN, an infinity, or a field
    // that is no number at all), and the stored positions (from 0) of the first of them.
    std::size_t nonFinite = 0;
    std::vector<std::size_t> positions;
    static constexpr std::size_t kShownPositions = 10;
    // XVals and YVals have different counts (xCount, yCount): no point was taken.
    bool unpaired = false;
    std::size_t xCount = 0;
    std::size_t yCount = 0;

    bool Lost() const { return unpaired || nonFinite > 0; }
    // The error line (German, for the log) naming the spectrum; empty when nothing was lost.
    std::string Message(const std::string& spectrumName) const;
};

class Spectrum;
class SpectrumTreeData;
using SpectrumTreeBase = ns_tree::Tree<Spectrum, SpectrumTreeData>;

class Spectrum : public ns_tree::Inserter {
public:
    Spectrum() = default;
    // A copy starts unmarked and outside any tree; its name is tidied by the path rule.
    Spectrum(const Spectrum& other);
    // Takes everything but the marked flag.
    Spectrum& operator=(const Spectrum& other);
    ~Spectrum() override;

    int GetPointCount() const { return static_cast<int>(m_points.size()); }
    // Point i; {0, 0} outside 0..count-1.
    SPoint operator[](int i) const;
    // Replaces point i (x below 0 stored as 0); ignored outside 0..count-1. Leaves the sorted
    // and equidistant caches as they are.
    void SetPoint(int i, double x, double y);
    void AddPoint(const SPoint& point);
    // Appends count points at once, as count AddPoint calls would.
    void AddPoints(const SPoint* points, std::size_t count);
    // Makes room for count points, so that adding that many does not reallocate. Changes
    // nothing else.
    void ReservePoints(int count);
    void ClearPoints();
    // Sorts by ascending x; points with NaN x go to the end.
    void SortPoints();

    // Every x strictly greater than the one before (true without points). Cached.
    bool IsSorted();
    // Sorted, and every step within 1e-6 relative of the first. Writes the first step and the
    // first and last x to the outputs that are not null (no points: step 0, 1e99, -1e99).
    // Cached.
    bool IsEquiDistant(double* step, double* minX, double* maxX);

    // The cached first and last x as they stand (smallest and largest for a sorted spectrum).
    double getMinX() const { return m_minX; }
    double getMaxX() const { return m_maxX; }
    // Copy all x (or y) values into out, which has room for GetPointCount() values. False
    // only for a null out with points to copy.
    bool getXPointsAsArray(double* out) const;
    bool getYPointsAsArray(double* out) const;

    COLORREF GetColor() const { return m_color; }
    void SetColor(COLORREF color) { m_color = color; }
    const std::string& GetComment() const { return m_comment; }
    void SetComment(const std::string& comment) { m_comment = comment; }

    // Keys inside the group the caller has opened: SpecName, SpecComment, SpecColor, XVals,
    // YVals, SpecID (a random number 10000..19999 that readers ignore).
    void writeToXML(ns_xandril::XMLWriteModul& writer) const;
    // Reads the keys written by writeToXML; a missing key leaves that field as it is. Points
    // are taken only when XVals and YVals have the same count; otherwise the spectrum is left
    // without points. Of paired points only those with a finite x and y are taken; a field
    // that is no number costs its point only. What was left out is returned for the log.
    SpectrumReadLoss readFromXML(ns_xandril::XMLReadModul& reader);

    using Inserter::Insert;
    // Placing in a spectrum tree: attaches a payload and names the node after the last level.
    virtual void Insert(SpectrumTreeBase::TreeNode* node);

private:
    void InitFrom(const Spectrum& other);
    // After every append, clear and sort: marks the caches dirty, takes first and last x.
    void SpecChanged();

    COLORREF m_color = 0;
    std::vector<SPoint> m_points;
    std::string m_comment;
    bool m_sortedDirty = true;
    bool m_equiDirty = true;
    bool m_equiDistant = false;
    bool m_sorted = false;
    double m_firstStep = 0;
    double m_minX = 0;
    double m_maxX = 0;
};

// Payload of a spectrum-tree node.
class SpectrumTreeData : public ns_tree::TreeData<Spectrum> {
public:
    explicit SpectrumTreeData(Spectrum* spectrum = nullptr) : ns_tree::TreeData<Spectrum>(spectrum) {}
};

extern template class ns_tree::Tree<Spectrum, SpectrumTreeData>;

// The project's spectra. The mutex is for callers (the spectrum view holds it while it
// routes commands); the tree's own operations never take it.
class SpectrumTree : public SpectrumTreeBase {
public:
    std::recursive_mutex& GetMutex() { return m_mutex; }

private:
    std::recursive_mutex m_mutex;
};

// A selection of spectra (not owned, no null entries).
class SpectrumList : public std::vector<Spectrum*> {
public:
    SpectrumList() = default;
    SpectrumList(const SpectrumList&) = default;
    SpectrumList& operator=(const SpectrumList&) = default;
    virtual ~SpectrumList() = default;
    // Replaces the entries by the list's pointers, in list order.
    SpectrumList& operator=(const std::list<Spectrum*>& spectra);

    // True when every spectrum is sorted (true for an empty list).
    bool SpecsSorted() const;
    // True when every spectrum has exactly the first one's x values (true for an empty list).
    bool SpecsSameXVals() const;
    // True when every spectrum is equidistant with exactly the first one's step, first and
    // last x, which go to the outputs that are not null (empty list: true, 0, 0, 0).
    bool SpecsSameEquiDistant(double* step, double* minX, double* maxX) const;
};
