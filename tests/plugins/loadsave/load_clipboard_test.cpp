// The clipboard-data loaders: separated, blank-separated and Meta text, and the program's own
// clipboard text.
#include "load_clip_ascii_module.h"
#include "load_ovclp_module.h"
#include "loadsave_test_support.h"

#include <gtest/gtest.h>

using namespace loadsave_test;

namespace {

using Objects = std::vector<std::string>;

struct Options {
    std::string separator = ";";
    std::string baseName{};
    std::string preName{};
};

struct Loaded {
    bool ok;
    Objects objects;
    std::vector<std::string> log;
};

template <class M>
Loaded Load(const char* menuPath, const std::string& content, const Options& options)
{
    test_support::TempDir dir;
    const std::string path = dir.file("Messung!LED?rot.txt");
    WriteBytes(path, content);
    RecordingHost host;
    auto& loader = AddModule<M>(host, menuPath);
    ns_param::Paramora& p = loader.getParameters();
    p.setStringParameter("Trennzeichen", options.separator);
    p.setStringParameter("ObjBaseName", options.baseName);
    p.setStringParameter("PreName", options.preName);
    const bool ok = loader.LoadFile(path, "Ziel wird nicht verwendet");
    return {ok, ClipboardObjects(host), Log(host)};
}

Loaded LoadClipAscii(const std::string& content, const Options& options = {})
{
    return Load<LoadClipASCIIModule>(kLoadClipAsciiPath, content, options);
}

Loaded LoadOwnClip(const std::string& content, const Options& options = {})
{
    return Load<LoadOVClpModule>(kLoadOwnClipPath, content, options);
}

// The description of an object with the loaders' "ClpRefs" and "ClpValues".
std::string Record(const std::string& name, const std::string& values, const std::string& refs)
{
    return name + " ClpRefs:a=" + refs + " ClpValues:a=" + values;
}

// A file that loads without a log line into the listed objects.
struct LoadRow {
    const char* name;
    std::string file;
    Options options;
    Objects objects;
};

template <std::size_t N>
void ExpectLoads(const LoadRow (&rows)[N], Loaded (*load)(const std::string&, const Options&) = LoadClipAscii)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded loaded = load(row.file, row.options);
        EXPECT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.objects, row.objects);
        EXPECT_TRUE(loaded.log.empty());
    }
}

} // namespace

TEST(LoadClipAscii, SeparatedRecords)
{
    const LoadRow rows[] = {
        {"names and German decimals", "Probe1;1,5;2,5\r\nProbe2;3;4\r\n", {},
         Objects{Record("rot:Probe1", "1.5 2.5 ", "1 1 "), Record("rot:Probe2", "3 4 ", "1 1 ")}},
        {"a number first: no names, generated ones", "1;2;3\r\n4;5;6\r\n", {},
         Objects{Record("rot:ClpObj0", "1 2 3 ", "1 1 1 "), Record("rot:ClpObj1", "4 5 6 ", "1 1 1 ")}},
        {"ObjBaseName without blanks", "1;2\r\n3;4\r\n", {.baseName = " Pro be "},
         Objects{Record("rot:Probe0", "1 2 ", "1 1 "), Record("rot:Probe1", "3 4 ", "1 1 ")}},
        {"ObjBaseName replaces names from the file", "A;1\r\nB;2\r\n", {.baseName = "Satz"},
         Objects{Record("rot:Satz0", "1 ", "1 "), Record("rot:Satz1", "2 ", "1 ")}},
        {"a first line without marks keeps the decimals of later lines", "P;1;2\r\nQ;2.7\r\n", {},
         Objects{Record("rot:P", "1 2 ", "1 1 "), Record("rot:Q", "2.7 ", "1 ")}},
        {"value rows after a first line without marks keep their decimals", "1;2\r\n3.5;-0.25\r\n", {},
         Objects{Record("rot:ClpObj0", "1 2 ", "1 1 "), Record("rot:ClpObj1", "3.5 -0.25 ", "1 1 ")}},
        {"a first field 0.25 is a name: its whole number is 0", "0.25;1\r\n0.5;2\r\n", {},
         Objects{Record("rot:0.25", "1 ", "1 "), Record("rot:0.5", "2 ", "1 ")}},
        {"3Probe reads as 3: a value row", "3Probe;1\r\n", {}, Objects{Record("rot:ClpObj0", "3 1 ", "1 1 ")}},
        {"an empty name is generated", ";1;2\r\n;3\r\n", {},
         Objects{Record("rot:ClpObj0", "1 2 ", "1 1 "), Record("rot:ClpObj1", "3 ", "1 ")}},
        {"a line with a name alone adds an object without values", "A;1\r\nB\r\n", {},
         Objects{Record("rot:A", "1 ", "1 "), "rot:B"}},
        {"blank lines, leading blanks, LF and CR", "A;1\n\n  B;2\rC;3", {},
         Objects{Record("rot:A", "1 ", "1 "), Record("rot:B", "2 ", "1 "), Record("rot:C", "3 ", "1 ")}},
        {"PreName", "A;1\r\n", {.preName = "Import:Serie"}, Objects{Record("Import:Serie:A", "1 ", "1 ")}},
        {"Windows-1252 names", "M\xFCller;1\r\n", {}, Objects{Record("rot:M\xC3\xBCller", "1 ", "1 ")}},
        {"fields that are no numbers read as 0", "A;x;1.5\r\n", {}, Objects{Record("rot:A", "0 1.5 ", "1 1 ")}},
    };
    ExpectLoads(rows);
}

