// Every module that files results from input spectra or clipboard objects, run with its results
// named like its inputs: the result group is the input group, a second run goes over the first
// run's results, the selection includes the result group. Filing then replaces inputs the run
// still reads; the results must be those of the same run over fresh copies of the inputs (the
// same tree state with every first level marked, so that nothing filed meets an input).
#include "calculation/col_normalize_module.h"
#include "calculation/create_interpolator_module.h"
#include "calculation/normalize_module.h"
#include "calculation/rem_trans_spec_module.h"
#include "calculation/spectral_filter_module.h"
#include "calculation/spectral_integral_var_module.h"
#include "calculation/svd_selection_module.h"
#include "calculation/test_interpolator_module.h"
#include "colour/colour_calculation.h"
#include "modules/led_continuous_fitting_module.h"
#include "modules/led_lightness_module.h"
#include "modules/led_random_specs_module.h"
#include "modules/led_selection_module.h"
#include "modules/led_specs_create_module.h"
#include "script/mervolt.h"

#include "plugins/led/modules/led_modules_fixture.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"
#include "platform/random.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <map>
#include <utility>
#include <string>
#include <vector>

namespace {

// --- Tree state ------------------------------------------------------------------------------

constexpr char kMark = '~';

// The name of a fresh copy: the first level marked, unless it is one of kept (groups whose
// objects refer to each other by name, such as a trained rule).
std::string Marked(const std::string& path, const std::vector<std::string>& kept)
{
    const auto colon = path.find(':');
    const std::string first = path.substr(0, colon);
    if (std::find(kept.begin(), kept.end(), first) != kept.end())
        return path;
    return colon == std::string::npos ? path + kMark : first + kMark + path.substr(colon);
}

// A ";"-selection with every path marked.
std::string MarkedSelection(const std::string& selection, const std::vector<std::string>& kept)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(selection.find(';', start), selection.size());
        const std::string path = selection.substr(start, end - start);
        if (start > 0)
            out += ';';
        out += path.empty() ? path : Marked(path, kept);
        if (end == selection.size())
            return out;
        start = end + 1;
    }
}

std::string Unmarked(std::string name)
{
    std::erase(name, kMark);
    return name;
}

// Copies every object of a tree into another, in the order of the tree's nodes, each under
// the name rename gives.
template <class Tree, class Object>
void CopyNodes(typename Tree::TreeNode* node, Tree& to, const std::function<std::string(const std::string&)>& rename)
{
    for (auto* child : node->GetChildren()) {
        if (child->GetData() && child->GetData()->GetObject()) {
            auto copy = std::make_unique<Object>(*child->GetData()->GetObject());
            copy->SetName(rename(child->GetData()->GetObject()->GetName()));
            if (to.AddInserter(copy.get()))
                copy.release();
        }
        CopyNodes<Tree, Object>(child, to, rename);
    }
}

std::string Points(const Spectrum& s)
{
    std::string text = std::to_string(s.GetColor()) + ":";
    for (int i = 0; i < s.GetPointCount(); ++i)
        text += " " + std::to_string(s[i].x) + "/" + std::to_string(s[i].y);
    return text;
}

std::string Values(const ClipboardObject& o)
{
    std::string text;
    const ns_param::Paramora& p = o.GetParameters();
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it)
        text += it->first + "=" + it->second->getValueText('.') + "\n";
    return text;
}

// What a run filed: every object of the trees with its content ("S " spectra, "C " clipboard).
using State = std::map<const void*, std::pair<std::string, std::string>>;

State Contents(RecordingHost& host)
{
    State state;
    for (Spectrum* s : host.spectra.GetInserters())
        state[s] = {"S " + s->GetName(), Points(*s)};
    for (ClipboardObject* o : host.clipboard.GetInserters())
        state[o] = {"C " + o->GetName(), Values(*o)};
    return state;
}

// The objects that are new or changed after a run, by name (marks removed).
std::map<std::string, std::string> Filed(const State& before, const State& after)
{
    std::map<std::string, std::string> filed;
    for (const auto& [object, entry] : after) {
        const auto old = before.find(object);
        if (old == before.end() || old->second != entry)
            filed[Unmarked(entry.first)] = entry.second;
    }
    return filed;
}

