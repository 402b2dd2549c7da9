#include "engine/led_array.h"

#include "core/number_text.h"
#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_model.h"
#include "engine/thermal_model.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

LEDArray::~LEDArray()
{
    RemoveAll();
}

LEDArray::LEDArray(LEDArray&& other) noexcept
    : score(other.score), leds(std::exchange(other.leds, {})), names(std::exchange(other.names, {}))
{
}

LEDArray& LEDArray::operator=(LEDArray&& other) noexcept
{
    if (this != &other) {
        RemoveAll();
        score = other.score;
        leds = std::exchange(other.leds, {});
        names = std::exchange(other.names, {});
    }
    return *this;
}

LEDModel* LEDArray::GetLED(int i) const
{
    return i >= 0 && i < GetCount() ? leds[static_cast<std::size_t>(i)] : nullptr;
}

std::string LEDArray::GetName(int i) const
{
    return i >= 0 && i < GetCount() ? names[static_cast<std::size_t>(i)] : std::string();
}

int LEDArray::GetChannelCount() const
{
    int n = 0;
    for (const LEDModel* m : leds)
        n += m->GetChannelCount();
    return n;
}

LEDModel* BuildLEDModel(const ParamContainer& record, int dbIndex)
{
    LEDModel* model = CreateLEDModelFromParams(record);
    if (!model)
        return nullptr;
    model->SetParameters(record);
    model->AddParameter("OrigDBIdx", static_cast<double>(dbIndex), true);
    return model;
}

std::string LEDArray::NameFor(const ParamContainer& record) const
{
    int source = ParamContainer::kNotFound;
    std::string name = record.FindValue("Name", &source).second;
    if (source == ParamContainer::kNotFound) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "LED_%03d", GetCount());
        name = buf;
    }
    return name;
}

void LEDArray::AddLED(const ParamContainer& record, int dbIndex)
{
    LEDModel* model = BuildLEDModel(record, dbIndex);
    if (!model) {
        EngineLog("Unbekanntes LED-Modell: '%s'", record.FindValue("SpectralModel").second.c_str());
        return;
    }
    names.push_back(NameFor(record));
    leds.push_back(model);
}

bool LEDArray::AddLEDCopy(const LEDModel& model)
{
    LEDModel* copy = CopyLEDModel(model);
    if (!copy)
        return false;
    names.push_back(NameFor(model.record));
    leds.push_back(copy);
    return true;
}

void LEDArray::AdoptLED(LEDModel* model, const std::string& name)
{
    if (!model)
        return;
    leds.push_back(model);
    names.push_back(name);
}

bool LEDArray::ContainsName(const std::string& name) const
{
    for (const std::string& n : names)
        if (n == name)
            return true;
    return false;
}

void LEDArray::RemoveLED(int i)
{
    if (i < 0 || i >= GetCount())
        return;
    delete leds[static_cast<std::size_t>(i)];
    leds.erase(leds.begin() + i);
    names.erase(names.begin() + i);
}

void LEDArray::RemoveAll()
{
    for (LEDModel* m : leds)
        delete m;
    leds.clear();
    names.clear();
}

void LEDArray::Assign(const LEDArray& other)
{
    if (&other == this)
        return;
    RemoveAll();
    for (const LEDModel* m : other.leds) {
        const int index = static_cast<int>(std::strtod(m->params.FindValue("OrigDBIdx").second.c_str(), nullptr));
        AddLED(m->record, index);
    }
    score = other.score;
}

void LEDArray::RandomizeParameters()
{
    for (LEDModel* m : leds)
        m->RandomizeWithinDBLimits();
}

void LEDArray::ComputeSpectrum(LSMatrix out, const std::vector<double>& drives, ThermalModel* thermal) const
{
    MatZero(out);
    const int n = MatRows(out);
    const int count = GridPointCount();
    if (n <= 0 || n < count)
        return;
    // Rows beyond the grid stay 0.
    LSMatrixHandle work(count, 1);
    if (!work)
        return;
    std::size_t k = 0;
    for (LEDModel* m : leds) {
        for (int j = 0; j < m->GetChannelCount(); ++j, ++k) {
            if (k >= drives.size())
                return;
            const double T = thermal ? thermal->GetTemperature(j, drives) : 298.15;
            m->SampleChannel(work, XStart, XEnd, XStep, T, j);
            // One pass of out + sample * drive, the order of scaling first and adding then.
            const double drive = drives[k];
            for (int i = 0; i < count; ++i)
                out[i] += work[i] * drive;
        }
    }
}
