// The two editor forms, headless: set-up, handler rules, data exchange, drops and the run
// bracket.
#include "calculation/normalize_form.h"
#include "calculation/normalize_module.h"
#include "calculation/planckian_source_form.h"
#include "calculation/planckian_source_module.h"

#include "fixture.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

using calc_test::AddCurve;
using calc_test::AddSpectrum;

template <class Form>
std::unique_ptr<Form> MakeForm(Module& module, bool init = true)
{
    std::unique_ptr<Form> form(static_cast<Form*>(Form::CreateObject(nullptr)));
    form->SetModule(&module);
    if (init) {
        form->InitModuleEditor();
        form->UpdateData(false);
    }
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

class NormalizeFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module.SetModuleInterface(&host);
        AddCurve(host, "Serie:Probe1", 400, 1, 21, [](double x) { return x - 400; });
        AddCurve(host, "Serie:Probe2", 400, 1, 21, [](double x) { return 2 * (x - 400); });
        AddCurve(host, "Ref:Lampe", 380, 5, 81, [](double) { return 1.0; });
        P().setStringParameter("SpecDesc", "Serie");
        P().setDoubleParameter("XStart", 400);
        P().setDoubleParameter("XEnd", 410);
    }

    ns_param::Paramora& P() { return module.getParameters(); }
    QLineEdit* Edit(int id) { return Field<QLineEdit>(form.get(), id); }
    QCheckBox* Check(int id) { return Field<QCheckBox>(form.get(), id); }

    RecordingHost host;
    FakePrompter prompter;
    NormalizeModule module;
    std::unique_ptr<CNormalizeForm> form;
};

TEST_F(NormalizeFormTest, SetUpResetsTheValueChangesAndFillsTheCombos)
{
    P().setDoubleParameter("SigScale", 2);
    P().setDoubleParameter("SigOffset", 3);
    P().setDoubleParameter("XShift", 1.5);
    P().setBoolParameter("UseAutoMaxNorm", true);
    P().setBoolParameter("UseNoNegValues", true);
    P().setBoolParameter("SortSpecs", true);
    form = MakeForm<CNormalizeForm>(module);
    EXPECT_EQ(*P().getDoubleParameter("SigScale"), 1);
    EXPECT_EQ(*P().getDoubleParameter("SigOffset"), 0);
    EXPECT_EQ(*P().getDoubleParameter("XShift"), 0);
    EXPECT_FALSE(*P().getBoolParameter("UseAutoMaxNorm"));
    EXPECT_FALSE(*P().getBoolParameter("UseNoNegValues"));
    EXPECT_TRUE(*P().getBoolParameter("SortSpecs"));
    EXPECT_EQ(Edit(CNormalizeForm::IDC_SCALE)->text(), "1");
    EXPECT_FALSE(Check(CNormalizeForm::IDC_AUTOMAXNORM)->isChecked());
    EXPECT_TRUE(Check(CNormalizeForm::IDC_SORTSPECS)->isChecked());

    auto* interpolator = Field<QComboBox>(form.get(), CNormalizeForm::IDC_INTERPOLATOR);
    auto* extrapolator = Field<QComboBox>(form.get(), CNormalizeForm::IDC_EXTRAPOLATOR);
    ASSERT_EQ(interpolator->count(), 4);
    ASSERT_EQ(extrapolator->count(), 4);
    EXPECT_EQ(interpolator->itemText(0), "Nächster Nachbar");
    EXPECT_EQ(extrapolator->itemText(3), "Hyperbolisch, abflachend");
    EXPECT_EQ(interpolator->currentIndex(), 1);
    EXPECT_EQ(extrapolator->currentIndex(), 2);
    // Set up again (another look at the module): the combos are filled once, not twice.
    form->InitModuleEditor();
    EXPECT_EQ(interpolator->count(), 4);
    EXPECT_GE(form->findChild<QScrollArea*>()->widget()->minimumSizeHint().width(), 456);
    EXPECT_GE(form->findChild<QScrollArea*>()->widget()->minimumSizeHint().height(), 180);
}

