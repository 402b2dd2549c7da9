#include "core/named_object.h"

#include <gtest/gtest.h>

namespace {

// Counts its living instances.
class Counted : public NamedObject {
public:
    explicit Counted(const std::string& name)
    {
        SetName(name);
        ++alive;
    }
    ~Counted() override { --alive; }
    static inline int alive = 0;
};

} // namespace

TEST(NamedObjectList, FindsTheFirstExactName)
{
    Counted a("Weiß"), b("weiß"), c("Weiß"), empty("");
    NamedObjectList list;
    list.assign({&a, &b, &c});
    struct Row {
        const char* name;
        NamedObject* found;
    };
    const Row rows[] = {{"Weiß", &a}, {"weiß", &b}, {"WEISS", nullptr}, {"Wei", nullptr}, {"Weiß ", nullptr}, {"", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(list.GetNamedObject(row.name), row.found);
    }
    list.push_back(&empty);
    EXPECT_EQ(list.GetNamedObject(""), &empty);
}

TEST(NamedObjectList, OnlyClearNamedObjectsDeletes)
{
    {
        NamedObjectList list;
        list.push_back(new Counted("A"));
        list.push_back(new Counted("B"));
        NamedObjectList copy(list);
        EXPECT_EQ(copy.GetNamedObject("B"), list[1]);
        copy.clear();
        list.ClearNamedObjects();
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(Counted::alive, 0);
    }
    Counted kept("C");
    {
        NamedObjectList list;
        list.push_back(&kept);
    }
    EXPECT_EQ(Counted::alive, 1);
    EXPECT_EQ(kept.GetName(), "C");
}
