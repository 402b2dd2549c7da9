#pragma once
// Number texts and the printf engine (locale-free: std::to_chars, padding by hand).
#include "formulux/runtime.h"

#include <string>

namespace formulux {

// Octave's num2str of a scalar: integers in full, else %.Ng with N = digits before the point + 4
// (at least 5, at most 16); "Inf", "-Inf", "NaN".
std::string num2str(double v);

// The text of a printf template applied to the arguments, with the template reused while
// arguments remain. Throws RunError for a malformed or refused conversion.
std::string formatText(const CMCVariable& format, Args args, const Context& ctx);

// disp's text of a value (with the line end).
std::string displayText(const CMCVariable& v);

} // namespace formulux
