// The LED data edit module: import, export, condition, abort, commands and its LED list in
// the project file.
#include "led_modules_fixture.h"

#include "modules/led_data_edit_module.h"

#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

using led_test::ModulesTest;

class DataEditTest : public ModulesTest {
protected:
    DataEditTest() { Attach(module); }

    ParamContainer Record(std::vector<std::pair<std::string, std::string>> pairs)
    {
        ParamContainer r;
        for (const auto& [k, v] : pairs)
            r.AddKeyValue(k, v);
        return r;
    }

    std::vector<std::vector<std::pair<std::string, std::string>>> Pairs(LEDDataEditModule& m)
    {
        std::vector<std::vector<std::pair<std::string, std::string>>> all;
        for (int i = 0; i < m.GetLEDList().EntryCount(); ++i) {
            const ParamContainer& r = m.GetLEDList().EntryAt(i);
            all.emplace_back();
            for (int k = 0; k < r.Count(); ++k)
                all.back().emplace_back(r.KeyAt(k), r.ValueAt(k));
        }
        return all;
    }

    // The module's part of a project file as XML text.
    std::string ProjectText(LEDDataEditModule& m)
    {
        ns_xandril::XMLWriteModul writer;
        m.addToXML(writer);
        EXPECT_TRUE(writer.writeToFile(dir.file("p.xml")));
        std::ifstream in(dir.file("p.xml"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test_support::TempDir dir;
    LEDDataEditModule module;
    ns_param::Paramora& p = module.getParameters();
};

TEST_F(DataEditTest, ImportReplacesTheListInNameOrder)
{
    AddObject("In:a", {{"PeakWavelength", "0.45"}, {"Name", "a"}, {"FWHM", "0.02"}});
    AddObject("In:b", {{"Name", "b"}, {"PeakWavelength", "0.6"}, {"FWHM", "0.03"}});
    p.setStringParameter("LEDsDesc", "In");
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_TRUE(*module.RunAutomation("import"));
    ASSERT_EQ(module.GetLEDList().EntryCount(), 2) << "a second import replaces the list";
    const ParamContainer& r = module.GetLEDList().EntryAt(0);
    EXPECT_EQ(r.KeyAt(0), "FWHM");
    EXPECT_EQ(r.KeyAt(1), "Name");
    EXPECT_EQ(r.KeyAt(2), "PeakWavelength");

    p.setStringParameter("LEDsDesc", "");
    EXPECT_TRUE(module.ImportList());
    EXPECT_EQ(module.GetLEDList().EntryCount(), 0);
}

TEST_F(DataEditTest, ExportNamesTrimsAndFilters)
{
    LedDB& list = module.GetLEDList();
    list.AddEntry(Record({{"Name", "Rot"}, {" PeakWavelength ", " 0.45 "}}));
    list.AddEntry(Record({{"Name", "Gruen"}, {"PeakWavelength", "0.55"}}));
    list.AddEntry(Record({{"PeakWavelength", "0.65"}}));
    const struct {
        const char* group;
        const char* condition;
        std::vector<std::string> names;
    } cases[] = {
        {"", "", {"Rot", "Gruen", "LED2"}},
        {":LEDs:", "", {"LEDs:Rot", "LEDs:Gruen", "LEDs:LED2"}},
        {"F", "PeakWavelength > 0.5", {"F:Gruen", "F:LED2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        host.clipboard.DeleteInserters("Rot;Gruen;LED2;LEDs;F");
        host.progressHistory.clear();
        p.setStringParameter("ClipboardTargetGroup", c.group);
        list.SetCondition(c.condition);
        EXPECT_TRUE(*module.RunAutomation("export"));
        EXPECT_EQ(ClipboardNames(), c.names);
        EXPECT_EQ(host.progressHistory, (std::vector<double>{0.0, 100.0 / 3, 200.0 / 3}));
    }
    list.SetCondition("");
    p.setStringParameter("ClipboardTargetGroup", "");
    EXPECT_TRUE(module.ExportList());
    const auto rot = ValuesOf("Rot");
    ASSERT_EQ(rot.count("PeakWavelength"), 1u);
    EXPECT_EQ(rot.at("PeakWavelength"), "0.45");

    // Abort after the first record: false, the object filed stays, the group's others too.
    host.clipboard.DeleteInserters("Rot;Gruen;LED2;LEDs;F");
    AddObject("G:keep", {{"Name", "keep"}});
    p.setStringParameter("ClipboardTargetGroup", "G");
    host.wantsAbort = true;
    EXPECT_FALSE(module.ExportList());
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"G:keep", "G:Rot"}));
}

TEST_F(DataEditTest, CommandsLoadAndSaveFailAndEraseEmpties)
{
    std::vector<std::string> names;
    for (const SAutomationPtrList& entry : module.GetAutomationPtr())
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"load", "save", "export", "import"}));
    module.GetLEDList().AddEntry(Record({{"Name", "x"}}));
    EXPECT_FALSE(*module.RunAutomation("load"));
    EXPECT_FALSE(*module.RunAutomation("save"));
    EXPECT_EQ(module.GetLEDList().EntryCount(), 1);
    EXPECT_TRUE(module.Erase());
    EXPECT_EQ(module.GetLEDList().EntryCount(), 0);
    EXPECT_EQ(module.GetLEDList().GetKeys().empty(), false) << "the keys stay";
}

