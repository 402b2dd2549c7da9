#pragma once
// Small helpers the load and save modules share: parameter values and error lines.
#include <string>

class Module;

namespace loadsave {

// The value of a string or bool parameter; empty or false when there is none of that kind.
std::string StringParameter(Module& module, const std::string& name);
bool BoolParameter(Module& module, const std::string& name);
// One line in the error colour through the module's host (nothing without a host).
void LogError(Module& module, const char* text);
// Writes the file through a temporary file renamed over it; a failure is logged
// ("... konnte nicht geöffnet werden !") and gives false, and an old file stays whole.
bool WriteOrReport(Module& module, const std::string& path, const std::string& content);

} // namespace loadsave
