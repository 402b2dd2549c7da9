#include "ui/tree_text.h"

#include <gtest/gtest.h>

namespace {

int SevenPixelsPerCharacter(const QString& text)
{
    return 7 * static_cast<int>(text.size());
}

TEST(TreeText, HyphenateLabelBreaksAfterTheLastFittingMark)
{
    const struct {
        const char* text;
        int width;
        const char* label;
    } cases[] = {
        {"Farb|werte be|rech|nen", 200, "Farbwerte berechnen"},
        {"Farb|werte be|rech|nen", 100, "Farbwerte be-\nrechnen"},
        {"Farb|werte be|rech|nen", 60, "Farb-\nwerte berec..."},
        {"Farb|werte be|rech|nen", 20, "Farbwerte berechnen"}, // no mark fits
        {"ASCII-|Text-|Da|tei", 50, "ASCII-\nText-D..."},      // "--" becomes "-"
        {"Ohne Marken und zu lang", 30, "Ohne Marken und zu lang"},
        {"", 10, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " @ " + std::to_string(c.width));
        EXPECT_EQ(HyphenateLabel(QString::fromUtf8(c.text), c.width, SevenPixelsPerCharacter), QString::fromUtf8(c.label));
    }
}

TEST(TreeText, CutsCountCharactersNotBytes)
{
    // Four characters outside the basic plane are eight UTF-16 units.
    EXPECT_EQ(ReplaceLastCharacters(QString::fromUtf8("x😀😀😀😀😀"), 4, "..."), QString::fromUtf8("x😀..."));
    EXPECT_EQ(ReplaceLastCharacters("abc", 4, "..."), "...");
    EXPECT_EQ(CutToCharacters("ääää", 2), "ää");
    EXPECT_EQ(CutToCharacters("a😀b", 2), "a😀");
    EXPECT_EQ(CutToCharacters("abc", 10), "abc");
    EXPECT_EQ(CutToCharacters("abc", 0), "");
}

TEST(TreeText, ValidItemNames)
{
    for (const char* good : {"Messung 1", "ä", " x "})
        EXPECT_TRUE(IsValidItemName(good)) << good;
    for (const char* bad : {"", "   ", "\t", "a:b", "a;b", ":"})
        EXPECT_FALSE(IsValidItemName(bad)) << bad;
    EXPECT_EQ(StripHyphenMarks(std::string("Da|ten|im|port")), "Datenimport");
}

} // namespace
