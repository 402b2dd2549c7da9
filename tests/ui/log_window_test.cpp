#include "ui/log_window_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = LogModel::FormatMessage(format, args);
    va_end(args);
    return text;
}

// A text of n characters: 'x' everywhere, with blanks and colons at the given positions.
std::string Text(std::size_t n, std::initializer_list<std::size_t> blanks, std::initializer_list<std::size_t> colons = {})
{
    std::string text(n, 'x');
    for (std::size_t b : blanks)
        text[b] = ' ';
    for (std::size_t c : colons)
        text[c] = ':';
    return text;
}

TEST(LogModel, SplitsLongMessagesOnceAtTheBlankBeforeTheColon)
{
    struct Row {
        const char* name;
        std::string text;
        std::size_t splitAt; // npos: one line
    };
    const Row rows[] = {
        {"400 characters stay one line", Text(400, {10, 399}), std::string::npos},
        {"401 characters split at the last blank", Text(401, {10, 200}), 200},
        {"colon at 410: the blank at 405, not 395", Text(500, {395, 405, 420}, {410}), 405},
        {"colon before 400 does not count", Text(500, {100, 450}, {300}), 450},
        {"no blank at all stays one line", Text(401, {}), std::string::npos},
        {"only blanks after the colon stay one line", Text(600, {500}, {420}), std::string::npos},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        LogModel model;
        model.AddMessage("%s", r.text);
        if (r.splitAt == std::string::npos) {
            ASSERT_EQ(model.LineCount(), 1u);
            EXPECT_EQ(model.Lines()[0], r.text);
        } else {
            ASSERT_EQ(model.LineCount(), 2u);
            EXPECT_EQ(model.Lines()[0], r.text.substr(0, r.splitAt) + "...");
            EXPECT_EQ(model.Lines()[1], "..." + r.text.substr(r.splitAt));
            EXPECT_EQ(model.Lines()[1].substr(0, 4), "... ");
        }
    }
}

TEST(LogModel, OnlyTheSecondLineOfASplitMessageTakesTheColour)
{
    LogModel model;
    model.AddColorMessage(0x000070, "%s", Text(450, {300}));
    model.AddColorMessage(0x007000, "%s", "kurz");
    ASSERT_EQ(model.LineCount(), 3u);
    EXPECT_EQ(model.Colours()[0], LogModel::kDefaultColour);
    EXPECT_EQ(model.Colours()[1], 0x000070u);
    EXPECT_EQ(model.Colours()[2], 0x007000u);
    model.AddMessage("%s", "ohne Farbe");
    EXPECT_EQ(model.Colours()[3], LogModel::kDefaultColour);
}

TEST(LogModel, KeepsTheNewestLinesDroppingAtMostOnePerMessage)
{
    LogModel model;
    for (int i = 0; i < 600; ++i)
        model.AddMessage("%d", std::to_string(i));
    ASSERT_EQ(model.LineCount(), 512u);
    EXPECT_EQ(model.Lines().front(), "88");
    EXPECT_EQ(model.Lines().back(), "599");

    model.AddColorMessage(0x0000FF, "%s", Text(450, {300}));
    EXPECT_EQ(model.LineCount(), 513u);
    EXPECT_EQ(model.Colours().size(), 513u);
    EXPECT_EQ(model.Colours().back(), 0x0000FFu);
    model.AddMessage("%s", "weiter");
    EXPECT_EQ(model.LineCount(), 513u);

    // A run of split messages does not grow the list past 513.
    for (int i = 0; i < 50; ++i)
        model.AddMessage("%s", Text(450, {300}));
    EXPECT_EQ(model.LineCount(), 513u);
    EXPECT_EQ(model.Colours().size(), 513u);
    EXPECT_EQ(model.Lines().back().substr(0, 4), "... ");
    model.AddMessage("%s", "kurz");
    EXPECT_EQ(model.LineCount(), 513u);
}

TEST(LogModel, FormatsIntoAtMost1023BytesWithoutBreakingACharacter)
{
    const std::string ascii(2000, 'a');
    EXPECT_EQ(Format("%s", ascii.c_str()), std::string(1023, 'a'));

    // "ä" is two bytes; the limit falls inside the 512th one.
    std::string umlauts;
    for (int i = 0; i < 600; ++i)
        umlauts += "\xC3\xA4";
    const std::string cut = Format("x%s", umlauts.c_str());
    EXPECT_EQ(cut.size(), 1023u);
    EXPECT_TRUE(cut == "x" + umlauts.substr(0, 1022));
    EXPECT_TRUE(Format("%s", umlauts.c_str()) == umlauts.substr(0, 1022));

    // "€" is three bytes.
    std::string euros;
    for (int i = 0; i < 400; ++i)
        euros += "\xE2\x82\xAC";
    EXPECT_TRUE(Format("%s", euros.c_str()) == euros.substr(0, 1023));
    EXPECT_TRUE(Format("a%s", euros.c_str()) == "a" + euros.substr(0, 1020));

    EXPECT_EQ(Format("%d%% von %s", 50, "Spektrum 100%"), "50% von Spektrum 100%");
}

TEST(LogModel, TopLineStopsOneEmptyRowBelowTheLastLine)
{
    struct Row {
        int lines, perPage, maxTop;
    };
    const Row rows[] = {{0, 10, 0}, {9, 10, 0}, {10, 10, 1}, {25, 10, 16}, {5, 0, 6}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.lines << " lines, " << r.perPage << " per page");
        EXPECT_EQ(MaxLogTopLine(r.lines, r.perPage), r.maxTop);
    }
}

class LogViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        view.resize(500, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    CLogWindowView view;
};

TEST_F(LogViewTest, FollowsTheNewestLineAndScrollsWithinTheRule)
{
    ASSERT_GT(view.LinesPerPage(), 2);
    for (int i = 0; i < 3; ++i)
        view.AddMessage("Zeile %d", i);
    EXPECT_EQ(view.TopLine(), 0);

    for (int i = 0; i < 100; ++i)
        view.AddColorMessage(0x007000, "Hinweis: %s %d", "Zeile", i);
    const int maxTop = MaxLogTopLine(103, view.LinesPerPage());
    EXPECT_EQ(view.TopLine(), maxTop);
    EXPECT_EQ(view.Model().Lines().back(), "Hinweis: Zeile 99");

    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view.TopLine(), 0);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.TopLine(), view.LinesPerPage());
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view.TopLine(), maxTop);
}

TEST_F(LogViewTest, CtrlCCopiesTheFormatTextOfTheNewestMessage)
{
    view.AddColorMessage(0x000070, "Fehler: Datei '%s' fehlt (%d)", "a.txt", 3);
    view.setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    QApplication::sendEvent(&view, &press);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Fehler: Datei '%s' fehlt (%d)"));
}

TEST_F(LogViewTest, PaintsLinesInTheirColours)
{
    view.AddColorMessage(0x0000FF, "%s", "████████████████████████");
    const QImage image = view.viewport()->grab().toImage();
    bool red = false;
    for (int x = 0; x < 100 && !red; ++x)
        for (int y = 0; y < 10 && !red; ++y)
            red = image.pixelColor(x, y) == QColor(255, 0, 0);
    EXPECT_TRUE(red);
}

} // namespace
