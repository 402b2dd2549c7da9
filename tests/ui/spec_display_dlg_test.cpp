#include "ui/spec_display_dlg.h"

#include "controls/spectrum_plot.h"
#include "core/spectrum.h"
#include "support/fake_color_chooser.h"
#include "support/fake_prompter.h"
#include "ui/main_frame.h"
#include "ui/spectrum_colouring.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A real plot showing three spectra, owned by a frame that keeps the export size.
class DisplayDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            auto spectrum = std::make_unique<Spectrum>();
            spectrum->SetName("S" + std::to_string(i));
            spectrum->AddPoint(SPoint(400, 0.1 * i));
            spectrum->AddPoint(SPoint(700, 0.2 * i + 0.1));
            shown.push_back(spectrum.get());
            spectra.push_back(std::move(spectrum));
        }
        plot.SetFromSpectrumList(shown);
    }

    std::unique_ptr<CSpecDisplayDlg> Open() { return std::make_unique<CSpecDisplayDlg>(&plot, &frame); }

    template <class T = QWidget>
    static T* Item(const CSpecDisplayDlg& dialog, int id)
    {
        T* item = qobject_cast<T*>(dialog.GetDlgItem(id));
        EXPECT_NE(item, nullptr) << id;
        return item;
    }
    static QString Text(const CSpecDisplayDlg& dialog, int id) { return Item<QLineEdit>(dialog, id)->text(); }
    // The user leaves text in the field (one edit).
    static void Enter(const CSpecDisplayDlg& dialog, int id, const QString& text)
    {
        QLineEdit* edit = Item<QLineEdit>(dialog, id);
        edit->setText(text);
        emit edit->textEdited(text);
    }
    static void Click(const CSpecDisplayDlg& dialog, int id) { Item<QAbstractButton>(dialog, id)->click(); }

    CMainFrame frame;
    std::vector<std::unique_ptr<Spectrum>> spectra;
    std::list<Spectrum*> shown;
    CSpecDisplay plot;
    PlotSettings& s = plot.settings();
    FakePrompter prompter;
};

TEST_F(DisplayDialogTest, WaveNumbersShownAndTakenInTheUnitsOrder)
{
    *s.Unit = 1;
    *s.MinX = 400;
    *s.MaxX = 800;
    *s.AutoXMinMax = false;
    auto dialog = Open();
    EXPECT_TRUE(Item<QRadioButton>(*dialog, CSpecDisplayDlg::IDC_UNIT_PER_MM)->isChecked());
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MINX), "2499");
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MAXX), "1249");

    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText("2500");
    Enter(*dialog, CSpecDisplayDlg::IDC_MAXX, "1250");
    EXPECT_EQ(*s.MinX, 400);
    EXPECT_EQ(*s.MaxX, 800);

    // Integer division: 1000000 / 2400 = 416.
    struct Row {
        const char* min;
        const char* max;
    } refused[] = {{"1250", "2500"}, {"", "1250"}, {"-", "1250"}, {"abc", "1250"}, {"0", "1250"},
                   {"2500", "-1250"}, {"2500.5", "1250"}};
    for (const Row& row : refused) {
        SCOPED_TRACE(std::string(row.min) + " / " + row.max);
        Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText(row.min);
        Enter(*dialog, CSpecDisplayDlg::IDC_MAXX, row.max);
        EXPECT_EQ(*s.MinX, 400);
        EXPECT_EQ(*s.MaxX, 800);
    }
    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText("2400");
    Enter(*dialog, CSpecDisplayDlg::IDC_MAXX, "1250");
    EXPECT_EQ(*s.MinX, 416);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(DisplayDialogTest, NanometreEntriesAndUnitSwitch)
{
    *s.MinX = 380.75;
    *s.MaxX = 780;
    *s.AutoXMinMax = false;
    auto dialog = Open();
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MINX), "380");
    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText("450");
    Enter(*dialog, CSpecDisplayDlg::IDC_MAXX, "700");
    EXPECT_EQ(*s.MinX, 450);
    EXPECT_EQ(*s.MaxX, 700);
    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText("700");
    Enter(*dialog, CSpecDisplayDlg::IDC_MAXX, "450");
    EXPECT_EQ(*s.MinX, 450);

    // To 1/mm: nanometres in their order are not in the 1/mm order, so nothing is taken (the
    // refused reversed entries above would be, as wave numbers).
    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MINX)->setText("450");
    Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_MAXX)->setText("700");
    Click(*dialog, CSpecDisplayDlg::IDC_UNIT_PER_MM);
    EXPECT_EQ(*s.Unit, 1);
    EXPECT_EQ(*s.MinX, 450);
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MINX), "2221"); // trunc(2222.2 - 0.5)
    Click(*dialog, CSpecDisplayDlg::IDC_UNIT_NM);
    EXPECT_EQ(*s.Unit, 0);
    EXPECT_EQ(*s.MinX, 450);
    EXPECT_EQ(*s.MaxX, 700);
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MAXX), "700");
}

