// Every reader of files, handed a named pipe without a writer and a folder where it expects a
// file (from a file dialog, the command line, a project or a script): each refuses at once and
// says so. A plain open() of the pipe would wait for a writer for ever; the guard around each
// call turns such a wait into a failure.
#include "app/module_loader.h"
#include "app/spreadsheet.h"
#include "app/velmont_doc.h"
#include "core/char_stream.h"
#include "digitiser_canvas.h"
#include "engine/engine_log.h"
#include "engine/param_container_set.h"
#include "engine/spectra_set.h"
#include "load_ascii_module.h"
#include "load_clip_ascii_module.h"
#include "load_ovclp_module.h"
#include "load_xml_module.h"
#include "messages.h"
#include "platform/file_contents.h"
#include "platform/picture_file.h"
#include "script/script_file.h"
#include "support/fake_prompter.h"
#include "support/recording_host.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

#include <xandril/xandril.h>

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

// What a loader module logged while it loaded path through the "load" path of its form.
template <class Loader>
std::string LoaderLog(const std::string& path)
{
    RecordingHost host;
    Loader loader;
    loader.SetModuleInterface(&host);
    std::string told = loader.Load(path, "") ? "geladen" : "nicht geladen";
    for (const std::string& line : host.LogTexts())
        told += "|" + line;
    return told;
}

// The last line the LED engine logged while load ran with a host.
std::string EngineLastLine(const std::function<bool()>& load)
{
    RecordingHost host;
    CurrentHost = &host;
    const bool loaded = load();
    CurrentHost = nullptr;
    const std::vector<std::string> lines = host.LogTexts();
    return std::string(loaded ? "geladen" : "nicht geladen") + "|" + (lines.empty() ? "" : lines.back());
}

struct Reader {
    const char* name;
    // The name of the special file: what the reader would be given in use.
    const char* fileName;
    // Reads the file at path; what the caller or the user is told.
    std::function<std::string(const std::string& path)> read;
    // What that must be for a pipe (folder false) or a folder (folder true) at path.
    std::function<std::string(const std::string& path, bool folder)> expected;
};

std::string Always(const std::string& text)
{
    return text;
}

const std::string kLoaderRefusal = std::string("nicht geladen|") + loadsave::msg::kNotRegularFile;

