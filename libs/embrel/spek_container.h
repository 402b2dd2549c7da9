#pragma once
// CSpekContainer: named curves on one wavelength axis, kept in the order they were added.
#include "embrel/target.h"

#include <cstddef>
#include <string>
#include <vector>

class CSpekContainer {
public:
    // An axis: the grid start, start + step, start + 2 step, ... up to end.
    struct SpekInfo {
        // Grids with more points than this count as unusable (GetCount gives 0).
        static constexpr std::size_t kMaxCount = 100'000'000;

        double start = 0;
        double step = 0;
        double end = 0;

        // n = floor((end - start) / step + 1e-6) + 1. 0 for a step <= 0, a value that is not
        // finite, end < start, or more than kMaxCount points.
        std::size_t GetCount() const;
        // Point k, computed as start + k * step (never summed up step by step).
        double GetX(std::size_t k) const { return start + static_cast<double>(k) * step; }
    };

    // A null info resets the axis to {0, 0, 0}.
    void SetSpekInfo(const SpekInfo* info);
    const SpekInfo& GetSpekInfo() const { return m_info; }

    // Appends a curve. Every curve of a container has the same dimension: a target of
    // another dimension than the ones already held is refused (false).
    bool AddSpek(const CMBTarget& target, const std::string& name);
    // Removes all curves; the axis stays.
    void CleanUp();

    int GetSpekCount() const { return static_cast<int>(m_entries.size()); }
    // Dimension of the curves; 0 while the container is empty.
    int GetSpekDim() const;

    // Curve i (and its name); false, with the outputs unchanged, for i outside 0..count-1.
    bool GetSpek(int i, CMBTarget& target) const;
    bool GetSpek(int i, CMBTarget& target, std::string& name) const;
    bool GetSpekName(int i, std::string& name) const;
    // Curve i; throws std::out_of_range for i outside 0..count-1.
    const CMBTarget& operator[](int i) const;

    // Reorders the curves: the count selected ones first, in the order of indices, then the
    // others in their previous order. False, with nothing changed, for a negative count, a
    // null array with a count above 0, an index out of range or an index given twice.
    bool GetSpeks(int count, const int* indices);

private:
    struct Entry {
        std::string name;
        CMBTarget target;
    };

    SpekInfo m_info;
    std::vector<Entry> m_entries;
};
