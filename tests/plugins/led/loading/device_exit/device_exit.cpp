// led-device-exit SCENARIO: the light-source device module of the loaded bin/Quorvel.so runs
// one scenario against simulated controllers, is deleted, the plug-in is unloaded and the
// application ends, as the program does at its end. Exit code 0 when all of that went
// through; anything the connections left behind crashes the application's destruction.
//
//   once       connect, disconnect
//   twice      connect, disconnect, connect, disconnect
//   connected  connect; the module is deleted while it polls
//   lost       connect, the line vanishes, connect again (another controller), disconnect
#include "app/module_loader.h"
#include "core/module.h"
#include "core/plugin_entry.h"

#include "support/recording_host.h"

#include "light_source_simulator.h"

#include <QApplication>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

const char kDevicePath[] = "LED:Be|leuch|tungs|quel|le";

int Fail(const char* what)
{
    std::fprintf(stderr, "led-device-exit: %s\n", what);
    return 1;
}

bool Run(Module& module, const char* command)
{
    return module.RunAutomation(command) == std::optional<bool>(true);
}

bool ConnectTo(Module& module, const LightSourceSimulator& sim)
{
    module.getParameters().setStringParameter("COMPort", sim.PortName());
    return Run(module, "connect");
}

// The scenario with a module of factory; false when a step did not do what it should.
bool Play(const std::string& scenario, ModuleFactory& factory, RecordingHost& host)
{
    int index = 0;
    while (index < factory.GetModuleCount() && factory.GetModuleName(index) != kDevicePath)
        ++index;
    std::unique_ptr<Module> module(factory.CreateModule(index));
    if (!module)
        return false;
    module->SetModuleInterface(&host);
    LightSourceSimulator first;
    LightSourceSimulator second;
    if (!first.IsOpen() || !second.IsOpen())
        return false;

    if (scenario == "once")
        return ConnectTo(*module, first) && Run(*module, "disconnect");
    if (scenario == "twice")
        return ConnectTo(*module, first) && Run(*module, "disconnect") && ConnectTo(*module, first) &&
               Run(*module, "disconnect");
    if (scenario == "connected")
        return ConnectTo(*module, first) && first.WaitForCommand(0xC2, 1, std::chrono::seconds(10));
    if (scenario == "lost") {
        if (!ConnectTo(*module, first))
            return false;
        first.CloseLine();
        if (!host.WaitForLine("Verbindung mit Beleuchtungsquelle beendet", std::chrono::seconds(10)))
            return false;
        // The worker's end may still be on its way to the module: a connect then waits for it
        // and reports the idle link; the next one starts afresh.
        return (ConnectTo(*module, second) || ConnectTo(*module, second)) && Run(*module, "disconnect");
    }
    std::fprintf(stderr, "led-device-exit: unknown scenario %s\n", scenario.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return Fail("usage: led-device-exit once|twice|connected|lost");
    const std::string scenario = argv[1];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QApplication app(argc, argv);
        std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(QUORVEL_PLUGIN_DIR), nullptr, 0);
        const auto quorvel = std::find_if(libraries.begin(), libraries.end(),
                                          [](const ModuleLibrary& library) { return library.name == "Quorvel.so"; });
        if (quorvel == libraries.end())
            return Fail("Quorvel.so not loaded");
        auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(quorvel->handle, kGetModuleFactoryName));
        if (!entry || !entry())
            return Fail("no factory");
        {
            RecordingHost host;
            if (!Play(scenario, *entry(), host)) {
                for (const std::string& line : host.LogTexts())
                    std::fprintf(stderr, "  %s\n", line.c_str());
                return Fail("the scenario did not run as it should");
            }
        }
        // What the module's end left queued runs now, while its code is still there.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        FreeModuleLibraries(libraries);
        if (void* still = dlopen(QUORVEL_PLUGIN_DIR "/Quorvel.so", RTLD_NOW | RTLD_NOLOAD)) {
            dlclose(still);
            return Fail("Quorvel.so stayed loaded");
        }
    } // the application goes last, as in the program
    return 0;
}
