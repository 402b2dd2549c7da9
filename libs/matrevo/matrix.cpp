#include "matrevo/matrix.h"

#include <limits>

void TMatrix::CleanUp()
{
    m_rows = 0;
    m_cols = 0;
    std::vector<double>().swap(m_values);
}

bool TMatrix::CreateMatArray(int rows, int cols)
{
    CleanUp();
    if (rows <= 0 || cols <= 0)
        return rows >= 0 && cols >= 0;
    const auto count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(double))
        return false;
    m_values.assign(count, 0.0);
    m_rows = rows;
    m_cols = cols;
    return true;
}
