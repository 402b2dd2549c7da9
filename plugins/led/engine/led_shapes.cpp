#include "engine/led_shapes.h"

#include "engine/shape_exp.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

const double kLn2 = std::log(2.0);
constexpr double kReferenceTemperature = 298.15;

const std::string kPeak = "PeakWavelength";
const std::string kFwhm = "FWHM";

// (rand - 16383)/16383: about uniform in [-1, 1].
double Symmetric()
{
    return (platform::Rand() - 16383) / 16383.0;
}

// out[i] = value(x) at x0, x0 + dx, (x0 + dx) + dx, ... : the loop of LEDModel::SampleValues,
// with the parameters read once by the caller.
template <class Value>
void SampleLoop(double* out, double x0, double dx, int count, Value value)
{
    double x = x0;
    for (int i = 0; i < count; ++i) {
        out[i] = value(x);
        x += dx;
    }
}

// x0, x0 + dx, (x0 + dx) + dx, ... for count points. The sum is a chain of dependent
// additions, so the last grid asked for is kept (per thread) for the next model.
const double* GridWavelengths(double x0, double dx, int count)
{
    struct Kept {
        double x0 = 0.0, dx = 0.0;
        std::vector<double> x;
    };
    thread_local Kept kept;
    if (kept.x.size() != static_cast<std::size_t>(count) || kept.x0 != x0 || kept.dx != dx) {
        kept.x.resize(static_cast<std::size_t>(count));
        SampleLoop(kept.x.data(), x0, dx, count, [](double x) { return x; });
        kept.x0 = x0;
        kept.dx = dx;
    }
    return kept.x.data();
}

// Whether model's GetValue is Shape's own: a subclass that replaces it is sampled point by
// point through its replacement.
template <class Shape>
bool OwnShape(const Shape& model)
{
    return typeid(model) == typeid(Shape);
}

// A Gaussian band of height 1; a zero width gives 1 at the peak only.
double GaussianBand(double peak, double fwhm, double wavelength)
{
    if (fwhm == 0.0)
        return wavelength == peak ? 1.0 : 0.0;
    const double u = (wavelength - peak) / (fwhm * 0.5);
    return std::exp(-kLn2 * u * u);
}

// Moves PeakWavelength and FWHM by up to their tolerance ranges (taken or derived from the
// limit keys, 0.005 when a range is empty).
void AddPeakWidthNoise(ParamContainer& p)
{
    const double peak = p.GetDouble(kPeak);
    const double fwhm = p.GetDouble(kFwhm);
    const double peakRange = std::fabs(p.GetDouble("PeakWavelengthMax") - p.GetDouble("PeakWavelengthMin"));
    const double fwhmRange = std::fabs(p.GetDouble("FWHMMax") - p.GetDouble("FWHMMin"));
    const double newPeak = peak + Symmetric() * (peakRange > 0.0 ? peakRange : 0.005);
    const double newFwhm = fwhm + Symmetric() * (fwhmRange > 0.0 ? fwhmRange : 0.005);
    p.SetDouble(kPeak, newPeak);
    p.SetDouble(kFwhm, newFwhm);
}

// One PanShenFeng peak; channel c of the multi-peak shapes uses the keys with suffix c.
struct PsfPeak {
    double peak, fwhm, shift, loss;
};

struct PsfKeys {
    std::string peak, fwhm, shift, loss;
};

const PsfKeys kPsfKeys[3] = {
    {"PeakWavelength", "FWHM", "PeakShiftPerKelvin", "IntensityLossPerKelvin"},
    {"PeakWavelength2", "FWHM2", "PeakShiftPerKelvin2", "IntensityLossPerKelvin2"},
    {"PeakWavelength3", "FWHM3", "PeakShiftPerKelvin3", "IntensityLossPerKelvin3"},
};

// Peak c of a shape with channels peaks registered by AddMultiPeakParameters (one peak:
// the order of PanShenFengLEDModel too).
PsfPeak ReadPsf(const LEDModel& m, int channels, int c)
{
    return {m.Number(2 * c), m.Number(2 * c + 1), m.Number(2 * channels + 2 * c), m.Number(2 * channels + 2 * c + 1)};
}

