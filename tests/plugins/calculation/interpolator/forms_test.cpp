// The training and test forms, headless: set-up, enabling, validation, save and run buttons.
#include "calculation/create_interpolator_form.h"
#include "calculation/form_helpers.h"
#include "calculation/test_interpolator_form.h"

#include "fixture.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

using interp_test::Interp;

template <class Form>
std::unique_ptr<Form> MakeForm(Module& module)
{
    std::unique_ptr<Form> form(static_cast<Form*>(Form::CreateObject(nullptr)));
    form->SetModule(&module);
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

class Forms : public Interp {
protected:
    FakePrompter prompter;
};

TEST_F(Forms, TrainingFormShowsIterationsAndEnablesByTheSensorDescription)
{
    P().setIntParameter("IterCount", 7);
    auto form = MakeForm<CreateInterpolatorForm>(train);
    auto* spin = Field<calc::SpinEdit>(form.get(), CreateInterpolatorForm::IDC_ITERCOUNT);
    EXPECT_EQ(spin->lineEdit()->text(), "7"); // not reset to 1
    EXPECT_EQ(spin->minimum(), 1);
    EXPECT_EQ(spin->maximum(), 50);
    EXPECT_EQ(*P().getIntParameter("IterCount"), 7);
    auto* sens = Field<QLineEdit>(form.get(), CreateInterpolatorForm::IDC_SENSITIVITIES);
    auto* illu = Field<QLineEdit>(form.get(), CreateInterpolatorForm::IDC_ILLUMINATION);
    auto* responses = Field<QLineEdit>(form.get(), CreateInterpolatorForm::IDC_RESPONSES);
    EXPECT_EQ(sens->text(), "sens");
    EXPECT_FALSE(responses->isEnabled());
    EXPECT_TRUE(Field<QLineEdit>(form.get(), CreateInterpolatorForm::IDC_WIENER1)->isEnabled());
    sens->setText("");
    EXPECT_TRUE(responses->isEnabled());
    EXPECT_FALSE(Field<QLineEdit>(form.get(), CreateInterpolatorForm::IDC_WIENER1)->isEnabled());
    EXPECT_EQ(*P().getStringParameter("SpecDescAsystem"), "");
    illu->setText("x");
    EXPECT_TRUE(host.log.empty());
    responses->setText("resp");
    EXPECT_FALSE(sens->isEnabled());
    EXPECT_FALSE(illu->isEnabled());
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.back().text, "Fehler: Sensorverhalten entweder durch Sensorempfindlichkeiten und Beleuchtung "
                                    "oder Abtastwerte beschreiben!");
    // The evolutionary switch is shown but bound to nothing.
    Field<QCheckBox>(form.get(), CreateInterpolatorForm::IDC_EVOLUTIONARY)->setChecked(true);
    EXPECT_TRUE(form->UpdateData(true));
    EXPECT_FALSE(*P().getBoolParameter("EvoOpt"));
}

TEST_F(Forms, TrainingFormRangeChecksKeepTheParameters)
{
    auto form = MakeForm<CreateInterpolatorForm>(train);
    const struct {
        int id;
        const char* name;
        const char* bad;
        const char* good;
        double value;
    } cases[] = {{2085, "RegI2max", "20000000", "5000", 5000}, {2093, "RegGauss", "1.5", "0.25", 0.25}};
    for (const auto& c : cases) {
        Field<QLineEdit>(form.get(), c.id)->setText(c.bad);
        prompter.shown.clear();
        EXPECT_FALSE(form->UpdateData(true)) << c.name;
        EXPECT_FALSE(prompter.shown.empty()) << c.name;
        EXPECT_EQ(*P().getDoubleParameter(c.name), 0) << c.name;
        Field<QLineEdit>(form.get(), c.id)->setText(c.good);
        EXPECT_TRUE(form->UpdateData(true)) << c.name;
        EXPECT_EQ(*P().getDoubleParameter(c.name), c.value) << c.name;
    }
}

