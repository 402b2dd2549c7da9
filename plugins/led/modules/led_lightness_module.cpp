#include "modules/led_lightness_module.h"

#include "modules/led_lightness_form.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/spectra_set.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <memory>

LedLightnessTessarine::LedLightnessTessarine()
    : LEDModuleBase("LightnessCalculation")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("SpecsDesc", "", "", "");
    p.addStringParameter("WSpecsDesc", "", "", "");
    p.addStringParameter("ClipboardTargetGroup", "", "", "");
}

LedLightnessTessarine::~LedLightnessTessarine() = default;

const CRuntimeClass* LedLightnessTessarine::GetEditorClass()
{
    return RUNTIME_CLASS(CLEDLightnessCalculationForm);
}

std::vector<SAutomationPtrList> LedLightnessTessarine::GetAutomationPtr()
{
    return {SAutomationPtrList("calculate",
                               static_cast<SAutomationPtrList::Function>(&LedLightnessTessarine::calculate))};
}

bool LedLightnessTessarine::calculate()
{
    RunScope opened(*this, Numbers::Read, kSpectra | kClipboard);
    if (!opened)
        return false;
    ModuleInterface* host = opened.host;
    ClipboardTree* clipboard = opened.clipboard;
    SpectrumTree* spectra = opened.spectra;
    ns_param::Paramora& p = opened.p;
    // One run: the weighting spectra must lie on the targets' grid.
    Run run(*this);

    SpectraSet targets;
    const std::string& specsDesc = *p.getStringParameter("SpecsDesc");
    ReadSpectraSet(targets, specsDesc);
    std::vector<std::string> targetNames;
    for (Spectrum* s : spectra->GetInserters(specsDesc, false))
        targetNames.push_back(s->GetName());
    if (targets.GetCount() == 0) {
        LogError("Fehler: Es wurden keine Spektren angegeben!");
        return false;
    }
    LedDB db;
    ReadLEDList(db, *p.getStringParameter("LEDsDesc"));
    if (db.EntryCount() == 0) {
        LogError("Fehler: Es wurden keine LEDs angegeben!");
        return false;
    }
    SpectraSet weights;
    const std::string& weightsDesc = *p.getStringParameter("WSpecsDesc");
    ReadSpectraSet(weights, weightsDesc);
    if (weights.GetCount() == 0 && !trim(weightsDesc, led::kBlanks).empty()) {
        LogError("Fehler: Die Gewichtungsspektren '%s' konnten nicht gelesen werden!", weightsDesc.c_str());
        return false;
    }

    LEDArray array;
    for (int i = 0; i < db.EntryCount(); ++i)
        array.AddLED(db.EntryAt(i), i);
    LEDFitter fitter; // its own default settings
    fitter.Setup(&array, &targets, weights.GetCount() > 0 ? &weights : nullptr);
    if (fitter.Fit() == -1) {
        LogError("Fehler: Die Helligkeiten konnten nicht berechnet werden!");
        return false;
    }

    const std::string& group = *p.getStringParameter("ClipboardTargetGroup");
    const std::string prefix = Prefix(group);
    host->SetStatusText("Berechne Helligkeiten...");
    // The tree resolves an empty path to nothing, so an empty group deletes nothing.
    std::string tidyGroup = group;
    NormColons(tidyGroup);
    clipboard->DeleteInserters(tidyGroup);
    const int count = targets.GetCount();
    std::vector<std::vector<double>> drives(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::vector<double>& d = drives[static_cast<std::size_t>(i)];
        fitter.GetDriveValues(i, d);
        auto object = std::make_unique<ClipboardObject>();
        std::string name = prefix + targets.GetName(i);
        NormColons(name);
        object->SetName(name);
        object->GetParameters().addDouble1DArrayParameter("Lightnesses", "", static_cast<int>(d.size()), d.data(),
                                                          0.0);
        if (clipboard->AddInserter(object.get()))
            object.release();
        host->SetProgressBarPercentage(i * 100.0 / count);
    }

    const std::string specGroup = group + "_Specs";
    std::string tidySpecGroup = specGroup;
    NormColons(tidySpecGroup);
    spectra->DeleteInserters(tidySpecGroup);
    const std::string specPrefix = specGroup + ":";
    const double start = targets.XStart;
    const double end = targets.XEnd;
    const double step = targets.XStep;
    const int m = static_cast<int>((end - start) / step + 1e-6) + 1;
    // ComputeSpectrum fills the grid's rows, each channel at 298.15 K, its drive value
    // taken in the array's channel order.
    const int rows = GridPointCount(start, end, step);
    LSMatrixHandle sum(std::max(rows, 1), 1);
    for (int i = 0; i < count && sum; ++i) {
        array.ComputeSpectrum(sum, drives[static_cast<std::size_t>(i)], nullptr);
        auto spectrum = std::make_unique<Spectrum>();
        std::string name = specPrefix + (i < static_cast<int>(targetNames.size()) ? targetNames[i] : targets.GetName(i));
        NormColons(name);
        spectrum->SetName(name);
        for (int k = 0; k < m; ++k) {
            const double x = (start + k * step) * 1000.0;
            spectrum->AddPoint(SPoint(x < 0.0 ? 0.0 : x, k < rows ? sum[k] : 0.0));
        }
        if (spectra->AddInserter(spectrum.get()))
            spectrum.release();
    }
    return true;
}
