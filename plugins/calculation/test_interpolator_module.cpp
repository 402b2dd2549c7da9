#include "calculation/test_interpolator_module.h"

#include "calculation/interpolator_common.h"
#include "calculation/test_interpolator_core.h"
#include "calculation/test_interpolator_form.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"
#include "platform/random.h"

#include <calvorn/colcalib.h>
#include <embrel/apriori_interpolator.h>
#include <embrel/normalize_spek.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace {

constexpr char kNormName[] = "NORMCALIB";

std::uint32_t ClockSeed()
{
    const auto count = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(count >> 32) ^ static_cast<std::uint32_t>(count);
}

std::string FirstElement(const std::string& path)
{
    return path.substr(0, path.find(':'));
}

// The part of name before marker, less the separator in front of it; empty without marker.
std::string KeyBefore(const std::string& name, const char* marker, bool wholeWithout)
{
    const auto at = name.find(marker);
    if (at == std::string::npos)
        return wholeWithout ? name : std::string();
    return name.substr(0, at == 0 ? 0 : at - 1);
}

bool IsNormRule(const Spectrum* s)
{
    return calc::ShortName(s->GetName()) == kNormName;
}

COLORREF Darken(COLORREF colour, double d)
{
    COLORREF result = 0;
    for (int byte = 0; byte < 3; ++byte) {
        const double v = ((colour >> (8 * byte)) & 0xFF) * (1.0 - d);
        result |= static_cast<COLORREF>(std::clamp(v, 0.0, 255.0)) << (8 * byte);
    }
    return result;
}

} // namespace

namespace tinterp {

namespace {

// The rule as the library applies it: the channels in order, the normalisation last.
CSpekContainer RuleSystem(const Pass& pass, int gridPoints)
{
    CSpekContainer system;
    auto add = [&](const Spectrum& rule) {
        CMBTarget y(gridPoints, 0.0);
        for (int j = 0; j < gridPoints; ++j)
            y[j] = rule[j].y;
        system.AddSpek(y, rule.GetName());
    };
    for (const Spectrum* rule : pass.channelRules)
        add(*rule);
    if (pass.normRule)
        add(*pass.normRule);
    return system;
}

} // namespace

namespace {

// One reconstruction from the responses a of repetition r and item: calibrated, with the
// item's noise, through the rule onto its grid (clamped zeros when the rule cannot apply).
std::unique_ptr<Spectrum> ReconstructOne(const Settings& s, const CSpekContainer& system, const Spectrum& grid,
                                         const Measurement& m, std::vector<double> a, int r, int item)
{
    const int gridPoints = grid.GetPointCount();
    if (m.calib && !m.transform.empty()) {
        CTarget out;
        m.calib->CorrectColors(CTarget(a), out);
        a = out.Values();
    }
    const std::size_t at = (static_cast<std::size_t>(r) * m.items + item) * m.channels;
    if (at + a.size() <= m.noise.size())
        for (std::size_t c = 0; c < a.size(); ++c)
            a[c] += m.noise[at + c] * a[c];
    std::vector<double> values(static_cast<std::size_t>(gridPoints));
    if (!ApplyInterpolSystem(system, a.data(), 1, static_cast<int>(a.size()), s.normed, s.lo, s.hi, values.data()))
        values.assign(values.size(), std::clamp(0.0, s.lo, s.hi));
    auto rec = std::make_unique<Spectrum>();
    for (int j = 0; j < gridPoints; ++j)
        rec->AddPoint(SPoint(grid[j].x, values[static_cast<std::size_t>(j)]));
    return rec;
}

// The name of a reconstruction: under the result group (and the pass's group), numbered
// by repetition when there are several.
std::string ResultName(const Settings& s, const Pass& pass, const Measurement& m, const std::string& leaf, int r)
{
    std::string name = s.grouped ? m.base + ":" + pass.group + ":" + leaf : m.base + ":" + leaf;
    if (s.messCount > 1)
        name += calc::FormatText("_%d", r + 1);
    calc::CleanGroupPath(name);
    return name;
}

// "GT_" + the first element of the target's name + ":" + its short name.
std::string TruthName(const Spectrum& target)
{
    std::string name = "GT_" + FirstElement(target.GetName()) + ":" + calc::ShortName(target.GetName());
    calc::CleanGroupPath(name);
    return name;
}

} // namespace

std::vector<Filing> Reconstruct(const Settings& s, const Pass& pass, const Measurement& m)
{
    const Spectrum& grid = *pass.rules[0];
    const int gridPoints = grid.GetPointCount();
    const CSpekContainer system = RuleSystem(pass, gridPoints);
    std::vector<Filing> out;
    if (m.responseMode) {
        for (int r = 0; r < s.messCount; ++r)
            for (std::size_t i = 0; i < m.measured.size(); ++i) {
                auto rec = ReconstructOne(s, system, grid, m, m.measured[i].second, r, static_cast<int>(i));
                rec->SetName(ResultName(s, pass, m, m.measured[i].first, r));
                out.push_back({std::move(rec), true});
            }
        for (const Spectrum* target : m.targets) {
            auto copy = std::make_unique<Spectrum>(*target);
            copy->SetName(TruthName(*target));
            out.push_back({std::move(copy), false});
        }
        return out;
    }
    // Each target measured by the simulated channels, followed by its ground truth.
    const int N = m.channels;
    const int P = static_cast<int>(m.simulated.empty() ? 0 : m.simulated[0]->GetPointCount());
    for (int r = 0; r < s.messCount; ++r)
        for (std::size_t t = 0; t < m.targets.size(); ++t) {
            const Spectrum& target = *m.targets[t];
            std::vector<double> a(static_cast<std::size_t>(N), 0.0);
            for (int c = 0; c < N; ++c)
                for (int i = 0; i < P && i < target.GetPointCount(); ++i)
                    a[static_cast<std::size_t>(c)] += (*m.simulated[static_cast<std::size_t>(c)])[i].y * target[i].y;
            auto rec = ReconstructOne(s, system, grid, m, a, r, static_cast<int>(t));
            rec->SetName(ResultName(s, pass, m, calc::ShortName(target.GetName()), r));
            rec->SetColor(Darken(target.GetColor(), m.darkening));
            auto truth = std::make_unique<Spectrum>();
            truth->SetName(TruthName(target));
            truth->SetColor(Darken(target.GetColor(), m.darkening));
            for (int j = 0; j < gridPoints; ++j)
                truth->AddPoint(SPoint(grid[j].x, target[j].y));
            out.push_back({std::move(rec), true});
            out.push_back({std::move(truth), true});
        }
    return out;
}

} // namespace tinterp

