// The LED editor forms, headless: set-up by the module's class, data exchange with its
// checks, drops, the run bracket, and the data edit form's list.
#include "led_modules_fixture.h"

#include "modules/led_continuous_fitting_form.h"
#include "modules/led_continuous_fitting_module.h"
#include "modules/led_create_specs_form.h"
#include "modules/led_data_edit_form.h"
#include "modules/led_data_edit_module.h"
#include "modules/led_specs_create_module.h"
#include "modules/multi_led_create_form.h"
#include "modules/multi_led_create_module.h"

#include "windows/editor_win.h"
#include "windows/param_container_edit_wnd.h"
#include "windows/led_fitter_params_edit_dlg.h"

#include "support/fake_prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
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

class FormsTest : public ModulesTest {
protected:
    FakePrompter prompter;
};

TEST_F(FormsTest, MultiCreateFormFollowsTheModulesClass)
{
    MultiEDCreateModule ed;
    MultiLEDCreateModule led;
    for (MultiCreateModuleBase* module : {static_cast<MultiCreateModuleBase*>(&ed),
                                          static_cast<MultiCreateModuleBase*>(&led)}) {
        Attach(*module);
        const bool isLed = module == &led;
        SCOPED_TRACE(isLed ? "LED" : "ED");
        auto form = MakeForm<CMultiLEDCreateForm>(*module);
        QComboBox* combo = Field<QComboBox>(form.get(), CMultiLEDCreateForm::IDC_MODEL);
        ASSERT_EQ(combo->count(), isLed ? 3 : 4);
        EXPECT_EQ(combo->itemText(0), isLed ? "1_GaussianLEDModel" : "1_GaussianModel");
        EXPECT_EQ(Field<QLabel>(form.get(), CMultiLEDCreateForm::IDC_HELP)->text(), CMultiLEDCreateForm::HelpText(isLed));
        EXPECT_TRUE(Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_EXT_SLOPE)->isHidden());
        Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_COUNT)->setText("1");
        EXPECT_FALSE(Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_END)->isEnabled());
        Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_COUNT)->setText("3");
        EXPECT_TRUE(Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_END)->isEnabled());

        Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_GROUP)->setText(isLed ? "L" : "E");
        Field<QPushButton>(form.get(), CMultiLEDCreateForm::IDC_CREATE)->click();
        EXPECT_EQ(host.clipboard.GetInserters(isLed ? "L" : "E", false).size(), 3u);
        EXPECT_EQ(Count(host.calls, "StartCalculation"), Count(host.calls, "EndCalculation"));
    }
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"E:MOD000", "E:MOD001", "E:MOD002", "L:LED000",
                                                           "L:LED001", "L:LED002"}));
}

TEST_F(FormsTest, HiddenExtendedParametersAreStillChecked)
{
    MultiEDCreateModule module;
    Attach(module);
    auto form = MakeForm<CMultiLEDCreateForm>(module);
    const struct {
        int id;
        const char* text;
    } cases[] = {{6722, "41"}, {6723, "1.5"}, {6725, "-6"}, {6720, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        form->UpdateData(false);
        prompter.shown.clear();
        Field<QLineEdit>(form.get(), CMultiLEDCreateForm::IDC_FWHM)->setText("40");
        Field<QLineEdit>(form.get(), c.id)->setText(c.text);
        EXPECT_FALSE(form->UpdateData(true));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_TRUE(prompter.shown[0].text.startsWith("Bitte geben Sie eine Zahl zwischen"));
        EXPECT_EQ(*module.getParameters().getDoubleParameter("FWHM"), 30) << "nothing taken";
        // The button does not run with a refused entry.
        Field<QPushButton>(form.get(), CMultiLEDCreateForm::IDC_CREATE)->click();
        EXPECT_TRUE(ClipboardNames().empty());
    }
}

TEST_F(FormsTest, SpecsFormDerivesPrecisionChecksTheStepAndTakesDroppedGrids)
{
    EXPECT_EQ(CLEDCreateSpecsForm::IntPrecOf(380, 780, 0.25), 2);
    EXPECT_EQ(CLEDCreateSpecsForm::IntPrecOf(380, 780, 2), 0);
    EXPECT_EQ(CLEDCreateSpecsForm::IntPrecOf(400.5, 700, 1.5e-7), 6);

    LEDSpecsCreateModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLEDCreateSpecsForm>(module);
    Field<QLineEdit>(form.get(), CLEDCreateSpecsForm::IDC_STEP)->setText("0.5");
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("IntPrec"), 1);
    Field<QLineEdit>(form.get(), CLEDCreateSpecsForm::IDC_STEP)->setText("0.001");
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(*p.getDoubleParameter("XStep"), 0.5);

    AddCurve("M:five", 400, 5, 61, [](double) { return 1.0; });
    AddCurve("M:one", 450, 5, 1, [](double) { return 1.0; });
    auto* step = Field<CLEDCreateSpecsFormSelectionEdit>(form.get(), CLEDCreateSpecsForm::IDC_STEP);
    step->OnDropSpecs("M:five");
    EXPECT_EQ(*p.getDoubleParameter("XStart"), 400);
    EXPECT_EQ(*p.getDoubleParameter("XEnd"), 700);
    EXPECT_EQ(*p.getDoubleParameter("XStep"), 5);
    EXPECT_EQ(Field<QLineEdit>(form.get(), CLEDCreateSpecsForm::IDC_START)->text(), "400");
    Field<CLEDCreateSpecsFormSelectionEdit>(form.get(), CLEDCreateSpecsForm::IDC_START)->OnDropSpecs("M:one");
    EXPECT_EQ(*p.getDoubleParameter("XStart"), 450);
    EXPECT_EQ(*p.getDoubleParameter("XStep"), 5) << "one point gives no step";
    host.log.clear();
    step->OnDropSpecs("M:none");
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].text, "Fehler: Kein Spektrum!");
    EXPECT_EQ(host.log[0].colour, 0x000070u);
}

