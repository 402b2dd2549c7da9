#pragma once
// What the interpolator training and test modules share: the values of sensor-response
// objects and filing results in place of same-named ones.
#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace calc {

inline constexpr char kClpValues[] = "ClpValues";

// The "ClpValues" array of a clipboard object; none when it has none.
std::optional<std::vector<double>> ClpValues(ClipboardObject& object);

// Files the spectrum under its name, replacing what stands there; true when the tree took it.
bool ReplaceSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum);
// The same for a clipboard object.
bool ReplaceClipboardObject(ClipboardTree& tree, std::unique_ptr<ClipboardObject> object);

// Splits a ";"-list into its non-empty entries, trimmed of blanks.
std::vector<std::string> SplitSelection(const std::string& text);

} // namespace calc
