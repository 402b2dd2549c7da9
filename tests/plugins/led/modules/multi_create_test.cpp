// The two model-parameter twins: centres, names, key orders, noise, abort and bad input.
#include "led_modules_fixture.h"

#include "modules/multi_led_create_module.h"

#include "platform/random.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace {

using led_test::ModulesTest;

class MultiCreateTest : public ModulesTest {
protected:
    MultiCreateTest() { MultiCreateModuleBase::SetTimeSource([] { return 1234567u; }); }
    ~MultiCreateTest() override { MultiCreateModuleBase::SetTimeSource({}); }

    // Runs the twin (led: MultiLEDCreateModule) with the parameters set by setup.
    template <class Setup>
    bool Run(bool led, Setup setup)
    {
        std::unique_ptr<LEDModuleBase> module;
        if (led)
            module = std::make_unique<MultiLEDCreateModule>();
        else
            module = std::make_unique<MultiEDCreateModule>();
        Attach(*module);
        setup(module->getParameters());
        return *module->RunAutomation(led ? "create" : "ecreate");
    }
};

TEST_F(MultiCreateTest, DefaultsGiveThreeGaussianRecords)
{
    ASSERT_TRUE(Run(false, [](ns_param::Paramora&) {}));
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"MOD000", "MOD001", "MOD002"}));
    const char* peaks[] = {"0.446667", "0.58", "0.713333"};
    for (int i = 0; i < 3; ++i) {
        const auto values = ValuesOf(ClipboardNames()[static_cast<std::size_t>(i)]);
        EXPECT_EQ(values.at("PeakWavelength"), peaks[i]);
        EXPECT_EQ(values.at("FWHM"), "0.03");
        EXPECT_EQ(values.at("SpectralModel"), "GaussianLEDModel");
        EXPECT_EQ(values.size(), 4u);
    }
    EXPECT_EQ(host.statusTexts.back(), "Erzeuge Modellfunktion 3 von 3");
    EXPECT_DOUBLE_EQ(host.progressHistory.back(), 100.0);
}

// The default run writes three records into an empty group: the tree resolves "" to
// nothing, so nothing already in the clipboard is deleted.
TEST_F(MultiCreateTest, DefaultRunOnAFullClipboardDeletesNothing)
{
    AddObject("G:old", {{"Name", "old"}});
    AddObject("top", {{"Name", "top"}});
    AddObject("MOD001", {{"Name", "stale"}});
    ASSERT_TRUE(Run(false, [](ns_param::Paramora&) {}));
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"G:old", "top", "MOD000", "MOD001", "MOD002"}));
    EXPECT_EQ(ValuesOf("MOD001").at("Name"), "MOD001") << "a same-named object is replaced";
    EXPECT_EQ(ValuesOf("G:old").at("Name"), "old");
}

