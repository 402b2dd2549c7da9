// The selection forms, headless: visibility by module kind, exclusive methods, exchange
// rules and the run dispatch.
#include "calculation/form_helpers.h"
#include "calculation/spectral_integral_var_form.h"
#include "calculation/spectral_integral_var_module.h"
#include "calculation/svd_selection_form.h"
#include "calculation/svd_selection_module.h"

#include "fixture.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

namespace {

template <class Form>
std::unique_ptr<Form> MakeForm(Module& module)
{
    std::unique_ptr<Form> form(static_cast<Form*>(Form::CreateObject(nullptr)));
    form->SetModule(&module);
    form->InitModuleEditor();
    return form;
}

template <class T = QWidget>
T* Field(QWidget* form, int id)
{
    auto* field = form->findChild<T*>(QString::number(id));
    EXPECT_NE(field, nullptr) << id;
    return field;
}

bool Shown(QWidget* form, int id)
{
    return !Field(form, id)->isHidden();
}

TEST(SVDSelectionFormTest, FieldsByModuleKind)
{
    RecordingHost host;
    SVDSelectionModule spectra;
    spectra.SetModuleInterface(&host);
    spectra.getParameters().setStringParameter("WSpecDesc", "W:alt");
    auto form = MakeForm<SVDSelectionForm>(spectra);
    EXPECT_FALSE(Shown(form.get(), SVDSelectionForm::IDC_WEIGHTS));
    EXPECT_TRUE(Field<QLineEdit>(form.get(), SVDSelectionForm::IDC_WEIGHTS)->text().isEmpty());
    EXPECT_TRUE(Shown(form.get(), SVDSelectionForm::IDC_EQUIVALENTS));
    EXPECT_FALSE(Shown(form.get(), SVDSelectionForm::IDC_CHECKSPECS));
    EXPECT_FALSE(Shown(form.get(), SVDSelectionForm::IDC_KEYWORDS));
    EXPECT_EQ(Field<QLabel>(form.get(), SVDSelectionForm::IDC_SPECLABEL)->text(), "Auswahlspektrensammlung:");
    EXPECT_EQ(Field<calc::SpinEdit>(form.get(), SVDSelectionForm::IDC_SPECCOUNT)->maximum(), 32767);
    EXPECT_EQ(Field<calc::SpinEdit>(form.get(), SVDSelectionForm::IDC_SPECCOUNT)->minimum(), 0);

    SVDSensSelectionModule sensors;
    sensors.SetModuleInterface(&host);
    sensors.getParameters().setBoolParameter("CheckSpecs", true);
    auto sensorForm = MakeForm<SVDSelectionForm>(sensors);
    EXPECT_TRUE(Shown(sensorForm.get(), SVDSelectionForm::IDC_WEIGHTS));
    EXPECT_FALSE(Shown(sensorForm.get(), SVDSelectionForm::IDC_EQUIVALENTS));
    EXPECT_TRUE(Shown(sensorForm.get(), SVDSelectionForm::IDC_CHECKSPECS));
    EXPECT_TRUE(Shown(sensorForm.get(), SVDSelectionForm::IDC_KEYWORDS));
    EXPECT_EQ(Field<QLabel>(sensorForm.get(), SVDSelectionForm::IDC_SPECLABEL)->text(), "Auswahlspektrensammlung (Sensorik-Spektren):");
    Field<QCheckBox>(sensorForm.get(), SVDSelectionForm::IDC_CHECKSPECS)->click();
    EXPECT_FALSE(Shown(sensorForm.get(), SVDSelectionForm::IDC_KEYWORDS));

    // The run dispatches by kind: the sensor module runs its own operation.
    Field<QPushButton>(sensorForm.get(), SVDSelectionForm::IDC_RUN)->click();
    ASSERT_FALSE(host.log.empty());
    EXPECT_NE(host.log.back().text.find("Integrale Samples"), std::string::npos);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "StartCalculation"), 1);
}

