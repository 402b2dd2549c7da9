#include "ui/main_panel_layout.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// 7 pixels per character, 14 pixels high; bold texts 8 pixels per character.
QSize Measure(const QString& text, bool bold)
{
    return QSize((bold ? 8 : 7) * static_cast<int>(text.size()), 14);
}

const MainPanelText* Find(const MainPanelPicture& p, const QString& text)
{
    const auto it = std::find_if(p.texts.begin(), p.texts.end(), [&](const MainPanelText& t) { return t.text == text; });
    return it == p.texts.end() ? nullptr : &*it;
}

QPoint Icon(const MainPanelPicture& p, int id)
{
    const auto it = std::find_if(p.icons.begin(), p.icons.end(), [&](const MainPanelIcon& i) { return i.id == id; });
    return it == p.icons.end() ? QPoint(-1, -1) : it->position;
}

TEST(MainPanelLayout, SmallPanelShowsOnlyIcons)
{
    const auto p = MainPanelLayout(480, 300, 100, "Gruppe:Modul", "A;B;", Measure);
    EXPECT_TRUE(p.texts.empty());
    // Without titles the icons move by the missing title widths (0); P is 0.
    EXPECT_EQ(Icon(p, 160), QPoint(451, 17));
    EXPECT_EQ(Icon(p, 165), QPoint(418, 22));
    EXPECT_EQ(Icon(p, 145), QPoint(252, 156));
    EXPECT_EQ(Icon(p, 144), QPoint(240, 144));
    EXPECT_EQ(Icon(p, 161), QPoint(451, 92)); // the list is 100 high, 200 below it
}

TEST(MainPanelLayout, GroupModulesAreListedFourteenPixelsApart)
{
    const auto p = MainPanelLayout(551, 201, 400, "Gruppe", "Eins;Zwei;Drei;Vier;", Measure);
    const MainPanelText* title = Find(p, QString("FUNKTIONSMODULE ") + kEditionLabel);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->rect.topLeft(), QPoint(74, 14));
    const MainPanelText* last = Find(p, "Gruppe");
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->bold);
    EXPECT_EQ(last->rect, QRect(74, 28, 551 / 3, 14));
    const QStringList names = {"Eins", "Zwei", "Drei", "Vier"};
    for (int k = 0; k < names.size(); ++k) {
        const MainPanelText* name = Find(p, names[k]);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->rect, QRect(74 + 14, 42 + 14 * k, 551 / 4, 14)) << k;
        EXPECT_TRUE(name->elide);
    }
    // The list is taller than the panel: the clipboard icon says so.
    EXPECT_EQ(Icon(p, 166), QPoint(522, 201 - 46 + 12));
    EXPECT_EQ(Icon(p, 161), QPoint(-1, -1));
    // Centre: P = width of "MODUL-PARAMETER" + 28 = 133.
    EXPECT_EQ(Find(p, "MODUL-PARAMETER")->rect.topLeft(), QPoint(275 - 66 + 40, 100));
    EXPECT_EQ(Icon(p, 145), QPoint(275 - 66 + 12, 106));
}

TEST(MainPanelLayout, ModuleTextsNeedTheWiderPanel)
{
    const auto p = MainPanelLayout(550, 300, 0, "Gruppe:Modul", "A;", Measure);
    EXPECT_NE(Find(p, "MODUL-PARAMETER"), nullptr);
    // 550 is large but not wide enough for the module list or the centre module name.
    EXPECT_EQ(std::count_if(p.texts.begin(), p.texts.end(), [](const MainPanelText& t) { return t.bold; }), 0);
    EXPECT_EQ(Find(p, "A"), nullptr);
}

} // namespace
