#pragma once
// Parameter records: ordered key/value text pairs that tell registered observers
// of every change and ask an event handler for values they do not hold.

#include <deque>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Events sent to observers; sender is the changed object, data as noted.
enum ParamEvent : int {
    kEventValueAdded = 1001,     // data: the new pair
    kEventValueRemoving = 1002,  // data: the pair, still present
    kEventValueChanged = 1003,   // data: the changed pair; derived values still cached
    kEventEntryAdded = 1021,     // data: the set's new entry
    kEventSetCleared = 1023,     // data: null
    kEventSetLoaded = 1024,      // data: null
};

class Observer {
public:
    virtual ~Observer();
    virtual void Notify(int event, const void* sender, const void* data) {}
};

// Holds observers in registration order; owns none of them, and an observer
// must outlive what it observes. Copies start without observers, and an
// assignment keeps the target's own.
class Observable {
public:
    Observable() = default;
    Observable(const Observable&) {}
    Observable& operator=(const Observable&) { return *this; }

    // Ignored for a pointer already registered (or null).
    void AddObserver(Observer* observer);
    // Forgets observer (an observer that goes away before the object it observes).
    void RemoveObserver(Observer* observer);

protected:
    ~Observable() = default;
    // Calls every observer synchronously, in registration order.
    void NotifyObservers(int event, const void* sender, const void* data) const;

private:
    std::vector<Observer*> m_observers;
};

using ParamPair = std::pair<std::string, std::string>;
// A deque keeps references to pairs valid when pairs are appended.
using ParamPairs = std::deque<ParamPair>;

class ParamContainer;

// Position of every key of a list of pairs, kept beside the list so that a lookup does not
// scan it. Short lists are scanned (cheaper than hashing, and copies stay light); the index
// is built once a list reaches kIndexFrom pairs. The first pair of a repeated key wins.
class ParamPairIndex {
public:
    static constexpr std::size_t kIndexFrom = 16;

    // Index of key in pairs (the list this index belongs to), or -1.
    int Find(const ParamPairs& pairs, const std::string& key) const;
    // After a pair was appended to pairs.
    void Appended(const ParamPairs& pairs);
    // After pairs changed otherwise (erased from, cleared).
    void Rebuild(const ParamPairs& pairs);

private:
    std::unordered_map<std::string, int> m_positions; // empty below kIndexFrom pairs
};

class ParamContainerEventHandler {
public:
    virtual ~ParamContainerEventHandler();
    // Computes the value of key for record; false when it cannot. The handler
    // may look other keys up in record (which may cache more derived values).
    virtual bool DeriveValue(const ParamContainer& record, const std::string& key, std::string& value)
    {
        return false;
    }
};

class ParamContainer : public Observable {
public:
    enum Source { kOwnValue = 0, kDerivedValue = 1, kNotFound = 2 };

    ParamContainer() = default;
    // Copies take values, derived values and the handler, never observers; no
    // event is sent.
    ParamContainer(const ParamContainer&) = default;
    ParamContainer& operator=(const ParamContainer&) = default;
    ParamContainer(ParamContainer&&) = default;
    ParamContainer& operator=(ParamContainer&&) = default;

    int Count() const { return static_cast<int>(m_values.size()); }
    // Key or value of own pair i; an empty text for i out of range.
    const std::string& KeyAt(int i) const;
    const std::string& ValueAt(int i) const;

    // Index of the first pair whose key equals key byte for byte, or -1.
    static int FindKeyIndex(const ParamPairs& pairs, const std::string& key);

    // The own pair of key, else its cached derived pair, else a pair newly
    // derived by the handler (and cached), else an empty pair. source, when
    // given, tells which. A reference stays valid while pairs are only added.
    const ParamPair& FindValue(const std::string& key, int* source = nullptr) const;

    // Number texts read in the C locale; a missing or non-numeric value is 0.
    double GetDouble(const std::string& key) const;
    double GetDoubleAt(int i) const;

    // Append a pair unless its key is an own key already (false, no event).
    bool AddValue(const ParamPair& pair);
    bool AddKeyValue(const std::string& key, const std::string& value);
    // Erases the own pair of key after telling the observers; false when absent.
    bool RemoveValue(const std::string& key);

    // Set own value i (false when out of range), tell the observers, then clear
    // the derived values. Doubles are stored as their "%g" text.
    bool SetStringAt(int i, const std::string& text);
    bool SetDoubleAt(int i, double x);
    // Own values only; false when key is not one of them.
    bool SetDouble(const std::string& key, double x);

    void ClearDerivedValues();

    ParamContainerEventHandler* GetEventHandler() const { return m_eventHandler; }
    // Not owned; null turns derivation off.
    void SetEventHandler(ParamContainerEventHandler* handler) { m_eventHandler = handler; }

private:
    ParamPairs m_values;
    ParamPairIndex m_valueIndex;
    // Filled by lookups of const records too.
    mutable ParamPairs m_derivedValues;
    mutable ParamPairIndex m_derivedIndex;
    ParamContainerEventHandler* m_eventHandler = nullptr;
};

// Base of objects that keep their parameters in params and observe them.
class ParamContainerManager : public Observer {
public:
    ParamContainerManager();
    // A copy observes its own params (copied records carry no observers).
    ParamContainerManager(const ParamContainerManager& other);
    // Assignment keeps params' own observers, this object among them.
    ParamContainerManager& operator=(const ParamContainerManager& other) = default;

    // The object's own parameters, observed by the object itself.
    ParamContainer params;
    // A full copy of the record the parameters were last taken from; not observed.
    ParamContainer record;
};
