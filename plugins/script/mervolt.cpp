#include "script/mervolt.h"

#include "script/compiler_form.h"
#include "script/host_functions.h"
#include "script/module_functions.h"
#include "script/spectrum_functions.h"

#include "core/module_interface.h"

#include <formulux/mc_compiler.h>

#include <QCoreApplication>

namespace {

// Sets a flag for the lifetime of the scope.
class Flag {
public:
    explicit Flag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Flag() { m_flag = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& m_flag;
};

template <class F, class Context>
void Register(CMCCompiler& compiler, const char* name, int parameters, Context* context)
{
    auto* function = new F(name, compiler.getSharedParameter(), context);
    function->setParamCount(parameters);
    compiler.getFuncManager()->addFunc(function);
}

} // namespace

Mervolt::Mervolt()
    : Module(kTypeName)
    , m_compiler(std::make_unique<CMCCompiler>())
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("SourceCode", "", "", "");
    p.addBoolParameter("Clipping", "", false, false);
    p.addBoolParameter("SmartError", "", false, false);
    m_compiler->setPoll([this] { return Poll(); });
    m_compiler->setOutput([this](std::string_view text) { Output(text); });
}

Mervolt::~Mervolt() = default;

const CRuntimeClass* Mervolt::GetEditorClass()
{
    return RUNTIME_CLASS(CCompilerForm);
}

std::vector<SAutomationPtrList> Mervolt::GetAutomationPtr()
{
    return {{"compile", static_cast<SAutomationPtrList::Function>(&Mervolt::Compile)},
            {"interprete", static_cast<SAutomationPtrList::Function>(&Mervolt::Interprete)}};
}

void Mervolt::Log(const std::string& text)
{
    if (ModuleInterface* host = GetModuleInterface())
        host->AddLogMessage("%s", text.c_str());
}

bool Mervolt::Compile()
{
    ModuleInterface* host = GetModuleInterface();
    SpectrumTree* tree = host ? host->GetSpectrumTree() : nullptr;
    if (!tree)
        return false;
    // A script's run() of its own module must not free the program that is running.
    if (m_running) {
        Log(kAlreadyRunning);
        return false;
    }
    Flag running(m_running);
    CMCCompiler& compiler = *m_compiler;
    compiler.clear(true);
    compiler.loadStdFunctions();
    compiler.loadStdVars();
    Register<CompilerSetSpecColor>(compiler, "setSpectrumColor", 4, tree);
    Register<CompilerGetSpec>(compiler, "getSpectrum", 1, tree);
    Register<CompilerSetSpec>(compiler, "setSpectrum", 2, tree);
    Register<CompilerSetSpecAutoName>(compiler, "setSpectrumAutoName", 3, tree);
    Register<CompilerRunModule>(compiler, "run", 2, host);
    Register<CompilerSetParameterModule>(compiler, "setParameter", 3, host);
    Register<CompilerGetParameterModule>(compiler, "getParameter", 2, host);
    Register<CompilerLogMessage>(compiler, "msgOut", 1, host);
    Register<CompilerAbortModule>(compiler, "wantAbort", 0, host);
    Register<CompilerRepaintModule>(compiler, "redraw", 0, host);
    Register<GetVariableFunction>(compiler, "getVar", 1, this);
    ns_param::Paramora& p = getParameters();
    compiler.setClipping(*p.getBoolParameter("Clipping"));
    compiler.setSmartError(*p.getBoolParameter("SmartError"));
    if (compiler.runCompiler(*p.getStringParameter("SourceCode")))
        return true;
    Log(compiler.getError());
    return false;
}

bool Mervolt::Interprete()
{
    if (m_running) {
        Log(kAlreadyRunning);
        return false;
    }
    bool ok = false;
    {
        Flag running(m_running);
        m_outputLine.clear();
        ok = m_compiler->runInterpreter();
        FlushOutput();
    }
    if (!ok)
        Log(m_compiler->getException());
    return ok;
}

bool Mervolt::Poll()
{
    // Pending events (a repaint, the abort button) get through; a poll inside them does not
    // pump again.
    if (!m_pumping && QCoreApplication::instance()) {
        Flag pumping(m_pumping);
        QCoreApplication::processEvents();
    }
    ModuleInterface* host = GetModuleInterface();
    return host && host->UserWantsAbort();
}

void Mervolt::Output(std::string_view text)
{
    for (char c : text) {
        if (c == '\n') {
            Log(m_outputLine);
            m_outputLine.clear();
        } else {
            m_outputLine += c;
        }
    }
}

void Mervolt::FlushOutput()
{
    if (!m_outputLine.empty())
        Log(m_outputLine);
    m_outputLine.clear();
}
