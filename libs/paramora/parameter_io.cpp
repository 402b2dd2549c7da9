#include "parameter_io.h"

#include "reader_group.h"

using ns_xandril::XMLReadModul;
using ns_xandril::XMLWriteModul;

namespace ns_param {

ParameterIO::ParameterIO(const std::string& className, const std::string& group)
    : m_className(className)
    , m_parameters(group)
{
}

ParameterIO::ParameterIO(const ParameterIO&) = default;
ParameterIO& ParameterIO::operator=(const ParameterIO&) = default;
ParameterIO::~ParameterIO() = default;

void ParameterIO::addToXML(XMLWriteModul& writer)
{
    writer.enterGroup(m_className);
    m_parameters.addToXML(writer);
    userAddToXML(writer);
    writer.leaveGroup();
}

void ParameterIO::enterClassGroup(XMLReadModul& reader) const
{
    if (!reader.enterUnclaimedGroup(m_className))
        throw ParamoraException("group '" + m_className + "' is missing");
}

void ParameterIO::getFromXML(XMLReadModul& reader)
{
    enterClassGroup(reader);
    detail::LeaveGroupOnExit leave(reader);
    m_parameters.getFromXML(reader);
    userGetFromXML(reader);
}

void ParameterIO::updateFromXML(XMLReadModul& reader, ParameterReadLoss* loss)
{
    enterClassGroup(reader);
    detail::LeaveGroupOnExit leave(reader);
    if (loss != nullptr)
        loss->groupFound = true;
    m_parameters.updateFromXML(reader, loss);
    userUpdateFromXML(reader);
}

void ParameterIO::userAddToXML(XMLWriteModul&)
{
}

void ParameterIO::userGetFromXML(XMLReadModul&)
{
}

void ParameterIO::userUpdateFromXML(XMLReadModul&)
{
}

} // namespace ns_param