// What one run works on.
struct TestInterpolatorModule::Run {
    ModuleInterface* host = nullptr;
    ClipboardTree* clipboard = nullptr;
    SpectrumList sensors, reference, illuList, targets, calibTargets;
    std::vector<ClipboardObject*> responses, soll, ist;
    Spectrum illumination;
    int messCount = 1;
    int items = 0;    // I of the noise table
    int channels = 0; // C of the noise table
    double sekNoise = 0, posNoise = 0, valNoise = 0, stopBand = 0;
    std::vector<std::unique_ptr<Spectrum>> sollSpectra, istSpectra;
    // The selections as a whole; each pass matches its part of them.
    std::vector<ClipboardObject*> allResponses;
    SpectrumList allSensors;
    bool responseMode = false; // the sensor is described by given responses
    int allChannels = 0;
    int mark = 0; // the random mark of the run's names
    std::vector<tinterp::Pass> passes;
};

TestInterpolatorModule::TestInterpolatorModule()
    : calc::CalcModule("TestInterpolatorModule"), m_seedSource(ClockSeed)
{
    ns_param::Paramora& p = getParameters();
    for (const char* name : {"CalibMessSystemSpecs", "MessSystemSamples", "SpecMessSystem", "CalibTargetSpecs",
                             "SpecIllu", "SpecTargets", "SpecInterpolator", "TargetGroup", "CalibSamplesSoll",
                             "CalibSamplesIst"})
        p.addStringParameter(name, "", "", "");
    p.addDoubleParameter("SekNoise", "Messunsicherheit", 0, 0, 1000, 0);
    p.addDoubleParameter("PrimPosNoise", "Messunsicherheit", 0, 0, 20, 0);
    p.addDoubleParameter("PrimValueNoise", "Messunsicherheit", 0, 0, 100, 0);
    p.addDoubleParameter("PrimStoppBandPerf", "Messunsicherheit", 0, -50, 50, 0);
    p.addDoubleParameter("RangeOfValueMin", "Ergebniswerteintervall", 0, -10000000, 100000000, 0);
    p.addDoubleParameter("RangeOfValueMax", "Ergebniswerteintervall", 100, -10000000, 100000000, 100);
    p.addIntParameter("ADMode", "Wertequantisierung", 0, 0, 24, 0);
    p.addIntParameter("MessCount", "Mehrfachmessungen", 1, 1, 1000, 1);
    p.addBoolParameter("QuantChan", "kanalweise Quantisierung vornehmen", false, false);
    p.addBoolParameter("GroupedProcessing", "Gruppen sequentiell prozessieren", false, false);
    p.addBoolParameter("NormedProcessing", "Normalisiert prozessieren", false, false);
    p.addBoolParameter("RandomSign", "Durchlauf zufällig markieren", true, true);
    for (const char* entry :
         {"Keine Korrektur", "Kanalbezogene Skalierungskorrektur", "Kanalbezogene Skalierungs- und Offsetkorrektur",
          "Lineare Korrektur (Poly. 1.Ordnung ohne Offset)", "Polynomiale Korrektur (1.Ordnung)",
          "Polynomiale Korrektur (2.Ordnung)"})
        m_methods.addEntry(entry);
    m_methods.setIndex(0);
    p.addEnumParameter("Abgleichmethode", "", m_methods, nullptr);
}

TestInterpolatorModule::~TestInterpolatorModule() = default;

const CRuntimeClass* TestInterpolatorModule::GetEditorClass()
{
    return RUNTIME_CLASS(TestInterpolatorForm);
}