TEST(SVDSelectionFormTest, NormFieldsAndRefusedValue)
{
    RecordingHost host;
    FakePrompter prompter;
    SVDSelectionModule module;
    module.SetModuleInterface(&host);
    ns_param::Paramora& p = module.getParameters();
    p.setBoolParameter("NormSpecs", true);
    p.setIntParameter("NormType", 1);
    auto form = MakeForm<SVDSelectionForm>(module);
    EXPECT_TRUE(Field<QRadioButton>(form.get(), SVDSelectionForm::IDC_INTEGRAL)->isChecked());
    EXPECT_TRUE(Shown(form.get(), SVDSelectionForm::IDC_NORMVAL));
    EXPECT_TRUE(Field(form.get(), SVDSelectionForm::IDC_NORMVAL)->isEnabled());

    // Both buttons clear: NormType stays.
    Field<QRadioButton>(form.get(), SVDSelectionForm::IDC_INTEGRAL)->setChecked(false);
    p.setIntParameter("NormType", 1);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("NormType"), 1);
    Field<QRadioButton>(form.get(), SVDSelectionForm::IDC_MAXIMUM)->click();
    EXPECT_EQ(*p.getIntParameter("NormType"), 0);
    EXPECT_FALSE(Field(form.get(), SVDSelectionForm::IDC_NORMVAL)->isEnabled());

    Field<QLineEdit>(form.get(), SVDSelectionForm::IDC_NORMVAL)->setText("101");
    Field<QPushButton>(form.get(), SVDSelectionForm::IDC_RUN)->click();
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "StartCalculation"), 0);
    EXPECT_FALSE(prompter.shown.empty());
    EXPECT_EQ(*p.getDoubleParameter("NormVal"), 10);

    Field<QCheckBox>(form.get(), SVDSelectionForm::IDC_NORMSPECS)->click(); // off
    EXPECT_FALSE(Shown(form.get(), SVDSelectionForm::IDC_INTEGRAL));
    EXPECT_FALSE(Shown(form.get(), SVDSelectionForm::IDC_MAXIMUM));
}

TEST(SVDSelectionFormTest, StoredCountAndNormTypeStayAsTheyAre)
{
    // Values a script may store: the count beyond the arrows' range shows as it stands, a
    // NormType other than 1 or 0 checks neither button; taking the data back keeps them.
    const struct {
        const char* what;
        int count;
        int normType;
    } rows[] = {
        {"a count above the arrows' range", 40000, 1},
        {"a count below it", -3, 0},
        {"a NormType of neither button", 12, 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        RecordingHost host;
        SVDSensSelectionModule module;
        module.SetModuleInterface(&host);
        ns_param::Paramora& p = module.getParameters();
        p.setIntParameter("SpecCount", r.count);
        p.setIntParameter("NormType", r.normType);
        p.setBoolParameter("NormSpecs", true);
        auto form = MakeForm<SVDSelectionForm>(module);
        form->UpdateData(false);
        auto* count = Field<calc::SpinEdit>(form.get(), SVDSelectionForm::IDC_SPECCOUNT);
        EXPECT_EQ(count->lineEdit()->text(), QString::number(r.count));
        EXPECT_EQ(Field<QRadioButton>(form.get(), SVDSelectionForm::IDC_INTEGRAL)->isChecked(), r.normType == 1);
        EXPECT_EQ(Field<QRadioButton>(form.get(), SVDSelectionForm::IDC_MAXIMUM)->isChecked(), r.normType == 0);
        ASSERT_TRUE(form->UpdateData(true));
        EXPECT_EQ(*p.getIntParameter("SpecCount"), r.count);
        EXPECT_EQ(*p.getIntParameter("NormType"), r.normType);
    }
    // The arrows keep to 0..32767; a typed count is taken as it stands, text that is no
    // number is refused.
    RecordingHost host;
    FakePrompter prompter;
    SVDSelectionModule module;
    module.SetModuleInterface(&host);
    auto form = MakeForm<SVDSelectionForm>(module);
    auto* count = Field<calc::SpinEdit>(form.get(), SVDSelectionForm::IDC_SPECCOUNT);
    count->lineEdit()->setText("40000");
    count->stepBy(1);
    EXPECT_EQ(count->lineEdit()->text(), "32767");
    count->lineEdit()->setText("0");
    count->stepBy(-1);
    EXPECT_EQ(count->lineEdit()->text(), "0");
    count->lineEdit()->setText("50000");
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*module.getParameters().getIntParameter("SpecCount"), 50000);
    count->lineEdit()->setText("viele");
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(prompter.Texts(), std::vector<QString>{"Bitte geben Sie eine ganze Zahl ein."});
    EXPECT_EQ(*module.getParameters().getIntParameter("SpecCount"), 50000);
}

