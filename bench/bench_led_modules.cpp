// The LED modules' work users wait for:
// - spectra generation: 200 LED records (100 Gaussian, 100 PanShenFeng) sampled from 380 to
//   780 nm in steps of 1 nm and filed into a fresh spectrum tree (counter spectra/s; the
//   Gaussian-only run is the one bench/peer/led_spectra_numpy.py compares with);
// - continuous fitting of three LEDs to one target;
// - a project's LED list of 2,000 records with 12 keys saved and reopened through the data
//   edit module's hooks, beside libxml2 alone writing and reading the same texts.
#include "qt_bench_main.h"

#include "modules/led_continuous_fitting_module.h"
#include "modules/led_data_edit_module.h"
#include "modules/led_specs_create_module.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

class BenchHost : public ModuleInterface {
public:
    SpectrumTree* GetSpectrumTree() override { return &spectra; }
    ClipboardTree* GetClipboardTree() override { return &clipboard; }
    SpectrumTree spectra;
    ClipboardTree clipboard;
};

std::string TempPath(const char* stem)
{
    return (std::filesystem::temp_directory_path() / (std::string(stem) + "_" + std::to_string(getpid()))).string();
}

// Records LED000 .. spread over 400 to 700 nm; gaussians of them Gaussian, the rest PanShenFeng.
void FillClipboard(BenchHost& host, int count, int gaussians)
{
    for (int i = 0; i < count; ++i) {
        auto* o = new ClipboardObject;
        char name[32];
        std::snprintf(name, sizeof name, "In:LED%03d", i);
        o->SetName(name);
        ns_param::Paramora& p = o->GetParameters();
        p.addStringParameter("Name", "", name + 3, "");
        p.addStringParameter("PeakWavelength", "", std::to_string(0.4 + 0.3 * i / count), "");
        p.addStringParameter("FWHM", "", "0.025", "");
        p.addStringParameter("SpectralModel", "", i < gaussians ? "GaussianLEDModel" : "PanShenFengLEDModel", "");
        host.clipboard.AddInserter(o);
    }
}