std::vector<SAutomationPtrList> TestInterpolatorModule::GetAutomationPtr()
{
    return {{"testinterpolator",
             static_cast<SAutomationPtrList::Function>(&TestInterpolatorModule::testinterpolator)}};
}

void TestInterpolatorModule::LogWithGroup(const std::string& message, const std::string& group)
{
    calc::LogError(GetModuleInterface(), group.empty() ? message : message + ": " + group);
}

bool TestInterpolatorModule::Resample(Spectrum& spectrum, double step)
{
    const int n = spectrum.GetPointCount();
    if (n == 0 || !(step > 0))
        return true;
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    spectrum.getXPointsAsArray(x.data());
    spectrum.getYPointsAsArray(y.data());
    IpolLinSpline ipol;
    EpolLin epol;
    NormalizeSpek resampler(&ipol, &epol);
    const CSpekContainer::SpekInfo grid{x.front(), step, x.back()};
    const CMBTarget values = resampler.run(x, y, grid, 0.0, 1.0, 0);
    spectrum.ClearPoints();
    for (int k = 0; k < values.GetDim(); ++k)
        spectrum.AddPoint(SPoint(x.front() + step * k, values[k]));
    return true;
}

void TestInterpolatorModule::FillNoise(Run& run)
{
    platform::SRand(m_seedSource() * static_cast<std::uint32_t>(platform::Rand() + 1));
    m_noise.assign(static_cast<std::size_t>(run.messCount) * run.items * run.channels, 0.0);
    for (double& n : m_noise)
        n = ranNorm2() * run.sekNoise / 100.0;
}

namespace {

// y = 1.0 at every x of the first sensor.
void SetFlat(Spectrum& illumination, const Spectrum& first)
{
    illumination.ClearPoints();
    for (int j = 0; j < first.GetPointCount(); ++j)
        illumination.AddPoint(SPoint(first[j].x, 1.0));
}

} // namespace

bool TestInterpolatorModule::BuildIllumination(Run& run, const Spectrum& first)
{
    SetFlat(run.illumination, first);
    if (run.illuList.empty())
        return true;
    if (run.illuList.size() > 1) {
        calc::LogError(run.host, "Es ist nur eine Beleuchtungsquelle möglich!");
        return false;
    }
    const Spectrum& l = *run.illuList[0];
    const int n = first.GetPointCount();
    if (l.GetPointCount() == 0 || n == 0 || l[0].x != first[0].x || l[l.GetPointCount() - 1].x != first[n - 1].x) {
        calc::LogError(run.host, "Empfindlichkeiten stimmen nicht mit dem Spektrum der Beleuchtungsquelle überein!");
        return false;
    }
    if (l.GetPointCount() != n) {
        calc::LogError(run.host, "Beleuchtungsspektrum stimmt nicht mit den Empfindlichkeiten überein (Anzahl der "
                                 "Punkte)!");
        return false;
    }
    if (!run.illuList.SpecsSameEquiDistant(nullptr, nullptr, nullptr)) {
        calc::LogError(run.host,
                       "X-Werte des Beleuchtungsspektrums passen nicht! Bitte führen Sie eine Normalisierung aus!");
        return false;
    }
    run.illumination = l;
    return true;
}

bool TestInterpolatorModule::SimulatePrimary(Run& run, const SpectrumList& sensors,
                                             std::vector<std::unique_ptr<Spectrum>>& simulated,
                                             bool& illuminationFailed)
{
    const double pos = run.posNoise, val = run.valNoise, stop = run.stopBand;
    if (std::fabs(val) + std::fabs(pos) + std::fabs(stop) == 0) {
        simulated.clear();
        return false;
    }
    FillNoise(run);
    if (sensors.empty())
        return false;
    const Spectrum& first = *sensors[0];
    if (!BuildIllumination(run, first)) {
        illuminationFailed = true;
        return false;
    }
    simulated.clear();
    const int P = first.GetPointCount();
    if (P < 2)
        return false;
    std::vector<std::vector<double>> V(sensors.size()), Bv(sensors.size());
    for (std::size_t s = 0; s < sensors.size(); ++s) {
        platform::SRand(m_seedSource());
        const Spectrum& sensor = *sensors[s];
        double largest = 0;
        for (int j = 0; j < sensor.GetPointCount(); ++j) {
            const double h = std::max(sensor[j].y * val, 0.01);
            V[s].push_back(ranNorm2() * h);
            Bv[s].push_back(ranNorm2() * stop * 0.5);
            largest = std::max(largest, sensor[j].y);
        }
        for (double& b : Bv[s])
            b += largest * stop;
    }
    platform::SRand(m_seedSource());
    const double dx = first[1].x - first[0].x;
    const double x0 = first[0].x;
    for (std::size_t s = 0; s < sensors.size(); ++s) {
        const auto shift = static_cast<long>(std::floor(ranNorm2() * pos + 0.5));
        Spectrum copy(*sensors[s]);
        Resample(copy, 1.0);
        const int J = copy.GetPointCount();
        std::vector<double> u(static_cast<std::size_t>(J));
        for (int k = 0; k < J; ++k) {
            const long from = k + shift;
            u[static_cast<std::size_t>(k)] = from >= 0 && from < J ? copy[static_cast<int>(from)].y : 0.0;
        }
        copy.ClearPoints();
        for (int k = 0; k < J; ++k)
            copy.AddPoint(SPoint(x0 + k, u[static_cast<std::size_t>(k)]));
        Resample(copy, dx);
        // Only as many points as the sensor has draws for and the illumination has values.
        const int K = std::min({copy.GetPointCount(), static_cast<int>(V[s].size()),
                                run.illumination.GetPointCount()});
        double Mx = 0;
        for (int j = 0; j < K; ++j)
            Mx = std::max(Mx, copy[j].y);
        double A = 0;
        for (int j = 0; j < K; ++j)
            A += Mx * Bv[s][static_cast<std::size_t>(j)];
        A = K > 0 ? A / K : 0.0;
        auto out = std::make_unique<Spectrum>();
        out->SetName(sensors[s]->GetName());
        out->SetColor(sensors[s]->GetColor());
        for (int j = 0; j < K; ++j) {
            double m = copy[j].y;
            if (A > m)
                m = Mx * Bv[s][static_cast<std::size_t>(j)];
            else if (val != 0)
                m += V[s][static_cast<std::size_t>(j)];
            m = std::max(m, 0.0);
            out->AddPoint(SPoint(x0 + dx * j, run.illumination[j].y * m));
        }
        simulated.push_back(std::move(out));
    }
    return true;
}