// The integral-variance form on a module of its own, set up as the editor pane does.
struct IntegralVarFormFixture {
    IntegralVarFormFixture()
    {
        module.SetModuleInterface(&host);
        form = MakeForm<SpectralIntegralVarForm>(module);
    }
    RecordingHost host;
    SpectralIntegralVarModule module;
    std::unique_ptr<SpectralIntegralVarForm> form;
};

TEST(SpectralIntegralVarFormTest, ExclusiveMethodsAndExchangeRules)
{
    IntegralVarFormFixture fixture;
    ns_param::Paramora& p = fixture.module.getParameters();
    SpectralIntegralVarForm* form = fixture.form.get();
    QWidget* f = form;
    // DiscSel is on by default: the evolutionary settings are hidden.
    EXPECT_TRUE(Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_DISCSEL)->isChecked());
    for (int id : {SpectralIntegralVarForm::IDC_EVOSPZLABEL, SpectralIntegralVarForm::IDC_EVOGROUPLABEL, SpectralIntegralVarForm::IDC_EVOCOUNTLABEL, SpectralIntegralVarForm::IDC_EVOCOUNT, SpectralIntegralVarForm::IDC_EVOSPZ})
        EXPECT_FALSE(Shown(f, id)) << id;
    Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_EVOLUTION)->click();
    EXPECT_FALSE(Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_DISCSEL)->isChecked());
    for (int id : {SpectralIntegralVarForm::IDC_EVOSPZLABEL, SpectralIntegralVarForm::IDC_EVOGROUPLABEL, SpectralIntegralVarForm::IDC_EVOCOUNTLABEL, SpectralIntegralVarForm::IDC_EVOCOUNT, SpectralIntegralVarForm::IDC_EVOSPZ})
        EXPECT_TRUE(Shown(f, id)) << id;
    Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_DISCSEL)->click();
    EXPECT_FALSE(Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_EVOLUTION)->isChecked());
    for (int id : {SpectralIntegralVarForm::IDC_EVOSPZLABEL, SpectralIntegralVarForm::IDC_EVOGROUPLABEL, SpectralIntegralVarForm::IDC_EVOCOUNTLABEL, SpectralIntegralVarForm::IDC_EVOCOUNT, SpectralIntegralVarForm::IDC_EVOSPZ})
        EXPECT_FALSE(Shown(f, id)) << id;

    // EvoCount 300, edited and left, stores EvoRecomb 200 and EvoPopul 4.
    p.setIntParameter("EvoPopul", 9);
    calc::SpinEdit* evoCount = Field<calc::SpinEdit>(f, SpectralIntegralVarForm::IDC_EVOCOUNT);
    evoCount->lineEdit()->setText("300");
    emit evoCount->editingFinished();
    EXPECT_EQ(*p.getIntParameter("EvoCount"), 300);
    EXPECT_EQ(*p.getIntParameter("EvoRecomb"), 200);
    EXPECT_EQ(*p.getIntParameter("EvoPopul"), 4);
    EXPECT_EQ(evoCount->minimum(), 50);
    EXPECT_EQ(evoCount->maximum(), 41248);

    // Overlap shows its limits; tolerances their field; the start text the internal switch.
    EXPECT_FALSE(Shown(f, SpectralIntegralVarForm::IDC_MAXOVERLAP));
    Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_OVERLAP)->click();
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_MAXOVERLAP));
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_MINDIST));
    EXPECT_FALSE(Shown(f, SpectralIntegralVarForm::IDC_TOLERANCES));
    Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_CHECKTOLERANCES)->click();
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_TOLERANCES));
    EXPECT_FALSE(Shown(f, SpectralIntegralVarForm::IDC_STARTSAMESENS));
    Field<QLineEdit>(f, SpectralIntegralVarForm::IDC_START)->setText(QString(70, 'a'));
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_STARTSAMESENS));
    // A secondary weighting shows the key switch and the label with its line break.
    EXPECT_FALSE(Shown(f, SpectralIntegralVarForm::IDC_SEARCHAFTER));
    Field<QLineEdit>(f, SpectralIntegralVarForm::IDC_SECONDARY)->setText("V");
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_SEARCHAFTER));
    EXPECT_EQ(Field<QLabel>(f, SpectralIntegralVarForm::IDC_TARGETLABEL)->text(),
              "Spektrale Gewichtung(en) (Anwendungsklasse) - \nNamen mit optionaler XXXX@Suchzeichenkette@XXXX");
    Field<QCheckBox>(f, SpectralIntegralVarForm::IDC_SEARCHAFTER)->click();
    EXPECT_TRUE(Shown(f, SpectralIntegralVarForm::IDC_KEYFRONT));
    EXPECT_TRUE(Field<QRadioButton>(f, SpectralIntegralVarForm::IDC_KEYBACK)->isChecked()); // SearchAfterType 0
    Field<QRadioButton>(f, SpectralIntegralVarForm::IDC_KEYFRONT)->click();
    EXPECT_EQ(*p.getIntParameter("SearchAfterType"), 1);

    // A refused limit leaves every parameter as it was.
    Field<QLineEdit>(f, SpectralIntegralVarForm::IDC_MAXOVERLAP)->setText("150");
    FakePrompter prompter;
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(*p.getDoubleParameter("SIVSpecMaxOverlap"), 100);
}