TEST_F(DisplayDialogTest, UnrepresentableWaveNumbersLeaveTheFieldEmpty)
{
    // MinX 0 (reachable by panning) would divide by zero; huge values do not fit an int.
    struct Row {
        double x;
        double offset;
        std::string text;
    } rows[] = {{0, 0, ""},     {-1e-9, 1e-9, ""}, {1e-300, 0, ""},      {1e-4, 0, ""},
                {400, 1e-9, "2499"}, {800, 0, "1249"}, {-400, 0, "-2500"}, {2e9, 0, "0"}};
    for (const Row& row : rows)
        EXPECT_EQ(WaveNumberText(row.x, row.offset), row.text) << row.x;
    EXPECT_EQ(TruncatedText(1e300), "");
    EXPECT_EQ(TruncatedText(std::nan("")), "");
    EXPECT_EQ(TruncatedText(-3.9), "-3");

    *s.MinX = 0;
    *s.MaxX = 780;
    *s.AutoXMinMax = false;
    auto dialog = Open();
    Click(*dialog, CSpecDisplayDlg::IDC_UNIT_PER_MM);
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MINX), "");
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_MAXX), "1281");
    Click(*dialog, CSpecDisplayDlg::IDC_DRAWBGIMAGE); // an exchange: the empty field is refused
    EXPECT_EQ(*s.MinX, 0);
}

TEST_F(DisplayDialogTest, ExportSizeIsClampedWhenTaken)
{
    struct Row {
        const char* width;
        const char* height;
        int takenWidth;
        int takenHeight;
    } rows[] = {{"200", "100", 300, 225}, {"1200", "900", 1000, 750}, {"640", "480", 640, 480},
                {"-5", "-1", 1000, 750},  {"abc", "", 1000, 750},      {"300", "750", 300, 750}};
    auto dialog = Open();
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_EXPORT_WIDTH), "800");
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_EXPORT_HEIGHT), "600");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.width) + " x " + row.height);
        Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_EXPORT_WIDTH)->setText(row.width);
        Item<QLineEdit>(*dialog, CSpecDisplayDlg::IDC_EXPORT_HEIGHT)->setText(row.height);
        ASSERT_TRUE(dialog->UpdateData(true));
        EXPECT_EQ(frame.GetExportWidth(), row.takenWidth);
        EXPECT_EQ(frame.GetExportHeight(), row.takenHeight);
    }
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(DisplayDialogTest, OpeningKeepsTheStoredSettings)
{
    *s.SampleDist = 5;
    *s.MaxY = 0.1 + 0.2; // 0.30000000000000004: shown in full, so reading it back keeps it
    *s.AutoMinMax = false;
    *s.ColorMode = 2;
    *s.YAxisName = "Strahldichte in W/(sr·m²)";
    auto dialog = Open();
    EXPECT_EQ(plot.GetDispDlg(), dialog.get());
    EXPECT_EQ(*s.SampleDist, 5);
    EXPECT_EQ(Item<QSlider>(*dialog, CSpecDisplayDlg::IDC_SPEED)->value(), 5);
    EXPECT_EQ(Item<QSlider>(*dialog, CSpecDisplayDlg::IDC_SPEED)->maximum(), 16);
    EXPECT_TRUE(Item<QRadioButton>(*dialog, CSpecDisplayDlg::IDC_MODE_DESCENDING)->isChecked());
    EXPECT_EQ(Text(*dialog, CSpecDisplayDlg::IDC_YAXISNAME), QString::fromUtf8("Strahldichte in W/(sr·m²)"));
    EXPECT_EQ(Item<QLabel>(*dialog, CSpecDisplayDlg::IDC_LABEL_MINY)->text(), "  MinY:");

    Click(*dialog, CSpecDisplayDlg::IDC_DRAWBGIMAGE);
    EXPECT_FALSE(*s.DrawBgImage);
    EXPECT_EQ(*s.MaxY, 0.1 + 0.2);
    EXPECT_EQ(*s.SampleDist, 5);

    // Entries that do not parse leave the setting alone, without a message.
    for (const char* text : {"", "-", "1,5", "abc", "1e999"}) {
        Enter(*dialog, CSpecDisplayDlg::IDC_MAXY, text);
        EXPECT_EQ(*s.MaxY, 0.1 + 0.2) << text;
    }
    Enter(*dialog, CSpecDisplayDlg::IDC_MAXY, "2.5");
    EXPECT_EQ(*s.MaxY, 2.5);
    Enter(*dialog, CSpecDisplayDlg::IDC_YAXISNAME, "Größe");
    EXPECT_EQ(*s.YAxisName, "Größe");
    EXPECT_TRUE(prompter.shown.empty());

    *s.ShowDensity = true;
    dialog->UpdateData(false);
    EXPECT_EQ(Item<QLabel>(*dialog, CSpecDisplayDlg::IDC_LABEL_MINY)->text(), "MinY(D):");
    EXPECT_EQ(Item<QLabel>(*dialog, CSpecDisplayDlg::IDC_LABEL_MAXY)->text(), "MaxY(D):");
}

