#pragma once
// The parameter kinds of a Paramora container. Each parameter object holds its value
// itself; the container hands out pointers into these objects, which it keeps at one
// address for its whole life.
#include <xandril/xandril.h>

#include <memory>
#include <string>
#include <vector>

namespace ns_param {

class Paramora;
struct ParameterReadLoss;

// Type codes as getType() reports them. Arrays are 10 + the code of their element.
enum ParameterTypeCode : int {
    TYPE_NONE = 0,
    TYPE_GROUP = 1, // a nested container
    TYPE_ENUM = 2,
    TYPE_BYTE = 3,
    TYPE_BOOL = 4,
    TYPE_INT = 5,
    TYPE_STRING = 6,
    TYPE_FLOAT = 7,
    TYPE_DOUBLE = 8,
    TYPE_BYTE_1D_ARRAY = 13,
    TYPE_DOUBLE_1D_ARRAY = 18,
};

class BaseParameterType {
public:
    virtual ~BaseParameterType();
    BaseParameterType(const BaseParameterType&) = delete;
    BaseParameterType& operator=(const BaseParameterType&) = delete;

    const std::string& getName() const { return m_name; }
    const std::string& getComment() const { return m_comment; }
    virtual int getType() const = 0;

    // The value as text, numbers in their shortest exact form with the given decimal
    // separator. Arrays give each element followed by one blank ("1.5 2.5 "); a bool
    // gives 1 or 0, an enumeration its chosen entry, a nested container nothing.
    virtual std::string getValueText(char decimalSeparator = '.') const = 0;

    // The range of byte, int, float and double parameters (0 for the other kinds).
    // Values are not clamped to it: it is stored, written and read back, nothing more.
    virtual double getMin() const { return 0; }
    virtual double getMax() const { return 0; }

protected:
    BaseParameterType(const std::string& name, const std::string& comment);

    // clone() of a kind P: a new P under the same name that takes self's values.
    template <typename P>
    static std::unique_ptr<BaseParameterType> cloneOf(const P& self)
    {
        std::unique_ptr<BaseParameterType> copy = std::make_unique<P>(self.m_name, self.m_comment);
        copy->assignFrom(self);
        return copy;
    }

private:
    friend class Paramora;

    // A deep copy under the same name.
    virtual std::unique_ptr<BaseParameterType> clone() const = 0;
    // Takes value, comment and range of a parameter of the same kind, in place.
    virtual void assignFrom(const BaseParameterType& other) = 0;
    // Writes the keys after name and type into the parameter's group.
    virtual void writeValue(ns_xandril::XMLWriteModul& writer) const = 0;
    // Reads what writeValue wrote. With full, comment, range and entries are taken too
    // (a recreated parameter); without, only the value (an update). False, and nothing
    // changed, when the stored value does not fit this parameter.
    virtual bool readValue(ns_xandril::XMLReadModul& reader, bool full) = 0;

protected:
    std::string m_name;
    std::string m_comment;
};

class BoolParameterType : public BaseParameterType {
public:
    BoolParameterType(const std::string& name, const std::string& comment);
    int getType() const override { return TYPE_BOOL; }
    std::string getValueText(char decimalSeparator = '.') const override;

    bool* getValuePtr() { return &m_value; }
    bool getValue() const { return m_value; }
    void setValue(bool value, bool def);

private:
    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;

    bool m_value = false;
    bool m_default = false;
};

// Byte, int, float and double: a value with minimum, maximum and default.
template <typename T, int Code>
class RangedParameterType : public BaseParameterType {
public:
    RangedParameterType(const std::string& name, const std::string& comment);
    int getType() const override { return Code; }
    std::string getValueText(char decimalSeparator = '.') const override;
    double getMin() const override { return static_cast<double>(m_min); }
    double getMax() const override { return static_cast<double>(m_max); }

    T* getValuePtr() { return &m_value; }
    T getValue() const { return m_value; }
    void setValue(T value, T min, T max, T def);

private:
    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;