TEST(LoadClipAscii, BlankSeparatedAndMetaRecords)
{
    const char* metaHeader = "Meta-Parametervektor(en) aus Gruppe \"Messung\"\r\n";
    const LoadRow rows[] = {
        {"runs of blanks", "Probe1   1  2\r\nProbe2 3,5 4\r\n", {.separator = ""},
         Objects{Record("rot:Probe1", "1 2 ", "1 1 "), Record("rot:Probe2", "3.5 4 ", "1 1 ")}},
        {"a quoted group in the first line", "Parametervektor(en) aus Gruppe \"G 1\"\r\nP 1 2\r\n", {.separator = " "},
         Objects{Record("G 1:P", "1 2 ", "1 1 ")}},
        {"number names are values", "1 2 3\r\n0.5 4\r\n", {.separator = ""},
         Objects{Record("rot:ClpObj0", "1 2 3 ", "1 1 1 "), Record("rot:ClpObj1", "0.5 4 ", "1 1 ")}},
        {"a record without values adds nothing", "P 1\r\nQ\r\nR \r\n", {.separator = ""},
         Objects{Record("rot:P", "1 ", "1 ")}},
        {"Meta kinds", std::string(metaHeader) + "Probe1: Farbe=rot Anzahl=3 Faktor=0.5 \r\n", {},
         Objects{"Messung:Probe1 Anzahl:i=3 Faktor:d=0.5 Farbe:s=rot"}},
        {"Meta 0 stays text", std::string(metaHeader) + "P: Null=0 Leer=0.0\r\n", {},
         Objects{"Messung:P Leer:s=0.0 Null:s=0"}},
        {"Meta numbers only when the whole text is one",
         std::string(metaHeader) + "P: Modell=3D-Modell Klein=1e-10 Gross=1e5 Riesig=1e999 Komma=2,5\r\n", {},
         Objects{"Messung:P Gross:i=100000 Klein:d=1e-10 Komma:d=2.5 Modell:s=3D-Modell Riesig:s=1e999"}},
        {"Meta values with blanks lose nothing", std::string(metaHeader) + "P: Farbe=dunkel  rot  Anzahl=2 \r\n", {},
         Objects{"Messung:P Anzahl:i=2 Farbe:s=dunkel  rot"}},
        {"Meta: the first of two equal names wins", std::string(metaHeader) + "P: a=1 a=2\r\n", {},
         Objects{"Messung:P a:i=1"}},
        {"Meta ignores the separator and keeps records without entries",
         std::string(metaHeader) + "P1: x=1\r\n\r\nP2:\r\n", {.separator = "|"},
         Objects{"Messung:P1 x:i=1", "Messung:P2"}},
        {"Meta header alone", metaHeader, {}, Objects{}},
        {"Meta Windows-1252 texts", std::string(metaHeader) + "Gr\xFC\xDF" "e: Ma\xDF=\x80\r\n", {},
         Objects{"Messung:Gr\xC3\xBC\xC3\x9F" "e Ma\xC3\x9F:s=\xE2\x82\xAC"}},
    };
    ExpectLoads(rows);
}

