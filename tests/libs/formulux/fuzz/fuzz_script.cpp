// Fuzz target of the script compiler and interpreter. The first byte picks Clipping (bit 0) and
// SmartError (bit 1); the rest is the source. Every failure must be one located text.
#include "formulux/mc_compiler.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void requireLocated(const std::string& text)
{
    if (text.find("Zeile") == std::string::npos || text.find("Spalte") == std::string::npos) {
        std::fprintf(stderr, "failure text without position: %s\n", text.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t options = size > 0 ? data[0] : 0;
    const std::string_view source(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
    CMCCompiler compiler;
    compiler.loadStdFunctions();
    compiler.loadStdVars();
    compiler.setClipping(options & 1);
    compiler.setSmartError(options & 2);
    compiler.setLimits(1'000'000, 200, 200, 100'000);
    compiler.setOutput([](std::string_view) {});
    if (!compiler.runCompiler(source)) {
        requireLocated(compiler.getError());
        return 0;
    }
    if (!compiler.runInterpreter())
        requireLocated(compiler.getException());
    return 0;
}