// --- Cases -----------------------------------------------------------------------------------

// How a run names its inputs: as they stand, or the marked fresh copies.
struct Inputs {
    bool fresh;
    RecordingHost& state; // the tree state the run starts from (before the in-place run)
    const std::vector<std::string>& kept;
    std::string operator()(const std::string& selection) const
    {
        return fresh ? MarkedSelection(selection, kept) : selection;
    }
};

struct Case {
    const char* name;
    // Creates the module (and any module it runs) in the host's module tree.
    std::function<Module*(RecordingHost&)> make;
    // Files the inputs of the first run.
    std::function<void(RecordingHost&)> inputs;
    // Sets the parameters of run (0, 1): selections through in, result names as they are.
    std::function<void(Module&, const Inputs& in, int run)> configure;
    const char* operation;
    // First levels that the fresh copies keep unmarked.
    std::vector<std::string> kept = {};
};

template <class M>
M* Place(RecordingHost& host, M* module, const std::string& path)
{
    module->SetName(path);
    host.modules.AddInserter(module);
    module->SetModuleInterface(&host);
    return module;
}

template <class F>
Spectrum* Curve(RecordingHost& host, const std::string& name, double start, double step, int count, F f,
                COLORREF colour = 0x204060)
{
    auto s = std::make_unique<Spectrum>();
    s->SetName(name);
    s->SetColor(colour);
    for (int i = 0; i < count; ++i)
        s->AddPoint(SPoint(start + i * step, f(start + i * step)));
    return host.spectra.AddInserter(s.get()) ? s.release() : nullptr;
}

double Gauss(double x, double centre, double width)
{
    return std::exp(-0.5 * std::pow((x - centre) / width, 2));
}

// Bands on 400..700 nm in 10 nm steps.
Spectrum* Band(RecordingHost& host, const std::string& name, double centre, double width = 30)
{
    return Curve(host, name, 400, 10, 31, [=](double x) { return 0.1 + Gauss(x, centre, width); });
}

ClipboardObject* Object(RecordingHost& host, const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& values)
{
    auto o = std::make_unique<ClipboardObject>();
    o->SetName(name);
    for (const auto& [key, value] : values)
        o->GetParameters().addStringParameter(key, "", value, "");
    return host.clipboard.AddInserter(o.get()) ? o.release() : nullptr;
}

ClipboardObject* Responses(RecordingHost& host, const std::string& name, const std::vector<double>& values)
{
    auto o = std::make_unique<ClipboardObject>();
    o->SetName(name);
    o->GetParameters().addDouble1DArrayParameter("ClpValues", "", static_cast<int>(values.size()), values.data(), 0);
    return host.clipboard.AddInserter(o.get()) ? o.release() : nullptr;
}

void Gaussian(RecordingHost& host, const std::string& group, const std::string& name, double peak, double fwhm)
{
    Object(host, group + ":" + name,
           {{"Name", name},
            {"SpectralModel", "GaussianLEDModel"},
            {"PeakWavelength", std::to_string(peak)},
            {"FWHM", std::to_string(fwhm)}});
}

void Set(Module& m, const char* name, const std::string& value)
{
    ASSERT_TRUE(m.getParameters().setStringParameter(name, value)) << name;
}

void Flag(Module& m, const char* name, bool value)
{
    ASSERT_TRUE(m.getParameters().setBoolParameter(name, value)) << name;
}

void Number(Module& m, const char* name, int value)
{
    ASSERT_TRUE(m.getParameters().setIntParameter(name, value)) << name;
}

// The first top-level group whose name starts with prefix (the first run's result group).
std::string GroupStarting(RecordingHost& host, const std::string& prefix)
{
    for (auto* node : host.spectra.GetRootNode()->GetChildren())
        if (node->GetName().rfind(prefix, 0) == 0)
            return node->GetName();
    return prefix;
}

// Colour and integral values: observers, illuminant and samples on one grid.
void ColourInputs(RecordingHost& host)
{
    Band(host, "Obs:a", 450, 40);
    Band(host, "Obs:b", 550, 40);
    Band(host, "Obs:c", 610, 40);
    Curve(host, "Licht:E", 400, 10, 31, [](double) { return 1.0; });
    Band(host, "Proben:p1", 500, 80);
    Band(host, "Proben:p2", 620, 60);
}

