// What a writer writes, its loader reads back: one table, under the decimal point and the
// decimal comma.
#include "load_ascii_module.h"
#include "load_clip_ascii_module.h"
#include "load_ovclp_module.h"
#include "load_xml_module.h"
#include "loadsave_test_support.h"
#include "save_tabbed_data_module.h"
#include "save_xml_module.h"

#include "platform/file_contents.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace loadsave_test;

namespace {

// The source project: three spectra on one grid, two numeric clipboard records and two Meta
// records.
struct Source {
    Source()
    {
        const double values[3][3] = {{0.123456789, -2.5, 1e-3}, {12345.678, 0, 1.0 / 3}, {7, 8.25, -0.0625}};
        for (int s = 0; s < 3; ++s) {
            auto* spectrum = new Spectrum;
            spectrum->SetName("Messung:LED " + std::to_string(s + 1));
            spectrum->SetComment("Kommentar \xC3\xBC " + std::to_string(s));
            spectrum->SetColor(0x102030u * static_cast<unsigned>(s + 1));
            for (int i = 0; i < 3; ++i)
                spectrum->AddPoint(SPoint(380 + 10 * i, values[s][i]));
            host.spectra.AddInserter(spectrum);
        }
        AddRecord(host, "Gruppe:Probe1", {1.5, 2.5, -3.25});
        AddRecord(host, "Gruppe:Probe2", {0.125, 4, 1e-3});
        AddMeta("Messung:Probe1", "rot", 3, 0.5);
        AddMeta("Messung:Probe2", "blau gr\xC3\xBCn", -7, 1.25);
    }

    void AddMeta(const std::string& name, const std::string& colour, int count, double factor)
    {
        ns_param::Paramora& p = AddObject(host, name)->GetParameters();
        p.addStringParameter("Farbe", "", colour, "");
        p.addIntParameter("Anzahl", "", count, -100, 100, 0);
        p.addDoubleParameter("Faktor", "", factor, 0, 10, 0);
        p.addIntParameter("Null", "", 0, -100, 100, 0);
    }

    RecordingHost host;
};

struct Options {
    std::string separator;
    bool names = false;
    bool compact = false;
};

// Writes the selection with the text writer at menuPath and reads it back with loader L.
template <class L>
void TextRoundTrip(Source& source, RecordingHost& target, const char* writerPath, const char* loaderPath,
                   const std::string& selection, const Options& options, char mark, const std::string& path)
{
    auto& writer = AddModule<SaveTabbedDataModule>(source.host, writerPath);
    writer.SetDecimalMark(mark);
    ns_param::Paramora& w = writer.getParameters();
    w.setStringParameter("Trennzeichen", options.separator);
    w.setBoolParameter("SaveNames", options.names);
    w.setBoolParameter("CompactFile", options.compact);
    w.setBoolParameter("NoNames", !options.names);
    ASSERT_TRUE(writer.SaveObjects(path, selection));

    auto& loader = AddModule<L>(target, loaderPath);
    loader.getParameters().setStringParameter("Trennzeichen", options.separator);
    loader.getParameters().setBoolParameter("UseNamesFromFile", options.names);
    ASSERT_TRUE(loader.LoadFile(path, ""));
}

void ExpectSpectraBack(Source& source, RecordingHost& target, bool names)
{
    const std::vector<SpectrumView> written = Spectra(source.host);
    const std::vector<SpectrumView> read = Spectra(target);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t s = 0; s < read.size(); ++s) {
        const std::string leaf = names ? written[s].name.substr(written[s].name.rfind(':') + 1)
                                       : "Spec" + std::to_string(s);
        EXPECT_EQ(read[s].name, "Messung:" + leaf);
        ASSERT_EQ(read[s].points.size(), written[s].points.size());
        for (std::size_t i = 0; i < read[s].points.size(); ++i) {
            EXPECT_EQ(read[s].points[i].first, written[s].points[i].first);
            EXPECT_NEAR(read[s].points[i].second, written[s].points[i].second, 5e-9);
        }
    }
}

