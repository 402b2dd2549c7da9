// The forms of the recolouring, arithmetic and filter modules, headless: set-up, handler
// rules, drops, range checks that refuse a run, and the run bracket.
#include "calculation/col_normalize_form.h"
#include "calculation/col_normalize_module.h"
#include "calculation/rem_trans_spec_form.h"
#include "calculation/rem_trans_spec_module.h"
#include "calculation/spectral_filter_form.h"
#include "calculation/spectral_filter_module.h"

#include "fixture.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

using calc_test::AddCurve;

template <class Form>
std::unique_ptr<Form> MakeForm(Module& module, bool init = true)
{
    std::unique_ptr<Form> form(static_cast<Form*>(Form::CreateObject(nullptr)));
    form->SetModule(&module);
    if (init)
        form->InitModuleEditor();
    return form;
}

template <class T>
T* Field(QWidget* form, int id)
{
    auto* field = form->findChild<T*>(QString::number(id));
    EXPECT_NE(field, nullptr) << id;
    return field;
}

// Picks an entry of a combo box as the user does.
void Choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

class FormsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        AddCurve(host, "Serie:LED_450", 400, 1, 10, [](double x) { return x - 400; });
        AddCurve(host, "Serie: LED_530 ", 400, 1, 10, [](double x) { return 2 * (x - 400); });
    }
    RecordingHost host;
    FakePrompter prompter;
};

using ColNormalizeFormTest = FormsFixture;

TEST_F(ColNormalizeFormTest, DropsEnterAndRun)
{
    ColNormalizeModule module;
    module.SetModuleInterface(&host);
    auto form = MakeForm<CColNormalizeForm>(module, false);
    auto* refs = Field<CColNormalizeFormSelectionEdit>(form.get(), CColNormalizeForm::IDC_REFSPEC);
    refs->OnDropSpecs("Serie"); // not bound yet
    EXPECT_EQ(refs->text(), "");
    form->InitModuleEditor();
    EXPECT_TRUE(refs->CanDropSpecs());
    EXPECT_TRUE(refs->CanDropGroup());
    EXPECT_FALSE(refs->CanDropClipboardObjects());
    EXPECT_TRUE(Field<CSelectionEdit>(form.get(), CColNormalizeForm::IDC_SPECDESC)->CanDropGroup());
    EXPECT_EQ(refs->GetMode(), 0);

    refs->OnDropSpecs("Serie");
    EXPECT_EQ(*module.getParameters().getStringParameter("RefSpecDesc"), "Serie");
    refs->SetMode(1);
    refs->OnDropSpecs("Serie");
    EXPECT_EQ(*module.getParameters().getStringParameter("RefSpecDesc"), "LED_450;LED_530");
    EXPECT_TRUE(host.calls.empty());

    // Enter takes the text and shows it again; nothing runs.
    refs->setText("Serie:LED_450");
    Field<CSelectionEdit>(form.get(), CColNormalizeForm::IDC_SPECDESC)->setText("Serie");
    QTest::keyClick(refs, Qt::Key_Return);
    EXPECT_EQ(*module.getParameters().getStringParameter("RefSpecDesc"), "Serie:LED_450");
    EXPECT_TRUE(host.calls.empty());

    Field<QPushButton>(form.get(), CColNormalizeForm::IDC_START)->click();
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    EXPECT_TRUE(host.log.empty());
}

using RemTransSpecFormTest = FormsFixture;