std::vector<Reader> Readers()
{
    return {
        {"whole-file bytes", "daten.txt",
         [](const std::string& path) {
             platform::FileBytes bytes;
             const bool read = bytes.Read(path);
             return std::string(read ? "gelesen" : "nicht gelesen") + (bytes.NotRegularFile() ? ", keine Datei" : "");
         },
         [](const std::string&, bool) { return Always("nicht gelesen, keine Datei"); }},
        {"character stream", "daten.txt",
         [](const std::string& path) {
             CCharStream in(1024);
             const bool opened = in.Open(path.c_str());
             return std::string(opened ? "offen" : "nicht offen") + (in.IsEOF() ? ", am Ende" : "");
         },
         [](const std::string&, bool) { return Always("nicht offen, am Ende"); }},
        {"XML reader", "daten.xml",
         [](const std::string& path) {
             ns_xandril::XMLReadModul reader;
             try {
                 reader.readFromFile(path);
             } catch (const ns_xandril::XMLException& e) {
                 return std::string(e.what());
             }
             return std::string("gelesen");
         },
         [](const std::string& path, bool folder) {
             return "cannot read XML file '" + path + "': " + (folder ? "it is a folder" : "it is not a regular file");
         }},
        {"ASCII spectra loader", "spektren.txt", LoaderLog<LoadASCIIModule>,
         [](const std::string&, bool) { return kLoaderRefusal; }},
        {"ASCII clipboard loader", "daten.csv", LoaderLog<LoadClipASCIIModule>,
         [](const std::string&, bool) { return kLoaderRefusal; }},
        {"own clipboard loader", "daten.txt", LoaderLog<LoadOVClpModule>,
         [](const std::string&, bool) { return kLoaderRefusal; }},
        {"XML spectra loader", "spektren.xml", LoaderLog<LoadXMLModule>,
         [](const std::string&, bool) { return kLoaderRefusal; }},
        {"project file", "projekt.pxml",
         [](const std::string& path) {
             FakePrompter prompter;
             CVelmontDoc doc;
             const bool opened = doc.OpenDocumentFile(path);
             std::string told = opened ? "geöffnet" : "nicht geöffnet";
             for (const FakePrompter::Shown& shown : prompter.shown)
                 told += "|" + shown.caption.toStdString() + ": " + shown.text.toStdString();
             return told;
         },
         [](const std::string& path, bool) {
             return "nicht geöffnet|Fehler: Die Datei '" + path +
                    "' kann nicht geöffnet werden: Sie ist keine gewöhnliche Datei, sondern ein Ordner, eine Pipe "
                    "oder ein Gerät.";
         }},
        {"script file", "skript.mcc",
         [](const std::string& path) {
             std::string text = "bleibt";
             return std::string(script::LoadScriptFile(path, text) ? "gelesen" : "nicht gelesen") + "|" + text;
         },
         [](const std::string&, bool) { return Always("nicht gelesen|bleibt"); }},
        {"spectra set", "spektren.txt",
         [](const std::string& path) { return EngineLastLine([&] { return SpectraSet().LoadChosenFile(path); }); },
         [](const std::string& path, bool) {
             return "nicht geladen|Spektren in Datei '" + path + "' konnten nicht geladen werden !!!";
         }},
        {"parameter set", "leds.txt",
         [](const std::string& path) {
             return EngineLastLine([&] { return ParamContainerSet().LoadFromFile(path); });
         },
         [](const std::string& path, bool) {
             return "nicht geladen|Datei konnte nicht geöffnet werden: '" + path + "'";
         }},
        {"spreadsheet text file", "tabelle.csv",
         [](const std::string& path) {
             CSpreadSheet sheet(path, ";", false);
             return sheet.GetLastErrorMessage();
         },
         [](const std::string&, bool) { return Always("Error in opening file\n"); }},
        {"picture of the digitiser", "bild.png",
         [](const std::string& path) {
             return std::string(LoadDigitiserPicture(path).isNull() ? "kein Bild" : "Bild");
         },
         [](const std::string&, bool) { return Always("kein Bild"); }},
        {"picture of the diagram background", "hintergrund.bmp",
         [](const std::string& path) {
             return std::string(platform::ReadPictureFile(path).isNull() ? "kein Bild" : "Bild");
         },
         [](const std::string&, bool) { return Always("kein Bild"); }},
        {"plug-in loader", "modul.so",
         [](const std::string& path) {
             std::vector<ModuleLibrary> libraries = LoadModuleLibraries(
                 QFile::decodeName(std::filesystem::path(path).parent_path().c_str()), nullptr, 0);
             const std::string told = std::to_string(libraries.size()) + " geladen";
             FreeModuleLibraries(libraries);
             return told;
         },
         [](const std::string&, bool) { return Always("0 geladen"); }},
    };
}

TEST(SpecialFiles, EveryReaderRefusesPipesAndFoldersAtOnce)
{
    for (const Reader& reader : Readers()) {
        for (const bool folder : {false, true}) {
            SCOPED_TRACE(std::string(reader.name) + (folder ? ", folder" : ", pipe"));
            test_support::TempDir dir;
            const std::string path = dir.file(reader.fileName);
            if (folder)
                ASSERT_TRUE(std::filesystem::create_directory(path));
            else
                ASSERT_TRUE(test_support::MakeFifo(path));
            std::string told;
            EXPECT_TRUE(test_support::ReturnsWithoutWaiting(path, [&] { told = reader.read(path); }))
                << "the reader waited on the " << (folder ? "folder" : "pipe");
            EXPECT_EQ(told, reader.expected(path, folder));
        }
    }
}

} // namespace
