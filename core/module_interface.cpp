#include "core/module_interface.h"

ModuleInterface::~ModuleInterface() = default;

SpectrumTree* ModuleInterface::GetSpectrumTree() { return nullptr; }
ClipboardTree* ModuleInterface::GetClipboardTree() { return nullptr; }
void ModuleInterface::StartCalculation() {}
void ModuleInterface::EndCalculation() {}
void ModuleInterface::StartLive() {}
void ModuleInterface::EndLive() {}
void ModuleInterface::InitLive() {}
void ModuleInterface::ResetLive() {}
ModuleTree* ModuleInterface::GetModuleTree() { return nullptr; }
Module* ModuleInterface::GetModule(const std::string&) { return nullptr; }

void ModuleInterface::AddLogMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddLogMessageV(format, args);
    va_end(args);
}

void ModuleInterface::AddLogColorMessage(COLORREF colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddLogColorMessageV(colour, format, args);
    va_end(args);
}

void ModuleInterface::AddLogMessageV(const char*, va_list) {}
void ModuleInterface::AddLogColorMessageV(COLORREF, const char*, va_list) {}
void ModuleInterface::SetProgressBarPercentage(double) {}
double ModuleInterface::GetProgressBarPercentage() { return 0.0; }
void ModuleInterface::SetStatusText(const std::string&) {}
void ModuleInterface::RepaintSpecView() {}
bool ModuleInterface::UserWantsAbort() { return false; }
