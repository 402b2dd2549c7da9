// The colour plug-in's forms headless: the display fills the diagram from clipboard objects
// and keeps its view; the calculation form keeps its pair, label and boxes consistent.
#include "colour/colour_calculation.h"
#include "colour/colour_calculation_form.h"
#include "colour/colour_show.h"

#include "fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

using namespace colour_test;

namespace {

template <class W>
W* Child(QWidget* form, int id)
{
    return form->findChild<W*>(QString::number(id));
}

void AddColour(RecordingHost& host, const std::string& name, std::vector<double> values, std::vector<double> refs)
{
    auto* o = new ClipboardObject;
    o->SetName(name);
    if (!values.empty())
        o->GetParameters().addDouble1DArrayParameter("ClpValues", "", static_cast<int>(values.size()), values.data(),
                                                     0);
    if (!refs.empty())
        o->GetParameters().addDouble1DArrayParameter("ClpRefs", "", static_cast<int>(refs.size()), refs.data(), 0);
    ASSERT_TRUE(host.clipboard.AddInserter(o));
}

class ShowForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        calculation = new ColorTessarine;
        calculation->SetName("Farb|me|trik:Farb|werte be|rech|nen");
        host.modules.AddInserter(calculation);
        calculation->SetModuleInterface(&host);
        module = new ColorShowModule;
        module->SetName("Farb|me|trik:Farb|orte an|zei|gen");
        host.modules.AddInserter(module);
        module->SetModuleInterface(&host);
        Open();
    }
    void TearDown() override { form.reset(); }
    void Open()
    {
        form = std::make_unique<CColorShowForm>();
        form->SetModule(module);
        form->InitModuleEditor();
        form->UpdateData(false);
    }
    void Apply() { Child<QPushButton>(form.get(), CColorShowForm::IDC_APPLY)->click(); }

    RecordingHost host;
    ColorTessarine* calculation = nullptr;
    ColorShowModule* module = nullptr;
    std::unique_ptr<CColorShowForm> form;
};

TEST_F(ShowForm, PointsLabelsComparisonsAndSkips)
{
    calculation->getParameters().setStringParameter("ObserverDesc", "Normbeobachter");
    calculation->getParameters().setStringParameter("LightDesc", "Licht:D65");
    AddColour(host, "C:a", {10, 20, 30}, {95, 100, 108});
    AddColour(host, "C:zero", {0, 0, 0}, {95, 100, 108});
    AddColour(host, "C:int", {5}, {1});          // integral result: skipped
    AddColour(host, "C:none", {}, {});           // no arrays: skipped
    AddColour(host, "K:a", {11, 21, 31}, {96, 100, 109});
    AddColour(host, "K2:a", {12, 22, 32}, {96, 100, 109}); // the later one wins
    AddColour(host, "K:zero", {1, 2}, {1, 2});   // comparison too short: no point, no link
    module->getParameters().setStringParameter("ColorDesc", "C");
    module->getParameters().setStringParameter("CompareColorDesc", "K;K2");
    form->UpdateData(false);
    Apply();

    const auto& points = form->Diagram()->Core().Points();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].name, "a");
    EXPECT_EQ(points[0].observer, "Normbeobachter");
    EXPECT_EQ(points[0].illuminant, "D65");
    EXPECT_EQ(points[0].Xn, 95);
    EXPECT_EQ(points[1].name, "a_c");
    EXPECT_EQ(points[1].X, 12);
    EXPECT_EQ(points[2].name, "zero_nC");
    EXPECT_EQ(points[2].X, 100);
    ASSERT_EQ(form->Diagram()->Core().Links().size(), 1u);
    EXPECT_EQ(form->Diagram()->Core().Links()[0].from, 1);
    EXPECT_EQ(form->Diagram()->Core().Links()[0].to, 0);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(host.calls.front(), "StartCalculation");
    EXPECT_EQ(host.calls.back(), "EndCalculation");
}

TEST_F(ShowForm, IntegralHintAndDiverseLabel)
{
    AddColour(host, "C:a", {10, 20, 30}, {95, 100, 108});
    module->getParameters().setStringParameter("ColorDesc", "C");
    calculation->getParameters().setStringParameter("LightDesc", "D65");
    form->UpdateData(false);
    Apply();
    EXPECT_EQ(form->Diagram()->Core().Points().at(0).illuminant, "Diverse");

    calculation->getParameters().setBoolParameter("IsIntegralValue", true);
    Apply();
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].colour, COLORREF(0x007000));
    EXPECT_EQ(host.log[0].text, "Hinweis: Zur korrekten Anzeige der Farborte parametrieren Sie die "
                                "Funktionsgruppe \"Integral/Farbwerte berechnen\" entsprechend.");
    EXPECT_EQ(form->Diagram()->Core().Points().at(0).observer, "");
    EXPECT_EQ(form->Diagram()->Core().Points().at(0).illuminant, "");
}

