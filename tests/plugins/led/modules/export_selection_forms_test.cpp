// The forms of the exports, the lightness, random spectra and selection modules, headless:
// bindings and drop kinds, the file dialogs, refused entries, the check box, the selection's
// reconstruction list and settings dialog, and no run inside a run.
#include "led_modules_fixture.h"

#include "modules/create_source_form.h"
#include "modules/create_source_module.h"
#include "modules/gnuplot_export_form.h"
#include "modules/gnuplot_export_module.h"
#include "modules/led_lightness_form.h"
#include "modules/led_lightness_module.h"
#include "modules/led_random_specs_form.h"
#include "modules/led_random_specs_module.h"
#include "modules/led_selection_form.h"
#include "modules/led_selection_module.h"

#include "windows/led_fitter_params_edit_dlg.h"
#include "windows/reconstruction_spec_window_list.h"

#include "core/selection_edit.h"
#include "platform/data_exchange.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using led_test::ModulesTest;

template <class Form>
std::unique_ptr<Form> MakeForm(Module& module)
{
    std::unique_ptr<Form> form(static_cast<Form*>(Form::CreateObject(nullptr)));
    form->SetModule(&module);
    form->InitModuleEditor();
    form->UpdateData(false);
    return form;
}

template <class T>
T* Field(QWidget* form, int id)
{
    auto* field = form->findChild<T*>(QString::number(id));
    EXPECT_NE(field, nullptr) << id;
    return field;
}

int Count(const std::vector<std::string>& calls, const std::string& call)
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

// Which kinds of drop each selection field takes: spectra, group, objects, clipboard group.
struct DropKinds {
    int id;
    bool specs, group, objects, clipboardGroup;
};

void ExpectDropKinds(QWidget* form, std::initializer_list<DropKinds> fields)
{
    for (const DropKinds& f : fields) {
        auto* edit = Field<CSelectionEdit>(form, f.id);
        if (!edit)
            continue;
        EXPECT_EQ(edit->CanDropSpecs(), f.specs) << f.id;
        EXPECT_EQ(edit->CanDropGroup(), f.group) << f.id;
        EXPECT_EQ(edit->CanDropClipboardObjects(), f.objects) << f.id;
        EXPECT_EQ(edit->CanDropClipboardGroup(), f.clipboardGroup) << f.id;
    }
}

double Gauss(double xNm, double peak, double fwhm)
{
    const double u = (xNm / 1000 - peak) / (fwhm / 2);
    return std::exp(-std::log(2.0) * u * u);
}

class ExportSelectionFormsTest : public ModulesTest {
protected:
    void AddLeds(int count)
    {
        for (int k = 0; k < count; ++k)
            AddObject("In:L" + std::to_string(k), {{"Name", "L" + std::to_string(k)},
                                                   {"SpectralModel", "GaussianLEDModel"},
                                                   {"PeakWavelength", std::to_string(0.45 + 0.05 * k)},
                                                   {"FWHM", "0.03"}});
    }

    FakePrompter prompter;
    FakeFileChooser chooser;
    test_support::TempDir dir;
};

TEST_F(ExportSelectionFormsTest, PlotScriptFormSavesOnlyWithAChosenFile)
{
    GnuplotExportModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CGnuplotExportForm>(module);
    ExpectDropKinds(form.get(), {{6703, false, false, true, false}});
    EXPECT_EQ(Field<QPlainTextEdit>(form.get(), CGnuplotExportForm::IDC_INIT)->toPlainText(), "set terminal png\nset output \"output.png\"\n");
    EXPECT_EQ(Field<QLineEdit>(form.get(), CGnuplotExportForm::IDC_STYLE)->text(), "with dots");

    auto* o = new ClipboardObject;
    o->SetName("M:a");
    o->GetParameters().addDouble1DArrayParameter("Measures", "", 2, nullptr, 1.0);
    ASSERT_TRUE(host.clipboard.AddInserter(o));
    Field<QLineEdit>(form.get(), CGnuplotExportForm::IDC_OBJECTS)->setText("M");
    Field<QPlainTextEdit>(form.get(), CGnuplotExportForm::IDC_INIT)->setPlainText("set terminal dumb\n");
    Field<QLineEdit>(form.get(), CGnuplotExportForm::IDC_STYLE)->setText("with lines");

    // Cancelled: the fields are taken, nothing runs.
    Field<QPushButton>(form.get(), CGnuplotExportForm::IDC_SAVE)->click();
    EXPECT_EQ(chooser.saveRequests, 1);
    EXPECT_EQ(*p.getStringParameter("ClipboardObjectsDesc"), "M");
    EXPECT_EQ(*p.getStringParameter("InitSequence"), "set terminal dumb\n");
    EXPECT_EQ(*p.getStringParameter("Filename"), "");
    EXPECT_TRUE(host.calls.empty());

    chooser.answer = QString::fromStdString(dir.file("plot.gp"));
    Field<QPushButton>(form.get(), CGnuplotExportForm::IDC_SAVE)->click();
    EXPECT_EQ(*p.getStringParameter("Filename"), dir.file("plot.gp"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("plot.gp")));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "SetStatusText", "SetStatusText",
                                                    "EndCalculation"}));
}

