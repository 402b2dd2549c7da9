// Every number parameter of every module of every plug-in, set to hostile values, with small
// inputs in the trees: each operation ends (a refusal or a result), throws nothing, files no
// value that is not a finite number and keeps the memory bounded; a value the module handles
// itself (calc::CalcModule::OwnRangeOf) is not refused by the range rule. The plug-ins are the
// built .so files, loaded as the program loads them. The script plug-in has no number parameter.
#include "app/module_loader.h"

#include "core/calc_form.h"
#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_factory.h"
#include "core/plugin_entry.h"
#include "core/spectrum.h"

#include "support/fake_prompter.h"
#include "support/plugin_suite.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

#include <paramora/parameter_types.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Under AddressSanitizer a run that fills the memory ends the process with a report instead
// of taking the machine with it.
extern "C" const char* __asan_default_options()
{
    return "hard_rss_limit_mb=4096";
}

namespace {

const double kHostile[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           DBL_MAX,
                           -DBL_MAX,
                           1e-300,
                           -1, // what the modules that handle values themselves take as 1 or by its absolute value
                           1e9,
                           static_cast<double>(INT_MAX),
                           static_cast<double>(INT_MIN)};

// The highest resident memory of the process may reach this much (the sanitizer's shadow
// included); a run that allocates what its size asks for goes far beyond.
constexpr long kMaxResidentKiB = 3L * 1024 * 1024;

// A user who waits a while and then presses abort: runs that poll the abort end.
class SweepHost : public RecordingHost {
public:
    bool UserWantsAbort() override
    {
        RecordingHost::UserWantsAbort();
        return abortPolls >= kPatience;
    }
    static constexpr int kPatience = 300;
};

int Saturated(double v, double lo, double hi)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(v), lo, hi));
}

// Sets the parameter to value in its own kind; false for kinds without numbers.
bool SetNumber(ns_param::Paramora& p, const std::string& name, int type, double value)
{
    switch (type) {
    case ns_param::TYPE_BYTE:
        return p.setByteParameter(name, static_cast<unsigned char>(Saturated(value, 0, 255)));
    case ns_param::TYPE_INT:
        return p.setIntParameter(name, Saturated(value, INT_MIN, INT_MAX));
    case ns_param::TYPE_FLOAT:
        return p.setFloatParameter(name, static_cast<float>(value));
    case ns_param::TYPE_DOUBLE:
        return p.setDoubleParameter(name, value);
    default:
        return false;
    }
}

void AddCurve(SpectrumTree& tree, const std::string& name, double (*f)(double))
{
    auto* s = new Spectrum;
    s->SetName(name);
    for (double x = 380; x <= 780; x += 10)
        s->AddPoint(SPoint(x, f(x)));
    if (!tree.AddInserter(s))
        delete s;
}

void AddObject(ClipboardTree& tree, const std::string& name,
               const std::vector<std::pair<std::string, std::string>>& texts)
{
    auto* o = new ClipboardObject;
    o->SetName(name);
    for (const auto& [key, value] : texts)
        o->GetParameters().addStringParameter(key, "", value, "");
    if (!tree.AddInserter(o))
        delete o;
}

constexpr int kLeds = 8;

