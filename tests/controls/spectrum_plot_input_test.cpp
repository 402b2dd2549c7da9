// Mouse, wheel, keys, tool tips and tool buttons of the plot control, sent as Qt events.
#include "controls/plot_test_fixture.h"
#include "platform/data_exchange.h"
#include "platform/file_chooser.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <filesystem>

namespace {

using plot_test::SpectrumPlotTest;
using plot_test::WaitFor;

class PlotInputTest : public SpectrumPlotTest {
protected:
    PlotInputTest()
    {
        Add("G:a", 500, 1, RGB(200, 0, 0));
        Add("G:b", 650, 0.5, RGB(0, 0, 200));
        plot.SetFromSpectrumList(All());
        EXPECT_TRUE(Draw());
    }

    void Manual()
    {
        *plot.settings().AutoXMinMax = false;
        *plot.settings().AutoMinMax = false;
    }
    PlotRange Range() const { return plot.model().ShownRange(); }
    void SetRange(PlotRange r)
    {
        *plot.settings().ActualMinX = r.minX;
        *plot.settings().ActualMaxX = r.maxX;
        *plot.settings().ActualMinY = r.minY;
        *plot.settings().ActualMaxY = r.maxY;
        plot.CalculateGrid();
    }

    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, p, plot.mapToGlobal(p), button, buttons, modifiers);
        QApplication::sendEvent(&plot, &event);
    }
    void Press(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Mouse(QEvent::MouseButtonPress, p, b, b, m);
    }
    void Release(QPoint p, Qt::MouseButton b) { Mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton); }
    void Move(QPoint p, Qt::MouseButtons buttons = Qt::NoButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, buttons, m);
    }
    void Click(QPoint p)
    {
        Press(p, Qt::LeftButton);
        Release(p, Qt::LeftButton);
    }
    void Wheel(QPoint p, int delta)
    {
        QWheelEvent event(p, plot.mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&plot, &event);
    }
    void Key(int key, Qt::KeyboardModifiers m)
    {
        QKeyEvent event(QEvent::KeyPress, key, m);
        QApplication::sendEvent(&plot, &event);
    }
    // Lets a requested redraw run to its end.
    bool Settle()
    {
        plot.repaint();
        return WaitFor([&] { return plot.isIdle(); });
    }
    QPoint Centre(PlotButton b) const
    {
        const PlotRect& r = RectOf(plot.buttonRects(), b);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_F(PlotInputTest, WheelZoomsAboutThePointerAndBack)
{
    Manual();
    SetRange({380, 780, 0, 1}); // 1.25 px per nm: 580 nm is column 300
    Wheel(QPoint(300, 200), 120);
    EXPECT_NEAR(Range().minX, 413.333333, 1e-5);
    EXPECT_NEAR(Range().maxX, 746.666667, 1e-5);
    EXPECT_NEAR(*plot.settings().MinX, 413.333333, 1e-5); // stored as limits
    ASSERT_TRUE(Settle());
    // Three high-resolution steps of 40 make one notch back.
    Wheel(QPoint(300, 200), -40);
    Wheel(QPoint(300, 200), -40);
    EXPECT_NEAR(Range().minX, 413.333333, 1e-5);
    Wheel(QPoint(300, 200), -40);
    EXPECT_NEAR(Range().minX, 380, 1e-9);
    EXPECT_NEAR(Range().maxX, 780, 1e-9);
    Wheel(QPoint(300, 200), 0); // horizontal wheels do nothing
    EXPECT_NEAR(Range().maxX, 780, 1e-9);
}

TEST_F(PlotInputTest, AutomaticRangesStopPanAndWheelButNotBoxAndKeypad)
{
    const PlotRange start = Range();
    Press(QPoint(300, 300), Qt::LeftButton);
    Move(QPoint(350, 330), Qt::LeftButton);
    Release(QPoint(350, 330), Qt::LeftButton);
    Wheel(QPoint(300, 300), 120);
    EXPECT_EQ(Range(), start);
    ASSERT_TRUE(Settle());

    // A middle click without a move does not zoom.
    Press(QPoint(200, 100), Qt::MiddleButton);
    Release(QPoint(200, 100), Qt::MiddleButton);
    EXPECT_EQ(Range(), start);
    Press(QPoint(175, 112), Qt::MiddleButton);
    Move(QPoint(425, 362));
    Release(QPoint(425, 362), Qt::MiddleButton);
    EXPECT_NEAR(Range().minX, 480, 1e-9);
    EXPECT_NEAR(Range().maxX, 680, 1e-9);
    ASSERT_TRUE(Settle());

    const PlotRange boxed = Range();
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_NEAR(Range().maxX - Range().minX, (boxed.maxX - boxed.minX) / 1.2, 1e-9);
}

TEST_F(PlotInputTest, PanMovesManualRangeAndStopsAtZero)
{
    Manual();
    SetRange({20, 420, 0, 1});
    Press(QPoint(300, 300), Qt::LeftButton);
    Move(QPoint(300 + 50, 300), Qt::LeftButton); // 40 nm to the right: the range would start at -20
    Release(QPoint(350, 300), Qt::LeftButton);
    EXPECT_EQ(Range().minX, 0);
    EXPECT_EQ(Range().maxX, 420);
    EXPECT_EQ(*plot.settings().MinX, 0);
}

TEST_F(PlotInputTest, ShiftClickMarksAndMovesAPoint)
{
    Manual();
    SetRange({380, 780, 0, 1});
    Spectrum* a = owned[0].get();
    QPoint peak;
    ASSERT_TRUE(plot.CoordinateToScreen(500, 1, plot.rect(), peak));
    Press(peak - QPoint(0, 30), Qt::LeftButton, Qt::ShiftModifier); // more than 10 px above
    EXPECT_EQ(plot.editedSpectrum(), nullptr);
    ASSERT_TRUE(Settle());
    Press(peak - QPoint(0, 5), Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(plot.editedSpectrum(), a);
    EXPECT_EQ((*a)[plot.editedIndex()].x, 500);
    ASSERT_TRUE(Settle());
    Move(peak + QPoint(0, 100), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_NEAR((*a)[plot.editedIndex()].y, 1 - 105 / 502.0, 1e-9); // from the click, 105 px
    ASSERT_TRUE(Settle());
    Move(peak, Qt::LeftButton); // without Shift the edit ends
    EXPECT_EQ(plot.editedSpectrum(), nullptr);
}

TEST_F(PlotInputTest, ToolTipsFollowThePointer)
{
    Move(Centre(PlotButton::FullSize));
    EXPECT_EQ(plot.toolTipText(), "gesamten Spektren-Datenbereich anzeigen");
    Move(Centre(PlotButton::Legend));
    EXPECT_EQ(plot.toolTipText(), "Spektrenlegende einblenden");
    Move(QPoint(300, 300));
    EXPECT_EQ(plot.toolTipText(), "");
    // Leaving the plot from a button takes the tip away.
    Move(Centre(PlotButton::Legend));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&plot, &leave);
    EXPECT_EQ(plot.toolTipText(), "");
    *plot.settings().DragAllowed = false;
    Move(Centre(PlotButton::Save));
    EXPECT_EQ(plot.toolTipText(), "");
}

// An options dialog that counts how often it was refreshed.
class CountingDialog : public QWidget, public platform::DataExchanger {
public:
    int exchanges = 0;

protected:
    void DoDataExchange(CDataExchange*) override { ++exchanges; }
};

TEST_F(PlotInputTest, DensityButtonRefreshesTheOptionsDialog)
{
    auto dialog = std::make_unique<CountingDialog>();
    plot.SetDispDlg(dialog.get());
    Move(Centre(PlotButton::Density));
    EXPECT_EQ(plot.toolTipText(), "Spektren-Y-Werte logarithmisch anzeigen");
    EXPECT_EQ(dialog->exchanges, 1);
    Move(Centre(PlotButton::Legend));
    EXPECT_EQ(dialog->exchanges, 1);
    dialog.reset(); // closed for good: forgotten
    Move(Centre(PlotButton::Density));
}

TEST_F(PlotInputTest, InputIgnoredWhileAHeldWorkerRuns)
{
    Manual();
    HoldWorkers();
    plot.NeedRedraw(true);
    plot.repaint();
    ASSERT_TRUE(WaitFor([&] { return held.load() == 1; }));
    const PlotRange start = Range();
    Wheel(QPoint(300, 200), 120);
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    Click(Centre(PlotButton::Dots));
    Press(QPoint(300, 300), Qt::LeftButton);
    Move(QPoint(350, 300), Qt::LeftButton);
    EXPECT_EQ(Range(), start);
    EXPECT_TRUE(*plot.settings().ShowGraphDots);
    hold = false;
    ASSERT_TRUE(Draw());
    // The release during the drawing ended the pan: a later move does not pan.
    Release(QPoint(350, 300), Qt::LeftButton);
    Move(QPoint(400, 300), Qt::LeftButton);
    EXPECT_EQ(Range(), start);
}

// A chooser that answers for the user.
class FakeChooser : public platform::FileChooser {
public:
    QString GetSaveFileName(QWidget*, const QString&, const QString& fileName, const QString& filter) override
    {
        ++calls;
        lastFilter = filter;
        lastName = fileName;
        return answer;
    }
    QString answer;
    QString lastFilter;
    QString lastName;
    int calls = 0;
};

TEST_F(PlotInputTest, TenButtonClicks)
{
    PlotSettings& s = plot.settings();
    struct Toggle {
        PlotButton button;
        bool* flag;
    } toggles[] = {
        {PlotButton::SpekGraph, s.ShowSpekGraph}, {PlotButton::Dots, s.ShowGraphDots},
        {PlotButton::Info, s.ShowInfoWin},        {PlotButton::DotsOnly, s.ShowGraphDotsOnly},
        {PlotButton::Legend, s.InfoLegende},      {PlotButton::Density, s.ShowDensity},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(static_cast<int>(t.button));
        const bool before = *t.flag;
        Click(Centre(t.button));
        EXPECT_NE(*t.flag, before);
        EXPECT_FALSE(plot.isIdle()); // a redraw follows
        ASSERT_TRUE(Settle());
    }
    EXPECT_NEAR(*s.MaxY, 0, 1e-12); // the density button rescanned: log10(1)

    Manual();
    SetRange({500, 510, 0.5, 0.6});
    Click(Centre(PlotButton::XSize));
    EXPECT_EQ(Range().minX, 380);
    EXPECT_FALSE(*s.AutoXMinMax);
    ASSERT_TRUE(Settle());
    Click(Centre(PlotButton::YSize));
    EXPECT_GT(Range().maxY, 0);
    EXPECT_FALSE(*s.AutoMinMax);
    ASSERT_TRUE(Settle());
    SetRange({500, 510, 0.5, 0.6});
    Click(Centre(PlotButton::FullSize));
    EXPECT_EQ(Range().maxX, 780);
    EXPECT_FALSE(*s.AutoMinMax || *s.AutoXMinMax);
    ASSERT_TRUE(Settle());

    FakeChooser chooser;
    platform::FileChooser* previous = platform::SetFileChooser(&chooser);
    test_support::TempDir dir;
    chooser.answer = QString::fromStdString(dir.file("bild.png"));
    Click(Centre(PlotButton::Save));
    EXPECT_EQ(chooser.lastFilter, "Spektren-Bilddatei (*.png)");
    EXPECT_EQ(chooser.lastName, "*.png");
    EXPECT_TRUE(std::filesystem::exists(dir.file("bild.png")));
    ASSERT_TRUE(Settle());
    chooser.answer.clear(); // cancelled: nothing saved, a redraw follows
    Click(Centre(PlotButton::Save));
    EXPECT_EQ(chooser.calls, 2);
    EXPECT_FALSE(plot.isIdle());
    ASSERT_TRUE(Settle());
    FakePrompter prompter;
    chooser.answer = QString::fromStdString(dir.path().string()); // a folder: cannot be written
    Click(Centre(PlotButton::Save));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, "Fehler");
    EXPECT_EQ(prompter.shown[0].text, "Das Bild konnte nicht gespeichert werden:\n" + chooser.answer);
    platform::SetFileChooser(previous);
}

} // namespace
