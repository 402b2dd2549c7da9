#pragma once
// A tree of named objects. Objects (derived from Inserter) stand at the nodes given by their
// ":"-separated names (Gruppe:Untergruppe:Objekt); nodes without an object are groups. The
// tree owns its objects, creates groups on demand, drops groups that become empty and tells
// one event handler (a tree view) about every node that is added, changed or removed.
//
// Paths: tree operations take every ":"-separated piece as one level and do not tidy a path;
// a path with an empty level (":A", "A::B", "A:", "") resolves to nothing. Callers tidy names
// with NormalizePath first.
//
// Busy state: every tree operation holds a BusyGuard while it runs. The count behind it is
// one atomic counter in Corvane, shared by every tree of every library and plug-in that
// compiles this template (they all link Corvane), so IsTreeBusy() is true while any tree
// operation anywhere is under way, also when operations nest.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ns_tree {

// The path rule: removes one leading ":", collapses every run of ":" to one ":", then removes
// one trailing ":". "::A" becomes ":A", ":Gruppe::A:" becomes "Gruppe:A".
std::string NormalizePath(std::string path);

// True for a non-empty path without empty levels (no leading, trailing or doubled ":").
bool IsValidPath(std::string_view path);

// Held by every tree operation; nests. Constructed and destroyed on one thread.
class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

// True while a tree operation runs (any tree, any library). Safe to call from any thread;
// the plot's drawing worker uses it to skip work while a tree changes.
bool IsTreeBusy();

// Frees held for a running operation. While at least one FreeHold lives, the objects that a
// tree replaces (AddInserter) or deletes (DeleteInserters, DeleteMarkedInserters) leave it at
// once, with the same events and in the same order as otherwise, so views and lookups see the
// new state, but they are freed only when the last hold ends. An operation can therefore read
// an input it took before it filed a result under the input's name. Held by the host's
// calculation bracket and by every calculation module's run; nests; counted per thread (the
// trees belong to the GUI thread). Clearing a whole tree (ClearTree) always frees at once.
class FreeHold {
public:
    // Nested: what leaves the trees while the hold lives is freed when the last hold ends.
    // Own: it is freed when this hold ends, for a run whose caller keeps no pointers into the
    // trees across it (a run a script starts by name); a long script then keeps no replaced
    // objects of its finished runs.
    enum class Scope { Nested, Own };
    explicit FreeHold(Scope scope = Scope::Nested);
    ~FreeHold();
    FreeHold(const FreeHold&) = delete;
    FreeHold& operator=(const FreeHold&) = delete;

private:
    std::size_t m_mark; // held objects before this hold
    bool m_own;
};

// True while a FreeHold lives.
bool AreFreesHeld();

class Inserter;

// Frees an object that has just left its tree, or keeps it until the last FreeHold ends; a
// kept object is taken by no tree meanwhile.
void DisposeObject(Inserter* object);
template <class T> class TreeData;
template <class T, class TData> class Tree;

// Untyped base of every node payload, so that an object can be told of its payload's end
// whatever tree it stands in.
class TreeDataBase {
public:
    virtual ~TreeDataBase() = default;
    // Called just before the payload is destroyed together with its node.
    virtual void Detach() = 0;
};

// Payload of a node: the object shown there (not owned).
template <class T>
class TreeData : public TreeDataBase {
public:
    explicit TreeData(T* object = nullptr) : m_object(object) {}
    void Detach() override
    {
        if (m_object)
            m_object->OnDetach(this);
    }
    T* GetObject() const { return m_object; }
    void SetObject(T* object) { m_object = object; }

private:
    T* m_object;
};

template <class T, class TData>
class Tree {
public:
    class TreeNode {
    public:
        using ChildList = std::list<TreeNode*>;

        explicit TreeNode(std::string name = {}) : m_name(std::move(name)) {}
        // Destroys the payload (Detach, then delete); child nodes are not deleted.
        virtual ~TreeNode() { SetData(nullptr); }
        TreeNode(const TreeNode&) = delete;
        TreeNode& operator=(const TreeNode&) = delete;

        // One level of the path, not the full path.
        const std::string& GetName() const { return m_name; }
        // Renames the node and moves its entry in the parent's index. False (no change) when a
        // sibling already has that name.
        bool SetName(const std::string& name)
        {
            if (name == m_name)
                return true;
            if (m_parent) {
                auto& index = m_parent->m_index;
                if (index.find(name) != index.end())
                    return false;
                auto entry = index.extract(m_name);
                entry.key() = name;
                index.insert(std::move(entry));
            }
            m_name = name;
            return true;
        }

