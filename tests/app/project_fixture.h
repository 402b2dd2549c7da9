#pragma once
// A project for the project-file tests: modules of every parameter kind (two pairs sharing a
// type name), a document double that records what saving and opening report, and dumps that
// compare whole trees and containers.
#include "app/project_file.h"
#include "controls/plot_settings.h"
#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_factory.h"
#include "core/spectrum.h"
#include "support/recording_host.h"

#include <paramora/paramora.h>

#include <QString>

#include <string>
#include <utility>
#include <vector>

// Every parameter kind, with a nested container.
class KindsModule : public Module {
public:
    explicit KindsModule(const std::string& typeName);
    ~KindsModule() override;
    const CRuntimeClass* GetEditorClass() override { return nullptr; }

    // Gives every parameter a value of its own, far from the defaults; seed tells modules apart.
    void Fill(int seed);

    ns_param::Paramora inner{"Inner"};
};

// Menu path and type name of the test modules, in factory order.
class KindsFactory : public ModuleFactory {
public:
    int GetModuleCount() override;
    Module* CreateModule(int index) override;
    std::string GetModuleName(int index) override;
};

class FakeProjectDocument : public ProjectDocument {
public:
    FakeProjectDocument();
    ~FakeProjectDocument() override;

    ModuleInterface& Host() override { return host; }
    ns_param::Paramora& WorkspaceParams() override { return workspace; }
    std::string& LastModule() override { return lastModule; }
    std::string GetProjectDescription() override { return description; }
    void SetProjectDescription(const std::string& text) override { description = text; }
    void SetStatusState(const QString& text) override { states.push_back(text.toStdString()); }
    void LogToWindow(COLORREF colour, const std::string&, const std::string& line) override
    {
        window.emplace_back(colour, line);
    }
    QWidget* MessageParent() override { return nullptr; }
    bool OpenFileStep(const std::string& path) override;
    void ResetProject() override;
    void SelectModule(const std::string& name) override { selected.push_back(name); }
    void StoreOpenForm() override { ++formsStored; }

    // The window lines, each as "colour|text" with the colour in hex.
    std::vector<std::string> WindowLines() const;

    RecordingHost host;
    KindsFactory factory;
    PlotSettings plot;
    ns_param::Paramora workspace{"WorkspaceParams"};
    std::string lastModule;
    std::string description;
    std::vector<std::string> states;
    std::vector<std::pair<COLORREF, std::string>> window;
    std::vector<std::string> selected;
    int formsStored = 0;
    int resets = 0;
};

// One line per parameter (name, type, comment, range, value; enumerations with index and
// entries), nested containers indented.
std::string Dump(const ns_param::Paramora& container, const std::string& indent = "");
// Every module's tree name and parameters, in tree order.
std::string DumpModules(ModuleTree& tree);
// Every spectrum's path, comment, colour and points (as exact bits), in tree order.
std::string DumpSpectra(SpectrumTree& tree);
// Every clipboard object's path and container, in tree order.
std::string DumpClipboard(ClipboardTree& tree);

// A spectrum at path with count points x = 380 + i and y from the seed.
Spectrum* MakeSpectrum(const std::string& path, int count, int seed);
