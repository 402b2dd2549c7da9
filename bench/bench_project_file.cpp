// Saving and opening a project of 10,000 spectra x 401 points (x 380..780 nm, random y) in
// nested groups, 100 clipboard objects with arrays and the test plug-in's modules: the save,
// the load at document level (no window) and the load with the main window and its panes
// attached (offscreen). Beside them, a bare libxml2 write and read of the same values, the
// floor any XML file of these numbers pays.
//
// Counters: file_MB, s (seconds per run), MB/s (decimal) and peak_MB (the process's peak resident
// size so far); op_peak_MB is the peak resident size one operation (the first run) added to what
// the process held before it (the kernel's high-water mark is reset first), and op_peak_per_file
// that figure over the file size.
//
// BM_OpenProjectScaling opens projects of 1x, 4x and 16x size (1,000 to 16,000 spectra) at
// document level: us_per_spectrum should stay flat. BM_RefuseZeroFile opens a sparse file of
// 2 GiB - 1 zero bytes, which is refused as damaged.
#include "qt_bench_main.h"

#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/clipboard_object.h"
#include "core/spectrum.h"
#include "platform/prompter.h"
#include "ui/main_frame.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSpectra = 10'000;
constexpr int kPoints = 401;
constexpr int kObjects = 100;

struct Values {
    std::vector<double> x;
    std::vector<std::vector<double>> y;
};

const Values& TheValues()
{
    static const Values values = [] {
        Values v;
        for (int i = 0; i < kPoints; ++i)
            v.x.push_back(380.0 + i);
        std::mt19937_64 generator(20240611);
        std::uniform_real_distribution<double> random(0.0, 2.0);
        v.y.resize(kSpectra);
        for (auto& ys : v.y)
            for (int i = 0; i < kPoints; ++i)
                ys.push_back(random(generator));
        return v;
    }();
    return values;
}

std::string SpectrumPath(int i)
{
    return "Messreihe " + std::to_string(i % 10) + ":Serie " + std::to_string(i / 10 % 10) + ":Probe " +
           std::to_string(i);
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string(name) + "_" + std::to_string(::getpid())))
        .string();
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A figure of /proc/self/status ("VmRSS", "VmHWM", given in KiB) in decimal MB.
double StatusMegabytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) * 1024.0 / 1e6;
    return 0;
}

// The peak resident size one operation adds to what the process holds before it.
class OperationPeak {
public:
    OperationPeak()
    {
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the high-water mark
        m_before = StatusMegabytes("VmRSS");
    }
    double Megabytes() const { return StatusMegabytes("VmHWM") - m_before; }

private:
    double m_before = 0;
};

void ReportOperationPeak(benchmark::State& state, const std::string& path, double peak)
{
    state.counters["op_peak_MB"] = peak;
    state.counters["op_peak_per_file"] = peak * 1e6 / static_cast<double>(std::filesystem::file_size(path));
}

void Report(benchmark::State& state, const std::string& path, double seconds)
{
    const double runs = static_cast<double>(state.iterations());
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["file_MB"] = megabytes;
    state.counters["s"] = seconds / runs;
    state.counters["MB/s"] = megabytes * runs / seconds;
    state.counters["peak_MB"] = PeakMegabytes();
}

// The test plug-in's modules, when the build has them.
const std::vector<ModuleLibrary>& Libraries()
{
#ifdef BENCH_MODULE_PLUGIN
    static const std::vector<ModuleLibrary> libraries =
        LoadModuleLibraries(QFileInfo(QStringLiteral(BENCH_MODULE_PLUGIN)).absolutePath(), nullptr, 0);
#else
    static const std::vector<ModuleLibrary> libraries;
#endif
    return libraries;
}

void FillProject(CVelmontDoc& doc, int spectra = kSpectra)
{
    doc.SetModuleLibraries(&Libraries());
    doc.OnNewDocument();
    const Values& v = TheValues();
    for (int i = 0; i < spectra; ++i) {
        auto* spectrum = new Spectrum;
        spectrum->SetName(SpectrumPath(i));
        spectrum->SetColor(static_cast<COLORREF>(i * 2654435761u) & 0xFFFFFF);
        for (int k = 0; k < kPoints; ++k)
            spectrum->AddPoint(SPoint(v.x[k], v.y[i % kSpectra][k]));
        if (!doc.GetSpectrumTree()->AddInserter(spectrum))
            std::abort();
    }
    for (int i = 0; i < kObjects; ++i) {
        auto* object = new ClipboardObject;
        object->SetName("Ergebnisse:Gruppe " + std::to_string(i % 7) + ":Objekt " + std::to_string(i));
        object->GetParameters().addDouble1DArrayParameter("Werte", "", kPoints, v.y[i].data(), 0.0);
        object->GetParameters().addStringParameter("Einheit", "", "W/(sr·m²·nm)", "");
        if (!doc.GetClipboardTree()->AddInserter(object))
            std::abort();
    }
}

