#pragma once
// A named object and a list of them searchable by name.
#include <string>
#include <vector>

class NamedObject {
public:
    NamedObject() = default;
    NamedObject(const NamedObject& other) = default;
    NamedObject& operator=(const NamedObject& other) = default;
    virtual ~NamedObject();

    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetName() const { return m_name; }

protected:
    void InitFrom(const NamedObject& other) { m_name = other.m_name; }

private:
    std::string m_name;
};

// An ordered list of objects it does not own: copies share the objects, and the destructor
// leaves them alone; ClearNamedObjects deletes them.
class NamedObjectList : public std::vector<NamedObject*> {
public:
    NamedObjectList() = default;
    NamedObjectList(const NamedObjectList& other) = default;
    NamedObjectList& operator=(const NamedObjectList& other) = default;
    ~NamedObjectList();

    // The first object whose name equals name byte for byte; null when none.
    NamedObject* GetNamedObject(const std::string& name) const;
    // Deletes every object of the list and empties it.
    void ClearNamedObjects();
};