// Small inputs every module finds under the names Inputs gives its string parameters; the
// last LED record may take another text for one key.
void FillTrees(RecordingHost& host, const std::string& key = {}, const std::string& text = {})
{
    AddCurve(host.spectra, "In:A", [](double x) { return std::exp(-std::pow((x - 500) / 40, 2)); });
    AddCurve(host.spectra, "In:B", [](double x) { return std::exp(-std::pow((x - 600) / 50, 2)); });
    AddCurve(host.spectra, "In:C", [](double x) { return 0.2 + x / 1000; });
    AddCurve(host.spectra, "Ref:R", [](double) { return 1.0; });
    AddCurve(host.spectra, "Ziel:S", [](double x) { return std::exp(-std::pow((x - 550) / 60, 2)); });
    for (int i = 0; i < kLeds; ++i) {
        std::vector<std::pair<std::string, std::string>> values = {{"Name", "L" + std::to_string(i)},
                                                                   {"PeakWavelength", std::to_string(0.42 + 0.04 * i)},
                                                                   {"FWHM", "0.03"},
                                                                   {"SpectralModel", "GaussianLEDModel"}};
        if (i == kLeds - 1)
            for (auto& [k, v] : values)
                if (k == key)
                    v = text;
        AddObject(host.clipboard, "LEDs:L" + std::to_string(i), values);
    }
    auto* drive = new ClipboardObject;
    drive->SetName("Drive:D");
    const std::vector<double> ones(kLeds, 1.0);
    drive->GetParameters().addDouble1DArrayParameter("Lightnesses", "", kLeds, ones.data(), 0.0);
    drive->GetParameters().addDouble1DArrayParameter("ClpValues", "", kLeds, ones.data(), 0.0);
    if (!host.clipboard.AddInserter(drive))
        delete drive;
}

// Where the string parameters of the modules point (other strings keep their defaults).
std::map<std::string, std::string> Inputs(const std::string& dataFile)
{
    return {{"SpecDesc", "In"},
            {"RefSpecDesc", "In:A"},
            {"LightSpecDesc", "Ref"},
            {"TargetGroup", "Out"},
            {"SpecGroup", "Out"},
            {"ClipboardTargetGroup", "OutClp"},
            {"LEDsDesc", "LEDs"},
            {"TargetSpecs", "Ziel"},
            {"LightnessDesc", "Drive"},
            {"ColorDesc", "Drive"},
            {"LEDModelName", ""},
            {"WSpecDesc", "In"},
            {"SpecDescAsystem", "In"},
            {"SpecDescTargets", "In"},
            {"SpecMessSystem", "Out:qSens"},
            {"SpecTargets", "In"},
            {"SpecInterpolator", "Out:qSPECs"},
            {"FileName", dataFile}};
}

// Numbers that keep the runs small (a grid of 41 points, two generations of four arrays of
// two LEDs, short fits); each is set where a module has it, before the hostile value.
const std::map<std::string, double> kSmallRuns = {
    {"XStart", 380}, {"XEnd", 780},   {"XStep", 10},         {"SelectorIterationCount", 2},
    {"ProposalCount", 4}, {"LEDCount", 2}, {"MaxIterations", 20}, {"SpecCount", 2}};

// Runs command of the first module of factory that has it, with the inputs and its other
// defaults: what another module's run needs in the trees (a trained rule for its test).
void RunFirst(ModuleFactory& factory, RecordingHost& host, const std::map<std::string, std::string>& inputs,
              const std::string& command)
{
    for (int index = 0; index < factory.GetModuleCount(); ++index) {
        std::unique_ptr<Module> module(factory.CreateModule(index));
        for (const SAutomationPtrList& operation : module->GetAutomationPtr()) {
            if (operation.name != command)
                continue;
            module->SetModuleInterface(&host);
            for (const auto& [key, path] : inputs)
                module->getParameters().setStringParameter(key, path);
            ASSERT_EQ(module->RunAutomation(command), std::optional<bool>(true)) << command;
            return;
        }
    }
}

