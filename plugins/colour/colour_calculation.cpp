#include "colour/colour_calculation.h"

#include "colour/colour_calculation_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"
#include "platform/vformat.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>
#include <vector>

namespace {

constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren angegeben!";
constexpr char kOneWeightOnly[] = "Fehler: In diesem Modus ist maximal ein Wichtungsspektrum möglich!";
constexpr char kNoColourCurves[] = "Fehler: Es wurden keine Beobachter-Spektralwertkurven angegeben!";
constexpr char kNoWeightCurves[] = "Fehler: Es wurden keine Beobachter-Wichtungsfunktionen angegeben!";
constexpr char kTooManyCurves[] =
    "Hinweis: Es sind nicht mehr als 3 Beobachter-Spektralwertkurven für die colorimetrische Auswertung erlaubt!";

std::string Leaf(const std::string& path)
{
    const auto colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

std::string AfterFirstColon(const std::string& path)
{
    const auto colon = path.find(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

std::string BeforeFirst(const std::string& text, char c)
{
    return text.substr(0, text.find(c));
}

std::string WithoutPercent(std::string name)
{
    name.erase(std::remove(name.begin(), name.end(), '%'), name.end());
    return name;
}

std::vector<Spectrum*> Resolve(SpectrumTree& tree, const std::string& selection)
{
    const std::list<Spectrum*> found = tree.GetInserters(selection, false);
    return {found.begin(), found.end()};
}

} // namespace

ColorCalculationModule::ColorCalculationModule(const char* typeName, bool integral)
    : calc::CalcModule(typeName)
    , m_integral(integral)
{
    ns_param::Paramora& p = getParameters();
    p.addBoolParameter("SaveObserverResponse", "", false, false);
    p.addBoolParameter("ObserverIsQE", "", false, false);
    p.addBoolParameter("IsColorValue", "", !integral, !integral);
    p.addBoolParameter("IsIntegralValue", "", false, false);
    p.addBoolParameter("SortResponses", "", false, false);
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("LightDesc", "", "", "");
    p.addStringParameter("ObserverDesc", "", "", "");
    p.addStringParameter("TargetGroup", "", "", "");
}

ColorCalculationModule::~ColorCalculationModule() = default;

const CRuntimeClass* ColorCalculationModule::GetEditorClass()
{
    return RUNTIME_CLASS(CColorCalculationForm);
}

std::string ColorCalculationModule::DerivedTargetGroup(const std::string& specDesc, const std::string& observerDesc)
{
    // With ";" the first entry of each selection names the group; each is then cut before
    // its first ":" (the group the selection lies in).
    const std::string a = BeforeFirst(BeforeFirst(specDesc, ';'), ':');
    const std::string b = BeforeFirst(BeforeFirst(observerDesc, ';'), ':');
    return a + "_Clp" + "_from_" + b;
}

bool ColorCalculationModule::ReadRun(RunScope& run, colour::Settings& set, colour::Inputs& in)
{
    ns_param::Paramora& p = run.p;
    set.integral = m_integral;
    set.saveResponse = *p.getBoolParameter("SaveObserverResponse");
    set.isQE = *p.getBoolParameter("ObserverIsQE");
    set.colourMode = *p.getBoolParameter("IsColorValue");
    set.integralWords = *p.getBoolParameter("IsIntegralValue");
    set.sort = m_integral && *p.getBoolParameter("SortResponses");

    in.specs = Resolve(*run.spectra, *p.getStringParameter("SpecDesc"));
    if (in.specs.empty()) {
        calc::LogError(run.host, kNoSpectra);
        return false;
    }
    in.lights = Resolve(*run.spectra, *p.getStringParameter("LightDesc"));
    if (set.sort && in.lights.size() >= 2) {
        calc::LogError(run.host, kOneWeightOnly);
        return false;
    }
    in.observers = Resolve(*run.spectra, *p.getStringParameter("ObserverDesc"));
    if (in.observers.empty()) {
        calc::LogError(run.host, set.colourMode ? kNoColourCurves : kNoWeightCurves);
        return false;
    }
    if (!m_integral && in.observers.size() > 3)
        calc::LogHint(run.host, kTooManyCurves);

    set.target = *p.getStringParameter("TargetGroup");
    if (set.target.empty())
        set.target = DerivedTargetGroup(*p.getStringParameter("SpecDesc"), *p.getStringParameter("ObserverDesc"));
    if (const char* error = colour::GridError(in)) {
        calc::LogError(run.host, error);
        return false;
    }
    return true;
}

void ColorCalculationModule::File(RunScope& run, const colour::Settings& set, const colour::Inputs& in,
                                  const colour::Values& v)
{
    run.clipboard->DeleteInserters(set.target);
    const char* prefix = set.colourMode ? (set.integralWords ? "Erzeuge Farbwert " : "Erzeuge Farbvalenz ")
                                        : (set.integralWords ? "Erzeuge Integralwert " : "Erzeuge Merkmalvektor ");
    const int n = static_cast<int>(v.curves);
    const int total = static_cast<int>(v.values.size());
    for (int c = 0; c < total; ++c) {
        const std::size_t l = static_cast<std::size_t>(c) / in.specs.size();
        const std::string& spec = in.specs[static_cast<std::size_t>(c) % in.specs.size()]->GetName();
        std::string name = set.target + ":" + (in.lights.empty() ? "" : Leaf(in.lights[l]->GetName()) + ":") +
                           WithoutPercent(set.colourMode ? Leaf(spec) : AfterFirstColon(spec));
        NormColons(name);
        auto object = std::make_unique<ClipboardObject>();
        object->SetName(name);
        object->GetParameters().addDouble1DArrayParameter("ClpValues", "", n, v.values[static_cast<std::size_t>(c)].data(), 0.0);
        object->GetParameters().addDouble1DArrayParameter("ClpRefs", "", n, v.refs[l].data(), 0.0);
        if (run.clipboard->AddInserter(object.get()))
            object.release();
        run.host->SetStatusText(platform::Format("%s%d von %d", prefix, c + 1, total));
        run.host->SetProgressBarPercentage((c + 1) * 100.0 / total);
    }

    for (std::size_t j = 0; j < v.responses.size(); ++j) {
        const Spectrum& o = *in.observers[j];
        const std::string& oname = o.GetName();
        const auto colon = oname.find(':');
        auto response = std::make_unique<Spectrum>();
        for (const SPoint& point : v.responses[j])
            response->AddPoint(point);
        response->SetName(colon == std::string::npos ? "_resp:" + oname
                                                     : oname.substr(0, colon) + "_resp:" + oname.substr(colon + 1));
        response->SetColor(o.GetColor());
        if (run.spectra->AddInserter(response.get()))
            response.release();
    }

    int rank = 1;
    for (const std::size_t j : v.order) {
        auto copy = std::make_unique<Spectrum>(*in.observers[j]);
        copy->SetName(platform::Format("_sortobs:%d_%s_%g", rank++, Leaf(in.observers[j]->GetName()).c_str(),
                                       v.best[j]));
        if (run.spectra->AddInserter(copy.get()))
            copy.release();
    }
}

bool ColorCalculationModule::Calculate()
{
    RunScope run(*this, Numbers::Read, kSpectra | kClipboard);
    if (!run)
        return false;
    colour::Settings settings;
    colour::Inputs inputs;
    if (!ReadRun(run, settings, inputs))
        return false;
    // Every check comes before anything is deleted or filed, so a refused run keeps the
    // earlier results.
    colour::Values values;
    const char* error = nullptr;
    if (!colour::Compute(settings, inputs, values, error)) {
        calc::LogError(run.host, error);
        return false;
    }
    File(run, settings, inputs, values);
    return true;
}

ColorTessarine::ColorTessarine()
    : ColorCalculationModule("Color_ColorCalculation", false)
{
}

std::vector<SAutomationPtrList> ColorTessarine::GetAutomationPtr()
{
    return {{"calculate_colors", static_cast<SAutomationPtrList::Function>(&ColorTessarine::CalculateColors)}};
}

bool ColorTessarine::CalculateColors()
{
    return Calculate();
}

IntTessarine::IntTessarine()
    : ColorCalculationModule("Color_IntCalculation", true)
{
}

std::vector<SAutomationPtrList> IntTessarine::GetAutomationPtr()
{
    return {{"calculate_integrals", static_cast<SAutomationPtrList::Function>(&IntTessarine::CalculateIntegrals)}};
}

bool IntTessarine::CalculateIntegrals()
{
    return Calculate();
}