TEST_F(DataEditTest, TheListSurvivesTheProjectFile)
{
    LedDB& list = module.GetLEDList();
    list.AddEntry(Record({{"Name", "Rot"}, {"PeakWavelength", "0.63"}, {"FWHM", "0.02"}}));
    list.AddEntry(Record({}));
    list.AddEntry(Record({{"Name", "Blau < & \"x\""}, {"Note", ""}}));
    p.setStringParameter("LEDsDesc", "In");

    const std::string xml = ProjectText(module);

    LEDDataEditModule reopened;
    ns_xandril::XMLReadModul reader;
    reader.readFromMemory(xml, "project");
    reopened.updateFromXML(reader);
    EXPECT_EQ(Pairs(reopened), Pairs(module));
    EXPECT_EQ(*reopened.getParameters().getStringParameter("LEDsDesc"), "In");
    // Derived values are computed again.
    std::string derived = reopened.GetLEDList().EntryAt(0).FindValue("PeakWavelengthMin").second;
    EXPECT_EQ(derived, module.GetLEDList().EntryAt(0).FindValue("PeakWavelengthMin").second);
}

// Hand-written project parts: what the reader makes of odd structures.
TEST_F(DataEditTest, OddProjectFilesAreReadAsFarAsTheyGo)
{
    auto param = [](const char* name, const char* value) {
        std::string s = "<group name=\"Param\">";
        if (name)
            s += std::string("<string key=\"ParamName\" comment=\"\">") + name + "</string>";
        if (value)
            s += std::string("<string key=\"ParamValue\" comment=\"\">") + value + "</string>";
        return s + "</group>";
    };
    const struct {
        const char* what;
        std::string lists;
        std::vector<std::vector<std::pair<std::string, std::string>>> expected;
    } cases[] = {
        {"no LEDLists keeps the list", "", {{{"Name", "old"}}}},
        {"duplicate keys keep the first, incomplete pairs are skipped",
         "<group name=\"LEDLists\"><group name=\"LEDList\"><group name=\"LED\">" + param("A", "1") +
             param("A", "2") + param("B", nullptr) + param(nullptr, "3") + param("C", "4") +
             "</group></group></group>",
         {{{"Name", "old"}}, {{"A", "1"}, {"C", "4"}}}},
        {"several lists are appended",
         "<group name=\"LEDLists\"><group name=\"LEDList\"><group name=\"LED\">" + param("A", "1") +
             "</group></group><group name=\"LEDList\"><group name=\"LED\">" + param("B", "2") +
             "</group><group name=\"LED\"></group></group></group>",
         {{{"Name", "old"}}, {{"A", "1"}}, {{"B", "2"}}, {}}},
    };
    // The module's own part of a project, as the writer lays it out, with the lists replaced.
    LEDDataEditModule plain;
    const std::string xml = ProjectText(plain);
    const std::size_t from = xml.find("<group name=\"LEDLists\">");
    // The lists are the last group inside the module's group.
    const std::size_t to = xml.rfind("</group>", xml.rfind("</group>") - 1) + std::string("</group>").size();
    ASSERT_NE(from, std::string::npos);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string doc = xml.substr(0, from) + c.lists + xml.substr(to);
        LEDDataEditModule m;
        m.GetLEDList().AddEntry(Record({{"Name", "old"}}));
        ns_xandril::XMLReadModul reader;
        reader.readFromMemory(doc, "project");
        m.updateFromXML(reader);
        EXPECT_EQ(Pairs(m), c.expected);
    }
}

} // namespace