bool TestInterpolatorModule::CalibrateFromMeasurements(Run& run, CColCalibBase& calib)
{
    if (run.soll.empty() || run.ist.empty()) {
        calc::LogError(run.host, "SOLL und IST-Kalibriermessungen nicht vorhanden!");
        return false;
    }
    if (run.soll.size() != run.ist.size()) {
        calc::LogError(run.host, "Anzahl der SOLL und IST-Kalibriermessungen stimmt nicht überein!");
        return false;
    }
    const auto firstSoll = calc::ClpValues(*run.soll[0]);
    const auto firstIst = calc::ClpValues(*run.ist[0]);
    if (!firstSoll || !firstIst || firstSoll->size() != firstIst->size()) {
        calc::LogError(run.host, "SOLL und IST-Kalibriermessungen (Kanalzahlen) passen nicht zusammen!");
        return false;
    }
    const std::size_t channels = firstIst->size();
    CTargetContainer measured, reference;
    for (std::size_t k = 0; k < run.soll.size(); ++k) {
        // Both spectra of a pair or neither, so that the pairs stay aligned.
        const auto sollValues = calc::ClpValues(*run.soll[k]);
        const auto istValues = calc::ClpValues(*run.ist[k]);
        if (!sollValues || !istValues || sollValues->size() != channels || istValues->size() != channels)
            continue;
        const std::string name = calc::FormatText("%zu", k);
        auto sollSpectrum = std::make_unique<Spectrum>();
        auto istSpectrum = std::make_unique<Spectrum>();
        sollSpectrum->SetName(name);
        istSpectrum->SetName(name);
        for (std::size_t j = 0; j < channels; ++j) {
            sollSpectrum->AddPoint(SPoint(static_cast<double>(j), (*sollValues)[j]));
            istSpectrum->AddPoint(SPoint(static_cast<double>(j), (*istValues)[j]));
        }
        measured.AddColor(CTarget(*istValues), name);
        reference.AddColor(CTarget(*sollValues), name);
        run.sollSpectra.push_back(std::move(sollSpectrum));
        run.istSpectra.push_back(std::move(istSpectrum));
    }
    calib.SetTargetSet(measured, 0);
    calib.SetTargetSet(reference, 1);
    if (calib.CalcTransform() != 0) {
        calc::LogError(run.host, "Fehler: Kalibriertargetauswahl ungenügend !");
        return false;
    }
    return true;
}

bool TestInterpolatorModule::CalibrateFromTargets(Run& run, CColCalibBase& calib,
                                                  const std::vector<std::unique_ptr<Spectrum>>& simulated)
{
    if (run.calibTargets.empty()) {
        LogWithGroup("Kalibriertargetauswahl ungenügend!", "");
        return false;
    }
    const SpectrumList& sensors = run.sensors.empty() ? run.reference : run.sensors;
    const int points = sensors.empty() ? 0 : sensors[0]->GetPointCount();
    CTargetContainer measured, reference;
    for (const Spectrum* t : run.calibTargets) {
        std::vector<double> m, r;
        for (std::size_t c = 0; c < simulated.size() && c < sensors.size(); ++c) {
            double mc = 0, rc = 0;
            const int n = std::min({points, t->GetPointCount(), simulated[c]->GetPointCount(),
                                    sensors[c]->GetPointCount(), run.illumination.GetPointCount()});
            for (int i = 0; i < n; ++i) {
                mc += (*simulated[c])[i].y * (*t)[i].y;
                rc += (*t)[i].y * run.illumination[i].y * std::max((*sensors[c])[i].y, 0.0);
            }
            m.push_back(mc);
            r.push_back(rc);
        }
        measured.AddColor(CTarget(m), t->GetName());
        reference.AddColor(CTarget(r), t->GetName());
    }
    calib.SetTargetSet(measured, 0);
    calib.SetTargetSet(reference, 1);
    if (calib.CalcTransform() != 0) {
        LogWithGroup("Kalibriertargetauswahl ungenügend!", "");
        return false;
    }
    return true;
}