// A first field names its record unless its leading whole number is not 0; then it is the
// record's first value and the record gets a generated name. The separated layout decides
// once, by the first line; the Meta layout line by line. The blank-separated layout decides
// line by line and also takes a field that is a number as a whole ("0", "0.5") for a value.
TEST(LoadClipAscii, AFirstFieldIsAValueOnlyWhenItsWholeNumberIsNotZero)
{
    const char* metaHeader = "Meta-Parametervektor(en) aus Gruppe \"Messung\"\r\n";
    const LoadRow rows[] = {
        {"3", "3;1\r\n", {}, Objects{Record("rot:ClpObj0", "3 1 ", "1 1 ")}},
        {"007", "007;1\r\n", {}, Objects{Record("rot:ClpObj0", "7 1 ", "1 1 ")}},
        {"+3", "+3;1\r\n", {}, Objects{Record("rot:ClpObj0", "3 1 ", "1 1 ")}},
        {"-2", "-2;1\r\n", {}, Objects{Record("rot:ClpObj0", "-2 1 ", "1 1 ")}},
        {"3.0", "3.0;1\r\n", {}, Objects{Record("rot:ClpObj0", "3 1 ", "1 1 ")}},
        {"2,5 under the German mark", "2,5;1\r\n", {}, Objects{Record("rot:ClpObj0", "2.5 1 ", "1 1 ")}},
        {"0", "0;1\r\n", {}, Objects{Record("rot:0", "1 ", "1 ")}},
        {"00", "00;1\r\n", {}, Objects{Record("rot:00", "1 ", "1 ")}},
        {"-0", "-0;1\r\n", {}, Objects{Record("rot:-0", "1 ", "1 ")}},
        {"0.5", "0.5;1\r\n", {}, Objects{Record("rot:0.5", "1 ", "1 ")}},
        {"0,5 under the German mark", "0,5;1\r\n", {}, Objects{Record("rot:0,5", "1 ", "1 ")}},
        {"a name 0 in the first line leaves the names of later lines names", "0;1;2\r\nA;3;4\r\n", {},
         Objects{Record("rot:0", "1 2 ", "1 1 "), Record("rot:A", "3 4 ", "1 1 ")}},
        {"blank layout, line by line", "A 3 4\r\n-2 5\r\n0 1 2\r\n0.5 6\r\n0x 7\r\n", {.separator = ""},
         Objects{Record("rot:A", "3 4 ", "1 1 "), Record("rot:ClpObj0", "-2 5 ", "1 1 "),
                 Record("rot:ClpObj1", "0 1 2 ", "1 1 1 "), Record("rot:ClpObj2", "0.5 6 ", "1 1 "),
                 Record("rot:0x", "7 ", "1 ")}},
        {"Meta names", std::string(metaHeader) + "0.5: x=1\r\n3: x=2\r\n0: x=3\r\n", {},
         Objects{"Messung:0.5 x:i=1", "Messung:ClpObj0 x:i=2", "Messung:0 x:i=3"}},
    };
    ExpectLoads(rows);
}