// The project file, saved once per process.
const std::string& ProjectFile()
{
    static const std::string path = [] {
        const std::string file = TempPath("bench_project") + ".pxml";
        CVelmontDoc doc;
        FillProject(doc);
        if (!doc.OnSaveDocument(QString::fromStdString(file)))
            std::abort();
        return file;
    }();
    return path;
}

void BM_SaveProject(benchmark::State& state)
{
    CVelmontDoc doc;
    FillProject(doc);
    const std::string path = TempPath("bench_project_save") + ".pxml";
    double seconds = 0;
    double peak = -1;
    for (auto _ : state) {
        const OperationPeak operation;
        const auto start = std::chrono::steady_clock::now();
        if (!doc.OnSaveDocument(QString::fromStdString(path)))
            std::abort();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (peak < 0)
            peak = operation.Megabytes();
    }
    Report(state, path, seconds);
    ReportOperationPeak(state, path, peak);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void LoadProject(benchmark::State& state, CVelmontDoc& doc, const std::string& path = ProjectFile(),
                 std::size_t spectra = kSpectra)
{
    doc.SetModuleLibraries(&Libraries());
    double seconds = 0;
    double peak = -1;
    for (auto _ : state) {
        const OperationPeak operation;
        const auto start = std::chrono::steady_clock::now();
        if (!doc.OpenDocumentFile(QString::fromStdString(path)) ||
            doc.GetSpectrumTree()->GetInserters().size() != spectra)
            std::abort();
        QCoreApplication::processEvents();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (peak < 0)
            peak = operation.Megabytes();
    }
    Report(state, path, seconds);
    ReportOperationPeak(state, path, peak);
}

void BM_LoadProjectDocument(benchmark::State& state)
{
    CVelmontDoc doc;
    LoadProject(state, doc);
}
BENCHMARK(BM_LoadProjectDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LoadProjectWithWindow(benchmark::State& state)
{
    CMainFrame frame;
    CVelmontDoc doc;
    frame.BuildLayout();
    frame.resize(1200, 900);
    frame.show();
    QCoreApplication::processEvents();
    doc.SetMainFrame(&frame);
    // The panes attach to the trees at the initial update of a new project: every spectrum
    // loaded reaches the spectrum pane.
    doc.SetModuleLibraries(&Libraries());
    doc.OnFileNew();
    QCoreApplication::processEvents();
    LoadProject(state, doc);
    doc.SetMainFrame(nullptr);
}
BENCHMARK(BM_LoadProjectWithWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Projects of 1x, 4x and 16x size, opened at document level.
void BM_OpenProjectScaling(benchmark::State& state)
{
    const int spectra = static_cast<int>(state.range(0));
    const std::string path = TempPath("bench_project_scaling") + ".pxml";
    {
        CVelmontDoc doc;
        FillProject(doc, spectra);
        if (!doc.OnSaveDocument(QString::fromStdString(path)))
            std::abort();
    }
    // One open before the timed ones takes the costs paid once per process (first parse, first
    // touch of fresh memory) out of the per-spectrum time; the peak is that first open's.
    double peak = 0;
    {
        CVelmontDoc doc;
        doc.SetModuleLibraries(&Libraries());
        const OperationPeak operation;
        if (!doc.OpenDocumentFile(QString::fromStdString(path)))
            std::abort();
        peak = operation.Megabytes();
    }
    {
        CVelmontDoc doc;
        LoadProject(state, doc, path, static_cast<std::size_t>(spectra));
    }
    ReportOperationPeak(state, path, peak);
    state.counters["us_per_spectrum"] = state.counters["s"] * 1e6 / spectra;
    std::filesystem::remove(path);
}
BENCHMARK(BM_OpenProjectScaling)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(3);

// A file of 2 GiB - 1 zero bytes (sparse, nothing on disk) is refused as damaged.
void BM_RefuseZeroFile(benchmark::State& state)
{
    const std::string path = TempPath("bench_zero") + ".pxml";
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    if (::truncate(path.c_str(), INT_MAX) != 0)
        std::abort();
    // The damaged-file message is answered at once instead of shown.
    class AnsweringPrompter : public platform::Prompter {
    public:
        platform::PromptAnswer Prompt(QWidget*, const QString&, const QString&, platform::PromptIcon,
                                      platform::PromptButtons) override
        {
            return platform::PromptAnswer::Ok;
        }
    } prompter;
    platform::Prompter* const previous = platform::SetPrompter(&prompter);
    CVelmontDoc doc;
    doc.SetModuleLibraries(&Libraries());
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        doc.OpenDocumentFile(QString::fromStdString(path));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["s"] = seconds / static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(INT_MAX) / 1e6;
    platform::SetPrompter(previous);
    std::filesystem::remove(path);
}
BENCHMARK(BM_RefuseZeroFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// --- The same values with libxml2 alone ------------------------------------------------------

void AppendNumbers(std::string& text, const std::vector<double>& values)
{
    text.clear();
    char buffer[32];
    for (double value : values) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.append(buffer, result.ptr);
        text += ' ';
    }
}

// Written as the project is: temporary file, fsync, rename.
void BareWrite(const std::string& path)
{
    const Values& v = TheValues();
    const std::string tmp = path + ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        std::abort();
    xmlTextWriterPtr writer = xmlNewTextWriter(xmlOutputBufferCreateFd(fd, nullptr));
    if (!writer)
        std::abort();
    xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr);
    xmlTextWriterStartElement(writer, BAD_CAST "spectra");
    std::string text;
    for (int i = 0; i < kSpectra; ++i) {
        xmlTextWriterStartElement(writer, BAD_CAST "spectrum");
        xmlTextWriterWriteAttribute(writer, BAD_CAST "name", BAD_CAST SpectrumPath(i).c_str());
        AppendNumbers(text, v.x);
        xmlTextWriterWriteElement(writer, BAD_CAST "x", BAD_CAST text.c_str());
        AppendNumbers(text, v.y[i]);
        xmlTextWriterWriteElement(writer, BAD_CAST "y", BAD_CAST text.c_str());
        xmlTextWriterEndElement(writer);
    }
    xmlTextWriterEndDocument(writer);
    xmlFreeTextWriter(writer);
    if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0)
        std::abort();
}

// Parses the file and every number in it; the count of numbers.
std::size_t BareRead(const std::string& path)
{
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_HUGE | XML_PARSE_NONET);
    if (!doc)
        std::abort();
    std::size_t count = 0;
    std::vector<double> values;
    for (xmlNodePtr spectrum = xmlDocGetRootElement(doc)->children; spectrum; spectrum = spectrum->next) {
        for (xmlNodePtr array = spectrum->children; array; array = array->next) {
            if (array->type != XML_ELEMENT_NODE || !array->children)
                continue;
            const char* text = reinterpret_cast<const char*>(array->children->content);
            const char* end = text + std::strlen(text);
            values.clear();
            double value = 0;
            for (const char* p = text; p < end;) {
                const auto result = std::from_chars(p, end, value);
                if (result.ec != std::errc())
                    break;
                values.push_back(value);
                p = result.ptr + 1;
            }
            count += values.size();
        }
    }
    xmlFreeDoc(doc);
    return count;
}

void BM_BareLibxml2Write(benchmark::State& state)
{
    TheValues();
    const std::string path = TempPath("bench_bare") + ".xml";
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        BareWrite(path);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, path, seconds);
    std::filesystem::remove(path);
}
BENCHMARK(BM_BareLibxml2Write)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_BareLibxml2Read(benchmark::State& state)
{
    const std::string path = TempPath("bench_bare_read") + ".xml";
    BareWrite(path);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (BareRead(path) != static_cast<std::size_t>(2 * kSpectra * kPoints))
            std::abort();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, path, seconds);
    std::filesystem::remove(path);
}
BENCHMARK(BM_BareLibxml2Read)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    const int result = RunBenchmarksWithApplication(argc, argv);
    std::error_code ignored;
    std::filesystem::remove(TempPath("bench_project") + ".pxml", ignored);
    return result;
}
