#pragma once
// What the LED plug-in's editor forms add to the calculation form base: control names.
#include "core/calc_form.h"

namespace led {

// Names a control by its id, so tests and layouts find it.
template <class W>
W* Named(W* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace led
