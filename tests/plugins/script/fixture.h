#pragma once
// A recording host with a script module and a probe module whose parameters are of every kind
// and whose operations count their runs, for the script plug-in's tests.
#include "script/mervolt.h"

#include "core/spectrum.h"

#include "support/recording_host.h"

#include <formulux/mc_compiler.h>

#include <xandril/xandril.h>

#include <string>
#include <vector>

namespace script_test {

inline constexpr char kScriptPath[] = "Skript:Compiler";
inline constexpr char kProbePath[] = "Test|grup|pe:Pro|be";

class ProbeModule : public Module {
public:
    ProbeModule()
        : Module("Probe")
    {
        ns_param::Paramora& p = getParameters();
        p.addByteParameter("Byte", "", 7, 0, 255, 7);
        p.addBoolParameter("Flag", "", false, false);
        p.addIntParameter("Count", "", 5, -10, 10, 5);
        p.addFloatParameter("Ratio", "", 0.5f, 0, 1, 0.5f);
        p.addDoubleParameter("Value", "", 2.5, 0, 10, 2.5);
        p.addStringParameter("Text", "Bedeutung: Text", "Grün", "");
        ns_xandril::XMLEnumClass entries;
        entries.addEntry("eins");
        entries.addEntry("zwei");
        p.addEnumParameter("Choice", "", entries, nullptr);
        const double values[2] = {1, 2};
        p.addDouble1DArrayParameter("List", "", 2, values, 0);
    }

    const CRuntimeClass* GetEditorClass() override { return nullptr; }
    std::vector<SAutomationPtrList> GetAutomationPtr() override
    {
        return {{"calculate", static_cast<SAutomationPtrList::Function>(&ProbeModule::Calculate)},
                {"fail", static_cast<SAutomationPtrList::Function>(&ProbeModule::Fail)}};
    }
    bool Calculate()
    {
        ++runs;
        return true;
    }
    bool Fail()
    {
        ++runs;
        return false;
    }

    int runs = 0;
};

class ScriptHost {
public:
    ScriptHost()
    {
        script = Add(new Mervolt, kScriptPath);
        probe = Add(new ProbeModule, kProbePath);
    }

    template <class M>
    M* Add(M* module, const std::string& path)
    {
        module->SetName(path);
        if (!host.modules.AddInserter(module)) {
            delete module;
            return nullptr;
        }
        module->SetModuleInterface(&host);
        return module;
    }

    Spectrum* AddSpectrum(const std::string& name, const std::vector<SPoint>& points, COLORREF colour = 0)
    {
        auto* s = new Spectrum;
        s->SetName(name);
        s->SetColor(colour);
        for (const SPoint& p : points)
            s->AddPoint(p);
        if (!host.spectra.AddInserter(s)) {
            delete s;
            return nullptr;
        }
        return s;
    }

    // Compiles and runs source; false when either step failed.
    bool Run(const std::string& source)
    {
        script->getParameters().setStringParameter("SourceCode", source);
        const bool compiled = script->Compile();
        return script->Interprete() && compiled;
    }

    // A top-level variable of the last run; null when there is none.
    const CMCVariable* Var(const std::string& name) { return script->GetCompiler().getVarManager()->getVar(name); }

    Spectrum* Find(const std::string& name) { return host.spectra.GetInserter(name); }

    RecordingHost host;
    Mervolt* script = nullptr;
    ProbeModule* probe = nullptr;
};

} // namespace script_test
