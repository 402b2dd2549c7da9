#pragma once
// The host's side of a module: the trees, logging, progress, status text, repaint, abort
// query, the calculation bracket and the live-measurement calls. The main program's document
// implements it; every default here does nothing and returns null, 0.0 or false.
// All calls are made on the GUI thread.
#include "platform/colorref.h"

#include <cstdarg>
#include <string>

class ClipboardTree;
class Module;
class ModuleTree;
class SpectrumTree;

class ModuleInterface {
public:
    ModuleInterface() = default;
    ModuleInterface(const ModuleInterface&) = default;
    ModuleInterface& operator=(const ModuleInterface&) = default;
    virtual ~ModuleInterface();

    virtual SpectrumTree* GetSpectrumTree();
    virtual ClipboardTree* GetClipboardTree();
    virtual void StartCalculation();
    virtual void EndCalculation();
    virtual void StartLive();
    virtual void EndLive();
    virtual void InitLive();
    virtual void ResetLive();
    virtual ModuleTree* GetModuleTree();
    virtual Module* GetModule(const std::string& name);

    // One log line from a printf-style format; user text belongs in a "%s" argument.
    // Both forward their arguments to the V forms, which the host overrides.
    void AddLogMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddLogColorMessage(COLORREF colour, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // The host formats the arguments (platform::VFormat) and appends the line; the base
    // ignores them. Wrappers with their own variable arguments call these directly.
    virtual void AddLogMessageV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
    virtual void AddLogColorMessageV(COLORREF colour, const char* format, va_list args)
        __attribute__((format(printf, 3, 0)));

    virtual void SetProgressBarPercentage(double percent);
    virtual double GetProgressBarPercentage();
    virtual void SetStatusText(const std::string& text);
    virtual void RepaintSpecView();
    virtual bool UserWantsAbort();
};
