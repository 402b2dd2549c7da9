// The fitter-settings dialog (ranges, round trip, closing without OK, loading its sets) and
// the two spectrum window lists that add behaviour: reconstructions and the load menu.
#include "windows/led_fitter_params_edit_dlg.h"
#include "windows/managing_spec_window_list.h"
#include "windows/reconstruction_spec_window_list.h"
#include "windows/spec_window.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_fitter.h"
#include "engine/ls_matrix.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/recording_host.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const QString kTargets = QStringLiteral(ORVANTA_TEST_DATA_DIR "/led/targets.speks");

QLineEdit* Edit(QDialog& dlg, int id)
{
    auto* e = dlg.findChild<QLineEdit*>(QString::number(id));
    EXPECT_NE(e, nullptr) << id;
    return e;
}

// Settings within every range, none of them the defaults.
void FillSettings(LEDFitterSettings& s)
{
    s.Options.MaxIterations = 250;
    s.Options.MinGradient = 1e-8;
    s.Options.MinValue = -5.5;
    s.Options.MinStep = 1e-10;
    s.Options.MaxStep = 1e20;
    s.Options.StepUpsizeFactor = 2.5;
    s.Options.StepDownsizeFactor = 0.5;
    s.Options.KUpsizeOffset = 4;
    s.Options.KDownsizeOffset = 0.5;
    s.Options.MinConvergence = 0.01;
    s.Options.ConvergenceSteps = 7;
    s.OptimizationFunction = 2;
    s.FunctionParam = 0.25;
    s.AddTargetDrivenOptimization = true;
    const int n = GridPointCount();
    for (const char* name : {"T1", "T2"}) {
        LSMatrixHandle v(n, 1);
        MatFill(v, 0.5);
        s.TargetSpecs.AddSpectrum(name, v);
    }
    LSMatrixHandle o(n, 1);
    MatFill(o, 1.0);
    s.ObserverSpecs.AddSpectrum("Y", o);
}

void ExpectSameSettings(const LEDFitterSettings& a, const LEDFitterSettings& b)
{
    EXPECT_EQ(a.Options.MaxIterations, b.Options.MaxIterations);
    EXPECT_EQ(a.Options.MinGradient, b.Options.MinGradient);
    EXPECT_EQ(a.Options.MinValue, b.Options.MinValue);
    EXPECT_EQ(a.Options.MinStep, b.Options.MinStep);
    EXPECT_EQ(a.Options.MaxStep, b.Options.MaxStep);
    EXPECT_EQ(a.Options.StepUpsizeFactor, b.Options.StepUpsizeFactor);
    EXPECT_EQ(a.Options.StepDownsizeFactor, b.Options.StepDownsizeFactor);
    EXPECT_EQ(a.Options.KUpsizeOffset, b.Options.KUpsizeOffset);
    EXPECT_EQ(a.Options.KDownsizeOffset, b.Options.KDownsizeOffset);
    EXPECT_EQ(a.Options.MinConvergence, b.Options.MinConvergence);
    EXPECT_EQ(a.Options.ConvergenceSteps, b.Options.ConvergenceSteps);
    EXPECT_EQ(a.OptimizationFunction, b.OptimizationFunction);
    EXPECT_EQ(a.FunctionParam, b.FunctionParam);
    EXPECT_EQ(a.AddTargetDrivenOptimization, b.AddTargetDrivenOptimization);
    ASSERT_EQ(a.TargetSpecs.GetCount(), b.TargetSpecs.GetCount());
    for (int i = 0; i < a.TargetSpecs.GetCount(); ++i)
        EXPECT_EQ(a.TargetSpecs.GetName(i), b.TargetSpecs.GetName(i));
    EXPECT_EQ(a.ObserverSpecs.GetCount(), b.ObserverSpecs.GetCount());
}

class FitterDialog : public ::testing::Test {
protected:
    void SetUp() override { FillSettings(settings); }
    FakePrompter prompter;
    FakeFileChooser chooser;
    LEDFitterSettings settings;
    CLedFitterParamsEditDlg dlg;
};

