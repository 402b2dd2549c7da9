#pragma once
// The script module: holds a script's source, has the matrix-language compiler translate and
// run it, and gives the script its functions on spectra, modules and the log.
#include "core/module.h"

#include <memory>
#include <string>
#include <string_view>

class CMCCompiler;

class Mervolt : public Module {
public:
    static constexpr char kTypeName[] = "Mervolt";
    static constexpr char kAlreadyRunning[] = "Fehler: Das Skript läuft bereits.";

    Mervolt();
    ~Mervolt() override;

    const CRuntimeClass* GetEditorClass() override;
    // "compile", then "interprete".
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // Translates SourceCode with the standard functions and variables and the script
    // functions, under the Clipping and SmartError options. A compile error is one log line.
    // False without a host or spectrum tree, and while the script runs.
    bool Compile();
    // Runs what the last Compile made; the failure text is one log line. While it runs,
    // pending events are let through now and then and the user's abort stops it; the
    // script's own output lines go to the log.
    bool Interprete();

    // True while Compile or Interprete runs.
    bool IsRunning() const { return m_running; }
    CMCCompiler& GetCompiler() { return *m_compiler; }

private:
    bool Poll();
    void Output(std::string_view text);
    void FlushOutput();
    void Log(const std::string& text);

    std::unique_ptr<CMCCompiler> m_compiler;
    std::string m_outputLine;
    bool m_running = false;
    bool m_pumping = false;
};