TEST_F(NormalizeFormTest, HandlersEnableShowAndLabel)
{
    form = MakeForm<CNormalizeForm>(module);
    form->show();
    QWidget* group = Edit(CNormalizeForm::IDC_TARGETGROUP);
    EXPECT_FALSE(group->isEnabled());
    Check(CNormalizeForm::IDC_USETARGETGROUP)->click();
    EXPECT_TRUE(Check(CNormalizeForm::IDC_USETARGETGROUP)->isChecked());
    EXPECT_TRUE(group->isEnabled());
    Check(CNormalizeForm::IDC_CLEANFOLDER)->click(); // dissolving folders excludes a separate output group
    EXPECT_FALSE(Check(CNormalizeForm::IDC_USETARGETGROUP)->isChecked());
    EXPECT_FALSE(group->isEnabled());
    Check(CNormalizeForm::IDC_USETARGETGROUP)->click();
    EXPECT_FALSE(Check(CNormalizeForm::IDC_USETARGETGROUP)->isChecked());

    Check(CNormalizeForm::IDC_AUTOMAXNORM)->click();
    EXPECT_FALSE(Edit(CNormalizeForm::IDC_SCALE)->isEnabled());
    EXPECT_FALSE(Edit(CNormalizeForm::IDC_OFFSET)->isEnabled());
    Check(CNormalizeForm::IDC_AUTOMAXNORM)->click();
    EXPECT_TRUE(Edit(CNormalizeForm::IDC_SCALE)->isEnabled());

    auto* label = Field<QLabel>(form.get(), CNormalizeForm::IDC_SEARCHLABEL);
    EXPECT_EQ(label->text(), "Auswahl von Spektren(namen) mit Zeichenkette(n)\nTrennzeichen <;>, keine Leerzeichen");
    Check(CNormalizeForm::IDC_SEARCHMODE)->click();
    EXPECT_EQ(label->text(), "Ausschluss von Spektren(namen) mit Zeichenkette(n)\nTrennzeichen <;>, keine Leerzeichen");

    const int searchSwitches[] = {CNormalizeForm::IDC_AUTONAME, CNormalizeForm::IDC_AUTONAMESEARCH,
                                  CNormalizeForm::IDC_AUTONAMELABEL, CNormalizeForm::IDC_AUTONAMESEARCHLABEL};
    for (int id : searchSwitches)
        EXPECT_TRUE(Field<QWidget>(form.get(), id)->isHidden()) << id;
    Edit(CNormalizeForm::IDC_SEARCHTEXT)->setText("Probe");
    for (int id : searchSwitches)
        EXPECT_FALSE(Field<QWidget>(form.get(), id)->isHidden()) << id;
    Check(CNormalizeForm::IDC_AUTONAME)->setChecked(true);
    Edit(CNormalizeForm::IDC_SEARCHTEXT)->setText("");
    EXPECT_FALSE(Check(CNormalizeForm::IDC_AUTONAME)->isChecked());
    for (int id : searchSwitches)
        EXPECT_TRUE(Field<QWidget>(form.get(), id)->isHidden()) << id;

    const std::pair<const char*, bool> shifts[] = {{"0", false}, {"abc", false}, {"0.5", true}, {" -2 ", true},
                                                   {"1e-3", false}, {"", false}, {"0.0", false}};
    for (auto [text, shown] : shifts) {
        SCOPED_TRACE(text);
        Edit(CNormalizeForm::IDC_XSHIFT)->setText(text);
        EXPECT_EQ(!Check(CNormalizeForm::IDC_AUTONAMESHIFT)->isHidden(), shown);
        EXPECT_EQ(!Field<QLabel>(form.get(), CNormalizeForm::IDC_AUTONAMESHIFTLABEL)->isHidden(), shown);
    }
    EXPECT_EQ(Edit(CNormalizeForm::IDC_XSHIFT)->maxLength(), 64);
}

TEST_F(NormalizeFormTest, ExchangeDerivesPrecisionAndSelNumbers)
{
    form = MakeForm<CNormalizeForm>(module);
    const struct {
        const char *start, *step, *shift;
        int intPrec;
    } rows[] = {{"380", "0.25", "0", 2}, {"380.5", "1", "0", 1}, {"380", "1", "0.125", 3}, {"380", "5", "0", 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.start) + " " + r.step + " " + r.shift);
        Edit(CNormalizeForm::IDC_XSTART)->setText(r.start);
        Edit(CNormalizeForm::IDC_XSTEP)->setText(r.step);
        Edit(CNormalizeForm::IDC_XSHIFT)->setText(r.shift);
        ASSERT_TRUE(form->UpdateData(true));
        EXPECT_EQ(*P().getIntParameter("IntPrec"), r.intPrec);
    }
    Edit(CNormalizeForm::IDC_RANDOMCOUNT)->setText("7");
    Field<QComboBox>(form.get(), CNormalizeForm::IDC_INTERPOLATOR)->setCurrentIndex(3);
    Field<QComboBox>(form.get(), CNormalizeForm::IDC_EXTRAPOLATOR)->setCurrentIndex(0);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*P().getIntParameter("RandomAnz"), 7);
    EXPECT_EQ(*P().getIntParameter("InterpolatorSel"), 3);
    EXPECT_EQ(*P().getIntParameter("ExtrapolatorSel"), 0);
    // A number set by a script wins over the enumeration when the form shows the module.
    P().setIntParameter("ExtrapolatorSel", 3);
    form->UpdateData(false);
    EXPECT_EQ(Field<QComboBox>(form.get(), CNormalizeForm::IDC_EXTRAPOLATOR)->currentIndex(), 3);
}

