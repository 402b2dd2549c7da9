#pragma once
// Shared by the loaders' fuzz targets: the options the first input bytes pick, a recording
// host with real trees, and the checks every run ends with.
#include "support/recording_host.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// The input: option bytes taken from the front, the rest is the file.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(reinterpret_cast<const char*>(data), size) {}

    // The next option byte (0 once the input is used up).
    std::uint8_t Byte();
    // One of the texts, chosen by the next option byte.
    template <std::size_t N>
    std::string Choice(const char* const (&texts)[N])
    {
        return texts[Byte() % N];
    }
    std::string_view Rest() const { return m_data; }

private:
    std::string_view m_data;
};

// Aborts with a message unless every spectrum and clipboard object of the host has a name
// that is valid UTF-8, a valid tree path with a non-empty last level, and finite numbers.
void CheckTrees(RecordingHost& host);

} // namespace fuzz

// The libFuzzer entry point each target defines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
