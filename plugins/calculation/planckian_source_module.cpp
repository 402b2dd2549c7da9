#include "calculation/planckian_source_module.h"

#include "calculation/planckian_source_form.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <embrel/spek_container.h>

#include <cmath>
#include <locale>
#include <memory>
#include <sstream>
#include <utility>

namespace {

constexpr char kAborted[] = "Hinweis: Berechnung durch den Benutzer abgebrochen.";
constexpr char kTooManyWavelengths[] = "Fehler: Zu viele Wellenlängen!";
constexpr char kSwapped[] = "Startwellenlänge ist größer / gleich der Endwellenlänge! Wellenlängen werden vertauscht. "
                            "Bitte überprüfen Sie die Eingabe!";
constexpr char kStatus[] = "Berechne Plancksche-Strahlungsverteilung...";

// The temperature as a standard stream writes a double: six significant digits, no
// trailing zeros ("2892", "1e+06").
std::string TemperatureText(double temperature)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << temperature;
    return text.str();
}

} // namespace

PlanckianSourceModule::PlanckianSourceModule()
    : calc::CalcModule("Calculation_PlanckianSource")
{
    ns_param::Paramora& p = getParameters();
    p.addDoubleParameter("Temperature", "", 2892, 0, 1000000, 2892);
    p.addDoubleParameter("XStart", "", 380, 0, 1000000, 380);
    p.addDoubleParameter("XEnd", "", 780, 0, 1000000, 780);
    p.addDoubleParameter("XStep", "", 2, 0.01, 1000000, 2);
    p.addStringParameter("TargetGroup", "", "", "");
    p.addIntParameter("IntPrec", "", 0, 0, 8, 0);
    p.addBoolParameter("MaximumNormalize", "", true, true);
    p.addBoolParameter("WLNormalize", "", false, false);
    p.addIntParameter("NormLambda", "", 0, 0, 1000000, 0);
    p.addDoubleParameter("NormValue", "", 1, 0, 1000000, 1);
}

PlanckianSourceModule::~PlanckianSourceModule() = default;

const CRuntimeClass* PlanckianSourceModule::GetEditorClass()
{
    return RUNTIME_CLASS(CPlanckianSourceForm);
}

std::vector<SAutomationPtrList> PlanckianSourceModule::GetAutomationPtr()
{
    return {{"calculate", static_cast<SAutomationPtrList::Function>(&PlanckianSourceModule::calculate)}};
}

double PlanckianSourceModule::Exitance(double wavelengthNm, double temperature)
{
    if (!(wavelengthNm > 0))
        return 0.0;
    const double L = wavelengthNm * 1e-9;
    const double value = kC1 / std::pow(L, 5) / std::expm1(kC2 / (L * temperature * kBoltzmann)) * 1e-9;
    return std::isfinite(value) ? value : 0.0;
}

bool PlanckianSourceModule::calculate()
{
    RunScope run(*this);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;

    ns_param::Paramora& p = run.p;
    const double temperature = *p.getDoubleParameter("Temperature");
    const double step = *p.getDoubleParameter("XStep");
    const int intPrec = *p.getIntParameter("IntPrec");
    const bool maximumNormalize = *p.getBoolParameter("MaximumNormalize");
    const bool wlNormalize = *p.getBoolParameter("WLNormalize");
    const int normLambda = *p.getIntParameter("NormLambda");
    const double normValue = *p.getDoubleParameter("NormValue");
    const double factor = std::pow(10.0, intPrec);
    double start = runden(*p.getDoubleParameter("XStart") * factor) / factor;
    double end = runden(*p.getDoubleParameter("XEnd") * factor) / factor;

    // Every number is finite and inside its registered range: the run scope refused the run otherwise.
    std::string group = *p.getStringParameter("TargetGroup");
    if (!group.empty())
        group += ':';
    std::string name = group + "Planckian_" + TemperatureText(temperature);
    calc::CleanGroupPath(name);
    if (!ns_tree::IsValidPath(name)) {
        calc::LogError(host, calc::kParameterError);
        return false;
    }
    if (start > end) {
        calc::LogError(host, kSwapped);
        std::swap(start, end);
    }
    // Wavelengths start + k step, as many as the grid rule gives (the end point included).
    const CSpekContainer::SpekInfo grid{start, step, end};
    const std::size_t count = grid.GetCount();
    if (count == 0 || static_cast<double>(count) > calc::kMaxGridPoints) {
        calc::LogError(host, kTooManyWavelengths);
        return false;
    }

    auto spectrum = std::make_unique<Spectrum>();
    spectrum->SetName(name);

    host->SetStatusText(kStatus);
    host->SetProgressBarPercentage(0);
    double maximum = 1e-99;
    for (std::size_t k = 0; k < count; ++k) {
        const double wavelength = grid.GetX(k);
        const double value = Exitance(wavelength, temperature);
        spectrum->AddPoint(calc::ClampedPoint(runden(wavelength * factor) / factor, value));
        if (value > maximum)
            maximum = value;
        if ((k + 1) % 10 == 0) {
            host->SetProgressBarPercentage(static_cast<double>(k + 1) / static_cast<double>(count) * 100);
            // Nothing is filed yet: an abort leaves the tree as it was.
            if (host->UserWantsAbort()) {
                calc::LogHint(host, kAborted);
                return false;
            }
        }
    }

    const int n = spectrum->GetPointCount();
    auto rewrite = [&](auto value) {
        for (int i = 0; i < n; ++i) {
            const SPoint point = (*spectrum)[i];
            spectrum->SetPoint(i, runden(point.x * factor) / factor, value(point.y));
        }
    };
    if (maximumNormalize && maximum != 0)
        rewrite([maximum](double y) { return y / maximum; });
    if (wlNormalize && normLambda != 0) {
        // The first point strictly nearest to NormLambda; point 0 when none lies within 10000 nm.
        double best = 10000;
        int nearest = 0;
        for (int i = 0; i < n; ++i) {
            const double distance = std::fabs((*spectrum)[i].x - normLambda);
            if (distance < best) {
                best = distance;
                nearest = i;
            }
        }
        const double at = (*spectrum)[nearest].y;
        const double by = normValue / at;
        if (at == 0 || !std::isfinite(by))
            calc::LogHint(host, "Hinweis: Der Wert bei " + std::to_string(normLambda)
                                    + " nm ist 0. Die Normierung auf die Wellenlänge entfällt.");
        else
            rewrite([by](double y) { return y * by; });
    }

    return calc::FileSpectrum(*tree, std::move(spectrum));
}