TEST_F(ExportSelectionFormsTest, SourceFormChoosesTheFileAndSaves)
{
    CreateSourceModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CCreateSourceForm>(module);
    ExpectDropKinds(form.get(), {{6697, true, false, false, false},
                                 {6693, true, false, false, false},
                                 {6692, true, false, false, false}});
    Field<QPushButton>(form.get(), CCreateSourceForm::IDC_CHOOSE)->click();
    EXPECT_EQ(*p.getStringParameter("Filename"), "");
    chooser.answer = QString::fromStdString(dir.file("leds.c"));
    Field<QPushButton>(form.get(), CCreateSourceForm::IDC_CHOOSE)->click();
    EXPECT_EQ(*p.getStringParameter("Filename"), dir.file("leds.c"));
    EXPECT_EQ(Field<QLineEdit>(form.get(), CCreateSourceForm::IDC_FILE_NAME)->text().toStdString(), dir.file("leds.c"));

    for (const char* name : {"L:a", "T:t", "I:i"})
        AddCurve(name, 400, 10, 3, [](double x) { return x; });
    const std::pair<int, const char*> fields[] = {{6697, "T"}, {6693, "L"}, {6692, "I"}};
    for (const auto& [id, text] : fields)
        Field<QLineEdit>(form.get(), id)->setText(text);
    Field<QPushButton>(form.get(), CCreateSourceForm::IDC_SAVE)->click();
    EXPECT_EQ(*p.getStringParameter("InterpolatorSpecs"), "I");
    EXPECT_TRUE(std::filesystem::exists(dir.file("leds.c")));
    EXPECT_EQ(Count(host.calls, "StartCalculation"), 1);
    EXPECT_EQ(Count(host.calls, "EndCalculation"), 1);
}

TEST_F(ExportSelectionFormsTest, LightnessFormBindsItsFourFields)
{
    LedLightnessTessarine module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLEDLightnessCalculationForm>(module);
    ExpectDropKinds(form.get(), {{6653, false, false, true, false},
                                 {6661, true, false, false, false},
                                 {6664, true, false, false, false},
                                 {6662, false, false, false, true}});
    const std::pair<int, const char*> fields[] = {
        {6653, "LEDsDesc"}, {6661, "SpecsDesc"}, {6664, "WSpecsDesc"}, {6662, "ClipboardTargetGroup"}};
    for (const auto& [id, name] : fields)
        Field<QLineEdit>(form.get(), id)->setText(name);
    Field<QPushButton>(form.get(), CLEDLightnessCalculationForm::IDC_CALCULATE)->click();
    for (const auto& [id, name] : fields)
        EXPECT_EQ(*p.getStringParameter(name), name);
    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{"Fehler: Es wurden keine Spektren angegeben!"}));
    EXPECT_EQ(Count(host.calls, "EndCalculation"), 1);
}