TEST_F(RemTransSpecFormTest, SetUpAndEnableRules)
{
    RemTransSpecModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("SpecDesc", "2");
    auto form = MakeForm<CRemTransSpecForm>(module);
    auto* combo = Field<QComboBox>(form.get(), CRemTransSpecForm::IDC_FUNCTION);
    ASSERT_EQ(combo->count(), 17);
    EXPECT_EQ(combo->itemText(8), "µ( A ); Mittelwert");
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_RANDOM)->isEnabled()); // function 1 with a number
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_SAMENAMES)->isEnabled());
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_CHECKSPECS)->isHidden());
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_USEINPUTNAMES)->isChecked());

    // Function 9: 15042 off and unchecked, B disabled, 15051 shown, 15067 off.
    Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_SAMENAMES)->setChecked(true);
    Choose(combo, 8);
    EXPECT_FALSE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_SAMENAMES)->isEnabled());
    EXPECT_FALSE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_SAMENAMES)->isChecked());
    EXPECT_FALSE(Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_B)->isEnabled());
    EXPECT_FALSE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_CHECKSPECS)->isHidden());
    EXPECT_FALSE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_RANDOM)->isEnabled());
    Choose(combo, 13); // function 14: no screening
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_CHECKSPECS)->isHidden());
    Choose(combo, 3);
    EXPECT_TRUE(Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_B)->isEnabled());
    EXPECT_TRUE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_SAMENAMES)->isEnabled());

    // The form's number test reads the whole text.
    struct Row {
        const char* text;
        bool number;
    };
    const Row rows[] = {{"2", true},      {" 2", true},   {"1e-3", true}, {"2 ", false},
                        {"1,5", false},   {"", false},    {"Serie", false}, {"-.5", true}};
    for (const Row& row : rows) {
        EXPECT_EQ(CRemTransSpecForm::IsNumberText(row.text), row.number) << row.text;
        Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_B)->setText(row.text);
        EXPECT_EQ(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_RANDOM)->isEnabled(), row.number) << row.text;
    }
    Choose(combo, 4); // function 5: never random
    Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_B)->setText("2");
    EXPECT_FALSE(Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_RANDOM)->isEnabled());

    // Set-up from stored values: function 11.
    p.setIntParameter("AritmetikfuncSel", 10);
    auto again = MakeForm<CRemTransSpecForm>(module);
    EXPECT_EQ(Field<QComboBox>(again.get(), CRemTransSpecForm::IDC_FUNCTION)->currentIndex(), 10);
    EXPECT_FALSE(Field<QLineEdit>(again.get(), CRemTransSpecForm::IDC_B)->isEnabled());
    EXPECT_FALSE(Field<QCheckBox>(again.get(), CRemTransSpecForm::IDC_CHECKSPECS)->isHidden());
}

TEST_F(RemTransSpecFormTest, ExchangeAndRun)
{
    RemTransSpecModule module;
    module.SetModuleInterface(&host);
    auto form = MakeForm<CRemTransSpecForm>(module);
    Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_A)->setText("Serie");
    Field<QLineEdit>(form.get(), CRemTransSpecForm::IDC_B)->setText("3");
    Choose(Field<QComboBox>(form.get(), CRemTransSpecForm::IDC_FUNCTION), 2);
    Field<QCheckBox>(form.get(), CRemTransSpecForm::IDC_ADDARITH)->setChecked(true);
    Field<QPushButton>(form.get(), CRemTransSpecForm::IDC_CALCULATE)->click();
    ns_param::Paramora& p = module.getParameters();
    EXPECT_EQ(*p.getIntParameter("AritmetikfuncSel"), 2);
    EXPECT_TRUE(*p.getBoolParameter("AddArithToNames"));
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    ASSERT_NE(host.spectra.GetInserterByName("ResSpec:LED_530_mult"), nullptr);
    EXPECT_EQ((*host.spectra.GetInserterByName("ResSpec:LED_530_mult"))[1].y, 6);
}

using SpectralFilterFormTest = FormsFixture;

