#include "load_clip_ascii_module.h"

#include "clipboard_values.h"
#include "messages.h"
#include "module_support.h"
#include "text_layer.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

using namespace loadsave;

namespace {

// A record's first field stands for a value, not a name, when its leading whole number (atoi's
// prefix rule) is not 0: "3", "007", "+3", "-2", "3.0" and "3Probe" are values; "0", "00",
// "0.5" and "A" are names.
bool ReadsAsWholeNumber(std::string_view field)
{
    return parseIntPrefix(field) != 0;
}

// One "name=value" entry of a Meta line.
struct MetaEntry {
    std::string name;
    std::string value;
};

// The entries of a Meta line after its record name. An entry is a blank-separated token with
// "=": its name is the text before the first "=", its value the rest of the token and every
// following token without "=" (blanks kept between them, removed at the end), so values with
// blanks lose nothing. Tokens before the first entry are not read.
std::vector<MetaEntry> MetaEntries(std::string_view text)
{
    std::vector<MetaEntry> entries;
    std::size_t pos = 0;
    const std::size_t n = text.size();
    std::size_t valueStart = std::string_view::npos;
    const auto closeEntry = [&](std::size_t end) {
        if (valueStart == std::string_view::npos)
            return;
        std::string_view value = text.substr(valueStart, end - valueStart);
        const std::size_t last = value.find_last_not_of(' ');
        value = last == std::string_view::npos ? std::string_view() : value.substr(0, last + 1);
        entries.back().value = decodeName(value);
    };
    while (pos < n) {
        while (pos < n && text[pos] == ' ')
            ++pos;
        if (pos == n)
            break;
        std::size_t end = text.find(' ', pos);
        if (end == std::string_view::npos)
            end = n;
        const std::string_view token = text.substr(pos, end - pos);
        const std::size_t equals = token.find('=');
        if (equals != std::string_view::npos) {
            closeEntry(pos);
            entries.push_back({decodeName(token.substr(0, equals)), {}});
            valueStart = pos + equals + 1;
        }
        pos = end;
    }
    closeEntry(n);
    return entries;
}

// A Meta value becomes a number only when its whole text is one; 0 stays text. Without "." or
// "," it is an int when it is a whole number in int range; other numbers are doubles.
void AddMetaParameter(ns_param::Paramora& parameters, const MetaEntry& entry, char mark)
{
    const std::optional<double> number = parseWholeDouble(entry.value, mark);
    if (!number || *number == 0) {
        parameters.addStringParameter(entry.name, "", entry.value, "");
        return;
    }
    const double v = *number;
    if (!holdsDecimalMark(entry.value) && v == std::trunc(v) && v >= INT_MIN && v <= INT_MAX) {
        parameters.addIntParameter(entry.name, "", static_cast<int>(v), INT_MIN, INT_MAX, 0);
        return;
    }
    parameters.addDoubleParameter(entry.name, "", v, -DBL_MAX, DBL_MAX, 0);
}

} // namespace

LoadClipASCIIModule::LoadClipASCIIModule()
    : LoadModuleBase("ClipASCII")
{
}

LoadClipASCIIModule::~LoadClipASCIIModule() = default;

void LoadClipASCIIModule::GetFileDescription(std::string& extensions, std::string& description,
                                             bool* separatorUsed, bool* baseNameUsed, bool* namesFromFileOffered)
{
    extensions = "*.txt, *.csv, *.*";
    description = "Clipboard-Daten aus ASCII-Text-Datei\r\n"
                  "\r\n"
                  "Syntax:\r\n"
                  "numerischer Clipboard-Datenblock aus n Datensätzen mit jeweils k numerischen Dateneinträgen, "
                  "zeilenweise\r\n"
                  "<Name n><Trennzeichen><Wert 1><Trennzeichen>...<Wert k>\r\n"
                  "ODER\r\n"
                  "Clipboard-Metadatenblock aus n Datensätzen mit jeweils k numerischen und nicht numerischen "
                  "Dateneinträgen \r\n"
                  "Initialzeile: Meta-Parametervektor(en) aus Gruppe \"<optionaler Gruppename>\" + zeilenweise\r\n"
                  "<Name n>:<Leerzeichen><Variablenname 1>=<Wert 1> ...<Leerzeichen><Variablenname k>=<Wert k>\r\n"
                  "\r\n";
    if (separatorUsed)
        *separatorUsed = true;
    if (baseNameUsed)
        *baseNameUsed = true;
    if (namesFromFileOffered)
        *namesFromFileOffered = false;
}