// The first value that is not a finite number among the trees' spectra and clipboard
// numbers, and among the number texts of the records the runs file (under "OutClp"; the
// input records may hold such texts), as "name: what"; empty when there is none.
std::string NonFinite(RecordingHost& host)
{
    for (Spectrum* s : host.spectra.GetInserters())
        for (int j = 0; j < s->GetPointCount(); ++j)
            if (!std::isfinite((*s)[j].x) || !std::isfinite((*s)[j].y))
                return s->GetName() + ": point " + std::to_string(j);
    for (ClipboardObject* o : host.clipboard.GetInserters()) {
        const ns_param::Paramora& p = o->GetParameters();
        for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it) {
            const ns_param::BaseParameterType& parameter = *it->second;
            if (parameter.getType() == ns_param::TYPE_DOUBLE &&
                !std::isfinite(static_cast<const ns_param::DoubleParameterType&>(parameter).getValue()))
                return o->GetName() + ": " + it->first;
            if (parameter.getType() == ns_param::TYPE_STRING && o->GetName().rfind("OutClp:", 0) == 0) {
                const std::string text = parameter.getValueText('.');
                char* end = nullptr;
                const double v = std::strtod(text.c_str(), &end);
                if (!text.empty() && end != text.c_str() && !std::isfinite(v))
                    return o->GetName() + ": " + it->first + " = " + text;
            }
            if (parameter.getType() == ns_param::TYPE_DOUBLE_1D_ARRAY) {
                const auto& array = static_cast<const ns_param::Double1DArrayParameterType&>(parameter);
                for (int k = 0; k < array.getCount(); ++k)
                    if (!std::isfinite(array.getValues()[k]))
                        return o->GetName() + ": " + it->first + "[" + std::to_string(k) + "]";
            }
        }
    }
    return {};
}

long MaxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Commands that reach outside the process (a serial line) are left out.
bool Swept(const std::string& command)
{
    return command != "connect" && command != "disconnect";
}

class HostileParameters : public test_support::PluginSuite<::testing::TestWithParam<const char*>> {
protected:

    void SetUp() override
    {
        const std::string dataFile = m_dir.file("werte.txt");
        std::ofstream(dataFile) << "Wellenlaenge;A\n380;1\n390;2\n400;3\n";
        m_inputs = Inputs(dataFile);
        m_factory = nullptr;
        for (const ModuleLibrary& library : *s_libraries)
            if (library.name == GetParam()) {
                auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
                m_factory = entry ? entry() : nullptr;
            }
        ASSERT_NE(m_factory, nullptr) << GetParam() << " was not loaded";
    }

    // Module index of the factory runs command over the small inputs (the last LED record's
    // key holding text, when key is given) after set has set its hostile value (into the
    // number parameter swept, when given), and is held to the rules: nothing thrown, no value
    // that is not finite filed, a refusal files nothing, the memory bounded, no range line for
    // a swept value that the module handles itself.
    void RunAndCheck(int index, const std::string& command, const std::string& what,
                     const std::function<void(ns_param::Paramora&)>& set, const std::string& swept = {},
                     const std::string& key = {}, const std::string& text = {})
    {
        SCOPED_TRACE(m_factory->GetModuleName(index) + " " + command + ": " + what);
        SweepHost host;
        FillTrees(host, key, text);
        if (command == "testinterpolator")
            RunFirst(*m_factory, host, m_inputs, "createinterpolator");
        std::unique_ptr<Module> module(m_factory->CreateModule(index));
        module->SetModuleInterface(&host);
        ns_param::Paramora& p = module->getParameters();
        for (const auto& [name, path] : m_inputs)
            p.setStringParameter(name, path);
        for (const auto& [name, small] : kSmallRuns)
            if (const ns_param::BaseParameterType* parameter = p.getParameter(name))
                SetNumber(p, name, parameter->getType(), small);
        set(p);
        // Asked before the run, with the parameters the run starts from (a module may answer
        // by its mode).
        bool handled = false;
        if (auto* calcModule = dynamic_cast<calc::CalcModule*>(module.get()); calcModule && !swept.empty()) {
            const calc::OwnRange own = calcModule->OwnRangeOf(swept);
            const ns_param::BaseParameterType* parameter = p.getParameter(swept);
            handled = own != calc::OwnRange::None && parameter && calc::MeetsRangeRule(*parameter, own);
        }
        const std::size_t spectra = host.spectra.GetInserters().size();
        const std::size_t objects = host.clipboard.GetInserters().size();
        std::optional<bool> result;
        try {
            result = module->RunAutomation(command);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "threw " << e.what();
        }
        ++m_runs;
        // SWEEP_VERBOSE=1 shows every run's result and last log line.
        if (std::getenv("SWEEP_VERBOSE"))
            std::cout << m_factory->GetModuleName(index) << " " << command << ": " << what << " -> "
                      << (result ? (*result ? "true" : "false") : "none") << " | "
                      << (host.log.empty() ? std::string() : host.log.back().text) << "\n";
        const std::string bad = NonFinite(host);
        EXPECT_TRUE(bad.empty()) << (result.value_or(false) ? "filed with success: " : "filed: ") << bad;
        if (!result.value_or(true)) {
            EXPECT_EQ(host.spectra.GetInserters().size(), spectra) << "a refusal files nothing";
            EXPECT_EQ(host.clipboard.GetInserters().size(), objects) << "a refusal files nothing";
        }
        EXPECT_LT(MaxResidentKiB(), kMaxResidentKiB);
        if (handled) {
            for (const std::string& line : host.LogTexts())
                EXPECT_EQ(line.find("Parameter '" + swept + "' liegt außerhalb"), std::string::npos)
                    << "a value the module handles itself is refused: " << line;
        }
        // The module goes before the trees it may refer to.
        module.reset();
    }