TEST(LoadClipAscii, Failures)
{
    const std::string refused = "[000070] Fehler: Laden fehlgeschlagen! Dieses Trennzeichen ist nicht erlaubt!";
    const std::string notUsed = "[000070] Fehler: Laden fehlgeschlagen! Das gewählte Trennzeichen wird nicht verwendet!";
    const struct {
        const char* name;
        std::string file;
        Options options;
        std::vector<std::string> log;
    } rows[] = {
        {"separator .", "A;1\r\n", {.separator = "."}, {refused}},
        {"separator ,", "A;1\r\n", {.separator = " , "}, {refused}},
        {"no separator in the first line", "A 1 2\r\n", {}, {notUsed}},
        {"empty file", "", {}, {notUsed}},
        {"blank layout: first record without a blank", "A\r\nB 1\r\n", {.separator = ""}, {}},
        {"blank layout: header alone", "Parametervektor(en) aus Gruppe \"G\"\r\n", {.separator = ""}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded loaded = LoadClipAscii(row.file, row.options);
        EXPECT_FALSE(loaded.ok);
        EXPECT_TRUE(loaded.objects.empty());
        EXPECT_EQ(loaded.log, row.log);
    }
}

TEST(LoadClipAscii, RefusedReplacementsFreeTheNewObject)
{
    // The tree's handler answers "Nein": the old objects stay, the new ones are the loader's
    // to delete (ASan checks the leak).
    struct Refuser : ClipboardTree::EventHandler {
        bool CanReplace(ClipboardObject*) override { return false; }
    } refuser;
    test_support::TempDir dir;
    const std::string path = dir.file("rot.txt");
    WriteBytes(path, "A;1\r\nB;2\r\n");
    RecordingHost host;
    auto& loader = AddModule<LoadClipASCIIModule>(host, kLoadClipAsciiPath);
    auto* old = new ClipboardObject;
    old->SetName("rot:A");
    ASSERT_TRUE(host.clipboard.AddInserter(old));
    host.clipboard.SetEventHandler(&refuser);
    EXPECT_TRUE(loader.LoadFile(path, ""));
    host.clipboard.SetEventHandler(nullptr);
    EXPECT_EQ(ClipboardObjects(host), (Objects{"rot:A", Record("rot:B", "2 ", "1 ")}));
}

TEST(LoadOwnClipboardText, Records)
{
    const std::string header = "Orvanta Clipboard\r\n";
    const LoadRow rows[] = {
        {"names and decimals", header + "Probe1:Gruppe:1.5 2.5\r\nProbe2:Gruppe:3 4\r\n", {},
         Objects{Record("rot:Probe1", "1.5 2.5 ", "1 1 "), Record("rot:Probe2", "3 4 ", "1 1 ")}},
        {"ObjBaseName", header + "Probe1:Gruppe:1.5 2.5\r\nProbe2:Gruppe:3 4\r\n", {.baseName = "Satz"},
         Objects{Record("rot:Satz0", "1.5 2.5 ", "1 1 "), Record("rot:Satz1", "3 4 ", "1 1 ")}},
        {"a first record without marks keeps the decimals of later records", header + "A:1 2 3\r\nB:2.5 -0.75\r\n",
         {}, Objects{Record("rot:A", "1 2 3 ", "1 1 1 "), Record("rot:B", "2.5 -0.75 ", "1 1 ")}},
        {"German marks", header + " A :x: 1,5   2 \r\n", {}, Objects{Record("rot:A", "1.5 2 ", "1 1 ")}},
        {"a record without values adds nothing; the counter goes on", header + "A:1\r\nB:\r\nC:3\r\n",
         {.baseName = "S"}, Objects{Record("rot:S0", "1 ", "1 "), Record("rot:S2", "3 ", "1 ")}},
        {"a later line without a colon is name and values", header + "A:1\r\n5 6\r\n", {},
         Objects{Record("rot:A", "1 ", "1 "), Record("rot:5 6", "5 6 ", "1 1 ")}},
        {"empty names are generated", header + ":1\r\n  :2\r\n", {},
         Objects{Record("rot:ClpObj0", "1 ", "1 "), Record("rot:ClpObj1", "2 ", "1 ")}},
        {"LF, CR and blank lines", "Kopf\n\nA:1\rB:2", {}, Objects{Record("rot:A", "1 ", "1 "), Record("rot:B", "2 ", "1 ")}},
        {"PreName; the separator is not used", header + "A:1;2\r\n", {.separator = "|", .preName = "Import"},
         Objects{Record("Import:A", "1 ", "1 ")}},
    };
    ExpectLoads(rows, LoadOwnClip);

    for (const std::string file : {"", "Kopf\r\n", "Kopf\r\nohne Doppelpunkt\r\n"}) {
        SCOPED_TRACE(file);
        const Loaded loaded = LoadOwnClip(file);
        EXPECT_FALSE(loaded.ok);
        EXPECT_TRUE(loaded.objects.empty());
        EXPECT_TRUE(loaded.log.empty());
    }
}
