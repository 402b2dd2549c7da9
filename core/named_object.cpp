#include "core/named_object.h"

NamedObject::~NamedObject() = default;

NamedObjectList::~NamedObjectList() = default;

NamedObject* NamedObjectList::GetNamedObject(const std::string& name) const
{
    for (NamedObject* object : *this)
        if (object && object->GetName() == name)
            return object;
    return nullptr;
}

void NamedObjectList::ClearNamedObjects()
{
    for (NamedObject* object : *this)
        delete object;
    clear();
}
