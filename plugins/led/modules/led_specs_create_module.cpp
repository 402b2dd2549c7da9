#include "modules/led_specs_create_module.h"

#include "modules/led_create_specs_form.h"

#include "engine/grid.h"
#include "engine/led_db.h"
#include "engine/led_model.h"
#include "engine/ls_matrix.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Puts the global grid back when the run ends, on every path.
class GridRestorer {
public:
    GridRestorer() : m_start(XStart), m_end(XEnd), m_step(XStep) {}
    ~GridRestorer()
    {
        XStart = m_start;
        XEnd = m_end;
        XStep = m_step;
    }
    GridRestorer(const GridRestorer&) = delete;
    GridRestorer& operator=(const GridRestorer&) = delete;

private:
    double m_start, m_end, m_step;
};

} // namespace

SpecsCreateModuleBase::SpecsCreateModuleBase(const std::string& name)
    : LEDModuleBase(name)
{
    ns_param::Paramora& p = getParameters();
    p.addDoubleParameter("XStart", "", 380, 0, 1e99, 400);
    p.addDoubleParameter("XEnd", "", 780, 0, 1e99, 700);
    p.addDoubleParameter("XStep", "", 2, 0.01, DBL_MAX, 2);
    p.addIntParameter("IntPrec", "", 0, 0, 8, 0);
    p.addDoubleParameter("ModelTemperature", "", 298.15, 0, 1e99, 298.15);
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("SpecGroup", "", "", "");
}

SpecsCreateModuleBase::~SpecsCreateModuleBase() = default;

const CRuntimeClass* SpecsCreateModuleBase::GetEditorClass()
{
    return RUNTIME_CLASS(CLEDCreateSpecsForm);
}

