#pragma once
// A module host for the LED module benchmarks: the two trees and nothing else, so a run's
// progress, status and log calls cost what the base class's empty ones cost.
#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <unistd.h>

#include <filesystem>
#include <string>

namespace led_bench {

class BenchHost : public ModuleInterface {
public:
    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    ClipboardTree* GetClipboardTree() override { return &clipboard; }
    SpectrumTree spectra;
    ClipboardTree clipboard;
};

// A file name in the temporary folder, unique per process.
inline std::string TempPath(const char* stem)
{
    return (std::filesystem::temp_directory_path() / (std::string(stem) + "_" + std::to_string(getpid()))).string();
}

} // namespace led_bench
