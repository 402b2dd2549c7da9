#pragma once
// The parametric spectral model of one LED: wavelength (µm), junction temperature (K) and
// channel give a relative emission value. The parameters are key/value texts in params, so
// the same keys serve database records, set files and editors. Samples of the global grid
// are cached per channel.

#include "core/param_container.h"
#include "engine/ls_matrix.h"

#include <string>
#include <vector>

class LEDModel : public ParamContainerManager {
public:
    ~LEDModel() override;
    // Copies go through CopyLEDModel.
    LEDModel& operator=(const LEDModel&) = delete;

    // A value of the model's own params changed (1003): the cached samples are stale.
    void Notify(int event, const void* sender, const void* data) override;

    // 0 for a channel the shape does not have.
    virtual double GetValue(double wavelength, double temperature, int channel) const = 0;
    // Partial derivative of GetValue by parameter number param (position in params);
    // param -1 asks for the derivative by temperature.
    virtual double GetDerivative(int param, double wavelength, double temperature, int channel) const = 0;

    int GetChannelCount() const { return channelCount; }
    // Whether GetValue depends on the temperature; the cached samples of a shape that does
    // not serve every temperature.
    virtual bool UsesTemperature() const { return true; }

    // Appends a parameter; fixed = false marks it for fitting. The double form stores "%g".
    void AddParameter(const std::string& name, const std::string& value, bool fixed);
    void AddParameter(const std::string& name, double value, bool fixed);
    // The parameter added n-th by AddParameter as params.GetDouble reads it (0 for an n
    // without parameter). The texts stay the record's truth; their numbers are parsed once
    // after params changed, so the shapes' value and derivative reads parse nothing.
    double Number(int n) const
    {
        if (numbersStale)
            ReadNumbers();
        return static_cast<std::size_t>(n) < numbers.size() ? numbers[static_cast<std::size_t>(n)] : 0.0;
    }

    // Marks parameter number parameter (position in params) for fitting or fixes it; a
    // number without parameter does nothing.
    void SetFitFlag(int parameter, bool fit);
    bool GetFitFlag(int parameter) const;

    int GetFitParameterCount() const;
    // Position in params of the i-th fit parameter, -1 when there are fewer.
    int GetFitParameterIndex(int i) const;
    // i = -1: the temperature derivative; an i without fit parameter gives 0.
    double GetFitDerivative(int i, double wavelength, double temperature, int channel) const;
    double GetFitParameter(int i) const;
    void SetFitParameter(int i, double value);

    // Fills out with GetValue at x0, x0 + dx, ... (accumulated) for GridPointCount(x0, x1, dx)
    // points. An out-of-range channel zeroes out; an out with fewer rows stays unchanged.
    // Samples of the global grid are cached per channel and exact temperature (any
    // temperature for a shape that does not use it); other grids are computed afresh and
    // never touch the cache.
    void SampleChannel(LSMatrix out, double x0, double x1, double dx, double temperature, int channel);
    // The samples SampleChannel gives on the global grid, read in place from the cache (filled
    // first when it does not hold them). Null for an out-of-range channel or a failed
    // allocation. Valid until the model's parameters, its channel count or the global grid
    // change, or the channel is sampled at another temperature.
    const double* GetGridSamples(double temperature, int channel);
    // The cached sample of the grid row nearest to wavelength when the channel's cache
    // holds that temperature on the grid in force and wavelength is a grid wavelength;
    // otherwise GetValue (the cache is not filled). 0 for an out-of-range channel.
    double GetValueCached(double wavelength, double temperature, int channel) const;

    // Takes the value of each own key from led (derived through led's handler where led
    // does not hold it; empty when neither), keeps a copy of led in record and gives
    // params led's event handler.
    void SetParameters(const ParamContainer& led);

    // New peak positions and widths inside the limits of record (see the .cpp).
    void RandomizeWithinDBLimits();

protected:
    LEDModel();
    // Parameters, fit flags, record and cached samples; the copy observes its own params.
    LEDModel(const LEDModel& other);
    // Drops every cached sample and makes room for n channels.
    void SetChannelCount(int n);
    // GetValue at x0, x0 + dx, ... (accumulated) for count points into out, for a channel the
    // model has. The shapes replace it by a loop that reads their parameters once.
    virtual void SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const;

private:
    struct Grid {
        double start = 0.0, end = 0.0, step = 0.0;
        bool operator==(const Grid&) const = default;
    };
    static Grid CurrentGrid();

    void ReadNumbers() const;

    // One bit per parameter in registration order; set bits are fit parameters.
    std::vector<bool> fitMask;
    // The keys AddParameter added, in order, and their numbers (see Number).
    std::vector<std::string> numberKeys;
    mutable std::vector<double> numbers;
    mutable bool numbersStale = true;
    // Per channel: the samples of the global grid, their temperature, whether they are
    // current, and the grid they were computed on.
    std::vector<LSMatrixHandle> sampleCache;
    std::vector<double> cacheTemperature;
    std::vector<bool> cacheValid;
    std::vector<Grid> cacheGrid;
    int channelCount = 0;
};

// The model of a model name ("FabryPerotModel" gives a VortexFLTModel); the match is
// byte-wise and case-sensitive. Null for an unknown name. The caller owns the model.
LEDModel* CreateLEDModel(const char* modelName);
// The model of row i of the model table; null when there is no such row.
LEDModel* CreateLEDModelByIndex(int i);
// The model named by led's "SpectralModel", with its parameters taken from led; null when
// the name is empty or unknown.
LEDModel* CreateLEDModelFromParams(const ParamContainer& led);
// A copy of model (see the copy constructor) of model's own class; null for a class the
// model table does not list, such as a shape's subclass. The caller owns the copy.
LEDModel* CopyLEDModel(const LEDModel& model);