        // The payload, owned by the node; null for a group.
        TData* GetData() const { return m_data; }
        // Takes the payload; a previous payload is detached and destroyed.
        void SetData(TData* data)
        {
            if (m_data == data)
                return;
            if (m_data) {
                m_data->Detach();
                delete m_data;
            }
            m_data = data;
        }

        TreeNode* GetParent() const { return m_parent; }
        // Children in the order they were added (the order the views show).
        const ChildList& GetChildren() const { return m_children; }
        bool HasChildren() const { return !m_children.empty(); }
        TreeNode* GetChild(std::string_view name) const
        {
            auto it = m_index.find(name);
            return it == m_index.end() ? nullptr : *it->second;
        }
        // Appends a node without a parent at the end of the children; false (nothing changed)
        // when the node is null or linked, or a child of that name exists.
        bool AddChild(TreeNode* child) { return InsertChild(child, nullptr); }
        // Unlinks a child (the child is not deleted); nothing happens for a node that is not
        // a child of this one.
        void RemoveChild(TreeNode* child)
        {
            if (!child || child->m_parent != this)
                return;
            auto it = m_index.find(child->m_name);
            if (it == m_index.end() || *it->second != child)
                return;
            m_children.erase(it->second);
            m_index.erase(it);
            child->m_parent = nullptr;
        }

        // The full ":"-path from the root; empty for the root.
        std::string GetPath() const
        {
            std::vector<const TreeNode*> chain;
            for (const TreeNode* n = this; n && n->m_parent; n = n->m_parent)
                chain.push_back(n);
            std::string path;
            for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                if (!path.empty() || it != chain.rbegin())
                    path += ':';
                path += (*it)->m_name;
            }
            return path;
        }

        // One word for the event handler (a view keeps its item there); the tree never uses it.
        void* GetViewWord() const { return m_viewWord; }
        void SetViewWord(void* word) { m_viewWord = word; }

    private:
        friend class Tree;

        // Links a node without a parent before `before` (one of the children), or at the end.
        bool InsertChild(TreeNode* child, TreeNode* before)
        {
            if (!child || child == this || child->m_parent || m_index.find(child->m_name) != m_index.end())
                return false;
            auto pos = m_children.end();
            if (before) {
                auto found = m_index.find(before->m_name);
                if (found != m_index.end() && *found->second == before)
                    pos = found->second;
            }
            m_index.emplace(child->m_name, m_children.insert(pos, child));
            child->m_parent = this;
            return true;
        }

