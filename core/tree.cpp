#include "core/tree.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace ns_tree {

namespace {
// One count for every tree of the process: the template is compiled into several libraries,
// but they all reach this counter through BusyGuard.
std::atomic<int> g_busyCount{0};

// Held frees: the nesting count and the objects waiting for its end, in the order they left
// their trees. Per thread: the trees live on the GUI thread, and a run on a worker (which
// touches no tree) neither holds nor frees what the GUI thread files.
thread_local int g_freeHolds = 0;
std::vector<Inserter*>& HeldObjects()
{
    thread_local std::vector<Inserter*> objects;
    return objects;
}
// Owner mark of a held object: no tree takes an object that has an owner.
const char g_heldOwner = 0;
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

FreeHold::FreeHold(Scope scope)
    : m_mark(HeldObjects().size())
    , m_own(scope == Scope::Own)
{
    ++g_freeHolds;
}

FreeHold::~FreeHold()
{
    std::vector<Inserter*>& held = HeldObjects();
    const std::size_t from = --g_freeHolds == 0 ? 0 : m_own ? std::min(m_mark, held.size()) : held.size();
    if (from == held.size())
        return;
    const std::vector<Inserter*> freed(held.begin() + static_cast<std::ptrdiff_t>(from), held.end());
    held.resize(from);
    for (Inserter* object : freed)
        delete object;
}

bool AreFreesHeld()
{
    return g_freeHolds > 0;
}

void DisposeObject(Inserter* object)
{
    if (!object)
        return;
    if (g_freeHolds > 0) {
        object->m_ownerTree = &g_heldOwner;
        HeldObjects().push_back(object);
        return;
    }
    object->m_ownerTree = nullptr;
    delete object;
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
