#pragma once
// An entry of the clipboard tree: a named object (its name is its clipboard-tree path)
// holding a parameter container "ObjectData" of named values and arrays.
#include "core/tree.h"

#include <paramora/paramora.h>

class ClipboardObject;
class ClipboardData;

using ClipboardTreeBase = ns_tree::Tree<ClipboardObject, ClipboardData>;

class ClipboardObject : public ns_tree::Inserter {
public:
    ClipboardObject();
    // Copies take name, marked flag and the container's contents (deep).
    ClipboardObject(const ClipboardObject& other);
    ClipboardObject& operator=(const ClipboardObject& other);
    ~ClipboardObject() override;

    // The "ObjectData" container.
    ns_param::Paramora& GetParameters() { return m_parameters; }
    const ns_param::Paramora& GetParameters() const { return m_parameters; }

    using ns_tree::Inserter::Insert;
    // Placing on a clipboard-tree node: attaches the payload and names the node after the
    // last level of the object's name.
    virtual void Insert(ClipboardTreeBase::TreeNode* node);

private:
    ns_param::Paramora m_parameters;
};

// Payload of a clipboard-tree node.
class ClipboardData : public ns_tree::TreeData<ClipboardObject> {
public:
    explicit ClipboardData(ClipboardObject* object = nullptr);
    ~ClipboardData() override;
};

extern template class ns_tree::Tree<ClipboardObject, ClipboardData>;

// The program's clipboard tree; declared here because plug-ins reach it through the host.
class ClipboardTree : public ClipboardTreeBase {
public:
    ClipboardTree();
    ~ClipboardTree() override;
};