double PsfValue(const PsfPeak& s, double wavelength, double temperature)
{
    const double dT = temperature - kReferenceTemperature;
    const double shifted = s.peak + s.shift * dT;
    const double k = std::clamp(1.0 - s.loss * dT, 0.0, 5.0);
    if (s.fwhm == 0.0)
        return wavelength == shifted ? k : 0.0;
    // The cut-off is measured from the unshifted peak.
    if (std::fabs(wavelength - s.peak) > 5.0 * std::fabs(s.fwhm))
        return 0.0;
    const double v = (wavelength - shifted) / s.fwhm;
    return k * std::exp(-3.2213 * v * v * std::exp(-0.3 * std::fabs(v)));
}

// By the peak wavelength, or by the width; without the cut-off of PsfValue.
double PsfDerivative(const PsfPeak& s, bool byWidth, double wavelength, double temperature)
{
    const double W = s.fwhm;
    if (W == 0.0)
        return 0.0;
    const double dT = temperature - kReferenceTemperature;
    const double k = std::clamp(1.0 - s.loss * dT, 0.0, 5.0);
    const double t = s.peak + s.shift * dT - wavelength;
    const double x = t / W;
    const double E = std::exp(-0.3 * std::fabs(x));
    const double g = std::exp(-3.2213 * x * x * E);
    const double sgn = x < 0.0 ? -1.0 : 1.0;
    if (!byWidth)
        return k * g * -3.2213 * E * (2.0 * x - 0.3 * sgn * x * x) / W;
    return k * g * -3.2213 * t * t * E * (-2.0 / (W * W * W) + 0.3 * sgn * t / (W * W * W * W));
}

// Channel c of a shape with one PanShenFeng peak per channel.
double ChannelPeakValue(const LEDModel& m, int channels, double wavelength, double temperature, int c)
{
    if (static_cast<unsigned>(c) >= static_cast<unsigned>(channels))
        return 0.0;
    return PsfValue(ReadPsf(m, channels, c), wavelength, temperature);
}

// ChannelPeakValue over a grid.
void SampleChannelPeak(const LEDModel& m, int channels, double* out, double x0, double dx, int count,
                       double temperature, int c)
{
    if (static_cast<unsigned>(c) >= static_cast<unsigned>(channels)) {
        std::fill_n(out, count, 0.0);
        return;
    }
    const PsfPeak s = ReadPsf(m, channels, c);
    SampleLoop(out, x0, dx, count, [&](double x) { return PsfValue(s, x, temperature); });
}

// Parameters 2c and 2c + 1 are channel c's peak wavelength and width (the registration
// order of both multi-peak shapes); no other parameter moves channel c's peak.
double ChannelPeakDerivative(const LEDModel& m, int channels, int param, double wavelength,
                             double temperature, int c)
{
    if (param < 0 || static_cast<unsigned>(c) >= static_cast<unsigned>(channels) || param / 2 != c)
        return 0.0;
    return PsfDerivative(ReadPsf(m, channels, c), param % 2 == 1, wavelength, temperature);
}

// Registers the parameters of a multi-peak shape: peaks and widths first, then the
// temperature coefficients, channel by channel.
void AddMultiPeakParameters(LEDModel& m, int channels)
{
    const double peaks[3] = {0.47, 0.55, 0.66};
    for (int c = 0; c < channels; ++c) {
        m.AddParameter(kPsfKeys[c].peak, peaks[c], true);
        m.AddParameter(kPsfKeys[c].fwhm, 0.024, true);
    }
    for (int c = 0; c < channels; ++c) {
        m.AddParameter(kPsfKeys[c].shift, 0.0, true);
        m.AddParameter(kPsfKeys[c].loss, 0.0, true);
    }
}

// The parameters of the filter curve, in registration order.
const std::string kVortexKeys[8] = {"PeakWavelength", "FP-Exp",         "FP-BaseDelta",  "FP-PeakDelta",
                                    "FP-LeftOffset",  "FP-RightOffset", "FP-LeftClimp", "FP-RightClimp"};

struct Vortex {
    double P, e, B, D, Lo, Ro, Lc, Rc;
};

Vortex ReadVortex(const LEDModel& m)
{
    return {m.Number(0), m.Number(1), m.Number(2), m.Number(3), m.Number(4), m.Number(5), m.Number(6), m.Number(7)};
}