// A trained rule (sensitivities "sens:sub", targets "targ", rule in "rule") and measured
// responses named like the targets beside it.
void InterpolatorInputs(RecordingHost& host)
{
    const double centres[] = {450, 550, 630};
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c)
        Curve(host, std::string("sens:sub:") + names[c], 400, 10, 31, [&](double x) { return Gauss(x, centres[c], 35); },
              0x000010 * (c + 1));
    for (int k = 1; k <= 8; ++k)
        Curve(host, "targ:t" + std::to_string(k), 400, 10, 31,
              [k](double x) { return 0.5 + 0.4 * std::sin(0.002 * x * k + k); });
    CreateInterpolatorModule train;
    train.SetModuleInterface(&host);
    std::uint32_t seed = 100;
    train.SetSeedSource([&seed] { return ++seed; });
    Set(train, "SpecDescAsystem", "sens");
    Set(train, "SpecDescTargets", "targ");
    Set(train, "TargetGroup", "rule");
    ASSERT_TRUE(train.createinterpolator()) << ::testing::PrintToString(host.LogTexts());
    for (const char* target : {"t1", "t3", "t6"}) {
        std::vector<double> a;
        const Spectrum* t = host.spectra.GetInserter(std::string("targ:") + target);
        for (const char* name : names) {
            const Spectrum* s = host.spectra.GetInserter(std::string("sens:sub:") + name);
            double sum = 0;
            for (int j = 0; j < 31; ++j)
                sum += (*s)[j].y * (*t)[j].y;
            a.push_back(sum);
        }
        Responses(host, std::string("rule:qSens:") + target, a);
    }
}

