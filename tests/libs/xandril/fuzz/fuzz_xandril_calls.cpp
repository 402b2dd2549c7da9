// Fuzz target of Xandril's reader driven by a sequence of calls. The input: one byte n, then n
// call bytes, then the document. Each call byte picks a reader call and the name or key it
// takes. Checked: the reader's group depth follows the calls that succeeded, failed reads leave
// their outputs as the interface promises, both array overloads agree, and every text read
// comes back unchanged through the writer.
#include <xandril/xandril.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ns_xandril::XMLReadModul;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "xandril calls fuzz: %s\n", what);
        std::abort();
    }
}

const char* const kNames[] = {"G", "Spectrum", "Parameter", "", "a", "k", "Name", "Value", "XVals", "\xC3\x84"};

bool SameBits(const std::vector<double>& a, const double* b, int count)
{
    return a.size() == static_cast<std::size_t>(count) &&
           (count == 0 || std::memcmp(a.data(), b, a.size() * sizeof(double)) == 0);
}

// Writes the texts as values of one group and reads them back: each must come back unchanged.
void CheckRoundTrip(const std::vector<std::string>& texts)
{
    if (texts.empty())
        return;
    static const std::string path = "/tmp/fuzz_xandril_calls_" + std::to_string(::getpid()) + ".xml";
    ns_xandril::XMLWriteModul writer;
    writer.enterGroup("T");
    for (std::size_t i = 0; i < texts.size(); ++i)
        writer.writeString(std::to_string(i), texts[i], texts[i]);
    Check(writer.writeToFile(path), "the texts could not be written");
    XMLReadModul reader;
    reader.readFromFile(path);
    ::unlink(path.c_str());
    Check(reader.enterGroup("T"), "the written group is missing");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string comment, value;
        Check(reader.readString(std::to_string(i), comment, value), "a written text is missing");
        Check(value == texts[i] && comment == texts[i], "a text changed on its way through the writer");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t calls = size == 0 ? 0 : std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* program = data + 1;
    const std::string_view document(reinterpret_cast<const char*>(data) + 1 + calls, size == 0 ? 0 : size - 1 - calls);

    XMLReadModul reader;
    try {
        reader.readFromMemory(document, "fuzz.xml");
    } catch (const ns_xandril::XMLException&) {
        return 0;
    }

    int depth = 0;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < calls; ++i) {
        const std::uint8_t op = program[i];
        const std::string name = kNames[(op >> 4) % (sizeof kNames / sizeof kNames[0])];
        std::string comment = "x", text = "x";
        int value = 7, min = 8, max = 9;
        double number = 0.5;
        switch (op % 11) {
        case 0: depth += reader.enterGroup(name); break;
        case 1: depth += reader.enterFirstGroup(name); break;
        case 2: depth += reader.enterNextGroup(); break;
        case 3: depth += reader.enterUnclaimedGroup(name); break;
        case 4: {
            const bool left = reader.leaveGroup();
            Check(left == (depth > 0), "leaveGroup does not follow the groups entered");
            depth -= left;
            break;
        }
        case 5:
            if (reader.readString(name, comment, text)) {
                texts.push_back(text);
                texts.push_back(comment);
            } else {
                Check(comment == "x" && text == "x", "a failed readString changed its outputs");
            }
            break;
        case 6:
            if (!reader.readInt(name, comment, value, min, max))
                Check(comment == "x" && value == 7 && min == 8 && max == 9, "a failed readInt changed its outputs");
            break;
        case 7:
            if (!reader.readInt(name, comment, value))
                Check(comment == "x" && value == 7, "a failed readInt changed its outputs");
            break;
        case 8:
            if (!reader.readDouble(name, comment, number))
                Check(comment == "x" && number == 0.5, "a failed readDouble changed its outputs");
            break;
        case 9:
        case 10: {
            std::vector<double> values{1.0};
            const bool asVector = reader.read1DDoubleArray(name, comment, values);
            double* raw = nullptr;
            int count = -1;
            std::string rawComment;
            const bool asPointer = reader.read1DDoubleArray(name, rawComment, raw, count);
            Check(asVector == asPointer, "the array overloads disagree");
            if (asPointer)
                Check(SameBits(values, raw, count), "the array overloads read different values");
            else
                Check(raw == nullptr && count == 0 && values.size() == 1, "a failed array read changed its outputs");
            delete[] raw;
            break;
        }
        }
    }
    CheckRoundTrip(texts);
    return 0;
}
