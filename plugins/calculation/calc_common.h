#pragma once
// What the modules and forms of the calculation plug-in share: path and point helpers, the
// rule that an enumeration's Sel number wins over the enumeration and log texts; the module
// and form base with its log colours comes from Corvane.
#include "core/calc_form.h"
#include "core/spectrum.h"
#include "core/tree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace ns_xandril {
class XMLEnumClass;
}

namespace calc {

inline constexpr char kParameterError[] = "Fehler: Das Funktionsmodul wurde nicht korrekt parametriert. ";

// An output group or result name tidied in place by the tree's path rule (ns_tree::NormalizePath).
inline void CleanGroupPath(std::string& path)
{
    path = ns_tree::NormalizePath(std::move(path));
}

// A point whose wavelength is set to 0 when it is negative; the value is taken as given.
SPoint ClampedPoint(double x, double y);

// The text behind the last ":" (all of it without ":").
std::string ShortName(const std::string& path);

// The short name trimmed of blanks, tabs and line ends.
std::string TrimmedShortName(const std::string& path);

// The spectra a dropped ";"-list resolves to in the tree, as their trimmed short names
// joined by ";" (the name-template drop of the selection edits).
std::string DroppedShortNames(SpectrumTree& tree, const std::string& names);

// A seed from the steady clock: its high and low 32-bit halves combined by exclusive or.
std::uint32_t ClockSeed();

// Keeps the enumeration parameter `name` in step with the int parameter `name` + "Sel":
// the number wins and is written into the enumeration. Returns the number, or -1 (nothing
// changed) when it is no index of the enumeration or either parameter is missing.
int SyncEnumFromSel(ns_param::Paramora& parameters, const std::string& name);

// printf-style formatting (the C locale the program runs in).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Hands a new spectrum to the tree; a spectrum the tree refused is deleted. True when the
// tree took it.
bool FileSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum);

} // namespace calc
