#include "parameter_types.h"

#include "paramora.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <type_traits>

using ns_xandril::XMLReadModul;
using ns_xandril::XMLWriteModul;

namespace ns_param {

namespace {

// Shortest exact text of a number with the given decimal separator.
template <typename T>
void appendNumber(std::string& out, T value, char decimalSeparator)
{
    char buf[64];
    std::to_chars_result res;
    if constexpr (std::is_same_v<T, unsigned char>)
        res = std::to_chars(buf, buf + sizeof buf, static_cast<int>(value));
    else
        res = std::to_chars(buf, buf + sizeof buf, value);
    const std::size_t start = out.size();
    out.append(buf, res.ptr);
    if (decimalSeparator != '.')
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '.', decimalSeparator);
}

// A stored double as T; false when T cannot hold it.
template <typename T>
bool fitsAs(double stored, T& value)
{
    if constexpr (std::is_same_v<T, unsigned char>) {
        if (!(stored >= 0 && stored <= UCHAR_MAX && stored == std::floor(stored)))
            return false;
    } else if constexpr (std::is_same_v<T, float>) {
        if (std::isfinite(stored) && std::fabs(stored) > FLT_MAX)
            return false;
    }
    value = static_cast<T>(stored);
    return true;
}

template <typename T>
void writeNumber(XMLWriteModul& writer, const std::string& key, const std::string& comment, T value)
{
    if constexpr (std::is_floating_point_v<T>)
        writer.writeDouble(key, comment, value);
    else
        writer.writeInt(key, comment, value);
}

template <typename T>
bool readNumber(XMLReadModul& reader, const std::string& key, std::string& comment, T& value)
{
    if constexpr (std::is_floating_point_v<T>) {
        double stored = 0;
        return reader.readDouble(key, comment, stored) && fitsAs(stored, value);
    } else {
        int stored = 0;
        return reader.readInt(key, comment, stored) && fitsAs(static_cast<double>(stored), value);
    }
}

} // namespace

BaseParameterType::BaseParameterType(const std::string& name, const std::string& comment)
    : m_name(name)
    , m_comment(comment)
{
}

BaseParameterType::~BaseParameterType() = default;

// ---- bool

BoolParameterType::BoolParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
}

std::string BoolParameterType::getValueText(char) const
{
    return m_value ? "1" : "0";
}

void BoolParameterType::setValue(bool value, bool def)
{
    m_value = value;
    m_default = def;
}

std::unique_ptr<BaseParameterType> BoolParameterType::clone() const
{
    return cloneOf(*this);
}

void BoolParameterType::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const BoolParameterType&>(other);
    m_comment = o.m_comment;
    setValue(o.m_value, o.m_default);
}

void BoolParameterType::writeValue(XMLWriteModul& writer) const
{
    writer.writeInt("Value", m_comment, m_value ? 1 : 0);
}

bool BoolParameterType::readValue(XMLReadModul& reader, bool full)
{
    std::string comment;
    int stored = 0;
    if (!reader.readInt("Value", comment, stored))
        return false;
    m_value = stored != 0;
    if (full)
        m_comment = comment;
    return true;
}

// ---- byte, int, float, double

template <typename T, int Code>
RangedParameterType<T, Code>::RangedParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
}

template <typename T, int Code>
std::string RangedParameterType<T, Code>::getValueText(char decimalSeparator) const
{
    std::string text;
    appendNumber(text, m_value, decimalSeparator);
    return text;
}

template <typename T, int Code>
void RangedParameterType<T, Code>::setValue(T value, T min, T max, T def)
{
    m_value = value;
    m_min = min;
    m_max = max;
    m_default = def;
}

template <typename T, int Code>
std::unique_ptr<BaseParameterType> RangedParameterType<T, Code>::clone() const
{
    return cloneOf(*this);
}

template <typename T, int Code>
void RangedParameterType<T, Code>::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const RangedParameterType&>(other);
    m_comment = o.m_comment;
    setValue(o.m_value, o.m_min, o.m_max, o.m_default);
}

