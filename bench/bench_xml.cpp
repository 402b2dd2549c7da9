// XML round trip of a project's spectra: 10,000 spectra of 401 points written with
// the spectrum key layout, written to a file, read back and walked; next to the bare
// number conversion of the same 8,020,000 values, the floor any text format pays.
//
// BM_XmlWrite / BM_XmlRead time one write (fsync and rename included) and one read of
// that file; BM_BareLibxml2Write / BM_BareLibxml2Read do the same with libxml2 alone
// (xmlTextWriter with the same fsync and rename, xmlReadFile and a walk of the element
// tree) on the identical document layout. The peer bench/peer/lxml_xml.py does it with
// lxml. Counters: s (seconds per run), file_MB (decimal), MB/s (decimal).
#include <xandril/xandril.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
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
    writer.streamToFile(path);
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

// --- One write and one read, ours and libxml2's alone on the same layout -----------------

template <typename Fn>
void timeRuns(benchmark::State& state, const std::string& path, Fn run)
{
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double n = static_cast<double>(state.iterations());
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["s"] = seconds / n;
    state.counters["file_MB"] = megabytes;
    state.counters["MB/s"] = megabytes * n / seconds;
}

void BM_XmlWrite(benchmark::State& state)
{
    const std::string path = tempFile();
    data();
    timeRuns(state, path, [&] { writeSpectra(path); });
    std::filesystem::remove(path);
}
BENCHMARK(BM_XmlWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_XmlRead(benchmark::State& state)
{
    const std::string path = tempFile();
    writeSpectra(path);
    timeRuns(state, path, [&] {
        if (readSpectra(path) != kSpectra)
            std::abort();
    });
    std::filesystem::remove(path);
}
BENCHMARK(BM_XmlRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void bareNumbers(std::string& text, const double* values, int count)
{
    text.clear();
    char buf[32];
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        const auto res = std::to_chars(buf, buf + sizeof buf, values[i]);
        text.append(buf, res.ptr);
    }
}

void bareKey(xmlTextWriterPtr w, const char* tag, const char* key, const std::string& value,
             const char* countText = nullptr)
{
    xmlTextWriterStartElement(w, BAD_CAST tag);
    xmlTextWriterWriteAttribute(w, BAD_CAST "key", BAD_CAST key);
    if (countText)
        xmlTextWriterWriteAttribute(w, BAD_CAST "count", BAD_CAST countText);
    xmlTextWriterWriteString(w, BAD_CAST value.c_str());
    xmlTextWriterEndElement(w);
}

// The writer's layout with xmlTextWriter: temporary file, fsync, rename.
void bareWrite(const std::string& path)
{
    const Data& d = data();
    const std::string tmp = path + ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        std::abort();
    xmlTextWriterPtr w = xmlNewTextWriter(xmlOutputBufferCreateFd(fd, nullptr));
    xmlTextWriterSetIndent(w, 1);
    xmlTextWriterSetIndentString(w, BAD_CAST "  ");
    xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr);
    xmlTextWriterStartElement(w, BAD_CAST "xandril");
    xmlTextWriterWriteAttribute(w, BAD_CAST "version", BAD_CAST "1");
    xmlTextWriterStartElement(w, BAD_CAST "group");
    xmlTextWriterWriteAttribute(w, BAD_CAST "name", BAD_CAST "Spectrums");
    const std::string count = std::to_string(kPoints);
    std::string text;
    for (int s = 0; s < kSpectra; ++s) {
        xmlTextWriterStartElement(w, BAD_CAST "group");
        xmlTextWriterWriteAttribute(w, BAD_CAST "name", BAD_CAST "Spectrum");
        bareKey(w, "string", "SpecName", "Messung:Serie 1:Spektrum " + std::to_string(s));
        bareKey(w, "string", "SpecComment", "");
        xmlTextWriterStartElement(w, BAD_CAST "int");
        xmlTextWriterWriteAttribute(w, BAD_CAST "key", BAD_CAST "SpecColor");
        xmlTextWriterWriteAttribute(w, BAD_CAST "min", BAD_CAST "0");
        xmlTextWriterWriteAttribute(w, BAD_CAST "max", BAD_CAST "16777215");
        xmlTextWriterWriteString(w, BAD_CAST std::to_string(0x00FF8040).c_str());
        xmlTextWriterEndElement(w);
        bareNumbers(text, d.x.data(), kPoints);
        bareKey(w, "doubles", "XVals", text, count.c_str());
        bareNumbers(text, d.y[s].data(), kPoints);
        bareKey(w, "doubles", "YVals", text, count.c_str());
        bareKey(w, "int", "SpecID", std::to_string(10000 + s % 10000));
        xmlTextWriterEndElement(w);
    }
    xmlTextWriterEndDocument(w);
    xmlFreeTextWriter(w);
    if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0)
        std::abort();
}

