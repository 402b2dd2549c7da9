#include "core/tree.h"

#include <atomic>

namespace ns_tree {

namespace {
// One count for every tree of the process: the template is compiled into several libraries,
// but they all reach this counter through BusyGuard.
std::atomic<int> g_busyCount{0};
} // namespace

BusyGuard::BusyGuard()
{
    g_busyCount.fetch_add(1);
}

BusyGuard::~BusyGuard()
{
    g_busyCount.fetch_sub(1);
}

bool IsTreeBusy()
{
    return g_busyCount.load() > 0;
}

std::string NormalizePath(std::string path)
{
    if (!path.empty() && path.front() == ':')
        path.erase(0, 1);
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == ':' && !out.empty() && out.back() == ':')
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == ':')
        out.pop_back();
    return out;
}

bool IsValidPath(std::string_view path)
{
    return !path.empty() && path.front() != ':' && path.back() != ':'
        && path.find("::") == std::string_view::npos;
}

void Inserter::Insert(InserterTree::TreeNode* node)
{
    node->SetData(new TreeData<Inserter>(this));
    node->SetName(LastLevel(GetName()));
}

std::string Inserter::LastLevel(const std::string& name)
{
    const auto colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

template class Tree<Inserter, TreeData<Inserter>>;

} // namespace ns_tree