TEST_F(ExportSelectionFormsTest, RandomSpecsFormChecksTheStepAndTakesTheCheckBox)
{
    LEDRandomSpecsModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLEDRandomSpecsForm>(module);
    ExpectDropKinds(form.get(), {{6653, false, false, true, false},
                                 {6665, false, false, true, false},
                                 {6666, false, true, false, false}});
    EXPECT_EQ(Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_START)->text(), "380");
    EXPECT_EQ(Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_MAX_TEMPERATURE)->text(), "393.15");
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CLEDRandomSpecsForm::IDC_NOISE)->isChecked());

    const struct {
        int id;
        const char* text;
        const char* message;
    } refused[] = {
        {6640, "0.001", "Bitte geben Sie eine Zahl zwischen"},
        {6667, "2.5", "Bitte geben Sie eine ganze Zahl ein."},
        {6670, "x", "Bitte geben Sie eine Zahl ein."},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.id);
        form->UpdateData(false);
        prompter.shown.clear();
        Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_START)->setText("400");
        Field<QLineEdit>(form.get(), r.id)->setText(r.text);
        EXPECT_FALSE(form->UpdateData(true));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_TRUE(prompter.shown[0].text.startsWith(r.message)) << prompter.shown[0].text.toStdString();
        EXPECT_EQ(*p.getDoubleParameter("XStart"), 380) << "nothing taken";
        EXPECT_EQ(*p.getDoubleParameter("XStep"), 2);
    }
    // A click on the check box takes every field.
    form->UpdateData(false);
    Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_COUNT)->setText("7");
    Field<QCheckBox>(form.get(), CLEDRandomSpecsForm::IDC_NOISE)->click();
    EXPECT_FALSE(*p.getBoolParameter("NoiseLEDParams"));
    EXPECT_EQ(*p.getIntParameter("SpecCount"), 7);
    Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_GROUP)->setText("G");
    AddLeds(1);
    Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_LEDS)->setText("In");
    Field<QLineEdit>(form.get(), CLEDRandomSpecsForm::IDC_COUNT)->setText("2");
    Field<QPushButton>(form.get(), CLEDRandomSpecsForm::IDC_CALCULATE)->click();
    EXPECT_EQ(SpectrumNames(), (std::vector<std::string>{"G:Äquienergetische Ansteuerung:Spec0",
                                                         "G:Äquienergetische Ansteuerung:Spec1"}));
}

// A host that clicks a button at its first progress report, as a user could while the
// program handles events.
class ClickingHost : public RecordingHost {
public:
    void SetProgressBarPercentage(double percent) override
    {
        RecordingHost::SetProgressBarPercentage(percent);
        if (button && !clicked) {
            clicked = true;
            button->click();
        }
    }
    QPushButton* button = nullptr;
    bool clicked = false;
};

TEST_F(ExportSelectionFormsTest, SelectionFormRunsDrawsAndEditsTheSettings)
{
    LEDSelectionModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLedSelectionForm>(module);
    ExpectDropKinds(form.get(), {{6653, false, false, true, false},
                                 {6645, true, false, false, false},
                                 {6659, false, false, false, true}});
    EXPECT_EQ(Field<QLineEdit>(form.get(), CLedSelectionForm::IDC_ITERATIONS)->text(), "200");
    AddLeds(4);
    AddCurve("Ziel:A", 380, 2, 201, [](double x) { return Gauss(x, 0.5, 0.03) + 0.5 * Gauss(x, 0.6, 0.03); });
    AddCurve("Ziel:B", 380, 2, 201, [](double x) { return Gauss(x, 0.45, 0.03); });
    const std::pair<int, const char*> fields[] = {{6653, "In"}, {6645, "Ziel"}, {6659, "Best"},
                                                  {6650, "2"},  {6649, "4"},    {6648, "3"}};
    for (const auto& [id, text] : fields)
        Field<QLineEdit>(form.get(), id)->setText(text);

    // A count that is no whole number is reported; the run goes on with the stored values.
    p.setIntParameter("LEDCount", 2);
    p.setIntParameter("ProposalCount", 4);
    p.setIntParameter("SelectorIterationCount", 3);
    Field<QLineEdit>(form.get(), CLedSelectionForm::IDC_PROPOSALS)->setText("4,5");
    Field<QPushButton>(form.get(), CLedSelectionForm::IDC_START)->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(*p.getStringParameter("LEDsDesc"), "") << "a refused entry takes nothing";
    EXPECT_EQ(host.LogTexts()[0], "Fehler bei der LED-Selektion: Keine Zielspektren angegeben!");

    Field<QLineEdit>(form.get(), CLedSelectionForm::IDC_PROPOSALS)->setText("4");
    // The list lays its windows out in the size it has when the first improvement comes.
    form->resize(640, 760);
    form->show();
    Field<QPushButton>(form.get(), CLedSelectionForm::IDC_START)->click();
    EXPECT_EQ(host.clipboard.GetInserters("Best", false).size(), 2u);
    CReconstructionSpecWindowList* list = form->GetList();
    EXPECT_EQ(list->WindowCount(), 2);
    EXPECT_EQ(list->GetReconstructions().GetCount(), 2);
    if (const char* shot = std::getenv("LED_SELECTION_FORM_PNG")) // a picture for a look by eye
        form->grab().save(QString::fromLocal8Bit(shot));
    EXPECT_EQ(module.GetForwardHandler(), nullptr);

    // A second run empties the list first and lays it out again at its first improvement.
    host.spectra.DeleteInserters("Ziel:B");
    Field<QPushButton>(form.get(), CLedSelectionForm::IDC_START)->click();
    EXPECT_EQ(list->WindowCount(), 1);
    EXPECT_EQ(Count(host.calls, "StartCalculation"), 3);
    EXPECT_EQ(Count(host.calls, "EndCalculation"), 3);

    // "Parameter bearbeiten": the dialog's values are stored however it closes.
    prompter.onModal = [](QDialog& dialog) {
        auto* settings = dynamic_cast<CLedFitterParamsEditDlg*>(&dialog);
        EXPECT_NE(settings, nullptr);
        if (settings)
            settings->MaxIterations = 77;
        return int(QDialog::Rejected);
    };
    Field<QPushButton>(form.get(), CLedSelectionForm::IDC_SETTINGS)->click();
    EXPECT_EQ(*p.getIntParameter("MaxIterations"), 77);
    EXPECT_FALSE(module.InRun());
}

