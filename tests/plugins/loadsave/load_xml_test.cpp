// The XML spectra loader on fixture files: target groups, odd contents and bad documents.
#include "load_xml_module.h"
#include "loadsave_test_support.h"
#include "messages.h"

#include <gtest/gtest.h>

using namespace loadsave_test;

namespace {

using S = std::vector<SpectrumView>;


std::string Fixture(const char* name)
{
    return std::string(ORVANTA_TEST_DATA_DIR) + "/loadsave/xml/" + name;
}

} // namespace

TEST(LoadXml, SpectraBelowTheTargetGroup)
{
    const struct {
        const char* name;
        std::string group;
        S spectra;
    } rows[] = {
        {"as stored", "", S{{"Serie:LED rot", {{380, 0.5}, {390, 0.25}}}, {"LED gr\xC3\xBCn", {{400, 1}, {410, 2}, {420, 3}}}}},
        {"below a group", " Import ",
         S{{"Import:Serie:LED rot", {{380, 0.5}, {390, 0.25}}}, {"Import:LED gr\xC3\xBCn", {{400, 1}, {410, 2}, {420, 3}}}}},
        {"blanks only count as empty", " \t ",
         S{{"Serie:LED rot", {{380, 0.5}, {390, 0.25}}}, {"LED gr\xC3\xBCn", {{400, 1}, {410, 2}, {420, 3}}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingHost host;
        auto& loader = AddModule<LoadXMLModule>(host, kLoadXmlPath);
        EXPECT_TRUE(loader.LoadFile(Fixture("two_spectra.xml"), row.group));
        EXPECT_EQ(Spectra(host), row.spectra);
        EXPECT_TRUE(host.log.empty());
    }

    RecordingHost host;
    auto& loader = AddModule<LoadXMLModule>(host, kLoadXmlPath);
    ASSERT_TRUE(loader.LoadFile(Fixture("two_spectra.xml"), ""));
    const Spectrum* first = host.spectra.GetInserter("Serie:LED rot");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetComment(), "gemessen");
    EXPECT_EQ(first->GetColor(), 255u);
}

TEST(LoadXml, OddSpectraAreKeptWithoutBadPointsAndTheLogNamesWhatWasLeftOut)
{
    RecordingHost host;
    auto& loader = AddModule<LoadXMLModule>(host, kLoadXmlPath);
    EXPECT_TRUE(loader.LoadFile(Fixture("odd_spectra.xml"), "G"));
    // Unequal arrays: no points. No name, or colons only: a generated one, never the bare
    // group. Points with an infinite or undefined coordinate are left out.
    EXPECT_EQ(Spectra(host), (S{{"G:ungleich", {}}, {"G:Spec1", {{380, 7}}}, {"G:Spec2", {}},
                                {"G:nicht endlich", {{380, 1}}}}));
    // Each spectrum that lost points says so under its path in the tree, positions from 1.
    EXPECT_EQ(host.LogTexts(),
              (std::vector<std::string>{
                  "Fehler: Im Spektrum 'G:ungleich' passen Wellenlängen und Werte nicht zusammen (XVals: 3, YVals: "
                  "2 Einträge); es wurde ohne Punkte geladen.",
                  "Fehler: Im Spektrum 'G:nicht endlich' wurden 3 Punkte ohne endliche Zahlenwerte ausgelassen "
                  "(Punkte 2, 3, 4).",
              }));
    for (const RecordingHost::LogLine& line : host.LogSnapshot())
        EXPECT_EQ(line.colour, 0x000070u);
}

TEST(LoadXml, TheSameNameTwiceGivesTheTreesAnswer)
{
    RecordingHost host;
    auto& loader = AddModule<LoadXMLModule>(host, kLoadXmlPath);
    ASSERT_TRUE(loader.LoadFile(Fixture("two_spectra.xml"), ""));
    ASSERT_TRUE(loader.LoadFile(Fixture("two_spectra.xml"), ""));
    EXPECT_EQ(Spectra(host).size(), 2u) << "the second load replaced the first";
}

TEST(LoadXml, BadDocumentsFailWithoutChangingTheTree)
{
    test_support::TempDir dir;
    WriteBytes(dir.file("binary.xml"), std::string("\x00\xFF\xFE<\x01", 5));
    WriteBytes(dir.file("empty.xml"), "");
    // A file the reader cannot read fails without a line of its own (the form names the file);
    // only a folder, pipe or device is named as such.
    const struct {
        const char* name;
        std::string path;
        bool ok;
        std::vector<std::string> log;
    } rows[] = {
        {"no Spectrum groups", Fixture("empty_spectrums.xml"), true, {}},
        {"no Spectrums group (a project file)", Fixture("project.xml"), false, {}},
        {"malformed", Fixture("malformed.xml"), false, {}},
        {"entity declarations", Fixture("entities.xml"), false, {}},
        {"binary", dir.file("binary.xml"), false, {}},
        {"empty", dir.file("empty.xml"), false, {}},
        {"missing", dir.file("fehlt.xml"), false, {}},
        {"a folder", dir.path().string(), false, {loadsave::msg::kNotRegularFile}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingHost host;
        auto& loader = AddModule<LoadXMLModule>(host, kLoadXmlPath);
        EXPECT_EQ(loader.LoadFile(row.path, ""), row.ok);
        EXPECT_TRUE(host.spectra.GetInserters().empty());
        EXPECT_EQ(host.LogTexts(), row.log);
    }
}