        std::string m_name;
        TData* m_data = nullptr;
        ChildList m_children;
        std::map<std::string, typename ChildList::iterator, std::less<>> m_index;
        TreeNode* m_parent = nullptr;
        void* m_viewWord = nullptr;
    };

    // Told about every change of the tree's nodes (the tree views implement it).
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        // A node was added; previousSibling is the sibling it now follows, or null (null also
        // for a node appended at the end by GetNodeByName).
        virtual void OnInsertNode(TreeNode* node, TreeNode* previousSibling) {}
        // The node is about to be destroyed (children are reported before their parents).
        virtual void OnDeleteNode(TreeNode* node) {}
        // The node got an object or was renamed.
        virtual void OnUpdateNode(TreeNode* node) {}
        // Asked before AddInserter replaces what stands at the object's path.
        virtual bool CanReplace(T* object) { return true; }
    };

    Tree() = default;
    virtual ~Tree() { ClearTree(); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    TreeNode* GetRootNode() { return &m_root; }
    // The objects in insertion order; the tree owns every one of them.
    std::list<T*>& GetInserters() { return m_objects; }
    EventHandler* GetEventHandler() const { return m_handler; }
    void SetEventHandler(EventHandler* handler) { m_handler = handler; }

    // The node at path. With stopAtObject the walk ends at the first node holding an object,
    // even when levels remain. With create, missing levels are made one by one (parents first,
    // each reported with a null previous sibling). Null for an invalid or absent path.
    TreeNode* GetNodeByName(std::string_view path, bool create, bool stopAtObject)
    {
        BusyGuard busy;
        if (!IsValidPath(path))
            return nullptr;
        TreeNode* node = &m_root;
        std::size_t start = 0;
        for (;;) {
            if (stopAtObject && node->m_data)
                return node;
            const std::size_t end = std::min(path.find(':', start), path.size());
            const std::string_view level = path.substr(start, end - start);
            TreeNode* next = node->GetChild(level);
            if (!next) {
                if (!create)
                    return nullptr;
                next = new TreeNode(std::string(level));
                node->AddChild(next);
                if (m_handler)
                    m_handler->OnInsertNode(next, nullptr);
            }
            node = next;
            if (end == path.size())
                return node;
            start = end + 1;
        }
    }

    // Payload at exactly path; null when absent or a group.
    TData* GetTreeDataByName(std::string_view path)
    {
        TreeNode* node = GetNodeByName(path, false, false);
        return node ? node->m_data : nullptr;
    }
    // Object at exactly path; null when absent or a group.
    T* GetInserterByName(std::string_view path)
    {
        TData* data = GetTreeDataByName(path);
        return data ? data->GetObject() : nullptr;
    }
    T* GetInserter(std::string_view path) { return GetInserterByName(path); }

    // Places the object at the path given by its name and takes it; true when the object now
    // stands there, owned by the tree. What stands at the path (an object, a whole group, or
    // an object met higher up the path) is replaced and its objects deleted, unless the event
    // handler's CanReplace refuses. False, with nothing changed, for a refusal, for a name
    // that is no valid path and for an object that a tree already owns elsewhere; the caller
    // then keeps an object it created. Adding the object that already stands at its path keeps
    // it and only reports OnUpdateNode.
    bool AddInserter(T* object) { return Add(object, false); }
    // As AddInserter, but only an entry at exactly the path is replaced (never asking the
    // handler); an object higher up the path stays and the new node is made below it.
    bool AddInserterStrict(T* object) { return Add(object, true); }

    // Objects below the ";"-separated paths, in tree order (a node holding an object gives
    // that object; its children are not visited). A path whose last level is "*" stands for
    // the group before it (the form tree views use for a selected group), unless a node is
    // named "*". Paths that do not resolve give nothing; overlapping paths can list an object
    // twice. With remove, each node found is deleted as DeleteNode(node, true) does; its
    // objects stay owned by the tree.
    std::list<T*> GetInserters(std::string_view names, bool remove)
    {
        BusyGuard busy;
        std::list<T*> result;
        ForEachPath(names, [&](TreeNode* node) {
            AddSubInserters(result, node);
            if (remove)
                DeleteNode(node, true);
        });
        return result;
    }

    // The same objects (without removal) in a vector: no allocation per object.
    std::vector<T*> GetInserterVector(std::string_view names)
    {
        BusyGuard busy;
        std::vector<T*> result;
        ForEachPath(names, [&](TreeNode* node) { AddSubInserters(result, node); });
        return result;
    }

    // Appends the objects of a subtree: a node's own object, else its children's in order.
    template <class Container>
    void AddSubInserters(Container& out, TreeNode* node)
    {
        if (!node)
            return;
        if (node->m_data) {
            out.push_back(node->m_data->GetObject());
            return;
        }
        for (TreeNode* child : node->m_children)
            AddSubInserters(out, child);
    }

    // Deletes the nodes named (";"-separated paths) and every object below them.
    void DeleteInserters(std::string_view names)
    {
        BusyGuard busy;
        std::vector<T*> objects;
        ForEachPath(names, [&](TreeNode* node) {
            CollectObjects(node, objects);
            DeleteNode(node, true);
        });
        DeleteObjects(objects);
    }

    void MarkInserters(std::list<T*>& objects)
    {
        BusyGuard busy;
        for (T* object : objects)
            object->SetMarked(true);
    }

    // Deletes every marked object of the tree; a marked object still standing at a node
    // loses its node first (with events), so no node is left pointing at a deleted object.
    void DeleteMarkedInserters()
    {
        BusyGuard busy;
        std::vector<TreeNode*> nodes;
        FindMarkedNodes(&m_root, nodes);
        for (TreeNode* node : nodes)
            DeleteNode(node, true);
        DeleteObjectsIf([](T* object) { return object->IsMarked(); });
    }

    // Deletes a node and its subtree, children first (reported bottom-up); the objects stay
    // owned by the tree. With unlink the node leaves its parent, and parents that become
    // empty groups are deleted too (never the root). Without unlink the caller must be about
    // to drop the parent's child list.
    void DeleteNode(TreeNode* node, bool unlink)
    {
        if (!node || node == &m_root)
            return;
        BusyGuard busy;
        while (node) {
            TreeNode* parent = node->m_parent;
            for (TreeNode* child : node->m_children)
                DeleteNode(child, false);
            node->m_children.clear();
            node->m_index.clear();
            // Reported while still linked, so that the handler can see where the node stood.
            if (m_handler)
                m_handler->OnDeleteNode(node);
            if (unlink && parent)
                parent->RemoveChild(node);
            delete node;
            node = nullptr;
            if (unlink && parent && parent != &m_root && !parent->HasChildren() && !parent->m_data)
                node = parent;
        }
    }

    // Renames a node (one level) and the objects below it. False for the root, for a name
    // that is empty or holds ":" or ";", and when a sibling (or the node itself) has the name.
    bool RenameNode(TreeNode* node, const std::string& newName)
    {
        BusyGuard busy;
        if (!node || node == &m_root || !node->m_parent || newName.empty()
            || newName.find_first_of(":;") != std::string::npos || node->m_parent->GetChild(newName))
            return false;
        node->SetName(newName);
        RenameObjects(node);
        if (m_handler)
            m_handler->OnUpdateNode(node);
        return true;
    }

    // Moves a node with its subtree so that it stands just before target, among target's
    // siblings; the objects' names follow. False for the root, for a target inside the moved
    // subtree (the node itself included), and when target's parent is another parent that
    // already has a child of the node's name.
    bool MoveNode(TreeNode* node, TreeNode* target)
    {
        BusyGuard busy;
        if (!node || !target || node == &m_root || target == &m_root || !node->m_parent || !target->m_parent)
            return false;
        for (TreeNode* n = target; n; n = n->m_parent) {
            if (n == node)
                return false;
        }
        TreeNode* newParent = target->m_parent;
        if (newParent != node->m_parent && newParent->GetChild(node->m_name))
            return false;
        PropagateDeleteEvent(node);
        node->m_parent->RemoveChild(node);
        newParent->InsertChild(node, target);
        RenameObjects(node);
        TreeNode* previous = nullptr;
        for (TreeNode* child : newParent->m_children) {
            if (child == node)
                break;
            previous = child;
        }
        PropagateInsertEvent(node, previous);
        return true;
    }

    // Deletes every node (reported bottom-up) and every object, at once even while frees are
    // held (the project's end, not an operation's filing).
    void ClearTree()
    {
        BusyGuard busy;
        for (TreeNode* child : m_root.m_children)
            DeleteNode(child, false);
        m_root.m_children.clear();
        m_root.m_index.clear();
        for (T* object : m_objects) {
            object->m_ownerTree = nullptr;
            delete object;
        }
        m_objects.clear();
    }

    // Reports a node and its subtree as inserted, parents before children.
    void PropagateInsertEvent(TreeNode* node, TreeNode* previousSibling)
    {
        if (!m_handler || !node)
            return;
        m_handler->OnInsertNode(node, previousSibling);
        TreeNode* previous = nullptr;
        for (TreeNode* child : node->m_children) {
            PropagateInsertEvent(child, previous);
            previous = child;
        }
    }

    // Reports a node and its subtree as deleted, children before parents.
    void PropagateDeleteEvent(TreeNode* node)
    {
        if (!m_handler || !node)
            return;
        for (TreeNode* child : node->m_children)
            PropagateDeleteEvent(child);
        m_handler->OnDeleteNode(node);
    }

private:
    bool Add(T* object, bool strict)
    {
        BusyGuard busy;
        if (!object)
            return false;
        const std::string path = object->GetName();
        if (!IsValidPath(path))
            return false;
        TreeNode* exact = GetNodeByName(path, false, false);
        if (exact && exact->m_data && exact->m_data->GetObject() == object) {
            if (m_handler)
                m_handler->OnUpdateNode(exact);
            return true;
        }
        if (object->m_ownerTree)
            return false;
        TreeNode* node = strict ? exact : GetNodeByName(path, false, true);
        if (node) {
            if (!strict && m_handler && !m_handler->CanReplace(object))
                return false;
            std::vector<T*> replaced;
            CollectObjects(node, replaced);
            DeleteNode(node, true);
            DeleteObjects(replaced);
        }
        node = GetNodeByName(path, true, false);
        object->Insert(node);
        if (m_handler)
            m_handler->OnUpdateNode(node);
        m_objects.push_back(object);
        object->m_ownerTree = this;
        return true;
    }

    // Calls f with the node of every ";"-separated path that resolves (exact levels, with the
    // trailing "*" for a whole group). Each path is resolved when its turn comes, so an
    // earlier removal is seen by later paths.
    template <class F>
    void ForEachPath(std::string_view names, F&& f)
    {
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = std::min(names.find(';', start), names.size());
            if (TreeNode* node = ResolveSelection(names.substr(start, end - start)))
                f(node);
            if (end == names.size())
                return;
            start = end + 1;
        }
    }

    TreeNode* ResolveSelection(std::string_view path)
    {
        if (TreeNode* node = GetNodeByName(path, false, false))
            return node;
        constexpr std::string_view group = ":*";
        if (path.size() > group.size() && path.substr(path.size() - group.size()) == group)
            return GetNodeByName(path.substr(0, path.size() - group.size()), false, false);
        return nullptr;
    }

    // Appends every object standing in a subtree, also below other objects; an object met
    // again (at a module's parameter nodes, or through an overlapping path) is not repeated.
    void CollectObjects(TreeNode* node, std::vector<T*>& out)
    {
        std::unordered_set<T*> seen(out.begin(), out.end());
        CollectObjects(node, out, seen);
    }
    void CollectObjects(TreeNode* node, std::vector<T*>& out, std::unordered_set<T*>& seen)
    {
        if (node->m_data) {
            T* object = node->m_data->GetObject();
            if (object && seen.insert(object).second)
                out.push_back(object);
        }
        for (TreeNode* child : node->m_children)
            CollectObjects(child, out, seen);
    }

    // Gives every object in the subtree the path of the node where it stands (an object met
    // again further down, such as a module at its parameter nodes, keeps its own node's path).
    void RenameObjects(TreeNode* node)
    {
        std::unordered_set<T*> seen;
        RenameObjects(node, seen);
    }
    void RenameObjects(TreeNode* node, std::unordered_set<T*>& seen)
    {
        if (node->m_data) {
            T* object = node->m_data->GetObject();
            if (object && seen.insert(object).second)
                object->SetName(node->GetPath());
        }
        for (TreeNode* child : node->m_children)
            RenameObjects(child, seen);
    }

    // The highest nodes whose object is marked.
    void FindMarkedNodes(TreeNode* node, std::vector<TreeNode*>& out)
    {
        for (TreeNode* child : node->m_children) {
            if (child->m_data && child->m_data->GetObject() && child->m_data->GetObject()->IsMarked())
                out.push_back(child);
            else
                FindMarkedNodes(child, out);
        }
    }

    // Deletes the given objects (marking them on the way, as the bulk delete does); their
    // nodes must be gone already.
    void DeleteObjects(const std::vector<T*>& objects)
    {
        if (objects.empty())
            return;
        std::unordered_set<T*> doomed(objects.begin(), objects.end());
        for (T* object : objects)
            object->SetMarked(true);
        DeleteObjectsIf([&](T* object) { return doomed.count(object) != 0; });
    }

    template <class Pred>
    void DeleteObjectsIf(Pred&& pred)
    {
        for (auto it = m_objects.begin(); it != m_objects.end();) {
            if (pred(*it)) {
                T* object = *it;
                it = m_objects.erase(it);
                object->m_ownerTree = nullptr;
                DisposeObject(object);
            } else {
                ++it;
            }
        }
    }

    TreeNode m_root;
    std::list<T*> m_objects;
    EventHandler* m_handler = nullptr;
};

