#pragma once
// Paramora: a named container of named, typed parameters, each with a comment, that
// writes itself to and reads itself from an XML group.
//
// - Parameters are kept by name; iteration (getFirstParameter .. getLastParameter)
//   is in name order.
// - add<Kind>Parameter registers a parameter and returns a pointer to its stored
//   value. Every pointer handed out stays valid for the container's life: adding a
//   name again with the same kind reuses its storage, and a parameter replaced by one
//   of another kind (or dropped by an assignment) is kept aside, not freed.
// - Minimum, maximum and default are stored; values are never clamped to the range.
// - In XML the container is a group named after it, holding one group "Parameter"
//   per parameter with the keys "Name", "Type", "Value" (carrying the comment) and,
//   by kind, "Min" and "Max", a group "Entries" (enumerations) or the nested
//   container's own group.
#include <paramora/parameter_types.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ns_param {

// Raised by updateFromXML when the container's group is missing.
class ParamoraException : public std::runtime_error {
public:
    explicit ParamoraException(const std::string& what);
    ~ParamoraException() override;
};

// What a read from XML found stored and did not take, for the caller to name in its log.
struct ParameterReadLoss {
    enum class Reason {
        Unknown,   // no registered parameter has the stored name (update), or none is stored
        OtherKind, // the stored type is not the registered parameter's, or no kind has it
        NoFit,     // the stored value cannot be read or does not fit the parameter
    };
    struct Parameter {
        std::string name; // path from the container: "Innen:Notiz" in the nested container Innen
        Reason reason;
    };
    // The stored parameters left out, in file order.
    std::vector<Parameter> parameters;
    // Set by ParameterIO::updateFromXML once it found the object's class group, so that a
    // caller can tell a group that does not fit from a group that is not there.
    bool groupFound = false;
};

class Paramora {
public:
    using ParameterMap = std::map<std::string, std::unique_ptr<BaseParameterType>>;
    using const_iterator = ParameterMap::const_iterator;

    explicit Paramora(const std::string& name = std::string());
    // Copies are deep: nested containers, borrowed or not, are copied into owned ones.
    Paramora(const Paramora& other);
    // Afterwards this holds the parameters of other. Parameters of the same name and
    // kind take the values in place; a borrowed nested container is assigned in place.
    Paramora& operator=(const Paramora& other);
    ~Paramora();

    const std::string& getName() const { return m_name; }

    bool* addBoolParameter(const std::string& name, const std::string& comment, bool value, bool def);
    unsigned char* addByteParameter(const std::string& name, const std::string& comment, unsigned char value,
                                    unsigned char min, unsigned char max, unsigned char def);
    int* addIntParameter(const std::string& name, const std::string& comment, int value, int min, int max, int def);
    float* addFloatParameter(const std::string& name, const std::string& comment, float value, float min, float max,
                             float def);
    double* addDoubleParameter(const std::string& name, const std::string& comment, double value, double min,
                               double max, double def);
    std::string* addStringParameter(const std::string& name, const std::string& comment, const std::string& value,
                                    const std::string& def);
    // The container keeps its own copy of entries (and of its chosen index).
    ns_xandril::XMLEnumClass* addEnumParameter(const std::string& name, const std::string& comment,
                                               const ns_xandril::XMLEnumClass& entries,
                                               const ns_xandril::XMLEnumClass* def = nullptr);
    // Copies count values; with values null every element is fill. Adding a name again
    // with another count gives the array new storage (the old one stays allocated).
    double* addDouble1DArrayParameter(const std::string& name, const std::string& comment, int count,
                                      const double* values, double fill);
    unsigned char* addByte1DArrayParameter(const std::string& name, const std::string& comment, int count,
                                           const unsigned char* values, unsigned char fill);
    // Nests container, which its owner keeps and deletes; null for a container that
    // would hold this one (directly or deeper).
    Paramora* addContainerParameter(const std::string& name, const std::string& comment, Paramora* container);

    // Pointer to the stored value; null when there is no parameter of that name and kind.
    bool* getBoolParameter(const std::string& name);
    unsigned char* getByteParameter(const std::string& name);
    int* getIntParameter(const std::string& name);
    float* getFloatParameter(const std::string& name);
    double* getDoubleParameter(const std::string& name);
    std::string* getStringParameter(const std::string& name);
    ns_xandril::XMLEnumClass* getEnumParameter(const std::string& name);
    double* getDouble1DArrayParameter(const std::string& name);
    unsigned char* getByte1DArrayParameter(const std::string& name);
    Paramora* getContainerParameter(const std::string& name);

    // Store a value; false when there is no parameter of that name and kind.
    bool setBoolParameter(const std::string& name, bool value);
    bool setByteParameter(const std::string& name, unsigned char value);
    bool setIntParameter(const std::string& name, int value);
    bool setFloatParameter(const std::string& name, float value);
    bool setDoubleParameter(const std::string& name, double value);
    bool setStringParameter(const std::string& name, const std::string& value);
    // Copies entries and index into the stored enumeration.
    bool setEnumParameter(const std::string& name, const ns_xandril::XMLEnumClass& value);
    // Borrows container; null detaches the nested container (nothing is written for it).
    bool setContainerParameter(const std::string& name, Paramora* container);

    BaseParameterType* getParameter(const std::string& name);
    const BaseParameterType* getParameter(const std::string& name) const;
    const_iterator getFirstParameter() const { return m_parameters.begin(); }
    const_iterator getLastParameter() const { return m_parameters.end(); }

    // Writes the container as its group into the writer's current group.
    void addToXML(ns_xandril::XMLWriteModul& writer) const;
    // Takes every parameter of the container's group in the reader's current group,
    // with the kind, comment and range stored there; parameters of another kind under
    // the same name are replaced, parameters the file lacks stay. False (and nothing
    // changed) when the group is missing. What could not be taken (a type no kind has, a
    // value that cannot be read) is listed in loss when one is given.
    bool getFromXML(ns_xandril::XMLReadModul& reader, ParameterReadLoss* loss = nullptr);
    // Gives the registered parameters the stored values. Unknown names, other kinds,
    // values that do not fit (an enumeration index outside its entries, an array of
    // another count, a byte out of 0..255) leave the parameter unchanged and are listed in
    // loss when one is given. Comments and ranges stay as registered. Throws
    // ParamoraException when the group is missing.
    void updateFromXML(ns_xandril::XMLReadModul& reader, ParameterReadLoss* loss = nullptr);

private:
    friend class ContainerParameterType;

    template <typename P>
    P* find(const std::string& name) const;
    // The value pointer of the parameter of that name and kind P, or null.
    template <typename P>
    auto valuePtr(const std::string& name) -> decltype(std::declval<P&>().getValuePtr());
    // The parameter of that name and kind P, created (and an other kind put aside) when needed.
    template <typename P>
    P* slot(const std::string& name, const std::string& comment);
    void retire(std::unique_ptr<BaseParameterType>& entry);
    bool holds(const Paramora* container) const;

    void writeParameters(ns_xandril::XMLWriteModul& writer) const;
    // Reads the group named name of the current group; false when it is missing. What is
    // left out goes to loss (when given), named with path in front.
    bool readGroup(ns_xandril::XMLReadModul& reader, const std::string& name, bool full, ParameterReadLoss* loss,
                   const std::string& path);
    void readParameter(ns_xandril::XMLReadModul& reader, bool full, ParameterReadLoss* loss, const std::string& path);

    std::string m_name;
    ParameterMap m_parameters;
    std::vector<std::unique_ptr<BaseParameterType>> m_retired;
};

} // namespace ns_param
