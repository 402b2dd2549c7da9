#pragma once
// A module host for tests: it owns a spectrum, clipboard and module tree and records every
// call a module makes (log lines as finished texts, progress, status texts, the calculation
// and live brackets). UserWantsAbort answers wantsAbort. Log lines may come from any thread
// (a device worker logs as the program's document lets it): read them with LogSnapshot,
// LogTexts or WaitForLine while such a thread runs.
#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_factory.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class RecordingHost : public ModuleInterface {
public:
    struct LogLine {
        std::string text;
        std::optional<COLORREF> colour; // none for a plain line
    };

    RecordingHost();
    ~RecordingHost() override;

    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    ClipboardTree* GetClipboardTree() override { return &clipboard; }
    ModuleTree* GetModuleTree() override { return &modules; }
    void StartCalculation() override;
    void EndCalculation() override;
    void StartLive() override;
    void EndLive() override;
    void InitLive() override;
    void ResetLive() override;
    void AddLogMessageV(const char* format, va_list args) override __attribute__((format(printf, 2, 0)));
    void AddLogColorMessageV(COLORREF colour, const char* format, va_list args) override
        __attribute__((format(printf, 3, 0)));
    void SetProgressBarPercentage(double percent) override;
    double GetProgressBarPercentage() override { return progress; }
    void SetStatusText(const std::string& text) override;
    void RepaintSpecView() override;
    bool UserWantsAbort() override;

    // The log texts in order.
    std::vector<std::string> LogTexts() const;
    std::vector<LogLine> LogSnapshot() const;
    // Waits until a line with exactly this text has been logged; false after timeout.
    bool WaitForLine(const std::string& text, std::chrono::milliseconds timeout) const;
    // Builds the module tree as the program does: every module of the factory, named by its
    // menu path, inserted, and given this host. Returns how many the tree took.
    int AddModules(ModuleFactory& factory);

    // Declared in this order so that the modules, which may refer to spectra and clipboard
    // objects, are destroyed first.
    SpectrumTree spectra;
    ClipboardTree clipboard;
    ModuleTree modules;

    std::vector<LogLine> log; // guarded by logMutex
    mutable std::mutex logMutex;
    mutable std::condition_variable logChanged;
    // Every call other than logging, in order: "StartCalculation", "EndCalculation",
    // "StartLive", "EndLive", "InitLive", "ResetLive", "SetStatusText", "RepaintSpecView".
    std::vector<std::string> calls;
    std::vector<double> progressHistory;
    std::vector<std::string> statusTexts;
    double progress = 0.0;
    bool wantsAbort = false;
    int abortPolls = 0;
    // As the program's document: frees wait from StartCalculation to its EndCalculation.
    std::vector<std::unique_ptr<ns_tree::FreeHold>> freeHolds;
};