// A refused entry shows the check's message, runs nothing and leaves every parameter as it
// was, also the ones of fields exchanged before it.
TEST_F(NormalizeFormTest, RefusedEntriesChangeNothing)
{
    form = MakeForm<CNormalizeForm>(module);
    const struct {
        int id;
        const char* text;
        QString message;
    } rows[] = {
        {CNormalizeForm::IDC_XSTEP, "0.001", "Bitte geben Sie eine Zahl zwischen 0.01 und 1000000 ein."},
        {CNormalizeForm::IDC_SCALE, "-1", "Bitte geben Sie eine Zahl zwischen 0 und 1000000 ein."},
        {CNormalizeForm::IDC_RANDOMCOUNT, "2000000", "Bitte geben Sie eine Zahl zwischen 0 und 1000000 ein."},
        {CNormalizeForm::IDC_XSTART, "abc", "Bitte geben Sie eine Zahl ein."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        form->UpdateData(false);
        prompter.shown.clear();
        host.calls.clear();
        Edit(CNormalizeForm::IDC_SPECDESC)->setText("Serie:Probe1");
        Edit(r.id)->setText(r.text);
        Field<QPushButton>(form.get(), CNormalizeForm::IDC_START)->click();
        ASSERT_EQ(prompter.Texts().size(), 1u);
        EXPECT_EQ(prompter.Texts()[0], r.message);
        EXPECT_EQ(*P().getStringParameter("SpecDesc"), "Serie");
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(host.spectra.GetInserterByName("Serie:Probe1")->GetPointCount(), 21);
    }
}

TEST_F(NormalizeFormTest, StartRunsBetweenStartAndEndCalculation)
{
    form = MakeForm<CNormalizeForm>(module);
    Field<QPushButton>(form.get(), CNormalizeForm::IDC_START)->click();
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    EXPECT_EQ(Count(host.calls, "StartCalculation"), 1);
    EXPECT_EQ(host.spectra.GetInserterByName("Serie:Probe2")->GetPointCount(), 11);
}

TEST_F(NormalizeFormTest, DropsOnTheSearchAndReferenceFields)
{
    // Before the form bound its fields, a drop changes nothing.
    form = MakeForm<CNormalizeForm>(module, false);
    Field<CNormalizeFormSelectionEdit>(form.get(), CNormalizeForm::IDC_SEARCHTEXT)->OnDropSpecs("Serie");
    EXPECT_EQ(Edit(CNormalizeForm::IDC_SEARCHTEXT)->text(), "");
    form->InitModuleEditor();

    Field<CNormalizeFormSelectionEdit>(form.get(), CNormalizeForm::IDC_SEARCHTEXT)
        ->OnDropSpecs("Serie:Probe1;Serie:Probe2");
    EXPECT_EQ(Edit(CNormalizeForm::IDC_SEARCHTEXT)->text(), "Probe1;Probe2");
    EXPECT_EQ(*P().getStringParameter("SuchStr"), "Probe1;Probe2");
    EXPECT_TRUE(host.calls.empty());

    Field<CNormalizeFormSelectionEdit>(form.get(), CNormalizeForm::IDC_REFSPEC)->OnDropSpecs("Ref:Lampe");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
    EXPECT_EQ(*P().getStringParameter("RefSpecDesc"), "Ref:Lampe");
    EXPECT_EQ(*P().getDoubleParameter("XStart"), 380);
    EXPECT_EQ(*P().getDoubleParameter("XEnd"), 780);
    EXPECT_EQ(*P().getDoubleParameter("XStep"), 5);
    EXPECT_EQ(Edit(CNormalizeForm::IDC_XEND)->text(), "780");
}

TEST_F(NormalizeFormTest, EnterInTheReferenceFieldTakesTheGrid)
{
    form = MakeForm<CNormalizeForm>(module);
    Edit(CNormalizeForm::IDC_REFSPEC)->setText("Ref:Lampe");
    QTest::keyClick(Edit(CNormalizeForm::IDC_REFSPEC), Qt::Key_Return);
    EXPECT_EQ(*P().getDoubleParameter("XEnd"), 780);
    EXPECT_EQ(Edit(CNormalizeForm::IDC_XSTEP)->text(), "5");
    // The operation runs in the run button's bracket, as a drop on the field runs it.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
}

// The host handles events during progress calls: a second click or a drop then must not
// start a run inside the running one.
TEST_F(NormalizeFormTest, NoSecondRunDuringARun)
{
    struct Host : RecordingHost {
        CNormalizeForm* form = nullptr;
        void SetProgressBarPercentage(double percent) override
        {
            RecordingHost::SetProgressBarPercentage(percent);
            if (!form)
                return;
            form->findChild<QPushButton*>(QString::number(CNormalizeForm::IDC_START))->click();
            form->findChild<CNormalizeFormSelectionEdit*>(QString::number(CNormalizeForm::IDC_REFSPEC))
                ->OnDropSpecs("Ref:Lampe");
            QTest::keyClick(form->findChild<QLineEdit*>(QString::number(CNormalizeForm::IDC_REFSPEC)), Qt::Key_Return);
        }
    } busy;
    NormalizeModule m;
    m.SetModuleInterface(&busy);
    AddCurve(busy, "Serie:Probe1", 400, 1, 21, [](double x) { return x; });
    AddCurve(busy, "Ref:Lampe", 380, 5, 81, [](double) { return 1.0; });
    m.getParameters() = P();
    auto f = MakeForm<CNormalizeForm>(m);
    busy.form = f.get();
    f->findChild<QPushButton*>(QString::number(CNormalizeForm::IDC_START))->click();
    busy.form = nullptr;
    EXPECT_EQ(Count(busy.calls, "StartCalculation"), 1);
    EXPECT_EQ(Count(busy.calls, "EndCalculation"), 1);
    EXPECT_EQ(busy.calls.back(), "EndCalculation");
    EXPECT_EQ(*m.getParameters().getDoubleParameter("XStart"), 400); // setrefspec did not run
}

// The wheel over a combo box that has no focus scrolls the form and leaves the choice; with
// the focus, the wheel turns the combo box.
TEST_F(NormalizeFormTest, TheWheelScrollsPastAnUnfocusedComboBox)
{
    form = MakeForm<CNormalizeForm>(module);
    form->resize(480, 250);
    form->show();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    auto* combo = Field<QComboBox>(form.get(), CNormalizeForm::IDC_INTERPOLATOR);
    QScrollBar* bar = form->findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int index = combo->currentIndex();
    const auto wheel = [&] {
        const QPointF at(combo->width() / 2.0, combo->height() / 2.0);
        QWheelEvent event(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &event);
    };

    wheel();
    EXPECT_EQ(combo->currentIndex(), index);
    EXPECT_GT(bar->value(), 0);
    EXPECT_FALSE(combo->hasFocus());

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    combo->setFocus();
    ASSERT_TRUE(combo->hasFocus());
    wheel();
    EXPECT_EQ(combo->currentIndex(), index + 1);
}

class PlanckFormTest : public ::testing::Test {
protected:
    void SetUp() override { module.SetModuleInterface(&host); }

    ns_param::Paramora& P() { return module.getParameters(); }
    QLineEdit* Edit(int id) { return Field<QLineEdit>(form.get(), id); }
    QCheckBox* Check(int id) { return Field<QCheckBox>(form.get(), id); }

    RecordingHost host;
    FakePrompter prompter;
    PlanckianSourceModule module;
    std::unique_ptr<CPlanckianSourceForm> form;
};

TEST_F(PlanckFormTest, SetUpAndSwitchRules)
{
    form = MakeForm<CPlanckianSourceForm>(module, false);
    form->InitModuleEditor();
    EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMLAMBDA)->text(), "0");
    EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMVALUE)->text(), " 1.0");

    const QString exitance = "Einheit des Wertebereichs:  W / m² / nm / sr";
    const QString normalised = "Einheit des Wertebereichs: normiert";
    const struct {
        bool maximum, wavelength;
        bool maximumEnabled, wavelengthEnabled, fieldsEnabled;
        QString unit;
    } rows[] = {
        {false, false, true, true, false, exitance},
        {true, false, true, false, false, normalised},
        {false, true, false, true, true, normalised},
        {true, true, false, false, true, normalised},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.maximum) + std::to_string(r.wavelength));
        Check(CPlanckianSourceForm::IDC_MAXIMUMNORMALIZE)->setChecked(r.maximum);
        Check(CPlanckianSourceForm::IDC_WLNORMALIZE)->setChecked(r.wavelength);
        form->UpdateControls();
        EXPECT_EQ(Check(CPlanckianSourceForm::IDC_MAXIMUMNORMALIZE)->isEnabled(), r.maximumEnabled);
        EXPECT_EQ(Check(CPlanckianSourceForm::IDC_WLNORMALIZE)->isEnabled(), r.wavelengthEnabled);
        EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMLAMBDA)->isEnabled(), r.fieldsEnabled);
        EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMVALUE)->isEnabled(), r.fieldsEnabled);
        EXPECT_EQ(Field<QLabel>(form.get(), CPlanckianSourceForm::IDC_UNIT)->text(), r.unit);
    }
    // Switching to a wavelength fills the empty fields: the start wavelength and 1.
    Check(CPlanckianSourceForm::IDC_WLNORMALIZE)->setChecked(false);
    Check(CPlanckianSourceForm::IDC_MAXIMUMNORMALIZE)->setChecked(false);
    form->UpdateControls();
    Edit(CPlanckianSourceForm::IDC_START)->setText("412.7");
    Edit(CPlanckianSourceForm::IDC_NORMLAMBDA)->setText("0");
    Edit(CPlanckianSourceForm::IDC_NORMVALUE)->setText("0");
    Check(CPlanckianSourceForm::IDC_WLNORMALIZE)->click();
    EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMLAMBDA)->text(), "412");
    EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_NORMVALUE)->text(), " 1.0");
}