enum class VortexPart { Point, LeftTail, RightTail, LeftFlank, Top, RightFlank, Undefined };

// Which rule of the curve applies at wavelength, tested in this order.
VortexPart VortexPartAt(const Vortex& v, double wavelength)
{
    if (v.B == 0.0)
        return VortexPart::Point;
    const double t = v.B * 0.5;
    const double w = v.D * 0.5;
    if (wavelength < v.P - t)
        return VortexPart::LeftTail;
    if (wavelength > v.P + t)
        return VortexPart::RightTail;
    if (v.P - t <= wavelength && wavelength <= v.P - w)
        return VortexPart::LeftFlank;
    if (v.D > 0.0 && wavelength <= v.P + w)
        return VortexPart::Top;
    if (v.P - t < wavelength && wavelength <= v.P + t)
        return VortexPart::RightFlank;
    return VortexPart::Undefined; // only NaN parameters get here
}

double VortexValue(const Vortex& v, double wavelength)
{
    const double t = v.B * 0.5;
    const double w = v.D * 0.5;
    double value = 1.0;
    switch (VortexPartAt(v, wavelength)) {
    case VortexPart::Point:
        return wavelength == v.P ? 1.0 : 0.0;
    case VortexPart::LeftTail: {
        const double x = wavelength - (v.P - t);
        value = v.Lo - v.Lc * x * x;
        break;
    }
    case VortexPart::RightTail: {
        const double x = v.P + t - wavelength;
        value = v.Ro - v.Rc * x * x;
        break;
    }
    case VortexPart::LeftFlank:
        value = v.Lo + std::pow((t + (wavelength - v.P)) / (t - w), v.e) * (1.0 - v.Lo);
        break;
    case VortexPart::Top:
    case VortexPart::Undefined:
        return 1.0;
    case VortexPart::RightFlank:
        value = v.Ro + std::fabs(std::pow((wavelength - v.P - t) / (w - t), v.e)) * (1.0 - v.Ro);
        break;
    }
    return std::isfinite(value) ? value : 1.0;
}

// Derivative of the flank formulas by P (0), FP-Exp (1), FP-BaseDelta (2), FP-PeakDelta (3).
// A flank is Off + |r^e|·(1 - Off) with r = N/M; dr holds the derivatives of r by P, t, w.
double VortexDerivative(const Vortex& v, int param, double wavelength)
{
    if (param < 0 || param > 3)
        return 0.0;
    const double t = v.B * 0.5;
    const double w = v.D * 0.5;
    double N, M, offset, drdP, drdt, drdw;
    switch (VortexPartAt(v, wavelength)) {
    case VortexPart::LeftFlank: // r = (t + λ - P)/(t - w)
        N = t + wavelength - v.P;
        M = t - w;
        offset = v.Lo;
        drdP = -1.0 / M;
        drdt = (v.P - wavelength - w) / (M * M);
        drdw = N / (M * M);
        break;
    case VortexPart::RightFlank: // r = (λ - P - t)/(w - t)
        N = wavelength - v.P - t;
        M = w - t;
        offset = v.Ro;
        drdP = -1.0 / M;
        drdt = (wavelength - v.P - w) / (M * M);
        drdw = -N / (M * M);
        break;
    default: // tails, top, degenerate point: constant in these parameters
        return 0.0;
    }
    const double r = N / M;
    const double g = std::pow(r, v.e);
    const double sign = g < 0.0 ? -1.0 : 1.0;
    const double amplitude = 1.0 - offset;
    double result = 0.0;
    if (param == 1) {
        result = r > 0.0 ? sign * g * std::log(r) * amplitude : 0.0;
    } else {
        const double dr = param == 0 ? drdP : param == 2 ? 0.5 * drdt : 0.5 * drdw;
        result = sign * v.e * std::pow(r, v.e - 1.0) * dr * amplitude;
    }
    return std::isfinite(result) ? result : 0.0;
}

} // namespace

// ---- PeakLEDModel: RectLEDModel, GaussianLEDModel, LorentzianLEDModel

