#pragma once
// TMatrix: a dense row-major matrix of doubles, rows addressed by index.
#include <cstddef>
#include <vector>

class TMatrix {
public:
    TMatrix() = default;

    // Releases the values; the matrix has 0 rows and 0 columns afterwards.
    void CleanUp();
    // rows x cols values, all 0; a negative size (or one of them 0) gives the empty matrix.
    // False when the size is not representable.
    bool CreateMatArray(int rows, int cols);

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    bool IsEmpty() const { return m_rows == 0 || m_cols == 0; }

    // The values of a row (Cols() of them). The row must lie in 0..Rows()-1.
    double* operator[](int row) { return m_values.data() + static_cast<std::size_t>(row) * m_cols; }
    const double* operator[](int row) const { return m_values.data() + static_cast<std::size_t>(row) * m_cols; }

private:
    int m_rows = 0;
    int m_cols = 0;
    std::vector<double> m_values;
};