tinterp::Settings TestInterpolatorModule::ReadSettings()
{
    ns_param::Paramora& p = getParameters();
    tinterp::Settings s;
    s.randomSign = *p.getBoolParameter("RandomSign");
    s.normed = *p.getBoolParameter("NormedProcessing");
    s.grouped = *p.getBoolParameter("GroupedProcessing");
    s.method = p.getEnumParameter("Abgleichmethode")->getIndex();
    s.messCount = *p.getIntParameter("MessCount");
    s.adMode = *p.getIntParameter("ADMode");
    s.valNoise = *p.getDoubleParameter("PrimValueNoise") / 100;
    s.stopBand = *p.getDoubleParameter("PrimStoppBandPerf") / 100;
    s.posNoise = *p.getDoubleParameter("PrimPosNoise");
    s.sekNoise = *p.getDoubleParameter("SekNoise");
    s.lo = *p.getDoubleParameter("RangeOfValueMin");
    s.hi = *p.getDoubleParameter("RangeOfValueMax");
    s.targetGroup = *p.getStringParameter("TargetGroup");
    s.ruleText = *p.getStringParameter("SpecInterpolator");
    s.sensorText = *p.getStringParameter("SpecMessSystem");
    s.samplesText = *p.getStringParameter("MessSystemSamples");
    return s;
}

namespace {

// The first line against the rule selection of grouped processing, or null. Only the entries
// that a ';' ends are examined; a last entry without one is processed as a group all the same.
const char* GroupedSelectionError(SpectrumTree& tree, const std::string& ruleText)
{
    const auto lastSemicolon = ruleText.rfind(';');
    if (lastSemicolon == std::string::npos)
        return "Zur gruppenweisen Verarbeitung bitte Spektrengruppen ';' eingeben.";
    bool single = false, deep = false;
    for (const std::string& entry : calc::SplitSelection(ruleText.substr(0, lastSemicolon))) {
        if (tree.GetInserters(entry, false).size() == 1)
            single = true;
        if (std::count(entry.begin(), entry.end(), ':') >= 2 && entry.find("qSPECs") == std::string::npos)
            deep = true;
    }
    if (single)
        return "Bitte für die gruppenweise Verarbeitung keine einzelnen spektralen Verrechnungsvorschrift(en) "
               "eingeben.";
    if (deep)
        return "Eingabe der spektralen Verrechnungsvorschrift(en) ist für die gruppenweise Verarbeitung zu tief "
               "verschachtelt.";
    return nullptr;
}

// The passes: one per ";"-entry in grouped mode, else one over all rule spectra.
std::vector<tinterp::Pass> MakePasses(const tinterp::Settings& s, const SpectrumList& allRules)
{
    std::vector<tinterp::Pass> passes;
    if (s.grouped) {
        for (const std::string& entry : calc::SplitSelection(s.ruleText)) {
            tinterp::Pass pass;
            for (Spectrum* rule : allRules) {
                const auto colon = rule->GetName().rfind(':');
                if (colon != std::string::npos && rule->GetName().substr(0, colon) == entry)
                    pass.rules.push_back(rule);
            }
            const auto at = entry.find("qSPECs");
            pass.group = at == std::string::npos ? calc::ShortName(entry)
                                                  : calc::ShortName(entry.substr(0, at == 0 ? 0 : at - 1));
            passes.push_back(std::move(pass));
        }
    } else {
        passes.push_back({allRules, "", {}, nullptr});
    }
    for (tinterp::Pass& pass : passes)
        for (Spectrum* rule : pass.rules) {
            if (IsNormRule(rule))
                pass.normRule = rule;
            else
                pass.channelRules.push_back(rule);
        }
    return passes;
}

// Response items: objects of the channel count only.
std::vector<std::pair<std::string, std::vector<double>>> MeasuredItems(ModuleInterface* host,
                                                                      const std::vector<ClipboardObject*>& objects,
                                                                      int N)
{
    std::vector<std::pair<std::string, std::vector<double>>> items;
    for (ClipboardObject* o : objects) {
        const auto values = calc::ClpValues(*o);
        if (!values || static_cast<int>(values->size()) != N) {
            calc::LogError(host, "Die Kanalzahl der Sensorantwort passt nicht zur Kanalzahl des Sensors! " + o->GetName());
            continue;
        }
        items.emplace_back(calc::ShortName(o->GetName()), *values);
    }
    return items;
}

} // namespace

