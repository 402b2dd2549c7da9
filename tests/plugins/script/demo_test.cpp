// The demo script end to end, against a stand-in for the spectral filter module that copies
// the selected spectra into its result group.
#include "fixture.h"

#include "script/compiler_form_rules.h"

#include <gtest/gtest.h>

namespace {

using script_test::ScriptHost;

class FilterStandIn : public Module {
public:
    FilterStandIn()
        : Module("SpectralFilterModule")
    {
        ns_param::Paramora& p = getParameters();
        p.addIntParameter("FilterSel", "", 0, 0, 6, 0);
        p.addStringParameter("SpecDesc", "", "", "");
        p.addStringParameter("SpecGroup", "", "", "");
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    std::vector<SAutomationPtrList> GetAutomationPtr() override
    {
        return {{"SpectralFilter", static_cast<SAutomationPtrList::Function>(&FilterStandIn::SpectralFilter)}};
    }
    bool SpectralFilter()
    {
        ns_param::Paramora& p = getParameters();
        SpectrumTree& tree = *GetModuleInterface()->GetSpectrumTree();
        for (Spectrum* in : tree.GetInserters(*p.getStringParameter("SpecDesc"), false)) {
            auto* out = new Spectrum(*in);
            const std::string& name = in->GetName();
            out->SetName(*p.getStringParameter("SpecGroup") + ":" + name.substr(name.rfind(':') + 1));
            if (!tree.AddInserter(out))
                delete out;
        }
        return true;
    }
};

TEST(DemoScript, RunsToItsEndWithTheFilterModule)
{
    ScriptHost s;
    auto* filter = s.Add(new FilterStandIn, "Spek|tren-|Arith|me|tik:Spek|tren fil|tern");
    ASSERT_NE(filter, nullptr);
    ASSERT_TRUE(s.Run(script::DemoScript()));
    EXPECT_TRUE(s.host.log.empty());

    ns_param::Paramora& p = filter->getParameters();
    EXPECT_EQ(*p.getIntParameter("FilterSel"), 2);
    EXPECT_EQ(*p.getStringParameter("SpecDesc"), "Laser:Laser940");
    EXPECT_EQ(*p.getStringParameter("SpecGroup"), "Laser:Laser940gefiltert");

    const Spectrum* laser = s.Find("Laser:Laser940");
    const Spectrum* filtered = s.Find("Laser:Laser940gefiltert:Laser940");
    ASSERT_NE(laser, nullptr);
    ASSERT_NE(filtered, nullptr);
    EXPECT_EQ(laser->GetColor(), RGB(0, 255, 0));
    EXPECT_EQ(filtered->GetColor(), RGB(128, 128, 0));
    ASSERT_EQ(laser->GetPointCount(), 301); // 400 to 1000 nm in steps of 2
    for (int i = 0; i < laser->GetPointCount(); ++i) {
        const SPoint point = (*laser)[i];
        EXPECT_EQ(point.x, 400 + 2 * i);
        EXPECT_EQ(point.y, static_cast<int>(point.x) % 150 == 0 ? 1 : 0) << point.x;
    }
    const CMCVariable* read = s.Var("lasergef");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->getRows(), 2);
    ASSERT_EQ(read->getCols(), 301);
    EXPECT_EQ(read->getData(0, 25), 450);
    EXPECT_EQ(read->getData(1, 25), 1);
    EXPECT_EQ(read->getData(1, 26), 0);
}

TEST(DemoScript, StopsWithAClearLineWithoutTheFilterModule)
{
    ScriptHost s;
    EXPECT_FALSE(s.Run(script::DemoScript()));
    ASSERT_EQ(s.host.log.size(), 1u);
    const std::string& line = s.host.log[0].text;
    EXPECT_EQ(line.substr(line.size() - std::string("Modul nicht gefunden").size()), "Modul nicht gefunden");
    // What came before the filter stands.
    ASSERT_NE(s.Find("Laser:Laser940"), nullptr);
    EXPECT_EQ(s.Find("Laser:Laser940")->GetColor(), RGB(0, 255, 0));
}

} // namespace
