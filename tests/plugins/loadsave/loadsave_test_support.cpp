#include "loadsave_test_support.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace loadsave_test {

Spectrum* AddSpectrum(RecordingHost& host, const std::string& name, const std::vector<std::pair<double, double>>& points)
{
    auto* spectrum = new Spectrum;
    spectrum->SetName(name);
    for (const auto& [x, y] : points)
        spectrum->AddPoint(SPoint(x, y));
    host.spectra.AddInserter(spectrum);
    return spectrum;
}

ClipboardObject* AddObject(RecordingHost& host, const std::string& name)
{
    auto* object = new ClipboardObject;
    object->SetName(name);
    host.clipboard.AddInserter(object);
    return object;
}

ClipboardObject* AddRecord(RecordingHost& host, const std::string& name, const std::vector<double>& values)
{
    ClipboardObject* object = AddObject(host, name);
    const std::vector<double> ones(values.size(), 1.0);
    const int count = static_cast<int>(values.size());
    object->GetParameters().addDouble1DArrayParameter("ClpValues", "", count, values.data(), 0);
    object->GetParameters().addDouble1DArrayParameter("ClpRefs", "", count, ones.data(), 0);
    return object;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<SpectrumView> Spectra(RecordingHost& host)
{
    std::vector<SpectrumView> out;
    for (const Spectrum* spectrum : host.spectra.GetInserters()) {
        SpectrumView view{spectrum->GetName(), {}};
        for (int i = 0; i < spectrum->GetPointCount(); ++i)
            view.points.emplace_back((*spectrum)[i].x, (*spectrum)[i].y);
        out.push_back(view);
    }
    return out;
}

std::string Describe(const ClipboardObject& object)
{
    std::string text = object.GetName();
    const ns_param::Paramora& parameters = object.GetParameters();
    for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it) {
        char kind = '?';
        switch (it->second->getType()) {
        case ns_param::TYPE_STRING: kind = 's'; break;
        case ns_param::TYPE_INT: kind = 'i'; break;
        case ns_param::TYPE_DOUBLE: kind = 'd'; break;
        case ns_param::TYPE_DOUBLE_1D_ARRAY: kind = 'a'; break;
        default: break;
        }
        text += " " + it->first + ":" + kind + "=" + it->second->getValueText('.');
    }
    return text;
}

std::vector<std::string> ClipboardObjects(RecordingHost& host)
{
    std::vector<std::string> out;
    for (const ClipboardObject* object : host.clipboard.GetInserters())
        out.push_back(Describe(*object));
    return out;
}

std::vector<std::string> Log(const RecordingHost& host)
{
    std::vector<std::string> out;
    for (const RecordingHost::LogLine& line : host.log) {
        if (!line.colour) {
            out.push_back(line.text);
            continue;
        }
        char colour[16];
        std::snprintf(colour, sizeof colour, "[%06X] ", static_cast<unsigned>(*line.colour));
        out.push_back(colour + line.text);
    }
    return out;
}

} // namespace loadsave_test