// How a symmetric peak falls off: value(x, h) at distance x from the peak with half width
// h != 0; derivative(d = P - λ, h, byWidth) by PeakWavelength or FWHM; sample fills a grid
// with the values of a peak of non-zero or zero width, each equal to the point-wise value.
struct PeakShape {
    double (*value)(double x, double h);
    double (*derivative)(double d, double h, bool byWidth);
    void (*sample)(double* out, double x0, double dx, int count, double peak, double fwhm);
};

namespace {

// Value of a peak of the given shape; a zero width gives 1 at the peak only.
template <class Value>
double PeakValueOf(double peak, double fwhm, double wavelength, Value value)
{
    if (fwhm == 0.0)
        return wavelength == peak ? 1.0 : 0.0;
    return value(wavelength - peak, fwhm * 0.5);
}

// The grid sampler of a shape: its value inlined into the loop.
template <double (*Value)(double, double)>
void SampleShape(double* out, double x0, double dx, int count, double peak, double fwhm)
{
    SampleLoop(out, x0, dx, count, [&](double x) { return PeakValueOf(peak, fwhm, x, Value); });
}

double RectValue(double x, double h)
{
    return h > std::fabs(x) ? 1.0 : 0.0;
}

// A box has no slope except at its edges; at the right edge (λ = P + W/2) a unit step is
// reported, -1 by the peak and +1 by the width.
double RectDerivative(double d, double h, bool byWidth)
{
    if (!(d < 0.0 && std::fabs(d) == h))
        return 0.0;
    return byWidth ? 1.0 : -1.0;
}

double GaussianValue(double x, double h)
{
    return ShapeExp(-kLn2 * (x / h) * (x / h));
}

double GaussianDerivative(double d, double h, bool byWidth)
{
    const double g = std::exp(-kLn2 * (d / h) * (d / h));
    return byWidth ? kLn2 * d * d * g / (h * h * h) : -2.0 * kLn2 * d * g / (h * h);
}

// Whole vectors at a time, each sample equal to the point-wise value.
void GaussianSample(double* out, double x0, double dx, int count, double peak, double fwhm)
{
    if (fwhm == 0.0 || count <= 0)
        return SampleShape<GaussianValue>(out, x0, dx, count, peak, fwhm);
    GaussianSamples(GridWavelengths(x0, dx, count), count, peak, fwhm * 0.5, kLn2, out);
}

double LorentzianValue(double x, double h)
{
    return 1.0 / ((x / h) * (x / h) + 1.0);
}

double LorentzianDerivative(double d, double h, bool byWidth)
{
    const double f = 1.0 / ((d / h) * (d / h) + 1.0);
    return byWidth ? d * d * f * f / (h * h * h) : -2.0 * d * f * f / (h * h);
}

const PeakShape kRectShape{&RectValue, &RectDerivative, &SampleShape<RectValue>};
const PeakShape kGaussianShape{&GaussianValue, &GaussianDerivative, &GaussianSample};
const PeakShape kLorentzianShape{&LorentzianValue, &LorentzianDerivative, &SampleShape<LorentzianValue>};

} // namespace

PeakLEDModel::PeakLEDModel(const PeakShape& shape, const std::type_info& own) : m_shape(&shape), m_own(&own)
{
    AddParameter(kPeak, 0.55, true);
    AddParameter(kFwhm, 0.55, true);
}

bool PeakLEDModel::OwnValue() const
{
    return typeid(*this) == *m_own;
}

double PeakLEDModel::GetValue(double wavelength, double temperature, int channel) const
{
    if (channel != 0)
        return 0.0;
    return PeakValueOf(Number(0), Number(1), wavelength, m_shape->value);
}

void PeakLEDModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    if (!OwnValue())
        return LEDModel::SampleValues(out, x0, dx, count, temperature, channel);
    if (channel != 0) {
        std::fill_n(out, count, 0.0);
        return;
    }
    m_shape->sample(out, x0, dx, count, Number(0), Number(1));
}

// By PeakWavelength (0) or FWHM (1); 0 for other parameters and channels and a zero width.
double PeakLEDModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    if (channel != 0 || (param != 0 && param != 1))
        return 0.0;
    const double h = Number(1) * 0.5;
    if (h == 0.0)
        return 0.0;
    return m_shape->derivative(Number(0) - wavelength, h, param == 1);
}

