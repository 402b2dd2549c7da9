// The selection forms, headless: visibility by module kind, exclusive methods, exchange
// rules and the run dispatch.
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
#include <QSpinBox>
#include <gtest/gtest.h>

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
    EXPECT_FALSE(Shown(form.get(), 14009));
    EXPECT_TRUE(Field<QLineEdit>(form.get(), 14009)->text().isEmpty());
    EXPECT_TRUE(Shown(form.get(), 14028));
    EXPECT_FALSE(Shown(form.get(), 2121));
    EXPECT_FALSE(Shown(form.get(), 15065));
    EXPECT_EQ(Field<QLabel>(form.get(), 2017)->text(), "Auswahlspektrensammlung:");
    EXPECT_EQ(Field<QSpinBox>(form.get(), 14006)->maximum(), 32767);
    EXPECT_EQ(Field<QSpinBox>(form.get(), 14006)->minimum(), 0);

    SVDSensSelectionModule sensors;
    sensors.SetModuleInterface(&host);
    sensors.getParameters().setBoolParameter("CheckSpecs", true);
    auto sensorForm = MakeForm<SVDSelectionForm>(sensors);
    EXPECT_TRUE(Shown(sensorForm.get(), 14009));
    EXPECT_FALSE(Shown(sensorForm.get(), 14028));
    EXPECT_TRUE(Shown(sensorForm.get(), 2121));
    EXPECT_TRUE(Shown(sensorForm.get(), 15065));
    EXPECT_EQ(Field<QLabel>(sensorForm.get(), 2017)->text(), "Auswahlspektrensammlung (Sensorik-Spektren):");
    Field<QCheckBox>(sensorForm.get(), 2121)->click();
    EXPECT_FALSE(Shown(sensorForm.get(), 15065));

    // The run dispatches by kind: the sensor module runs its own operation.
    Field<QPushButton>(sensorForm.get(), 14001)->click();
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
    EXPECT_TRUE(Field<QRadioButton>(form.get(), 15039)->isChecked());
    EXPECT_TRUE(Shown(form.get(), 15035));
    EXPECT_TRUE(Field(form.get(), 15035)->isEnabled());

    // Both buttons clear: NormType stays.
    Field<QRadioButton>(form.get(), 15039)->setChecked(false);
    p.setIntParameter("NormType", 1);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("NormType"), 1);
    Field<QRadioButton>(form.get(), 15040)->click();
    EXPECT_EQ(*p.getIntParameter("NormType"), 0);
    EXPECT_FALSE(Field(form.get(), 15035)->isEnabled());

    Field<QLineEdit>(form.get(), 15035)->setText("101");
    Field<QPushButton>(form.get(), 14001)->click();
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "StartCalculation"), 0);
    EXPECT_FALSE(prompter.shown.empty());
    EXPECT_EQ(*p.getDoubleParameter("NormVal"), 10);

    Field<QCheckBox>(form.get(), 2120)->click(); // off
    EXPECT_FALSE(Shown(form.get(), 15039));
    EXPECT_FALSE(Shown(form.get(), 15040));
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
    EXPECT_TRUE(Field<QCheckBox>(f, 15025)->isChecked());
    for (int id : {20018, 20020, 20021, 20015, 20019})
        EXPECT_FALSE(Shown(f, id)) << id;
    Field<QCheckBox>(f, 20014)->click();
    EXPECT_FALSE(Field<QCheckBox>(f, 15025)->isChecked());
    for (int id : {20018, 20020, 20021, 20015, 20019})
        EXPECT_TRUE(Shown(f, id)) << id;
    Field<QCheckBox>(f, 15025)->click();
    EXPECT_FALSE(Field<QCheckBox>(f, 20014)->isChecked());
    for (int id : {20018, 20020, 20021, 20015, 20019})
        EXPECT_FALSE(Shown(f, id)) << id;

    // EvoCount 300 stores EvoRecomb 200 and EvoPopul 4.
    p.setIntParameter("EvoPopul", 9);
    Field<QSpinBox>(f, 20015)->setValue(300);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*p.getIntParameter("EvoCount"), 300);
    EXPECT_EQ(*p.getIntParameter("EvoRecomb"), 200);
    EXPECT_EQ(*p.getIntParameter("EvoPopul"), 4);
    EXPECT_EQ(Field<QSpinBox>(f, 20015)->minimum(), 50);
    EXPECT_EQ(Field<QSpinBox>(f, 20015)->maximum(), 41248);

    // Overlap shows its limits; tolerances their field; the start text the internal switch.
    EXPECT_FALSE(Shown(f, 15010));
    Field<QCheckBox>(f, 15024)->click();
    EXPECT_TRUE(Shown(f, 15010));
    EXPECT_TRUE(Shown(f, 15027));
    EXPECT_FALSE(Shown(f, 15052));
    Field<QCheckBox>(f, 15053)->click();
    EXPECT_TRUE(Shown(f, 15052));
    EXPECT_FALSE(Shown(f, 20023));
    Field<QLineEdit>(f, 20005)->setText(QString(70, 'a'));
    EXPECT_TRUE(Shown(f, 20023));
    // A secondary weighting shows the key switch and the label with its line break.
    EXPECT_FALSE(Shown(f, 3015));
    Field<QLineEdit>(f, 15013)->setText("V");
    EXPECT_TRUE(Shown(f, 3015));
    EXPECT_EQ(Field<QLabel>(f, 15008)->text(),
              "Spektrale Gewichtung(en) (Anwendungsklasse) - \nNamen mit optionaler XXXX@Suchzeichenkette@XXXX");
    Field<QCheckBox>(f, 3015)->click();
    EXPECT_TRUE(Shown(f, 15048));
    EXPECT_TRUE(Field<QRadioButton>(f, 15049)->isChecked()); // SearchAfterType 0
    Field<QRadioButton>(f, 15048)->click();
    EXPECT_EQ(*p.getIntParameter("SearchAfterType"), 1);

    // A refused limit leaves every parameter as it was.
    Field<QLineEdit>(f, 15010)->setText("150");
    FakePrompter prompter;
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(*p.getDoubleParameter("SIVSpecMaxOverlap"), 100);
}

TEST(SpectralIntegralVarFormTest, TextChangesOfTheWeightingAndStartFieldsTakeTheFormsData)
{
    IntegralVarFormFixture fixture;
    ns_param::Paramora& p = fixture.module.getParameters();
    SpectralIntegralVarForm* form = fixture.form.get();
    QWidget* f = form;
    // Typed fields reach the module when the secondary weighting or the start selection changes.
    for (int changed : {15013, 20005}) {
        SCOPED_TRACE(changed);
        const std::string typed = "Typed:" + std::to_string(changed);
        Field<QLineEdit>(f, 15001)->setText(QString::fromStdString(typed));
        Field<QSpinBox>(f, 15002)->setValue(changed % 100);
        Field<QLineEdit>(f, changed)->setText("X");
        EXPECT_EQ(*p.getStringParameter("SpecDesc"), typed);
        EXPECT_EQ(*p.getIntParameter("SpecCount"), changed % 100);
        EXPECT_EQ(*p.getStringParameter(changed == 15013 ? "WSpecDesc2" : "StartSpec"), "X");
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
    EXPECT_EQ(Field<QLineEdit>(f, 20005)->text(), "S2");
}

} // namespace
