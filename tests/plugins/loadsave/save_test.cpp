// The savers: the text layouts byte for byte, the XML layouts, file names, the selection and
// failed writes.
#include "loadsave_test_support.h"
#include "save_tabbed_data_module.h"
#include "save_xml_module.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

#include <QLocale>

#include <filesystem>

using namespace loadsave_test;

namespace {

std::list<ClipboardObject*> Objects(RecordingHost& host, const std::string& selection)
{
    return host.clipboard.GetInserters(selection, false);
}

SpectrumList SpectraOf(RecordingHost& host, const std::string& selection)
{
    SpectrumList list;
    list = host.spectra.GetInserters(selection, false);
    return list;
}

} // namespace

TEST(SaveText, SpectraLayoutsByteForByte)
{
    RecordingHost host;
    AddSpectrum(host, "Messung:A", {{380, 0.5}, {390, -1.25}});
    AddSpectrum(host, "Messung:Serie:B", {{380, 0.25}, {390, 1234.5}});
    const SpectrumList spectra = SpectraOf(host, "Messung:*");
    ASSERT_EQ(spectra.size(), 2u);
    const struct {
        const char* name;
        std::string separator;
        bool saveNames;
        char mark;
        std::string text;
    } rows[] = {
        {"names, ;", ";", true, '.',
         ";A; B; \r\n"
         "    380.00000000;      0.50000000;      0.25000000\r\n"
         "    390.00000000;     -1.25000000;   1234.50000000\r\n"},
        {"German mark", ";", false, ',',
         "    380,00000000;      0,50000000;      0,25000000\r\n"
         "    390,00000000;     -1,25000000;   1234,50000000\r\n"},
        {"tab mode", "", true, '.',
         "\t A\tB\t\r\n"
         "    380.00000000\t       0.50000000\t       0.25000000\r\n"
         "    390.00000000\t      -1.25000000\t    1234.50000000\r\n"},
        {"one blank is tab mode", " ", false, '.',
         "    380.00000000\t       0.50000000\t       0.25000000\r\n"
         "    390.00000000\t      -1.25000000\t    1234.50000000\r\n"},
        {"separator , with the German mark writes points", ",", true, ',',
         ",A, B, \r\n"
         "    380.00000000,      0.50000000,      0.25000000\r\n"
         "    390.00000000,     -1.25000000,   1234.50000000\r\n"},
        {"separator . with a point writes commas", ".", false, '.',
         "    380,00000000.      0,50000000.      0,25000000\r\n"
         "    390,00000000.     -1,25000000.   1234,50000000\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(loadsave::SpectraText(spectra, row.separator, row.saveNames, row.mark), row.text);
    }
}

TEST(SaveText, ClipboardLayoutsByteForByte)
{
    RecordingHost host;
    ClipboardObject* meta = AddObject(host, "Messung:Probe1");
    meta->GetParameters().addStringParameter("Farbe", "", "rot", "");
    meta->GetParameters().addIntParameter("Anzahl", "", 3, 0, 10, 0);
    ClipboardObject* x = AddObject(host, "G:P");
    x->GetParameters().addDoubleParameter("X", "", 1.5, 0, 10, 0);
    AddRecord(host, "Gruppe:Probe1", {1.5, 2.5});
    ClipboardObject* three = AddRecord(host, "Gruppe:Probe2", {3, 4});
    three->GetParameters().addDoubleParameter("Zusatz", "", 0.75, 0, 10, 0);
    AddRecord(host, "Ohne", {5});

    const struct {
        const char* name;
        std::string selection;
        std::string separator;
        bool compact;
        bool noNames;
        char mark;
        std::string text;
    } rows[] = {
        {"plain Meta form", "Messung:Probe1", ";", false, false, '.',
         "Meta-Parametervektor(en) aus Gruppe \"Messung\"\r\nProbe1: Anzahl=3 Farbe=rot \r\n"},
        {"plain parameter form", "G:P", ";", false, false, ',',
         "Parametervektor(en) aus Gruppe \"G\"\r\nP: X:1,5 \r\n"},
        {"plain form without a group", "Ohne", "", false, false, '.', "Ohne: ClpRefs:1  ClpValues:5  \r\n"},
        {"compact", "Gruppe:Probe1", ";", true, false, '.', "Probe1; 1.5; 2.5 \r\n"},
        {"compact without names", "Gruppe:Probe1", ";", true, true, '.', "1.5; 2.5 \r\n"},
        {"compact without separator", "Gruppe:Probe1", "", true, false, '.', "Probe1 1.5 2.5  \r\n"},
        {"compact German", "Gruppe:Probe1", ";", true, false, ',', "Probe1; 1,5; 2,5 \r\n"},
        {"compact, separator , with the German mark", "Gruppe:Probe1", ",", true, false, ',',
         "Probe1, 1.5, 2.5 \r\n"},
        {"compact writes every parameter after the first once", "Gruppe:Probe2", ";", true, false, '.',
         "Probe2; 3; 4; 0.75 \r\n"},
        {"compact with another separator", "Gruppe:*", "|", true, false, '.',
         "Probe1| 1.5| 2.5 \r\nProbe2| 3| 4| 0.75 \r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(loadsave::ClipboardText(Objects(host, row.selection), row.separator, row.compact, row.noNames,
                                          row.mark),
                  row.text);
    }
    // A single value: its text has no blank after it.
    EXPECT_EQ(loadsave::ClipboardText(Objects(host, "Ohne"), ";", true, false, '.'), "Ohne; 5 \r\n");
}

