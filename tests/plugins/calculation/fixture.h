#pragma once
// Spectra and a recording host for the calculation plug-in's tests.
#include "core/spectrum.h"

#include "support/recording_host.h"

#include <string>
#include <vector>

namespace calc_test {

// Files a spectrum with the points (x[i], y[i]) in the host's tree and returns it.
inline Spectrum* AddSpectrum(RecordingHost& host, const std::string& name, const std::vector<double>& x,
                             const std::vector<double>& y, COLORREF colour = 0x123456)
{
    auto* s = new Spectrum;
    s->SetName(name);
    s->SetColor(colour);
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
        s->AddPoint(SPoint(x[i], y[i]));
    if (!host.spectra.AddInserter(s)) {
        delete s;
        return nullptr;
    }
    return s;
}

// x = start, start + step, ... (count points) with y = f(x).
template <class F>
Spectrum* AddCurve(RecordingHost& host, const std::string& name, double start, double step, int count, F f)
{
    std::vector<double> x, y;
    for (int i = 0; i < count; ++i) {
        x.push_back(start + i * step);
        y.push_back(f(x.back()));
    }
    return AddSpectrum(host, name, x, y);
}

inline std::vector<double> Xs(const Spectrum& s)
{
    std::vector<double> v;
    for (int i = 0; i < s.GetPointCount(); ++i)
        v.push_back(s[i].x);
    return v;
}

inline std::vector<double> Ys(const Spectrum& s)
{
    std::vector<double> v;
    for (int i = 0; i < s.GetPointCount(); ++i)
        v.push_back(s[i].y);
    return v;
}

// Names of the spectra in the tree, in insertion order.
inline std::vector<std::string> Names(RecordingHost& host)
{
    std::vector<std::string> names;
    for (const Spectrum* s : host.spectra.GetInserters())
        names.push_back(s->GetName());
    return names;
}

// The leaf names below a group, in the order the tree shows them.
inline std::vector<std::string> ChildNames(RecordingHost& host, const std::string& group)
{
    std::vector<std::string> names;
    if (auto* node = host.spectra.GetNodeByName(group, false, false))
        for (auto* child : node->GetChildren())
            names.push_back(child->GetName());
    return names;
}

} // namespace calc_test