TEST_F(DisplayDialogTest, ChecksEnableTheirFields)
{
    *s.AutoMinMax = false;
    *s.AutoXMinMax = true;
    auto dialog = Open();
    EXPECT_TRUE(Item(*dialog, CSpecDisplayDlg::IDC_MINY)->isEnabled());
    EXPECT_FALSE(Item(*dialog, CSpecDisplayDlg::IDC_MINX)->isEnabled());

    Click(*dialog, CSpecDisplayDlg::IDC_AUTOMINMAX);
    EXPECT_TRUE(*s.AutoMinMax);
    EXPECT_FALSE(Item(*dialog, CSpecDisplayDlg::IDC_MINY)->isEnabled());
    EXPECT_FALSE(Item(*dialog, CSpecDisplayDlg::IDC_MAXY)->isEnabled());
    Click(*dialog, CSpecDisplayDlg::IDC_AUTOXMINMAX);
    EXPECT_FALSE(*s.AutoXMinMax);
    EXPECT_TRUE(Item(*dialog, CSpecDisplayDlg::IDC_MINX)->isEnabled());
    EXPECT_TRUE(Item(*dialog, CSpecDisplayDlg::IDC_MAXX)->isEnabled());

    EXPECT_TRUE(Item(*dialog, CSpecDisplayDlg::IDC_SPEED)->isEnabled());
    Click(*dialog, CSpecDisplayDlg::IDC_OPTDISPLAY);
    EXPECT_FALSE(*s.UseOptSpecDisplay);
    for (int id : {CSpecDisplayDlg::IDC_SPEED, CSpecDisplayDlg::IDC_SPEED_FINE, CSpecDisplayDlg::IDC_SPEED_FAST})
        EXPECT_FALSE(Item(*dialog, id)->isEnabled()) << id;

    Item<QSlider>(*dialog, CSpecDisplayDlg::IDC_SPEED)->setValue(12);
    EXPECT_EQ(*s.SampleDist, 12);
    EXPECT_FALSE(Item(*dialog, CSpecDisplayDlg::IDC_INFOLEGEND)->isVisibleTo(dialog.get()));
}

TEST_F(DisplayDialogTest, ColoursComeFromTheChooser)
{
    FakeColorChooser chooser;
    auto dialog = Open();
    const COLORREF before = plot.GetBackgroundColor();
    Click(*dialog, CSpecDisplayDlg::IDC_BGCOLOR); // cancelled
    EXPECT_EQ(plot.GetBackgroundColor(), before);

    chooser.answers = {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)};
    Click(*dialog, CSpecDisplayDlg::IDC_BGCOLOR);
    Click(*dialog, CSpecDisplayDlg::IDC_BORDERCOLOR);
    Click(*dialog, CSpecDisplayDlg::IDC_COLOR_EXPLICIT);
    EXPECT_EQ(plot.GetBackgroundColor(), RGB(1, 2, 3));
    EXPECT_EQ(plot.GetBorderColor(), RGB(4, 5, 6));
    for (const Spectrum* spectrum : shown)
        EXPECT_EQ(spectrum->GetColor(), RGB(7, 8, 9));
    EXPECT_EQ(chooser.initials, (std::vector<COLORREF>(4, RGB(0, 0, 0))));

    // The mode buttons only choose; the automatic button colours the shown spectra.
    Click(*dialog, CSpecDisplayDlg::IDC_MODE_ASCENDING);
    EXPECT_EQ(*s.ColorMode, 1);
    EXPECT_EQ(shown.front()->GetColor(), RGB(7, 8, 9));
    Click(*dialog, CSpecDisplayDlg::IDC_COLOR_AUTO);
    EXPECT_EQ(shown.front()->GetColor(), SpectralColourAt(0, false));
    EXPECT_EQ(shown.back()->GetColor(), SpectralColourAt(132, false));
}

TEST_F(DisplayDialogTest, ClosingTakesTheFieldsAndUnregisters)
{
    QPointer<CSpecDisplayDlg> first = new CSpecDisplayDlg(&plot, &frame);
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->show();
    QPointer<CSpecDisplayDlg> second = new CSpecDisplayDlg(&plot, &frame);
    second->setAttribute(Qt::WA_DeleteOnClose);
    EXPECT_EQ(plot.GetDispDlg(), second.data());

    // Closing the first does not take the registration of the second.
    Item<QLineEdit>(*first, CSpecDisplayDlg::IDC_EXPORT_WIDTH)->setText("512");
    Item<QAbstractButton>(*first, 1)->click();
    EXPECT_EQ(frame.GetExportWidth(), 512);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(plot.GetDispDlg(), second.data());

    second->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(plot.GetDispDlg(), nullptr);
}

TEST_F(DisplayDialogTest, WithoutAFrameTheDialogLeavesExportAndCaptionAlone)
{
    *s.YAxisName = "alt";
    CSpecDisplayDlg dialog(&plot, nullptr);
    EXPECT_EQ(Text(dialog, CSpecDisplayDlg::IDC_EXPORT_WIDTH), "");
    Enter(dialog, CSpecDisplayDlg::IDC_YAXISNAME, "neu");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(*s.YAxisName, "alt");
}

} // namespace
