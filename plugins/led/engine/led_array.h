#pragma once
// LEDArray: the LEDs of one light source, one model per LED built from a database record,
// with a display name. A drive vector holds one value per channel, LED 0's channels first;
// ComputeSpectrum turns it into the sum spectrum on the global grid.

#include "core/param_container.h"
#include "engine/ls_matrix.h"

#include <string>
#include <vector>

class LEDModel;
class ThermalModel;

// The model AddLED appends for record: the one its "SpectralModel" names, with the record's
// values and the fixed parameter "OrigDBIdx" = dbIndex. Null for an empty or unknown name.
LEDModel* BuildLEDModel(const ParamContainer& record, int dbIndex);

class LEDArray {
public:
    LEDArray() = default;
    ~LEDArray();
    // Copies go through Assign only, which rebuilds the models from their records.
    LEDArray(const LEDArray&) = delete;
    LEDArray& operator=(const LEDArray&) = delete;
    LEDArray(LEDArray&& other) noexcept;
    LEDArray& operator=(LEDArray&& other) noexcept;

    int GetCount() const { return static_cast<int>(leds.size()); }
    // Null outside 0 .. count - 1.
    LEDModel* GetLED(int i) const;
    // Empty outside 0 .. count - 1.
    std::string GetName(int i) const;
    int GetChannelCount() const;

    // Builds the model named by the record's "SpectralModel" and appends it, named after the
    // record's "Name" (LED_ and the LED count as "%03d" without one). The model keeps the
    // database index as its fixed parameter "OrigDBIdx". An unknown model is logged and skipped.
    void AddLED(const ParamContainer& record, int dbIndex);
    // Appends a copy of model (CopyLEDModel: its cached samples come along), named as AddLED
    // names model's record; false, adding nothing, for a model that cannot be copied. A copy
    // of a model AddLED built, never changed since, is what AddLED builds from the same record.
    bool AddLEDCopy(const LEDModel& model);
    // Appends a model built elsewhere (the array owns it from now on); for models that no
    // record describes, as in tests.
    void AdoptLED(LEDModel* model, const std::string& name);
    bool ContainsName(const std::string& name) const;
    // Out of range does nothing.
    void RemoveLED(int i);
    void RemoveAll();
    // Rebuilds this array from other's records and "OrigDBIdx" values, then copies the score.
    // Values fitted into other's models are not carried over.
    void Assign(const LEDArray& other);
    void RandomizeParameters();

    // out (grid point count x 1) = sum over channels of drive x channel sample. The thermal
    // model gets the channel number within its LED; without one every channel is at 298.15 K.
    // Channels beyond the drive values contribute nothing, extra values are ignored.
    void ComputeSpectrum(LSMatrix out, const std::vector<double>& drives, ThermalModel* thermal) const;

    // Fitness in the selection search; 0 after construction.
    double score = 0.0;

private:
    // record's "Name", or LED_ and the LED count as "%03d" without one.
    std::string NameFor(const ParamContainer& record) const;

    std::vector<LEDModel*> leds; // owned
    std::vector<std::string> names;
};
