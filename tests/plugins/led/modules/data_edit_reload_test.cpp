// The LED data edit form shown again from its module's parameters: a changed condition filters
// the list, and no field is written back before it has been loaded.
#include "led_modules_fixture.h"

#include "modules/led_data_edit_form.h"
#include "modules/led_data_edit_module.h"

#include "windows/editor_win.h"

#include "support/fake_prompter.h"

#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

class DataEditReload : public led_test::ModulesTest {
protected:
    FakePrompter prompter;
};

TEST_F(DataEditReload, AChangedConditionKeepsTheOtherParameters)
{
    LEDDataEditModule module;
    Attach(module);
    AddObject("In:a", {{"Name", "a"}, {"PeakWavelength", "0.45"}});
    AddObject("In:b", {{"Name", "b"}, {"PeakWavelength", "0.6"}});
    std::unique_ptr<CLEDDataEditForm> form(static_cast<CLEDDataEditForm*>(CLEDDataEditForm::CreateObject(nullptr)));
    form->SetModule(&module);
    form->InitModuleEditor();
    form->UpdateData(false);
    form->findChild<QLineEdit*>(QString::number(CLEDDataEditForm::IDC_LEDS))->setText("In");
    form->findChild<QPushButton*>(QString::number(CLEDDataEditForm::IDC_IMPORT))->click();
    ASSERT_EQ(form->GetEditor()->RowCount(), 2);

    // The parameters change behind the form (a script, a dropped parameter), then it reloads.
    ns_param::Paramora& p = module.getParameters();
    p.setStringParameter("ConditionString", "PeakWavelength > 0.5");
    p.setStringParameter("LEDsDesc", "Andere");
    p.setStringParameter("ClipboardTargetGroup", "Ziel");
    ASSERT_TRUE(form->UpdateData(false));
    EXPECT_EQ(*p.getStringParameter("ConditionString"), "PeakWavelength > 0.5");
    EXPECT_EQ(*p.getStringParameter("LEDsDesc"), "Andere");
    EXPECT_EQ(*p.getStringParameter("ClipboardTargetGroup"), "Ziel");
    EXPECT_EQ(form->findChild<QLineEdit*>(QString::number(CLEDDataEditForm::IDC_LEDS))->text(), "Andere");
    EXPECT_EQ(form->findChild<QLineEdit*>(QString::number(CLEDDataEditForm::IDC_GROUP))->text(), "Ziel");
    EXPECT_EQ(form->GetEditor()->RowCount(), 1);

    // Typing a condition still saves the fields and filters at once.
    form->findChild<QLineEdit*>(QString::number(CLEDDataEditForm::IDC_CONDITION))->setText("");
    EXPECT_EQ(*p.getStringParameter("ConditionString"), "");
    EXPECT_EQ(form->GetEditor()->RowCount(), 2);
}

} // namespace
