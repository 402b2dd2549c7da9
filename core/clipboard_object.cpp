#include "core/clipboard_object.h"

template class ns_tree::Tree<ClipboardObject, ClipboardData>;

ClipboardObject::ClipboardObject()
    : m_parameters("ObjectData")
{
}

ClipboardObject::ClipboardObject(const ClipboardObject& other) = default;
ClipboardObject& ClipboardObject::operator=(const ClipboardObject& other) = default;
ClipboardObject::~ClipboardObject() = default;

void ClipboardObject::Insert(ClipboardTreeBase::TreeNode* node)
{
    node->SetData(new ClipboardData(this));
    node->SetName(LastLevel(GetName()));
}

ClipboardData::ClipboardData(ClipboardObject* object)
    : ns_tree::TreeData<ClipboardObject>(object)
{
}

ClipboardData::~ClipboardData() = default;

ClipboardTree::ClipboardTree() = default;
ClipboardTree::~ClipboardTree() = default;
