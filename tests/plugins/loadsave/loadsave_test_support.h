#pragma once
// Shared by the plug-in's tests: modules placed in a recording host as the program places
// them, files written and read as bytes, and the trees summed up as texts that tables compare.
#include "support/recording_host.h"
#include "support/temp_dir.h"

#include <string>
#include <utility>
#include <vector>

namespace loadsave_test {

// The menu paths of the plug-in's modules, as the factory gives them.
inline constexpr char kLoadXmlPath[] = "Daten|im|port:Spek|tren la|den:Orvanta-|Spek|tren-|Da|tei (.xml)";
inline constexpr char kLoadAsciiPath[] = "Daten|im|port:Spek|tren la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)";
inline constexpr char kLoadOwnClipPath[] =
    "Daten|im|port:Clip|board-|Da|ten la|den:Orvanta-|Clip|board-|Da|tei (*.txt, *.*)";
inline constexpr char kLoadClipAsciiPath[] =
    "Daten|im|port:Clip|board-|Da|ten la|den:ASCII-|Text-|Da|tei (*.txt, *.csv, *.*)";
inline constexpr char kSaveSpectraXmlPath[] = "Daten|ex|port:Spek|tren spei|chern:Orvanta-|Spek|tren-|Da|tei (.xml)";
inline constexpr char kSaveSpectraTextPath[] =
    "Daten|ex|port:Spek|tren spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)";
inline constexpr char kSaveClipXmlPath[] =
    "Daten|ex|port:Clip|board-|Daten spei|chern:Orvanta-|Clip|board-|Da|tei (.xml)";
inline constexpr char kSaveClipTextPath[] =
    "Daten|ex|port:Clip|board-|Daten spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen (*.txt, *.csv, *.*)";

// A new module of class M in the host's module tree under menuPath, served by the host.
template <class M>
M& AddModule(RecordingHost& host, const std::string& menuPath)
{
    auto* module = new M;
    module->SetName(menuPath);
    host.modules.AddInserter(module);
    module->SetModuleInterface(&host);
    return *module;
}

// A spectrum with these points, and an object with "ClpValues" and all-1 "ClpRefs" as the
// clipboard loaders make it, added to the host's trees.
Spectrum* AddSpectrum(RecordingHost& host, const std::string& name, const std::vector<std::pair<double, double>>& points);
ClipboardObject* AddRecord(RecordingHost& host, const std::string& name, const std::vector<double>& values);
// An object without parameters.
ClipboardObject* AddObject(RecordingHost& host, const std::string& name);

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

struct SpectrumView {
    std::string name;
    std::vector<std::pair<double, double>> points;
    bool operator==(const SpectrumView&) const = default;
};
// The spectra of the tree in insertion order.
std::vector<SpectrumView> Spectra(RecordingHost& host);

// "name p1:k=value p2:k=value" with the parameters in name order; k is s (string), i (int),
// d (double) or a (double array); values as the container's value text with ".".
std::string Describe(const ClipboardObject& object);
// Every clipboard object in insertion order.
std::vector<std::string> ClipboardObjects(RecordingHost& host);

// The log lines as texts with their colour: "[000070] text", plain lines as "text".
std::vector<std::string> Log(const RecordingHost& host);

} // namespace loadsave_test
