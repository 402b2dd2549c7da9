// The device form, headless: buttons that follow the link, the bindings, the drop fields, the
// display filled by queued copies, and an edited row that reaches the device.
#include "device_fixture.h"

#include "modules/device/lumiref_comm_form.h"

#include "windows/param_show_ctrl.h"

#include "core/selection_edit.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

using namespace device_test;

class FormTest : public DeviceTest {
protected:
    FormTest()
    {
        form.reset(static_cast<CLumirefCommForm*>(CLumirefCommForm::CreateObject(nullptr)));
        form->SetModule(&module);
        form->InitModuleEditor();
        form->UpdateData(false);
    }
    ~FormTest() override { form.reset(); } // the form goes before the module

    template <class T>
    T* Field(int id)
    {
        auto* field = form->findChild<T*>(QString::number(id));
        EXPECT_NE(field, nullptr) << id;
        return field;
    }

    bool CanConnect() { return Field<QPushButton>(CLumirefCommForm::IDC_CONNECT)->isEnabled(); }
    bool CanDisconnect() { return Field<QPushButton>(CLumirefCommForm::IDC_DISCONNECT)->isEnabled(); }

    FakePrompter prompter;
    std::unique_ptr<CLumirefCommForm> form;
};

TEST_F(FormTest, ButtonsFollowTheLinkAndTheDisplayFollowsTheDevice)
{
    EXPECT_TRUE(CanConnect());
    EXPECT_FALSE(CanDisconnect());
    CParamShowCtrl* display = form->Display();
    ASSERT_EQ(display, Field<CParamShowCtrl>(CLumirefCommForm::IDC_DISPLAY));
    EXPECT_EQ(display->GetOwnerForm(), form.get());

    Field<QPushButton>(CLumirefCommForm::IDC_CONNECT)->click();
    EXPECT_TRUE(module.IsConnected());
    EXPECT_FALSE(CanConnect());
    EXPECT_TRUE(CanDisconnect());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");

    // The rows arrive as queued copies on this thread, then the polled values.
    ASSERT_TRUE(QTest::qWaitFor([display] { return display->names.size() == 16u; }, 10000));
    EXPECT_EQ(display->names, module.ParameterNames());
    EXPECT_EQ(display->readOnly, module.ReadOnlyFlags());
    ASSERT_TRUE(QTest::qWaitFor([display] { return display->GetValue("SensorDiv") != 0.0; }, 10000));
    EXPECT_EQ(display->GetValue("SensorDiv"), static_cast<double>(8.000742f));

    // An edited Lightness row goes to the device before the edit returns.
    form->resize(500, 700);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    display->BeginEdit(9); // Lightness3
    ASSERT_TRUE(display->IsEditing());
    auto* editor = display->findChild<QLineEdit*>(QStringLiteral("1"));
    ASSERT_NE(editor, nullptr);
    editor->setText("0.875");
    display->EndEdit();
    EXPECT_EQ(sim.Value(9), 0.875f);

    Field<QPushButton>(CLumirefCommForm::IDC_DISCONNECT)->click();
    EXPECT_FALSE(module.IsStarting());
    EXPECT_TRUE(CanConnect());
    EXPECT_FALSE(CanDisconnect());
    EXPECT_EQ(display->names.size(), 16u) << "the last table stays shown";
}

TEST_F(FormTest, AFailedConnectLeavesVerbindenEnabled)
{
    Field<QLineEdit>(CLumirefCommForm::IDC_PORT)->setText("/dev/orvanta-no-such-port");
    Field<QPushButton>(CLumirefCommForm::IDC_CONNECT)->click();
    EXPECT_EQ(*module.getParameters().getStringParameter("COMPort"), "/dev/orvanta-no-such-port");
    EXPECT_EQ(host.LogTexts().back(), "FEHLER: Konnte Schnittstelle '/dev/orvanta-no-such-port' nicht öffnen");
    EXPECT_TRUE(CanConnect());
    EXPECT_FALSE(CanDisconnect());
}

