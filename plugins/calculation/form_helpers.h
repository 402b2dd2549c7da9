#pragma once
// Small helpers of the plug-in's editor forms: control ids as object names, and a combo box
// bound to an enumeration parameter and its Sel number.
#include "core/module.h"
#include "core/module_editor.h"
#include "core/widget_names.h"

#include <QString>

class QComboBox;

namespace calc {

// Before showing, a Sel number set by a script is taken into the enumeration (the number
// wins); the combo box's index is exchanged only while it holds entries; afterwards, in both
// directions, the Sel number is the enumeration's index, which is returned.
int ExchangeEnumAndSel(CDataExchange* pDX, QComboBox* combo, ns_param::Paramora& p, const char* name);

} // namespace calc