void LedInputs(RecordingHost& host)
{
    Gaussian(host, "In", "a", 0.46, 0.04);
    Gaussian(host, "In", "b", 0.53, 0.035);
    Gaussian(host, "In", "c", 0.62, 0.05);
    auto g = [](double x, double peak, double fwhm) {
        const double u = (x / 1000 - peak) / (fwhm / 2);
        return std::exp(-std::log(2.0) * u * u);
    };
    Curve(host, "T:T1", 380, 2, 201,
          [&](double x) { return 0.8 * g(x, 0.46, 0.04) + 0.3 * g(x, 0.53, 0.035) + 0.5 * g(x, 0.62, 0.05); });
    Curve(host, "T:T2", 380, 2, 201,
          [&](double x) { return 0.4 * g(x, 0.46, 0.04) + 0.9 * g(x, 0.53, 0.035) + 0.2 * g(x, 0.62, 0.05); });
}

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"integral values, responses sorted over their own ranks",
         [](RecordingHost& h) -> Module* {
             return Place(h, new IntTessarine, "Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten");
         },
         ColourInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("Proben"));
             Set(m, "ObserverDesc", in("Obs;_sortobs"));
             Set(m, "TargetGroup", "Werte");
             Flag(m, "SortResponses", true);
         },
         "calculate_integrals"},
        {"integral values, quantum-efficiency responses over the responses, samples among them",
         [](RecordingHost& h) -> Module* {
             return Place(h, new IntTessarine, "Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten");
         },
         ColourInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("Proben;Obs_resp"));
             Set(m, "ObserverDesc", in("Obs;Obs_resp"));
             Set(m, "LightDesc", in("Licht"));
             Set(m, "TargetGroup", "Werte");
             Flag(m, "SaveObserverResponse", true);
             Flag(m, "ObserverIsQE", true);
             Flag(m, "SortResponses", true);
         },
         "calculate_integrals"},
        {"colour values",
         [](RecordingHost& h) -> Module* { return Place(h, new ColorTessarine, "Farb|me|trik:Farb|werte be|rech|nen"); },
         ColourInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("Proben"));
             Set(m, "ObserverDesc", in("Obs"));
             Set(m, "LightDesc", in("Licht"));
             Set(m, "TargetGroup", "Proben");
         },
         "calculate_colors"},
        {"algebraic selection over its own result group",
         [](RecordingHost& h) -> Module* { return Place(h, new SVDSelectionModule, "Rechnen:Auswahl"); },
         [](RecordingHost& h) {
             Band(h, "C:a", 450);
             Band(h, "C:b", 470);
             Band(h, "C:c", 600);
             Band(h, "C:d", 650);
         },
         [](Module& m, const Inputs& in, int run) {
             Set(m, "SpecDesc", in(run == 0 ? std::string("C") : GroupStarting(in.state, "Erg_")));
             Set(m, "TargetGroup", "Erg");
             Number(m, "SpecCount", 3);
         },
         "svdselection"},
        {"algebraic sensor selection into the candidates' group",
         [](RecordingHost& h) -> Module* { return Place(h, new SVDSensSelectionModule, "Rechnen:Sensorauswahl"); },
         [](RecordingHost& h) {
             for (int i = 0; i < 4; ++i)
                 Band(h, "C:k" + std::to_string(i), 420 + 80 * i);
             Band(h, "W:a", 450, 60);
             Band(h, "W:b", 600, 60);
         },
         [](Module& m, const Inputs& in, int run) {
             Set(m, "SpecDesc", in(run == 0 ? std::string("C") : GroupStarting(in.state, "Erg_")));
             Set(m, "WSpecDesc", in("W"));
             Set(m, "TargetGroup", "Erg");
             Number(m, "SpecCount", 2);
         },
         "svdsensselection"},
        {"interpolator test, measured responses named like the targets",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new TestInterpolatorModule, "Rechnen:Test");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         InterpolatorInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecMessSystem", "");
             Set(m, "MessSystemSamples", in("rule:qSens"));
             Set(m, "SpecInterpolator", in("rule:qSPECs"));
             Set(m, "SpecTargets", in("targ"));
             Set(m, "TargetGroup", "targ");
             m.getParameters().setDoubleParameter("RangeOfValueMin", -1000);
             m.getParameters().setDoubleParameter("RangeOfValueMax", 1000);
         },
         "testinterpolator",
         {"rule"}},
        {"interpolator test, simulated responses into the targets' group",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new TestInterpolatorModule, "Rechnen:Test");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         InterpolatorInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecMessSystem", in("rule:qSens"));
             Set(m, "SpecInterpolator", in("rule:qSPECs"));
             Set(m, "SpecTargets", in("targ"));
             Set(m, "TargetGroup", "targ");
             m.getParameters().setDoubleParameter("RangeOfValueMin", -1000);
             m.getParameters().setDoubleParameter("RangeOfValueMax", 1000);
         },
         "testinterpolator",
         {"rule"}},
        {"interpolator training into the sensitivities' group",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new CreateInterpolatorModule, "Rechnen:Training");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         InterpolatorInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDescAsystem", in("sens;rule"));
             Set(m, "SpecDescTargets", in("targ"));
             Set(m, "TargetGroup", "sens");
         },
         "createinterpolator",
         {"rule"}},
        {"normalising into the input group",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new NormalizeModule, "Rechnen:Normieren");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         [](RecordingHost& h) {
             Band(h, "G:a", 450);
             Band(h, "G:b", 550);
             Band(h, "Ref:r", 500, 100);
         },
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("G"));
             Set(m, "RefSpecDesc", in("Ref:r"));
             Set(m, "TargetGroup", "G");
             Flag(m, "UseTargetGroup", true);
             m.getParameters().setDoubleParameter("XStart", 400);
             m.getParameters().setDoubleParameter("XEnd", 700);
             m.getParameters().setDoubleParameter("XStep", 5);
         },
         "normalize"},
        {"filters into the input group",
         [](RecordingHost& h) -> Module* { return Place(h, new SpectralFilterModule, "Rechnen:Filter"); },
         [](RecordingHost& h) {
             Band(h, "G:a", 450);
             Band(h, "G:b", 550);
         },
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("G"));
             Set(m, "SpecGroup", "G");
             Number(m, "FilterSel", 1);
         },
         "SpectralFilter"},
        {"point arithmetic into the input group",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new RemTransSpecModule, "Rechnen:Arithmetik");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         [](RecordingHost& h) {
             Band(h, "G:a", 450);
             Band(h, "G:b", 550);
             Band(h, "L:a", 500, 100);
             Band(h, "L:b", 520, 90);
         },
         [](Module& m, const Inputs& in, int) {
             Set(m, "LightSpecDesc", in("L;G"));
             Set(m, "SpecDesc", in("G"));
             Set(m, "TargetGroup", "G");
             Flag(m, "UseInputNamesForGroups", false);
             Number(m, "AritmetikfuncSel", 2);
         },
         "calculate"},
        {"recolouring after a template",
         [](RecordingHost& h) -> Module* { return Place(h, new ColNormalizeModule, "Rechnen:Farben"); },
         [](RecordingHost& h) {
             Band(h, "G:a", 450)->SetColor(0x0000ff);
             Band(h, "G:b", 550)->SetColor(0x00ff00);
             Band(h, "Vorlage:a", 450)->SetColor(0xff0000);
         },
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("G"));
             Set(m, "RefSpecDesc", in("Vorlage;G"));
         },
         "normalize"},
        {"integral-variance sensor selection into the sensors' group",
         [](RecordingHost& h) -> Module* {
             auto* m = Place(h, new SpectralIntegralVarModule, "Rechnen:Integralvarianz");
             m->SetSeedSource([] { return 5u; });
             return m;
         },
         [](RecordingHost& h) {
             for (int c = 0; c < 6; ++c)
                 Curve(h, "Sens:ch" + std::to_string(c), 400, 10, 31,
                       [c](double x) { return Gauss(x, 410 + 50 * c, 25 + 3 * c); });
             for (int t = 0; t < 4; ++t) {
                 Curve(h, "T:ziel" + std::to_string(t) + "@k" + std::to_string(t) + "@", 400, 10, 31,
                       [t](double x) { return 0.2 + Gauss(x, 450 + 70 * t, 60); });
                 for (int v = 0; v < 2; ++v)
                     Curve(h, "V:k" + std::to_string(t) + "_" + std::to_string(v), 400, 10, 31,
                           [v](double x) { return 0.8 + 0.1 * v * std::sin(x / 37.0 + v); });
             }
         },
         [](Module& m, const Inputs& in, int) {
             Set(m, "SpecDesc", in("Sens"));
             Set(m, "WSpecDesc", in("T"));
             Set(m, "WSpecDesc2", in("V"));
             Set(m, "SpecGroup", "Sens");
             Number(m, "SpecCount", 3);
         },
         "spectralintegralvarselection"},
        {"LED lightness, results beside the targets",
         [](RecordingHost& h) -> Module* { return Place(h, new LedLightnessTessarine, "LED:Helligkeiten"); },
         LedInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "LEDsDesc", in("In"));
             Set(m, "SpecsDesc", in("T;T_Specs"));
             Set(m, "ClipboardTargetGroup", "T");
         },
         "calculate"},
        {"LED spectra into the records' group",
         [](RecordingHost& h) -> Module* { return Place(h, new LEDSpecsCreateModule, "LED:Spektren"); },
         LedInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "LEDsDesc", in("In"));
             Set(m, "SpecGroup", "T");
         },
         "create_specs"},
        {"LED fitting into the records' group",
         [](RecordingHost& h) -> Module* { return Place(h, new LEDContinuousFittingModule, "LED:Fitting"); },
         LedInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "LEDsDesc", in("In"));
             Set(m, "SpecDesc", in("T:T1"));
             Set(m, "LEDModelName", "GaussianLEDModel");
             Set(m, "ClipboardTargetGroup", "In");
         },
         "calculate_fitting"},
        {"LED selection into the records' group",
         [](RecordingHost& h) -> Module* { return Place(h, new LEDSelectionModule, "LED:Auswahl"); },
         LedInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "TargetSpecs", in("T"));
             Set(m, "LEDsDesc", in("In"));
             Set(m, "ClipboardTargetGroup", "In");
             Number(m, "LEDCount", 2);
             Number(m, "ProposalCount", 2);
             Number(m, "SelectorIterationCount", 5);
         },
         "do_selection"},
        {"LED random spectra into the records' group",
         [](RecordingHost& h) -> Module* { return Place(h, new LEDRandomSpecsModule, "LED:Zufall"); },
         LedInputs,
         [](Module& m, const Inputs& in, int) {
             Set(m, "LEDsDesc", in("In"));
             Set(m, "SpecGroup", "T");
             Number(m, "SpecCount", 3);
         },
         "calculate_specs"},
        {"script that runs a module over the group and writes over its result",
         [](RecordingHost& h) -> Module* {
             Place(h, new SpectralFilterModule, "Rechnen:Filter");
             return Place(h, new Mervolt, "Skript:Compiler");
         },
         [](RecordingHost& h) {
             Band(h, "G:a", 450);
             Band(h, "G:b", 550);
         },
         [](Module& m, const Inputs& in, int) {
             const std::string g = in("G");
             // The script copies what it reads at once; the module it runs refiles the group,
             // then the script writes over one of the module's results.
             Set(m, "SourceCode", "a = getSpectrum(\"" + g + ":a\");\n"
                                  "setParameter(\"Rechnen:Filter\", \"SpecDesc\", \"" + g + "\");\n"
                                  "setParameter(\"Rechnen:Filter\", \"SpecGroup\", \"G\");\n"
                                  "run(\"Rechnen:Filter\", \"SpectralFilter\");\n"
                                  "setSpectrum(\"G:a\", [a[0]; 2 * a[1]]);\n");
         },
         "interprete"},
    };
    return cases;
}

