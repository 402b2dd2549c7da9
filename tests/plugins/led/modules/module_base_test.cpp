// The module base: the transfers between the host's trees and the engine, the run's grid
// rule, the range check and the operation guard.
#include "led_modules_fixture.h"

#include "modules/led_data_edit_module.h"
#include "modules/led_module_base.h"

#include "engine/led_db.h"
#include "engine/spectra_set.h"

#include <cfloat>
#include <cmath>

namespace {

using led_test::ModulesTest;

class TestModule : public LEDModuleBase {
public:
    TestModule() : LEDModuleBase("Test")
    {
        getParameters().addDoubleParameter("Step", "", 2, 0.01, 100, 2);
        getParameters().addIntParameter("Count", "", 3, 1, 10, 3);
        getParameters().addStringParameter("Text", "", "", "");
    }
    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    using LEDModuleBase::Run;
};

class ModuleBaseTest : public ModulesTest {
protected:
    ModuleBaseTest() { Attach(module); }
    TestModule module;
};

TEST_F(ModuleBaseTest, NameRunAndCurrentHost)
{
    EXPECT_EQ(module.getClassName(), "LED_Test");
    EXPECT_FALSE(module.InRun());
    {
        TestModule::Run run(module);
        EXPECT_TRUE(module.InRun());
        EXPECT_EQ(CurrentHost, &host);
        {
            // A run that is already open stays open.
            TestModule::Run inner(module, true);
        }
        EXPECT_TRUE(module.InRun());
    }
    EXPECT_FALSE(module.InRun());
    EXPECT_EQ(CurrentHost, nullptr);
}

TEST_F(ModuleBaseTest, ReadSpectraSetTakesTheGridAndRunsKeepIt)
{
    AddCurve("A:s1", 380, 2, 201, [](double x) { return x; });
    AddCurve("A:s2", 380, 2, 201, [](double x) { return -x; });
    AddCurve("B:s3", 400, 5, 61, [](double x) { return 1.0; });
    SpectraSet set;

    // An empty selection changes nothing and logs nothing.
    XStart = 0.4, XEnd = 0.75, XStep = 0.002;
    module.ReadSpectraSet(set, "Nothing");
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_DOUBLE_EQ(XStart, 0.4);
    EXPECT_TRUE(host.log.empty());

    module.ReadSpectraSet(set, "A");
    EXPECT_DOUBLE_EQ(XStart, 0.38);
    EXPECT_DOUBLE_EQ(XEnd, 0.78);
    EXPECT_DOUBLE_EQ(XStep, 0.002);
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetName(1), "A:s2");
    ASSERT_EQ(MatRows(set.GetSpectrum(0)), 201);
    EXPECT_DOUBLE_EQ(set.GetSpectrum(0)[200], 780);
    EXPECT_DOUBLE_EQ(set.GetSpectrum(1)[0], -380);

    // Outside a run the next set simply replaces the grid.
    module.ReadSpectraSet(set, "B");
    EXPECT_DOUBLE_EQ(XStart, 0.4);
    EXPECT_EQ(set.GetCount(), 1);
    EXPECT_TRUE(host.log.empty());

    // Inside a run the second set must match the first.
    {
        TestModule::Run run(module);
        SpectraSet first, second;
        module.ReadSpectraSet(first, "A");
        module.ReadSpectraSet(second, "B");
        EXPECT_EQ(first.GetCount(), 2);
        EXPECT_EQ(second.GetCount(), 0) << "a set on another grid is not read";
        EXPECT_DOUBLE_EQ(XStart, 0.38);
        ASSERT_EQ(host.log.size(), 2u);
        EXPECT_EQ(host.log[0].text,
                  "Fehler: Der Definitionsbereich stimmt nicht mit vorhergehender Spektrenmenge überein:");
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_EQ(host.log[1].text, "   (380 bis 780 mit Schrittweite 2) zu (400 bis 700 mit Schrittweite 5)");
        EXPECT_FALSE(host.log[1].colour.has_value());
    }
    // A new run takes the grid afresh.
    TestModule::Run run(module);
    module.ReadSpectraSet(set, "B");
    EXPECT_EQ(set.GetCount(), 1);
    EXPECT_DOUBLE_EQ(XStart, 0.4);
}