TEST_F(ShowForm, ViewSurvivesClosingAndOptionsPutOnlyThemselves)
{
    EXPECT_EQ(module->GetForm(), form.get());
    form->Diagram()->SetMiddleX(0.31);
    form->Diagram()->SetScaleY(2.5);
    form.reset();
    EXPECT_EQ(module->GetForm(), nullptr);
    EXPECT_EQ(*module->getParameters().getDoubleParameter("MiddleX"), 0.31);
    EXPECT_EQ(*module->getParameters().getDoubleParameter("ScaleY"), 2.5);
    Open(); // auto-zoom is on, yet the restored view stays
    EXPECT_EQ(form->Diagram()->GetMiddleX(), 0.31);
    EXPECT_EQ(form->Diagram()->GetScaleY(), 2.5);
    // A saving exchange reads the view too (a project saved with the form open).
    form->Diagram()->SetMiddleY(0.2);
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*module->getParameters().getDoubleParameter("MiddleY"), 0.2);

    // An option change puts that option only.
    form->Diagram()->SetShowNames(false);
    Child<QCheckBox>(form.get(), CColorShowForm::IDC_SPECTRAL)->click(); // spectral colours
    EXPECT_EQ(form->Diagram()->Core().ShowSpectralColors(),
              *module->getParameters().getBoolParameter("ShowSpectralColors"));
    EXPECT_FALSE(form->Diagram()->Core().ShowNames());
    Child<QComboBox>(form.get(), CColorShowForm::IDC_TYPE)->setCurrentIndex(2);
    emit Child<QComboBox>(form.get(), CColorShowForm::IDC_TYPE)->activated(2);
    EXPECT_EQ(form->Diagram()->Core().GetDiagramType(), 2);
}

TEST_F(ShowForm, DiagramStaysASquare)
{
    form->resize(900, 600);
    form->show();
    QWidget* diagram = form->Diagram();
    const QPoint at = diagram->pos();
    EXPECT_EQ(diagram->width(), diagram->height());
    EXPECT_EQ(diagram->width(), std::min(900 - at.x() - 5, 600 - at.y() - 5));
}

TEST(ShowModule, NoModuleGivesAHint)
{
    RecordingHost host;
    auto* module = new ColorShowModule;
    module->SetName("Farb|me|trik:Farb|orte an|zei|gen");
    host.modules.AddInserter(module);
    module->SetModuleInterface(&host);
    EXPECT_FALSE(module->ShowColors()); // no form: nothing
    CColorShowForm form;
    form.SetModule(module);
    form.InitModuleEditor();
    EXPECT_TRUE(module->ShowColors());
    EXPECT_EQ(host.LogTexts(), std::vector<std::string>{"Hinweis: Kein Modul zur Farbwertberechnung gefunden."});
}

class CalculationForm : public ::testing::Test {
protected:
    template <class M>
    void Open()
    {
        module = new M;
        module->SetName(std::is_same_v<M, ColorTessarine> ? "Farb|me|trik:Farb|werte be|rech|nen"
                                                          : "Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten");
        host.modules.AddInserter(module);
        module->SetModuleInterface(&host);
        form = std::make_unique<CColorCalculationForm>();
        form->SetModule(module);
        form->InitModuleEditor();
        form->UpdateData(false);
    }
    void TearDown() override { form.reset(); }
    QRadioButton* Colour() { return Child<QRadioButton>(form.get(), CColorCalculationForm::IDC_COLOURVALUES); }
    QRadioButton* Integral() { return Child<QRadioButton>(form.get(), CColorCalculationForm::IDC_INTEGRALS); }
    QString Label() { return Child<QLabel>(form.get(), CColorCalculationForm::IDC_OBSERVERLABEL)->text(); }

    RecordingHost host;
    Module* module = nullptr;
    std::unique_ptr<CColorCalculationForm> form;
};

TEST_F(CalculationForm, ColourModuleSwitchesToIntegralsWithFourCurves)
{
    for (const char* c : {"O:1", "O:2", "O:3", "O:4"})
        AddCurve(host, c, 400, 10, 3, [](double) { return 1.0; });
    Open<ColorTessarine>();
    EXPECT_TRUE(Colour()->isChecked());
    EXPECT_FALSE(Integral()->isChecked());
    EXPECT_FALSE(Integral()->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_SORT)->isHidden());
    EXPECT_EQ(Label(), "Beobachter-Spektralwertkurven");
    EXPECT_FALSE(Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_QE)->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_SAVERESPONSE)->isEnabled());

    Child<CSelectionEdit>(form.get(), CColorCalculationForm::IDC_OBSERVERS)->setText("O:1;O:2;O:3;O:4");
    EXPECT_FALSE(Colour()->isChecked());
    EXPECT_TRUE(Integral()->isChecked());
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_FALSE(*module->getParameters().getBoolParameter("IsColorValue"));
    EXPECT_TRUE(*module->getParameters().getBoolParameter("IsIntegralValue"));
}

