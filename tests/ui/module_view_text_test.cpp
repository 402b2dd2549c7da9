#include "ui/module_view_text.h"

#include <paramora/paramora.h>

#include <gtest/gtest.h>

namespace {

TEST(ModuleViewText, ParameterTextByKind)
{
    ns_param::Paramora p("Test");
    ns_xandril::XMLEnumClass entries;
    p.addIntParameter("I", "Anzahl", 5, 0, 100, 5);
    p.addByteParameter("Y", "Byte", 7, 1, 250, 7);
    p.addDoubleParameter("D", "Faktor", 1.0, 0.123456, 12345.0, 1.0);
    p.addFloatParameter("F", "Breite", 1.0f, -0.5f, 2.25f, 1.0f);
    p.addStringParameter("S", "Text", "a", "a");
    p.addBoolParameter("B", "Schalter", true, true);
    p.addEnumParameter("E", "Wahl", entries);
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"I", "|Anzahl|5|0|100"},          {"Y", "|Byte|3|1|250"},  {"D", "|Faktor|8|0.12|1.2e+04"},
        {"F", "|Breite|7|-0.5|2.2"},       {"S", "|Text|6||"},      {"B", "|Schalter|4||"},
        {"E", "|Wahl|2||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParameterText(*p.getParameter(c.name)), c.text);
    }
}

TEST(ModuleViewText, ManualsByArea)
{
    using Files = std::vector<std::string>;
    const struct {
        const char* name;
        Files files;
    } cases[] = {
        {"Arithmetik:Summe", {"Orvanta-SpecArithmetik.pdf"}},
        {"Arithmetik:Superresolution", {"Orvanta-AddOnSSR.pdf"}},
        {"Spektren-Attributierung:Farbe", {"Orvanta-SpecArithmetik.pdf"}},
        {"Datenimport:Spektren laden", {"Orvanta-ExtDatenImExport.pdf"}},
        {"Arithmetik:Datenexport", {"Orvanta-SpecArithmetik.pdf", "Orvanta-ExtDatenImExport.pdf"}},
        {"Multispektral:Sensor", {"Orvanta-AddOnMSSens.pdf"}},
        {"arithmetik:klein", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ManualFilesFor(c.name), c.files);
    }
}

TEST(ModuleViewText, NameTextsOfEntries)
{
    ModuleTree::TreeNode root;
    auto* group = new ModuleTree::TreeNode("Daten|im|port");
    auto* sub = new ModuleTree::TreeNode("Spek|tren la|den");
    auto* leaf = new ModuleTree::TreeNode("ASCII-|Da|tei");
    root.AddChild(group);
    group->AddChild(sub);
    sub->AddChild(leaf);
    for (const char* name : {"A|1", "B", "C"})
        group->AddChild(new ModuleTree::TreeNode(name));

    EXPECT_EQ(ModuleNameText(sub), "Datenimport:Spektren laden");
    // Nearest ancestor first, as the program has always written it.
    EXPECT_EQ(ModuleNameText(leaf), "Spektren laden:Datenimport:ASCII-Datei");
    EXPECT_EQ(EntryNameText(leaf), "Spektren laden:ASCII-Datei");
    EXPECT_EQ(EntryNameText(group), "Datenimport");
    EXPECT_EQ(GroupContentsText(group), "Spektren laden;A1;B;C;");
    EXPECT_EQ(GroupContentsText(leaf), "");

    // The nodes are owned by whoever deletes them; here the test does.
    for (auto* child : std::vector<ModuleTree::TreeNode*>(group->GetChildren().begin(), group->GetChildren().end())) {
        group->RemoveChild(child);
        if (child == sub) {
            sub->RemoveChild(leaf);
            delete leaf;
        }
        delete child;
    }
    root.RemoveChild(group);
    delete group;
}

} // namespace
