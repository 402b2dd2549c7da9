#include "core/param_container.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    int event;
    const void* sender;
    std::string key, value;
    bool stillPresent;   // the pair was among the record's own values then
    std::string derived; // what FindValue("Derived") gave then
    bool operator==(const Seen&) const = default;
};

// Records every event with what the observed record looked like at that moment.
class Recorder : public Observer {
public:
    explicit Recorder(const ParamContainer& record) : m_record(record) {}
    void Notify(int event, const void* sender, const void* data) override
    {
        const auto* pair = static_cast<const ParamPair*>(data);
        bool present = false;
        for (int i = 0; i < m_record.Count(); ++i)
            present = present || &m_record.KeyAt(i) == &pair->first;
        seen.push_back({event, sender, pair->first, pair->second, present, m_record.FindValue("Derived").second});
    }
    std::vector<Seen> seen;

private:
    const ParamContainer& m_record;
};

// "Derived" is twice "Base"; "Chain<n>" is "Chain<n-1>" + 1 down to "Chain0" = 0.
class Deriver : public ParamContainerEventHandler {
public:
    bool DeriveValue(const ParamContainer& record, const std::string& key, std::string& value) override
    {
        ++calls;
        if (key == "Derived") {
            value = std::to_string(2 * static_cast<int>(record.GetDouble("Base")));
            return true;
        }
        if (key.rfind("Chain", 0) == 0) {
            const int n = std::stoi(key.substr(5));
            const int prev = n == 0 ? -1 : std::stoi(record.FindValue("Chain" + std::to_string(n - 1)).second);
            value = std::to_string(prev + 1);
            return true;
        }
        return false;
    }
    int calls = 0;
};

class ParamContainerTest : public testing::Test {
protected:
    ParamContainerTest()
    {
        rec.SetEventHandler(&deriver);
        rec.AddObserver(&first);
        rec.AddObserver(&second);
        rec.AddObserver(&first); // registered once only
        rec.AddObserver(nullptr);
    }
    Deriver deriver;
    ParamContainer rec;
    Recorder first{rec}, second{rec};
};

TEST_F(ParamContainerTest, AddAndRemoveTellEveryObserverOnce)
{
    EXPECT_TRUE(rec.AddKeyValue("Base", "21"));
    EXPECT_TRUE(rec.AddValue({"Name", "LED1"}));
    EXPECT_FALSE(rec.AddKeyValue("Name", "other")); // no event, old value kept
    EXPECT_EQ(rec.ValueAt(1), "LED1");
    EXPECT_TRUE(rec.RemoveValue("Base"));
    EXPECT_FALSE(rec.RemoveValue("Base"));

    // 1002 comes while the pair is still there.
    const std::vector<Seen> expected{
        {kEventValueAdded, &rec, "Base", "21", true, "42"},
        {kEventValueAdded, &rec, "Name", "LED1", true, "42"},
        {kEventValueRemoving, &rec, "Base", "21", true, "42"},
    };
    EXPECT_EQ(first.seen, expected);
    EXPECT_EQ(second.seen, expected);
    EXPECT_EQ(rec.Count(), 1);
    EXPECT_EQ(rec.KeyAt(0), "Name");
}

TEST_F(ParamContainerTest, SettersTellObserversBeforeTheDerivedValuesGo)
{
    rec.AddKeyValue("Base", "1"); // the observers' lookups cache Derived = 2
    first.seen.clear();

    EXPECT_TRUE(rec.SetStringAt(0, "5"));
    EXPECT_EQ(rec.FindValue("Derived").second, "10");
    EXPECT_TRUE(rec.SetDouble("Base", 0.4655));
    EXPECT_EQ(rec.ValueAt(0), "0.4655");
    EXPECT_TRUE(rec.SetDoubleAt(0, 0.1 + 0.2));
    EXPECT_EQ(rec.ValueAt(0), "0.3");
    // Observers of 1003 see the new value and still the derived value cached
    // before the change (none after the second change: they derive it anew).
    const std::vector<Seen> expected{
        {kEventValueChanged, &rec, "Base", "5", true, "2"},
        {kEventValueChanged, &rec, "Base", "0.4655", true, "10"},
        {kEventValueChanged, &rec, "Base", "0.3", true, "0"},
    };
    EXPECT_EQ(first.seen, expected);
    rec.SetDoubleAt(0, 7);
    EXPECT_EQ(rec.FindValue("Derived").second, "14");

    // Out of range, or a key that is only derived: false, nothing sent or changed.
    first.seen.clear();
    EXPECT_FALSE(rec.SetStringAt(-1, "x"));
    EXPECT_FALSE(rec.SetDoubleAt(1, 1.0));
    EXPECT_FALSE(rec.SetDouble("Derived", 3.0));
    EXPECT_EQ(rec.Count(), 1);
    EXPECT_TRUE(first.seen.empty());
}

