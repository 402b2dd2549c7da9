#pragma once
// Finding and loading the plug-ins: every "*.so" in the program's folder that exports
// GetModuleFactory stays loaded until the program ends; the libraries are kept in descending
// byte order of their file names, the order in which the document asks their factories.
#include <QString>

#include <string>
#include <vector>

class QWidget;

struct ModuleLibrary {
    std::string name; // file name, without the folder
    void* handle;     // from dlopen
};

// Device-driver libraries that are never loaded as plug-ins (exact, case-sensitive names).
bool IsSkippedLibraryName(const std::string& fileName);

// Where name goes into names (sorted descending by strcmp): before the first name that compares
// less than or equal to it, or at the end.
std::size_t DescendingInsertPosition(const std::vector<ModuleLibrary>& libraries, const std::string& name);

// The version label shown while the plug-ins load.
extern const char* const kVelmontVersion;

// Loads the plug-ins of folder. While it works, a status window (child of parent) shows for
// statusWaitMs milliseconds, during which events are processed so that it paints. A file that
// does not load or lacks the export is left out; the reason goes to stderr.
std::vector<ModuleLibrary> LoadModuleLibraries(const QString& folder, QWidget* parent, int statusWaitMs);

// Unloads the libraries in list order and empties the list.
void FreeModuleLibraries(std::vector<ModuleLibrary>& libraries);

// Shows the start-up status window with text for waitMs milliseconds, processing events, then
// closes it.
void ShowStatusFor(QWidget* parent, const QString& text, int waitMs);