TEST(SpectralIntegralVarFormTest, OpeningTheFormChangesNoStoredParameter)
{
    // Stored values the fields' ranges or texts would not keep: the counts beyond the arrows'
    // ranges show as they are, and nothing is taken back while the form is set up. Only the
    // two values every exchange derives are set: EvoRecomb to two thirds of EvoCount, EvoPopul
    // to 4.
    const struct {
        const char* what;
        std::function<void(ns_param::Paramora&)> store;
    } rows[] = {
        {"generations above the arrows' range",
         [](ns_param::Paramora& p) {
             p.setIntParameter("EvoCount", 100000);
             p.setIntParameter("EvoRecomb", 66666);
         }},
        {"the largest generation count, evolutionary search on",
         [](ns_param::Paramora& p) {
             p.setIntParameter("EvoCount", 250000);
             p.setIntParameter("EvoRecomb", 166666);
             p.setBoolParameter("EvolutionSel", true);
             p.setBoolParameter("DiscSel", false);
         }},
        {"a selection count above the arrows' range",
         [](ns_param::Paramora& p) { p.setIntParameter("SpecCount", 40000); }},
        {"a selection count below it", [](ns_param::Paramora& p) { p.setIntParameter("SpecCount", -3); }},
        {"a limit a check refuses, normalisation on",
         [](ns_param::Paramora& p) {
             p.setDoubleParameter("NormVal", 150);
             p.setBoolParameter("NormSpecs", true);
         }},
        {"a limit with more digits than the field shows",
         [](ns_param::Paramora& p) { p.setDoubleParameter("SIVSpecMaxOverlap", 0.1 + 0.2); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        RecordingHost host;
        SpectralIntegralVarModule module;
        module.SetModuleInterface(&host);
        ns_param::Paramora& p = module.getParameters();
        r.store(p);
        ns_param::Paramora before = p;
        FakePrompter prompter;
        auto form = MakeForm<SpectralIntegralVarForm>(module);
        for (auto it = before.getFirstParameter(); it != before.getLastParameter(); ++it)
            if (it->first != "EvoRecomb" && it->first != "EvoPopul")
                EXPECT_EQ(p.getParameter(it->first)->getValueText('.'), it->second->getValueText('.')) << it->first;
        EXPECT_EQ(*p.getIntParameter("EvoRecomb"), *before.getIntParameter("EvoCount") * 2 / 3);
        EXPECT_EQ(*p.getIntParameter("EvoPopul"), 4);
        EXPECT_EQ(*p.getDoubleParameter("SIVSpecMaxOverlap"), *before.getDoubleParameter("SIVSpecMaxOverlap"));
        EXPECT_TRUE(prompter.shown.empty()) << "no check on opening";
        // The counts show as stored.
        EXPECT_EQ(Field<QAbstractSpinBox>(form.get(), SpectralIntegralVarForm::IDC_EVOCOUNT)->text().toInt(),
                  *p.getIntParameter("EvoCount"));
        EXPECT_EQ(Field<QAbstractSpinBox>(form.get(), SpectralIntegralVarForm::IDC_SPECCOUNT)->text().toInt(),
                  *p.getIntParameter("SpecCount"));
    }
}

TEST(SpectralIntegralVarFormTest, ArrowsKeepToTheirRangeTheEditDoesNot)
{
    IntegralVarFormFixture fixture;
    ns_param::Paramora& p = fixture.module.getParameters();
    calc::SpinEdit* evoCount = Field<calc::SpinEdit>(fixture.form.get(), SpectralIntegralVarForm::IDC_EVOCOUNT);
    const struct {
        const char* what;
        QString text;
        int steps;
        QString shown;
    } rows[] = {
        {"down from above the range", "100000", -1, "41248"},
        {"down past the lower limit", "60", -20, "50"},
        {"up within the range", "300", 5, "305"},
        {"up past the upper limit", "41240", 20, "41248"},
        {"from a text that is no number", "viele", 1, "50"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        evoCount->lineEdit()->setText(r.text);
        evoCount->stepBy(r.steps);
        EXPECT_EQ(evoCount->lineEdit()->text(), r.shown);
    }
    // Typed beyond the arrows' range, the count is taken as it stands.
    evoCount->lineEdit()->setText("120000");
    ASSERT_TRUE(fixture.form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("EvoCount"), 120000);
    EXPECT_EQ(*p.getIntParameter("EvoRecomb"), 80000);
    // The largest number the edit takes does not overflow the derived cycle.
    evoCount->lineEdit()->setText(QString::number(INT_MAX));
    ASSERT_TRUE(fixture.form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("EvoRecomb"), 1431655764);
}

TEST(SpectralIntegralVarFormTest, TextChangesOfTheWeightingAndStartFieldsTakeTheFormsData)
{
    IntegralVarFormFixture fixture;
    ns_param::Paramora& p = fixture.module.getParameters();
    SpectralIntegralVarForm* form = fixture.form.get();
    QWidget* f = form;
    // Typed fields reach the module when the secondary weighting or the start selection changes.
    for (int changed : {SpectralIntegralVarForm::IDC_SECONDARY, SpectralIntegralVarForm::IDC_START}) {
        SCOPED_TRACE(changed);
        const std::string typed = "Typed:" + std::to_string(changed);
        Field<QLineEdit>(f, SpectralIntegralVarForm::IDC_SPECDESC)->setText(QString::fromStdString(typed));
        Field<calc::SpinEdit>(f, SpectralIntegralVarForm::IDC_SPECCOUNT)
            ->lineEdit()
            ->setText(QString::number(changed % 100));
        Field<QLineEdit>(f, changed)->setText("X");
        EXPECT_EQ(*p.getStringParameter("SpecDesc"), typed);
        EXPECT_EQ(*p.getIntParameter("SpecCount"), changed % 100);
        EXPECT_EQ(*p.getStringParameter(changed == SpectralIntegralVarForm::IDC_SECONDARY ? "WSpecDesc2" : "StartSpec"), "X");
    }
    // Showing new values sets these texts too; the fields not shown yet are not read back.
    p.setStringParameter("WSpecDesc2", "V2");
    p.setStringParameter("StartSpec", "S2");
    p.setStringParameter("WSpecDesc2Name", "N2");
    p.setIntParameter("SpecCount", 9);
    ASSERT_TRUE(form->UpdateData(false));
    EXPECT_EQ(*p.getStringParameter("StartSpec"), "S2");
    EXPECT_EQ(*p.getStringParameter("WSpecDesc2Name"), "N2");
    EXPECT_EQ(*p.getIntParameter("SpecCount"), 9);
    EXPECT_EQ(Field<QLineEdit>(f, SpectralIntegralVarForm::IDC_START)->text(), "S2");
}

} // namespace
