#include "file_test_support.h"

#include "core/number_text.h"
#include "engine/param_container_set.h"

#include <gtest/gtest.h>


namespace {

using PairList = std::vector<ParamPair>;

ParamContainer MakeRecord(const PairList& pairs)
{
    ParamContainer r;
    for (const auto& p : pairs)
        r.AddValue(p);
    return r;
}

PairList PairsOf(const ParamContainer& r)
{
    PairList out;
    for (int i = 0; i < r.Count(); ++i)
        out.emplace_back(r.KeyAt(i), r.ValueAt(i));
    return out;
}

std::vector<PairList> EntriesOf(const ParamContainerSet& set)
{
    std::vector<PairList> out;
    for (int i = 0; i < set.EntryCount(); ++i)
        out.push_back(PairsOf(set.EntryAt(i)));
    return out;
}

// Records every event with what the set held at that moment.
struct EventLog : Observer {
    void Notify(int event, const void* sender, const void* data) override
    {
        events.push_back(event);
        if (event == kEventEntryAdded)
            added.push_back(static_cast<const ParamContainer*>(data));
    }
    std::vector<int> events;
    std::vector<const ParamContainer*> added;
};

// Derives "Double" as twice "Value".
struct Doubler : ParamContainerEventHandler {
    bool DeriveValue(const ParamContainer& record, const std::string& key, std::string& value) override
    {
        if (key != "Double")
            return false;
        value = number_text::FormatG(2 * record.GetDouble("Value"));
        return true;
    }
};

// ---------------------------------------------------------------------------------------------
// Writing

TEST(ParamSetFile, WritesBlocksWithCrLf)
{
    TempFolder dir;
    Doubler doubler;
    ParamContainerSet set;
    set.SetEventHandler(&doubler);
    set.AddEntry(MakeRecord({{"Name", "LED1"}, {"Value", "0.465"}}));
    set.AddEntry(MakeRecord({}));
    std::string derived = set.EntryAt(0).FindValue("Double").second; // cached, but not written
    EXPECT_EQ(derived, "0.93");
    ASSERT_TRUE(set.SaveToFile(dir.file("set.txt")));
    EXPECT_EQ(ReadFile(dir.file("set.txt")),
              "[BeginEntry]\r\nName = LED1\r\nValue = 0.465\r\n[EndEntry]\r\n\r\n"
              "[BeginEntry]\r\n[EndEntry]\r\n\r\n");

    ParamContainerSet empty;
    ASSERT_TRUE(empty.SaveToFile(dir.file("empty.txt")));
    EXPECT_EQ(ReadFile(dir.file("empty.txt")), "");
}

TEST(ParamSetFile, RefusesWhatCouldNotBeReadBack)
{
    TempFolder dir;
    const struct {
        const char* name;
        PairList pairs;
    } cases[] = {
        {"key with a blank", {{"Peak Wavelength", "1"}}},
        {"key with a tab", {{"Peak\tWavelength", "1"}}},
        {"empty key", {{"", "1"}}},
        {"end marker as key", {{"[EndEntry]", "1"}}},
        {"value with LF", {{"Name", "a\nb"}}},
        {"value with CR", {{"Name", "a\rb"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.file("old.txt"), "old content");
        ParamContainerSet set;
        set.AddEntry(MakeRecord({{"Name", "fine"}}));
        set.AddEntry(MakeRecord(c.pairs));
        EXPECT_FALSE(set.SaveToFile(dir.file("old.txt")));
        EXPECT_EQ(ReadFile(dir.file("old.txt")), "old content");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temporary left
}

TEST(ParamSetFile, RefusedSaveLogsTheEntryAsTyped)
{
    TempFolder dir;
    const struct {
        const char* name;
        PairList pairs;
        const char* entry; // as the line names it
    } cases[] = {
        {"key with a blank and per cent signs", {{"Anteil 100% %s", "1"}}, "Anteil 100% %s"},
        {"value with a line end", {{"Notiz%d", "50%\n%n"}}, "Notiz%d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParamContainerSet set;
        set.AddEntry(MakeRecord({{"Name", "fine"}}));
        set.AddEntry(MakeRecord(c.pairs));
        LogScope log;
        EXPECT_FALSE(set.SaveToFile(dir.file("set.txt")));
        EXPECT_EQ(log.Take(), (Lines{"Speichere Daten...", "Schreibe Datei...",
                                     std::string("Fehler: Ungültiger Eintrag '") + c.entry +
                                         "' - Datei nicht gespeichert."}));
    }
}

TEST(ParamSetFile, UnwritableTarget)
{
    ParamContainerSet set;
    LogScope log;
    EXPECT_FALSE(set.SaveToFile("/nonexistent-folder/100%s.txt"));
    EXPECT_EQ(log.Take(), (Lines{"Speichere Daten...", "Schreibe Datei...",
                                 "Datei konnte nicht zum Schreiben geöffnet werden: '/nonexistent-folder/100%s.txt'"}));
    EXPECT_FALSE(set.SaveToFile(""));
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(ParamSetFile, ReadsTheFormatAndItsOddities)
{
    const std::string longValue(1 << 20, 'v');
    const std::string longKey(5000, 'k');
    const struct {
        const char* name;
        std::string text;
        bool ok;
        std::vector<PairList> entries;
    } cases[] = {
        {"empty file", "", true, {}},
        {"empty block", "[BeginEntry]\n[EndEntry]\n", true, {{}}},
        {"stray words between blocks", "hello\n[BeginEntry]\nA = 1\n[EndEntry]\nworld [beginentry]\n", true,
         {{{"A", "1"}}}},
        {"value blanks: leading dropped, inner and trailing kept", "[BeginEntry]\nName =   LED  1  \n[EndEntry]", true,
         {{{"Name", "LED  1  "}}}},
        {"empty value before the next line", "[BeginEntry]\nCompany =\nName = X\n[EndEntry]\n", true,
         {{{"Company", ""}, {"Name", "X"}}}},
        {"repeated key keeps its first value", "[BeginEntry]\nA = 1\nA = 2\n[EndEntry]\n", true, {{{"A", "1"}}}},
        {"CR LF", "[BeginEntry]\r\nA = 1\r\nB = 2\r\n[EndEntry]\r\n\r\n", true, {{{"A", "1"}, {"B", "2"}}}},
        {"CR only", "[BeginEntry]\rA = 1\rB = 2\r[EndEntry]\r", true, {{{"A", "1"}, {"B", "2"}}}},
        {"mixed line ends", "[BeginEntry]\r\nA = 1\nB = 2\r[EndEntry]\n\r\n[BeginEntry]\r[EndEntry]", true,
         {{{"A", "1"}, {"B", "2"}}, {}}},
        {"no blanks around =", "[BeginEntry]\nName=LED1\n[EndEntry]\n", false, {}},
        {"end of file inside a block", "[BeginEntry]\nA = 1\nB = 2\n", false, {}},
        {"end of file after a key", "[BeginEntry]\nA", false, {}},
        {"failure in a later block", "[BeginEntry]\nA = 1\n[EndEntry]\n[BeginEntry]\nB 2\n[EndEntry]\n", false, {}},
        {"binary", std::string("\x7f" "ELF\0\0\x01\x02[BeginEntry]", 16), false, {}},
        {"zero byte in a value", std::string("[BeginEntry]\nA = 1\0 2\n[EndEntry]\n", 32), false, {}},
        {"1 MB value and 5000-byte key",
         "[BeginEntry]\n" + longKey + " = " + longValue + "\n[EndEntry]\n", true, {{{longKey, longValue}}}},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.file("in.txt"), c.text);
        ParamContainerSet set;
        EXPECT_EQ(set.LoadFromFile(dir.file("in.txt")), c.ok);
        EXPECT_EQ(EntriesOf(set), c.entries);
    }
}

// A word or value beyond the limit is no parameter set, however it goes on: the file is
// refused with a log line, without holding the whole word in memory.
TEST(ParamSetFile, RefusesWordsBeyondTheLimit)
{
    const std::size_t limit = ParamContainerSet::kMaxWordBytes;
    const std::string atLimit(limit, 'v');
    const struct {
        const char* name;
        std::string text;  // written as it stands
        std::size_t zeros; // or a sparse file of so many zero bytes
        bool ok;
    } cases[] = {
        {"value at the limit", "[BeginEntry]\nA = " + atLimit + "\n[EndEntry]\n", 0, true},
        {"value beyond the limit", "[BeginEntry]\nA = " + atLimit + "v\n[EndEntry]\n", 0, false},
        {"key beyond the limit", "[BeginEntry]\n" + atLimit + "k = 1\n[EndEntry]\n", 0, false},
        {"word between blocks beyond the limit", atLimit + "x\n[BeginEntry]\nA = 1\n[EndEntry]\n", 0, false},
        {"word at the end of the file beyond the limit", "[BeginEntry]\nA = 1\n[EndEntry]\n" + atLimit + "x", 0, false},
        {"64 MB of zero bytes", "", 4 * limit, false},
    };
    TempFolder dir;
    const std::string file = dir.file("in.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file, c.text);
        if (c.zeros)
            std::filesystem::resize_file(file, c.zeros);
        ParamContainerSet set;
        set.AddEntry(MakeRecord({{"Name", "Alt"}}));
        LogScope log;
        EXPECT_EQ(set.LoadFromFile(file), c.ok);
        const Lines lines = log.Take();
        if (c.ok) {
            EXPECT_EQ(set.EntryCount(), 1);
            EXPECT_EQ(set.EntryAt(0).FindValue("A").second.size(), limit);
        } else {
            EXPECT_EQ(EntriesOf(set), (std::vector<PairList>{{{"Name", "Alt"}}}));
            EXPECT_EQ(lines, (Lines{"Lade Daten...", "Lese Datei ein...",
                                    "Fehler: Die Datei '" + file + "' ist keine Parameterdatei (ein Wort ist länger als 16 MB)."}));
        }
    }
}

TEST(ParamSetFile, RoundTrip)
{
    TempFolder dir;
    ParamContainerSet set;
    set.AddEntry(MakeRecord({{"Name", "LED 1 (rot)"}, {"PeakWavelength", "0.63"}, {"Company", ""}}));
    set.AddEntry(MakeRecord({{"Name", "Ünïcödé"}, {"Note", "a = b; c == \"d\"  "}}));
    ASSERT_TRUE(set.SaveToFile(dir.file("set.txt")));
    ParamContainerSet back;
    ASSERT_TRUE(back.LoadFromFile(dir.file("set.txt")));
    EXPECT_EQ(EntriesOf(back), EntriesOf(set));
    EXPECT_EQ(back.GetKeys(), set.GetKeys());
}

// Entries with many keys, repeated keys among them, and keys spread over many entries: the
// first value of a repeated key wins, and the key list keeps the order of first appearance.
TEST(ParamSetFile, LargeEntriesKeepOrderAndFirstValues)
{
    TempFolder dir;
    std::string text;
    PairList wide;
    text += "[BeginEntry]\n";
    for (int i = 0; i < 300; ++i) {
        const std::string key = "W" + std::to_string(i % 200); // keys 0..99 come twice
        text += key + " = " + std::to_string(i) + "\n";
        if (i < 200)
            wide.emplace_back(key, std::to_string(i));
    }
    text += "[EndEntry]\n";
    std::vector<std::string> keys;
    for (const auto& p : wide)
        keys.push_back(p.first);
    for (int e = 0; e < 50; ++e) {
        text += "[BeginEntry]\nW0 = x\nE" + std::to_string(e) + " = " + std::to_string(e) + "\n[EndEntry]\n";
        keys.push_back("E" + std::to_string(e));
    }
    WriteFile(dir.file("wide.txt"), text);

    ParamContainerSet set;
    ASSERT_TRUE(set.LoadFromFile(dir.file("wide.txt")));
    ASSERT_EQ(set.EntryCount(), 51);
    EXPECT_EQ(PairsOf(set.EntryAt(0)), wide);
    EXPECT_EQ(set.EntryAt(0).FindValue("W150").second, "150");
    EXPECT_EQ(set.EntryAt(50).FindValue("E49").second, "49");
    EXPECT_EQ(set.GetKeys(), keys);

    ASSERT_TRUE(set.SaveToFile(dir.file("back.txt")));
    ParamContainerSet back;
    ASSERT_TRUE(back.LoadFromFile(dir.file("back.txt")));
    EXPECT_EQ(EntriesOf(back), EntriesOf(set));
    EXPECT_EQ(back.GetKeys(), keys);
}

class ParamSetLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        set.AddEntry(MakeRecord({{"Name", "Old1"}, {"OldKey", "x"}}));
        set.AddEntry(MakeRecord({{"Name", "Old2"}}));
        set.AddObserver(&log);
    }
    TempFolder dir;
    ParamContainerSet set;
    EventLog log;
};

TEST_F(ParamSetLoad, FailedLoadKeepsTheSet)
{
    const std::vector<PairList> before = EntriesOf(set);
    WriteFile(dir.file("bad.txt"), "[BeginEntry]\nName = New\nBroken\n[EndEntry]\n");
    const Lines reading = {"Lade Daten...", "Lese Datei ein..."};
    LogScope lines;
    const std::string missing = dir.file("fehlt 100%s.txt");
    EXPECT_FALSE(set.LoadFromFile(missing));
    EXPECT_EQ(lines.Take(), (Lines{reading[0], reading[1], "Datei konnte nicht geöffnet werden: '" + missing + "'"}));
    EXPECT_FALSE(set.LoadFromFile(dir.file("bad.txt")));
    EXPECT_EQ(lines.Take(), reading); // a syntax error has no line of its own; nothing was deleted
    EXPECT_FALSE(set.LoadFromFile(dir.path())); // a folder
    EXPECT_EQ(lines.Take(), (Lines{reading[0], reading[1], "Datei konnte nicht geöffnet werden: '" + dir.path() + "'"}));
    EXPECT_EQ(EntriesOf(set), before);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(set.GetKeys(), (std::vector<std::string>{"Name", "OldKey"}));
}

TEST_F(ParamSetLoad, GoodLoadReplacesEntriesAndExtendsKeys)
{
    Doubler doubler;
    set.SetEventHandler(&doubler);
    WriteFile(dir.file("good.txt"), "[BeginEntry]\nValue = 2\nNew = 1\n[EndEntry]\n[BeginEntry]\nName = B\n[EndEntry]\n");
    LogScope lines;
    ASSERT_TRUE(set.LoadFromFile(dir.file("good.txt")));
    EXPECT_EQ(lines.Take(), (Lines{"Lade Daten...", "Lese Datei ein...", "Lösche alte Einträge..."}));
    EXPECT_EQ(log.events, (std::vector<int>{kEventSetCleared, kEventEntryAdded, kEventEntryAdded, kEventSetLoaded}));
    ASSERT_EQ(log.added.size(), 2u);
    EXPECT_EQ(log.added[0], &set.EntryAt(0)); // the set's own copy
    EXPECT_EQ(log.added[1], &set.EntryAt(1));
    EXPECT_EQ(EntriesOf(set), (std::vector<PairList>{{{"Value", "2"}, {"New", "1"}}, {{"Name", "B"}}}));
    EXPECT_EQ(set.GetKeys(), (std::vector<std::string>{"Name", "OldKey", "Value", "New"}));
    EXPECT_EQ(set.EntryAt(0).FindValue("Double").second, "4"); // entries got the set's handler
}

TEST(ParamSet, EntriesAndKeys)
{
    Doubler doubler;
    ParamContainerSet set;
    EXPECT_EQ(set.EntryAt(0).Count(), 0);
    set.EntryAt(-1).AddKeyValue("scribble", "1"); // what a caller writes into the empty entry does not stay
    EXPECT_EQ(set.EntryAt(5).Count(), 0);

    set.SetEventHandler(&doubler);
    ParamContainer r = MakeRecord({{"Value", "1.5"}, {"B", ""}});
    set.AddEntry(r);
    EXPECT_EQ(r.GetEventHandler(), nullptr); // the set's copy gets the handler, not the original
    EXPECT_EQ(set.EntryAt(0).GetEventHandler(), &doubler);
    set.AddKey("A");
    set.AddKey("B");
    EXPECT_EQ(set.GetKeys(), (std::vector<std::string>{"Value", "B", "A"}));

    EventLog log;
    set.AddObserver(&log);
    set.DeleteAllEntries();
    EXPECT_EQ(log.events, std::vector<int>{kEventSetCleared});
    EXPECT_EQ(set.EntryCount(), 0);
    EXPECT_EQ(set.GetKeys().size(), 3u);
}

TEST(ParamSet, DataTablesAreNotSupported)
{
    ParamContainerSet set;
    set.AddEntry(MakeRecord({{"Name", "x"}}));
    const Lines refused = {"Fehler: ODBC-Datentabellen werden nicht unterstützt."};
    LogScope log;
    EXPECT_FALSE(set.SaveToDataTable("Quelle", "Tabelle"));
    EXPECT_EQ(log.Take(), refused);
    EXPECT_FALSE(set.LoadFromDataTable("Quelle", "Tabelle"));
    EXPECT_EQ(log.Take(), refused);
    EXPECT_EQ(set.EntryCount(), 1);
}

// ---------------------------------------------------------------------------------------------
// Conditions

TEST(ParamSetCondition, Table)
{
    Doubler doubler;
    const ParamContainer led1 = [&] {
        ParamContainer r = MakeRecord({{"Name", "LED1"}, {"Company", "Acme Lights"}, {"Value", "0.47"}, {"Empty", ""}});
        r.SetEventHandler(&doubler);
        return r;
    }();
    const ParamContainer unnamed = MakeRecord({{"Name", ""}, {"Value", "12"}});
    const struct {
        const char* condition;
        bool led1, unnamed;
    } cases[] = {
        {"", true, true},
        {"  ;; \t;\n", true, true},
        {"Value >= 0.45; Value < 0.5", true, false},
        {"Value > 0.5", false, true},
        {"Missing > 0.5", false, false},                  // a missing key reads 0
        {"Missing == 0", true, true},
        {"Double == 0.94", true, false},                  // derived through the handler
        {"Name == LED1", true, true},                     // unquoted: numbers, both sides 0
        {"Name == \"LED\"", true, false},                 // quoted ==: containment
        {"Name != \"LED\"", true, true},                  // quoted !=: whole text
        {"Name == \"\"", true, true},                     // the empty text is contained in all
        {"Name != \"\"", true, false},
        {"Company == \"Acme Lights\"", true, false},      // blanks inside quotes
        {"Company == \"Acme Lights", true, false},        // unclosed quote runs to the segment end
        {"Company == \"Acme; Lights\"", true, false},     // the ";" in quotes splits: "Acme" contained
        {"Name > \"LED\"", true, false},                  // a prefix is smaller
        {"Name <= \"LED1\"", true, true},
        {"Name < \"\xC3\x84\"", true, true},              // bytes compare unsigned
        {"Value = 5", true, true},                        // unknown operator: no test
        {"Name==LED1", true, true},                       // one key, no operator
        {"Value > 0.5 trailing words", false, true},
        {"Name == \"LED1\";\r\nValue > 100", true, false},// a CR after ';' is a key of its own
        {"Value\t>=\n0.47", true, true},
        {"Value != 0.47", false, true},
        {"Empty != \"\"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        ParamContainerSet set;
        set.SetCondition(c.condition);
        EXPECT_EQ(set.MatchesCondition(led1), c.led1);
        EXPECT_EQ(set.MatchesCondition(unnamed), c.unnamed);
    }
}

TEST(ParamSetCondition, LongConditionReadWhole)
{
    const std::string value(5000, 'x');
    ParamContainerSet set;
    set.SetCondition("Name == \"" + value + "\"");
    EXPECT_TRUE(set.MatchesCondition(MakeRecord({{"Name", "<" + value + ">"}})));
    EXPECT_FALSE(set.MatchesCondition(MakeRecord({{"Name", value.substr(1)}})));
}

} // namespace
