#include "engine/led_model.h"

#include "core/number_text.h"
#include "engine/grid.h"
#include "engine/led_shapes.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <typeinfo>

namespace {

// Index of key among the own pairs of c, -1 when c does not hold it (derivation is not asked).
int OwnIndex(const ParamContainer& c, const std::string& key)
{
    for (int i = 0; i < c.Count(); ++i)
        if (c.KeyAt(i) == key)
            return i;
    return -1;
}

// Uniform in [0, 1] from the 15-bit source.
double Uniform01()
{
    return platform::Rand() / static_cast<double>(platform::kRandMax);
}

struct ModelRow {
    const char* name;
    LEDModel* (*create)();
    LEDModel* (*copy)(const LEDModel&);
};

template <class Model>
LEDModel* Create()
{
    return new Model;
}

template <class Model>
LEDModel* Copy(const LEDModel& model)
{
    return typeid(model) == typeid(Model) ? new Model(static_cast<const Model&>(model)) : nullptr;
}

// Ended by a row with an empty name and no creator. "FabryPerotModel" is the stored name of
// the Vortex filter curve; records and files use it, so it stays.
const ModelRow kModelTable[] = {
    {"GaussianLEDModel", &Create<GaussianLEDModel>, &Copy<GaussianLEDModel>},
    {"LorentzianLEDModel", &Create<LorentzianLEDModel>, &Copy<LorentzianLEDModel>},
    {"PanShenFengLEDModel", &Create<PanShenFengLEDModel>, &Copy<PanShenFengLEDModel>},
    {"LUCOLEDModel", &Create<LUCOLEDModel>, &Copy<LUCOLEDModel>},
    {"TriPanShenFengLEDModel", &Create<TriPanShenFengLEDModel>, &Copy<TriPanShenFengLEDModel>},
    {"BiPanShenFengLEDModel", &Create<BiPanShenFengLEDModel>, &Copy<BiPanShenFengLEDModel>},
    {"RectLEDModel", &Create<RectLEDModel>, &Copy<RectLEDModel>},
    {"FabryPerotModel", &Create<VortexFLTModel>, &Copy<VortexFLTModel>},
    {"", nullptr, nullptr},
};

// A key to draw and its limits in the database record.
struct LimitKeys {
    // Strings made once, so the lookups of every draw build none.
    std::string key;
    std::string min;
    std::string max;
    double minOnlyRange; // the range above min when the record lacks a stored range
};

const LimitKeys kLimitKeys[] = {
    {"PeakWavelength", "PeakWavelengthMin", "PeakWavelengthMax", 0.005},
    {"PeakWavelength2", "PeakWavelengthMin2", "PeakWavelengthMax2", 0.005 * 0.5},
    {"PeakWavelength3", "PeakWavelengthMin3", "PeakWavelengthMax3", 0.005 * 0.5},
    {"FWHM", "FWHMMin", "FWHMMax", 0.005},
    {"FWHM2", "FWHMMin2", "FWHMMax2", 0.005 * 0.5},
    {"FWHM3", "FWHMMin3", "FWHMMax3", 0.005 * 0.5},
};

// Looks key up in c (deriving it if need be) and converts the value at once, before a
// further lookup can move the pairs.
double LookUp(const ParamContainer& c, const std::string& key, int& source)
{
    return number_text::ToDouble(c.FindValue(key, &source).second.c_str());
}

} // namespace

LEDModel::LEDModel()
{
    SetChannelCount(1);
}

LEDModel::LEDModel(const LEDModel& other)
    : ParamContainerManager(other)
    , fitMask(other.fitMask)
    , numberKeys(other.numberKeys)
    , cacheTemperature(other.cacheTemperature)
    , cacheValid(other.cacheValid)
    , cacheGrid(other.cacheGrid)
    , channelCount(other.channelCount)
{
    // A cache that is missing (or not copied) has no rows, and SampleChannel then ignores it.
    for (const LSMatrixHandle& cache : other.sampleCache) {
        sampleCache.emplace_back(cache.rows(), cache.cols());
        MatCopy(sampleCache.back(), cache);
    }
}

LEDModel::~LEDModel() = default;

LEDModel::Grid LEDModel::CurrentGrid()
{
    return Grid{XStart, XEnd, XStep};
}

