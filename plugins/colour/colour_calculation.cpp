#include "colour/colour_calculation.h"

#include "colour/colour_calculation_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"
#include "platform/vformat.h"

#include <colormath/colormath.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren angegeben!";
constexpr char kOneWeightOnly[] = "Fehler: In diesem Modus ist maximal ein Wichtungsspektrum möglich!";
constexpr char kNoColourCurves[] = "Fehler: Es wurden keine Beobachter-Spektralwertkurven angegeben!";
constexpr char kNoWeightCurves[] = "Fehler: Es wurden keine Beobachter-Wichtungsfunktionen angegeben!";
constexpr char kTooManyCurves[] =
    "Hinweis: Es sind nicht mehr als 3 Beobachter-Spektralwertkurven für die colorimetrische Auswertung erlaubt!";
constexpr char kSpectraGrid[] =
    "Fehler: Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kLightGrid[] =
    "Fehler: Beleuchtungs-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kObserverGrid[] =
    "Fehler: Beobachter-Spektren sind nicht äquidistant oder haben nicht den gleichen Definitionsbereich!";
constexpr char kStepMismatch[] = "Fehler: Schrittweiten stimmen nicht überein";
constexpr char kRangeMismatch[] = "Fehler: Definitionsbereiche stimmen nicht überein";
constexpr char kNoNormalisation[] = "Fehler: Normierung nicht möglich, Bezugssumme ist 0!";
constexpr char kNoQeConversion[] = "Fehler: Quanteneffizienz-Umrechnung nicht möglich!";

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

// The y values of a spectrum, exactly points long (0 past its own points).
std::vector<double> Values(const Spectrum& s, int points)
{
    std::vector<double> y(static_cast<std::size_t>(points), 0.0);
    for (int i = 0; i < points && i < s.GetPointCount(); ++i)
        y[static_cast<std::size_t>(i)] = s[i].y;
    return y;
}

struct Grid {
    double step = 0, start = 0, end = 0;
};

