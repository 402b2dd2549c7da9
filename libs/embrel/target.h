#pragma once
// CMBTarget: a vector of doubles, the library's type for one curve sampled on an axis.
#include <vector>

class CMBTarget {
public:
    CMBTarget() = default;
    // count copies of value; a negative count throws std::invalid_argument.
    CMBTarget(int count, double value);
    explicit CMBTarget(std::vector<double> values) : m_values(std::move(values)) {}

    void Fill(double value);
    // Sets one value; an index outside 0..GetDim()-1 throws std::out_of_range.
    void Fill(int index, double value);
    // Checked access: an index outside 0..GetDim()-1 throws std::out_of_range.
    double& operator[](int index);
    double operator[](int index) const;

    int GetDim() const { return static_cast<int>(m_values.size()); }
    // Mean of the values; 0 for an empty target.
    double Mean() const;

    // The values themselves, for loops and bulk copies.
    std::vector<double>& Values() { return m_values; }
    const std::vector<double>& Values() const { return m_values; }

    bool operator==(const CMBTarget&) const = default;

private:
    std::vector<double> m_values;
};
