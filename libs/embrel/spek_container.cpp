#include "embrel/spek_container.h"

#include <cmath>
#include <stdexcept>

std::size_t CSpekContainer::SpekInfo::GetCount() const
{
    if (!std::isfinite(start) || !std::isfinite(step) || !std::isfinite(end) || step <= 0 || end < start)
        return 0;
    // The small tolerance keeps an end that the grid reaches up to rounding (380..780 in 0.1).
    const double last = std::floor((end - start) / step + 1e-6);
    if (!std::isfinite(last) || last + 1 > static_cast<double>(kMaxCount))
        return 0;
    return static_cast<std::size_t>(last) + 1;
}

void CSpekContainer::SetSpekInfo(const SpekInfo* info)
{
    m_info = info ? *info : SpekInfo{};
}

bool CSpekContainer::AddSpek(const CMBTarget& target, const std::string& name)
{
    if (!m_entries.empty() && target.GetDim() != GetSpekDim())
        return false;
    m_entries.push_back({name, target});
    return true;
}

void CSpekContainer::CleanUp()
{
    m_entries.clear();
}

int CSpekContainer::GetSpekDim() const
{
    return m_entries.empty() ? 0 : m_entries.front().target.GetDim();
}

bool CSpekContainer::GetSpek(int i, CMBTarget& target) const
{
    if (i < 0 || i >= GetSpekCount())
        return false;
    target = m_entries[static_cast<std::size_t>(i)].target;
    return true;
}

bool CSpekContainer::GetSpek(int i, CMBTarget& target, std::string& name) const
{
    if (i < 0 || i >= GetSpekCount())
        return false;
    const Entry& e = m_entries[static_cast<std::size_t>(i)];
    target = e.target;
    name = e.name;
    return true;
}

bool CSpekContainer::GetSpekName(int i, std::string& name) const
{
    if (i < 0 || i >= GetSpekCount())
        return false;
    name = m_entries[static_cast<std::size_t>(i)].name;
    return true;
}

const CMBTarget& CSpekContainer::operator[](int i) const
{
    if (i < 0 || i >= GetSpekCount())
        throw std::out_of_range("CSpekContainer: index out of range");
    return m_entries[static_cast<std::size_t>(i)].target;
}

bool CSpekContainer::GetSpeks(int count, const int* indices)
{
    if (count < 0 || (count > 0 && !indices))
        return false;
    std::vector<bool> chosen(m_entries.size(), false);
    for (int k = 0; k < count; ++k) {
        const int i = indices[k];
        if (i < 0 || i >= GetSpekCount() || chosen[static_cast<std::size_t>(i)])
            return false;
        chosen[static_cast<std::size_t>(i)] = true;
    }
    std::vector<Entry> reordered;
    reordered.reserve(m_entries.size());
    for (int k = 0; k < count; ++k)
        reordered.push_back(std::move(m_entries[static_cast<std::size_t>(indices[k])]));
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!chosen[i])
            reordered.push_back(std::move(m_entries[i]));
    m_entries = std::move(reordered);
    return true;
}