bool PeakLEDModel::UsesTemperature() const
{
    return !OwnValue();
}

void PeakLEDModel::AddParameterNoise()
{
    AddPeakWidthNoise(params);
}

RectLEDModel::RectLEDModel() : PeakLEDModel(kRectShape, typeid(RectLEDModel)) {}

GaussianLEDModel::GaussianLEDModel() : PeakLEDModel(kGaussianShape, typeid(GaussianLEDModel)) {}

LorentzianLEDModel::LorentzianLEDModel() : PeakLEDModel(kLorentzianShape, typeid(LorentzianLEDModel)) {}

// ---- PanShenFengLEDModel

PanShenFengLEDModel::PanShenFengLEDModel()
{
    AddParameter(kPeak, 0.55, true);
    AddParameter(kFwhm, 0.03, true);
    AddParameter(kPsfKeys[0].shift, 0.0, true);
    AddParameter(kPsfKeys[0].loss, 0.0, true);
}

double PanShenFengLEDModel::GetValue(double wavelength, double temperature, int channel) const
{
    return ChannelPeakValue(*this, 1, wavelength, temperature, channel);
}

void PanShenFengLEDModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    if (!OwnShape<PanShenFengLEDModel>(*this))
        return LEDModel::SampleValues(out, x0, dx, count, temperature, channel);
    SampleChannelPeak(*this, 1, out, x0, dx, count, temperature, channel);
}

double PanShenFengLEDModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    return ChannelPeakDerivative(*this, 1, param, wavelength, temperature, channel);
}

void PanShenFengLEDModel::AddParameterNoise()
{
    AddPeakWidthNoise(params);
}

// ---- LUCOLEDModel

namespace {
const std::string kMixing = "P_MixingFactor";
const std::string kBandKeys[3][3] = {
    {"P_GaussPeak1", "P_GaussFWHM1", "P_GaussFactor1"},
    {"P_GaussPeak2", "P_GaussFWHM2", "P_GaussFactor2"},
    {"P_GaussPeak3", "P_GaussFWHM3", "P_GaussFactor3"},
};
} // namespace

LUCOLEDModel::LUCOLEDModel()
{
    AddParameter(kPeak, "0.459", true);
    AddParameter(kFwhm, "0.022", true);
    AddParameter(kMixing, "0.45", true);
    const char* bands[3][3] = {{"0.541", "0.084", "0.666"}, {"0.601", "0.113", "0.567"}, {"0.726", "0.062", "0.011"}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            AddParameter(kBandKeys[i][j], bands[i][j], true);
    AddParameter(kPsfKeys[0].shift, 0.0, true);
    AddParameter(kPsfKeys[0].loss, 0.0, true);
}

// Blue part B (a PanShenFeng peak), phosphor sum S; a mixing factor m above 1 divides B,
// one below 1 multiplies S. The phosphor dims with temperature, by a factor in [0, 2].
double LUCOLEDModel::GetValue(double wavelength, double temperature, int channel) const
{
    if (channel != 0)
        return 0.0;
    // Registration order: peak, width, mixing factor, three bands (peak, width, factor),
    // shift and loss of the blue peak.
    const PsfPeak blue = {Number(0), Number(1), Number(12), Number(13)};
    double B = PsfValue(blue, wavelength, temperature);
    const double kP = std::clamp(1.0 - blue.loss * (temperature - kReferenceTemperature), 0.0, 2.0);
    const double m = Number(2);
    if (m > 1.0)
        B /= m;
    double S = 0.0;
    for (int band = 0; band < 3; ++band)
        S += Number(3 * band + 5) * GaussianBand(Number(3 * band + 3), Number(3 * band + 4), wavelength);
    if (m < 1.0)
        S *= m;
    return S * kP + B;
}

double LUCOLEDModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    return 0.0;
}

// ---- TriPanShenFengLEDModel, BiPanShenFengLEDModel

TriPanShenFengLEDModel::TriPanShenFengLEDModel()
{
    SetChannelCount(3);
    AddMultiPeakParameters(*this, 3);
}

