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
    : SVDSelectionModule("SVDSelectionModule")
{
}

SVDSelectionModule::SVDSelectionModule(const std::string& typeName)
    : calc::CalcModule(typeName)
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
    double m = 0;
    const std::vector<double> y = Ys(spectrum);
    for (double v : y)
        m = std::max(m, v);
    if (*p.getIntParameter("NormType") == 0)
        return m;
    const double threshold = m * *p.getDoubleParameter("NormVal") / 100;
    double sum = 0;
    for (double v : y)
        if (v > 0 && v > threshold)
            sum += v;
    return sum;
}

bool SVDSelectionModule::Run(bool sensor)
{
    // The selections and the count have their own lines before the range rule.
    RunGuard running(*this, Numbers::AfterOwnChecks);
    SpectrumTree* tree = Spectra();
    if (!running || !tree)
        return false;
    ModuleInterface* host = GetModuleInterface();
    ns_param::Paramora& p = getParameters();

    const std::string specDesc = *p.getStringParameter("SpecDesc");
    const std::string aeqDesc = *p.getStringParameter("AeqSpecDesc");
    const std::string weightDesc = *p.getStringParameter("WSpecDesc");
    SpectrumList candidates = Fetch(*tree, specDesc);
    SpectrumList equivalents = Fetch(*tree, aeqDesc);
    SpectrumList weightsIn = Fetch(*tree, weightDesc);
    SpectrumList starts = Fetch(*tree, *p.getStringParameter("RefSpecDesc"));
    std::string group = *p.getStringParameter("TargetGroup");
    std::string equivalentGroup = aeqDesc;

    const int normType = *p.getIntParameter("NormType");
    const double minValue = *p.getDoubleParameter("SpecMinSVDValue");
    // The range rule for the numbers besides the count, which the checks below settle (too
    // small: nothing more to choose; more than there are candidates: lowered). The screening
    // of the sensor variant files what it sets aside, so there it comes first.
    const auto numbersInRange = [this] { return ParametersInRangeExcept({"SpecCount"}); };

    // The weighting spectra the run works with: copies (screened for the sensor variant).
    std::vector<std::unique_ptr<Spectrum>> weightCopies;
    if (sensor) {
        if (weightsIn.empty()) {
            calc::LogError(host, kNoWeights);
            return false;
        }
        calc::LogHint(host, kSensorHint);
        if (!numbersInRange())
            return false;
        auto* self = static_cast<SVDSensSelectionModule*>(this);
        if (*p.getBoolParameter("CheckSpecs") && weightsIn.size() >= 2) {
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
            for (const Spectrum* w : weightsIn)
                if (self->CheckSensorSpectrum(*w, 0.05 * d, 0.00025 * d, keywords))
                    weightCopies.push_back(std::make_unique<Spectrum>(*w));
        } else {
            for (const Spectrum* w : weightsIn)
                weightCopies.push_back(std::make_unique<Spectrum>(*w));
        }
    } else {
        for (const Spectrum* w : weightsIn)
            weightCopies.push_back(std::make_unique<Spectrum>(*w));
    }
    std::vector<const Spectrum*> weights;
    for (const auto& w : weightCopies)
        weights.push_back(w.get());

    int specCount = *p.getIntParameter("SpecCount");
    auto capCount = [&] {
        if (!candidates.empty() && specCount > static_cast<int>(candidates.size())) {
            specCount = static_cast<int>(candidates.size());
            calc::LogHint(host, calc::FormatText("Hinweis: Anzahl der Spektren wurde auf %d (max) begrenzt!",
                                                 specCount));
        }
    };
    auto cutEquivalentGroup = [&] {
        if (!equivalentGroup.empty()) {
            const auto colon = equivalentGroup.find(':');
            if (colon != std::string::npos)
                equivalentGroup.erase(colon);
            equivalentGroup += "_SelSortFromAlgSel:";
        }
    };
    auto checkInput = [&] {
        if (candidates.empty()) {
            calc::LogError(host, kNoSpectra);
            return false;
        }
        if (!candidates.SpecsSameXVals()) {
            calc::LogError(host, kDifferentX);
            return false;
        }
        const int n = candidates.front()->GetPointCount();
        if (!starts.empty() && starts.front()->GetPointCount() != n) {
            calc::LogError(host, kStartX);
            return false;
        }
        if (!weights.empty() && weights.front()->GetPointCount() != n) {
            calc::LogError(host, kWeightX);
            return false;
        }
        return true;
    };

    if (!sensor) {
        capCount();
        if (group.empty()) {
            group = "AlgebraicSel:" + Shortened(specDesc);
            if (!weights.empty())
                group += "_" + Shortened(weightDesc);
        }
        cutEquivalentGroup();
        if (static_cast<int>(starts.size()) >= specCount) {
            calc::LogError(host, kNoMoreSelection);
            return false;
        }
        calc::LogHint(host, weights.size() > 1 ? kSamplesHint : kSpectraHint);
        if (!checkInput() || !numbersInRange())
            return false;
    } else {
        if (group.empty())
            group = "AlgebraicSpecSel:" + Shortened(specDesc) + "_" + Shortened(weightDesc);
        if (aeqDesc.find(';') != std::string::npos) {
            calc::LogError(host, kOneGroup);
            return false;
        }
        cutEquivalentGroup();
        capCount();
        if (static_cast<int>(starts.size()) >= specCount) {
            calc::LogError(host, kNoMoreSelection);
            return false;
        }
        if (!checkInput())
            return false;
    }
    // The count the run takes, lowered to the candidates, still within its range.
    if (!ValueInRange("SpecCount", specCount))
        return false;

    double value = minValue;
    const bool addSpecs = *p.getBoolParameter("AddSpecs");
    const bool normSpecs = *p.getBoolParameter("NormSpecs");
    if (!candidates.SpecsSorted())
        for (Spectrum* c : candidates)
            c->SortPoints();
    const int n = candidates.front()->GetPointCount();
    auto factor = [&](const Spectrum& s) {
        if (!normSpecs)
            return 1.0;
        // A divisor of 0 (an all-zero spectrum) or one that is not finite leaves it unscaled.
        const double f = GetSpectrumNormValue(s);
        return f != 0 && std::isfinite(f) ? f : 1.0;
    };

    CSpekContainer all, samples, start;
    std::vector<int> indices(specCount, -1);
    SVDSelEventHandler handler(host);
    SVDSelectionStreamBuf logBuffer(host); // kept beside the handler; the selection logs nothing
    tyMBStatus status = MB_OK;
    if (weights.size() < 2 || addSpecs) {
        // Spectra mode: each candidate weighted by the summed weighting where the first
        // weighting spectrum times the candidate is positive.
        std::vector<double> summed(n, 0.0);
        for (const Spectrum* w : weights)
            for (int k = 0; k < n; ++k)
                summed[k] += (*w)[k].y;
        auto target = [&](const Spectrum& c) {
            const double f = factor(c);
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
        for (const Spectrum* c : candidates)
            all.AddSpek(target(*c), c->GetName());
        for (const Spectrum* s : starts)
            start.AddSpek(target(*s), s->GetName());
        CAprioriInterpolator interpolator(all, all, all[0], CMBTarget(), all, CMBTarget(), 1, 1);
        interpolator.SetEventHandler(&handler);
        status = interpolator.OptTargetSelection(specCount, start.GetSpekCount() > 0 ? &start : nullptr, false,
                                                 indices.data(), nullptr, &value);
        if (status != 0)
            return false;
        if (normSpecs)
            group += normType != 0 ? "_intnormed" : "_maxnormed";
    } else {
        // Sample mode: one value per weighting spectrum, the integral of candidate times weight.
        auto sample = [&](const Spectrum& c) {
            const double f = factor(c);
            CMBTarget s(static_cast<int>(weights.size()), 0.0);
            for (std::size_t w = 0; w < weights.size(); ++w) {
                double sum = 0;
                for (int k = 0; k < n; ++k) {
                    const double product = c[k].y * (*weights[w])[k].y;
                    if (product > 0)
                        sum += product;
                }
                s[static_cast<int>(w)] = sum / f;
            }
            return s;
        };
        // A start spectrum counts only as the candidate of its full name, with that candidate's sample.
        for (const Spectrum* c : candidates) {
            const double f = factor(*c);
            CMBTarget e(n, 0.0);
            for (int k = 0; k < n; ++k)
                e[k] = (*c)[k].y / f;
            const CMBTarget s = sample(*c);
            samples.AddSpek(s, c->GetName());
            all.AddSpek(e, c->GetName());
            for (const Spectrum* st : starts)
                if (st->GetName() == c->GetName())
                    start.AddSpek(s, c->GetName());
        }
        value = minValue;
        group += "_SampleMode";
        CAprioriInterpolator interpolator(samples, samples, all[0], CMBTarget(), samples, CMBTarget(), 1, 1);
        interpolator.SetEventHandler(&handler);
        status = interpolator.OptTargetSelection(specCount, start.GetSpekCount() > 0 ? &start : nullptr,
                                                 indices.data(), nullptr, &value);
        if (status != 0)
            return false;
        if (normSpecs)
            group += "_normed";
    }
    if (!std::isfinite(value))
        return false;
    std::string valueText = calc::FormatText("_%8.4f:", value);
    valueText.erase(std::remove(valueText.begin(), valueText.end(), ' '), valueText.end());
    group += valueText;

    all.GetSpeks(specCount, indices.data());

    for (std::size_t i = 0; i < starts.size(); ++i)
        StoreCopy(*tree, *starts[i],
                  group + calc::ShortName(starts[i]->GetName()) + calc::FormatText("_Startauswahl%i_sel", static_cast<int>(i)),
                  starts[i]->GetColor());
    std::vector<const Spectrum*> chosen;
    for (int k = static_cast<int>(starts.size()); k < specCount; ++k) {
        std::string name;
        all.GetSpekName(k, name);
        const std::string wanted = TrimmedShort(name);
        const Spectrum* candidate = nullptr;
        for (const Spectrum* c : candidates)
            if (TrimmedShort(c->GetName()) == wanted) {
                candidate = c;
                break;
            }
        if (!candidate)
            continue;
        chosen.push_back(candidate);
        if (!equivalentGroup.empty())
            for (const Spectrum* e : equivalents)
                if (TrimmedShort(e->GetName()) == wanted)
                    StoreCopy(*tree, *e, equivalentGroup + TrimmedShort(e->GetName()), candidate->GetColor());
        StoreCopy(*tree, *candidate, group + calc::ShortName(candidate->GetName()), candidate->GetColor());
    }
    if (!equivalentGroup.empty())
        for (const Spectrum* candidate : chosen) {
            const std::string wanted = TrimmedShort(candidate->GetName());
            const bool matched = std::any_of(equivalents.begin(), equivalents.end(), [&](const Spectrum* e) {
                return TrimmedShort(e->GetName()) == wanted;
            });
            if (!matched)
                StoreCopy(*tree, *candidate, group + "notfound:" + calc::ShortName(candidate->GetName()),
                          candidate->GetColor());
        }
    return true;
}

SVDSensSelectionModule::SVDSensSelectionModule()
    : SVDSelectionModule("SVDSensSelectionModule")
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

double SVDSensSelectionModule::GetSpectrumNormValue(const Spectrum& spectrum)
{
    ns_param::Paramora& p = getParameters();
    double m = 0;
    const std::vector<double> y = Ys(spectrum);
    for (double v : y)
        m = std::max(m, v);
    if (*p.getIntParameter("NormType") == 0)
        return m;
    const double threshold = m * *p.getDoubleParameter("NormVal") / 100;
    double sum = 0;
    for (double v : y)
        if (v > 0 && v >= threshold)
            sum += v;
    return sum;
}

bool SVDSensSelectionModule::CheckSensorSpectrum(const Spectrum& spectrum, double level, double variance,
                                                 const std::string& keywords)
{
    SpectrumTree* tree = Spectra();
    calc::ScreeningRule rule{level, variance, keywords, "AlgebraicSpecSel:UnusedSpecs:", true};
    return tree ? calc::ScreenSpectrum(*tree, spectrum, rule) : calc::PassesScreening(spectrum, rule);
}
