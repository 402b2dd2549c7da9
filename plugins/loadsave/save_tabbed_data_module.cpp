#include "save_tabbed_data_module.h"

#include "messages.h"
#include "module_support.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include <QLocale>

#include <cstdio>
#include <vector>

using namespace loadsave;

namespace {

// The mark the numbers get: the user's, or the other one when the separator holds it.
char NumberMark(char userMark, const std::string& fieldSeparator)
{
    if (fieldSeparator.find(userMark) == std::string::npos)
        return userMark;
    return userMark == ',' ? '.' : ',';
}

// "%16.8f" in the C locale, its "." then turned into mark.
void AppendFixed(std::string& out, double value, char mark)
{
    char buffer[400]; // the largest double takes 318 characters
    const int n = std::snprintf(buffer, sizeof buffer, "%16.8f", value);
    if (n <= 0)
        return;
    const std::size_t length = std::min(static_cast<std::size_t>(n), sizeof buffer - 1);
    for (std::size_t i = 0; i < length; ++i) {
        if (buffer[i] == '.')
            buffer[i] = mark;
    }
    out.append(buffer, length);
}

std::string LastLevel(const std::string& name)
{
    const std::size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// A value text in the compact form: its blank-separated pieces joined by the separator and a
// blank (the piece after the last blank only when there is one); unchanged without separator.
void AppendCompactValue(std::string& out, const std::string& text, const std::string& separator)
{
    if (separator.empty()) {
        out += text;
        return;
    }
    std::size_t pos = 0;
    for (bool first = true;; first = false) {
        const std::size_t blank = text.find(' ', pos);
        const std::string piece = text.substr(pos, blank == std::string::npos ? blank : blank - pos);
        if (blank == std::string::npos && piece.empty() && !first)
            return;
        if (!first)
            out += separator + " ";
        out += piece;
        if (blank == std::string::npos)
            return;
        pos = blank + 1;
    }
}

// The parameters a compact line holds: every one after the first, once; a second one whose
// name holds "Parametervektor(en)" is passed over unless it is the last.
std::vector<const ns_param::BaseParameterType*> CompactParameters(const ns_param::Paramora& parameters)
{
    std::vector<const ns_param::BaseParameterType*> all;
    for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it)
        all.push_back(it->second.get());
    std::vector<const ns_param::BaseParameterType*> written;
    for (std::size_t i = 1; i < all.size(); ++i) {
        if (i == 1 && i + 1 < all.size() && all[i]->getName().find("Parametervektor(en)") != std::string::npos)
            continue;
        written.push_back(all[i]);
    }
    return written;
}

} // namespace

namespace loadsave {

std::string WithTxtExtension(const std::string& path)
{
    return path.find('.') == std::string::npos ? path + ".txt" : path;
}

std::string SpectraText(const SpectrumList& spectra, const std::string& separator, bool saveNames, char mark)
{
    std::string out;
    if (spectra.empty())
        return out;
    const bool tabMode = separator.empty() || separator == " ";
    const std::string field = tabMode ? "\t " : separator;
    const char numberMark = NumberMark(mark, field);
    if (saveNames) {
        out += tabMode ? "\t " : separator;
        for (const Spectrum* spectrum : spectra)
            out += LastLevel(spectrum->GetName()) + (tabMode ? "\t" : separator + " ");
        out += "\r\n";
    }
    const int count = spectra.front()->GetPointCount();
    for (int i = 0; i < count; ++i) {
        AppendFixed(out, (*spectra.front())[i].x, numberMark);
        for (const Spectrum* spectrum : spectra) {
            out += field;
            AppendFixed(out, (*spectrum)[i].y, numberMark);
        }
        out += "\r\n";
    }
    return out;
}

std::string ClipboardText(const std::list<ClipboardObject*>& objects, const std::string& separator, bool compact,
                          bool noNames, char mark)
{
    std::string out;
    if (objects.empty())
        return out;
    if (compact) {
        const char numberMark = NumberMark(mark, separator);
        for (const ClipboardObject* object : objects) {
            if (!noNames)
                out += LastLevel(object->GetName()) + separator + " ";
            bool first = true;
            for (const ns_param::BaseParameterType* parameter : CompactParameters(object->GetParameters())) {
                if (!first && !separator.empty())
                    out += separator + " ";
                else if (!first && !out.empty() && out.back() != ' ')
                    out += ' ';
                first = false;
                AppendCompactValue(out, parameter->getValueText(numberMark), separator);
            }
            out += " \r\n";
        }
        return out;
    }

    // Plain form: a header naming the first object's group, and the Meta form when the first
    // object's first parameter name holds any of the characters of "ClpRefs".
    bool metaForm = false;
    const ClipboardObject& first = *objects.front();
    const std::size_t colon = first.GetName().rfind(':');
    if (colon != std::string::npos) {
        const ns_param::Paramora& parameters = first.GetParameters();
        metaForm = parameters.getFirstParameter() != parameters.getLastParameter()
            && parameters.getFirstParameter()->first.find_first_of("ClpRefs") != std::string::npos;
        out += metaForm ? "Meta-Parametervektor(en) aus Gruppe" : "Parametervektor(en) aus Gruppe";
        out += " \"" + first.GetName().substr(0, colon) + "\"\r\n";
    }
    for (const ClipboardObject* object : objects) {
        out += LastLevel(object->GetName()) + ": ";
        const ns_param::Paramora& parameters = object->GetParameters();
        for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it) {
            if (it != parameters.getFirstParameter())
                out += ' ';
            out += it->first + (metaForm ? "=" : ":") + it->second->getValueText(mark);
        }
        out += " \r\n";
    }
    return out;
}

} // namespace loadsave