TEST_F(CalculationForm, IntegralModuleLabelsAndQeBox)
{
    Open<IntTessarine>();
    // Each button shows its own flag: IsIntegralValue is clear by default (feature vectors),
    // and leaving the form as shown keeps both flags.
    EXPECT_FALSE(Colour()->isChecked());
    EXPECT_FALSE(Integral()->isChecked());
    EXPECT_FALSE(Colour()->isEnabled());
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_FALSE(*module->getParameters().getBoolParameter("IsColorValue"));
    EXPECT_FALSE(*module->getParameters().getBoolParameter("IsIntegralValue"));
    Integral()->click();
    Integral()->click(); // a second click keeps it checked
    EXPECT_TRUE(Integral()->isChecked());
    ASSERT_TRUE(form->UpdateData(true));
    EXPECT_TRUE(*module->getParameters().getBoolParameter("IsIntegralValue"));
    EXPECT_FALSE(Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_SORT)->isHidden());
    // After an exchange into the controls the plain text stands.
    EXPECT_EQ(Label(), "Beobachter-Wichtungsfunktionen");
    auto* qe = Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_QE);
    auto* save = Child<QCheckBox>(form.get(), CColorCalculationForm::IDC_SAVERESPONSE);
    EXPECT_FALSE(save->isEnabled());
    qe->click();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(Label(), "Beobachter-Wichtungsfunktionen (Quanteneffizienz)");
    qe->click();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(Label(), "Beobachter-Wichtungsfunktionen (Empfindlichkeit)");
}

TEST_F(CalculationForm, LongSelectionIsReadWhole)
{
    // A selection longer than 63 characters still counts all its curves.
    std::string selection;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "Eine_sehr_lange_Gruppe_von_Beobachtern:Kurve_" + std::to_string(i);
        AddCurve(host, name, 400, 10, 3, [](double) { return 1.0; });
        selection += (i ? ";" : "") + name;
    }
    Open<ColorTessarine>();
    Child<CSelectionEdit>(form.get(), CColorCalculationForm::IDC_OBSERVERS)->setText(QString::fromStdString(selection));
    EXPECT_TRUE(Integral()->isChecked());
}

} // namespace

namespace {

// With ORVANTA_GRAB_DIR set, saves pictures of both forms filled from the CIE tables (the
// test colour samples under D65, compared with the same under A) for looking at.
TEST(ColourGrab, FormsWithTestColours)
{
    const QString dir = qEnvironmentVariable("ORVANTA_GRAB_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "ORVANTA_GRAB_DIR not set";
    RecordingHost host;
    AddObserverAndD65(host);
    AddSpectrum(host, "Licht:A", CieColumn("cie_illuminant_a.csv", "A"));
    for (int i = 1; i <= 14; ++i) {
        const std::string name = (i < 10 ? "TCS0" : "TCS") + std::to_string(i);
        AddSpectrum(host, "Proben:" + name, CieColumn("cie_133_tcs.csv", name));
    }
    auto* colour = new ColorTessarine;
    colour->SetName("Farb|me|trik:Farb|werte be|rech|nen");
    host.modules.AddInserter(colour);
    colour->SetModuleInterface(&host);
    ns_param::Paramora& cp = colour->getParameters();
    cp.setStringParameter("SpecDesc", "Proben");
    cp.setStringParameter("ObserverDesc", "Normbeobachter");
    cp.setStringParameter("LightDesc", "Licht:D65");
    cp.setStringParameter("TargetGroup", "D65");
    ASSERT_TRUE(colour->CalculateColors());
    cp.setStringParameter("LightDesc", "Licht:A");
    cp.setStringParameter("TargetGroup", "A");
    ASSERT_TRUE(colour->CalculateColors());
    cp.setStringParameter("LightDesc", "Licht:D65");

    {
        CColorCalculationForm form;
        form.SetModule(colour);
        form.InitModuleEditor();
        form.UpdateData(false);
        form.resize(480, 460);
        form.grab().save(dir + "/colour_calculation_form.png");
    }
    auto* show = new ColorShowModule;
    show->SetName("Farb|me|trik:Farb|orte an|zei|gen");
    host.modules.AddInserter(show);
    show->SetModuleInterface(&host);
    show->getParameters().setStringParameter("ColorDesc", "D65");
    show->getParameters().setStringParameter("CompareColorDesc", "A");
    show->getParameters().setBoolParameter("ShowPlanckianLocus", true);
    for (int type = 0; type < 3; ++type) {
        show->getParameters().setIntParameter("DiagramType", type);
        CColorShowForm form;
        form.SetModule(show);
        form.InitModuleEditor();
        form.UpdateData(false);
        form.resize(1000, 640);
        form.show();
        Child<QPushButton>(&form, CColorShowForm::IDC_APPLY)->click();
        form.grab().save(dir + QString("/colour_show_type%1.png").arg(type));
    }
}

} // namespace