TEST_F(ModuleBaseTest, ReadSpectraSetRefusesSetsThatAreNotEquidistant)
{
    const struct {
        const char* what;
        std::vector<std::pair<double, int>> curves; // start, count (step 1)
    } cases[] = {
        {"different ranges", {{380, 11}, {381, 11}}},
        {"one point", {{380, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.spectra.DeleteInserters("G");
        host.log.clear();
        int k = 0;
        for (const auto& [start, count] : c.curves)
            AddCurve("G:s" + std::to_string(k++), start, 1, count, [](double) { return 1.0; });
        SpectraSet set;
        set.AddSpectrum("old", LSMatrixHandle(set.PointCount, 1));
        XStart = 0.4;
        module.ReadSpectraSet(set, "G");
        ASSERT_EQ(host.LogTexts().size(), 1u);
        EXPECT_EQ(host.LogTexts()[0], "Fehler: Spektren sind nicht äquidistant oder haben unterschiedliche "
                                      "Defintionsbereiche in 'G'");
        EXPECT_EQ(set.GetCount(), 1) << "the set keeps its content";
        EXPECT_DOUBLE_EQ(XStart, 0.4);
    }
}

TEST_F(ModuleBaseTest, ReadSpectraSetFitsEveryVectorToTheSetsRows)
{
    // 0.4 .. 0.7 in steps of 0.1 nm: the two point-count rules may differ; every vector gets
    // exactly the set's rows and nothing is refused.
    AddCurve("C:a", 400, 0.1, 3001, [](double) { return 2.0; });
    SpectraSet set;
    module.ReadSpectraSet(set, "C");
    ASSERT_EQ(set.GetCount(), 1);
    EXPECT_EQ(MatRows(set.GetSpectrum(0)), set.PointCount);
    EXPECT_EQ(set.PointCount, GridPointCount());
    for (int j = 0; j < set.PointCount; ++j)
        ASSERT_EQ(set.GetSpectrum(0)[j], 2.0) << j;
}

TEST_F(ModuleBaseTest, WriteSpectraSetNamesAndGrid)
{
    XStart = -0.002, XEnd = 0.004, XStep = 0.002;
    SpectraSet set;
    LSMatrixHandle v(set.PointCount, 1);
    for (int j = 0; j < set.PointCount; ++j)
        v[j] = j + 1;
    set.AddSpectrum("A", v);
    module.WriteSpectraSet(set, "");
    module.WriteSpectraSet(set, "G:");
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"A", "G:A"}));
    Spectrum* a = host.spectra.GetInserter("A");
    ASSERT_EQ(a->GetPointCount(), 4);
    EXPECT_EQ((*a)[0].x, 0.0) << "a negative wavelength becomes 0";
    EXPECT_EQ((*a)[1].x, 0.0);
    EXPECT_DOUBLE_EQ((*a)[3].x, 4.0);
    EXPECT_EQ((*a)[3].y, 4.0);
}

TEST_F(ModuleBaseTest, ReadLEDListTakesNameOrderAndValueTexts)
{
    ClipboardObject* o = AddObject("L:one", {{"PeakWavelength", "0.45"}, {"Name", "Rot"}});
    o->GetParameters().addDoubleParameter("FWHM", "", 0.025, 0, 1, 0);
    AddObject("L:two", {{"Name", "Gruen"}});
    LedDB db;
    module.ReadLEDList(db, "L");
    ASSERT_EQ(db.EntryCount(), 2);
    const ParamContainer& r = db.EntryAt(0);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r.KeyAt(0), "FWHM");
    EXPECT_EQ(r.KeyAt(1), "Name");
    EXPECT_EQ(r.KeyAt(2), "PeakWavelength");
    EXPECT_EQ(r.ValueAt(0), "0.025");

    // Abort after the first object keeps what was read.
    LedDB partial;
    host.wantsAbort = true;
    module.ReadLEDList(partial, "L");
    EXPECT_EQ(partial.EntryCount(), 1);
}

