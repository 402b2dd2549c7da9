#include "modules/led_continuous_fitting_module.h"

#include "modules/led_continuous_fitting_form.h"

#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_model.h"
#include "engine/spectra_set.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <vector>

LEDContinuousFittingModule::LEDContinuousFittingModule()
    : LEDFitterParamsModule("ContinuousFitting")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("WhiteLEDName", "", "", "");
    p.addStringParameter("ClipboardTargetGroup", "", "", "");
    p.addStringParameter("LEDModelName", "", "PanShenFengLEDModel", "PanShenFengLEDModel");
    p.addBoolParameter("ConstantFWHM", "", false, false);
}

LEDContinuousFittingModule::~LEDContinuousFittingModule() = default;

const CRuntimeClass* LEDContinuousFittingModule::GetEditorClass()
{
    return RUNTIME_CLASS(CLEDContinuousFittingForm);
}

std::vector<SAutomationPtrList> LEDContinuousFittingModule::GetAutomationPtr()
{
    return {SAutomationPtrList("calculate_fitting", static_cast<SAutomationPtrList::Function>(
                                                        &LEDContinuousFittingModule::calculate_fitting))};
}

std::string LEDContinuousFittingModule::NameSuffix(const std::string& specDesc)
{
    if (specDesc.find(';') != std::string::npos)
        return "_SpecSel";
    const std::size_t colon = specDesc.rfind(':');
    return "_" + (colon == std::string::npos ? specDesc : specDesc.substr(colon + 1));
}

bool LEDContinuousFittingModule::PassesModelFilter(const std::string& filter, const std::string& model)
{
    const std::string m = trim(filter, calc::kBlanks);
    return m.empty() || m == trim(model, calc::kBlanks);
}

bool LEDContinuousFittingModule::calculate_fitting()
{
    RunScope opened(*this, Numbers::Read, kNoTree);
    if (!opened)
        return false;
    ns_param::Paramora& p = opened.p;
    Run run(*this);

    SpectraSet targets;
    LedDB white, input, output;
    ReadLEDList(white, *p.getStringParameter("WhiteLEDName"));
    ReadLEDList(input, *p.getStringParameter("LEDsDesc"));
    ReadSpectraSet(targets, *p.getStringParameter("SpecDesc"));
    const std::string suffix = NameSuffix(*p.getStringParameter("SpecDesc"));

    LEDArray array;
    const std::string filter = trim(*p.getStringParameter("LEDModelName"), calc::kBlanks);
    std::vector<int> source; // the input record of each LED of the array
    for (int i = 0; i < input.EntryCount(); ++i) {
        const ParamContainer& record = input.EntryAt(i);
        if (!PassesModelFilter(filter, record.FindValue("SpectralModel").second))
            continue;
        const int before = array.GetCount();
        array.AddLED(record, 0);
        if (array.GetCount() > before)
            source.push_back(i);
    }
    // A model value that is no finite number would be fitted into values that are none.
    const std::vector<std::string> names = RecordNames(*p.getStringParameter("LEDsDesc"));
    for (int i = 0; i < array.GetCount(); ++i) {
        const std::size_t k = static_cast<std::size_t>(source[static_cast<std::size_t>(i)]);
        if (!ModelValuesFinite(*array.GetLED(i), k < names.size() ? names[k] : std::string()))
            return false;
    }
    const bool constantFwhm = *p.getBoolParameter("ConstantFWHM");
    for (int i = 0; i < array.GetCount(); ++i) {
        LEDModel* model = array.GetLED(i);
        // The mask has one bit per parameter of the model.
        const int bits = model->params.Count();
        if (bits >= 1)
            model->SetFitFlag(0, true);
        if (bits >= 2)
            model->SetFitFlag(1, !constantFwhm);
    }
    if (array.GetCount() == 0) {
        LogError("Fehler: Keine passenden LEDs eingegeben");
        return false;
    }

    LEDFitter fitter;
    LEDFitterSettings settings;
    GetFitterSettings(settings);
    fitter.SetSettings(&settings);
    fitter.SetEventHandler(this);
    fitter.Setup(&array, &targets, nullptr);
    m_iterations = 0;
    // A fit that fails has logged why; its models hold no result worth filing.
    if (fitter.Fit() == -1)
        return false;

    for (int i = 0; i < array.GetCount(); ++i) {
        ParamContainer r = array.GetLED(i)->params;
        const std::string model = filter.empty()
                                      ? trim(input.EntryAt(source[static_cast<std::size_t>(i)])
                                                 .FindValue("SpectralModel")
                                                 .second,
                                             calc::kBlanks)
                                      : filter;
        r.AddKeyValue("SpectralModel", model);
        r.AddKeyValue("Name", "LED" + std::to_string(i) + suffix);
        output.AddEntry(r);
    }
    WriteLEDList(output, *p.getStringParameter("ClipboardTargetGroup"));
    return true;
}

void LEDContinuousFittingModule::OnProgress(LEDFitter*, int)
{
    ++m_iterations;
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return;
    host->SetStatusText("Iteration " + std::to_string(m_iterations));
    host->SetProgressBarPercentage(m_iterations * 100.0 / *getParameters().getIntParameter("MaxIterations"));
}