TEST_F(FitterDialog, RoundTripThroughTheFields)
{
    dlg.SetSettings(settings);
    prompter.onModal = [](QDialog& d) {
        auto& f = dynamic_cast<CLedFitterParamsEditDlg&>(d);
        EXPECT_EQ(f.windowTitle(), QStringLiteral("LED-Fit-Parameter (Levenberg-Marquardt-NNLS)"));
        EXPECT_EQ(Edit(d, 6613)->text(), QStringLiteral("0.5"));
        EXPECT_EQ(Edit(d, 6617)->text(), QStringLiteral("7"));
        EXPECT_EQ(f.GetTargetList()->WindowCount(), 2);
        EXPECT_EQ(f.GetTargetList()->WindowAt(1)->GetTitle(), "T2");
        EXPECT_EQ(f.GetObserverList()->WindowCount(), 1);
        d.accept();
        return d.result();
    };
    ASSERT_EQ(dlg.DoModal(), QDialog::Accepted);
    LEDFitterSettings back;
    ASSERT_TRUE(dlg.GetSettings(back));
    ExpectSameSettings(back, settings);
}

TEST_F(FitterDialog, RangesRefuseOnOkAndKeepTheDialogOpen)
{
    const struct {
        int id;
        const char* bad;
        const char* good;
    } fields[] = {
        {6613, "0.95", "0.9"},    {6613, "0.09", "0.1"},   {6611, "1.1", "10"},       {6604, "0", "1e-307"},
        {6607, "1e-13", "1e100"}, {6609, "1e309", "1e308"}, {6601, "0", "1e-12"},     {6602, "1e101", "1e100"},
        {6615, "1.01", "0"},      {6617, "0", "100"},       {6617, "101", "1"},       {6617, "2.5", "2"},
        {6621, "abc", "-3"},      {6631, "x", "-7.5"},      {6605, "nan", "-1e308"},
    };
    for (const auto& f : fields) {
        SCOPED_TRACE(std::to_string(f.id) + " " + f.bad);
        CLedFitterParamsEditDlg d;
        d.SetSettings(settings);
        prompter.shown.clear();
        prompter.onModal = [&](QDialog& running) {
            Edit(running, f.id)->setText(QString::fromLatin1(f.bad));
            running.accept();
            EXPECT_EQ(running.result(), QDialog::Rejected); // not closed by the refused OK
            EXPECT_EQ(prompter.shown.size(), 1u);
            LEDFitterSettings untouched;
            FillSettings(untouched);
            untouched.Options.MaxIterations = 999;
            EXPECT_FALSE(d.GetSettings(untouched)); // checks first while running
            EXPECT_EQ(untouched.Options.MaxIterations, 999);
            Edit(running, f.id)->setText(QString::fromLatin1(f.good));
            running.accept();
            return running.result();
        };
        EXPECT_EQ(d.DoModal(), QDialog::Accepted);
    }
    // The platform's German message names the limits.
    EXPECT_TRUE(prompter.shown.back().text.startsWith(QStringLiteral("Bitte geben Sie eine Zahl")));
}

TEST_F(FitterDialog, ModuleValuesOutsideTheRangesAreRefusedOnOk)
{
    settings.Options.StepDownsizeFactor = 0.95; // a module may hold wider values
    dlg.SetSettings(settings);
    prompter.onModal = [](QDialog& d) {
        d.accept();
        return d.result();
    };
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST_F(FitterDialog, OtherClosesExchangeNothingAndTheFunctionIndexIsStored)
{
    dlg.SetSettings(settings);
    prompter.onModal = [](QDialog& d) {
        Edit(d, 6613)->setText(QStringLiteral("0.3"));
        d.reject();
        return d.result();
    };
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    LEDFitterSettings back;
    dlg.GetSettings(back); // after the run: the members as they were
    EXPECT_EQ(back.Options.StepDownsizeFactor, 0.5);

    prompter.onModal = [](QDialog& d) {
        d.findChild<QComboBox*>(QString::number(CLedFitterParamsEditDlg::IDC_FUNCTION))
            ->setCurrentText(QStringLiteral("Logarithmischer Abstand"));
        d.accept();
        return d.result();
    };
    EXPECT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dlg.OptimizationFunction, 4);
}

