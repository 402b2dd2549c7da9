#include "calculation/col_normalize_module.h"

#include "calculation/col_normalize_form.h"

#include "core/module_interface.h"

#include <memory>
#include <set>
#include <utility>

namespace {

constexpr char kNoSpectra[] = "Fehler: Es wurden keine Spektren angegeben! ";
constexpr char kNoReferences[] = "Fehler: Es wurden keine Referenzspektren zur Farbübernahme angegeben! ";

} // namespace

ColNormalizeModule::ColNormalizeModule()
    : calc::CalcModule("ColNormalizeModule")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("SpecDesc", "", "", "");
    p.addStringParameter("RefSpecDesc", "", "", "");
}

ColNormalizeModule::~ColNormalizeModule() = default;

const CRuntimeClass* ColNormalizeModule::GetEditorClass()
{
    return RUNTIME_CLASS(CColNormalizeForm);
}

std::vector<SAutomationPtrList> ColNormalizeModule::GetAutomationPtr()
{
    return {{"normalize", static_cast<SAutomationPtrList::Function>(&ColNormalizeModule::normalize)}};
}

bool ColNormalizeModule::NamesMatch(const std::string& name, const std::string& reference)
{
    const std::string a = calc::ShortName(name), b = calc::ShortName(reference);
    return a.find(b) != std::string::npos || b.find(a) != std::string::npos;
}

bool ColNormalizeModule::normalize()
{
    RunScope run(*this);
    if (!run)
        return false;
    SpectrumTree* tree = run.spectra;
    ModuleInterface* host = run.host;
    ns_param::Paramora& p = run.p;

    // Names and colours are taken before anything is replaced: the two selections may
    // overlap or list a spectrum twice, and a replaced spectrum is freed.
    std::vector<std::string> targets;
    std::set<std::string> seen;
    for (const Spectrum* s : tree->GetInserters(*p.getStringParameter("SpecDesc"), false))
        if (seen.insert(s->GetName()).second)
            targets.push_back(s->GetName());
    if (targets.empty()) {
        calc::LogError(host, kNoSpectra);
        return false;
    }
    std::vector<std::pair<std::string, COLORREF>> references;
    for (const Spectrum* s : tree->GetInserters(*p.getStringParameter("RefSpecDesc"), false))
        references.emplace_back(s->GetName(), s->GetColor());
    if (references.empty()) {
        calc::LogError(host, kNoReferences);
        return false;
    }

    host->SetProgressBarPercentage(0);
    const std::size_t n = targets.size();
    for (std::size_t i = 0; i < n; ++i) {
        host->SetStatusText(calc::FormatText("Übernehme Farbe für Spektrum %zu aus Referenzmenge %zu", i + 1,
                                             references.size()));
        const std::string& name = targets[i];
        for (const auto& [reference, colour] : references) {
            if (!NamesMatch(name, reference))
                continue;
            // Replaced by a recoloured copy, so that the views show the new colour.
            if (const Spectrum* current = tree->GetInserterByName(name)) {
                auto copy = std::make_unique<Spectrum>(*current);
                copy->SetColor(colour);
                tree->DeleteInserters(name);
                calc::FileSpectrum(*tree, std::move(copy));
            }
            break;
        }
        host->SetProgressBarPercentage(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n));
    }
    return true;
}