void LEDModel::SetChannelCount(int n)
{
    channelCount = std::max(n, 0);
    sampleCache.clear();
    cacheTemperature.assign(static_cast<std::size_t>(channelCount), -1.0);
    cacheValid.assign(static_cast<std::size_t>(channelCount), false);
    cacheGrid.assign(static_cast<std::size_t>(channelCount), CurrentGrid());
    const int points = GridPointCount();
    for (int i = 0; i < channelCount; ++i)
        sampleCache.emplace_back(points, 1);
}

void LEDModel::Notify(int event, const void* sender, const void* data)
{
    if (sender != &params)
        return;
    numbersStale = true;
    if (event == kEventValueChanged)
        std::fill(cacheValid.begin(), cacheValid.end(), false);
}

void LEDModel::AddParameter(const std::string& name, const std::string& value, bool fixed)
{
    // A key that is already there is not added again, so the mask keeps one bit per pair.
    if (params.AddKeyValue(name, value)) {
        fitMask.push_back(!fixed);
        numberKeys.push_back(name);
    }
}

void LEDModel::AddParameter(const std::string& name, double value, bool fixed)
{
    AddParameter(name, number_text::FormatG(value), fixed);
}

void LEDModel::ReadNumbers() const
{
    numbers.resize(numberKeys.size());
    for (std::size_t n = 0; n < numberKeys.size(); ++n)
        numbers[n] = params.GetDouble(numberKeys[n]);
    numbersStale = false;
}

void LEDModel::SetFitFlag(int parameter, bool fit)
{
    if (parameter >= 0 && parameter < static_cast<int>(fitMask.size()))
        fitMask[static_cast<std::size_t>(parameter)] = fit;
}

bool LEDModel::GetFitFlag(int parameter) const
{
    return parameter >= 0 && parameter < static_cast<int>(fitMask.size()) &&
           fitMask[static_cast<std::size_t>(parameter)];
}

int LEDModel::GetFitParameterCount() const
{
    return static_cast<int>(std::count(fitMask.begin(), fitMask.end(), true));
}

int LEDModel::GetFitParameterIndex(int i) const
{
    if (i < 0)
        return -1;
    for (std::size_t k = 0; k < fitMask.size(); ++k)
        if (fitMask[k] && i-- == 0)
            return static_cast<int>(k);
    return -1;
}

double LEDModel::GetFitDerivative(int i, double wavelength, double temperature, int channel) const
{
    if (i == -1)
        return GetDerivative(-1, wavelength, temperature, channel);
    const int index = GetFitParameterIndex(i);
    return index < 0 ? 0.0 : GetDerivative(index, wavelength, temperature, channel);
}

double LEDModel::GetFitParameter(int i) const
{
    const int index = GetFitParameterIndex(i);
    return index < 0 ? 0.0 : params.GetDoubleAt(index);
}

void LEDModel::SetFitParameter(int i, double value)
{
    params.SetDoubleAt(GetFitParameterIndex(i), value);
    std::fill(cacheValid.begin(), cacheValid.end(), false);
}

void LEDModel::SampleChannel(LSMatrix out, double x0, double x1, double dx, double temperature, int channel)
{
    if (!out)
        return;
    if (channel < 0 || channel >= channelCount) {
        MatZero(out);
        return;
    }
    const int count = GridPointCount(x0, x1, dx);
    if (MatRows(out) < count || MatCols(out) < 1)
        return;

    if (Grid{x0, x1, dx} == CurrentGrid()) {
        if (const double* cached = GetGridSamples(temperature, channel)) {
            std::copy_n(cached, count, out);
            return;
        }
    }
    SampleValues(out, x0, dx, count, temperature, channel);
}

const double* LEDModel::GetGridSamples(double temperature, int channel)
{
    if (channel < 0 || channel >= channelCount)
        return nullptr;
    const auto c = static_cast<std::size_t>(channel);
    const Grid grid = CurrentGrid();
    const int count = GridPointCount();
    LSMatrixHandle& cache = sampleCache[c];
    if (cacheValid[c] && (cacheTemperature[c] == temperature || !UsesTemperature()) && cacheGrid[c] == grid &&
        cache.rows() == count)
        return cache.get();
    // The grid may have changed since the cache was allocated.
    if (cache.rows() != count)
        cache = LSMatrixHandle(count, 1);
    if (!cache) {
        cacheValid[c] = false;
        return nullptr;
    }
    SampleValues(cache.get(), grid.start, grid.step, count, temperature, channel);
    cacheTemperature[c] = temperature;
    cacheGrid[c] = grid;
    cacheValid[c] = true;
    return cache.get();
}

