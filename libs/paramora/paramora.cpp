#include "paramora.h"

#include "reader_group.h"

#include <utility>

using ns_xandril::XMLEnumClass;
using ns_xandril::XMLReadModul;
using ns_xandril::XMLWriteModul;

namespace ns_param {

namespace {

constexpr const char* kParameterGroup = "Parameter";

std::unique_ptr<BaseParameterType> makeParameter(int type, const std::string& name)
{
    switch (type) {
    case TYPE_GROUP: return std::make_unique<ContainerParameterType>(name, "");
    case TYPE_ENUM: return std::make_unique<EnumParameterType>(name, "");
    case TYPE_BYTE: return std::make_unique<ByteParameterType>(name, "");
    case TYPE_BOOL: return std::make_unique<BoolParameterType>(name, "");
    case TYPE_INT: return std::make_unique<IntParameterType>(name, "");
    case TYPE_STRING: return std::make_unique<StringParameterType>(name, "");
    case TYPE_FLOAT: return std::make_unique<FloatParameterType>(name, "");
    case TYPE_DOUBLE: return std::make_unique<DoubleParameterType>(name, "");
    case TYPE_BYTE_1D_ARRAY: return std::make_unique<Byte1DArrayParameterType>(name, "");
    case TYPE_DOUBLE_1D_ARRAY: return std::make_unique<Double1DArrayParameterType>(name, "");
    default: return nullptr;
    }
}

} // namespace

ParamoraException::ParamoraException(const std::string& what)
    : std::runtime_error(what)
{
}

ParamoraException::~ParamoraException() = default;

Paramora::Paramora(const std::string& name)
    : m_name(name)
{
}

Paramora::Paramora(const Paramora& other)
    : m_name(other.m_name)
{
    for (const auto& [name, parameter] : other.m_parameters)
        m_parameters.emplace(name, parameter->clone());
}

Paramora& Paramora::operator=(const Paramora& other)
{
    if (this == &other)
        return *this;
    m_name = other.m_name;
    for (auto it = m_parameters.begin(); it != m_parameters.end();) {
        if (other.m_parameters.count(it->first) == 0) {
            retire(it->second);
            it = m_parameters.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [name, parameter] : other.m_parameters) {
        const auto it = m_parameters.find(name);
        if (it != m_parameters.end() && it->second->getType() == parameter->getType()) {
            it->second->assignFrom(*parameter);
            continue;
        }
        auto copy = parameter->clone();
        auto& entry = m_parameters[name];
        retire(entry);
        entry = std::move(copy);
    }
    return *this;
}

Paramora::~Paramora() = default;

void Paramora::retire(std::unique_ptr<BaseParameterType>& entry)
{
    if (entry)
        m_retired.push_back(std::move(entry));
}

template <typename P>
P* Paramora::find(const std::string& name) const
{
    const auto it = m_parameters.find(name);
    return it == m_parameters.end() ? nullptr : dynamic_cast<P*>(it->second.get());
}

template <typename P>
auto Paramora::valuePtr(const std::string& name) -> decltype(std::declval<P&>().getValuePtr())
{
    auto* p = find<P>(name);
    return p ? p->getValuePtr() : nullptr;
}

template <typename P>
P* Paramora::slot(const std::string& name, const std::string& comment)
{
    auto& entry = m_parameters[name];
    if (auto* existing = dynamic_cast<P*>(entry.get())) {
        existing->m_comment = comment;
        return existing;
    }
    retire(entry);
    entry = std::make_unique<P>(name, comment);
    return static_cast<P*>(entry.get());
}

bool Paramora::holds(const Paramora* container) const
{
    if (container == this)
        return true;
    for (const auto& entry : m_parameters) {
        const auto* nested = dynamic_cast<const ContainerParameterType*>(entry.second.get());
        if (nested != nullptr && nested->getContainer() != nullptr && nested->getContainer()->holds(container))
            return true;
    }
    return false;
}

// ---- registration

bool* Paramora::addBoolParameter(const std::string& name, const std::string& comment, bool value, bool def)
{
    auto* p = slot<BoolParameterType>(name, comment);
    p->setValue(value, def);
    return p->getValuePtr();
}

unsigned char* Paramora::addByteParameter(const std::string& name, const std::string& comment, unsigned char value,
                                          unsigned char min, unsigned char max, unsigned char def)
{
    auto* p = slot<ByteParameterType>(name, comment);
    p->setValue(value, min, max, def);
    return p->getValuePtr();
}

int* Paramora::addIntParameter(const std::string& name, const std::string& comment, int value, int min, int max,
                               int def)
{
    auto* p = slot<IntParameterType>(name, comment);
    p->setValue(value, min, max, def);
    return p->getValuePtr();
}

float* Paramora::addFloatParameter(const std::string& name, const std::string& comment, float value, float min,
                                   float max, float def)
{
    auto* p = slot<FloatParameterType>(name, comment);
    p->setValue(value, min, max, def);
    return p->getValuePtr();
}

double* Paramora::addDoubleParameter(const std::string& name, const std::string& comment, double value, double min,
                                     double max, double def)
{
    auto* p = slot<DoubleParameterType>(name, comment);
    p->setValue(value, min, max, def);
    return p->getValuePtr();
}

std::string* Paramora::addStringParameter(const std::string& name, const std::string& comment,
                                          const std::string& value, const std::string& def)
{
    auto* p = slot<StringParameterType>(name, comment);
    p->setValue(value, def);
    return p->getValuePtr();
}

XMLEnumClass* Paramora::addEnumParameter(const std::string& name, const std::string& comment,
                                         const XMLEnumClass& entries, const XMLEnumClass*)
{
    auto* p = slot<EnumParameterType>(name, comment);
    p->setValue(entries);
    return p->getValuePtr();
}

double* Paramora::addDouble1DArrayParameter(const std::string& name, const std::string& comment, int count,
                                            const double* values, double fill)
{
    auto* p = slot<Double1DArrayParameterType>(name, comment);
    p->setValues(count, values, fill);
    return p->getValues();
}

unsigned char* Paramora::addByte1DArrayParameter(const std::string& name, const std::string& comment, int count,
                                                 const unsigned char* values, unsigned char fill)
{
    auto* p = slot<Byte1DArrayParameterType>(name, comment);
    p->setValues(count, values, fill);
    return p->getValues();
}

Paramora* Paramora::addContainerParameter(const std::string& name, const std::string& comment, Paramora* container)
{
    if (container != nullptr && container->holds(this))
        return nullptr;
    auto* p = slot<ContainerParameterType>(name, comment);
    p->setContainer(container);
    return container;
}

// ---- access

bool* Paramora::getBoolParameter(const std::string& name)
{
    return valuePtr<BoolParameterType>(name);
}

unsigned char* Paramora::getByteParameter(const std::string& name)
{
    return valuePtr<ByteParameterType>(name);
}

int* Paramora::getIntParameter(const std::string& name)
{
    return valuePtr<IntParameterType>(name);
}

float* Paramora::getFloatParameter(const std::string& name)
{
    return valuePtr<FloatParameterType>(name);
}

double* Paramora::getDoubleParameter(const std::string& name)
{
    return valuePtr<DoubleParameterType>(name);
}

std::string* Paramora::getStringParameter(const std::string& name)
{
    return valuePtr<StringParameterType>(name);
}

XMLEnumClass* Paramora::getEnumParameter(const std::string& name)
{
    return valuePtr<EnumParameterType>(name);
}

double* Paramora::getDouble1DArrayParameter(const std::string& name)
{
    auto* p = find<Double1DArrayParameterType>(name);
    return p ? p->getValues() : nullptr;
}

unsigned char* Paramora::getByte1DArrayParameter(const std::string& name)
{
    auto* p = find<Byte1DArrayParameterType>(name);
    return p ? p->getValues() : nullptr;
}

Paramora* Paramora::getContainerParameter(const std::string& name)
{
    auto* p = find<ContainerParameterType>(name);
    return p ? p->getContainer() : nullptr;
}

namespace {

template <typename T>
bool store(T* target, const T& value)
{
    if (target == nullptr)
        return false;
    *target = value;
    return true;
}

} // namespace

bool Paramora::setBoolParameter(const std::string& name, bool value)
{
    return store(getBoolParameter(name), value);
}

bool Paramora::setByteParameter(const std::string& name, unsigned char value)
{
    return store(getByteParameter(name), value);
}

bool Paramora::setIntParameter(const std::string& name, int value)
{
    return store(getIntParameter(name), value);
}

bool Paramora::setFloatParameter(const std::string& name, float value)
{
    return store(getFloatParameter(name), value);
}

bool Paramora::setDoubleParameter(const std::string& name, double value)
{
    return store(getDoubleParameter(name), value);
}

bool Paramora::setStringParameter(const std::string& name, const std::string& value)
{
    return store(getStringParameter(name), value);
}

bool Paramora::setEnumParameter(const std::string& name, const XMLEnumClass& value)
{
    return store(getEnumParameter(name), value);
}

bool Paramora::setContainerParameter(const std::string& name, Paramora* container)
{
    auto* p = find<ContainerParameterType>(name);
    if (p == nullptr || (container != nullptr && container->holds(this)))
        return false;
    p->setContainer(container);
    return true;
}

BaseParameterType* Paramora::getParameter(const std::string& name)
{
    return find<BaseParameterType>(name);
}

const BaseParameterType* Paramora::getParameter(const std::string& name) const
{
    return find<BaseParameterType>(name);
}

// ---- XML

void Paramora::addToXML(XMLWriteModul& writer) const
{
    writer.enterGroup(m_name);
    writeParameters(writer);
    writer.leaveGroup();
}

void Paramora::writeParameters(XMLWriteModul& writer) const
{
    for (const auto& [name, parameter] : m_parameters) {
        const auto* nested = dynamic_cast<const ContainerParameterType*>(parameter.get());
        if (nested != nullptr && nested->getContainer() == nullptr)
            continue;
        writer.enterGroup(kParameterGroup);
        writer.writeString("Name", "", name);
        writer.writeInt("Type", "", parameter->getType());
        parameter->writeValue(writer);
        writer.leaveGroup();
    }
}

bool Paramora::getFromXML(XMLReadModul& reader, ParameterReadLoss* loss)
{
    return readGroup(reader, m_name, true, loss, {});
}

void Paramora::updateFromXML(XMLReadModul& reader, ParameterReadLoss* loss)
{
    if (!readGroup(reader, m_name, false, loss, {}))
        throw ParamoraException("parameter group '" + m_name + "' is missing");
}

bool Paramora::readGroup(XMLReadModul& reader, const std::string& name, bool full, ParameterReadLoss* loss,
                         const std::string& path)
{
    if (!reader.enterGroup(name))
        return false;
    detail::LeaveGroupOnExit leave(reader);
    if (reader.enterFirstGroup(kParameterGroup)) {
        do {
            detail::LeaveGroupOnExit leaveParameter(reader);
            readParameter(reader, full, loss, path);
        } while (reader.enterNextGroup());
    }
    return true;
}

void Paramora::readParameter(XMLReadModul& reader, bool full, ParameterReadLoss* loss, const std::string& path)
{
    std::string name;
    std::string comment;
    int type = TYPE_NONE;
    const auto leftOut = [&](ParameterReadLoss::Reason reason) {
        if (loss != nullptr)
            loss->parameters.push_back({path + name, reason});
    };
    // A nested container names what it leaves out by its path.
    const auto readValueOf = [&](BaseParameterType& parameter) {
        if (auto* nested = dynamic_cast<ContainerParameterType*>(&parameter))
            return nested->readNested(reader, full, loss, path + name + ":");
        return parameter.readValue(reader, full);
    };
    if (!reader.readString("Name", name))
        return leftOut(ParameterReadLoss::Reason::Unknown);
    if (!reader.readInt("Type", comment, type))
        return leftOut(ParameterReadLoss::Reason::OtherKind);
    if (!full) {
        const auto it = m_parameters.find(name);
        if (it == m_parameters.end())
            return leftOut(ParameterReadLoss::Reason::Unknown);
        if (it->second->getType() != type)
            return leftOut(ParameterReadLoss::Reason::OtherKind);
        if (!readValueOf(*it->second))
            leftOut(ParameterReadLoss::Reason::NoFit);
        return;
    }
    std::unique_ptr<BaseParameterType> fresh = makeParameter(type, name);
    if (!fresh)
        return leftOut(ParameterReadLoss::Reason::OtherKind);
    if (!readValueOf(*fresh))
        return leftOut(ParameterReadLoss::Reason::NoFit);
    auto& entry = m_parameters[name];
    if (entry && entry->getType() == type) {
        entry->assignFrom(*fresh);
    } else {
        retire(entry);
        entry = std::move(fresh);
    }
}

} // namespace ns_param