TEST_F(SpectralFilterFormTest, SetUpLabelsPerFilter)
{
    SpectralFilterModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    struct Row {
        int filter;
        bool adaptive;
        const char* stepsLabel;
        const char* valueLabel;
        const char* boxText;
        bool steps, value, box, sign;
    };
    const Row rows[] = {
        {0, false, "Steps / Width [1, 63]", "Sensitivity [0, 1]", "adaptiv", false, false, false, false},
        {2, false, "Steps [1, 3]", "Sensitivity [0, 1]", "adaptiv", true, false, true, false},
        {2, true, "Width [3, 63]", "Sensitivity [0, 1]", "adaptiv", true, false, true, false},
        {3, false, "Steps / Width [1, 63]", "Sensitivity [0, 1]", "adaptiv", false, false, false, true},
        {5, false, "Width [3, 63]", "Sensitivity [0, 1]", "nur Ausreißer", true, false, true, false},
        {5, true, "Width [3, 63]", "Sensitivity [>0]", "nur Ausreißer", true, true, true, false},
        {6, false, "Steps [1, 5]", "Sensitivity [0, 1]", "adaptiv", true, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        p.setIntParameter("FilterSel", row.filter);
        p.setBoolParameter("FilterAdaptiv", row.adaptive);
        auto form = MakeForm<SpectralFilterForm>(module);
        EXPECT_EQ(Field<QComboBox>(form.get(), SpectralFilterForm::IDC_FILTER)->count(), 7);
        EXPECT_EQ(Field<QComboBox>(form.get(), SpectralFilterForm::IDC_FILTER)->currentIndex(), row.filter);
        EXPECT_EQ(Field<QLabel>(form.get(), SpectralFilterForm::IDC_STEPSLABEL)->text(), row.stepsLabel);
        EXPECT_EQ(Field<QLabel>(form.get(), SpectralFilterForm::IDC_VALUELABEL)->text(), row.valueLabel);
        EXPECT_EQ(Field<QCheckBox>(form.get(), SpectralFilterForm::IDC_ADAPTIVE)->text(), row.boxText);
        EXPECT_EQ(Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_STEPS)->isEnabled(), row.steps);
        EXPECT_EQ(Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_VALUE)->isEnabled(), row.value);
        EXPECT_EQ(Field<QCheckBox>(form.get(), SpectralFilterForm::IDC_ADAPTIVE)->isEnabled(), row.box);
        EXPECT_EQ(Field<QCheckBox>(form.get(), SpectralFilterForm::IDC_KEEPSIGN)->isEnabled(), row.sign);
        EXPECT_FALSE(Field<CSelectionEdit>(form.get(), SpectralFilterForm::IDC_SPECGROUP)->CanDropGroup());
        EXPECT_TRUE(Field<CSelectionEdit>(form.get(), SpectralFilterForm::IDC_SPECDESC)->CanDropGroup());
    }
}

TEST_F(SpectralFilterFormTest, FilterChangeAndCheckBoxRules)
{
    SpectralFilterModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setIntParameter("AMISteps", 1);
    auto form = MakeForm<SpectralFilterForm>(module);
    auto* combo = Field<QComboBox>(form.get(), SpectralFilterForm::IDC_FILTER);
    auto* steps = Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_STEPS);
    auto* box = Field<QCheckBox>(form.get(), SpectralFilterForm::IDC_ADAPTIVE);

    Choose(combo, 2);
    box->click(); // adaptive: width
    EXPECT_EQ(steps->text(), "3");
    EXPECT_EQ(Field<QLabel>(form.get(), SpectralFilterForm::IDC_STEPSLABEL)->text(), "Width [3, 63]");
    steps->setText("9");
    box->click(); // back to passes: 9 is outside 1 .. 3
    EXPECT_EQ(steps->text(), "1");
    EXPECT_EQ(Field<QLabel>(form.get(), SpectralFilterForm::IDC_STEPSLABEL)->text(), "Steps [1, 3]");

    box->setChecked(true);
    Choose(combo, 5); // median: 1 becomes 3, the box is unchecked
    EXPECT_EQ(steps->text(), "3");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(box->text(), "nur Ausreißer");
    EXPECT_FALSE(Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_VALUE)->isEnabled());
    box->click();
    EXPECT_TRUE(Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_VALUE)->isEnabled());
    EXPECT_EQ(Field<QLabel>(form.get(), SpectralFilterForm::IDC_VALUELABEL)->text(), "Sensitivity [>0]");
    EXPECT_EQ(*p.getIntParameter("FilterSel"), 5);
    EXPECT_TRUE(*p.getBoolParameter("FilterAdaptiv"));

    steps->setText("40");
    Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_VALUE)->setText("0.5");
    Choose(combo, 6); // continuity: 40 becomes 1
    EXPECT_EQ(steps->text(), "1");
    EXPECT_EQ(box->text(), "adaptiv");
    EXPECT_EQ(*p.getIntParameter("AMISteps"), 1);
    // With filter 6 the box stands for AutoDetect as well.
    box->setChecked(true);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_TRUE(*p.getBoolParameter("AutoDetect"));
    EXPECT_TRUE(*p.getBoolParameter("FilterAdaptiv"));
    p.setBoolParameter("FilterAdaptiv", false);
    form->UpdateData(false);
    EXPECT_TRUE(box->isChecked()); // shows AutoDetect
}

