#include "calculation/svd_selection_module.h"

#include "calculation/spectrum_screening.h"
#include "calculation/svd_selection_events.h"
#include "calculation/svd_selection_form.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <embrel/spek_container.h>
#include <embrel/apriori_interpolator.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr char kNoMoreSelection[] = "Fehler: Keine weitere Auswahl erforderlich!";
constexpr char kNoSpectra[] = "Fehler: Keine Spektren ausgewählt!";
constexpr char kDifferentX[] = "Fehler: Unterschiedliche X-Werte!";
constexpr char kStartX[] = "Fehler: Spektrale Startauswahl hat unterschiedliche X-Werte!";
constexpr char kWeightX[] = "Fehler: Spektrale Wichtung hat unterschiedliche X-Werte!";
constexpr char kSamplesHint[] = "Hinweis: Auswahlmodus \"Samples aus Spektren und Spektrenwichtungen\" ";
constexpr char kSpectraHint[] = "Hinweis: Auswahlmodus \"Spektren\" ";
constexpr char kSensorHint[] = "Hinweis: Auswahlmodus \"Integrale Samples aus Spektren und Spektrenwichtungen\" ";
constexpr char kNoWeights[] = "Fehler: Bitte geben Sie für den Auswahlmodus \"Integrale Samples aus Spektren und "
                              "Spektrenwichtungen\" die Gewichtungen an!";
constexpr char kOneGroup[] = "Fehler: Nur eine Spektrengruppe zur namenssynchronen Auswahl erlaubt!";

SpectrumList Fetch(SpectrumTree& tree, const std::string& names)
{
    SpectrumList list;
    if (!names.empty())
        list = tree.GetInserters(names, false);
    return list;
}

// The shortened form of a selection text used in default group names.
std::string Shortened(std::string text)
{
    GroupedStringProc(text, 10);
    SingleStringProc(text, 10);
    return text;
}

std::string TrimmedShort(const std::string& name)
{
    return trim(calc::ShortName(name), calc::kBlanks);
}

std::vector<double> Ys(const Spectrum& s)
{
    std::vector<double> y(s.GetPointCount());
    s.getYPointsAsArray(y.data());
    return y;
}

// Replaces what stands at the name and files a copy of source there.
void StoreCopy(SpectrumTree& tree, const Spectrum& source, std::string name, COLORREF colour)
{
    calc::CleanGroupPath(name);
    auto copy = std::make_unique<Spectrum>(source);
    copy->SetName(name);
    copy->SetColor(colour);
    tree.DeleteInserters(name);
    calc::FileSpectrum(tree, std::move(copy));
}

} // namespace

SVDSelectionModule::SVDSelectionModule()
    : SVDSelectionModule("SVDSelectionModule", svdsel::AtThreshold::Left)
{
}

SVDSelectionModule::SVDSelectionModule(const std::string& typeName, svdsel::AtThreshold atThreshold)
    : calc::CalcModule(typeName)
    , m_atThreshold(atThreshold)
{
    ns_param::Paramora& p = getParameters();
    p.addDoubleParameter("NormVal", "", 10, 0, 100, 10);
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("AeqSpecDesc", "", "", "");
    p.addStringParameter("RefSpecDesc", "", "", "");
    p.addStringParameter("WSpecDesc", "", "", "");
    p.addStringParameter("TargetGroup", "", "", "");
    p.addStringParameter("CheckSpecKeywords", "", "", "");
    p.addIntParameter("SpecCount", "", 1, 1, 10000, 1);
    p.addDoubleParameter("SpecMinSVDValue", "", 0, 0, 100000, 0);
    p.addBoolParameter("AddSpecs", "", false, false);
    p.addBoolParameter("NormSpecs", "", false, false);
    p.addIntParameter("NormType", "", 0, 0, 1, 0);
}

SVDSelectionModule::~SVDSelectionModule() = default;

const CRuntimeClass* SVDSelectionModule::GetEditorClass()
{
    return RUNTIME_CLASS(SVDSelectionForm);
}

std::vector<SAutomationPtrList> SVDSelectionModule::GetAutomationPtr()
{
    return {{"svdselection", static_cast<SAutomationPtrList::Function>(&SVDSelectionModule::svdselection)}};
}

bool SVDSelectionModule::svdselection()
{
    return Run(false);
}