bool LoadClipASCIIModule::LoadFile(const std::string& fileName, const std::string&)
{
    // A refused separator is reported before the file is opened.
    if (!TextSeparator())
        return false;
    const std::optional<platform::FileBytes> bytes = ReadText(fileName);
    return bytes && LoadText(bytes->View(), fileName);
}

bool LoadClipASCIIModule::LoadText(std::string_view text, const std::string& fileName)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host || !host->GetClipboardTree())
        return false;

    const std::optional<std::string> cleaned = TextSeparator();
    if (!cleaned)
        return false;
    const std::string& separator = *cleaned;
    std::string baseName(trimBlanks(StringParameter(*this, "ObjBaseName")));
    std::erase(baseName, ' ');
    std::string group = TargetGroup(fileName);

    // Generated names count on across the file, whatever kind of line asked for them.
    int generated = 0;
    const auto nameFor = [&](std::string_view name, bool generate) {
        std::string path;
        if (!generate && baseName.empty())
            path = objectPath(group, decodeName(trimBlanks(name)));
        if (path.empty())
            path = objectPath(group, generatedName(baseName.empty() ? "ClpObj" : baseName, generated++));
        return path;
    };

    LineReader lines(text);
    std::string_view line;
    lines.Next(line);
    const bool meta = line.find("Meta") != std::string_view::npos;
    const bool whitespace = isWhitespaceSeparator(separator);

    if (!meta && !whitespace) {
        // Separated numeric layout; the first line decides the decimal mark and whether the
        // lines carry names. Every value is read as a decimal, also when the first line holds
        // whole numbers only, so that the decimals of later lines are kept.
        const SeparatorSet separators(separator);
        const std::size_t first = separators.Find(line);
        if (first == std::string_view::npos) {
            LogError(*this, msg::kSeparatorNotUsedClipboard);
            return false;
        }
        const char mark = decimalMarkOf(line);
        const bool named = !ReadsAsWholeNumber(line.substr(0, first));
        do {
            std::string_view values = line;
            std::string_view name;
            if (named) {
                const std::size_t end = separators.Find(line);
                name = line.substr(0, end);
                values = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
            }
            ClipboardValues record;
            forEachField(values, separators, false, [&](std::string_view field) {
                record.Add(parseDoublePrefix(field, mark));
                return true;
            });
            InsertClipboardRecord(nameFor(name, !named), record);
        } while (lines.NextNonBlank(line, true));
        return true;
    }

    // Blank-separated numeric and Meta layouts: a first line with a double quote names the group.
    if (const std::size_t open = line.find('"'); open != std::string_view::npos) {
        const std::size_t close = line.rfind('"');
        group = decodeName(close > open ? line.substr(open + 1, close - open - 1) : std::string_view());
        // A Meta header alone is an empty block; a numeric one lacks its first record.
        if (!lines.NextNonBlank(line, false))
            return meta;
    }
    bool firstRecord = true;
    do {
        const std::size_t blank = line.find(' ');
        if (!meta && firstRecord && blank == std::string_view::npos)
            return false;
        firstRecord = false;
        std::string_view name = line.substr(0, blank);
        const std::string_view rest = blank == std::string_view::npos ? std::string_view() : line.substr(blank);
        const char mark = decimalMarkOf(line);
        if (meta) {
            if (!name.empty() && name.back() == ':')
                name.remove_suffix(1);
            auto object = std::make_unique<ClipboardObject>();
            object->SetName(nameFor(name, ReadsAsWholeNumber(name)));
            // Added from the last entry to the first, so the first of two equal names wins.
            const std::vector<MetaEntry> entries = MetaEntries(rest);
            for (auto it = entries.rbegin(); it != entries.rend(); ++it)
                AddMetaParameter(object->GetParameters(), *it, mark);
            InsertClipboardObject(object.release());
            continue;
        }
        // Each blank-separated line decides by itself. A first field that is a number as a
        // whole is a value also when its whole number is 0 ("0.125", "0"): the compact form
        // without names writes such lines, and they read back with every value.
        const bool nameIsValue = ReadsAsWholeNumber(name) || parseWholeDouble(name, mark).has_value();
        const std::string path = nameFor(name, nameIsValue);
        const auto record = ClipboardValues::FromBlankSeparated(
            nameIsValue ? line : rest, [&](std::string_view field) { return parseDoublePrefix(field, mark); });
        if (!record.Empty())
            InsertClipboardRecord(path, record);
    } while (lines.NextNonBlank(line, false));
    return true;
}
