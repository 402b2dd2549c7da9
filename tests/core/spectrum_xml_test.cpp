#include "core/spectrum.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using ns_xandril::XMLReadModul;
using ns_xandril::XMLWriteModul;

class SpectrumXmlTest : public ::testing::Test {
protected:
    std::string File() const { return dir.filePath("spectrum.xml").toStdString(); }

    // Writes one group "Spectrum" filled by fill, then opens it for reading.
    template <class Fill>
    void WriteGroup(Fill&& fill)
    {
        XMLWriteModul writer;
        ASSERT_TRUE(writer.enterGroup("Spectrum"));
        fill(writer);
        ASSERT_TRUE(writer.leaveGroup());
        ASSERT_TRUE(writer.writeToFile(File()));
        reader.readFromFile(File());
        ASSERT_TRUE(reader.enterGroup("Spectrum"));
    }

    QTemporaryDir dir;
    XMLReadModul reader;
};

TEST_F(SpectrumXmlTest, RoundTripIsBitForBit)
{
    constexpr double big = std::numeric_limits<double>::max();  // 1.7976931348623157e308
    Spectrum s;
    s.SetName("Messung:Serie 1:LED rot");
    s.SetComment("Zeile 1\r\n\tgrün <&\"'> ");
    s.SetColor(RGB(0x12, 0x34, 0x56));
    const std::vector<SPoint> points = {
        {big, -big}, {0.1, 5e-324}, {380.000000000001, -0.0}, {0, 1.0 / 3.0},
    };
    for (const SPoint& p : points)
        s.AddPoint(p);
    WriteGroup([&](XMLWriteModul& w) { s.writeToXML(w); });

    Spectrum back;
    back.readFromXML(reader);
    EXPECT_EQ(back.GetName(), s.GetName());
    EXPECT_EQ(back.GetComment(), s.GetComment());
    EXPECT_EQ(back.GetColor(), s.GetColor());
    ASSERT_EQ(back.GetPointCount(), s.GetPointCount());
    for (int i = 0; i < s.GetPointCount(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back[i].x), std::bit_cast<std::uint64_t>(s[i].x)) << i;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back[i].y), std::bit_cast<std::uint64_t>(s[i].y)) << i;
    }
    EXPECT_EQ(back.getMinX(), big);
    EXPECT_EQ(back.getMaxX(), 0);

    std::string comment;
    int id = 0;
    ASSERT_TRUE(reader.readInt("SpecID", comment, id));
    EXPECT_GE(id, 10000);
    EXPECT_LE(id, 19999);
}

TEST_F(SpectrumXmlTest, EmptySpectrumRoundTrips)
{
    Spectrum s;
    s.SetName("Leer");
    WriteGroup([&](XMLWriteModul& w) { s.writeToXML(w); });
    Spectrum back;
    back.AddPoint(SPoint(1, 1));
    back.readFromXML(reader);
    EXPECT_EQ(back.GetName(), "Leer");
    EXPECT_EQ(back.GetPointCount(), 0);
}

TEST_F(SpectrumXmlTest, NameIsTidiedByThePathRule)
{
    WriteGroup([](XMLWriteModul& w) { w.writeString("SpecName", "", ":Gruppe::A:"); });
    Spectrum back;
    back.readFromXML(reader);
    EXPECT_EQ(back.GetName(), "Gruppe:A");
}

TEST_F(SpectrumXmlTest, UnequalCountsLeaveNoPointsAndNoStaleCache)
{
    const double xs[] = {400, 410, 420};
    const double ys[] = {1, 2};
    WriteGroup([&](XMLWriteModul& w) {
        w.writeString("SpecName", "", "Ungleich");
        w.writeString("SpecComment", "", "bleibt");
        w.writeInt("SpecColor", "", 255, 0, 0xFFFFFF);
        w.write1DDoubleArray("XVals", "", xs, 3);
        w.write1DDoubleArray("YVals", "", ys, 2);
    });
    // The old points are unsorted and the answer is cached: the read must not keep it.
    Spectrum s;
    s.AddPoint(SPoint(5, 1));
    s.AddPoint(SPoint(3, 1));
    ASSERT_FALSE(s.IsSorted());
    ASSERT_FALSE(s.IsEquiDistant(nullptr, nullptr, nullptr));
    s.readFromXML(reader);
    EXPECT_EQ(s.GetPointCount(), 0);
    EXPECT_EQ(s.GetName(), "Ungleich");
    EXPECT_EQ(s.GetComment(), "bleibt");
    EXPECT_EQ(s.GetColor(), 255u);
    EXPECT_TRUE(s.IsSorted());
    EXPECT_TRUE(s.IsEquiDistant(nullptr, nullptr, nullptr));
}

TEST_F(SpectrumXmlTest, MissingKeysLeaveFieldsAsTheyAre)
{
    WriteGroup([](XMLWriteModul& w) { w.writeString("SpecName", "", "Nur:Name"); });
    Spectrum s;
    s.SetComment("alt");
    s.SetColor(7);
    s.AddPoint(SPoint(1, 1));
    s.readFromXML(reader);
    EXPECT_EQ(s.GetName(), "Nur:Name");
    EXPECT_EQ(s.GetComment(), "alt");
    EXPECT_EQ(s.GetColor(), 7u);
    EXPECT_EQ(s.GetPointCount(), 0);
}

} // namespace