TEST_F(ParamContainerTest, FindValueSearchesOwnThenCachedThenHandler)
{
    int source = -1;
    rec.AddKeyValue("Base", "3");
    rec.ClearDerivedValues();
    const int before = deriver.calls;
    EXPECT_EQ(rec.FindValue("Derived", &source).second, "6");
    EXPECT_EQ(source, ParamContainer::kDerivedValue);
    EXPECT_EQ(rec.FindValue("Derived", &source).second, "6");
    EXPECT_EQ(deriver.calls, before + 1); // cached

    // Adding or removing own pairs keeps the cache; an own pair hides a cached one.
    rec.AddKeyValue("Derived", "own");
    EXPECT_EQ(rec.FindValue("Derived", &source).second, "own");
    EXPECT_EQ(source, ParamContainer::kOwnValue);
    rec.RemoveValue("Derived");
    EXPECT_EQ(rec.FindValue("Derived").second, "6");
    EXPECT_EQ(deriver.calls, before + 1);

    // Nothing cached for a failed derivation: the handler is asked every time.
    const ParamPair& missing = rec.FindValue("Unknown", &source);
    EXPECT_EQ(source, ParamContainer::kNotFound);
    EXPECT_EQ(missing, ParamPair());
    rec.FindValue("Unknown");
    EXPECT_EQ(deriver.calls, before + 3);

    rec.SetEventHandler(nullptr);
    rec.ClearDerivedValues();
    EXPECT_EQ(rec.FindValue("Derived", &source), ParamPair());
    EXPECT_EQ(source, ParamContainer::kNotFound);
}

TEST_F(ParamContainerTest, DerivedReferencesSurviveFurtherDerivations)
{
    // Chain50 derives (and caches) Chain49 .. Chain0 inside its own derivation.
    const ParamPair& early = rec.FindValue("Chain0");
    const ParamPair& late = rec.FindValue("Chain50");
    EXPECT_EQ(late, ParamPair("Chain50", "50"));
    EXPECT_EQ(early, ParamPair("Chain0", "0"));
    EXPECT_EQ(deriver.calls, 51);
}

TEST_F(ParamContainerTest, IndexAndNumberAccessors)
{
    rec.AddKeyValue("A", "1.5e3");
    rec.AddKeyValue("B", "kein");
    rec.AddKeyValue("C", " -2.25xyz");
    EXPECT_EQ(rec.KeyAt(-1), "");
    EXPECT_EQ(rec.ValueAt(rec.Count()), "");
    EXPECT_EQ(rec.GetDouble("A"), 1500.0);
    EXPECT_EQ(rec.GetDouble("B"), 0.0);
    EXPECT_EQ(rec.GetDouble("Missing"), 0.0);
    EXPECT_EQ(rec.GetDoubleAt(2), -2.25);
    EXPECT_EQ(rec.GetDoubleAt(3), 0.0);
    EXPECT_EQ(ParamContainer::FindKeyIndex({{"a", ""}, {"A", ""}}, "A"), 1);
    EXPECT_EQ(ParamContainer::FindKeyIndex({{"A ", ""}}, "A"), -1);
}

TEST_F(ParamContainerTest, CopiesTakeValuesAndHandlerButNoObservers)
{
    rec.AddKeyValue("Base", "4");
    rec.FindValue("Derived");
    const std::size_t eventsBefore = first.seen.size();

    ParamContainer copy(rec);
    EXPECT_EQ(copy.GetEventHandler(), &deriver);
    EXPECT_EQ(copy.ValueAt(0), "4");
    copy.AddKeyValue("Extra", "1");
    copy.SetStringAt(0, "9");
    int source = -1;
    EXPECT_EQ(copy.FindValue("Derived", &source).second, "18");
    EXPECT_EQ(first.seen.size(), eventsBefore);

    // Assignment keeps the target's own observers and sends nothing.
    ParamContainer target;
    Recorder watcher(target);
    target.AddObserver(&watcher);
    target = rec;
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(target.FindValue("Derived", &source).second, "8");
    EXPECT_EQ(source, ParamContainer::kDerivedValue); // the cache came along
    target.SetStringAt(0, "1");
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].sender, &target);
    EXPECT_EQ(first.seen.size(), eventsBefore);
}

