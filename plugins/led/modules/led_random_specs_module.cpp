#include "modules/led_random_specs_module.h"

#include "modules/led_random_specs_form.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/spectra_set.h"
#include "engine/thermal_model.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "platform/random.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

namespace {

// What a random spectrum takes: name and bookkeeping, and per grid point its value in the
// entry's set and its point in the tree (generous estimates).
constexpr double kBytesPerSpectrum = 512.0;
constexpr double kBytesPerPoint = 24.0;

// The span in which hi keeps hi - lo finite.
void LogSpanOutOfRange(LEDModuleBase& module, const char* name, double lo)
{
    module.LogOutOfRange(name, std::max(lo - DBL_MAX, -DBL_MAX), std::min(lo + DBL_MAX, DBL_MAX));
}

struct DriveEntry {
    std::string name;
    std::vector<double> values;
};

double Draw()
{
    return platform::Rand() / 32767.0;
}

} // namespace

LEDRandomSpecsModule::LEDRandomSpecsModule()
    : LEDModuleBase("RandomSpecs")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("LightnessDesc", "", "", "");
    p.addStringParameter("SpecGroup", "", "", "");
    p.addIntParameter("SpecCount", "", 0, INT_MIN, INT_MAX, 0);
    p.addDoubleParameter("XStart", "", 380, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("XEnd", "", 780, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("XStep", "", 2, 0.01, DBL_MAX, 2);
    p.addDoubleParameter("MinLightnessFact", "", 0.5, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("MaxLightnessFact", "", 1.2, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("MinTemperature", "", 273.15, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("MaxTemperature", "", 393.15, -DBL_MAX, DBL_MAX, 0);
    p.addBoolParameter("NoiseLEDParams", "", true, true);
}

LEDRandomSpecsModule::~LEDRandomSpecsModule() = default;

const CRuntimeClass* LEDRandomSpecsModule::GetEditorClass()
{
    return RUNTIME_CLASS(CLEDRandomSpecsForm);
}

std::vector<SAutomationPtrList> LEDRandomSpecsModule::GetAutomationPtr()
{
    return {SAutomationPtrList("calculate_specs",
                               static_cast<SAutomationPtrList::Function>(&LEDRandomSpecsModule::calculate_specs))};
}

bool LEDRandomSpecsModule::calculate_specs()
{
    RunScope opened(*this, Numbers::Read, kClipboard);
    if (!opened)
        return false;
    ModuleInterface* host = opened.host;
    ClipboardTree* clipboard = opened.clipboard;
    ns_param::Paramora& p = opened.p;
    Run run(*this);

    // The grid is checked before it changes: an end before the start or more points than a
    // grid may hold leave it as it was (the guard has refused numbers outside their ranges).
    const double xStart = *p.getDoubleParameter("XStart");
    const double xEnd = *p.getDoubleParameter("XEnd");
    const double xStep = *p.getDoubleParameter("XStep");
    if (xEnd < xStart) {
        LogOutOfRange("XEnd", xStart, DBL_MAX);
        return false;
    }
    if (!((xEnd - xStart) / xStep + 1 <= led::kMaxGridPoints)) {
        LogOutOfRange("XStep", (xEnd - xStart) / (led::kMaxGridPoints - 1), DBL_MAX);
        return false;
    }
    XStart = xStart / 1000.0;
    XEnd = xEnd / 1000.0;
    XStep = xStep / 1000.0;

    LedDB db;
    ReadLEDList(db, *p.getStringParameter("LEDsDesc"));
    if (db.EntryCount() == 0) {
        LogError("Fehler: Keine LEDs angegeben!");
        return false;
    }
    // A model value that is no finite number would give spectra of values that are none.
    if (!RecordsFinite(db, *p.getStringParameter("LEDsDesc")))
        return false;
    LEDArray array;
    for (int i = 0; i < db.EntryCount(); ++i)
        array.AddLED(db.EntryAt(i), i);

    std::vector<DriveEntry> entries;
    const std::list<ClipboardObject*> objects = clipboard->GetInserters(*p.getStringParameter("LightnessDesc"), false);
    if (objects.empty()) {
        LogError("Fehler: Dimension der Vektoren der LED-Ansteuerung und der LED stimmen nicht überein! Es wird eine "
                 "äquienergetische Ansteuerung (=1) angenommen");
        entries.push_back({"Äquienergetische Ansteuerung", std::vector<double>(array.GetCount(), 1.0)});
    }
    for (ClipboardObject* object : objects) {
        const auto* lightnesses = dynamic_cast<const ns_param::Double1DArrayParameterType*>(
            object->GetParameters().getParameter("Lightnesses"));
        if (lightnesses && lightnesses->getCount() == array.GetCount())
            entries.push_back({object->GetName(), std::vector<double>(lightnesses->getValues(),
                                                                      lightnesses->getValues() + array.GetCount())});
    }

    const double fmin = *p.getDoubleParameter("MinLightnessFact");
    const double fmax = *p.getDoubleParameter("MaxLightnessFact");
    const double tmin = *p.getDoubleParameter("MinTemperature");
    const double tmax = *p.getDoubleParameter("MaxTemperature");
    const int count = *p.getIntParameter("SpecCount");
    const bool noise = *p.getBoolParameter("NoiseLEDParams");
    const std::string& group = *p.getStringParameter("SpecGroup");
    const int E = static_cast<int>(entries.size());
    // Every spectrum is kept: first in its entry's set, then in the tree.
    const double bytesPerSpectrum = kBytesPerSpectrum + kBytesPerPoint * GridPointCount();
    if (!CountFitsMemory("SpecCount", count, 0, bytesPerSpectrum * E))
        return false;
    // The factors and temperatures are drawn from these spans.
    if (!std::isfinite(fmax - fmin)) {
        LogSpanOutOfRange(*this, "MaxLightnessFact", fmin);
        return false;
    }
    if (!std::isfinite(tmax - tmin)) {
        LogSpanOutOfRange(*this, "MaxTemperature", tmin);
        return false;
    }
    LSMatrixHandle column(GridPointCount(), 1);
    if (!column)
        return false;

    // The drawn parameters depend only on the records and the draws, never on the values
    // drawn before, so one copy serves every spectrum. Without noise the array itself serves
    // (its models keep their cached samples).
    LEDArray copy;
    if (noise)
        copy.Assign(array);
    const LEDArray& used = noise ? copy : array;
    ConstantThermalModel thermal;
    std::vector<double> drives;
    for (int i = 0; i < E; ++i) {
        const DriveEntry& entry = entries[static_cast<std::size_t>(i)];
        SpectraSet set;
        for (int j = 0; j < count; ++j) {
            if (noise)
                copy.RandomizeParameters();
            drives.assign(entry.values.begin(), entry.values.end());
            if (static_cast<int>(drives.size()) != used.GetChannelCount()) {
                LogError("Fehler: Überspringe Eintrag '%s', da die Anzahl der Helligkeitsparameter nicht mit "
                         "LED-Kanal-Anzahl übereinstimmt!",
                         entry.name.c_str());
            } else {
                for (double& d : drives)
                    d *= fmin + Draw() * (fmax - fmin);
                thermal.SetTemperature(tmin + Draw() * (tmax - tmin));
                used.ComputeSpectrum(column, drives, &thermal);
                if (!std::all_of(column.get(), column.get() + GridPointCount(),
                                 [](double v) { return std::isfinite(v); })) {
                    LogError("Fehler: Die Spektren von '%s' enthalten Werte, die keine endlichen Zahlen sind!",
                             entry.name.c_str());
                    return false;
                }
                set.AddSpectrum(entry.name + ":Spec" + std::to_string(j), column);
            }
            // An abort drops the entry in hand; the entries before it stay in the tree.
            if (host->UserWantsAbort())
                return true;
            host->SetStatusText("Berechne " + entry.name + " - Eintrag " + std::to_string(j) + " von " +
                                std::to_string(count));
            host->SetProgressBarPercentage((static_cast<double>(i) / E + j * (1.0 / E) / count) * 100.0);
        }
        WriteSpectraSet(set, group);
    }
    return true;
}