TEST_F(FitterDialog, BrowseLoadsASetAfterTheWindowsLetGo)
{
    dlg.SetSettings(settings);
    chooser.answer = kTargets;
    prompter.onModal = [&](QDialog& d) {
        auto& f = dynamic_cast<CLedFitterParamsEditDlg&>(d);
        f.OnBnClickedBrowseTargets();
        EXPECT_EQ(f.targetSet.GetCount(), 3);
        EXPECT_EQ(f.GetTargetList()->WindowCount(), 3);
        EXPECT_EQ(f.GetTargetList()->WindowAt(2)->GetTitle(), "Rot");
        f.GetTargetList()->viewport()->grab(); // paints the new spectra (ASan watches)
        chooser.answer.clear(); // cancelled: nothing changes
        f.OnBnClickedBrowseObservers();
        EXPECT_EQ(f.observerSet.GetCount(), 1);
        d.accept();
        return d.result();
    };
    EXPECT_EQ(dlg.DoModal(), QDialog::Accepted);
    LEDFitterSettings back;
    dlg.GetSettings(back);
    EXPECT_EQ(back.TargetSpecs.GetCount(), 3);
    EXPECT_EQ(back.TargetSpecs.GetName(0), "Blau");
}

// The lines of the load failure that name path, with their colours.
std::vector<std::optional<COLORREF>> FailureLines(const RecordingHost& host, const QString& path)
{
    const std::string line = "Spektren in Datei '" + path.toStdString() + "' konnten nicht geladen werden !!!";
    std::vector<std::optional<COLORREF>> colours;
    for (const auto& l : host.LogSnapshot())
        if (l.text == line)
            colours.push_back(l.colour);
    return colours;
}

TEST_F(FitterDialog, AChosenFileThatIsNoSpectraFileIsNamedInTheLog)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("bild.png"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(png));
    const QString damaged = dir.filePath(QStringLiteral("kaputt.speks"));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Speks: 1 3 400 404 2\nA :\n1 nan 3\n");
    }
    const std::optional<COLORREF> error = 0x000070;
    // The loader's own line for a damaged table stays the one line (plain, as it was).
    const struct {
        const char* name;
        QString path;
        std::optional<COLORREF> colour;
    } cases[] = {
        {"picture", png, error},
        {"no such file", dir.filePath(QStringLiteral("fehlt.speks")), error},
        {"damaged table", damaged, std::nullopt},
    };
    RecordingHost host;
    dlg.SetHost(&host);
    dlg.SetSettings(settings);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.log.clear();
        chooser.answer = c.path;
        prompter.onModal = [&](QDialog& d) {
            auto& f = dynamic_cast<CLedFitterParamsEditDlg&>(d);
            f.OnBnClickedBrowseObservers();
            EXPECT_EQ(f.observerSet.GetCount(), 0);
            EXPECT_EQ(f.GetObserverList()->WindowCount(), 0);
            d.reject();
            return d.result();
        };
        dlg.DoModal();
        EXPECT_EQ(FailureLines(host, c.path), std::vector<std::optional<COLORREF>>{c.colour});
    }

    // The load menu of a managing list says the same.
    host.log.clear();
    CManagingSpecWindowList list;
    list.SetHost(&host);
    SpectraSet set;
    list.spectra = &set;
    chooser.answer = png;
    list.OnLoad();
    EXPECT_EQ(FailureLines(host, png), std::vector<std::optional<COLORREF>>{error});
    EXPECT_EQ(list.WindowCount(), 0);
}