TEST_F(PlanckFormTest, DropsTakeTheGridOfASpectrum)
{
    AddCurve(host, "Ref:Lampe", 400, 5, 21, [](double) { return 1.0; });
    AddSpectrum(host, "Ref:Punkt", {450}, {1});
    form = MakeForm<CPlanckianSourceForm>(module);
    for (int id : {CPlanckianSourceForm::IDC_START, CPlanckianSourceForm::IDC_END, CPlanckianSourceForm::IDC_STEP}) {
        SCOPED_TRACE(id);
        P().setDoubleParameter("XStep", 2);
        Field<CPlanckianSourceFormSelectionEdit>(form.get(), id)->OnDropSpecs("Ref:Lampe");
        EXPECT_EQ(*P().getDoubleParameter("XStart"), 400);
        EXPECT_EQ(*P().getDoubleParameter("XEnd"), 500);
        EXPECT_EQ(*P().getDoubleParameter("XStep"), 5);
        EXPECT_EQ(Edit(CPlanckianSourceForm::IDC_END)->text(), "500");
    }
    Field<CPlanckianSourceFormSelectionEdit>(form.get(), CPlanckianSourceForm::IDC_STEP)->OnDropSpecs("Ref:Punkt");
    EXPECT_EQ(*P().getDoubleParameter("XStart"), 450);
    EXPECT_EQ(*P().getDoubleParameter("XStep"), 5); // one point has no step
    EXPECT_TRUE(host.log.empty());
    Field<CPlanckianSourceFormSelectionEdit>(form.get(), CPlanckianSourceForm::IDC_START)->OnDropSpecs("Ref:Fehlt");
    EXPECT_EQ(host.LogTexts(), std::vector<std::string>{"Fehler: Kein Spektrum!"});
    EXPECT_EQ(*P().getDoubleParameter("XStart"), 450);
}

