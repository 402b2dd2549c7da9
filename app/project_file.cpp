#include "app/project_file.h"

#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"
#include "platform/prompter.h"
#include "platform/vformat.h"

#include <paramora/paramora.h>
#include <paramora/reader_group.h>
#include <xandril/xandril.h>

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

namespace {

// Replaces every occurrence, searching on right behind each inserted replacement.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// Replacement passes over the whole text, one after the other.
using Passes = std::array<std::pair<std::string, std::string>, 4>;
std::string ApplyPasses(std::string text, const Passes& passes)
{
    for (const auto& [from, to] : passes)
        ReplaceAll(text, from, to);
    return text;
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The wait cursor from construction until End (or destruction); End twice ends it once.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { End(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void End()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

void WriteProject(ns_xandril::XMLWriteModul& writer, ProjectDocument& document, const std::string& comment)
{
    ModuleInterface& host = document.Host();
    writer.enterGroup("VelmontEnvironment");

    writer.enterGroup("Modules");
    for (Module* module : host.GetModuleTree()->GetInserters())
        module->addToXML(writer);
    writer.writeString("LastModule", "", document.LastModule());
    writer.leaveGroup();

    if (writer.enterGroup("Spectrums")) {
        for (const Spectrum* spectrum : host.GetSpectrumTree()->GetInserters()) {
            writer.enterGroup("Spectrum");
            spectrum->writeToXML(writer);
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }

    if (writer.enterGroup("ClipboardObjects")) {
        for (const ClipboardObject* object : host.GetClipboardTree()->GetInserters()) {
            writer.enterGroup("ClipboardObject");
            writer.writeString("ObjectName", "", object->GetName());
            object->GetParameters().addToXML(writer);
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }

    if (writer.enterGroup("Comments")) {
        if (writer.enterGroup("Comment")) {
            writer.writeString("ComDescr", "", comment);
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }

    document.WorkspaceParams().addToXML(writer);
    writer.leaveGroup();
}

// The name as the user sees it, without the "|" hyphenation marks of the menu paths.
std::string WithoutMarks(std::string text)
{
    strremove(&text, '|');
    return text;
}

// A line into the log window; the text it wrote.
std::string Log(ProjectDocument& document, COLORREF colour, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
std::string Log(ProjectDocument& document, COLORREF colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = platform::VFormat(format, args);
    va_end(args);
    document.LogToWindow(colour, format, text);
    return text;
}

// One error line per stored parameter that was left out; owner says whose it was
// ("des Moduls 'Berechnung:Planck'").
void LogLostParameters(ProjectDocument& document, const ns_param::ParameterReadLoss& loss, const std::string& owner)
{
    using Reason = ns_param::ParameterReadLoss::Reason;
    for (const ns_param::ParameterReadLoss::Parameter& parameter : loss.parameters) {
        const char* why = parameter.reason == Reason::Unknown     ? "Einen Parameter dieses Namens gibt es nicht."
                          : parameter.reason == Reason::OtherKind ? "Sein Typ passt nicht."
                                                                  : "Sein Wert passt nicht.";
        Log(document, ProjectDocument::kRed, "Fehler: Der gespeicherte Parameter '%s' %s wurde nicht geladen: %s",
            parameter.name.c_str(), owner.c_str(), why);
    }
}

// Updates every module from its group, in module-tree order; the number of modules updated.
// What the file holds and no module took is named in the log: parameters a module did not
// take, a module's group that does not fit it, groups for which no module is loaded.
int ReadModules(ns_xandril::XMLReadModul& reader, ModuleTree& modules, ProjectDocument& document)
{
    int count = 0;
    for (Module* module : modules.GetInserters()) {
        const std::string name = WithoutMarks(module->GetName());
        ns_param::ParameterReadLoss loss;
        try {
            module->updateFromXML(reader, &loss);
            ++count;
        } catch (const std::exception&) {
            // A group that does not fit: the module keeps its defaults. Without a group of its
            // own in the file nothing was left out.
            if (loss.groupFound)
                Log(document, ProjectDocument::kRed,
                    "Fehler: Die gespeicherten Parameter des Moduls '%s' passen nicht zum Modul und wurden nicht "
                    "geladen.",
                    name.c_str());
        }
        LogLostParameters(document, loss, "des Moduls '" + name + "'");
    }
    for (const std::string& group : reader.unclaimedGroups())
        Log(document, ProjectDocument::kRed,
            "Fehler: Für die gespeicherten Parameter des Moduls '%s' gibt es kein geladenes Modul; sie wurden nicht "
            "geladen.",
            group.c_str());
    return count;
}

// Reads every group `name` of the current group into a new object and offers it to the tree.
// read(object) fills it and returns what done needs; done(object, placed, position, result)
// follows inside the group, with the object's position among the groups (from 1) and
// whether the tree took it. An object the tree refuses is deleted after done. The number of
// objects placed.
template <class T, class Tree, class ReadFn, class DoneFn>
int ReadObjects(ns_xandril::XMLReadModul& reader, const std::string& name, Tree& tree, ReadFn read, DoneFn done)
{
    int count = 0;
    int position = 0;
    if (!reader.enterFirstGroup(name))
        return 0;
    do {
        ++position;
        auto object = std::make_unique<T>();
        const auto result = read(*object);
        T& filled = *object;
        const bool placed = tree.AddInserter(&filled);
        if (placed) {
            object.release(); // the tree owns it now
            ++count;
        }
        done(filled, placed, position, result);
        reader.leaveGroup();
    } while (reader.enterNextGroup());
    return count;
}

// The error line for a spectrum the tree did not take, naming it as the file holds it (by its
// position when that is empty).
void LogRefusedSpectrum(ProjectDocument& document, const Spectrum& spectrum, const std::string& stored, int position)
{
    if (stored.empty())
        Log(document, ProjectDocument::kRed, "Fehler: Spektrum Nr. %d hat keinen Namen und wurde nicht geladen.",
            position);
    else if (!ns_tree::IsValidPath(spectrum.GetName()))
        Log(document, ProjectDocument::kRed,
            "Fehler: Der Name des Spektrums '%s' ergibt keinen gültigen Pfad; das Spektrum wurde nicht geladen.",
            stored.c_str());
    else
        Log(document, ProjectDocument::kRed,
            "Fehler: Das Spektrum '%s' wurde nicht geladen, da der vorhandene Eintrag an seiner Stelle nicht "
            "überschrieben wurde.",
            stored.c_str());
}

// The same for a clipboard object.
void LogRefusedObject(ProjectDocument& document, const ClipboardObject& object, const std::string& stored,
                      int position)
{
    if (stored.empty())
        Log(document, ProjectDocument::kRed,
            "Fehler: Clipboard-Eintrag Nr. %d hat keinen Namen und wurde nicht geladen.", position);
    else if (!ns_tree::IsValidPath(object.GetName()))
        Log(document, ProjectDocument::kRed,
            "Fehler: Der Name des Clipboard-Eintrags '%s' ergibt keinen gültigen Pfad; der Eintrag wurde nicht "
            "geladen.",
            stored.c_str());
    else
        Log(document, ProjectDocument::kRed,
            "Fehler: Der Clipboard-Eintrag '%s' wurde nicht geladen, da der vorhandene Eintrag an seiner Stelle "
            "nicht überschrieben wurde.",
            stored.c_str());
}

// Tree paths nest no deeper than the file's groups may (the trees walk their nodes
// recursively): a spectrum or clipboard object whose name has more levels makes the whole file
// unreadable, before anything of it is loaded. Leaves the reader at its root.
void CheckTreeDepth(ns_xandril::XMLReadModul& reader, const std::string& path)
{
    if (!reader.enterGroup("VelmontEnvironment"))
        return;
    ns_param::detail::LeaveGroupOnExit leaveEnvironment(reader);
    const struct {
        const char* list;
        const char* item;
        const char* key;
    } trees[] = {{"Spectrums", "Spectrum", "SpecName"}, {"ClipboardObjects", "ClipboardObject", "ObjectName"}};
    for (const auto& tree : trees) {
        if (!reader.enterGroup(tree.list))
            continue;
        ns_param::detail::LeaveGroupOnExit leaveList(reader);
        if (!reader.enterFirstGroup(tree.item))
            continue;
        do {
            ns_param::detail::LeaveGroupOnExit leaveItem(reader);
            std::string name;
            if (!reader.readString(tree.key, name))
                continue;
            name = ns_tree::NormalizePath(std::move(name));
            if (std::count(name.begin(), name.end(), ':') >= ns_xandril::kMaxNesting)
                throw ns_xandril::XMLException("cannot read XML file '" + path + "': a name has more than " +
                                               std::to_string(ns_xandril::kMaxNesting) + " levels");
        } while (reader.enterNextGroup());
    }
}

} // namespace

std::string EscapeCommentText(const std::string& text)
{
    return ApplyPasses(text, {{{"&", "&amp;"}, {"\r\n", "[BR]"}, {"\"", "&quot;"}, {"'", "&apos;"}}});
}

std::string UnescapeCommentText(const std::string& text)
{
    return ApplyPasses(text, {{{"&amp;", "&"}, {"[BR]", "\r\n"}, {"&quot;", "\""}, {"&apos;", "'"}}});
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string ProjectSavePath(const std::string& path)
{
    return FileNameOf(path).find('.') == std::string::npos ? path + ".pxml" : path;
}

bool HasForeignExtension(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && name.compare(dot + 1, std::string::npos, "pxml") != 0;
}

std::string LastModuleText(const std::string& lastModule)
{
    const std::size_t colon = lastModule.rfind(':');
    std::string text = "'" + lastModule.substr(colon == std::string::npos ? 0 : colon + 1) + "' im Ordner '";
    // Without a ":" nothing is cut and the leaf is named again as its folder.
    std::string rest = colon == std::string::npos ? lastModule : lastModule.substr(0, colon);
    for (std::size_t pos = rest.rfind(':'); pos != std::string::npos; pos = rest.rfind(':')) {
        text += rest.substr(pos + 1) + "' > '";
        rest.erase(pos);
    }
    return text + rest + "'";
}

ProjectDocument::~ProjectDocument() = default;

std::optional<std::string> SaveProject(ProjectDocument& document, const std::string& path)
{
    // What the user sees in the open form is what is saved.
    document.StoreOpenForm();
    const std::string comment = EscapeCommentText(document.GetProjectDescription());
    document.SetStatusState(QStringLiteral("Speichere"));
    WaitCursor wait;

    const std::string target = ProjectSavePath(path);
    Log(document, ProjectDocument::kGreen, "Speichere die Orvanta-Projekt-Datei .../%s", FileNameOf(target).c_str());

    // Only a file that was there can stay unchanged; the message says so only then.
    std::error_code noThrow;
    const bool hadOldFile = std::filesystem::is_regular_file(target, noThrow);
    bool written = false;
    {
        // The document goes to its temporary file in blocks as it is built; where that file
        // cannot be made, it is built in memory and writeToFile reports the failure.
        ns_xandril::XMLWriteModul writer;
        writer.streamToFile(target);
        WriteProject(writer, document, comment);
        written = writer.writeToFile(target);
    }
    if (!written) {
        const std::string message =
            hadOldFile ? Log(document, ProjectDocument::kRed,
                             "Fehler: Die Orvanta-Projekt-Datei '%s' konnte nicht gespeichert werden! Die "
                             "bisherige Datei bleibt unverändert.",
                             target.c_str())
                       : Log(document, ProjectDocument::kRed,
                             "Fehler: Die Orvanta-Projekt-Datei '%s' konnte nicht gespeichert werden!", target.c_str());
        wait.End();
        document.SetStatusState(QStringLiteral("Bereit"));
        platform::ShowMessage(document.MessageParent(), QStringLiteral("Fehler"), QString::fromStdString(message),
                              platform::PromptIcon::Error);
        return std::nullopt;
    }
    Log(document, ProjectDocument::kGreen, "Orvanta-Projekt-Datei '%s' gespeichert", target.c_str());
    wait.End();
    document.SetStatusState(QStringLiteral("Bereit"));
    return target;
}

OpenResult OpenProject(ProjectDocument& document, const std::string& path)
{
    document.SetStatusState(QStringLiteral("Lade"));
    WaitCursor wait;
    const std::string fileName = FileNameOf(path);
    std::string moduleToSelect;

    Log(document, ProjectDocument::kGreen, "Lade die Orvanta-Projekt-Datei .../%s", fileName.c_str());
    if (HasForeignExtension(fileName))
        Log(document, ProjectDocument::kRed,
            "Fehler: Datei '%s' scheint keine Orvanta-Projekt-Datei zu sein! Ich versuche dennoch zu laden. ",
            fileName.c_str());
    if (!document.OpenFileStep(path)) {
        wait.End();
        document.SetStatusState(QStringLiteral("Bereit"));
        return OpenResult::Failed;
    }
    document.ResetProject();
    // The last module belongs to the project being replaced: only the file read may name one.
    document.LastModule().clear();

    ModuleInterface& host = document.Host();
    ns_xandril::XMLReadModul reader;
    bool damaged = false;
    bool readable = false;
    try {
        reader.readFromFile(path);
        CheckTreeDepth(reader, path);
        readable = true;
    } catch (const std::exception&) {
        const std::string message = platform::Format(
            "Fehler: Die Datei '%s' scheint keine korrekte XML-Datei zu sein! Laden wird abgebrochen.", path.c_str());
        host.AddLogColorMessage(ProjectDocument::kRed, "%s", message.c_str());
        wait.End();
        platform::ShowMessage(document.MessageParent(), QStringLiteral("Fehler"), QString::fromStdString(message),
                              platform::PromptIcon::Warning);
    }

    if (!readable || !reader.enterGroup("VelmontEnvironment")) {
        Log(document, ProjectDocument::kRed, "Fehler: Fehler beim Laden der Orvanta-Projekt-Datei '%s'", path.c_str());
        damaged = true;
    } else {
        if (reader.enterGroup("Modules")) {
            const int count = ReadModules(reader, *host.GetModuleTree(), document);
            Log(document, ProjectDocument::kGreen, "... %i Module und Modulparameter", count);
            std::string& lastModule = document.LastModule();
            reader.readString("LastModule", lastModule);
            const std::size_t colon = lastModule.rfind(':');
            moduleToSelect = colon == std::string::npos ? lastModule : lastModule.substr(colon + 1);
            lastModule = WithoutMarks(std::move(lastModule));
            reader.leaveGroup();
        }

        // Nothing of the file goes without a line: a spectrum or clipboard object the tree does
        // not take is named, so are points and values left out of one it took.
        int spectra = 0;
        if (reader.enterGroup("Spectrums")) {
            spectra = ReadObjects<Spectrum>(
                reader, "Spectrum", *host.GetSpectrumTree(),
                [&](Spectrum& spectrum) { return spectrum.readFromXML(reader); },
                [&](const Spectrum& spectrum, bool placed, int position, const SpectrumReadLoss& loss) {
                    if (!placed) {
                        std::string stored;
                        reader.readString("SpecName", stored);
                        LogRefusedSpectrum(document, spectrum, stored, position);
                    } else if (loss.Lost()) {
                        Log(document, ProjectDocument::kRed, "%s", loss.Message(spectrum.GetName()).c_str());
                    }
                });
            reader.leaveGroup();
        }
        Log(document, ProjectDocument::kGreen, "... %i Spektren", spectra);

        int objects = 0;
        if (reader.enterGroup("ClipboardObjects")) {
            objects = ReadObjects<ClipboardObject>(
                reader, "ClipboardObject", *host.GetClipboardTree(),
                [&](ClipboardObject& object) {
                    std::string comment, name;
                    reader.readString("ObjectName", comment, name);
                    object.SetName(ns_tree::NormalizePath(name));
                    ns_param::ParameterReadLoss loss;
                    object.GetParameters().getFromXML(reader, &loss);
                    return std::make_pair(name, std::move(loss));
                },
                [&](const ClipboardObject& object, bool placed, int position,
                    const std::pair<std::string, ns_param::ParameterReadLoss>& read) {
                    if (!placed)
                        LogRefusedObject(document, object, read.first, position);
                    else
                        LogLostParameters(document, read.second, "des Clipboard-Eintrags '" + object.GetName() + "'");
                });
            reader.leaveGroup();
        }
        Log(document, ProjectDocument::kGreen, "... %i Clipboard-/Numerikdaten", objects);

        if (reader.enterGroup("Comments")) {
            if (reader.enterGroup("Comment")) {
                std::string comment;
                reader.readString("ComDescr", comment);
                reader.leaveGroup();
                document.SetProjectDescription(UnescapeCommentText(comment));
            }
            reader.leaveGroup();
        }

        ns_param::ParameterReadLoss workspaceLoss;
        try {
            document.WorkspaceParams().updateFromXML(reader, &workspaceLoss);
        } catch (const std::exception&) {
            wait.End();
        }
        LogLostParameters(document, workspaceLoss, "der Arbeitsumgebung");
        Log(document, ProjectDocument::kGreen, "Orvanta-Projekt-Datei '%s' geladen", path.c_str());
    }

    if (!document.LastModule().empty())
        Log(document, ProjectDocument::kBlue,
            "Das zuletzt verwendete Modul war %s. Wenn Sie möchten, arbeiten Sie dort weiter.",
            LastModuleText(document.LastModule()).c_str());

    const std::string description = document.GetProjectDescription();
    if (!description.empty()) {
        const std::vector<std::string> lines = SplitLines(description);
        if (!lines.empty()) {
            Log(document, ProjectDocument::kBlack, "Projektbeschreibung: %s", "");
            for (const std::string& line : lines)
                Log(document, ProjectDocument::kGrey, "%s", line.c_str());
        }
    }

    if (!moduleToSelect.empty())
        document.SelectModule(moduleToSelect);

    wait.End();
    document.SetStatusState(QStringLiteral("Bereit"));
    return damaged ? OpenResult::Damaged : OpenResult::Loaded;
}
