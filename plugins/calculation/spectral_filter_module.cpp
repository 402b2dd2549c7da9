#include "calculation/spectral_filter_module.h"

#include "calculation/spectral_filter_form.h"
#include "calculation/spectral_filters.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren ausgewählt!";
constexpr char kDifferentX[] = "Fehler: Spektrensammlung mit unterschiedlichen Wellenlängen-Werten!";
constexpr char kTooShort[] = "Fehler: Zu wenige Spektralpunkte für diesen Filter!";

// An input as it stood before the first result was filed.
struct Input {
    std::string name;
    COLORREF colour = 0;
    std::vector<double> x, y;
};

} // namespace

SpectralFilterModule::SpectralFilterModule()
    : calc::CalcModule("SpectralFilterModule")
{
    for (int f = 0; f < spectral_filter::kFilterCount; ++f)
        m_filters.addEntry(spectral_filter::EntryText(f));

    ns_param::Paramora& p = getParameters();
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("SpecGroup", "", "", "");
    p.addBoolParameter("FilterPostProc_Abs", "FilterPostProc_Abs", false, false);
    p.addBoolParameter("FilterAdaptiv", "FilterAdaptiv", false, false);
    p.addBoolParameter("AutoDetect", "AutoDetect", false, false);
    p.addDoubleParameter("AMIVal", "", 0.1, 0, 1000, 0.1);
    p.addIntParameter("AMISteps", "", 3, 1, 63, 1);
    p.addEnumParameter("Filter", "", m_filters, nullptr);
    p.addIntParameter("FilterSel", "", 0, 0, 6, 0);
}

SpectralFilterModule::~SpectralFilterModule() = default;

const CRuntimeClass* SpectralFilterModule::GetEditorClass()
{
    return RUNTIME_CLASS(SpectralFilterForm);
}

std::vector<SAutomationPtrList> SpectralFilterModule::GetAutomationPtr()
{
    return {{"SpectralFilter", static_cast<SAutomationPtrList::Function>(&SpectralFilterModule::SpectralFilter)}};
}

calc::OwnRange SpectralFilterModule::OwnRangeOf(const std::string& name)
{
    ns_param::Paramora& p = getParameters();
    if (name == "AMISteps" && *p.getIntParameter("FilterSel") == spectral_filter::kMean2
        && !*p.getBoolParameter("FilterAdaptiv"))
        return calc::OwnRange::Clamped;
    return calc::OwnRange::None;
}

bool SpectralFilterModule::SpectralFilter()
{
    // The selection has its own lines before the range rule.
    RunScope run(*this, Numbers::AfterOwnChecks);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = run.p;

    const std::list<Spectrum*> found = tree->GetInserters(*p.getStringParameter("SpecDesc"), false);
    if (found.empty()) {
        calc::LogError(host, kNoSpectra);
        return false;
    }
    SpectrumList spectra;
    spectra = found;
    if (!spectra.SpecsSameXVals()) {
        calc::LogError(host, kDifferentX);
        return false;
    }
    if (!ParametersInRange())
        return false;

    const int filter = calc::SyncEnumFromSel(p, "Filter");
    const bool keepSign = *p.getBoolParameter("FilterPostProc_Abs");
    const bool adaptive = *p.getBoolParameter("FilterAdaptiv");
    const bool autoDetect = *p.getBoolParameter("AutoDetect");
    const std::string specGroup = *p.getStringParameter("SpecGroup");
    const int steps = *p.getIntParameter("AMISteps");
    const double value = *p.getDoubleParameter("AMIVal");
    std::string selection = *p.getStringParameter("SpecDesc");
    GroupedStringProc(selection, 16);
    SingleStringProc(selection, 16);

    if (filter < 0 || ((filter == spectral_filter::kMedian || (filter == spectral_filter::kMean2 && adaptive))
                       && steps < 1)) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    const std::string group = !specGroup.empty()
                                  ? specGroup + ":"
                                  : "FilteredSpecs:" + selection + "_"
                                        + spectral_filter::GroupWord(filter, adaptive) + ":";
    const double threshold = filter == spectral_filter::kContinuity ? 1 - value + 1e-05 : value;
    // Sorted in place, as the inputs are shown from then on.
    if (!spectra.SpecsSorted())
        for (Spectrum* s : spectra)
            s->SortPoints();

    // Every input is read before the first result is filed: a result may replace an input.
    std::vector<Input> inputs;
    inputs.reserve(spectra.size());
    for (const Spectrum* s : spectra) {
        Input in{s->GetName(), s->GetColor(), {}, {}};
        in.x.resize(static_cast<std::size_t>(s->GetPointCount()));
        in.y.resize(in.x.size());
        s->getXPointsAsArray(in.x.data());
        s->getYPointsAsArray(in.y.data());
        inputs.push_back(std::move(in));
    }
    const Input& first = inputs.front();
    const int w = static_cast<int>(first.y.size());
    if (w < spectral_filter::MinimumPoints(filter, adaptive, steps)) {
        calc::LogError(host, kTooShort);
        return false;
    }

    spectral_filter::Settings settings;
    settings.filter = filter;
    settings.adaptive = adaptive;
    settings.steps = steps;
    settings.threshold = threshold;
    settings.keepSign = keepSign;
    if (w >= 2) {
        const auto [lo, hi] = std::minmax_element(first.x.begin(), first.x.end());
        settings.margin = spectral_filter::Margin(*lo, *hi, first.x[0], first.x[1]);
    }

    std::vector<int> stepList;
    if (filter == spectral_filter::kContinuity && autoDetect && inputs.size() > 1) {
        std::vector<std::span<const double>> ys;
        for (const Input& in : inputs)
            ys.emplace_back(in.y);
        stepList = spectral_filter::StepList(ys, steps);
    }

    std::vector<double> out(static_cast<std::size_t>(w));
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const Input& in = inputs[k];
        host->SetStatusText(calc::FormatText("Filtere Spektrum %zu von %zu", k + 1, inputs.size()));
        spectral_filter::Apply(settings, in.y, stepList, out);
        std::string name = group + calc::ShortName(in.name);
        calc::CleanGroupPath(name);
        auto result = std::make_unique<Spectrum>();
        result->SetName(name);
        result->SetColor(in.colour);
        result->ReservePoints(w);
        for (int i = 0; i < w; ++i)
            result->AddPoint(calc::ClampedPoint(in.x[i], out[i]));
        calc::FileSpectrum(*tree, std::move(result));
    }
    return true;
}