TEST_F(FormsTest, DataEditFormImportsFiltersAndErases)
{
    LEDDataEditModule module;
    Attach(module);
    AddObject("In:a", {{"Name", "a"}, {"PeakWavelength", "0.45"}});
    AddObject("In:b", {{"Name", "b"}, {"PeakWavelength", "0.6"}});
    auto form = MakeForm<CLEDDataEditForm>(module);
    Field<QLineEdit>(form.get(), CLEDDataEditForm::IDC_LEDS)->setText("In");
    Field<QPushButton>(form.get(), CLEDDataEditForm::IDC_IMPORT)->click();
    EXPECT_EQ(module.GetLEDList().EntryCount(), 2);
    EXPECT_EQ(form->GetEditor()->RowCount(), 2);
    Field<QLineEdit>(form.get(), CLEDDataEditForm::IDC_CONDITION)->setText("PeakWavelength > 0.5");
    EXPECT_EQ(*module.getParameters().getStringParameter("ConditionString"), "PeakWavelength > 0.5");
    EXPECT_EQ(form->GetEditor()->RowCount(), 1);
    Field<QLineEdit>(form.get(), CLEDDataEditForm::IDC_GROUP)->setText("Out");
    Field<QPushButton>(form.get(), CLEDDataEditForm::IDC_EXPORT)->click();
    EXPECT_EQ(ClipboardNames(), (std::vector<std::string>{"In:a", "In:b", "Out:b"}));
    Field<QPushButton>(form.get(), CLEDDataEditForm::IDC_ERASE)->click();
    EXPECT_EQ(module.GetLEDList().EntryCount(), 0);
    EXPECT_EQ(form->GetEditor()->RowCount(), 0);
    EXPECT_EQ(Count(host.calls, "StartCalculation"), 3);
    EXPECT_EQ(Count(host.calls, "EndCalculation"), 3);
}

// The record pane stands 10 pixels below the list, as wide as it and 150 pixels high, at any
// size of the pane.
TEST_F(FormsTest, DataEditFormPutsTheRecordPaneBelowTheList)
{
    LEDDataEditModule module;
    Attach(module);
    auto form = MakeForm<CLEDDataEditForm>(module);
    for (const QSize size : {QSize(520, 560), QSize(900, 1000), QSize(300, 300)}) {
        SCOPED_TRACE(size.width());
        form->resize(size);
        form->show();
        QApplication::processEvents();
        const QRect list = form->GetEditor()->geometry();
        const QRect pane = form->GetRecordPane()->geometry();
        EXPECT_EQ(form->GetEditor()->objectName(), "6635");
        EXPECT_EQ(pane.top() - (list.bottom() + 1), 10);
        EXPECT_EQ(pane.height(), 150);
        EXPECT_EQ(pane.left(), list.left());
        EXPECT_EQ(pane.width(), list.width());
    }
}

TEST_F(FormsTest, FittingFormSetsTheSecondPassByItsFields)
{
    LEDContinuousFittingModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLEDContinuousFittingForm>(module);
    const struct {
        const char* target;
        const char* observer;
        bool before;
        bool after;
    } cases[] = {{"T", "", false, true}, {"", "O", false, true}, {"", "", true, false}};
    for (const auto& c : cases) {
        p.setBoolParameter("AddTargetDrivenOptimization", c.before);
        Field<QLineEdit>(form.get(), CLEDContinuousFittingForm::IDC_TARGET_SPECS)->setText(c.target);
        Field<QLineEdit>(form.get(), CLEDContinuousFittingForm::IDC_OBSERVER_SPECS)->setText(c.observer);
        ASSERT_TRUE(form->UpdateData(true));
        EXPECT_EQ(*p.getBoolParameter("AddTargetDrivenOptimization"), c.after) << c.target << c.observer;
        EXPECT_EQ(*p.getStringParameter("TargetSpecsDesc"), c.target);
    }
    EXPECT_FALSE(module.InRun());
}

TEST_F(FormsTest, FittingFormEditsTheSettingsInTheirDialog)
{
    LEDContinuousFittingModule module;
    Attach(module);
    ns_param::Paramora& p = module.getParameters();
    auto form = MakeForm<CLEDContinuousFittingForm>(module);
    prompter.onModal = [](QDialog& dialog) {
        auto* settings = dynamic_cast<CLedFitterParamsEditDlg*>(&dialog);
        EXPECT_NE(settings, nullptr);
        if (settings) {
            EXPECT_EQ(settings->MaxIterations, 1000);
            EXPECT_EQ(settings->MinValue, -1e308);
            settings->MaxIterations = 50; // as the fields would leave it; closed by Escape
        }
        return int(QDialog::Rejected);
    };
    Field<QPushButton>(form.get(), CLEDContinuousFittingForm::IDC_SETTINGS)->click();
    EXPECT_EQ(*p.getIntParameter("MaxIterations"), 50) << "read back however it was closed";
    EXPECT_EQ(*p.getDoubleParameter("MinValue"), -1e308);
    EXPECT_FALSE(module.InRun());
}

} // namespace
