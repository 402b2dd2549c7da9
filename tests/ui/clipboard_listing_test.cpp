#include "ui/clipboard_listing.h"

#include "core/clipboard_object.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ClipboardListing, EachParameterWithItsOwnValueWithoutClpRefs)
{
    ClipboardObject a;
    a.SetName("Gruppe:Unter:Obj");
    a.GetParameters().addIntParameter("A", "", 1, 0, 10, 0);
    a.GetParameters().addStringParameter("ClpRefs", "", "Gruppe:Andere", "");
    a.GetParameters().addDoubleParameter("Zeta", "", 2.5, 0, 10, 0);
    a.GetParameters().addStringParameter("b", "", "50%", "");
    ClipboardObject top;
    top.SetName("Oben");
    const auto lines = ClipboardListingLines({&a, &top});
    EXPECT_EQ(lines, (std::vector<std::string>{"Parametervektor(en) aus Gruppe \"Gruppe:Unter\"",
                                               "Obj: A: 1     Zeta: 2.5     b: 50%     ", "Oben: "}));
    EXPECT_TRUE(ClipboardListingLines({}).empty());
    // Without ":" in the first name there is no group line.
    EXPECT_EQ(ClipboardListingLines({&top}), std::vector<std::string>{"Oben: "});
}

TEST(ClipboardListing, LongLinesAreCutAt511Characters)
{
    ClipboardObject o;
    o.SetName("O");
    o.GetParameters().addStringParameter("T", "", std::string(600, 'x'), "");
    const auto lines = ClipboardListingLines({&o});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 511u);
}

} // namespace
