#pragma once
// ParameterIO: base of an object (a module, a display, a workspace) that persists one
// parameter container, together with data of its own, as one XML group:
//
//   group <class name>
//     group <container group, e.g. "Parameters">   the container (Paramora::addToXML)
//     ...                                           what userAddToXML writes
//
// Several objects of one class name under one parent group are told apart by order:
// the k-th object read under a parent reads the k-th group of its class name.
#include <paramora/paramora.h>

#include <string>

namespace ns_param {

class ParameterIO {
public:
    ParameterIO(const std::string& className, const std::string& group);
    ParameterIO(const ParameterIO&);
    ParameterIO& operator=(const ParameterIO&);
    virtual ~ParameterIO();

    const std::string& getClassName() const { return m_className; }
    Paramora& getParameters() { return m_parameters; }
    const Paramora& getParameters() const { return m_parameters; }

    // Writes the class group into the writer's current group.
    void addToXML(ns_xandril::XMLWriteModul& writer);
    // Recreates the container from the next class group of the reader's current group
    // (Paramora::getFromXML), then userGetFromXML inside that group. Throws
    // ParamoraException when the class group is missing.
    void getFromXML(ns_xandril::XMLReadModul& reader);
    // Updates the registered parameters from the next class group (Paramora::
    // updateFromXML), then userUpdateFromXML inside that group. Throws
    // ParamoraException when the class group or the container's group is missing.
    // The reader stands in its former group afterwards, also after an exception. With
    // loss, the stored parameters left out are listed there, and groupFound tells whether
    // the class group was there.
    void updateFromXML(ns_xandril::XMLReadModul& reader, ParameterReadLoss* loss = nullptr);

protected:
    // Data of the derived class, inside the class group after the container. Empty here.
    virtual void userAddToXML(ns_xandril::XMLWriteModul& writer);
    virtual void userGetFromXML(ns_xandril::XMLReadModul& reader);
    virtual void userUpdateFromXML(ns_xandril::XMLReadModul& reader);

private:
    void enterClassGroup(ns_xandril::XMLReadModul& reader) const;

    std::string m_className;
    Paramora m_parameters;
};

} // namespace ns_param