TEST(SaveText, ModulesWriteFilesAndRefuseWhatTheyCannotWrite)
{
    test_support::TempDir dir;
    RecordingHost host;
    auto& spectraWriter = AddModule<SaveTabbedDataModule>(host, kSaveSpectraTextPath);
    auto& clipWriter = AddModule<SaveTabbedDataModule>(host, kSaveClipTextPath);
    spectraWriter.SetDecimalMark('.');
    clipWriter.SetDecimalMark('.');
    spectraWriter.getParameters().setStringParameter("Trennzeichen", ";");
    clipWriter.getParameters().setBoolParameter("CompactFile", true);
    clipWriter.getParameters().setStringParameter("Trennzeichen", ";");
    AddSpectrum(host, "Messung:A", {{380, 0.5}});
    AddSpectrum(host, "Andere:B", {{381, 0.5}});
    AddRecord(host, "Messung:P", {1});

    // A whole group, named as the tree views name a selected group; the ".txt" rule.
    EXPECT_TRUE(spectraWriter.SaveObjects(dir.file("export"), "Messung:*"));
    EXPECT_EQ(ReadBytes(dir.file("export.txt")), "    380.00000000;      0.50000000\r\n");
    EXPECT_TRUE(spectraWriter.SaveObjects(dir.file("export.dat"), "Messung:A;Messung:P"));
    EXPECT_EQ(ReadBytes(dir.file("export.dat")), "    380.00000000;      0.50000000\r\n");
    // The clipboard instance takes the clipboard objects of the same selection.
    EXPECT_TRUE(clipWriter.SaveObjects(dir.file("clip.txt"), "Messung:A;Messung:P"));
    EXPECT_EQ(ReadBytes(dir.file("clip.txt")), "P; 1 \r\n");
    EXPECT_TRUE(host.log.empty());

    const std::string differentGrids =
        "[000070] Fehler: In diesem Format können nur Spektren mit einheitlich verteilten Stützstellen gespeichert "
        "werden!";
    const std::string cannotOpen = "[000070] Fehler: Die gewählte Datei konnte nicht geöffnet werden !";
    WriteBytes(dir.file("regular"), "x");
    std::filesystem::create_directory(dir.file("folder.txt"));
    WriteBytes(dir.file("folder.txt/old"), "alt");
    const struct {
        const char* name;
        SaveTabbedDataModule& module;
        std::string file;
        std::string selection;
        std::vector<std::string> log;
    } rows[] = {
        {"spectra on different grids", spectraWriter, dir.file("grids.txt"), "Messung:A;Andere:B", {differentGrids}},
        {"no spectra", spectraWriter, dir.file("none.txt"), "Messung:P;Fehlt", {}},
        {"no clipboard objects", clipWriter, dir.file("none.txt"), "Messung:A", {}},
        {"a path below a regular file", spectraWriter, dir.file("regular/out.txt"), "Messung:A", {cannotOpen}},
        {"a folder in the way", clipWriter, dir.file("folder.txt"), "Messung:P", {cannotOpen}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        host.log.clear();
        host.calls.clear();
        EXPECT_FALSE(row.module.SaveObjects(row.file, row.selection));
        EXPECT_EQ(Log(host), row.log);
        EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
    }
    EXPECT_EQ(ReadBytes(dir.file("folder.txt/old")), "alt");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"clip.txt", "export.dat", "export.txt", "folder.txt", "regular"}))
        << "no file for a refusal, no temporary file left";
}