class Reconstructions : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(400, 200);
        list.show();
        const int n = GridPointCount();
        for (const char* name : {"Blau", "Gruen", "Rot"}) {
            LSMatrixHandle s(n, 1);
            MatFill(s, 0.5);
            targets.AddSpectrum(name, s);
        }
        ParamContainer led;
        led.AddKeyValue("Name", "LED1");
        led.AddKeyValue("SpectralModel", "GaussianLEDModel");
        led.AddKeyValue("PeakWavelength", "0.525");
        led.AddKeyValue("FWHM", "0.03");
        leds.AddLED(led, 0);
        ASSERT_EQ(leds.GetCount(), 1);
    }
    SpectraSet targets;
    LEDArray leds;
    CReconstructionSpecWindowList list;
};

TEST_F(Reconstructions, TargetsWithZeroCurvesThenDriveValuesInTheTitle)
{
    list.SetTargetSpectra(targets);
    ASSERT_EQ(list.WindowCount(), 3);
    const SpectraSet& r = list.GetReconstructions();
    ASSERT_EQ(r.GetCount(), 3);
    EXPECT_EQ(r.GetName(0), "LED_000_Reconstruction");
    EXPECT_EQ(r.GetName(2), "LED_002_Reconstruction");
    EXPECT_EQ(MatSumOfSquares(r.GetSpectrum(1)), 0.0);
    EXPECT_EQ(list.WindowAt(1)->SpectrumCount(), 2);
    EXPECT_EQ(list.WindowAt(1)->GetTitle(), "Gruen");

    std::vector<double> drives = {0.5, 1.0};
    list.ShowReconstruction(0, leds, drives);
    EXPECT_EQ(list.WindowAt(0)->GetTitle(), "Blau\n0.500 1.000 ");
    LSMatrixHandle expected(GridPointCount(), 1);
    leds.ComputeSpectrum(expected, drives, nullptr);
    EXPECT_GT(MatSum(expected), 0.0);
    for (int i = 0; i < GridPointCount(); ++i)
        ASSERT_EQ(r.GetSpectrum(0)[i], expected[i]);
    // Again: still two lines. Out of range: nothing.
    list.ShowReconstruction(0, leds, {0.25});
    EXPECT_EQ(list.WindowAt(0)->GetTitle(), "Blau\n0.250 ");
    list.ShowReconstruction(3, leds, {1.0});
    list.ShowReconstruction(-1, leds, {1.0});

    // A reset alone leaves each window with its target and one new zero curve, none freed.
    list.ResetReconstructions();
    EXPECT_EQ(list.WindowAt(0)->SpectrumCount(), 2);
    list.viewport()->grab();
    const QImage picture = list.WindowAt(0)->grab().toImage();
    EXPECT_FALSE(picture.isNull());

    LEDFitter fitter;
    fitter.Setup(&leds, &targets, nullptr);
    list.ShowReconstructions(leds, fitter);
    EXPECT_EQ(list.WindowAt(2)->GetTitle(), "Rot\n0.500 ");
    list.Clear();
    EXPECT_EQ(list.WindowCount(), 0);
    EXPECT_EQ(list.GetReconstructions().GetCount(), 0);
}

TEST(ManagingList, LoadsOnlyIntoAnAttachedSet)
{
    FakeFileChooser chooser;
    chooser.answer = kTargets;
    CManagingSpecWindowList list;
    list.resize(400, 200);
    list.show();
    list.OnLoad(); // no set: no dialog
    EXPECT_EQ(chooser.openRequests, 0);
    SpectraSet set;
    list.spectra = &set;
    list.OnLoad();
    EXPECT_EQ(chooser.openRequests, 1);
    EXPECT_EQ(set.GetCount(), 3);
    EXPECT_EQ(list.WindowCount(), 3);
    list.OnLoad(); // again: the windows let go first
    EXPECT_EQ(list.WindowCount(), 3);
    list.viewport()->grab();
    ASSERT_EQ(list.GetContextMenu()->actions().size(), 1);
    EXPECT_EQ(list.GetContextMenu()->actions().front()->text(), QStringLiteral("Laden..."));
}

} // namespace