TEST_F(ModuleBaseTest, WriteLEDListGroupRulesNamesAndCondition)
{
    auto record = [](const std::string& name, const std::string& peak) {
        ParamContainer r;
        r.AddKeyValue("Name", name);
        r.AddKeyValue("PeakWavelength", peak);
        return r;
    };
    const struct {
        const char* what;
        std::vector<ParamContainer> records;
        const char* group;
        const char* condition;
        std::vector<std::string> names; // the clipboard afterwards, in tree order
    } cases[] = {
        {"one unnamed record keeps the group", {record("", "0.4")}, "G", "", {"G:old", "top", "G:LED0"}},
        {"two records empty the group", {record("a", "0.4"), record("", "0.6")}, "G", "", {"top", "G:a", "G:LED1"}},
        {"an empty group deletes nothing", {record("a", "0.4"), record("b", "0.6")}, "", "",
         {"G:old", "top", "a", "b"}},
        {"a failed condition still counts", {record("", "0.4"), record("", "0.6")}, ":G:", "PeakWavelength > 0.5",
         {"top", "G:LED1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.clipboard.DeleteInserters("G;top;a;b");
        AddObject("G:old", {{"Name", "old"}});
        AddObject("top", {{"Name", "top"}});
        LedDB db;
        for (const ParamContainer& r : c.records)
            db.AddEntry(r);
        db.SetCondition(c.condition);
        module.WriteLEDList(db, c.group);
        EXPECT_EQ(ClipboardNames(), c.names);
    }
    EXPECT_EQ(ValuesOf("G:LED1").at("PeakWavelength"), "0.6");

    // Abort after the first record: one object.
    host.clipboard.DeleteInserters("G;top");
    LedDB db;
    db.AddEntry(record("x", "1"));
    db.AddEntry(record("y", "2"));
    host.wantsAbort = true;
    module.WriteLEDList(db, "H");
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"H:x"}));
}

TEST_F(ModuleBaseTest, ParametersInRangeLogsTheFirstValueOutside)
{
    ns_param::Paramora& p = module.getParameters();
    EXPECT_TRUE(module.ParametersInRange({"Step", "Count", "Text", "Missing"}));
    const struct {
        const char* name;
        double value;
        const char* line;
    } cases[] = {
        {"Step", 0.0, "Fehler: Parameter 'Step' liegt außerhalb des zulässigen Bereichs (0.01 bis 100)!"},
        {"Step", NAN, "Fehler: Parameter 'Step' liegt außerhalb des zulässigen Bereichs (0.01 bis 100)!"},
        {"Count", 11, "Fehler: Parameter 'Count' liegt außerhalb des zulässigen Bereichs (1 bis 10)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        host.log.clear();
        TestModule fresh;
        fresh.SetModuleInterface(&host);
        if (std::string(c.name) == "Count")
            fresh.getParameters().setIntParameter(c.name, static_cast<int>(c.value));
        else
            fresh.getParameters().setDoubleParameter(c.name, c.value);
        EXPECT_FALSE(fresh.ParametersInRange({"Step", "Count"}));
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text, c.line);
        EXPECT_EQ(host.log[0].colour, 0x000070u);
    }
    (void)p;
}

// The host handles events while it shows progress: an operation must not start inside one
// that runs.
TEST_F(ModuleBaseTest, AnOperationRefusesToStartInsideAnother)
{
    class HeldDataEdit : public LEDDataEditModule {
    public:
        using LEDDataEditModule::RunGuard;
    };
    HeldDataEdit edit;
    Attach(edit);
    AddObject("In:a", {{"Name", "a"}});
    edit.getParameters().setStringParameter("LEDsDesc", "In");
    HeldDataEdit::RunGuard running(edit);
    EXPECT_TRUE(running);
    EXPECT_TRUE(edit.IsRunning());
    EXPECT_FALSE(edit.ImportList());
    EXPECT_FALSE(edit.ExportList());
    EXPECT_EQ(edit.GetLEDList().EntryCount(), 0);
}

} // namespace
