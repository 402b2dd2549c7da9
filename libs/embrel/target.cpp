#include "embrel/target.h"

#include <algorithm>
#include <stdexcept>

CMBTarget::CMBTarget(int count, double value)
{
    if (count < 0)
        throw std::invalid_argument("CMBTarget: negative count");
    m_values.assign(static_cast<std::size_t>(count), value);
}

void CMBTarget::Fill(double value)
{
    std::fill(m_values.begin(), m_values.end(), value);
}

void CMBTarget::Fill(int index, double value)
{
    (*this)[index] = value;
}

double& CMBTarget::operator[](int index)
{
    if (index < 0)
        throw std::out_of_range("CMBTarget: negative index");
    return m_values.at(static_cast<std::size_t>(index));
}

double CMBTarget::operator[](int index) const
{
    return const_cast<CMBTarget&>(*this)[index];
}

double CMBTarget::Mean() const
{
    if (m_values.empty())
        return 0.0;
    double sum = 0.0;
    for (double v : m_values)
        sum += v;
    return sum / static_cast<double>(m_values.size());
}