const char* bareAttribute(const xmlNode* node, const char* name)
{
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next)
        if (std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0 && a->children)
            return reinterpret_cast<const char*>(a->children->content);
    return nullptr;
}

const char* bareText(const xmlNode* node)
{
    return node->children && node->children->content ? reinterpret_cast<const char*>(node->children->content) : "";
}

// Parses the file and walks it as the spectra are read: names as strings, numbers
// converted, arrays into vectors of their count. The number of spectra read whole.
int bareRead(const std::string& path)
{
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_COMPACT);
    if (!doc)
        std::abort();
    int complete = 0;
    std::string name, comment;
    int color = 0, id = 0;
    for (xmlNode* list = xmlDocGetRootElement(doc)->children; list; list = list->next) {
        if (list->type != XML_ELEMENT_NODE)
            continue;
        for (xmlNode* spectrum = list->children; spectrum; spectrum = spectrum->next) {
            if (spectrum->type != XML_ELEMENT_NODE)
                continue;
            std::size_t arrays = 0;
            for (xmlNode* key = spectrum->children; key; key = key->next) {
                if (key->type != XML_ELEMENT_NODE)
                    continue;
                const char* k = bareAttribute(key, "key");
                const char* text = bareText(key);
                const char* end = text + std::strlen(text);
                if (std::strcmp(k, "SpecName") == 0) {
                    name = text;
                } else if (std::strcmp(k, "SpecComment") == 0) {
                    comment = text;
                } else if (std::strcmp(k, "SpecColor") == 0) {
                    std::from_chars(text, end, color);
                } else if (std::strcmp(k, "SpecID") == 0) {
                    std::from_chars(text, end, id);
                } else {
                    std::size_t n = 0;
                    const char* c = bareAttribute(key, "count");
                    std::from_chars(c, c + std::strlen(c), n);
                    std::vector<double> values;
                    values.reserve(n);
                    double v = 0;
                    for (const char* p = text; p < end;) {
                        const auto res = std::from_chars(p, end, v);
                        if (res.ec != std::errc())
                            break;
                        values.push_back(v);
                        p = res.ptr + 1;
                    }
                    benchmark::DoNotOptimize(values.data());
                    arrays += values.size() == n ? 1 : 0;
                }
            }
            complete += arrays == 2 ? 1 : 0;
        }
    }
    benchmark::DoNotOptimize(color + id);
    xmlFreeDoc(doc);
    return complete;
}

void BM_BareLibxml2Write(benchmark::State& state)
{
    const std::string path = tempFile();
    data();
    timeRuns(state, path, [&] { bareWrite(path); });
    std::filesystem::remove(path);
}
BENCHMARK(BM_BareLibxml2Write)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_BareLibxml2Read(benchmark::State& state)
{
    const std::string path = tempFile();
    writeSpectra(path);
    timeRuns(state, path, [&] {
        if (bareRead(path) != kSpectra)
            std::abort();
    });
    std::filesystem::remove(path);
}
BENCHMARK(BM_BareLibxml2Read)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