void ExpectRecordsBack(RecordingHost& target, bool names)
{
    const std::string first = names ? "Gruppe:Probe1" : "Gruppe:ClpObj0";
    const std::string second = names ? "Gruppe:Probe2" : "Gruppe:ClpObj1";
    EXPECT_EQ(ClipboardObjects(target),
              (std::vector<std::string>{first + " ClpRefs:a=1 1 1  ClpValues:a=1.5 2.5 -3.25 ",
                                        second + " ClpRefs:a=1 1 1  ClpValues:a=0.125 4 0.001 "}));
}

} // namespace

TEST(RoundTrip, WhatAWriterWritesItsLoaderReadsBack)
{
    const struct {
        const char* name;
        std::function<void(Source&, RecordingHost&, char, const std::string& dir)> run;
    } rows[] = {
        {"spectra text ; with names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadASCIIModule>(s, t, kSaveSpectraTextPath, kLoadAsciiPath, "Messung:*", {";", true}, mark,
                                            dir + "/Messung.txt");
             ExpectSpectraBack(s, t, true);
         }},
        {"spectra text | without names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadASCIIModule>(s, t, kSaveSpectraTextPath, kLoadAsciiPath, "Messung:*", {"|", false}, mark,
                                            dir + "/Messung.csv");
             ExpectSpectraBack(s, t, false);
         }},
        {"clipboard compact ; with names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadClipASCIIModule>(s, t, kSaveClipTextPath, kLoadClipAsciiPath, "Gruppe:*", {";", true, true}, mark,
                                                dir + "/Gruppe.txt");
             ExpectRecordsBack(t, true);
         }},
        {"clipboard compact ; without names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadClipASCIIModule>(s, t, kSaveClipTextPath, kLoadClipAsciiPath, "Gruppe:*", {";", false, true}, mark,
                                                dir + "/Gruppe.txt");
             ExpectRecordsBack(t, false);
         }},
        {"clipboard compact without separator, with names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadClipASCIIModule>(s, t, kSaveClipTextPath, kLoadClipAsciiPath, "Gruppe:*", {"", true, true}, mark,
                                                dir + "/Gruppe.txt");
             ExpectRecordsBack(t, true);
         }},
        {"clipboard compact without separator or names",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadClipASCIIModule>(s, t, kSaveClipTextPath, kLoadClipAsciiPath, "Gruppe:*", {"", false, true}, mark,
                                                dir + "/Gruppe.txt");
             ExpectRecordsBack(t, false);
         }},
        {"clipboard plain form of Meta records",
         [](Source& s, RecordingHost& t, char mark, const std::string& dir) {
             TextRoundTrip<LoadClipASCIIModule>(s, t, kSaveClipTextPath, kLoadClipAsciiPath, "Messung:Probe1;Messung:Probe2",
                                                {";", true, false}, mark, dir + "/anders.txt");
             EXPECT_EQ(ClipboardObjects(t),
                       (std::vector<std::string>{"Messung:Probe1 Anzahl:i=3 Faktor:d=0.5 Farbe:s=rot Null:s=0",
                                                 "Messung:Probe2 Anzahl:i=-7 Faktor:d=1.25 Farbe:s=blau gr\xC3\xBCn "
                                                 "Null:s=0"}));
         }},
        {"spectra XML, bit for bit",
         [](Source& s, RecordingHost& t, char, const std::string& dir) {
             auto& saver = AddModule<SaveXMLModule>(s.host, kSaveSpectraXmlPath);
             ASSERT_TRUE(saver.SaveObjects(dir + "/spektren", "Messung:*"));
             auto& loader = AddModule<LoadXMLModule>(t, kLoadXmlPath);
             ASSERT_TRUE(loader.LoadFile(dir + "/spektren.xml", ""));
             EXPECT_EQ(Spectra(t), Spectra(s.host));
             const auto& written = s.host.spectra.GetInserters();
             const auto& read = t.spectra.GetInserters();
             ASSERT_EQ(read.size(), written.size());
             for (auto w = written.begin(), r = read.begin(); r != read.end(); ++w, ++r) {
                 EXPECT_EQ((*r)->GetComment(), (*w)->GetComment());
                 EXPECT_EQ((*r)->GetColor(), (*w)->GetColor());
             }
         }},
    };
    for (const char mark : {'.', ','}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + ", mark " + mark);
            test_support::TempDir dir;
            Source source;
            RecordingHost target;
            row.run(source, target, mark, dir.path().string());
        }
    }
}