template <typename T, int Code>
void RangedParameterType<T, Code>::writeValue(XMLWriteModul& writer) const
{
    writeNumber(writer, "Value", m_comment, m_value);
    writeNumber(writer, "Min", "", m_min);
    writeNumber(writer, "Max", "", m_max);
}

template <typename T, int Code>
bool RangedParameterType<T, Code>::readValue(XMLReadModul& reader, bool full)
{
    std::string comment;
    T value{};
    if (!readNumber(reader, "Value", comment, value))
        return false;
    m_value = value;
    if (full) {
        m_comment = comment;
        std::string unused;
        readNumber(reader, "Min", unused, m_min);
        readNumber(reader, "Max", unused, m_max);
    }
    return true;
}

template class RangedParameterType<unsigned char, TYPE_BYTE>;
template class RangedParameterType<int, TYPE_INT>;
template class RangedParameterType<float, TYPE_FLOAT>;
template class RangedParameterType<double, TYPE_DOUBLE>;

// ---- string

StringParameterType::StringParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
}

std::string StringParameterType::getValueText(char) const
{
    return m_value;
}

void StringParameterType::setValue(const std::string& value, const std::string& def)
{
    m_value = value;
    m_default = def;
}

std::unique_ptr<BaseParameterType> StringParameterType::clone() const
{
    return cloneOf(*this);
}

void StringParameterType::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const StringParameterType&>(other);
    m_comment = o.m_comment;
    setValue(o.m_value, o.m_default);
}

void StringParameterType::writeValue(XMLWriteModul& writer) const
{
    writer.writeString("Value", m_comment, m_value);
}

bool StringParameterType::readValue(XMLReadModul& reader, bool full)
{
    std::string comment;
    if (!reader.readString("Value", comment, m_value))
        return false;
    if (full)
        m_comment = comment;
    return true;
}

// ---- enumeration

EnumParameterType::EnumParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
}

std::string EnumParameterType::getValueText(char) const
{
    return m_value.getEntry(m_value.getIndex());
}

void EnumParameterType::setValue(const ns_xandril::XMLEnumClass& value)
{
    m_value = value;
}

std::unique_ptr<BaseParameterType> EnumParameterType::clone() const
{
    return cloneOf(*this);
}

void EnumParameterType::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const EnumParameterType&>(other);
    m_comment = o.m_comment;
    m_value = o.m_value;
}

void EnumParameterType::writeValue(XMLWriteModul& writer) const
{
    writer.writeInt("Value", m_comment, m_value.getIndex());
    writer.enterGroup("Entries");
    for (int i = 0; i < m_value.getEntryCount(); ++i)
        writer.writeString(std::to_string(i), "", m_value.getEntry(i));
    writer.leaveGroup();
}

bool EnumParameterType::readValue(XMLReadModul& reader, bool full)
{
    std::string comment;
    int index = 0;
    if (!reader.readInt("Value", comment, index))
        return false;
    if (full) {
        m_comment = comment;
        m_value.clearEntries();
        if (reader.enterGroup("Entries")) {
            std::string entry;
            for (int i = 0; reader.readString(std::to_string(i), entry); ++i)
                m_value.addEntry(entry);
            reader.leaveGroup();
        }
    }
    // An index outside the entries is refused; an update then reports that it did not fit.
    return m_value.setIndex(index) || full;
}

// ---- arrays

template <typename T, int Code>
ArrayParameterType<T, Code>::ArrayParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
    resize(0);
}

template <typename T, int Code>
std::string ArrayParameterType<T, Code>::getValueText(char decimalSeparator) const
{
    std::string text;
    for (int i = 0; i < m_count; ++i) {
        appendNumber(text, m_values[i], decimalSeparator);
        text += ' ';
    }
    return text;
}

template <typename T, int Code>
void ArrayParameterType<T, Code>::resize(int count)
{
    count = std::max(count, 0);
    if (m_buffers.empty() || count > m_capacity) {
        // Growing an existing array doubles its room, so that adding an array again
        // and again with one element more keeps few buffers.
        const long long wanted = m_buffers.empty() ? count : std::max<long long>(count, 2LL * m_capacity);
        const int capacity = static_cast<int>(std::clamp<long long>(wanted, 1, INT_MAX));
        m_buffers.push_back(std::make_unique<T[]>(static_cast<std::size_t>(capacity)));
        m_values = m_buffers.back().get();
        m_capacity = capacity;
    }
    m_count = count;
}

