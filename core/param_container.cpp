#include "core/param_container.h"

#include "core/number_text.h"

#include <algorithm>

namespace {

const std::string& EmptyText()
{
    static const std::string empty;
    return empty;
}

const ParamPair& EmptyPair()
{
    static const ParamPair empty;
    return empty;
}

} // namespace

void Observable::AddObserver(Observer* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void Observable::RemoveObserver(Observer* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void Observable::NotifyObservers(int event, const void* sender, const void* data) const
{
    // By index: an observer may register further observers while it is called.
    for (std::size_t i = 0; i < m_observers.size(); ++i)
        m_observers[i]->Notify(event, sender, data);
}

int ParamPairIndex::Find(const ParamPairs& pairs, const std::string& key) const
{
    if (m_positions.empty())
        return ParamContainer::FindKeyIndex(pairs, key);
    const auto it = m_positions.find(key);
    return it == m_positions.end() ? -1 : it->second;
}

void ParamPairIndex::Appended(const ParamPairs& pairs)
{
    if (!m_positions.empty())
        m_positions.emplace(pairs.back().first, static_cast<int>(pairs.size() - 1));
    else if (pairs.size() >= kIndexFrom)
        Rebuild(pairs);
}

void ParamPairIndex::Rebuild(const ParamPairs& pairs)
{
    m_positions.clear();
    if (pairs.size() < kIndexFrom)
        return;
    m_positions.reserve(pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i)
        m_positions.emplace(pairs[i].first, static_cast<int>(i)); // keeps the first of a repeated key
}

const std::string& ParamContainer::KeyAt(int i) const
{
    return i >= 0 && i < Count() ? m_values[static_cast<std::size_t>(i)].first : EmptyText();
}

const std::string& ParamContainer::ValueAt(int i) const
{
    return i >= 0 && i < Count() ? m_values[static_cast<std::size_t>(i)].second : EmptyText();
}

int ParamContainer::FindKeyIndex(const ParamPairs& pairs, const std::string& key)
{
    const auto it = std::find_if(pairs.begin(), pairs.end(), [&key](const ParamPair& p) { return p.first == key; });
    return it == pairs.end() ? -1 : static_cast<int>(it - pairs.begin());
}

const ParamPair& ParamContainer::FindValue(const std::string& key, int* source) const
{
    int dummy = 0;
    int& from = source ? *source : dummy;
    if (const int i = m_valueIndex.Find(m_values, key); i >= 0) {
        from = kOwnValue;
        return m_values[static_cast<std::size_t>(i)];
    }
    if (const int i = m_derivedIndex.Find(m_derivedValues, key); i >= 0) {
        from = kDerivedValue;
        return m_derivedValues[static_cast<std::size_t>(i)];
    }
    std::string value;
    if (m_eventHandler && m_eventHandler->DeriveValue(*this, key, value)) {
        // Nothing is cached for a failed derivation, so the handler is asked again next time.
        m_derivedValues.emplace_back(key, std::move(value));
        m_derivedIndex.Appended(m_derivedValues);
        from = kDerivedValue;
        return m_derivedValues.back();
    }
    from = kNotFound;
    return EmptyPair();
}

double ParamContainer::GetDouble(const std::string& key) const
{
    return number_text::ToDouble(FindValue(key).second.c_str());
}

double ParamContainer::GetDoubleAt(int i) const
{
    return number_text::ToDouble(ValueAt(i).c_str());
}

bool ParamContainer::AddValue(const ParamPair& pair)
{
    if (m_valueIndex.Find(m_values, pair.first) >= 0)
        return false;
    m_values.push_back(pair);
    m_valueIndex.Appended(m_values);
    NotifyObservers(kEventValueAdded, this, &m_values.back());
    return true;
}

bool ParamContainer::AddKeyValue(const std::string& key, const std::string& value)
{
    return AddValue(ParamPair(key, value));
}

bool ParamContainer::RemoveValue(const std::string& key)
{
    const int i = m_valueIndex.Find(m_values, key);
    if (i < 0)
        return false;
    NotifyObservers(kEventValueRemoving, this, &m_values[static_cast<std::size_t>(i)]);
    // Look the key up again: an observer may have changed the pairs meanwhile.
    if (const int j = m_valueIndex.Find(m_values, key); j >= 0) {
        m_values.erase(m_values.begin() + j);
        m_valueIndex.Rebuild(m_values);
    }
    return true;
}

bool ParamContainer::SetStringAt(int i, const std::string& text)
{
    if (i < 0 || i >= Count())
        return false;
    ParamPair& pair = m_values[static_cast<std::size_t>(i)];
    pair.second = text;
    NotifyObservers(kEventValueChanged, this, &pair);
    ClearDerivedValues();
    return true;
}

bool ParamContainer::SetDoubleAt(int i, double x)
{
    return SetStringAt(i, number_text::FormatG(x));
}

bool ParamContainer::SetDouble(const std::string& key, double x)
{
    return SetDoubleAt(m_valueIndex.Find(m_values, key), x);
}

void ParamContainer::ClearDerivedValues()
{
    m_derivedValues.clear();
    m_derivedIndex.Rebuild(m_derivedValues);
}

ParamContainerManager::ParamContainerManager()
{
    params.AddObserver(this);
}

ParamContainerManager::ParamContainerManager(const ParamContainerManager& other)
    : Observer(other)
    , params(other.params)
    , record(other.record)
{
    params.AddObserver(this);
}

Observer::~Observer() = default;

ParamContainerEventHandler::~ParamContainerEventHandler() = default;