TEST(RoundTrip, SettingsThatAreNotReadBackDoNotCrash)
{
    for (const char mark : {'.', ','}) {
        SCOPED_TRACE(mark);
        test_support::TempDir dir;
        Source source;
        const struct {
            const char* name;
            const char* writer;
            const char* selection;
            Options options;
        } rows[] = {
            {"tab mode", kSaveSpectraTextPath, "Messung:*", {"", true}},
            {"separator .", kSaveSpectraTextPath, "Messung:*", {".", true}},
            {"separator ,", kSaveSpectraTextPath, "Messung:*", {",", true}},
            {"plain form of records", kSaveClipTextPath, "Gruppe:*", {";", true, false}},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            RecordingHost target;
            auto& writer = AddModule<SaveTabbedDataModule>(source.host, row.writer);
            writer.SetDecimalMark(mark);
            writer.getParameters().setStringParameter("Trennzeichen", row.options.separator);
            writer.getParameters().setBoolParameter("SaveNames", row.options.names);
            const std::string path = dir.file("datei.txt");
            ASSERT_TRUE(writer.SaveObjects(path, row.selection));
            for (const std::string& separator : {row.options.separator, std::string(";"), std::string("")}) {
                auto& ascii = AddModule<LoadASCIIModule>(target, kLoadAsciiPath);
                auto& clip = AddModule<LoadClipASCIIModule>(target, kLoadClipAsciiPath);
                ascii.getParameters().setStringParameter("Trennzeichen", separator);
                clip.getParameters().setStringParameter("Trennzeichen", separator);
                ascii.LoadFile(path, "");
                clip.LoadFile(path, "");
            }
            for (const SpectrumView& spectrum : Spectra(target)) {
                for (const auto& [x, y] : spectrum.points)
                    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y)) << spectrum.name;
            }
        }
    }
}

// Every loader that reads its file whole refuses one beyond 1 GiB with its own line, before a
// byte of it is read (a sparse file), and files nothing.
TEST(LoadersOfWholeFiles, RefuseFilesBeyondTheLimit)
{
    test_support::TempDir dir;
    const std::string huge = dir.file("riesig.txt");
    { std::ofstream(huge, std::ios::binary) << "380;1\r\n"; }
    std::filesystem::resize_file(huge, platform::FileBytes::kMaxBytes + 1);
    const struct {
        const char* name;
        std::function<bool(RecordingHost&, const std::string&)> load;
    } loaders[] = {
        {"ASCII", [](RecordingHost& h, const std::string& p) { return AddModule<LoadASCIIModule>(h, kLoadAsciiPath).Load(p, ""); }},
        {"clipboard ASCII",
         [](RecordingHost& h, const std::string& p) { return AddModule<LoadClipASCIIModule>(h, kLoadClipAsciiPath).Load(p, ""); }},
        {"own clipboard",
         [](RecordingHost& h, const std::string& p) { return AddModule<LoadOVClpModule>(h, kLoadOwnClipPath).Load(p, ""); }},
        {"XML", [](RecordingHost& h, const std::string& p) { return AddModule<LoadXMLModule>(h, kLoadXmlPath).Load(p, ""); }},
    };
    for (const auto& loader : loaders) {
        SCOPED_TRACE(loader.name);
        RecordingHost host;
        EXPECT_FALSE(loader.load(host, huge));
        EXPECT_EQ(Log(host), std::vector<std::string>{"[000070] Fehler: Laden fehlgeschlagen! Die Datei ist größer als 1 GB."});
        EXPECT_TRUE(host.spectra.GetInserters().empty());
        EXPECT_TRUE(host.clipboard.GetInserters().empty());
    }
}
