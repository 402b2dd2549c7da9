#include "modules/led_selection_module.h"

#include "modules/led_selection_form.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/led_model.h"

#include "core/module_interface.h"
#include "core/spectrum.h"

#include <climits>
#include <memory>

namespace {

// What one LED of an array takes beside its samples: model, parameters and record (a
// generous estimate); the samples are one grid per channel, at most three channels.
constexpr double kBytesPerModel = 4096.0;
constexpr double kMaxChannels = 3.0;

} // namespace

LEDSelectionModule::LEDSelectionModule()
    : LEDFitterParamsModule("Selection")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("TargetSpecs", "", "", "");
    p.addIntParameter("SelectorIterationCount", "", 200, INT_MIN, INT_MAX, 0);
    p.addIntParameter("LEDCount", "", 6, INT_MIN, INT_MAX, 0);
    p.addIntParameter("ProposalCount", "", 10, INT_MIN, INT_MAX, 0);
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("ClipboardTargetGroup", "", "", "");
}

LEDSelectionModule::~LEDSelectionModule() = default;

void LEDSelectionModule::ReleaseLastRun()
{
    if (m_release.joinable())
        m_release.join();
}

const CRuntimeClass* LEDSelectionModule::GetEditorClass()
{
    return RUNTIME_CLASS(CLedSelectionForm);
}

std::vector<SAutomationPtrList> LEDSelectionModule::GetAutomationPtr()
{
    return {SAutomationPtrList("do_selection",
                               static_cast<SAutomationPtrList::Function>(&LEDSelectionModule::do_selection))};
}

LEDSelectionModule::Forwarding::Forwarding(LEDSelectionModule& module, LEDSelectorEventHandler* handler)
    : m_module(module)
    , m_previous(module.GetForwardHandler())
{
    module.SetForwardHandler(handler);
}

LEDSelectionModule::Forwarding::~Forwarding()
{
    m_module.SetForwardHandler(m_previous);
}

bool LEDSelectionModule::do_selection()
{
    RunScope opened(*this);
    if (!opened)
        return false;
    SpectrumTree* tree = opened.spectra;
    ns_param::Paramora& p = opened.p;
    // The last run's arrays are gone before this run may fill the memory again.
    ReleaseLastRun();
    // Counts below 1 would let every database pass or divide the progress by zero.
    for (const char* name : {"SelectorIterationCount", "LEDCount", "ProposalCount"}) {
        if (*p.getIntParameter(name) < 1) {
            LogOutOfRange(name, 1, INT_MAX);
            return false;
        }
    }
    Run run(*this);

    const std::string& targetDesc = *p.getStringParameter("TargetSpecs");
    SpectrumList list;
    list = tree->GetInserters(targetDesc, false);
    if (list.empty()) {
        LogError("Fehler bei der LED-Selektion: Keine Zielspektren angegeben!");
        return false;
    }
    double step = 0.0, start = 0.0, end = 0.0;
    if (!list.SpecsSameEquiDistant(&step, &start, &end) || !(step > 0.0) ||
        !((end - start) / step + 1 <= calc::kMaxGridPoints)) {
        LogError("Fehler bei der LED-Selektion: Zielspektren sind nicht äquidistant oder haben ungleichen "
                 "Definitionsbereich. Bitte führen Sie eine Normalisierung aus!");
        return false;
    }
    // The reader sets the grid from the targets and holds the run to it, so fitter target
    // or observer spectra on another grid get the mismatch line and stay out.
    ReadSpectraSet(m_targets, targetDesc);

    LedDB db;
    ReadLEDList(db, *p.getStringParameter("LEDsDesc"));
    const int ledCount = *p.getIntParameter("LEDCount");
    if (db.EntryCount() < ledCount) {
        LogError("Fehler bei der LED-Selektion: zu wenig Eingabe-LEDs (nur %d LEDs gegeben)", db.EntryCount());
        return false;
    }
    // A candidate whose model value is no finite number could be picked and filed.
    if (!RecordsFinite(db, *p.getStringParameter("LEDsDesc")))
        return false;
    // Every proposal holds LEDCount models with their samples for the whole run.
    const double bytesPerLED = kBytesPerModel + kMaxChannels * sizeof(double) * GridPointCount();
    if (!CountFitsMemory("ProposalCount", *p.getIntParameter("ProposalCount"), 1, bytesPerLED * ledCount))
        return false;

    LEDFitterSettings settings;
    GetFitterSettings(settings);
    auto selector = std::make_unique<LEDSelector>();
    selector->SetDatabase(&db);
    selector->SetTargets(&m_targets);
    selector->SetEventHandler(this);
    selector->SetCounts(ledCount, *p.getIntParameter("ProposalCount"), false);
    selector->SetFitterSettings(&settings);
    selector->Run(*p.getIntParameter("SelectorIterationCount"));

    LEDArray best;
    if (!selector->GetPopulation().empty())
        best.Assign(selector->GetPopulation().front());
    LedDB result;
    for (int i = 0; i < best.GetCount(); ++i)
        result.AddEntry(best.GetLED(i)->record);
    WriteLEDList(result, *p.getStringParameter("ClipboardTargetGroup"));
    // Tens of thousands of arrays take seconds to free: a worker frees them, so that the
    // run, an aborted one too, ends now. The selector's destruction reads nothing of this
    // run (database, targets, settings) and touches no window.
    m_release = std::jthread([doomed = std::move(selector)]() mutable { doomed.reset(); });
    return true;
}

void LEDSelectionModule::OnProgress(LEDSelector* selector, int flag)
{
    if (ModuleInterface* host = GetModuleInterface()) {
        const int generation = selector->GetCurrentGeneration();
        const int generations = *getParameters().getIntParameter("SelectorIterationCount");
        // The generations done and the share of the running one, so that the bar and the
        // remaining time move while a generation of many proposals is evaluated; a
        // generation's end shows generation x 100 / generations.
        const double done = generation > 0 ? generation - 1 + selector->GetGenerationShare() : 0.0;
        host->SetProgressBarPercentage(done * 100.0 / generations);
        host->SetStatusText("Iteration " + std::to_string(generation) + " von " + std::to_string(generations));
    }
    if (m_forward)
        m_forward->OnProgress(selector, flag);
}

void LEDSelectionModule::OnBuildProgress(LEDSelector* selector, int built)
{
    // The status line counts the proposals; the bar stays at the run's start, as the
    // generations fill it from 0 and a bar that went back would stop the remaining time.
    if (ModuleInterface* host = GetModuleInterface()) {
        const int count = selector->GetProposalCount();
        host->SetStatusText("Erzeuge Vorschlag " + std::to_string(built) + " von " + std::to_string(count));
    }
    if (m_forward)
        m_forward->OnBuildProgress(selector, built);
}

void LEDSelectionModule::OnNewCombination(LEDSelector* selector, LEDFitter* fitter, LEDArray* array)
{
    if (ModuleInterface* host = GetModuleInterface()) {
        std::string line = "Neue LED-Kombination gefunden: ";
        for (int i = 0; i < array->GetCount(); ++i)
            line += array->GetName(i) + " ";
        host->AddLogMessage("%s", line.c_str());
    }
    if (m_forward)
        m_forward->OnNewCombination(selector, fitter, array);
}