bool SpecsCreateModuleBase::Generate()
{
    // An empty selection has its own line before the range rule.
    RunScope opened(*this, Numbers::AfterOwnChecks, kSpectra | kClipboard);
    if (!opened)
        return false;
    ClipboardTree* clipboard = opened.clipboard;
    SpectrumTree* spectra = opened.spectra;
    ns_param::Paramora& p = opened.p;

    LedDB db;
    const std::list<ClipboardObject*> objects = clipboard->GetInserters(*p.getStringParameter("LEDsDesc"), false);
    if (objects.empty()) {
        LogError("Fehler: Es wurden keine Parameter zur Spektrenerzeugung angegeben!");
        return false;
    }
    if (!ParametersInRange())
        return false;
    const double temperature = *p.getDoubleParameter("ModelTemperature");
    const double start = *p.getDoubleParameter("XStart") / 1000.0;
    const double end = *p.getDoubleParameter("XEnd") / 1000.0;
    const double step = *p.getDoubleParameter("XStep") / 1000.0;
    const double f = std::pow(10.0, *p.getIntParameter("IntPrec"));
    // The grid must give at least one and at most kMaxGridPoints points.
    const double count = (end - start) / step + 1e-6;
    if (end < start) {
        LogOutOfRange("XEnd", *p.getDoubleParameter("XStart"), 1e99);
        return false;
    }
    if (!std::isfinite(count) || count + 1 > led::kMaxGridPoints) {
        LogOutOfRange("XStep", (end - start) * 1000.0 / (led::kMaxGridPoints - 1), DBL_MAX);
        return false;
    }
    for (ClipboardObject* object : objects)
        db.AddEntry(RecordOf(*object));

    GridRestorer restorer;
    XStart = start;
    XEnd = end;
    XStep = step;
    const int n = static_cast<int>(count) + 1;

    // Every model is checked before anything is filed: a model value that is no finite
    // number ("nan", "inf"; a text that is no number reads as 0) would give spectra of NaN.
    double spectrumCount = 0.0;
    auto object = objects.begin();
    for (int r = 0; r < db.EntryCount(); ++r, ++object) {
        const std::unique_ptr<LEDModel> model(CreateLEDModelFromParams(db.EntryAt(r)));
        if (!model)
            continue;
        if (!ModelValuesFinite(*model, (*object)->GetName()))
            return false;
        spectrumCount += model->GetChannelCount() < 2 ? 1 : model->GetChannelCount();
    }
    // The spectra hold every point: the grid must leave room for all of them.
    const double rowsInBudget = calc::CountInBudget(spectrumCount * sizeof(SPoint) + sizeof(double));
    if (n > rowsInBudget) {
        LogOutOfRange("XStep", (end - start) * 1000.0 / std::max(rowsInBudget - 1.0, 1.0), DBL_MAX);
        return false;
    }
    // SampleChannel fills the model's own count of rows and leaves a shorter matrix as it
    // is; rows beyond n are not filed, rows the model did not reach are zero.
    const int rows = std::max(n, GridPointCount(start, end, step));
    LSMatrixHandle column(rows, 1);
    if (!column)
        return false;
    const std::string prefix = Prefix(*p.getStringParameter("SpecGroup"));
    // The wavelengths in nm, rounded to IntPrec decimals with ties upward; every spectrum
    // shares them.
    std::vector<double> xs(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double x = static_cast<double>(runden(static_cast<long double>((j * step + start) * 1000.0 * f)) / f);
        xs[static_cast<std::size_t>(j)] = x < 0.0 ? 0.0 : x;
    }

    // Every spectrum is made before the first is filed, so a model that gives values that
    // are no finite numbers files nothing.
    std::vector<std::unique_ptr<Spectrum>> made;
    object = objects.begin();
    for (int r = 0; r < db.EntryCount(); ++r, ++object) {
        const ParamContainer& record = db.EntryAt(r);
        std::unique_ptr<LEDModel> model(CreateLEDModelFromParams(record));
        if (!model)
            continue;
        const std::string recordName = record.FindValue("Name").second;
        const int channels = model->GetChannelCount() < 2 ? 1 : model->GetChannelCount();
        for (int channel = 0; channel < channels; ++channel) {
            std::string name = prefix + recordName;
            if (channels >= 2)
                name += ":channel" + std::to_string(channel);
            NormColons(name);
            MatZero(column);
            model->SampleChannel(column, start, end, step, temperature, channel);
            if (!std::all_of(column.get(), column.get() + n, [](double v) { return std::isfinite(v); })) {
                LogError("Fehler: LED-Datensatz '%s': Das Modell liefert Werte, die keine endlichen Zahlen sind!",
                         (*object)->GetName().c_str());
                return false;
            }
            auto spectrum = std::make_unique<Spectrum>();
            spectrum->SetName(name);
            spectrum->ReservePoints(n);
            for (int j = 0; j < n; ++j)
                spectrum->AddPoint(SPoint(xs[static_cast<std::size_t>(j)], column[j]));
            made.push_back(std::move(spectrum));
        }
    }
    for (std::unique_ptr<Spectrum>& spectrum : made)
        if (spectra->AddInserter(spectrum.get()))
            spectrum.release();
    return true;
}

EDSpecsCreateModule::EDSpecsCreateModule()
    : SpecsCreateModuleBase("CreateESpecs")
{
}

EDSpecsCreateModule::~EDSpecsCreateModule() = default;

std::vector<SAutomationPtrList> EDSpecsCreateModule::GetAutomationPtr()
{
    return {SAutomationPtrList("create_especs",
                               static_cast<SAutomationPtrList::Function>(&EDSpecsCreateModule::create_especs))};
}

bool EDSpecsCreateModule::create_especs()
{
    return Generate();
}

LEDSpecsCreateModule::LEDSpecsCreateModule()
    : SpecsCreateModuleBase("CreateSpecs")
{
}

LEDSpecsCreateModule::~LEDSpecsCreateModule() = default;

std::vector<SAutomationPtrList> LEDSpecsCreateModule::GetAutomationPtr()
{
    return {SAutomationPtrList("create_specs",
                               static_cast<SAutomationPtrList::Function>(&LEDSpecsCreateModule::create_specs))};
}

bool LEDSpecsCreateModule::create_specs()
{
    return Generate();
}