// Three LED records "In:L0".."In:L2" and the target "Ziel" in other's trees, and the form's
// fields set to select two of the LEDs for it into "Best".
void SetUpSmallSelection(RecordingHost& other, CLedSelectionForm& form)
{
    for (int k = 0; k < 3; ++k) {
        auto* o = new ClipboardObject;
        o->SetName("In:L" + std::to_string(k));
        for (const auto& [key, value] :
             {std::pair<std::string, std::string>{"Name", "L" + std::to_string(k)},
              {"SpectralModel", "GaussianLEDModel"},
              {"PeakWavelength", std::to_string(0.45 + 0.05 * k)},
              {"FWHM", "0.03"}})
            o->GetParameters().addStringParameter(key, "", value, "");
        ASSERT_TRUE(other.clipboard.AddInserter(o));
    }
    auto* target = new Spectrum;
    target->SetName("Ziel");
    for (int i = 0; i < 201; ++i)
        target->AddPoint(SPoint(380 + 2 * i, Gauss(380 + 2 * i, 0.5, 0.03)));
    ASSERT_TRUE(other.spectra.AddInserter(target));
    const std::pair<int, const char*> fields[] = {{6653, "In"}, {6645, "Ziel"}, {6659, "Best"},
                                                  {6650, "2"},  {6649, "4"},    {6648, "2"}};
    for (const auto& [id, text] : fields)
        Field<QLineEdit>(&form, id)->setText(text);
}

TEST_F(ExportSelectionFormsTest, AClickDuringAProgressReportStartsNoSecondRun)
{
    ClickingHost clicking;
    LEDSelectionModule module;
    module.SetModuleInterface(&clicking);
    auto form = MakeForm<CLedSelectionForm>(module);
    SetUpSmallSelection(clicking, *form);
    ASSERT_FALSE(HasFatalFailure());
    clicking.button = Field<QPushButton>(form.get(), CLedSelectionForm::IDC_START);
    clicking.button->click();
    EXPECT_TRUE(clicking.clicked);
    EXPECT_EQ(Count(clicking.calls, "StartCalculation"), 1);
    EXPECT_EQ(clicking.clipboard.GetInserters("Best", false).size(), 2u);
    module.SetModuleInterface(&host);
}

// A host whose first progress report throws what is no standard exception (as a stopped data
// exchange is).
class ThrowingHost : public RecordingHost {
public:
    void SetProgressBarPercentage(double percent) override
    {
        RecordingHost::SetProgressBarPercentage(percent);
        if (!thrown) {
            thrown = true;
            throw platform::DataExchangeStop();
        }
    }
    bool thrown = false;
};

TEST_F(ExportSelectionFormsTest, ASelectionRunEndsItsCalculationOnEveryWayOut)
{
    ThrowingHost throwing;
    LEDSelectionModule module;
    module.SetModuleInterface(&throwing);
    auto form = MakeForm<CLedSelectionForm>(module);
    SetUpSmallSelection(throwing, *form);
    ASSERT_FALSE(HasFatalFailure());
    // The start button's handler itself: an exception must not pass Qt's own frames.
    EXPECT_THROW(form->OnStart(), platform::DataExchangeStop);
    EXPECT_TRUE(throwing.thrown);
    EXPECT_EQ(throwing.calls.front(), "StartCalculation");
    EXPECT_EQ(throwing.calls.back(), "EndCalculation");
    EXPECT_EQ(Count(throwing.calls, "EndCalculation"), 1);
    EXPECT_EQ(module.GetForwardHandler(), nullptr);
    EXPECT_FALSE(module.InRun());
    module.SetModuleInterface(&host);
}

} // namespace