    test_support::TempDir m_dir;
    std::map<std::string, std::string> m_inputs;
    ModuleFactory* m_factory = nullptr;
    int m_runs = 0;
};

TEST_P(HostileParameters, EveryNumberOfEveryModule)
{
    FakePrompter prompter;
    for (int index = 0; index < m_factory->GetModuleCount(); ++index) {
        std::unique_ptr<Module> probe(m_factory->CreateModule(index));
        ASSERT_NE(probe, nullptr);
        std::vector<std::pair<std::string, int>> numbers;
        const ns_param::Paramora& defaults = probe->getParameters();
        for (auto it = defaults.getFirstParameter(); it != defaults.getLastParameter(); ++it) {
            const int type = it->second->getType();
            if (type == ns_param::TYPE_BYTE || type == ns_param::TYPE_INT || type == ns_param::TYPE_FLOAT ||
                type == ns_param::TYPE_DOUBLE)
                numbers.emplace_back(it->first, type);
        }
        const auto started = std::chrono::steady_clock::now();
        for (const auto& [name, type] : numbers)
            for (double value : kHostile)
                for (const SAutomationPtrList& command : probe->GetAutomationPtr())
                    if (Swept(command.name))
                        RunAndCheck(index, command.name, name + " = " + std::to_string(value),
                                    [&, name = name, type = type](ns_param::Paramora& p) {
                                        ASSERT_TRUE(SetNumber(p, name, type, value));
                                    },
                                    name);
        std::cout << m_factory->GetModuleName(index) << ": " << numbers.size() << " numbers, "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                         .count()
                  << " ms\n";
    }
    std::cout << GetParam() << ": " << m_runs << " runs\n";
}

// The same rules when an LED record a module reads holds a model value that is no usable
// number (the texts a record can hold, not a module parameter).
TEST_P(HostileParameters, EveryModuleReadingLedRecords)
{
    FakePrompter prompter;
    const char* texts[] = {"nan", "inf", "-inf", "1e308", "-1e308", "1e-300", "0", "abc"};
    for (int index = 0; index < m_factory->GetModuleCount(); ++index) {
        std::unique_ptr<Module> probe(m_factory->CreateModule(index));
        if (!probe->getParameters().getStringParameter("LEDsDesc"))
            continue;
        for (const char* key : {"PeakWavelength", "FWHM"})
            for (const char* text : texts)
                for (const SAutomationPtrList& command : probe->GetAutomationPtr())
                    if (Swept(command.name))
                        RunAndCheck(index, command.name, std::string(key) + " = \"" + text + "\"",
                                    [](ns_param::Paramora&) {}, {}, key, text);
    }
    std::cout << GetParam() << ": " << m_runs << " runs\n";
}

INSTANTIATE_TEST_SUITE_P(Plugins, HostileParameters,
                         ::testing::Values("Tessarine.so", "Varenth.so", "Pellitor.so", "Quorvel.so"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
