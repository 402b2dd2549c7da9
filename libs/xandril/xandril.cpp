#include "xandril.h"

namespace ns_xandril {

XMLException::XMLException(const std::string& what)
    : std::runtime_error(what)
{
}

XMLException::~XMLException() = default;

XMLBaseModul::XMLBaseModul() = default;
XMLBaseModul::~XMLBaseModul() = default;

XMLEnumClass::XMLEnumClass() = default;
XMLEnumClass::~XMLEnumClass() = default;
XMLEnumClass::XMLEnumClass(const XMLEnumClass&) = default;
XMLEnumClass& XMLEnumClass::operator=(const XMLEnumClass&) = default;

void XMLEnumClass::addEntry(const std::string& text)
{
    m_entries.push_back(text);
}

bool XMLEnumClass::setIndex(int index)
{
    if (index < 0 || index >= getEntryCount())
        return false;
    m_index = index;
    return true;
}

int XMLEnumClass::getIndex() const
{
    return m_index;
}

int XMLEnumClass::getEntryCount() const
{
    return static_cast<int>(m_entries.size());
}

std::string XMLEnumClass::getEntry(int i) const
{
    if (i < 0 || i >= getEntryCount())
        return {};
    return m_entries[static_cast<std::size_t>(i)];
}

void XMLEnumClass::clearEntries()
{
    m_entries.clear();
    m_index = 0;
}

} // namespace ns_xandril
