#pragma once
// Texts the module pane derives from its tree: the last-module and group texts the document
// keeps, the parameter description a dropped parameter carries, and the manuals of an area.
#include "core/module.h"

#include <string>
#include <vector>

namespace ns_param {
class BaseParameterType;
}

using ModuleTreeNode = ModuleTree::TreeNode;

// A selected module: its ancestors' names, nearest first, each followed by ":" (the root's
// empty name left out), then its own name; "|" removed. For a group and its module
// "Gruppe:Modul".
std::string ModuleNameText(const ModuleTreeNode* node);
// A selected group or entry: parent's name + ":" + own name (own name alone under the root),
// "|" removed.
std::string EntryNameText(const ModuleTreeNode* node);
// The names of the node's children, each followed by ";", "|" removed.
std::string GroupContentsText(const ModuleTreeNode* node);

// "|comment|type|min|max" for byte, int (decimal), float and double (two significant
// digits); "|comment|type||" for every other kind.
std::string ParameterText(const ns_param::BaseParameterType& parameter);

// The manuals of the area a name text belongs to, in the order they open (file names).
std::vector<std::string> ManualFilesFor(const std::string& nameText);
