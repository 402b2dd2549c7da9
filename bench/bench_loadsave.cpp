// The load-and-save plug-in on the files users wait for:
// - a 50 MB column file (100 spectra x 30,000 wavelengths, written beforehand by the text
//   writer) loaded with LoadASCIIModule::LoadFile, next to a plain fread of the same file
//   split into lines and a read of it with every number converted by std::from_chars (the
//   floor of any loader); bench/peer/loadtxt_peer.py times numpy.loadtxt and pandas.read_csv
//   on the same file (its path is printed, and kept while ORVANTA_BENCH_KEEP is set);
//   MB_per_s counts decimal megabytes (bytes_per_second is in MiB);
// - 10,000 spectra of 401 points saved with SaveXMLModule and loaded with LoadXMLModule.
#include "load_ascii_module.h"
#include "load_xml_module.h"
#include "save_tabbed_data_module.h"
#include "save_xml_module.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include "platform/file_contents.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A host with the trees the modules load into and save from.
class BenchHost : public ModuleInterface {
public:
    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    ClipboardTree* GetClipboardTree() override { return &clipboard; }

    SpectrumTree spectra;
    ClipboardTree clipboard;
};

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()))).string();
}

void AddSpectra(BenchHost& host, int count, int points, double start, double step, const char* group)
{
    for (int s = 0; s < count; ++s) {
        auto* spectrum = new Spectrum;
        spectrum->SetName(std::string(group) + ":Spektrum " + std::to_string(s));
        for (int i = 0; i < points; ++i)
            spectrum->AddPoint(
                SPoint(start + step * i, 0.5 + 0.45 * std::sin(0.013 * i + 0.7 * s) * std::exp(-0.001 * s * i / points)));
        host.spectra.AddInserter(spectrum);
    }
}

bool g_columnFileWritten = false;

void SetRates(benchmark::State& state, std::uintmax_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["MB_per_s"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The column file, written once by the text writer.
const std::string& ColumnFile()
{
    static const std::string path = [] {
        const std::string file = TempPath("bench_loadsave_columns_") + ".txt";
        BenchHost host;
        AddSpectra(host, 100, 30'000, 300.0, 0.02, "Messung");
        SaveTabbedDataModule writer;
        writer.SetName("Daten|ex|port:Spek|tren spei|chern:ASCII-|Text-|Da|tei mit Trenn|zei|chen");
        writer.SetModuleInterface(&host);
        writer.SetDecimalMark('.');
        writer.getParameters().setStringParameter("Trennzeichen", ";");
        writer.getParameters().setBoolParameter("SaveNames", true);
        if (!writer.SaveObjects(file, "Messung:*"))
            std::abort();
        g_columnFileWritten = true;
        std::printf("column file: %s (%ju bytes)\n", file.c_str(),
                    static_cast<std::uintmax_t>(std::filesystem::file_size(file)));
        return file;
    }();
    return path;
}

void BM_LoadColumnFile(benchmark::State& state)
{
    const std::string& file = ColumnFile();
    std::size_t points = 0;
    for (auto _ : state) {
        BenchHost host;
        LoadASCIIModule loader;
        loader.SetModuleInterface(&host);
        loader.getParameters().setBoolParameter("UseNamesFromFile", true);
        if (!loader.LoadFile(file, ""))
            state.SkipWithError("load failed");
        points = 0;
        for (const Spectrum* spectrum : host.spectra.GetInserters())
            points += static_cast<std::size_t>(spectrum->GetPointCount());
    }
    if (points != 100u * 30'000u)
        state.SkipWithError("wrong point count");
    SetRates(state, std::filesystem::file_size(file));
}

void BM_FreadLines(benchmark::State& state)
{
    const std::string& file = ColumnFile();
    std::vector<char> buffer(std::filesystem::file_size(file));
    std::size_t lines = 0;
    for (auto _ : state) {
        std::FILE* in = std::fopen(file.c_str(), "rb");
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        std::fclose(in);
        lines = 0;
        for (const char* p = buffer.data(); const void* hit = std::memchr(p, '\n', buffer.data() + n - p);) {
            p = static_cast<const char*>(hit) + 1;
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    if (lines != 30'001u)
        state.SkipWithError("wrong line count");
    SetRates(state, buffer.size());
}

// The file read as the loader reads it, then every number after the name line converted with
// std::from_chars straight from the block into one array made beforehand (blanks, separators
// and line ends skipped, nothing checked).
void BM_ReadFromChars(benchmark::State& state)
{
    const std::string& file = ColumnFile();
    std::vector<double> values(30'000u * 101u);
    std::size_t count = 0;
    for (auto _ : state) {
        platform::FileBytes bytes;
        if (!bytes.Read(file))
            state.SkipWithError("read failed");
        const std::string_view text = bytes.View();
        const char* p = text.data() + text.find('\n') + 1;
        const char* const end = text.data() + text.size();
        count = 0;
        while (p < end && count < values.size()) {
            while (p < end && *p == ' ') // fields are padded to a width
                ++p;
            const auto res = std::from_chars(p, end, values[count]);
            if (res.ec != std::errc())
                break;
            ++count;
            p = res.ptr;
            while (p < end && (*p == ';' || *p == '\r' || *p == '\n'))
                ++p;
        }
        benchmark::DoNotOptimize(values.data());
    }
    if (count != values.size())
        state.SkipWithError("wrong value count");
    SetRates(state, std::filesystem::file_size(file));
}

// 10,000 spectra of 401 points: saved as XML, then loaded into a fresh tree.
void BM_XmlSpectraRoundTrip(benchmark::State& state)
{
    const std::string file = TempPath("bench_loadsave_spectra_") + ".xml";
    BenchHost source;
    AddSpectra(source, 10'000, 401, 380.0, 1.0, "Messung");
    SaveXMLModule saver;
    saver.SetModuleInterface(&source);
    double saveSeconds = 0;
    double loadSeconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!saver.SaveObjects(file, "Messung:*"))
            state.SkipWithError("save failed");
        const auto t1 = std::chrono::steady_clock::now();
        BenchHost target;
        LoadXMLModule loader;
        loader.SetModuleInterface(&target);
        if (!loader.LoadFile(file, "") || target.spectra.GetInserters().size() != 10'000u)
            state.SkipWithError("load failed");
        const auto t2 = std::chrono::steady_clock::now();
        saveSeconds += std::chrono::duration<double>(t1 - t0).count();
        loadSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["save_spectra_per_s"] = 10'000 * n / saveSeconds;
    state.counters["load_spectra_per_s"] = 10'000 * n / loadSeconds;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    std::filesystem::remove(file);
}

} // namespace

BENCHMARK(BM_LoadColumnFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FreadLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadFromChars)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_XmlSpectraRoundTrip)->Unit(benchmark::kSecond)->Iterations(2);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_columnFileWritten && !std::getenv("ORVANTA_BENCH_KEEP"))
        std::filesystem::remove(ColumnFile());
    return 0;
}