double SVDSelectionModule::GetSpectrumNormValue(const Spectrum& spectrum)
{
    ns_param::Paramora& p = getParameters();
    return svdsel::GetSpectrumNormValue(spectrum, *p.getIntParameter("NormType"), *p.getDoubleParameter("NormVal"),
                                        m_atThreshold);
}

namespace svdsel {

double GetSpectrumNormValue(const Spectrum& spectrum, int normType, double normVal, AtThreshold atThreshold)
{
    double m = 0;
    const std::vector<double> y = Ys(spectrum);
    for (double v : y)
        m = std::max(m, v);
    if (normType == 0)
        return m;
    const double threshold = m * normVal / 100;
    double sum = 0;
    for (double v : y)
        if (v > 0 && (v > threshold || (atThreshold == AtThreshold::Counted && v == threshold)))
            sum += v;
    return sum;
}

namespace {

// The divisor of a spectrum's values: 1 without NormSpecs, and 1 for a divisor of 0 (an
// all-zero spectrum) or one that is not finite, which leave the spectrum unscaled.
double Factor(const Settings& s, const Spectrum& spectrum)
{
    if (!s.normSpecs)
        return 1.0;
    const double f = GetSpectrumNormValue(spectrum, s.normType, s.normVal, s.atThreshold);
    return f != 0 && std::isfinite(f) ? f : 1.0;
}

// Spectra mode: each candidate weighted by the summed weighting where the first weighting
// spectrum times the candidate is positive. Fills all with the candidates' targets.
tyMBStatus SelectInSpectraMode(const Settings& s, const SpectrumList& candidates, const SpectrumList& starts,
                               const std::vector<const Spectrum*>& weights, CMBLibEventHandler* handler,
                               CSpekContainer& all, std::vector<int>& indices, double& value)
{
    const int n = candidates.front()->GetPointCount();
    std::vector<double> summed(n, 0.0);
    for (const Spectrum* w : weights)
        for (int k = 0; k < n; ++k)
            summed[k] += (*w)[k].y;
    auto target = [&](const Spectrum& c) {
        const double f = Factor(s, c);
        CMBTarget t(n, 0.0);
        for (int k = 0; k < n; ++k) {
            const double ck = c[k].y;
            if (weights.empty())
                t[k] = ck > 0 ? ck / f : 0.0;
            else
                t[k] = (*weights.front())[k].y * ck > 0 ? summed[k] * ck / f : 0.0;
        }
        return t;
    };
    CSpekContainer start;
    for (const Spectrum* c : candidates)
        all.AddSpek(target(*c), c->GetName());
    for (const Spectrum* st : starts)
        start.AddSpek(target(*st), st->GetName());
    CAprioriInterpolator interpolator(all, all, all[0], CMBTarget(), all, CMBTarget(), 1, 1);
    interpolator.SetEventHandler(handler);
    return interpolator.OptTargetSelection(s.specCount, start.GetSpekCount() > 0 ? &start : nullptr, false,
                                           indices.data(), nullptr, &value);
}

// Sample mode: one value per weighting spectrum, the integral of candidate times weight. A
// start spectrum counts only as the candidate of its full name, with that candidate's sample.
tyMBStatus SelectInSampleMode(const Settings& s, const SpectrumList& candidates, const SpectrumList& starts,
                              const std::vector<const Spectrum*>& weights, CMBLibEventHandler* handler,
                              CSpekContainer& all, std::vector<int>& indices, double& value)
{
    const int n = candidates.front()->GetPointCount();
    CSpekContainer samples, start;
    for (const Spectrum* c : candidates) {
        const double f = Factor(s, *c);
        CMBTarget e(n, 0.0);
        for (int k = 0; k < n; ++k)
            e[k] = (*c)[k].y / f;
        CMBTarget sample(static_cast<int>(weights.size()), 0.0);
        for (std::size_t w = 0; w < weights.size(); ++w) {
            double sum = 0;
            for (int k = 0; k < n; ++k) {
                const double product = (*c)[k].y * (*weights[w])[k].y;
                if (product > 0)
                    sum += product;
            }
            sample[static_cast<int>(w)] = sum / f;
        }
        samples.AddSpek(sample, c->GetName());
        all.AddSpek(e, c->GetName());
        for (const Spectrum* st : starts)
            if (st->GetName() == c->GetName())
                start.AddSpek(sample, c->GetName());
    }
    value = s.minValue;
    CAprioriInterpolator interpolator(samples, samples, all[0], CMBTarget(), samples, CMBTarget(), 1, 1);
    interpolator.SetEventHandler(handler);
    return interpolator.OptTargetSelection(s.specCount, start.GetSpekCount() > 0 ? &start : nullptr,
                                           indices.data(), nullptr, &value);
}

} // namespace

std::optional<Result> Select(const Settings& s, SpectrumList& candidates, const SpectrumList& starts,
                             const std::vector<const Spectrum*>& weights, CMBLibEventHandler* handler)
{
    if (!candidates.SpecsSorted())
        for (Spectrum* c : candidates)
            c->SortPoints();
    Result result{s.group, {}};
    double value = s.minValue;
    CSpekContainer all;
    std::vector<int> indices(s.specCount, -1);
    if (weights.size() < 2 || s.addSpecs) {
        if (SelectInSpectraMode(s, candidates, starts, weights, handler, all, indices, value) != MB_OK)
            return std::nullopt;
        if (s.normSpecs)
            result.group += s.normType != 0 ? "_intnormed" : "_maxnormed";
    } else {
        if (SelectInSampleMode(s, candidates, starts, weights, handler, all, indices, value) != MB_OK)
            return std::nullopt;
        result.group += "_SampleMode";
        if (s.normSpecs)
            result.group += "_normed";
    }
    if (!std::isfinite(value))
        return std::nullopt;
    std::string valueText = calc::FormatText("_%8.4f:", value);
    valueText.erase(std::remove(valueText.begin(), valueText.end(), ' '), valueText.end());
    result.group += valueText;
    all.GetSpeks(s.specCount, indices.data());
    for (int k = static_cast<int>(starts.size()); k < s.specCount; ++k) {
        std::string name;
        all.GetSpekName(k, name);
        result.chosen.push_back(name);
    }
    return result;
}

} // namespace svdsel