TEST_F(SpectralFilterFormTest, RangeChecksRefuseARunAndARunBracketsTheOperation)
{
    SpectralFilterModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("SpecDesc", "Serie");
    struct Row {
        int filter;
        bool adaptive;
        const char* value;
        const char* steps;
    };
    const Row rows[] = {
        {6, false, "2", "3"}, {6, false, "0.5", "6"}, {5, false, "0.5", "2"},
        {5, false, "0.5", "64"}, {2, false, "0.5", "4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        p.setIntParameter("FilterSel", row.filter);
        p.setBoolParameter("FilterAdaptiv", row.adaptive);
        auto form = MakeForm<SpectralFilterForm>(module);
        prompter.shown.clear();
        host.calls.clear();
        Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_VALUE)->setText(row.value);
        Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_STEPS)->setText(row.steps);
        Field<QPushButton>(form.get(), SpectralFilterForm::IDC_RUN)->click();
        EXPECT_EQ(prompter.Texts().size(), 1u);
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(*p.getDoubleParameter("AMIVal"), 0.1);
        EXPECT_TRUE(Field<QPushButton>(form.get(), SpectralFilterForm::IDC_RUN)->isEnabled());
    }
    // Filter 2 adaptive takes any width; the run is bracketed and the button enabled again.
    p.setIntParameter("FilterSel", 2);
    p.setBoolParameter("FilterAdaptiv", true);
    auto form = MakeForm<SpectralFilterForm>(module);
    prompter.shown.clear();
    Field<QLineEdit>(form.get(), SpectralFilterForm::IDC_STEPS)->setText("5");
    Field<QPushButton>(form.get(), SpectralFilterForm::IDC_RUN)->click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    EXPECT_TRUE(Field<QPushButton>(form.get(), SpectralFilterForm::IDC_RUN)->isEnabled());
    EXPECT_NE(host.spectra.GetInserterByName("FilteredSpecs:Serie_Mean_adapt:LED_450"), nullptr);
}

TEST(SpectralFilterFormRun, TheRunButtonIsDisabledWhileTheRunLasts)
{
    // A host that looks at the button whenever the operation reports its status.
    struct WatchingHost : RecordingHost {
        void SetStatusText(const std::string& text) override
        {
            if (button)
                enabledDuringRun.push_back(button->isEnabled());
            RecordingHost::SetStatusText(text);
        }
        QPushButton* button = nullptr;
        std::vector<bool> enabledDuringRun;
    } host;
    AddCurve(host, "Serie:a", 400, 1, 10, [](double x) { return x; });
    SpectralFilterModule module;
    module.SetModuleInterface(&host);
    module.getParameters().setStringParameter("SpecDesc", "Serie");
    auto form = MakeForm<SpectralFilterForm>(module);
    host.button = Field<QPushButton>(form.get(), SpectralFilterForm::IDC_RUN);
    host.button->click();
    EXPECT_EQ(host.enabledDuringRun, std::vector<bool>{false});
    EXPECT_TRUE(host.button->isEnabled());
}

} // namespace
