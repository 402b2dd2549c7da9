#pragma once
// Writes the data an LED controller needs for its regulation as C source: the LED spectra,
// the target spectra, the target names and one block of interpolator spectra per target,
// each block a statically initialised matrix in the engine's matrix layout (two ints, then
// the values). The file is Windows-1252 with CR LF line ends.
#include "modules/led_module_base.h"

#include "engine/ls_matrix.h"

#include <string>
#include <string_view>

class CreateSourceModule : public LEDModuleBase {
public:
    CreateSourceModule();
    ~CreateSourceModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // "create_source": true when "Filename" now holds the whole file. A failed check or write
    // logs why and leaves an existing file as it was.
    bool create_source();

    // Appends one matrix block named name: the struct with its dimensions and values ("%g"),
    // then the LSMatrix pointer to its first value and an empty line.
    static void WriteMatrix(std::string& out, const std::string& name, LSMatrix matrix);
    // A target name as the body of a C string literal in Windows-1252: the part after the
    // last ':' (unless that ':' comes first), at most 10000 characters; '"', '\\', '?',
    // control bytes and characters Windows-1252 lacks (their UTF-8 bytes) as octal escapes.
    static std::string CName(std::string_view name);
};