TEST_F(Forms, TrainingFormShowsAnyStoredIterationCountAndChecksItWhenTaken)
{
    // Counts a script may store (the run takes one below 1 as 1): the form shows each as it
    // stands, opening it changes and refuses nothing; taking the data checks 1..50.
    for (const int stored : {0, -5, 120}) {
        SCOPED_TRACE(stored);
        P().setIntParameter("IterCount", stored);
        prompter.shown.clear();
        auto form = MakeForm<CreateInterpolatorForm>(train);
        form->UpdateData(false);
        auto* spin = Field<calc::SpinEdit>(form.get(), CreateInterpolatorForm::IDC_ITERCOUNT);
        EXPECT_EQ(spin->lineEdit()->text(), QString::number(stored));
        EXPECT_EQ(*P().getIntParameter("IterCount"), stored);
        EXPECT_TRUE(prompter.shown.empty()) << "no check on opening";
        EXPECT_FALSE(form->UpdateData(true));
        ASSERT_EQ(prompter.Texts().size(), 1u);
        EXPECT_EQ(prompter.Texts().back(), "Bitte geben Sie eine ganze Zahl zwischen 1 und 50 ein.");
        EXPECT_EQ(*P().getIntParameter("IterCount"), stored);
    }
    auto form = MakeForm<CreateInterpolatorForm>(train);
    auto* spin = Field<calc::SpinEdit>(form.get(), CreateInterpolatorForm::IDC_ITERCOUNT);
    // The arrows keep to 1..50 and start from 1 while the edit holds no number.
    const struct {
        const char* what;
        QString text;
        int steps;
        QString shown;
    } rows[] = {
        {"down from above the range", "120", -1, "50"},
        {"up from below it", "0", 1, "1"},
        {"up within it", "7", 3, "10"},
        {"from a text that is no number", "", 1, "1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        spin->lineEdit()->setText(r.text);
        spin->stepBy(r.steps);
        EXPECT_EQ(spin->lineEdit()->text(), r.shown);
    }
    spin->lineEdit()->setText("50");
    EXPECT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*P().getIntParameter("IterCount"), 50);
}

TEST_F(Forms, TrainingFormRunsAndSavesThroughTheDialog)
{
    auto form = MakeForm<CreateInterpolatorForm>(train);
    Field<QPushButton>(form.get(), CreateInterpolatorForm::IDC_RUN)->click();
    EXPECT_NE(host.spectra.GetInserter("rule:qSPECs:red"), nullptr);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "StartCalculation"), 1);
    FakeFileChooser chooser;
    test_support::TempDir dir;
    chooser.answer = QString::fromStdString(dir.file("saved.txt"));
    Field<QPushButton>(form.get(), CreateInterpolatorForm::IDC_SAVE)->click();
    EXPECT_EQ(chooser.saveRequests, 1);
    EXPECT_EQ(chooser.lastName, "rule.txt");
    EXPECT_TRUE(std::filesystem::exists(dir.file("saved.txt")));
}

TEST_F(Forms, TestFormHidesTheMarkSwitchAndExcludesSensorOrResponses)
{
    Q().setStringParameter("SpecMessSystem", "rule:qSens");
    auto form = MakeForm<TestInterpolatorForm>(test);
    form->UpdateData(false);
    EXPECT_TRUE(Field<QCheckBox>(form.get(), TestInterpolatorForm::IDC_RANDOMSIGN)->isHidden());
    EXPECT_EQ(Field<QPushButton>(form.get(), TestInterpolatorForm::IDC_RUN)->text(), "KALIBRIERUNG\nTESTEN");
    auto* sensors = Field<QLineEdit>(form.get(), TestInterpolatorForm::IDC_SENSORS);
    auto* responses = Field<QLineEdit>(form.get(), TestInterpolatorForm::IDC_RESPONSES);
    auto* targets = Field<QLineEdit>(form.get(), TestInterpolatorForm::IDC_TARGETS);
    EXPECT_FALSE(responses->isEnabled());
    sensors->setText("");
    EXPECT_TRUE(responses->isEnabled());
    responses->setText("resp");
    EXPECT_FALSE(sensors->isEnabled());
    host.log.clear();
    sensors->setText("s");
    targets->setText("t");
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.back().text, "Sensor entweder spektral (Kanalempfindlichkeiten, Targets, Beleuchtung) oder "
                                    "durch Sensorantworten beschreiben!");
    // A range value beyond 1e7 fails and keeps the parameter.
    Field<QLineEdit>(form.get(), TestInterpolatorForm::IDC_RANGEMIN)->setText("20000000");
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(*Q().getDoubleParameter("RangeOfValueMin"), 0);
    Field<QLineEdit>(form.get(), TestInterpolatorForm::IDC_RANGEMIN)->setText("-5");
    EXPECT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*Q().getDoubleParameter("RangeOfValueMin"), -5);
}

TEST_F(Forms, TestFormRunsTheTest)
{
    ASSERT_TRUE(train.createinterpolator());
    Q().setStringParameter("SpecMessSystem", "rule:qSens");
    Q().setStringParameter("SpecInterpolator", "rule:qSPECs");
    Q().setStringParameter("SpecTargets", "targ");
    Q().setStringParameter("TargetGroup", "rek");
    auto form = MakeForm<TestInterpolatorForm>(test);
    form->UpdateData(false);
    Field<QPushButton>(form.get(), TestInterpolatorForm::IDC_RUN)->click();
    EXPECT_NE(host.spectra.GetInserter("rek:t1"), nullptr);
}

} // namespace
