#pragma once
// The colour calculator's reference tables, one copy per process:
//
//   "CIEObserver.txt"  x_bar, y_bar, z_bar (CIE 1931 2°)
//   "D65.txt"          the standard illuminant (held, not used by the calculator)
//   "VLambda.txt"      V(lambda)
//   "StdTargets.txt"   the test colour samples TCS01..TCS14
//
// The "Speks:" files lie in the folder of the binary that holds this code (the plug-in,
// next to the program) unless a folder was set before first use. They are read once, on the
// grids they were written on; GetColorData hands out the tables resampled onto the grid in
// force and resamples again whenever that grid has changed.

#include "engine/spectra_set.h"

#include <memory>
#include <string>

struct ColorData {
    SpectraSet observer;           // spectra 0, 1, 2 = x_bar, y_bar, z_bar
    SpectraSet illuminant;         // D65
    SpectraSet luminousEfficiency; // spectrum 0 = V(lambda)
    SpectraSet testColours;        // reflectances of the test colours
};

// The tables on the grid in force. The first call loads the files (once per process, and
// logs a line for each file that cannot be loaded; its set stays empty).
std::shared_ptr<const ColorData> GetColorData();

// Chooses the folder of the data files; only before the first use (false afterwards).
bool SetColorDataFolder(const std::string& folder);
// The folder the files are (or will be) read from.
std::string GetColorDataFolder();
// Forgets the loaded tables and a chosen folder, so the next use loads again. For tests;
// no calculator may be in use meanwhile.
void ResetColorData();