TEST_F(FormTest, FieldsBindToTheParameters)
{
    const struct {
        int id;
        const char* parameter;
        const char* text;
    } strings[] = {
        {CLumirefCommForm::IDC_PORT, "COMPort", "COM3"},
        {CLumirefCommForm::IDC_INTERPOLATOR, "InterpolatorSpecs", "Ipol:S1;Ipol:S2"},
        {CLumirefCommForm::IDC_TARGETGROUP, "TargetGroup", "Rec"},
        {CLumirefCommForm::IDC_LIGHTNESSGROUP, "LightnessesTargetGroup", "L"},
        {CLumirefCommForm::IDC_MEASURESGROUP, "MeasuresTargetGroup", "M"},
    };
    const struct {
        int id;
        const char* parameter;
        int value;
    } ints[] = {
        {CLumirefCommForm::IDC_SPECCOUNT, "SpecCount", 12},
        {CLumirefCommForm::IDC_LEDINDEX, "LEDIndex", 4},
        {CLumirefCommForm::IDC_INTERVAL, "MeasureInterval", 250},
    };
    for (const auto& s : strings)
        Field<QLineEdit>(s.id)->setText(s.text);
    for (const auto& i : ints)
        Field<QLineEdit>(i.id)->setText(QString::number(i.value));
    Field<QCheckBox>(CLumirefCommForm::IDC_SERIES)->setChecked(true);
    ASSERT_TRUE(form->UpdateData(true));
    ns_param::Paramora& p = module.getParameters();
    for (const auto& s : strings)
        EXPECT_EQ(*p.getStringParameter(s.parameter), s.text) << s.parameter;
    for (const auto& i : ints)
        EXPECT_EQ(*p.getIntParameter(i.parameter), i.value) << i.parameter;
    EXPECT_TRUE(*p.getBoolParameter("LightnessSeries"));
    EXPECT_FALSE(*p.getBoolParameter("Connected"));

    // And back.
    p.setIntParameter("SpecCount", 3);
    p.setStringParameter("TargetGroup", "Andere");
    form->UpdateData(false);
    EXPECT_EQ(Field<QLineEdit>(CLumirefCommForm::IDC_SPECCOUNT)->text(), "3");
    EXPECT_EQ(Field<QLineEdit>(CLumirefCommForm::IDC_TARGETGROUP)->text(), "Andere");

    // A count that is no number is refused with the exchange's message; nothing is taken.
    Field<QLineEdit>(CLumirefCommForm::IDC_SPECCOUNT)->setText("viele");
    Field<QLineEdit>(CLumirefCommForm::IDC_MEASURESGROUP)->setText("Neu");
    EXPECT_FALSE(form->UpdateData(true));
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(*p.getIntParameter("SpecCount"), 3);
    EXPECT_EQ(*p.getStringParameter("MeasuresTargetGroup"), "M");
    // ERZEUGEN does not run with it.
    Field<QPushButton>(CLumirefCommForm::IDC_CREATE)->click();
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(FormTest, DropFields)
{
    auto* interpolator = Field<CSelectionEdit>(CLumirefCommForm::IDC_INTERPOLATOR);
    auto* target = Field<CSelectionEdit>(CLumirefCommForm::IDC_TARGETGROUP);
    EXPECT_TRUE(interpolator->CanDropSpecs());
    EXPECT_FALSE(interpolator->CanDropGroup());
    EXPECT_TRUE(target->CanDropGroup());
    EXPECT_FALSE(target->CanDropSpecs());
}

TEST_F(FormTest, AFormShownWhileConnectedGetsTheTableAtOnce)
{
    ASSERT_TRUE(module.connect());
    form.reset();
    ASSERT_TRUE(sim.WaitForCommand(0xC2, 2, kWait)); // refreshes for a form that is gone
    QCoreApplication::processEvents();
    std::unique_ptr<CLumirefCommForm> second(static_cast<CLumirefCommForm*>(CLumirefCommForm::CreateObject(nullptr)));
    second->SetModule(&module);
    second->InitModuleEditor();
    EXPECT_EQ(second->Display()->names.size(), 16u);
    EXPECT_FALSE(second->findChild<QPushButton*>(QString::number(CLumirefCommForm::IDC_CONNECT))->isEnabled());
    EXPECT_TRUE(second->findChild<QPushButton*>(QString::number(CLumirefCommForm::IDC_DISCONNECT))->isEnabled());
    second.reset();
    EXPECT_TRUE(module.disconnect());
}

} // namespace