// Runs the module's operation between the host's StartCalculation and EndCalculation, as the
// program's forms do.
bool RunBracketed(RecordingHost& host, Module& module, const char* operation)
{
    if (auto* script = dynamic_cast<Mervolt*>(&module)) {
        host.StartCalculation();
        const bool ok = script->Compile() && script->Interprete();
        host.EndCalculation();
        return ok;
    }
    platform::SRand(11);
    host.StartCalculation();
    const std::optional<bool> ok = module.RunAutomation(operation);
    host.EndCalculation();
    return ok.value_or(false);
}

// The LED modules' fixture puts the engine's grid back after each case.
class InPlaceRuns : public led_test::ModulesTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(InPlaceRuns, ResultsAreThoseOfFreshCopies)
{
    const Case& c = Cases()[GetParam()];
    SCOPED_TRACE(c.name);
    Module* module = c.make(host);
    ASSERT_NE(module, nullptr);
    c.inputs(host);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    host.log.clear();

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        // The same run over marked copies of everything, in a host of its own.
        RecordingHost fresh;
        Module* freshModule = c.make(fresh);
        const auto mark = [&c](const std::string& name) { return Marked(name, c.kept); };
        CopyNodes<SpectrumTree, Spectrum>(host.spectra.GetRootNode(), fresh.spectra, mark);
        CopyNodes<ClipboardTree, ClipboardObject>(host.clipboard.GetRootNode(), fresh.clipboard, mark);
        c.configure(*freshModule, Inputs{true, host, c.kept}, run);
        const State freshBefore = Contents(fresh);
        ASSERT_TRUE(RunBracketed(fresh, *freshModule, c.operation)) << ::testing::PrintToString(fresh.LogTexts());
        const auto expected = Filed(freshBefore, Contents(fresh));
        ASSERT_FALSE(expected.empty()) << "the run filed nothing";

        c.configure(*module, Inputs{false, host, c.kept}, run);
        const State before = Contents(host);
        ASSERT_TRUE(RunBracketed(host, *module, c.operation)) << ::testing::PrintToString(host.LogTexts());
        // The same results under the same names, and the same messages.
        EXPECT_EQ(Filed(before, Contents(host)), expected);
        std::vector<std::string> freshLog;
        for (const std::string& line : fresh.LogTexts())
            freshLog.push_back(Unmarked(line));
        EXPECT_EQ(host.LogTexts(), freshLog);
        host.log.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModule, InPlaceRuns, ::testing::Range<std::size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string name;
                             for (const char* p = Cases()[info.param].name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return std::to_string(info.param) + "_" + name.substr(0, 40);
                         });

} // namespace