bool TestInterpolatorModule::ReadRun(const tinterp::Settings& s, Run& run, SpectrumTree& tree)
{
    ModuleInterface* host = run.host;
    ClipboardTree& clipboard = *run.clipboard;
    auto objects = [&](const char* name) {
        std::vector<ClipboardObject*> list;
        for (ClipboardObject* o : clipboard.GetInserters(*getParameters().getStringParameter(name), false))
            list.push_back(o);
        return list;
    };
    auto spectra = [&](const char* name) { return tree.GetInserters(*getParameters().getStringParameter(name), false); };
    run.soll = objects("CalibSamplesSoll");
    run.ist = objects("CalibSamplesIst");
    run.calibTargets = spectra("CalibTargetSpecs");
    run.sensors = spectra("SpecMessSystem");
    run.allResponses = objects("MessSystemSamples");
    run.reference = spectra("CalibMessSystemSpecs");
    run.targets = spectra("SpecTargets");
    run.illuList = spectra("SpecIllu");
    SpectrumList allRules;
    allRules = spectra("SpecInterpolator");
    if (!run.sensors.empty() && !run.allResponses.empty())
        calc::LogError(host, "Den Sensor entweder spektral simulieren oder durch Sensorantworten beschreiben!");
    run.responseMode = !run.allResponses.empty();
    run.allSensors = run.sensors;
    if (s.grouped)
        if (const char* line = GroupedSelectionError(tree, s.ruleText)) {
            calc::LogError(host, line);
            return false;
        }
    if (!ParametersInRange())
        return false;
    // The inputs are sorted in place only after the checks above have passed.
    for (SpectrumList* list : {&run.calibTargets, &run.targets, &run.sensors, &run.illuList, &allRules})
        if (!list->SpecsSorted())
            for (Spectrum* spectrum : *list)
                spectrum->SortPoints();
    // Channel count: the sensitivities, or the values of the first response object; a pass
    // takes that of its matched items.
    run.allChannels = static_cast<int>(run.sensors.size());
    if (run.responseMode) {
        const auto first = calc::ClpValues(*run.allResponses.front());
        run.allChannels = first ? static_cast<int>(first->size()) : 0;
    }
    if (s.method < 0 || s.method > 5 || s.messCount < 1 || s.messCount > 1000 || s.adMode < 0 || s.adMode > 24) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    run.messCount = s.messCount;
    run.valNoise = s.valNoise;
    run.stopBand = s.stopBand;
    run.posNoise = s.posNoise;
    run.sekNoise = s.sekNoise;
    platform::SRand(m_seedSource());
    run.mark = platform::Rand();
    run.passes = MakePasses(s, allRules);
    return true;
}

// The group of the results: the given one, else made of the sensor's selection text. "_calib"
// tells that calibration measurements were paired, so it is known only after the calibration
// of the pass.
std::string TestInterpolatorModule::BaseName(const tinterp::Settings& s, const Run& run) const
{
    const bool noisy = s.adMode != 0 || s.sekNoise != 0 || s.posNoise != 0 || s.stopBand != 0 || s.valNoise != 0;
    const std::string runMark = calc::FormatText("_%i", run.mark);
    std::string base;
    if (!s.targetGroup.empty()) {
        base = s.targetGroup;
        if (noisy)
            base += "_real" + runMark;
    } else {
        std::string samples = s.samplesText;
        GroupedStringProc(samples, 255);
        SingleStringProc(samples, 255);
        base = "sREK_";
        if (run.responseMode) {
            base += samples;
        } else {
            std::string sensors = s.sensorText;
            autoname(&sensors, 255, 0, s.randomSign);
            base += sensors + samples;
        }
        if (s.randomSign)
            base += runMark;
        if (!run.sollSpectra.empty() || !run.istSpectra.empty())
            base += "_calib";
        if (noisy)
            base += "_real" + runMark;
    }
    strremove(&base, ';');
    return base;
}

std::optional<int> TestInterpolatorModule::MatchPass(const tinterp::Settings& s, Run& run, const tinterp::Pass& pass)
{
    auto stop = [&](const std::string& message) {
        LogWithGroup(message, pass.group);
        return std::nullopt;
    };
    int N = run.allChannels;
    const std::size_t ruleCount = pass.channelRules.size();
    // Rule matching: the sensor items stored with the rule.
    const std::string key = pass.rules.empty() ? std::string() : KeyBefore(pass.rules[0]->GetName(), "qSPECs", false);
    std::vector<ClipboardObject*> matchedObjects;
    SpectrumList matchedSensors;
    for (Spectrum* sensor : run.allSensors)
        if (KeyBefore(sensor->GetName(), "qSens", true) == key)
            matchedSensors.push_back(sensor);
    if (run.allSensors.empty())
        for (ClipboardObject* o : run.allResponses)
            if (KeyBefore(o->GetName(), "qSens", true) == key)
                matchedObjects.push_back(o);
    if ((run.allSensors.empty() ? matchedObjects.size() : matchedSensors.size()) != ruleCount)
        return stop("Kein passender Sensor zur Verrechnungsvorschrift gefunden!");
    run.sensors = matchedSensors;
    // Responses given beside sensitivities are measured as given: only one of the two is
    // matched to the rule.
    run.responses = run.allSensors.empty() ? matchedObjects : run.allResponses;
    // The channel count of this pass: the values of its first response, or its matched sensor
    // (the whole selection may hold the sensors of several rules).
    if (run.responseMode) {
        if (!run.responses.empty())
            if (const auto first = calc::ClpValues(*run.responses.front()))
                N = static_cast<int>(first->size());
    } else if (!run.sensors.empty()) {
        N = static_cast<int>(run.sensors.size());
    }
    if (ruleCount != static_cast<std::size_t>(N))
        return stop("Die Kanalzahl der spektralen Verrechnungsvorschrift passt nicht zur Kanalzahl des Sensors!");
    if (const char* failure = PassInputError(s, run, pass, N))
        return stop(failure);
    return N;
}

