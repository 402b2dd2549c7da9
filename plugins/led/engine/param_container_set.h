#pragma once
// ParamContainerSet: an ordered list of parameter records (for example the LEDs of an LED
// database), the keys that occur in them, a filter condition and the set file:
//
//   [BeginEntry]
//   Name = LED1
//   PeakWavelength = 0.465
//   [EndEntry]
//   <empty line>
//
// Keys hold no white space, values no line end; derived values are not written. Files are
// written with CR LF through a temporary file; the reader takes LF, CR LF and CR.
//
// Condition text: segments split at ';', each "key operator value", the value optionally in
// double quotes. Unquoted conditions compare numbers; quoted ones compare texts, where "=="
// means "contains" and "!=" "differs as a whole". An unknown operator passes.

#include "core/param_container.h"

#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

class ParamContainerSet : public Observable {
public:
    ParamContainerSet() = default;
    virtual ~ParamContainerSet() = default;

    ParamContainerSet(const ParamContainerSet&) = delete;
    ParamContainerSet& operator=(const ParamContainerSet&) = delete;

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // Entry i; an empty record for i out of range.
    ParamContainer& EntryAt(int i);
    const ParamContainer& EntryAt(int i) const;

    // Every key of the entries ever added, each once, in order of first appearance.
    const std::vector<std::string>& GetKeys() const { return m_keys; }
    // Appends key unless it is listed already.
    void AddKey(const std::string& key);

    ParamContainerEventHandler* GetEventHandler() const { return m_eventHandler; }
    // Not owned; given to every entry added from now on.
    void SetEventHandler(ParamContainerEventHandler* handler) { m_eventHandler = handler; }

    // Appends a copy of record with the set's handler, tells the observers (1021 with the
    // new entry) and lists the record's new keys.
    void AddEntry(const ParamContainer& record);
    // Tells the observers (1023), then erases every entry; the keys stay.
    void DeleteAllEntries();

    // Replaces the condition by the one in text.
    void SetCondition(const std::string& text);
    // True when record fulfils every condition (lookups may cache derived values in it).
    bool MatchesCondition(const ParamContainer& record) const;

    // Writes the set file. Refuses (writing nothing) an entry with a key that is empty, holds
    // white space or is "[EndEntry]", or a value with a line end.
    bool SaveToFile(const std::string& path) const;
    // Replaces the entries by those of the file. A file that cannot be opened or read leaves
    // the set as it was and sends no event; a good one sends 1023, 1021 per entry, 1024.
    // A word or value longer than kMaxWordBytes, and a file there is no memory for, are
    // refused with a log line.
    bool LoadFromFile(const std::string& path);
    // Far beyond any real key or value (the format allows 1023 bytes), small enough that a
    // file without line ends or blanks never takes much memory.
    static constexpr std::size_t kMaxWordBytes = 16u << 20;

    // Data tables are not supported: false and a log line.
    bool LoadFromDataTable(const std::string& dataSource, const std::string& table);
    bool SaveToDataTable(const std::string& dataSource, const std::string& table) const;

private:
    struct Condition {
        std::string key;
        std::string op;
        std::string value;
        bool quoted = false;
    };

    ParamContainerEventHandler* m_eventHandler = nullptr;
    std::deque<ParamContainer> m_entries; // a deque keeps entries in place as the set grows
    std::vector<std::string> m_keys;
    std::unordered_set<std::string> m_keySet; // the same keys, for AddKey's lookup
    ParamContainer m_emptyEntry;
    std::vector<Condition> m_condition;
};
