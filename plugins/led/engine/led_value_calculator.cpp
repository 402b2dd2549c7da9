#include "engine/led_value_calculator.h"

#include "core/number_text.h"
#include "engine/color_calculator.h"
#include "engine/grid.h"
#include "engine/led_model.h"

#include <cmath>
#include <memory>
#include <optional>

namespace {

constexpr double kReferenceTemperature = 298.15;

// The value text of key; nothing when the record neither holds nor can derive it. Copied
// at once: a further lookup may derive and append more pairs.
std::optional<std::string> Text(const ParamContainer& record, const char* key)
{
    int source = ParamContainer::kNotFound;
    std::string text = record.FindValue(key, &source).second;
    if (source == ParamContainer::kNotFound)
        return std::nullopt;
    return text;
}

std::optional<double> Number(const ParamContainer& record, const char* key)
{
    const auto text = Text(record, key);
    if (!text)
        return std::nullopt;
    return number_text::ToDouble(text->c_str());
}

std::optional<std::string> Formatted(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    return number_text::FormatG(x);
}

std::optional<std::string> Product(const ParamContainer& r, const char* a, const char* b)
{
    const auto x = Number(r, a);
    const auto y = Number(r, b);
    if (!x || !y)
        return std::nullopt;
    return Formatted(*y * *x);
}

std::optional<std::string> Offset(const ParamContainer& r, const char* key, double delta)
{
    const auto x = Number(r, key);
    return x ? Formatted(*x + delta) : std::nullopt;
}

std::optional<std::string> Scaled(const ParamContainer& r, const char* key, double factor)
{
    const auto x = Number(r, key);
    return x ? Formatted(factor * *x) : std::nullopt;
}

std::optional<std::string> Material(const ParamContainer& r, const char* peakKey)
{
    const auto p = Number(r, peakKey);
    if (!p)
        return std::nullopt;
    if (*p < 0.55)
        return "InGaN";
    if (*p < 0.66)
        return "AlInGaP";
    if (*p < 0.89)
        return "AlGaAs";
    return std::nullopt;
}

struct Coefficients {
    const char* material;
    const char* peakShiftPerKelvin;      // µm/K
    const char* intensityLossPerKelvin;  // 1/K
};
constexpr Coefficients kCoefficients[] = {
    {"InGaN", "4e-05", "0.0002"},
    {"AlInGaP", "0.00015", "0.001"},
    {"AlGaAs", "0.00015", "0.001"},
};

std::optional<std::string> Coefficient(const ParamContainer& r, const char* materialKey, bool peakShift)
{
    const auto material = Text(r, materialKey);
    if (!material)
        return std::nullopt;
    for (const Coefficients& c : kCoefficients)
        if (*material == c.material)
            return peakShift ? c.peakShiftPerKelvin : c.intensityLossPerKelvin;
    return std::nullopt;
}

// The first channel of the record's model at the reference temperature on the grid.
std::optional<std::string> Chromaticity(const ParamContainer& r, bool wantY)
{
    const std::unique_ptr<LEDModel> model(CreateLEDModelFromParams(r));
    if (!model)
        return std::nullopt;
    LSMatrixHandle s(GridPointCount(), 1);
    if (!s)
        return std::nullopt;
    model->SampleChannel(s, XStart, XEnd, XStep, kReferenceTemperature, 0);
    double X = 0.0, Y = 0.0, Z = 0.0;
    ColorCalculator().GetLightXYZ(s, X, Y, Z);
    const double sum = X + Y + Z;
    if (sum == 0.0)
        return std::nullopt; // no light the observer sees
    return Formatted((wantY ? Y : X) / sum);
}

// Radiant power in W: the luminous flux of the LED (on-axis intensity LightOutput in mcd,
// falling as cos^m of the angle to one half at half the viewing angle) turned into watts
// through the luminous efficacy of each channel's spectrum; the smallest over the channels.
std::optional<std::string> RadiantPower(const ParamContainer& r)
{
    const auto viewAngle = Number(r, "ViewAngle");
    const auto lightOutput = Number(r, "LightOutput");
    const auto modelName = Text(r, "SpectralModel");
    if (!viewAngle || !lightOutput || !modelName)
        return std::nullopt;
    const std::unique_ptr<LEDModel> model(CreateLEDModel(modelName->c_str()));
    if (!model)
        return std::nullopt;
    model->SetParameters(r);

    const double halfAngleCos = std::cos(*viewAngle * 0.008726638888888888); // 3.14159/360
    if (!(halfAngleCos > 0.0))
        return std::nullopt; // a viewing angle of 180° or more has no half-intensity cone
    const double L = std::log(halfAngleCos);
    const double flux = *lightOutput / 1000.0 * 6.28318 * L / (L - std::log(2.0));

    const int n = GridPointCount();
    LSMatrixHandle s(n, 1);
    if (!s)
        return std::nullopt;
    ColorCalculator cc;
    std::optional<double> smallest;
    for (int c = 0; c < model->GetChannelCount(); ++c) {
        model->SampleChannel(s, XStart, XEnd, XStep, kReferenceTemperature, c);
        const double lumen = cc.GetLumen(s);
        if (!(lumen > 0.0))
            continue; // a channel the eye does not see gives no power figure
        const double power = flux / lumen * XStep * MatSum(s);
        if (std::isfinite(power) && (!smallest || power < *smallest))
            smallest = power;
    }
    if (!smallest)
        return std::nullopt;
    return Formatted(*smallest);
}

using Derivation = std::optional<std::string> (*)(const ParamContainer&);

struct DerivedKey {
    const char* key;
    Derivation derive;
};

// In the order in which keys are compared.
const DerivedKey kDerivedKeys[] = {
    {"PowerDissipation", [](const ParamContainer& r) { return Product(r, "ForwardVoltage", "ForwardCurrent"); }},
    {"DominantWavelength_x", [](const ParamContainer& r) { return Chromaticity(r, false); }},
    {"DominantWavelength_y", [](const ParamContainer& r) { return Chromaticity(r, true); }},
    {"RadiantPower", RadiantPower},
    {"PeakWavelengthMin", [](const ParamContainer& r) { return Offset(r, "PeakWavelength", -0.01); }},
    {"PeakWavelengthMax", [](const ParamContainer& r) { return Offset(r, "PeakWavelength", 0.01); }},
    {"PeakWavelengthMin2", [](const ParamContainer& r) { return Offset(r, "PeakWavelength2", -0.01); }},
    {"PeakWavelengthMax2", [](const ParamContainer& r) { return Offset(r, "PeakWavelength2", 0.01); }},
    {"PeakWavelengthMin3", [](const ParamContainer& r) { return Offset(r, "PeakWavelength3", -0.01); }},
    {"PeakWavelengthMax3", [](const ParamContainer& r) { return Offset(r, "PeakWavelength3", 0.01); }},
    {"FWHMMin", [](const ParamContainer& r) { return Scaled(r, "FWHM", 0.7); }},
    {"FWHMMax", [](const ParamContainer& r) { return Scaled(r, "FWHM", 1.3); }},
    {"FWHMMin2", [](const ParamContainer& r) { return Scaled(r, "FWHM2", 0.7); }},
    {"FWHMMax2", [](const ParamContainer& r) { return Scaled(r, "FWHM2", 1.3); }},
    {"FWHMMin3", [](const ParamContainer& r) { return Scaled(r, "FWHM3", 0.7); }},
    {"FWHMMax3", [](const ParamContainer& r) { return Scaled(r, "FWHM3", 1.3); }},
    {"Material", [](const ParamContainer& r) { return Material(r, "PeakWavelength"); }},
    {"Material2", [](const ParamContainer& r) { return Material(r, "PeakWavelength2"); }},
    {"Material3", [](const ParamContainer& r) { return Material(r, "PeakWavelength3"); }},
    {"PeakShiftPerKelvin", [](const ParamContainer& r) { return Coefficient(r, "Material", true); }},
    {"PeakShiftPerKelvin2", [](const ParamContainer& r) { return Coefficient(r, "Material2", true); }},
    {"PeakShiftPerKelvin3", [](const ParamContainer& r) { return Coefficient(r, "Material3", true); }},
    {"IntensityLossPerKelvin", [](const ParamContainer& r) { return Coefficient(r, "Material", false); }},
    {"IntensityLossPerKelvin2", [](const ParamContainer& r) { return Coefficient(r, "Material2", false); }},
    {"IntensityLossPerKelvin3", [](const ParamContainer& r) { return Coefficient(r, "Material3", false); }},
};

} // namespace

LEDValueCalculator& LEDValueCalculator::Instance()
{
    static LEDValueCalculator instance;
    return instance;
}

bool LEDValueCalculator::DeriveValue(const ParamContainer& record, const std::string& key, std::string& value)
{
    for (const DerivedKey& d : kDerivedKeys) {
        if (key != d.key)
            continue;
        const auto result = d.derive(record);
        if (!result)
            return false;
        value = *result;
        return true;
    }
    return false;
}