const char* TestInterpolatorModule::PassInputError(const tinterp::Settings& s, const Run& run,
                                                   const tinterp::Pass& pass, int N)
{
    const std::size_t ruleCount = pass.channelRules.size();
    if (run.sensors.empty() && run.responses.empty())
        return "Keine Sensorempfindlichkeiten oder Sensormesswerte ausgewählt!";
    if (s.adMode != 0 && run.reference.empty() && run.allResponses.empty())
        return "Bitte geben Sie zur Wertebereichsquantisierung die Referenz-Kanalempfindlichkeiten oder "
               "-Kanalantworten an !";
    if (s.adMode != 0 && !run.reference.empty() && run.reference.size() != ruleCount)
        return "Referenz-Kanalempfindlichkeiten oder Kanalantworten passen nicht zu diesem Sensor !";
    if (run.targets.empty() && run.responses.empty())
        return "Keine spektralen Targets zur Rekonstruktion ausgewählt!";
    if (pass.rules.empty())
        return "Keine spektrale Verrechnung ausgewählt!";
    if (ruleCount != static_cast<std::size_t>(N))
        return "Anzahl der Verrechnungsvorschriften stimmt nicht mit der Kanalanzahl der Sensorik überein!";
    if (!run.sensors.SpecsSameEquiDistant(nullptr, nullptr, nullptr))
        return "Sensorempfindlichkeiten X-Werte sind nicht passen nicht! Bitte führen Sie eine Normalisierung aus!";
    if (!run.targets.SpecsSameEquiDistant(nullptr, nullptr, nullptr))
        return "Targets X-Werte sind nicht passen nicht! Bitte führen Sie eine Normalisierung aus!";
    if (!pass.rules.SpecsSameEquiDistant(nullptr, nullptr, nullptr))
        return "Spektrale Verrechnung X-Werte sind nicht passen nicht! Bitte führen Sie eine Normalisierung aus!";
    // Targets must lie on the sensors' grid to be measured by them.
    if (!run.sensors.empty() && !run.targets.empty()) {
        SpectrumList both = run.sensors;
        both.push_back(run.targets[0]);
        if (!both.SpecsSameEquiDistant(nullptr, nullptr, nullptr))
            return "Targets X-Werte sind nicht passen nicht! Bitte führen Sie eine Normalisierung aus!";
    }
    return nullptr;
}

// The measuring system: the sensitivities are disturbed (times the illumination), then, when
// given, the reference system's; the run measures with the last simulation, or with the given
// sensitivities when one of the runs did not simulate (no primary noise: the illumination is
// then neither checked nor applied). False, with the line logged, when the system cannot
// measure this pass.
bool TestInterpolatorModule::MeasureSystem(Run& run, const tinterp::Pass& pass, int N,
                                           tinterp::Measurement& m)
{
    ModuleInterface* host = run.host;
    run.items = run.responseMode ? static_cast<int>(m.measured.size()) : static_cast<int>(run.targets.size());
    run.channels = N;
    m_noise.clear();
    std::vector<std::unique_ptr<Spectrum>>& simulated = m.simulated;
    bool allSimulated = true, illuminationFailed = false;
    auto simulate = [&](const SpectrumList& system, const char* hint) {
        if (SimulatePrimary(run, system, simulated, illuminationFailed))
            calc::LogHint(host, hint);
        else
            allSimulated = false;
    };
    if (!run.sensors.empty())
        simulate(run.sensors,
                 "Hinweis: Simulation primäres (spektrales) /sekundäres Systemverhalten für spektral gegebenes "
                 "Messsystem");
    if (!illuminationFailed && !run.reference.empty())
        simulate(run.reference,
                 "Hinweis: Simulation primäres (spektrales) / sekundäres Systemverhalten spektral gegebenes "
                 "Referenzsystem");
    if (illuminationFailed)
        return false;
    if (!allSimulated) {
        // The given sensitivities as they are; a calibration from targets weighs its reference
        // by a flat illumination.
        simulated.clear();
        if (!run.sensors.empty())
            SetFlat(run.illumination, *run.sensors[0]);
        for (const Spectrum* sensor : run.sensors)
            simulated.push_back(std::make_unique<Spectrum>(*sensor));
    }
    // Targets are measured channel by channel: a reference system of another channel count
    // cannot stand in for the sensor.
    if (!run.responseMode && simulated.size() != static_cast<std::size_t>(N)) {
        LogWithGroup("Referenz-Kanalempfindlichkeiten oder Kanalantworten passen nicht zu diesem Sensor !", pass.group);
        return false;
    }
    if (run.sekNoise != 0) {
        calc::LogHint(host, "Hinweis: Simulation sekundäres Systemverhalten für gegebenes Messsystem");
        if (m_noise.size() < static_cast<std::size_t>(run.messCount) * run.items * run.channels)
            FillNoise(run);
    }
    return true;
}