TEST_F(PlanckFormTest, ExchangeChecksAndPrecision)
{
    form = MakeForm<CPlanckianSourceForm>(module);
    Edit(CPlanckianSourceForm::IDC_START)->setText("380.5");
    Edit(CPlanckianSourceForm::IDC_STEP)->setText("0.25");
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*P().getIntParameter("IntPrec"), 2);
    EXPECT_EQ(*P().getDoubleParameter("XStart"), 380.5);

    const struct {
        int id;
        const char* text;
        QString message;
    } rows[] = {
        {CPlanckianSourceForm::IDC_START, "779.995", "Bitte geben Sie eine Zahl zwischen 0.01 und 779.99 ein."},
        {CPlanckianSourceForm::IDC_START, "0", "Bitte geben Sie eine Zahl zwischen 0.01 und 779.99 ein."},
        {CPlanckianSourceForm::IDC_STEP, "0.001",
         "Bitte geben Sie eine Zahl zwischen 0.01 und 1.79769313486232e+308 ein."},
        // Checked while the switch is off (left as designed).
        {CPlanckianSourceForm::IDC_NORMLAMBDA, "900", "Bitte geben Sie eine ganze Zahl zwischen 380 und 780 ein."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        form->UpdateData(false);
        prompter.shown.clear();
        host.calls.clear();
        Edit(CPlanckianSourceForm::IDC_TEMPERATURE)->setText("3000");
        Edit(r.id)->setText(r.text);
        Field<QPushButton>(form.get(), CPlanckianSourceForm::IDC_CALCULATE)->click();
        ASSERT_EQ(prompter.Texts().size(), 1u);
        EXPECT_EQ(prompter.Texts()[0], r.message);
        EXPECT_EQ(*P().getDoubleParameter("Temperature"), 2892);
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST_F(PlanckFormTest, CalculateRunsBetweenStartAndEndCalculation)
{
    form = MakeForm<CPlanckianSourceForm>(module);
    Edit(CPlanckianSourceForm::IDC_TARGETGROUP)->setText("Quellen");
    Field<QPushButton>(form.get(), CPlanckianSourceForm::IDC_CALCULATE)->click();
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
    ASSERT_NE(host.spectra.GetInserterByName("Quellen:Planckian_2892"), nullptr);
}

// Both forms in an editor pane lower than they need, as the program shows them: every
// control keeps the size it needs (no text cut off, no squeezed field), no two controls
// overlap, and the pane scrolls down instead. Sideways the forms fit their minimum width.
TEST(FormLayout, ControlsKeepTheirSizeAndTheSmallPaneScrolls)
{
    NormalizeModule normalize;
    PlanckianSourceModule planck;
    std::unique_ptr<QWidget> forms[] = {MakeForm<CNormalizeForm>(normalize), MakeForm<CPlanckianSourceForm>(planck)};
    for (auto& form : forms) {
        SCOPED_TRACE(form->metaObject()->className());
        form->resize(480, 250);
        form->show();
        // Texts that show the switches which are hidden at first.
        if (auto* search = form->findChild<QLineEdit*>(QString::number(CNormalizeForm::IDC_SEARCHTEXT)))
            search->setText("Probe");
        if (auto* shift = form->findChild<QLineEdit*>(QString::number(CNormalizeForm::IDC_XSHIFT)))
            shift->setText("0.4");
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

        const auto* scroll = form->findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr);
        EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
        EXPECT_GE(scroll->widget()->width(), 456);

        std::map<QWidget*, std::vector<QWidget*>> siblings;
        for (QWidget* w : form->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                 qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                 qobject_cast<QGroupBox*>(w);
            if (!control || !w->isVisibleTo(form.get()))
                continue;
            const QSize need = w->minimumSizeHint();
            EXPECT_GE(w->width(), need.width()) << w->objectName().toStdString() << " "
                                                << w->property("text").toString().toStdString();
            EXPECT_GE(w->height(), need.height()) << w->objectName().toStdString() << " "
                                                  << w->property("text").toString().toStdString();
            siblings[w->parentWidget()].push_back(w);
        }
        for (const auto& [parent, children] : siblings)
            for (std::size_t i = 0; i < children.size(); ++i)
                for (std::size_t j = i + 1; j < children.size(); ++j)
                    EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                        << children[i]->objectName().toStdString() << " and "
                        << children[j]->objectName().toStdString();
    }
}

// A form whose controls need less than the floor still gets 456 x 180 and scrolls in a
// smaller pane.
class SmallForm : public calc::CCalcForm {
public:
    SmallForm()
        : calc::CCalcForm(0, 456, 180)
    {
        (new QVBoxLayout(Content()))->addWidget(new QLabel("Kurz", Content()));
    }

protected:
    void ExchangeFields(CDataExchange*) override {}
};

TEST(FormLayout, ASmallFormKeepsTheFloorSize)
{
    SmallForm form;
    form.resize(200, 100);
    form.show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QWidget* scrolled = form.findChild<QScrollArea*>()->widget();
    EXPECT_EQ(scrolled->minimumSizeHint(), QSize(456, 180));
    EXPECT_EQ(scrolled->size(), QSize(456, 180));
}

} // namespace