TEST(SaveText, TheUsersDecimalMarkAndTheScriptCommand)
{
    test_support::TempDir dir;
    RecordingHost host;
    auto& writer = AddModule<SaveTabbedDataModule>(host, kSaveSpectraTextPath);
    AddSpectrum(host, "A", {{380, 0.5}});
    const char expected = QLocale::system().decimalPoint() == QStringLiteral(",") ? ',' : '.';
    EXPECT_EQ(writer.GetDecimalMark(), expected);
    if (qEnvironmentVariable("LC_ALL").startsWith(QStringLiteral("de_DE")))
        EXPECT_EQ(writer.GetDecimalMark(), ',') << "the German run writes decimal commas";
    writer.SetDecimalMark(',');
    ns_param::Paramora& p = writer.getParameters();
    p.setStringParameter("FileName", dir.file("skript"));
    p.setStringParameter("SpecListDesc", "A");
    p.setStringParameter("Trennzeichen", ";");
    EXPECT_EQ(writer.RunAutomation("save"), std::optional<bool>(true));
    EXPECT_EQ(ReadBytes(dir.file("skript.txt")), "    380,00000000;      0,50000000\r\n");
}

TEST(SaveXml, Layouts)
{
    test_support::TempDir dir;
    RecordingHost host;
    auto& spectraSaver = AddModule<SaveXMLModule>(host, kSaveSpectraXmlPath);
    auto& clipSaver = AddModule<SaveXMLModuleClp>(host, kSaveClipXmlPath);
    Spectrum* spectrum = AddSpectrum(host, "Serie:LED", {{380, 0.5}, {390, 0.25}});
    spectrum->SetComment("Kommentar");
    spectrum->SetColor(0x00FF00);
    AddRecord(host, "Gruppe:Probe", {0.3, 0.7});

    ASSERT_TRUE(spectraSaver.SaveObjects(dir.file("spektren"), "Serie:*"));
    ASSERT_TRUE(clipSaver.SaveObjects(dir.file("clip"), "Gruppe:Probe"));
    ASSERT_TRUE(spectraSaver.SaveObjects(dir.file("leer"), "Fehlt"));

    ns_xandril::XMLReadModul reader;
    reader.readFromFile(dir.file("spektren.xml"));
    ASSERT_TRUE(reader.enterGroup("Spectrums"));
    ASSERT_TRUE(reader.enterFirstGroup("Spectrum"));
    std::string name, comment, text;
    int color = 0;
    std::vector<double> xs, ys;
    EXPECT_TRUE(reader.readString("SpecName", name));
    EXPECT_TRUE(reader.readString("SpecComment", text));
    EXPECT_TRUE(reader.readInt("SpecColor", comment, color));
    EXPECT_TRUE(reader.read1DDoubleArray("XVals", comment, xs));
    EXPECT_TRUE(reader.read1DDoubleArray("YVals", comment, ys));
    EXPECT_EQ(name, "Serie:LED");
    EXPECT_EQ(text, "Kommentar");
    EXPECT_EQ(color, 0x00FF00);
    EXPECT_EQ(xs, (std::vector<double>{380, 390}));
    EXPECT_EQ(ys, (std::vector<double>{0.5, 0.25}));
    reader.leaveGroup();
    EXPECT_FALSE(reader.enterNextGroup());

    ns_xandril::XMLReadModul clip;
    clip.readFromFile(dir.file("clip.xml"));
    ASSERT_TRUE(clip.enterGroup("Clipboards"));
    ASSERT_TRUE(clip.enterFirstGroup("Clipboard"));
    EXPECT_TRUE(clip.readString("SpecName", name));
    EXPECT_TRUE(clip.read1DDoubleArray("XVals", comment, xs));
    EXPECT_TRUE(clip.read1DDoubleArray("YVals", comment, ys));
    EXPECT_EQ(name, "Gruppe:Probe");
    EXPECT_EQ(xs, (std::vector<double>{1, 2}));
    EXPECT_EQ(ys, (std::vector<double>{0.3, 0.7}));

    ns_xandril::XMLReadModul empty;
    empty.readFromFile(dir.file("leer.xml"));
    ASSERT_TRUE(empty.enterGroup("Spectrums"));
    EXPECT_FALSE(empty.enterFirstGroup("Spectrum"));
}