namespace {

// The weighting spectra a run works with: copies (screened for the sensor variant). Null,
// with the line logged, when the sensor variant has none or a number breaks the range rule.
// The screening files what it sets aside, so the range rule comes first there.
std::optional<std::vector<std::unique_ptr<Spectrum>>> ReadWeights(SVDSelectionModule& module, bool sensor,
                                                                  const SpectrumList& weightsIn)
{
    ModuleInterface* host = module.GetModuleInterface();
    ns_param::Paramora& p = module.getParameters();
    std::vector<std::unique_ptr<Spectrum>> copies;
    bool screen = false;
    if (sensor) {
        if (weightsIn.empty()) {
            calc::LogError(host, kNoWeights);
            return std::nullopt;
        }
        calc::LogHint(host, kSensorHint);
        if (!module.ParametersInRangeExcept({"SpecCount"}))
            return std::nullopt;
        screen = *p.getBoolParameter("CheckSpecs") && weightsIn.size() >= 2;
    }
    if (!screen) {
        for (const Spectrum* w : weightsIn)
            copies.push_back(std::make_unique<Spectrum>(*w));
        return copies;
    }
    const int n = weightsIn.front()->GetPointCount();
    double largest = std::numeric_limits<double>::lowest();
    double smallest = std::numeric_limits<double>::max();
    for (const Spectrum* w : weightsIn)
        for (int i = 5; i <= n - 6 && i < w->GetPointCount(); ++i) {
            largest = std::max(largest, (*w)[i].y);
            smallest = std::min(smallest, (*w)[i].y);
        }
    const double d = largest - smallest;
    const std::string keywords = *p.getStringParameter("CheckSpecKeywords");
    auto& sensors = static_cast<SVDSensSelectionModule&>(module);
    for (const Spectrum* w : weightsIn)
        if (sensors.CheckSensorSpectrum(*w, 0.05 * d, 0.00025 * d, keywords))
            copies.push_back(std::make_unique<Spectrum>(*w));
    return copies;
}

// Everything a selection run works with, read and checked.
struct Selection {
    svdsel::Settings settings;
    SpectrumList candidates, equivalents, starts;
    std::vector<std::unique_ptr<Spectrum>> weightCopies;
    std::vector<const Spectrum*> weights;
};

// The candidates, start spectra and weights against each other; the first failing line.
const char* InputError(const Selection& s)
{
    if (s.candidates.empty())
        return kNoSpectra;
    if (!s.candidates.SpecsSameXVals())
        return kDifferentX;
    const int n = s.candidates.front()->GetPointCount();
    if (!s.starts.empty() && s.starts.front()->GetPointCount() != n)
        return kStartX;
    if (!s.weights.empty() && s.weights.front()->GetPointCount() != n)
        return kWeightX;
    return nullptr;
}

// The checks of a run in the order of the lines of each variant (the selections and the
// count have their own lines before the range rule); they complete the group names and lower
// the count to the candidates. False, with the line logged, when one fails.
bool CheckSelection(SVDSelectionModule& module, Selection& sel, bool sensor, const std::string& specDesc,
                    const std::string& weightDesc, const std::string& aeqDesc)
{
    ModuleInterface* host = module.GetModuleInterface();
    svdsel::Settings& s = sel.settings;
    auto capCount = [&] {
        if (!sel.candidates.empty() && s.specCount > static_cast<int>(sel.candidates.size())) {
            s.specCount = static_cast<int>(sel.candidates.size());
            calc::LogHint(host, calc::FormatText("Hinweis: Anzahl der Spektren wurde auf %d (max) begrenzt!",
                                                 s.specCount));
        }
    };
    auto cutEquivalentGroup = [&] {
        if (!s.equivalentGroup.empty()) {
            const auto colon = s.equivalentGroup.find(':');
            if (colon != std::string::npos)
                s.equivalentGroup.erase(colon);
            s.equivalentGroup += "_SelSortFromAlgSel:";
        }
    };
    auto fail = [&](const char* line) {
        calc::LogError(host, line);
        return false;
    };
    if (!sensor) {
        capCount();
        if (s.group.empty()) {
            s.group = "AlgebraicSel:" + Shortened(specDesc);
            if (!sel.weights.empty())
                s.group += "_" + Shortened(weightDesc);
        }
        cutEquivalentGroup();
        if (static_cast<int>(sel.starts.size()) >= s.specCount)
            return fail(kNoMoreSelection);
        calc::LogHint(host, sel.weights.size() > 1 ? kSamplesHint : kSpectraHint);
        if (const char* line = InputError(sel))
            return fail(line);
        if (!module.ParametersInRangeExcept({"SpecCount"}))
            return false;
    } else {
        if (s.group.empty())
            s.group = "AlgebraicSpecSel:" + Shortened(specDesc) + "_" + Shortened(weightDesc);
        if (aeqDesc.find(';') != std::string::npos)
            return fail(kOneGroup);
        cutEquivalentGroup();
        capCount();
        if (static_cast<int>(sel.starts.size()) >= s.specCount)
            return fail(kNoMoreSelection);
        if (const char* line = InputError(sel))
            return fail(line);
    }
    // The count the run takes, lowered to the candidates, still within its range.
    return module.ValueInRange("SpecCount", s.specCount);
}

// The parameters and spectra of a run, read and checked; null, with the line logged, when a
// check fails.
std::optional<Selection> ReadSelection(SVDSelectionModule& module, SpectrumTree& tree, bool sensor)
{
    ns_param::Paramora& p = module.getParameters();
    Selection sel;
    svdsel::Settings& s = sel.settings;
    const std::string specDesc = *p.getStringParameter("SpecDesc");
    const std::string aeqDesc = *p.getStringParameter("AeqSpecDesc");
    const std::string weightDesc = *p.getStringParameter("WSpecDesc");
    sel.candidates = Fetch(tree, specDesc);
    sel.equivalents = Fetch(tree, aeqDesc);
    const SpectrumList weightsIn = Fetch(tree, weightDesc);
    sel.starts = Fetch(tree, *p.getStringParameter("RefSpecDesc"));
    s.group = *p.getStringParameter("TargetGroup");
    s.equivalentGroup = aeqDesc;
    s.normType = *p.getIntParameter("NormType");
    s.normVal = *p.getDoubleParameter("NormVal");
    s.atThreshold = sensor ? svdsel::AtThreshold::Counted : svdsel::AtThreshold::Left;
    s.minValue = *p.getDoubleParameter("SpecMinSVDValue");
    s.addSpecs = *p.getBoolParameter("AddSpecs");
    s.normSpecs = *p.getBoolParameter("NormSpecs");
    s.specCount = *p.getIntParameter("SpecCount");

    auto weightCopies = ReadWeights(module, sensor, weightsIn);
    if (!weightCopies)
        return std::nullopt;
    sel.weightCopies = std::move(*weightCopies);
    for (const auto& w : sel.weightCopies)
        sel.weights.push_back(w.get());
    if (!CheckSelection(module, sel, sensor, specDesc, weightDesc, aeqDesc))
        return std::nullopt;
    return sel;
}

// Files copies of the start spectra, the chosen candidates and their equivalents.
void FileSelection(SpectrumTree& tree, const Selection& sel, const svdsel::Result& result)
{
    const std::string& group = result.group;
    const std::string& equivalentGroup = sel.settings.equivalentGroup;
    for (std::size_t i = 0; i < sel.starts.size(); ++i)
        StoreCopy(tree, *sel.starts[i],
                  group + calc::ShortName(sel.starts[i]->GetName()) +
                      calc::FormatText("_Startauswahl%i_sel", static_cast<int>(i)),
                  sel.starts[i]->GetColor());
    std::vector<const Spectrum*> chosen;
    for (const std::string& name : result.chosen) {
        const std::string wanted = TrimmedShort(name);
        const auto candidate = std::find_if(sel.candidates.begin(), sel.candidates.end(),
                                            [&](const Spectrum* c) { return TrimmedShort(c->GetName()) == wanted; });
        if (candidate == sel.candidates.end())
            continue;
        chosen.push_back(*candidate);
        if (!equivalentGroup.empty())
            for (const Spectrum* e : sel.equivalents)
                if (TrimmedShort(e->GetName()) == wanted)
                    StoreCopy(tree, *e, equivalentGroup + TrimmedShort(e->GetName()), (*candidate)->GetColor());
        StoreCopy(tree, **candidate, group + calc::ShortName((*candidate)->GetName()), (*candidate)->GetColor());
    }
    if (!equivalentGroup.empty())
        for (const Spectrum* candidate : chosen) {
            const std::string wanted = TrimmedShort(candidate->GetName());
            const bool matched = std::any_of(sel.equivalents.begin(), sel.equivalents.end(), [&](const Spectrum* e) {
                return TrimmedShort(e->GetName()) == wanted;
            });
            if (!matched)
                StoreCopy(tree, *candidate, group + "notfound:" + calc::ShortName(candidate->GetName()),
                          candidate->GetColor());
        }
}

} // namespace

