#pragma once
// What the interpreter shares with the operators and standard functions of a run.
#include "formulux/mc_function.h"
#include "formulux/mc_variable.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace formulux {

// A run-time error; line -1: the position of the expression being evaluated.
struct RunError {
    std::string text;
    int line = -1;
    int col = -1;
};

[[noreturn]] inline void fail(std::string_view text) { throw RunError{std::string(text)}; }

struct Context {
    std::size_t maxElements = 100'000'000;
    bool clipping = false;
    const CMCSharedParameter* shared = nullptr;

    // Throws "Matrix zu groß" unless rows x cols fits the limit.
    void checkSize(double rows, double cols) const;
    // rows x cols of zeros, within the limit.
    CMCVariable make(int rows, int cols) const
    {
        checkSize(rows, cols);
        return CMCVariable(rows, cols);
    }
    void write(std::string_view text) const;
};

using Args = std::span<const CMCVariable>;

} // namespace formulux
