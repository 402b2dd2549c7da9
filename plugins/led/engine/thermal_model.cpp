#include "engine/thermal_model.h"

#include "core/number_text.h"

namespace {
const std::string kTemperature = "Temperature";
} // namespace

ConstantThermalModel::ConstantThermalModel()
{
    params.AddKeyValue(kTemperature, number_text::FormatG(temperature));
}

// Any container's change of a pair named "Temperature" is taken; only the model's own
// params announce changes to it.
void ConstantThermalModel::Notify(int event, const void* sender, const void* data)
{
    if (event != kEventValueChanged || !data)
        return;
    const auto* pair = static_cast<const ParamPair*>(data);
    if (pair->first == kTemperature)
        temperature = number_text::ToDouble(pair->second.c_str());
}

void ConstantThermalModel::SetTemperature(double T)
{
    params.SetDouble(kTemperature, T);
    temperature = T;
}