double TriPanShenFengLEDModel::GetValue(double wavelength, double temperature, int channel) const
{
    return ChannelPeakValue(*this, 3, wavelength, temperature, channel);
}

void TriPanShenFengLEDModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    if (!OwnShape<TriPanShenFengLEDModel>(*this))
        return LEDModel::SampleValues(out, x0, dx, count, temperature, channel);
    SampleChannelPeak(*this, 3, out, x0, dx, count, temperature, channel);
}

double TriPanShenFengLEDModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    return ChannelPeakDerivative(*this, 3, param, wavelength, temperature, channel);
}

BiPanShenFengLEDModel::BiPanShenFengLEDModel()
{
    SetChannelCount(2);
    AddMultiPeakParameters(*this, 2);
}

double BiPanShenFengLEDModel::GetValue(double wavelength, double temperature, int channel) const
{
    return ChannelPeakValue(*this, 2, wavelength, temperature, channel);
}

void BiPanShenFengLEDModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    if (!OwnShape<BiPanShenFengLEDModel>(*this))
        return LEDModel::SampleValues(out, x0, dx, count, temperature, channel);
    SampleChannelPeak(*this, 2, out, x0, dx, count, temperature, channel);
}

double BiPanShenFengLEDModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    return ChannelPeakDerivative(*this, 2, param, wavelength, temperature, channel);
}

// ---- VortexFLTModel

VortexFLTModel::VortexFLTModel()
{
    const double defaults[8] = {0.55, 2.0, 0.05, 0.0, 0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 8; ++i)
        AddParameter(kVortexKeys[i], defaults[i], true);
}

double VortexFLTModel::GetValue(double wavelength, double temperature, int channel) const
{
    return VortexValue(ReadVortex(*this), wavelength);
}

void VortexFLTModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    if (!OwnShape<VortexFLTModel>(*this))
        return LEDModel::SampleValues(out, x0, dx, count, temperature, channel);
    const Vortex v = ReadVortex(*this);
    SampleLoop(out, x0, dx, count, [&](double x) { return VortexValue(v, x); });
}

double VortexFLTModel::GetDerivative(int param, double wavelength, double temperature, int channel) const
{
    if (channel != 0)
        return 0.0;
    return VortexDerivative(ReadVortex(*this), param, wavelength);
}

std::uint32_t VortexFLTModel::NoiseSeed(int randValue, std::uint32_t seconds)
{
    return static_cast<std::uint32_t>(randValue) * seconds * 4u;
}

void VortexFLTModel::AddParameterNoise()
{
    AddParameterNoise(NoiseSeed(platform::Rand(), static_cast<std::uint32_t>(std::time(nullptr))));
}

// Each quantity after the peak draws from the source reseeded with the seed shifted right
// (arithmetically, as a signed 32-bit value) by one more bit. Both offsets move by the
// same n, which is 0 unless a first draw is positive.
void VortexFLTModel::AddParameterNoise(std::uint32_t seed)
{
    Vortex v = ReadVortex(*this);
    const auto signedSeed = static_cast<std::int32_t>(seed);
    const auto reseed = [signedSeed](int shift) { platform::SRand(static_cast<unsigned>(signedSeed >> shift)); };
    const auto climp = [](double read, double moved) {
        return read < 0.0 ? std::clamp(moved, -5.0, 0.0) : std::clamp(moved, 0.0, 5.0);
    };

    platform::SRand(seed);
    const double n = Symmetric() * 0.1 > 0.0 ? Symmetric() * 0.1 : 0.0;
    v.P += Symmetric() * 0.04;
    reseed(1);
    v.B += Symmetric() * (0.1 * v.B);
    reseed(2);
    v.D += Symmetric() * 0.04;
    reseed(3);
    v.Lo += n;
    reseed(4);
    v.Ro += n;
    reseed(5);
    v.Lc = climp(v.Lc, v.Lc + Symmetric() * 0.1);
    reseed(6);
    v.Rc = climp(v.Rc, v.Rc + Symmetric() * 0.1);

    const double values[8] = {v.P, v.e, v.B, v.D, v.Lo, v.Ro, v.Lc, v.Rc};
    for (int i = 0; i < 8; ++i)
        if (i != 1)
            params.SetDouble(kVortexKeys[i], values[i]);
}