SaveTabbedDataModule::SaveTabbedDataModule()
    : SaveModuleBase("TabbedData")
{
}

SaveTabbedDataModule::~SaveTabbedDataModule() = default;

void SaveTabbedDataModule::GetFileDescription(std::string& extensions, std::string& description,
                                              bool* separatorUsed, bool* flag2, bool* flag3, bool* flag4)
{
    extensions = "*.txt, *.csv, *.*";
    if (IsClipboardModule()) {
        description =
            "von Clipboard-Daten, Datenblock aus n Datensätzen mit jeweils k Dateneinträgen in ASCII-Datei\r\n"
            "\r\n"
            "Syntax:\r\n"
            "Initialzeile: Parametervektor(en) aus Gruppe \"<optionaler Gruppename>\"\r\n"
            "zeilenweise <Datensatzname n>:<Leerzeichen><Parametername 1>:<numerischer Einzelwert 1> oder "
            "<numerische Vektorkoeffizient(en) 1> ...  <Leerzeichen><Parametername k>:<numerischer Einzelwert "
            "k><Leerzeichen>\r\n"
            "\r\n"
            "[optional KOMPAKT]\r\n"
            "zeilenweise <Datensatzname n><Trennzeichen><numerischer Einzelwert 1><Trennzeichen>...<numerischer "
            "Einzelwert k><Leerzeichen>\r\n"
            "Bitte geben Sie im Fall KOMPAKT ein Trennzeichen an. Alternativ wird ein LEERZEICHEN genutzt.\r\n"
            "\r\n"
            "BEI Clipboard-Metadatenblock aus n Datensätzen mit jeweils k numerischen und nicht numerischen "
            "Dateneinträgen\r\n"
            "\r\n"
            "Initialzeile: Meta-Parametervektor(en) aus Gruppe \"<optionaler Gruppename>\"\r\n"
            "zeilenweise <Datensatzname n>:<Leerzeichen><Variablenname 1>=<Variablenwert 1> "
            "...<Leerzeichen><Variablenname k>=<Variablenwert k><Leerzeichen>\r\n"
            "\r\n";
    } else {
        description = "eines Spektrenblocks aus n Spektren mit k Wellenlängen, optionaler Namenszeile in "
                      "ASCII-Datei\r\n"
                      "\r\n"
                      "Syntax:\r\n"
                      "<OPTIONAL><Trennzeichen><Spektrumname 1><Trennzeichen>...<Spektrumname n>\r\n"
                      "zeilenweise <Wellenlänge><Trennzeichen><Wert Spektrum 1><Trennzeichen>...<Wert Spektrum "
                      "n>\r\n"
                      "\r\n"
                      "Bitte geben Sie ein Trennzeichen an. Alternativ wird ein LEERZEICHEN genutzt.\r\n"
                      "\r\n";
    }
    for (bool* flag : {separatorUsed, flag2, flag3, flag4})
        *flag = true;
}

void SaveTabbedDataModule::GetObjectKind(std::string& kind)
{
    kind = IsClipboardModule() ? "Clipboardobjekte" : "Spektrenobjekte";
}

char SaveTabbedDataModule::GetDecimalMark() const
{
    if (m_decimalMark)
        return *m_decimalMark;
    return QLocale::system().decimalPoint() == QStringLiteral(",") ? ',' : '.';
}

bool SaveTabbedDataModule::SaveSpectra(const std::string& fileName, const SpectrumList& spectra)
{
    if (spectra.empty())
        return false;
    if (!spectra.SpecsSameXVals()) {
        LogError(*this, msg::kDifferentGrids);
        return false;
    }
    const std::string text = SpectraText(spectra, StringParameter(*this, "Trennzeichen"),
                                         BoolParameter(*this, "SaveNames"), GetDecimalMark());
    return WriteOrReport(*this, WithTxtExtension(fileName), text);
}

bool SaveTabbedDataModule::SaveClipboardObjects(const std::string& fileName,
                                                const std::list<ClipboardObject*>& objects)
{
    if (objects.empty())
        return false;
    const std::string text = ClipboardText(objects, StringParameter(*this, "Trennzeichen"),
                                           BoolParameter(*this, "CompactFile"), BoolParameter(*this, "NoNames"),
                                           GetDecimalMark());
    return WriteOrReport(*this, WithTxtExtension(fileName), text);
}