TEST_F(MultiCreateTest, CentresAndNamesOfBothTwins)
{
    const struct {
        const char* what;
        bool led;
        int count;
        double start, end;
        bool meta;
        int model;
        std::vector<std::string> names;
        std::vector<std::string> peaks;
    } cases[] = {
        {"one record sits at the start", false, 1, 450, 400, false, 0, {"MOD000"}, {"0.45"}},
        {"the ends are exchanged", false, 2, 780, 380, false, 0, {"MOD000", "MOD001"}, {"0.48", "0.68"}},
        {"equal ends", true, 3, 500, 500, false, 0, {"LED000", "LED001", "LED002"}, {"0.5", "0.5", "0.5"}},
        {"metadata", false, 3, 380, 780, true, 0, {"MOD000_446_30_G", "MOD001_580_30_G", "MOD002_713_30_G"},
         {"0.446667", "0.58", "0.713333"}},
        {"metadata LED", true, 3, 380, 780, true, 2, {"LED000_446_30_P", "LED001_580_30_P", "LED002_713_30_P"},
         {"0.446667", "0.58", "0.713333"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.clipboard.DeleteInserters("Out");
        host.log.clear();
        ASSERT_TRUE(Run(c.led, [&](ns_param::Paramora& p) {
            p.setIntParameter("LEDCount", c.count);
            p.setDoubleParameter("XStart", c.start);
            p.setDoubleParameter("XEnd", c.end);
            p.setBoolParameter("AddMetaData2Name", c.meta);
            p.setStringParameter("ClipboardTargetGroup", "Out");
            p.getEnumParameter("LEDModel")->setIndex(c.model);
        }));
        std::vector<std::string> names, peaks;
        for (const std::string& path : ClipboardNames()) {
            names.push_back(path.substr(4));
            peaks.push_back(ValuesOf(path).at("PeakWavelength"));
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(peaks, c.peaks);
        if (c.count == 1) {
            ASSERT_EQ(host.log.size(), 1u);
            EXPECT_EQ(host.log[0].text,
                      "Hinweis: Die Mittenwellenlänge der LED entspricht dem Parameter \"Startwellenlänge\".");
            EXPECT_EQ(host.log[0].colour, 0x007000u);
        }
    }
}

TEST_F(MultiCreateTest, CountBelowOneAndBadRangesWriteNothing)
{
    const struct {
        bool led;
        const char* name;
        double value;
        bool meta;
        const char* line;
    } cases[] = {
        {false, "LEDCount", 0, false, "Fehler: Modell-Anzahl muss >= 1 sein!"},
        {true, "LEDCount", -3, false, "Fehler: (L)ED-Anzahl muss >= 1 sein!"},
        {true, "FWHM", -1, false, "Fehler: Parameter 'FWHM' liegt außerhalb des zulässigen Bereichs (0 bis 1.79769e+308)!"},
        {false, "XEnd", DBL_MAX, true, "Fehler: Parameter 'XEnd' liegt außerhalb des zulässigen Bereichs (0 bis 1.9e+09)!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        host.log.clear();
        EXPECT_FALSE(Run(c.led, [&](ns_param::Paramora& p) {
            if (std::string(c.name) == "LEDCount")
                p.setIntParameter(c.name, static_cast<int>(c.value));
            else
                p.setDoubleParameter(c.name, c.value);
            p.setBoolParameter("AddMetaData2Name", c.meta);
        }));
        ASSERT_EQ(host.log.size(), 1u);
        EXPECT_EQ(host.log[0].text, c.line);
        EXPECT_EQ(host.log[0].colour, 0x000070u);
        EXPECT_TRUE(ClipboardNames().empty());
    }
}

// The six extended model parameters reach no record: whatever they hold, both twins write the
// records of their defaults, noised or not.
TEST_F(MultiCreateTest, ExtendedModelParametersNeverStopARun)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (bool led : {false, true})
        for (bool noised : {false, true}) {
            const auto records = [&](const char* name, double value) {
                host.clipboard.DeleteInserters("Out");
                host.log.clear();
                platform::SRand(7);
                const bool ok = Run(led, [&](ns_param::Paramora& p) {
                    p.setStringParameter("ClipboardTargetGroup", "Out");
                    p.setBoolParameter("NoisedParameters", noised);
                    if (name)
                        p.setDoubleParameter(name, value);
                });
                std::vector<std::map<std::string, std::string>> all;
                for (const std::string& path : ClipboardNames())
                    all.push_back(ValuesOf(path));
                return ok && host.log.empty() ? all : std::vector<std::map<std::string, std::string>>{};
            };
            const auto plain = records(nullptr, 0);
            ASSERT_EQ(plain.size(), 3u);
            for (const char* name : {"ExtModelParam1", "ExtModelParam2", "ExtModelParam3", "ExtModelParam4",
                                     "ExtModelParam5", "ExtModelParam6"})
                for (double value : {-1e9, 2.0, 1e300, nan}) {
                    SCOPED_TRACE(std::string(led ? "LED " : "model ") + (noised ? "noised " : "") + name + " "
                                 + std::to_string(value));
                    EXPECT_EQ(records(name, value), plain);
                }
        }
}

// A count whose records cannot fit the memory is refused before the first record, with the
// largest count that fits; below it the run goes on as before.
TEST_F(MultiCreateTest, ACountBeyondTheMemoryIsRefusedBeforeTheFirstRecord)
{
    class AbortingHost : public RecordingHost {
    public:
        bool UserWantsAbort() override
        {
            RecordingHost::UserWantsAbort();
            return abortPolls >= 100; // a user who waits a little
        }
    };
    for (bool led : {false, true}) {
        for (int count : {1000000000, INT_MAX}) {
            SCOPED_TRACE(std::to_string(led) + " " + std::to_string(count));
            AbortingHost aborting;
            std::unique_ptr<LEDModuleBase> module;
            if (led)
                module = std::make_unique<MultiLEDCreateModule>();
            else
                module = std::make_unique<MultiEDCreateModule>();
            module->SetModuleInterface(&aborting);
            module->getParameters().setIntParameter("LEDCount", count);
            EXPECT_FALSE(*module->RunAutomation(led ? "create" : "ecreate"));
            ASSERT_EQ(aborting.log.size(), 1u);
            const double limit = led_test::RangeLineMax(aborting.log[0].text, "LEDCount", "1");
            EXPECT_GE(limit, 10000) << aborting.log[0].text;
            EXPECT_LT(limit, 1e8) << aborting.log[0].text;
            EXPECT_EQ(aborting.log[0].colour, 0x000070u);
            EXPECT_TRUE(aborting.statusTexts.empty()) << "no record was made";
            EXPECT_TRUE(aborting.clipboard.GetInserters().empty());
        }
    }
}

TEST_F(MultiCreateTest, AbortWritesAndDeletesNothing)
{
    AddObject("MOD000", {{"Name", "old"}});
    host.wantsAbort = true;
    EXPECT_TRUE(Run(false, [](ns_param::Paramora&) {}));
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"MOD000"}));
    EXPECT_EQ(host.statusTexts.size(), 1u) << "the loop ends after the first record";
}

