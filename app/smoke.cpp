// Smoke check: a spectrum goes into a spectrum tree, out to an XML file and back into a
// second tree. Prints one line; exit code 0 when it came back equal.
#include "core/spectrum.h"

#include <xandril/xandril.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Equal(Spectrum& a, Spectrum& b)
{
    if (a.GetName() != b.GetName() || a.GetComment() != b.GetComment() || a.GetColor() != b.GetColor()
        || a.GetPointCount() != b.GetPointCount())
        return false;
    for (int i = 0; i < a.GetPointCount(); ++i) {
        if (!SameBits(a[i].x, b[i].x) || !SameBits(a[i].y, b[i].y))
            return false;
    }
    return true;
}

void WriteTree(SpectrumTree& tree, const std::string& file)
{
    ns_xandril::XMLWriteModul writer;
    writer.enterGroup("Spectrums");
    for (Spectrum* s : tree.GetInserters()) {
        writer.enterGroup("Spectrum");
        s->writeToXML(writer);
        writer.leaveGroup();
    }
    writer.leaveGroup();
    if (!writer.writeToFile(file))
        throw std::runtime_error("cannot write " + file);
}

void ReadTree(SpectrumTree& tree, const std::string& file)
{
    ns_xandril::XMLReadModul reader;
    reader.readFromFile(file);
    if (!reader.enterGroup("Spectrums"))
        return;
    if (reader.enterFirstGroup("Spectrum")) {
        do {
            auto* s = new Spectrum;
            s->readFromXML(reader);
            if (!tree.AddInserter(s))
                delete s;
            reader.leaveGroup();
        } while (reader.enterNextGroup());
    }
    reader.leaveGroup();
}

} // namespace

int main()
{
    const std::string path = "Messung:Serie 1:LED rot";
    auto* original = new Spectrum;
    original->SetName(path);
    original->SetComment("Rauchtest");
    original->SetColor(RGB(200, 30, 30));
    for (int i = 0; i <= 400; ++i)
        original->AddPoint(SPoint(380.0 + i, 1.0 / (1.0 + (i - 250) * (i - 250) / 400.0)));

    const auto file = (std::filesystem::temp_directory_path()
                       / ("orvanta-smoke-" + std::to_string(::getpid()) + ".xml")).string();
    bool equal = false;
    std::string problem;
    try {
        SpectrumTree first;
        first.AddInserter(original);
        WriteTree(first, file);
        SpectrumTree second;
        ReadTree(second, file);
        Spectrum* back = second.GetInserterByName(path);
        equal = back && second.GetInserters().size() == 1 && Equal(*original, *back);
    } catch (const std::exception& e) {
        problem = e.what();
    }
    std::error_code ignored;
    std::filesystem::remove(file, ignored);

    if (!problem.empty())
        std::printf("Rauchtest: Fehler: %s\n", problem.c_str());
    else
        std::printf("Rauchtest: Spektrum \"%s\" kam %s aus Baum und XML-Datei zurück\n", path.c_str(),
                    equal ? "gleich" : "VERÄNDERT");
    return equal ? 0 : 1;
}
