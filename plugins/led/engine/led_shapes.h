#pragma once
// The eight LED model shapes. Wavelengths in micrometres, temperatures in kelvin, 298.15 K
// is the reference of the temperature-dependent ones. Each shape registers its parameters
// in the order below (that order numbers them for GetDerivative and `Number`) and reads
// their numbers, parsed once after each change, on every call of GetValue and GetDerivative;
// a missing or non-numeric text reads 0.

#include "engine/led_model.h"

#include <cstdint>
#include <typeinfo>

struct PeakShape;

// A symmetric peak of height 1 around PeakWavelength with full width FWHM (registered in this
// order, 0.55 each) on channel 0; a zero width gives 1 at the peak only. The shape says how the
// value falls off beside the peak; Rect, Gaussian and Lorentzian differ only in it.
class PeakLEDModel : public LEDModel {
public:
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;
    // False unless a subclass replaces GetValue.
    bool UsesTemperature() const override;
    // Moves peak and width by up to their tolerance ranges.
    virtual void AddParameterNoise();

protected:
    // own: the type whose GetValue is the shape's; a subclass replacing GetValue is sampled point
    // by point through its replacement.
    PeakLEDModel(const PeakShape& shape, const std::type_info& own);
    void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const override;

private:
    bool OwnValue() const;

    const PeakShape* m_shape;
    const std::type_info* m_own;
};

// A box of width FWHM around PeakWavelength.
class RectLEDModel : public PeakLEDModel {
public:
    RectLEDModel();
};

class GaussianLEDModel : public PeakLEDModel {
public:
    GaussianLEDModel();
};

class LorentzianLEDModel : public PeakLEDModel {
public:
    LorentzianLEDModel();
};

// An asymmetric-tailed peak that shifts and dims with temperature:
// k·exp(-3.2213·v²·exp(-0.3·|v|)), v = (λ - (P + shift·ΔT))/W, k = 1 - loss·ΔT in [0, 5].
class PanShenFengLEDModel : public LEDModel {
public:
    PanShenFengLEDModel(); // PeakWavelength 0.55, FWHM 0.03, PeakShiftPerKelvin 0, IntensityLossPerKelvin 0
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;
    virtual void AddParameterNoise();

protected:
    void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const override;
};

// A blue emitter (a PanShenFeng peak) plus a phosphor of three Gaussian bands, mixed by
// P_MixingFactor. No derivatives.
class LUCOLEDModel : public LEDModel {
public:
    LUCOLEDModel();
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;
};

// Three independently driven PanShenFeng peaks, one per channel (keys without suffix, with
// 2 and with 3).
class TriPanShenFengLEDModel : public LEDModel {
public:
    TriPanShenFengLEDModel();
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;

protected:
    void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const override;
};

// Two independently driven PanShenFeng peaks, one per channel.
class BiPanShenFengLEDModel : public LEDModel {
public:
    BiPanShenFengLEDModel();
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;

protected:
    void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const override;
};

// A filter curve (stored as "FabryPerotModel"): flat top of width FP-PeakDelta, power-law
// flanks out to FP-BaseDelta, parabolic tails beyond. Ignores temperature and channel.
//
//   Lo - Lc·x²  | Lo + ((t + λ - P)/(t - w))^e·(1 - Lo) | 1 | Ro + |((λ-P-t)/(w-t))^e|·(1 - Ro) |  Ro - Rc·x²
//            P - t                                  P - w   P + w                               P + t
//
// with t = FP-BaseDelta/2, w = FP-PeakDelta/2. Where the parameters leave a flank undefined
// (FP-PeakDelta = FP-BaseDelta, a zero base to a negative power) the value is the top's, 1.
class VortexFLTModel : public LEDModel {
public:
    VortexFLTModel();
    double GetValue(double wavelength, double temperature, int channel) const override;
    double GetDerivative(int param, double wavelength, double temperature, int channel) const override;
    // Draws a seed from the random source and the clock, then AddParameterNoise(seed).
    virtual void AddParameterNoise();
    // Moves peak, widths, offsets and climps (FP-Exp stays); reseeds the random source.
    void AddParameterNoise(std::uint32_t seed);
    // rand·seconds·4, wrapping in 32 bits.
    static std::uint32_t NoiseSeed(int randValue, std::uint32_t seconds);

protected:
    void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const override;
};