    T m_value{};
    T m_min{};
    T m_max{};
    T m_default{};
};

using ByteParameterType = RangedParameterType<unsigned char, TYPE_BYTE>;
using IntParameterType = RangedParameterType<int, TYPE_INT>;
using FloatParameterType = RangedParameterType<float, TYPE_FLOAT>;
using DoubleParameterType = RangedParameterType<double, TYPE_DOUBLE>;

extern template class RangedParameterType<unsigned char, TYPE_BYTE>;
extern template class RangedParameterType<int, TYPE_INT>;
extern template class RangedParameterType<float, TYPE_FLOAT>;
extern template class RangedParameterType<double, TYPE_DOUBLE>;

class StringParameterType : public BaseParameterType {
public:
    StringParameterType(const std::string& name, const std::string& comment);
    int getType() const override { return TYPE_STRING; }
    std::string getValueText(char decimalSeparator = '.') const override;

    std::string* getValuePtr() { return &m_value; }
    const std::string& getValue() const { return m_value; }
    void setValue(const std::string& value, const std::string& def);

private:
    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;

    std::string m_value;
    std::string m_default;
};

// An enumeration keeps its own copy of the entries and the chosen index.
class EnumParameterType : public BaseParameterType {
public:
    EnumParameterType(const std::string& name, const std::string& comment);
    int getType() const override { return TYPE_ENUM; }
    std::string getValueText(char decimalSeparator = '.') const override;

    ns_xandril::XMLEnumClass* getValuePtr() { return &m_value; }
    const ns_xandril::XMLEnumClass& getValue() const { return m_value; }
    void setValue(const ns_xandril::XMLEnumClass& value);

private:
    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;

    ns_xandril::XMLEnumClass m_value;
};

// A fixed-length array. Its elements stay where they are while the count stays; a
// new count moves them to new storage, and the old storage is kept until the
// parameter dies, so that pointers handed out before never dangle.
template <typename T, int Code>
class ArrayParameterType : public BaseParameterType {
public:
    ArrayParameterType(const std::string& name, const std::string& comment);
    int getType() const override { return Code; }
    std::string getValueText(char decimalSeparator = '.') const override;

    int getCount() const { return m_count; }
    // Never null, also for an empty array.
    T* getValues() { return m_values; }
    const T* getValues() const { return m_values; }
    // Copies count values (count times fill when values is null).
    void setValues(int count, const T* values, T fill);

private:
    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;

    void resize(int count);

    std::vector<std::unique_ptr<T[]>> m_buffers; // the last one is in use
    T* m_values = nullptr;
    int m_count = 0;
    int m_capacity = 0;
    T m_fill{};
};

using Byte1DArrayParameterType = ArrayParameterType<unsigned char, TYPE_BYTE_1D_ARRAY>;
using Double1DArrayParameterType = ArrayParameterType<double, TYPE_DOUBLE_1D_ARRAY>;

extern template class ArrayParameterType<unsigned char, TYPE_BYTE_1D_ARRAY>;
extern template class ArrayParameterType<double, TYPE_DOUBLE_1D_ARRAY>;

// A nested container: borrowed from its owner (addContainerParameter), or owned when
// a copy or a read created it. Null when detached; nothing is written then.
class ContainerParameterType : public BaseParameterType {
public:
    ContainerParameterType(const std::string& name, const std::string& comment);
    ~ContainerParameterType() override;
    int getType() const override { return TYPE_GROUP; }
    std::string getValueText(char decimalSeparator = '.') const override;

    Paramora* getContainer() const { return m_container; }
    // Borrows container (null detaches); the parameter never deletes it.
    void setContainer(Paramora* container) { m_container = container; }

private:
    friend class Paramora;

    std::unique_ptr<BaseParameterType> clone() const override;
    void assignFrom(const BaseParameterType& other) override;
    void writeValue(ns_xandril::XMLWriteModul& writer) const override;
    bool readValue(ns_xandril::XMLReadModul& reader, bool full) override;
    // readValue, naming what the nested container leaves out in loss (when given), each
    // name with path in front.
    bool readNested(ns_xandril::XMLReadModul& reader, bool full, ParameterReadLoss* loss, const std::string& path);

    // Makes the current container an owned one holding a copy of source.
    void adopt(const Paramora& source);

    Paramora* m_container = nullptr;
    std::unique_ptr<Paramora> m_owned; // kept while the parameter lives, once created
};

} // namespace ns_param
