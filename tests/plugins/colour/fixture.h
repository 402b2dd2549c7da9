#pragma once
// CIE tables as spectra of a recording host, for the colour plug-in's tests.
#include "core/spectrum.h"

#include "support/recording_host.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace colour_test {

// Column of a CSV file of data/cie as (nm, value), 380..780 nm in 5 nm steps.
inline std::map<double, double> CieColumn(const std::string& file, const std::string& column)
{
    std::ifstream in(std::string(ORVANTA_SOURCE_DIR) + "/data/cie/" + file);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header;
    std::stringstream hs(line);
    for (std::string cell; std::getline(hs, cell, ',');)
        header.push_back(cell);
    std::map<double, double> out;
    while (std::getline(in, line)) {
        std::stringstream ls(line);
        std::vector<std::string> cells;
        for (std::string cell; std::getline(ls, cell, ',');)
            cells.push_back(cell);
        const double nm = std::stod(cells[0]);
        if (nm < 380 || nm > 780 || static_cast<int>(nm) % 5 != 0)
            continue;
        for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i)
            if (header[i] == column)
                out[nm] = std::stod(cells[i]);
    }
    return out;
}

inline Spectrum* AddSpectrum(RecordingHost& host, const std::string& name, const std::map<double, double>& points)
{
    auto* s = new Spectrum;
    s->SetName(name);
    for (const auto& [x, y] : points)
        s->AddPoint(SPoint(x, y));
    if (!host.spectra.AddInserter(s)) {
        delete s;
        return nullptr;
    }
    return s;
}

template <class F>
Spectrum* AddCurve(RecordingHost& host, const std::string& name, double start, double step, int count, F f)
{
    std::map<double, double> points;
    for (int i = 0; i < count; ++i)
        points[start + i * step] = f(start + i * step);
    return AddSpectrum(host, name, points);
}

// The CIE 1931 curves as Normbeobachter:x, :y, :z and D65 as Licht:D65.
inline void AddObserverAndD65(RecordingHost& host)
{
    for (const char* c : {"x", "y", "z"})
        AddSpectrum(host, std::string("Normbeobachter:") + c,
                    CieColumn("cie1931_2deg_xyz.csv", std::string(c) + "_bar"));
    AddSpectrum(host, "Licht:D65", CieColumn("cie_illuminant_d65.csv", "D65"));
}

inline std::vector<double> Array(ClipboardObject* object, const char* name)
{
    auto* p = dynamic_cast<ns_param::Double1DArrayParameterType*>(object->GetParameters().getParameter(name));
    if (!p)
        return {};
    return std::vector<double>(p->getValues(), p->getValues() + p->getCount());
}

} // namespace colour_test
