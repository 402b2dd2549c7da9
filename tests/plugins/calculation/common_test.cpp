// Helpers shared by the calculation modules.
#include "calculation/calc_common.h"

#include "fixture.h"

#include <xandril/xandril.h>

#include <gtest/gtest.h>

namespace {

TEST(CalcCommon, CleanGroupPathFollowsThePathRule)
{
    const std::pair<std::string, std::string> rows[] = {
        {":Gruppe::Unter:", "Gruppe:Unter"},
        {"", ""},
        {"::", ""},
        {"Gruppe", "Gruppe"},
        {":::A:::B:::", ":A:B"}, // one leading and one trailing ":" go, runs collapse
        {"A:B", "A:B"},
    };
    for (auto [path, cleaned] : rows) {
        SCOPED_TRACE(path);
        calc::CleanGroupPath(path);
        EXPECT_EQ(path, cleaned);
    }
}

TEST(CalcCommon, ClampedPointAndShortName)
{
    const SPoint p = calc::ClampedPoint(-3, 2);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 2);
    EXPECT_EQ(calc::ClampedPoint(4.5, -1).x, 4.5);
    EXPECT_EQ(calc::ClampedPoint(4.5, -1).y, -1);
    EXPECT_EQ(calc::ShortName("A:B:C"), "C");
    EXPECT_EQ(calc::ShortName("C"), "C");
}

// The Sel number wins over the enumeration it stands beside; a number that is no index
// changes nothing.
TEST(CalcCommon, SelNumberBeatsTheEnumeration)
{
    ns_param::Paramora p("P");
    ns_xandril::XMLEnumClass entries;
    for (const char* e : {"a", "b", "c"})
        entries.addEntry(e);
    p.addEnumParameter("Filter", "", entries, nullptr);
    p.addIntParameter("FilterSel", "", 0, 0, 2, 0);
    const std::pair<int, int> rows[] = {{2, 2}, {0, 0}, {3, -1}, {-1, -1}};
    for (auto [sel, result] : rows) {
        SCOPED_TRACE(sel);
        p.getEnumParameter("Filter")->setIndex(1);
        p.setIntParameter("FilterSel", sel);
        EXPECT_EQ(calc::SyncEnumFromSel(p, "Filter"), result);
        EXPECT_EQ(p.getEnumParameter("Filter")->getIndex(), result >= 0 ? result : 1);
    }
    EXPECT_EQ(calc::SyncEnumFromSel(p, "Missing"), -1);
}

// A spectrum the tree refuses is deleted (the sanitizer's leak check watches), one it takes
// stays.
TEST(CalcCommon, FileSpectrumDeletesWhatTheTreeRefuses)
{
    struct Refuse : SpectrumTree::EventHandler {
        bool CanReplace(Spectrum*) override { return false; }
    } refuse;
    RecordingHost host;
    Spectrum* old = calc_test::AddSpectrum(host, "A:B", {1}, {2});
    host.spectra.SetEventHandler(&refuse);
    auto replacement = std::make_unique<Spectrum>();
    replacement->SetName("A:B");
    EXPECT_FALSE(calc::FileSpectrum(host.spectra, std::move(replacement)));
    EXPECT_EQ(host.spectra.GetInserterByName("A:B"), old);
    auto fresh = std::make_unique<Spectrum>();
    fresh->SetName("A:C");
    EXPECT_TRUE(calc::FileSpectrum(host.spectra, std::move(fresh)));
    EXPECT_NE(host.spectra.GetInserterByName("A:C"), nullptr);
    host.spectra.SetEventHandler(nullptr);
}

} // namespace