bool SameGrid(const std::vector<Spectrum*>& spectra, Grid& grid)
{
    SpectrumList list;
    list.assign(spectra.begin(), spectra.end());
    return list.SpecsSameEquiDistant(&grid.step, &grid.start, &grid.end);
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

bool ColorCalculationModule::Calculate()
{
    RunScope run(*this, Numbers::Read, kSpectra | kClipboard);
    if (!run)
        return false;
    ModuleInterface* host = run.host;
    SpectrumTree* tree = run.spectra;
    ClipboardTree* clipboard = run.clipboard;
    ns_param::Paramora& p = run.p;
    const bool saveResponse = *p.getBoolParameter("SaveObserverResponse");
    const bool isQE = *p.getBoolParameter("ObserverIsQE");
    const bool colourMode = *p.getBoolParameter("IsColorValue");
    const bool integralWords = *p.getBoolParameter("IsIntegralValue");
    const bool sort = m_integral && *p.getBoolParameter("SortResponses");

    const std::vector<Spectrum*> specs = Resolve(*tree, *p.getStringParameter("SpecDesc"));
    if (specs.empty()) {
        calc::LogError(host, kNoSpectra);
        return false;
    }
    const std::vector<Spectrum*> lights = Resolve(*tree, *p.getStringParameter("LightDesc"));
    if (sort && lights.size() >= 2) {
        calc::LogError(host, kOneWeightOnly);
        return false;
    }
    const std::vector<Spectrum*> observers = Resolve(*tree, *p.getStringParameter("ObserverDesc"));
    if (observers.empty()) {
        calc::LogError(host, colourMode ? kNoColourCurves : kNoWeightCurves);
        return false;
    }
    const std::size_t n = observers.size();
    if (!m_integral && n > 3)
        calc::LogHint(host, kTooManyCurves);

    std::string target = *p.getStringParameter("TargetGroup");
    if (target.empty())
        target = DerivedTargetGroup(*p.getStringParameter("SpecDesc"), *p.getStringParameter("ObserverDesc"));

    // Every check comes before anything is deleted or filed, so a refused run keeps the
    // earlier results.
    Grid specGrid, lightGrid, observerGrid;
    if (!SameGrid(specs, specGrid)) {
        calc::LogError(host, kSpectraGrid);
        return false;
    }
    if (!SameGrid(lights, lightGrid)) {
        calc::LogError(host, kLightGrid);
        return false;
    }
    if (!SameGrid(observers, observerGrid)) {
        calc::LogError(host, kObserverGrid);
        return false;
    }
    if (observerGrid.step != specGrid.step || (!lights.empty() && lightGrid.step != specGrid.step)) {
        calc::LogError(host, kStepMismatch);
        return false;
    }
    const int P = observers.front()->GetPointCount();
    auto rangeDiffers = [&](const Grid& g) { return g.start != specGrid.start || g.end != specGrid.end; };
    auto countDiffers = [&](const std::vector<Spectrum*>& list) {
        return std::any_of(list.begin(), list.end(), [P](const Spectrum* s) { return s->GetPointCount() != P; });
    };
    // Equal ranges and steps within the equidistance tolerance can still differ by a point:
    // no spectrum is read past its own points.
    if (rangeDiffers(observerGrid) || (!lights.empty() && rangeDiffers(lightGrid)) || countDiffers(specs) ||
        countDiffers(lights) || countDiffers(observers)) {
        calc::LogError(host, kRangeMismatch);
        return false;
    }

    std::vector<std::vector<double>> curves;
    std::vector<const double*> curvePointers;
    for (const Spectrum* o : observers) {
        curves.push_back(Values(*o, P));
        curvePointers.push_back(curves.back().data());
    }
    std::vector<std::vector<double>> lightValues;
    for (const Spectrum* l : lights)
        lightValues.push_back(Values(*l, P));

    // Quantum-efficiency conversion: the curves times lambda, scaled by g_j = M1_j / M2_j.
    std::vector<double> g(n, 1.0);
    std::vector<std::vector<double>> qeCurves;
    std::vector<const double*> qePointers;
    if (!colourMode && isQE) {
        for (std::size_t j = 0; j < n; ++j) {
            double m1 = 0.0, m2 = 0.0;
            std::vector<double> weighted(static_cast<std::size_t>(P));
            for (int i = 0; i < P; ++i) {
                const double y = curves[j][static_cast<std::size_t>(i)];
                const double xy = (*observers[j])[i].x * y;
                weighted[static_cast<std::size_t>(i)] = xy;
                m1 = std::max(m1, y);
                m2 = std::max(m2, xy);
            }
            g[j] = m1 / m2;
            if (!(m2 > 0.0) || !std::isfinite(g[j])) {
                calc::LogError(host, kNoQeConversion);
                return false;
            }
            qeCurves.push_back(std::move(weighted));
        }
        for (const auto& c : qeCurves)
            qePointers.push_back(c.data());
    }

    // Colour mode: the reference sums and the factor per illuminant (or once without).
    const bool normaliseWithLight = m_integral || n == 3;
    std::vector<std::vector<double>> refs;
    std::vector<double> factors;
    if (colourMode) {
        const std::size_t rounds = lights.empty() ? 1 : lights.size();
        const std::vector<double> ones(static_cast<std::size_t>(P), 1.0);
        for (std::size_t l = 0; l < rounds; ++l) {
            std::vector<double> k(n);
            colormath::WeightedSums(lights.empty() ? ones.data() : lightValues[l].data(), nullptr,
                                    curvePointers.data(), n, static_cast<std::size_t>(P), k.data());
            double f = 1.0;
            // Without a second curve there is no reference sum to normalise by: factor 1.
            if ((lights.empty() || normaliseWithLight) && n >= 2) {
                f = 100.0 / k[1];
                if (!std::isfinite(f)) {
                    calc::LogError(host, kNoNormalisation);
                    return false;
                }
            }
            for (double& v : k)
                v *= f;
            refs.push_back(std::move(k));
            factors.push_back(f);
        }
    }

    clipboard->DeleteInserters(target);

    const char* prefix = colourMode ? (integralWords ? "Erzeuge Farbwert " : "Erzeuge Farbvalenz ")
                                    : (integralWords ? "Erzeuge Integralwert " : "Erzeuge Merkmalvektor ");
    const std::size_t rounds = lights.empty() ? 1 : lights.size();
    const int total = static_cast<int>(rounds * specs.size());
    int c = 0;
    std::vector<double> values(n);
    const std::vector<double> ones(n, 1.0);
    for (std::size_t l = 0; l < rounds; ++l) {
        const double* w = lights.empty() ? nullptr : lightValues[l].data();
        for (const Spectrum* s : specs) {
            const std::vector<double> sy = Values(*s, P);
            std::string name;
            const std::vector<double>* refValues = &ones;
            if (colourMode) {
                colormath::WeightedSums(sy.data(), w, curvePointers.data(), n, static_cast<std::size_t>(P),
                                        values.data());
                for (double& v : values)
                    v *= factors[l];
                refValues = &refs[l];
                name = target + ":" + (lights.empty() ? "" : Leaf(lights[l]->GetName()) + ":") +
                       WithoutPercent(Leaf(s->GetName()));
            } else {
                const double* const* used = isQE ? qePointers.data() : curvePointers.data();
                colormath::WeightedSums(sy.data(), w, used, n, static_cast<std::size_t>(P), values.data());
                for (std::size_t j = 0; j < n; ++j)
                    values[j] *= g[j];
                name = target + ":" + (lights.empty() ? "" : Leaf(lights[l]->GetName()) + ":") +
                       WithoutPercent(AfterFirstColon(s->GetName()));
            }
            NormColons(name);
            auto object = std::make_unique<ClipboardObject>();
            object->SetName(name);
            object->GetParameters().addDouble1DArrayParameter("ClpValues", "", static_cast<int>(n), values.data(),
                                                              0.0);
            object->GetParameters().addDouble1DArrayParameter("ClpRefs", "", static_cast<int>(n),
                                                              refValues->data(), 0.0);
            if (clipboard->AddInserter(object.get()))
                object.release();
            ++c;
            host->SetStatusText(platform::Format("%s%d von %d", prefix, c, total));
            host->SetProgressBarPercentage(c * 100.0 / total);
        }
    }

    if (!colourMode && saveResponse && isQE) {
        for (std::size_t j = 0; j < n; ++j) {
            const Spectrum& o = *observers[j];
            const std::string& oname = o.GetName();
            const auto colon = oname.find(':');
            std::string name = colon == std::string::npos ? "_resp:" + oname
                                                          : oname.substr(0, colon) + "_resp:" + oname.substr(colon + 1);
            auto response = std::make_unique<Spectrum>();
            for (int i = 0; i < o.GetPointCount(); ++i)
                response->AddPoint(SPoint(o[i].x, o[i].x * o[i].y * g[j]));
            response->SetName(name);
            response->SetColor(o.GetColor());
            if (tree->AddInserter(response.get()))
                response.release();
        }
    }

    if (sort) {
        // The largest response of each curve over the spectra, without f or g.
        std::vector<double> best(n, -HUGE_VAL);
        const double* w = lights.empty() ? nullptr : lightValues.front().data();
        for (const Spectrum* s : specs) {
            const std::vector<double> sy = Values(*s, P);
            colormath::WeightedSums(sy.data(), w, curvePointers.data(), n, static_cast<std::size_t>(P),
                                    values.data());
            for (std::size_t j = 0; j < n; ++j)
                best[j] = std::max(best[j], values[j]);
        }
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return best[a] < best[b]; });
        int rank = 1;
        for (const std::size_t j : order) {
            auto copy = std::make_unique<Spectrum>(*observers[j]);
            copy->SetName(platform::Format("_sortobs:%d_%s_%g", rank++, Leaf(observers[j]->GetName()).c_str(),
                                           best[j]));
            if (tree->AddInserter(copy.get()))
                copy.release();
        }
    }
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