void RunSpectra(benchmark::State& state, int count, int gaussians)
{
    BenchHost host;
    FillClipboard(host, count, gaussians);
    LEDSpecsCreateModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("LEDsDesc", "In");
    p.setStringParameter("SpecGroup", "Out");
    p.setDoubleParameter("XStart", 380);
    p.setDoubleParameter("XEnd", 780);
    p.setDoubleParameter("XStep", 1);
    for (auto _ : state) {
        state.PauseTiming();
        host.spectra.DeleteInserters("Out");
        state.ResumeTiming();
        if (!module.create_specs() || host.spectra.GetInserters().size() != static_cast<std::size_t>(count))
            std::abort();
    }
    state.counters["spectra/s"] = benchmark::Counter(static_cast<double>(count) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
}

void BM_SpectraGeneration(benchmark::State& state)
{
    RunSpectra(state, 200, 100);
}
BENCHMARK(BM_SpectraGeneration)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GaussianSpectra(benchmark::State& state)
{
    RunSpectra(state, 100, 100);
}
BENCHMARK(BM_GaussianSpectra)->Unit(benchmark::kMillisecond)->UseRealTime();

// Continuous fitting of three Gaussian LEDs (peaks and widths) to one target of 401 points.
void BM_ContinuousFitting(benchmark::State& state)
{
    BenchHost host;
    auto* target = new Spectrum;
    target->SetName("Ziel");
    for (int i = 0; i <= 400; ++i) {
        const double x = 380 + i;
        auto g = [x](double peak, double fwhm) {
            const double u = (x / 1000 - peak) / (fwhm / 2);
            return std::exp(-std::log(2.0) * u * u);
        };
        target->AddPoint(SPoint(x, 0.8 * g(0.45, 0.02) + 0.6 * g(0.53, 0.03) + 0.9 * g(0.63, 0.018)));
    }
    host.spectra.AddInserter(target);
    const char* leds[][3] = {{"a", "0.455", "0.025"}, {"b", "0.52", "0.025"}, {"c", "0.64", "0.025"}};
    for (const auto& led : leds) {
        auto* o = new ClipboardObject;
        o->SetName(std::string("In:") + led[0]);
        ns_param::Paramora& p = o->GetParameters();
        p.addStringParameter("Name", "", led[0], "");
        p.addStringParameter("PeakWavelength", "", led[1], "");
        p.addStringParameter("FWHM", "", led[2], "");
        p.addStringParameter("SpectralModel", "", "GaussianLEDModel", "");
        host.clipboard.AddInserter(o);
    }
    LEDContinuousFittingModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("LEDsDesc", "In");
    p.setStringParameter("SpecDesc", "Ziel");
    p.setStringParameter("LEDModelName", "");
    p.setStringParameter("ClipboardTargetGroup", "Fit");
    for (auto _ : state)
        if (!module.calculate_fitting())
            std::abort();
    state.counters["iterations"] = module.GetIterationCount();
}
BENCHMARK(BM_ContinuousFitting)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- A project's LED list ------------------------------------------------------------------

constexpr int kRecords = 2000;
constexpr int kKeys = 12;

std::string Key(int k)
{
    return "Key" + std::to_string(k);
}

std::string Value(int i, int k)
{
    return std::to_string(0.001 * i + k);
}

void FillList(LEDDataEditModule& module)
{
    for (int i = 0; i < kRecords; ++i) {
        ParamContainer r;
        for (int k = 0; k < kKeys; ++k)
            r.AddKeyValue(Key(k), Value(i, k));
        module.GetLEDList().AddEntry(r);
    }
}

void BM_ProjectListSaveAndOpen(benchmark::State& state)
{
    LEDDataEditModule module;
    FillList(module);
    const std::string path = TempPath("bench_led_list") + ".xml";
    for (auto _ : state) {
        ns_xandril::XMLWriteModul writer;
        module.addToXML(writer);
        if (!writer.writeToFile(path))
            std::abort();
        LEDDataEditModule reopened;
        ns_xandril::XMLReadModul reader;
        reader.readFromFile(path);
        reopened.updateFromXML(reader);
        if (reopened.GetLEDList().EntryCount() != kRecords)
            std::abort();
    }
    state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
    std::filesystem::remove(path);
}
// A few seconds each: the first passes pay the heap's growth.
BENCHMARK(BM_ProjectListSaveAndOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The same groups, keys and texts with libxml2 alone: write, parse, walk every pair into
// records.
void BM_BareLibxml2List(benchmark::State& state)
{
    const std::string path = TempPath("bench_led_bare") + ".xml";
    for (auto _ : state) {
        xmlTextWriterPtr writer = xmlNewTextWriterFilename(path.c_str(), 0);
        if (!writer)
            std::abort();
        xmlTextWriterStartDocument(writer, nullptr, "UTF-8", nullptr);
        xmlTextWriterStartElement(writer, BAD_CAST "group");
        xmlTextWriterWriteAttribute(writer, BAD_CAST "name", BAD_CAST "LEDList");
        for (int i = 0; i < kRecords; ++i) {
            xmlTextWriterStartElement(writer, BAD_CAST "group");
            xmlTextWriterWriteAttribute(writer, BAD_CAST "name", BAD_CAST "LED");
            for (int k = 0; k < kKeys; ++k) {
                xmlTextWriterStartElement(writer, BAD_CAST "group");
                xmlTextWriterWriteAttribute(writer, BAD_CAST "name", BAD_CAST "Param");
                xmlTextWriterStartElement(writer, BAD_CAST "string");
                xmlTextWriterWriteAttribute(writer, BAD_CAST "key", BAD_CAST "ParamName");
                xmlTextWriterWriteAttribute(writer, BAD_CAST "comment", BAD_CAST "");
                xmlTextWriterWriteString(writer, BAD_CAST Key(k).c_str());
                xmlTextWriterEndElement(writer);
                xmlTextWriterStartElement(writer, BAD_CAST "string");
                xmlTextWriterWriteAttribute(writer, BAD_CAST "key", BAD_CAST "ParamValue");
                xmlTextWriterWriteAttribute(writer, BAD_CAST "comment", BAD_CAST "");
                xmlTextWriterWriteString(writer, BAD_CAST Value(i, k).c_str());
                xmlTextWriterEndElement(writer);
                xmlTextWriterEndElement(writer);
            }
            xmlTextWriterEndElement(writer);
        }
        xmlTextWriterEndDocument(writer);
        xmlFreeTextWriter(writer);

        xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_HUGE | XML_PARSE_NONET);
        if (!doc)
            std::abort();
        int records = 0;
        for (xmlNodePtr led = xmlDocGetRootElement(doc)->children; led; led = led->next) {
            if (led->type != XML_ELEMENT_NODE)
                continue;
            ParamContainer r;
            for (xmlNodePtr param = led->children; param; param = param->next) {
                std::string key, value;
                for (xmlNodePtr s = param->children; s; s = s->next) {
                    if (s->type != XML_ELEMENT_NODE)
                        continue;
                    xmlChar* text = xmlNodeGetContent(s);
                    xmlChar* which = xmlGetProp(s, BAD_CAST "key");
                    (std::strcmp(reinterpret_cast<char*>(which), "ParamName") == 0 ? key : value) =
                        reinterpret_cast<char*>(text);
                    xmlFree(which);
                    xmlFree(text);
                }
                r.AddValue({key, value});
            }
            ++records;
        }
        xmlFreeDoc(doc);
        if (records != kRecords)
            std::abort();
    }
    state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_BareLibxml2List)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithApplication(argc, argv);
}
