#pragma once
// What the LED plug-in's editor forms add to the calculation form base: control names.
#include "core/calc_form.h"
#include "core/widget_names.h"

namespace led {

using calc::Named;

} // namespace led
