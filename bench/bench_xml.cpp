// XML round trip of a project's spectra: 10,000 spectra of 401 points written with
// the spectrum key layout, written to a file, read back and walked; next to the bare
// number conversion of the same 8,020,000 values, the floor any text format pays.
#include <xandril/xandril.h>

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kSpectra = 10'000;
constexpr int kPoints = 401;

struct Data {
    std::vector<double> x;
    std::vector<std::vector<double>> y;
};

// Wavelengths 380..780 nm and measured-looking values with full precision.
const Data& data()
{
    static const Data d = [] {
        Data r;
        r.x.resize(kPoints);
        for (int i = 0; i < kPoints; ++i)
            r.x[i] = 380.0 + i;
        r.y.resize(kSpectra);
        for (int s = 0; s < kSpectra; ++s) {
            r.y[s].resize(kPoints);
            for (int i = 0; i < kPoints; ++i)
                r.y[s][i] = 0.5 + 0.45 * std::sin(0.013 * i + 0.7 * s) * std::exp(-0.001 * s * i / kPoints);
        }
        return r;
    }();
    return d;
}

std::string tempFile()
{
    return (std::filesystem::temp_directory_path() / ("bench_xml_" + std::to_string(::getpid()) + ".xml")).string();
}

void writeSpectra(const std::string& path)
{
    const Data& d = data();
    ns_xandril::XMLWriteModul writer;
    writer.enterGroup("Spectrums");
    for (int s = 0; s < kSpectra; ++s) {
        writer.enterGroup("Spectrum");
        writer.writeString("SpecName", "", "Messung:Serie 1:Spektrum " + std::to_string(s));
        writer.writeString("SpecComment", "", "");
        writer.writeInt("SpecColor", "", 0x00FF8040, 0, 0xFFFFFF);
        writer.write1DDoubleArray("XVals", "", d.x.data(), kPoints);
        writer.write1DDoubleArray("YVals", "", d.y[s].data(), kPoints);
        writer.writeInt("SpecID", "", 10000 + s % 10000);
        writer.leaveGroup();
    }
    writer.leaveGroup();
    if (!writer.writeToFile(path))
        std::abort();
}

int readSpectra(const std::string& path)
{
    ns_xandril::XMLReadModul reader;
    reader.readFromFile(path);
    int count = 0;
    if (!reader.enterGroup("Spectrums"))
        std::abort();
    std::string comment, name, text;
    int color = 0, min = 0, max = 0, id = 0;
    if (reader.enterFirstGroup("Spectrum")) {
        do {
            reader.readString("SpecName", name);
            reader.readString("SpecComment", text);
            reader.readInt("SpecColor", comment, color, min, max);
            double* xs = nullptr;
            double* ys = nullptr;
            int nx = 0, ny = 0;
            reader.read1DDoubleArray("XVals", comment, xs, nx);
            reader.read1DDoubleArray("YVals", comment, ys, ny);
            reader.readInt("SpecID", comment, id);
            benchmark::DoNotOptimize(ys);
            count += nx == kPoints && ny == kPoints;
            delete[] xs;
            delete[] ys;
            reader.leaveGroup();
        } while (reader.enterNextGroup());
    }
    return count;
}

void BM_XmlRoundTrip(benchmark::State& state)
{
    const std::string path = tempFile();
    data();
    double writeSeconds = 0;
    double readSeconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        writeSpectra(path);
        const auto t1 = std::chrono::steady_clock::now();
        if (readSpectra(path) != kSpectra)
            std::abort();
        const auto t2 = std::chrono::steady_clock::now();
        writeSeconds += std::chrono::duration<double>(t1 - t0).count();
        readSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["spectra/s"] = benchmark::Counter(kSpectra * n, benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["write_s"] = writeSeconds / n;
    state.counters["read_s"] = readSeconds / n;
    std::filesystem::remove(path);
}
BENCHMARK(BM_XmlRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

// to_chars and from_chars of the same numbers into and out of one buffer.
void BM_BareNumberConversion(benchmark::State& state)
{
    const Data& d = data();
    std::string text;
    std::vector<double> back(kPoints);
    for (auto _ : state) {
        text.clear();
        char buf[32];
        for (int s = 0; s < kSpectra; ++s) {
            for (const double* values : {d.x.data(), d.y[s].data()})
                for (int i = 0; i < kPoints; ++i) {
                    const auto res = std::to_chars(buf, buf + sizeof buf, values[i]);
                    text.append(buf, res.ptr);
                    text += ' ';
                }
        }
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end) {
            for (int i = 0; i < kPoints && p < end; ++i) {
                const auto res = std::from_chars(p, end, back[i]);
                p = res.ptr + 1;
            }
            benchmark::DoNotOptimize(back.data());
        }
    }
    state.counters["spectra/s"] =
        benchmark::Counter(kSpectra * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_BareNumberConversion)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