// The calibration of the chosen method, from real or from computed calibration measurements.
void TestInterpolatorModule::Calibrate(const tinterp::Settings& s, Run& run, int N, tinterp::Measurement& m)
{
    ModuleInterface* host = run.host;
    switch (s.method) {
    case 1: m.calib = std::make_unique<CColCalibWBSkal>(); break;
    case 2: m.calib = std::make_unique<CColCalibWBSkalOff>(); break;
    case 3: m.calib = std::make_unique<CColCalibLinear>(); break;
    case 4: m.calib = std::make_unique<CColCalibAffin>(); break;
    case 5: m.calib = std::make_unique<CColCalibPoly>(1, N); break;
    default: return;
    }
    // Both run when both are given; the transform is then the one fitted last.
    if (!run.soll.empty() && !run.ist.empty()) {
        CalibrateFromMeasurements(run, *m.calib);
        calc::LogHint(host, "Hinweis: Abgleichkalibrierung aus echten Kalibriermessungen");
    }
    if (!run.calibTargets.empty() && (!run.sensors.empty() || !run.reference.empty()) && !m.simulated.empty()) {
        CalibrateFromTargets(run, *m.calib, m.simulated);
        calc::LogHint(host, "Hinweis: Abgleichkalibrierung aus errechneten Kalibriermessungen und simuliertem "
                            "Systemverhalten");
    }
    m.calib->GetTransform(m.transform, -1);
}

// Whether the pass measures with a calibration, and the factors (and offsets) of the
// channel-wise methods.
void TestInterpolatorModule::LogCalibration(const tinterp::Settings& s, const tinterp::Pass& pass, int N,
                                            const std::vector<double>& transform)
{
    ModuleInterface* host = GetModuleInterface();
    const char* with = transform.empty() ? "ohne" : "mit";
    if (s.grouped)
        host->AddLogMessage("%s", ("Messung mit " + pass.group + " " + with + " Abgleichkalibrierung.").c_str());
    else
        calc::LogHint(host, std::string("Hinweis: Messung ") + with + " Abgleichkalibrierung.");
    if (transform.empty())
        return;
    if (s.method == 2 && transform.size() == static_cast<std::size_t>(N) * (N + 1)) {
        std::string line = "Kanalweise Kalibrierfaktoren/-offsets: ";
        for (int c = 0; c < N; ++c)
            line += calc::FormatText("%12.3f / %12.3f", transform[static_cast<std::size_t>(c * (N + 1) + c)],
                                     transform[static_cast<std::size_t>(c * (N + 1) + N)]);
        host->AddLogMessage("%s", line.c_str());
    } else if (s.method == 1 && transform.size() == static_cast<std::size_t>(N) * N) {
        std::string line = "Kanalweise Kalibrierfaktoren: ";
        for (int c = 0; c < N; ++c)
            line += calc::FormatText("%12.3f", transform[static_cast<std::size_t>(c * N + c)]);
        host->AddLogMessage("%s", line.c_str());
    }
}

bool TestInterpolatorModule::testinterpolator()
{
    // The grouped selection has its own lines before the range rule.
    RunScope scope(*this, Numbers::AfterOwnChecks, kSpectra | kClipboard);
    if (!scope)
        return false;
    SpectrumTree* tree = scope.spectra;
    ModuleInterface* host = scope.host;
    const tinterp::Settings settings = ReadSettings();
    Run run;
    run.host = host;
    run.clipboard = scope.clipboard;
    if (!ReadRun(settings, run, *tree))
        return false;
    for (const tinterp::Pass& pass : run.passes) {
        // A pass that cannot run ends the run, or in grouped mode only itself.
        const std::optional<int> N = MatchPass(settings, run, pass);
        if (!N) {
            if (settings.grouped)
                continue;
            return false;
        }
        tinterp::Measurement m;
        m.responseMode = run.responseMode;
        m.measured = MeasuredItems(host, run.responses, *N);
        if (!run.soll.empty() && !run.ist.empty() && run.posNoise == 0 && run.valNoise == 0 && run.stopBand == 0)
            calc::LogHint(host, "Hinweis: Die Abgleichkalibrierung (aus Messungen) wird auf ein toleranzfreies "
                                "Messsystem angewendet.");
        if (!MeasureSystem(run, pass, *N, m)) {
            if (settings.grouped)
                continue;
            return false;
        }
        Calibrate(settings, run, *N, m);
        m.base = BaseName(settings, run);
        LogCalibration(settings, pass, *N, m.transform);
        m.items = run.items;
        m.channels = run.channels;
        m.noise = m_noise;
        m.targets = run.targets;
        if (!run.responseMode) {
            platform::SRand(m_seedSource());
            m.darkening = (platform::Rand() / 32768.0 + 0.1) / 1.1;
        }
        for (tinterp::Filing& f : tinterp::Reconstruct(settings, pass, m)) {
            if (f.replace)
                calc::ReplaceSpectrum(*tree, std::move(f.spectrum));
            else
                calc::FileSpectrum(*tree, std::move(f.spectrum));
        }
        host->RepaintSpecView();
    }
    return true;
}