void LEDModel::SampleValues(double* out, double x0, double dx, int count, double temperature, int channel) const
{
    double x = x0;
    for (int i = 0; i < count; ++i) {
        out[i] = GetValue(x, temperature, channel);
        x += dx;
    }
}

double LEDModel::GetValueCached(double wavelength, double temperature, int channel) const
{
    if (channel < 0 || channel >= channelCount)
        return 0.0;
    const auto c = static_cast<std::size_t>(channel);
    if (cacheValid[c] && (cacheTemperature[c] == temperature || !UsesTemperature()) &&
        cacheGrid[c] == CurrentGrid()) {
        // Nearest row: (λ - XStart)/XStep of a grid wavelength may fall just below its row.
        const double position = (wavelength - XStart) / XStep;
        const double row = std::round(position);
        if (row >= 0.0 && row < sampleCache[c].rows() && std::fabs(position - row) <= 1e-6)
            return sampleCache[c][static_cast<int>(row)];
    }
    return GetValue(wavelength, temperature, channel);
}

void LEDModel::SetParameters(const ParamContainer& led)
{
    for (int i = 0; i < params.Count(); ++i) {
        const std::string value = led.FindValue(params.KeyAt(i)).second;
        params.SetStringAt(i, value);
    }
    record = led;
    params.SetEventHandler(led.GetEventHandler());
    // A number the record lacks may now be derived by the new handler.
    numbersStale = true;
}

// For each key the model holds: with a range stored in record, a value in its lower half
// [min, min + (max - min)/2]; otherwise min (stored or derived) plus a small random amount.
// A key whose min record can neither supply nor derive keeps its value. Afterwards a
// "P_MixingFactor" becomes the record's value times a factor in [0.9, 1.1].
void LEDModel::RandomizeWithinDBLimits()
{
    for (const LimitKeys& k : kLimitKeys) {
        if (OwnIndex(params, k.key) < 0)
            continue;
        int minSource = ParamContainer::kNotFound;
        int maxSource = ParamContainer::kNotFound;
        const double min = LookUp(record, k.min, minSource);
        if (minSource == ParamContainer::kNotFound)
            continue;
        const double max = LookUp(record, k.max, maxSource);
        const double r = Uniform01();
        const double range = std::fabs(max - min);
        const bool stored = minSource == ParamContainer::kOwnValue && maxSource == ParamContainer::kOwnValue;
        params.SetDouble(k.key, stored && range > 0.0 ? min + r * range * 0.5 : min + r * k.minOnlyRange);
    }

    static const std::string kMixing = "P_MixingFactor";
    if (OwnIndex(params, kMixing) >= 0) {
        int source = ParamContainer::kNotFound;
        const double mixing = LookUp(record, kMixing, source);
        if (source != ParamContainer::kNotFound)
            params.SetDouble(kMixing, (Uniform01() * 0.2 + 0.9) * mixing);
    }
}

LEDModel* CreateLEDModel(const char* modelName)
{
    if (!modelName)
        return nullptr;
    for (const ModelRow* row = kModelTable; row->create; ++row)
        if (std::strcmp(row->name, modelName) == 0)
            return row->create();
    return nullptr;
}

LEDModel* CreateLEDModelByIndex(int i)
{
    constexpr int rows = static_cast<int>(std::size(kModelTable)) - 1;
    return i >= 0 && i < rows ? kModelTable[i].create() : nullptr;
}

LEDModel* CopyLEDModel(const LEDModel& model)
{
    for (const ModelRow* row = kModelTable; row->create; ++row)
        if (LEDModel* copy = row->copy(model))
            return copy;
    return nullptr;
}

LEDModel* CreateLEDModelFromParams(const ParamContainer& led)
{
    const std::string name = led.FindValue("SpectralModel").second;
    if (name.empty())
        return nullptr;
    LEDModel* model = CreateLEDModel(name.c_str());
    if (model)
        model->SetParameters(led);
    return model;
}
