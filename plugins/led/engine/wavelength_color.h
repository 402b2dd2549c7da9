#pragma once
// The display colour of a wavelength: the CIE 1931 colour-matching values at the wavelength,
// turned into linear RGB, negative components moved onto the others, normalised to the sum
// and raised to the power 1/2.4.

#include "platform/colorref.h"

#include <vector>

// wavelength in micrometres. Black off the observer data (or without them).
void WavelengthToColor(double wavelength, COLORREF& colour);

// The colour of every point of the global grid, computed once per grid and kept until the
// grid or the colour data change. Without observer data every colour is black and one log
// line is written for that grid.
const std::vector<COLORREF>& WavelengthColorsOnGrid();