template <typename T, int Code>
void ArrayParameterType<T, Code>::setValues(int count, const T* values, T fill)
{
    resize(count);
    if (values != nullptr)
        std::copy(values, values + m_count, m_values);
    else
        std::fill(m_values, m_values + m_count, fill);
    m_fill = fill;
}

template <typename T, int Code>
std::unique_ptr<BaseParameterType> ArrayParameterType<T, Code>::clone() const
{
    return cloneOf(*this);
}

template <typename T, int Code>
void ArrayParameterType<T, Code>::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const ArrayParameterType&>(other);
    m_comment = o.m_comment;
    setValues(o.m_count, o.m_values, o.m_fill);
}

template <typename T, int Code>
void ArrayParameterType<T, Code>::writeValue(XMLWriteModul& writer) const
{
    if constexpr (std::is_same_v<T, double>) {
        writer.write1DDoubleArray("Value", m_comment, m_values, m_count);
    } else {
        const std::vector<double> stored(m_values, m_values + m_count);
        writer.write1DDoubleArray("Value", m_comment, stored.data(), m_count);
    }
}

template <typename T, int Code>
bool ArrayParameterType<T, Code>::readValue(XMLReadModul& reader, bool full)
{
    std::string comment;
    std::vector<double> stored;
    if (!reader.read1DDoubleArray("Value", comment, stored))
        return false;
    std::vector<T> values(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i)
        if (!fitsAs(stored[i], values[i]))
            return false;
    const int count = static_cast<int>(values.size());
    if (full) {
        m_comment = comment;
        setValues(count, values.data(), m_fill);
    } else if (count == m_count) {
        std::copy(values.begin(), values.end(), m_values);
    } else {
        return false;
    }
    return true;
}

template class ArrayParameterType<unsigned char, TYPE_BYTE_1D_ARRAY>;
template class ArrayParameterType<double, TYPE_DOUBLE_1D_ARRAY>;

// ---- nested container

ContainerParameterType::ContainerParameterType(const std::string& name, const std::string& comment)
    : BaseParameterType(name, comment)
{
}

ContainerParameterType::~ContainerParameterType() = default;

std::string ContainerParameterType::getValueText(char) const
{
    return {};
}

void ContainerParameterType::adopt(const Paramora& source)
{
    if (m_owned)
        *m_owned = source;
    else
        m_owned = std::make_unique<Paramora>(source);
    m_container = m_owned.get();
}

std::unique_ptr<BaseParameterType> ContainerParameterType::clone() const
{
    return cloneOf(*this);
}

void ContainerParameterType::assignFrom(const BaseParameterType& other)
{
    const auto& o = static_cast<const ContainerParameterType&>(other);
    m_comment = o.m_comment;
    if (o.m_container == nullptr)
        m_container = nullptr;
    else if (m_container != nullptr)
        *m_container = *o.m_container;
    else
        adopt(*o.m_container);
}

void ContainerParameterType::writeValue(XMLWriteModul& writer) const
{
    writer.writeString("Value", m_comment, m_container->getName());
    m_container->addToXML(writer);
}

bool ContainerParameterType::readValue(XMLReadModul& reader, bool full)
{
    return readNested(reader, full, nullptr, {});
}

bool ContainerParameterType::readNested(XMLReadModul& reader, bool full, ParameterReadLoss* loss,
                                        const std::string& path)
{
    std::string comment;
    std::string nestedName;
    if (!reader.readString("Value", comment, nestedName))
        return false;
    if (!full)
        return m_container != nullptr && m_container->readGroup(reader, m_container->getName(), false, loss, path);
    m_comment = comment;
    adopt(Paramora(nestedName));
    m_container->readGroup(reader, nestedName, true, loss, path);
    return true;
}

} // namespace ns_param