bool SVDSelectionModule::Run(bool sensor)
{
    RunScope scope(*this, Numbers::AfterOwnChecks);
    if (!scope)
        return false;
    SpectrumTree& tree = *scope.spectra;
    std::optional<Selection> sel = ReadSelection(*this, tree, sensor);
    if (!sel)
        return false;
    ModuleInterface* host = scope.host;
    SVDSelEventHandler handler(host);
    SVDSelectionStreamBuf logBuffer(host); // kept beside the handler; the selection logs nothing
    const std::optional<svdsel::Result> result =
        svdsel::Select(sel->settings, sel->candidates, sel->starts, sel->weights, &handler);
    if (!result)
        return false;
    FileSelection(tree, *sel, *result);
    return true;
}

SVDSensSelectionModule::SVDSensSelectionModule()
    : SVDSelectionModule("SVDSensSelectionModule", svdsel::AtThreshold::Counted)
{
    getParameters().addBoolParameter("CheckSpecs", "", false, false);
}

SVDSensSelectionModule::~SVDSensSelectionModule() = default;

std::vector<SAutomationPtrList> SVDSensSelectionModule::GetAutomationPtr()
{
    return {{"svdsensselection",
             static_cast<SAutomationPtrList::Function>(&SVDSensSelectionModule::svdsensselection)}};
}

bool SVDSensSelectionModule::svdsensselection()
{
    return Run(true);
}

bool SVDSensSelectionModule::CheckSensorSpectrum(const Spectrum& spectrum, double level, double variance,
                                                 const std::string& keywords)
{
    SpectrumTree* tree = Spectra();
    calc::ScreeningRule rule{level, variance, keywords, "AlgebraicSpecSel:UnusedSpecs:", true};
    return tree ? calc::ScreenSpectrum(*tree, spectrum, rule) : calc::PassesScreening(spectrum, rule);
}