TEST(SaveXml, FileNamesAndRefusals)
{
    const struct {
        const char* path;
        const char* saved;
    } names[] = {{"spektren", "spektren.xml"}, {"spektren.XML", "spektren.XML.xml"}, {"a.xml.bak", "a.xml.bak"}};
    for (const auto& row : names)
        EXPECT_EQ(loadsave::WithXmlExtension(row.path), row.saved);

    test_support::TempDir dir;
    RecordingHost host;
    auto& spectraSaver = AddModule<SaveXMLModule>(host, kSaveSpectraXmlPath);
    auto& clipSaver = AddModule<SaveXMLModuleClp>(host, kSaveClipXmlPath);
    AddSpectrum(host, "S", {{380, 1}});
    AddRecord(host, "Gruppe:Probe", {0.3});
    ClipboardObject* meta = AddObject(host, "Gruppe:Meta");
    meta->GetParameters().addStringParameter("Farbe", "", "rot", "");
    ClipboardObject* scalar = AddObject(host, "Gruppe:Skalar");
    scalar->GetParameters().addDoubleParameter("ClpValues", "", 1, 0, 2, 0);

    // An object without a double array "ClpValues" stops the save: no file at all.
    EXPECT_FALSE(clipSaver.SaveObjects(dir.file("meta.xml"), "Gruppe:Probe;Gruppe:Meta"));
    EXPECT_FALSE(clipSaver.SaveObjects(dir.file("skalar.xml"), "Gruppe:Skalar"));
    EXPECT_FALSE(clipSaver.SaveObjects(dir.file("nichts.xml"), "S"));
    EXPECT_TRUE(host.log.empty());

    // A failed write is reported and leaves an old file whole.
    WriteBytes(dir.file("regular"), "x");
    std::filesystem::create_directory(dir.file("folder.xml"));
    EXPECT_FALSE(spectraSaver.SaveObjects(dir.file("regular/s.xml"), "S"));
    EXPECT_FALSE(clipSaver.SaveObjects(dir.file("folder.xml"), "Gruppe:Probe"));
    EXPECT_EQ(Log(host), (std::vector<std::string>(2, "[000070] Fehler: Die gewählte Datei konnte nicht geöffnet "
                                                      "werden !")));
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"folder.xml", "regular"}));
}
