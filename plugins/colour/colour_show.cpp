#include "colour/colour_show.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/widget_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <cfloat>
#include <list>
#include <map>

IMPLEMENT_DYNCREATE(CColorShowForm, CModuleEditor)

namespace {

constexpr char kColourPath[] = "Farb|me|trik:Farb|werte be|rech|nen";
constexpr char kIntegralPath[] = "Spek|tren-|Arith|me|tik:In|te|gral|wer|te aus|wer|ten";
constexpr char kIntegralHint[] = "Hinweis: Zur korrekten Anzeige der Farborte parametrieren Sie die Funktionsgruppe "
                                 "\"Integral/Farbwerte berechnen\" entsprechend.";
constexpr char kNoModule[] = "Hinweis: Kein Modul zur Farbwertberechnung gefunden.";

using calc::Named;

std::string Leaf(const std::string& path)
{
    const auto colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

// The first three values and references of an object; false when either array is missing
// or shorter than three (integral results).
bool ReadColour(ClipboardObject& object, double values[3], double refs[3])
{
    auto* v = dynamic_cast<ns_param::Double1DArrayParameterType*>(object.GetParameters().getParameter("ClpValues"));
    auto* r = dynamic_cast<ns_param::Double1DArrayParameterType*>(object.GetParameters().getParameter("ClpRefs"));
    if (!v || !r || v->getCount() < 3 || r->getCount() < 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        values[i] = v->getValues()[i];
        refs[i] = r->getValues()[i];
    }
    return true;
}

} // namespace

ColorShowModule::ColorShowModule()
    : calc::CalcModule("Color_ShowColors")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("ColorDesc", "", "", "");
    p.addStringParameter("CompareColorDesc", "", "", "");
    p.addBoolParameter("ShowSpectralColors", "", true, false);
    p.addBoolParameter("ShowPlanckianLocus", "", false, false);
    p.addBoolParameter("ShowNames", "", true, true);
    p.addBoolParameter("ShowColorValues", "", true, false);
    p.addIntParameter("DiagramType", "", 0, 0, 2, 0);
    p.addDoubleParameter("MiddleX", "", 0.5, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("MiddleY", "", 0.5, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("ScaleX", "", 1, -DBL_MAX, DBL_MAX, 0);
    p.addDoubleParameter("ScaleY", "", 1, -DBL_MAX, DBL_MAX, 0);
    p.addBoolParameter("AutoZoom", "", true, true);
}

ColorShowModule::~ColorShowModule()
{
    if (m_form)
        m_form->SetModule(nullptr);
}

const CRuntimeClass* ColorShowModule::GetEditorClass()
{
    return RUNTIME_CLASS(CColorShowForm);
}

bool ColorShowModule::ShowColors()
{
    RunScope run(*this, Numbers::Read, kClipboard);
    if (!run || !m_form)
        return false;
    ModuleInterface* host = run.host;
    ClipboardTree* clipboard = run.clipboard;
    ModuleTree* modules = host->GetModuleTree();
    CColorShow* diagram = m_form->Diagram();

    Module* calculation = nullptr;
    if (modules) {
        calculation = modules->GetInserterByName(kColourPath);
        if (!calculation)
            calculation = modules->GetInserterByName(kIntegralPath);
    }
    std::string observerLabel, illuminantLabel;
    if (!calculation) {
        calc::LogHint(host, kNoModule);
    } else {
        ns_param::Paramora& cp = calculation->getParameters();
        const std::string* observers = cp.getStringParameter("ObserverDesc");
        const std::string* lights = cp.getStringParameter("LightDesc");
        observerLabel = observers ? *observers : "";
        illuminantLabel = lights && lights->find(':') != std::string::npos ? Leaf(*lights) : "Diverse";
        const bool* integral = cp.getBoolParameter("IsIntegralValue");
        if (integral && *integral) {
            calc::LogHint(host, kIntegralHint);
            observerLabel.clear();
            illuminantLabel.clear();
        }
    }

    diagram->RemoveAllPoints();
    ns_param::Paramora& p = getParameters();
    const std::list<ClipboardObject*> colours = clipboard->GetInserters(*p.getStringParameter("ColorDesc"), false);
    const std::list<ClipboardObject*> compares =
        clipboard->GetInserters(*p.getStringParameter("CompareColorDesc"), false);
    std::map<std::string, ClipboardObject*> byName;
    for (ClipboardObject* c : compares)
        byName[Leaf(c->GetName())] = c; // the later one wins

    // Puts one object's point; false when it has no colour.
    auto put = [&](ClipboardObject& object, std::string name) {
        double v[3], r[3];
        if (!ReadColour(object, v, r))
            return false;
        if (v[0] + v[1] + v[2] == 0) {
            name += "_nC";
            v[0] = v[1] = v[2] = r[1];
        }
        diagram->SetReferenceX(r[0]);
        diagram->SetReferenceY(r[1]);
        diagram->SetReferenceZ(r[2]);
        diagram->AddPoint(v[0], v[1], v[2], name, observerLabel, illuminantLabel);
        return true;
    };
    int n = 0;
    for (ClipboardObject* object : colours) {
        const std::string name = Leaf(object->GetName());
        if (!put(*object, name))
            continue;
        ++n;
        const auto match = byName.find(name);
        if (match == byName.end())
            continue;
        double v[3], r[3];
        if (!ReadColour(*match->second, v, r))
            continue;
        // The comparison's "_nC" comes before its "_c".
        std::string compareName = name;
        if (v[0] + v[1] + v[2] == 0)
            compareName += "_nC";
        compareName += "_c";
        if (v[0] + v[1] + v[2] == 0)
            v[0] = v[1] = v[2] = r[1];
        diagram->SetReferenceX(r[0]);
        diagram->SetReferenceY(r[1]);
        diagram->SetReferenceZ(r[2]);
        diagram->AddPoint(v[0], v[1], v[2], compareName, observerLabel, illuminantLabel);
        diagram->LinkPoints(n, n - 1);
        ++n;
    }
    return true;
}

CColorShowForm::CColorShowForm()
    : calc::CCalcForm(IDD, 640, 520)
{
    QWidget* c = Content();
    auto* grid = new QGridLayout(c);
    m_type = Named(new QComboBox(c), IDC_TYPE);
    m_type->addItems({"Normfarbtafel", "a*-b*-Ebene", "a99-b99-Ebene"});
    m_spectral = Named(new QCheckBox("Spektralfarben anzeigen", c), IDC_SPECTRAL);
    m_planck = Named(new QCheckBox("Farborte der Temperaturstrahler anzeigen", c), IDC_PLANCK);
    m_names = Named(new QCheckBox("Farbnamen anzeigen", c), IDC_NAMES);
    m_values = Named(new QCheckBox("Farbwerte anzeigen", c), IDC_VALUES);
    m_autoZoom = Named(new QCheckBox("Automatisch auf relevanten Bereich zoomen", c), IDC_AUTOZOOM);
    m_colours = Named(new CSelectionEdit(c), IDC_COLOURS);
    m_compare = Named(new CSelectionEdit(c), IDC_COMPARE);
    m_apply = Named(new QPushButton("DATEN ÜBERNEHMEN", c), IDC_APPLY);
    m_diagram = Named(new CColorShow(c), IDC_DIAGRAM);

    int row = 0;
    grid->addWidget(new QLabel("Diagrammtyp", c), row, 0);
    grid->addWidget(m_type, row++, 1);
    for (QCheckBox* box : {m_spectral, m_planck, m_names, m_values, m_autoZoom})
        grid->addWidget(box, row++, 0, 1, 2);
    grid->addWidget(new QLabel("Farbwerte (Clipboard-Daten)", c), row++, 0, 1, 2);
    grid->addWidget(m_colours, row++, 0, 1, 2);
    grid->addWidget(new QLabel("Vergleichsfarbwerte (Clipboard-Daten)", c), row++, 0, 1, 2);
    grid->addWidget(m_compare, row++, 0, 1, 2);
    grid->addWidget(m_apply, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);
    // The diagram is placed by hand (a square, see resizeEvent); it sits right of the options.
    m_diagram->setGeometry(330, 5, 300, 300);

    connect(m_type, &QComboBox::activated, this, [this] { PutOption("DiagramType"); });
    connect(m_spectral, &QCheckBox::clicked, this, [this] { PutOption("ShowSpectralColors"); });
    connect(m_planck, &QCheckBox::clicked, this, [this] { PutOption("ShowPlanckianLocus"); });
    connect(m_names, &QCheckBox::clicked, this, [this] { PutOption("ShowNames"); });
    connect(m_values, &QCheckBox::clicked, this, [this] { PutOption("ShowColorValues"); });
    connect(m_autoZoom, &QCheckBox::clicked, this, [this] { PutOption("AutoZoom"); });
    connect(m_apply, &QPushButton::clicked, this,
            [this] { RunOperation(static_cast<bool (Module::*)()>(&ColorShowModule::ShowColors)); });
}

CColorShowForm::~CColorShowForm()
{
    if (auto* module = dynamic_cast<ColorShowModule*>(GetModule())) {
        ReadView();
        if (module->GetForm() == this)
            module->SetForm(nullptr);
    }
}

void CColorShowForm::ReadView()
{
    Module* module = GetModule();
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    p.setDoubleParameter("MiddleX", m_diagram->GetMiddleX());
    p.setDoubleParameter("MiddleY", m_diagram->GetMiddleY());
    p.setDoubleParameter("ScaleX", m_diagram->GetScaleX());
    p.setDoubleParameter("ScaleY", m_diagram->GetScaleY());
}

void CColorShowForm::PutOption(const char* name)
{
    Module* module = GetModule();
    if (!module || !UpdateData(true))
        return;
    ns_param::Paramora& p = module->getParameters();
    const std::string option = name;
    if (option == "DiagramType")
        m_diagram->SetDiagramType(*p.getIntParameter("DiagramType"));
    else if (option == "ShowSpectralColors")
        m_diagram->SetShowSpectralColors(*p.getBoolParameter("ShowSpectralColors"));
    else if (option == "ShowPlanckianLocus")
        m_diagram->SetShowPlanckianLocus(*p.getBoolParameter("ShowPlanckianLocus"));
    else if (option == "ShowNames")
        m_diagram->SetShowNames(*p.getBoolParameter("ShowNames"));
    else if (option == "AutoZoom")
        m_diagram->SetAutoZoom(*p.getBoolParameter("AutoZoom"));
    else if (option == "ShowColorValues")
        m_diagram->SetShowColorValues(*p.getBoolParameter("ShowColorValues"));
}

void CColorShowForm::InitModuleEditor()
{
    m_colours->SetCanDropClipboardObjects(true);
    m_colours->SetCanDropClipboardGroup(true);
    m_compare->SetCanDropClipboardObjects(true);
    m_compare->SetCanDropClipboardGroup(true);
    auto* module = dynamic_cast<ColorShowModule*>(GetModule());
    if (!module)
        return;
    ns_param::Paramora& p = module->getParameters();
    m_diagram->SetDiagramType(*p.getIntParameter("DiagramType"));
    m_diagram->SetShowSpectralColors(*p.getBoolParameter("ShowSpectralColors"));
    m_diagram->SetShowPlanckianLocus(*p.getBoolParameter("ShowPlanckianLocus"));
    m_diagram->SetShowNames(*p.getBoolParameter("ShowNames"));
    m_diagram->SetShowColorValues(*p.getBoolParameter("ShowColorValues"));
    m_diagram->SetMiddleX(*p.getDoubleParameter("MiddleX"));
    m_diagram->SetMiddleY(*p.getDoubleParameter("MiddleY"));
    m_diagram->SetScaleX(*p.getDoubleParameter("ScaleX"));
    m_diagram->SetScaleY(*p.getDoubleParameter("ScaleY"));
    m_diagram->SetAutoZoom(*p.getBoolParameter("AutoZoom"));
    module->SetForm(this);
}

void CColorShowForm::ExchangeFields(CDataExchange* pDX)
{
    ns_param::Paramora& p = GetModule()->getParameters();
    // A stored type that is none of the entries shows no entry and stays until one is chosen.
    int type = *p.getIntParameter("DiagramType");
    if (pDX->m_bSaveAndValidate) {
        if (m_type->currentIndex() >= 0)
            p.setIntParameter("DiagramType", m_type->currentIndex());
        // Saving (also a project saved with the form open) keeps the pan and zoom.
        ReadView();
    } else {
        m_type->setCurrentIndex(type >= 0 && type < m_type->count() ? type : -1);
    }
    calc::ExchangeCheck(pDX, m_spectral, p, "ShowSpectralColors");
    calc::ExchangeCheck(pDX, m_planck, p, "ShowPlanckianLocus");
    calc::ExchangeCheck(pDX, m_names, p, "ShowNames");
    calc::ExchangeCheck(pDX, m_values, p, "ShowColorValues");
    calc::ExchangeCheck(pDX, m_autoZoom, p, "AutoZoom");
    calc::ExchangeString(pDX, m_colours, p, "ColorDesc");
    calc::ExchangeString(pDX, m_compare, p, "CompareColorDesc");
}

void CColorShowForm::resizeEvent(QResizeEvent* event)
{
    CCalcForm::resizeEvent(event);
    // The diagram keeps its top-left corner and becomes the largest square that fits.
    const QPoint at = m_diagram->pos();
    const int side = std::max(0, std::min(width() - at.x() - 5, height() - at.y() - 5));
    m_diagram->resize(side, side);
}