TEST_F(MultiCreateTest, NoiseStaysWithinItsBoundsAndRepeats)
{
    // Widths of 5 nm: the LED twin's noise of up to 10 nm would make some negative; those
    // keep their value.
    for (bool led : {false, true}) {
        SCOPED_TRACE(led ? "LED" : "ED");
        std::vector<std::string> first;
        for (int pass = 0; pass < 2; ++pass) {
            host.clipboard.DeleteInserters("N");
            platform::SRand(7);
            ASSERT_TRUE(Run(led, [](ns_param::Paramora& p) {
                p.setIntParameter("LEDCount", 200);
                p.setDoubleParameter("FWHM", 5);
                p.setBoolParameter("NoisedParameters", true);
                p.setStringParameter("ClipboardTargetGroup", "N");
            }));
            std::vector<std::string> texts;
            int changed = 0;
            for (const std::string& path : ClipboardNames()) {
                const auto values = ValuesOf(path);
                const double w = std::stod(values.at("FWHM"));
                const double c = std::stod(values.at("PeakWavelength"));
                const int v = std::stoi(path.substr(5, 3));
                const double centre = 0.38 + 0.002 * (v + 0.5);
                EXPECT_GT(w, 0.0) << path;
                EXPECT_LE(w, led ? 0.005 + 0.0100007 + 1e-7 : 0.005 * 1.100007 + 1e-7) << path;
                EXPECT_LE(std::fabs(c - centre), (led ? 0.004 : 0.04) * 1.00007 + 1e-6) << path;
                EXPECT_GE(c, 0.0);
                changed += w != 0.005;
                texts.push_back(values.at("FWHM") + values.at("PeakWavelength"));
            }
            EXPECT_GT(changed, 50);
            if (pass == 0)
                first = texts;
            else
                EXPECT_EQ(texts, first) << "a fixed clock and seed repeat the noise";
        }
    }
}

} // namespace