// Base of everything that can stand in a tree.
class Inserter {
public:
    using InserterTree = Tree<Inserter, TreeData<Inserter>>;

    Inserter() = default;
    virtual ~Inserter() = default;
    // A copy takes name and marked flag; it belongs to no tree.
    Inserter(const Inserter& other) : m_name(other.m_name), m_marked(other.m_marked) {}
    Inserter& operator=(const Inserter& other)
    {
        m_name = other.m_name;
        m_marked = other.m_marked;
        return *this;
    }

    // The full ":"-path in its tree.
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    bool IsMarked() const { return m_marked; }
    void SetMarked(bool marked) { m_marked = marked; }

    // Called when the payload that points to this object is destroyed with its node.
    virtual void OnDetach(TreeDataBase* data) {}
    // Placing on a node of a tree of plain inserters: attaches a payload and names the node
    // after the last level of the name. Each class adds the same for its own tree's nodes.
    virtual void Insert(InserterTree::TreeNode* node);

protected:
    // The last level of a name (the whole name when it has no ":").
    static std::string LastLevel(const std::string& name);

private:
    template <class, class> friend class Tree;
    friend void DisposeObject(Inserter* object);

    std::string m_name;
    bool m_marked = false;
    // The tree that owns the object, so that no tree takes it twice.
    const void* m_ownerTree = nullptr;
};

extern template class Tree<Inserter, TreeData<Inserter>>;

} // namespace ns_tree
