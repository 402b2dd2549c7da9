#include "core/module_drop_target.h"

bool ModuleDropTarget::CanDropSpecs() const { return false; }
bool ModuleDropTarget::CanDropGroup() const { return false; }
void ModuleDropTarget::OnDropSpecs(const std::string&) {}
void ModuleDropTarget::OnDropGroup(const std::string&) {}
bool ModuleDropTarget::CanDropClipboardObjects() const { return false; }
bool ModuleDropTarget::CanDropClipboardGroup() const { return false; }
void ModuleDropTarget::OnDropClipboardObjects(const std::string&) {}
void ModuleDropTarget::OnDropClipboardObjectNames(const std::string&) {}
void ModuleDropTarget::OnDropClipboardGroup(const std::string&) {}
bool ModuleDropTarget::CanDropParams() const { return false; }
bool ModuleDropTarget::CanDropFunctions() const { return false; }
bool ModuleDropTarget::CanDropModules() const { return false; }
void ModuleDropTarget::OnDropParam(const std::string&) {}
void ModuleDropTarget::OnDropFunction(const std::string&) {}
void ModuleDropTarget::OnDropModule(const std::string&) {}
bool ModuleDropTarget::CanDrop(std::string) { return false; }
void ModuleDropTarget::OnDrop(std::string) {}