// Records of every size, below and well past the point where lookups stop scanning: each
// lookup, setter, removal, copy and derived value must find the same pair a scan would.
TEST(ParamContainerLarge, LookupsMatchTheOrderedPairsAtEverySize)
{
    for (const int size : {3, 15, 16, 17, 40, 1000}) {
        SCOPED_TRACE(size);
        Deriver deriver;
        ParamContainer rec;
        rec.SetEventHandler(&deriver);
        for (int i = 0; i < size; ++i)
            ASSERT_TRUE(rec.AddKeyValue("K" + std::to_string(i), std::to_string(i)));
        EXPECT_FALSE(rec.AddKeyValue("K0", "again"));
        EXPECT_FALSE(rec.AddKeyValue("K" + std::to_string(size - 1), "again"));
        ASSERT_EQ(rec.Count(), size);

        // Remove every third key (first, middle and last among them); the rest keep order.
        std::vector<std::string> kept;
        for (int i = 0; i < size; ++i) {
            const std::string key = "K" + std::to_string(i);
            if (i % 3 == 0 || i == size - 1)
                EXPECT_TRUE(rec.RemoveValue(key));
            else
                kept.push_back(key);
        }
        EXPECT_FALSE(rec.RemoveValue("K0"));
        ASSERT_EQ(rec.Count(), static_cast<int>(kept.size()));
        for (int i = 0; i < rec.Count(); ++i)
            EXPECT_EQ(rec.KeyAt(i), kept[static_cast<std::size_t>(i)]);
        // A removed key can come back, at the end.
        EXPECT_TRUE(rec.AddKeyValue("K0", "back"));
        EXPECT_EQ(rec.KeyAt(rec.Count() - 1), "K0");

        ParamContainer copy(rec);
        for (ParamContainer* r : {&rec, &copy}) {
            int source = -1;
            for (int i = 0; i < r->Count(); ++i) {
                const ParamPair& pair = r->FindValue(r->KeyAt(i), &source);
                EXPECT_EQ(&pair.first, &r->KeyAt(i)); // the own pair itself, not a copy
                EXPECT_EQ(source, ParamContainer::kOwnValue);
            }
            EXPECT_TRUE(r->SetDouble("K0", 2.5));
            EXPECT_EQ(r->ValueAt(r->Count() - 1), "2.5");
            EXPECT_FALSE(r->SetDouble("K3", 1.0)); // removed
            // Many derived values, each derived once and then found in the cache.
            EXPECT_EQ(r->FindValue("Chain60").second, "60");
            const int calls = deriver.calls;
            for (int n = 0; n <= 60; ++n)
                EXPECT_EQ(r->FindValue("Chain" + std::to_string(n), &source).second, std::to_string(n));
            EXPECT_EQ(source, ParamContainer::kDerivedValue);
            EXPECT_EQ(deriver.calls, calls);
            r->ClearDerivedValues();
            EXPECT_EQ(r->FindValue("Chain60").second, "60");
            EXPECT_EQ(deriver.calls, calls + 61);
        }
        ParamContainer moved(std::move(copy));
        EXPECT_EQ(moved.FindValue("K0").second, "2.5");
    }
}

// A manager that records the events of its own parameters.
class Model : public ParamContainerManager {
public:
    void Notify(int event, const void* sender, const void* data) override
    {
        events.push_back({event, sender == &params});
    }
    std::vector<std::pair<int, bool>> events;
};

TEST(ParamContainerManager, CopiesObserveTheirOwnParams)
{
    Model original;
    original.params.AddKeyValue("P", "1");
    original.record.AddKeyValue("R", "1"); // not observed

    Model copy(original);
    copy.events.clear();
    copy.params.SetStringAt(0, "2");
    original.params.RemoveValue("P");
    EXPECT_EQ(copy.events, (std::vector<std::pair<int, bool>>{{kEventValueChanged, true}}));
    EXPECT_EQ(original.events,
        (std::vector<std::pair<int, bool>>{{kEventValueAdded, true}, {kEventValueRemoving, true}}));
    EXPECT_EQ(copy.record.ValueAt(0), "1");

    // Assignment keeps the target observing its own params.
    Model assigned;
    assigned = copy;
    assigned.events.clear();
    assigned.params.SetStringAt(0, "3");
    EXPECT_EQ(assigned.events, (std::vector<std::pair<int, bool>>{{kEventValueChanged, true}}));
    EXPECT_EQ(copy.events.size(), 1u);
    EXPECT_EQ(copy.params.ValueAt(0), "2");
}

} // namespace
