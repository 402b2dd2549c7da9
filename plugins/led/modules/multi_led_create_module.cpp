#include "modules/multi_led_create_module.h"

#include "modules/multi_led_create_form.h"

#include "engine/led_db.h"

#include "core/module_interface.h"
#include "core/number_text.h"
#include "platform/random.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

constexpr const char* kModelNames[] = {"GaussianLEDModel", "LorentzianLEDModel", "PanShenFengLEDModel",
                                        "RectLEDModel"};
constexpr const char* kExtNames[6] = {"ExtModelParam1", "ExtModelParam2", "ExtModelParam3",
                                      "ExtModelParam4", "ExtModelParam5", "ExtModelParam6"};
// (int)(c·1000) of the metadata names needs nanometre values within int range; the noise
// adds at most 40 nm to a centre and 10 % to a width.
constexpr double kMaxNameNm = 1.9e9;
// What one LED takes while a run holds it: the record of four keys in the run's database and
// its clipboard object with four string parameters in the tree (a generous estimate).
constexpr double kBytesPerRecord = 4096.0;

std::function<unsigned()>& TimeSource()
{
    static std::function<unsigned()> source;
    return source;
}

// U in [-1, 1.00006], from the classic generator's range.
double Uniform()
{
    return (platform::Rand() - 16383) / 16383.0;
}

// time × rand() in unsigned 32-bit arithmetic: it wraps instead of overflowing.
unsigned Seed(unsigned time)
{
    return static_cast<std::uint32_t>(time) * static_cast<std::uint32_t>(platform::Rand());
}

// Texts of the twins, formatted into a buffer of 128 characters.
std::string StatusText(bool led, int v, int n)
{
    char buffer[128];
    if (led)
        std::snprintf(buffer, sizeof buffer, "Erzeuge LED %d von %d", v, n);
    else
        std::snprintf(buffer, sizeof buffer, "Erzeuge Modellfunktion %d von %d", v, n);
    return buffer;
}

std::string RecordName(bool led, bool metaData, int v, double c, double w, const std::string& model)
{
    char buffer[128];
    const std::string first = model.substr(0, 1);
    if (metaData && led)
        std::snprintf(buffer, sizeof buffer, "LED%03d_%i_%i_%s", v, static_cast<int>(c * 1000),
                      static_cast<int>(w * 1000), first.c_str());
    else if (metaData)
        std::snprintf(buffer, sizeof buffer, "MOD%03d_%i_%i_%s", v, static_cast<int>(c * 1000),
                      static_cast<int>(w * 1000), first.c_str());
    else
        std::snprintf(buffer, sizeof buffer, led ? "LED%03d" : "MOD%03d", v);
    return buffer;
}

} // namespace

std::string LEDModelNameOf(int index)
{
    return index >= 0 && index < 4 ? kModelNames[index] : "";
}

void NoiseModelParams(double& w, double& c, double (&ext)[6], unsigned time)
{
    platform::SRand(Seed(time));
    const double noisedW = w + Uniform() * 0.1 * w;
    if (noisedW > 0.0)
        w = noisedW;
    const std::uint32_t s = static_cast<std::uint32_t>(platform::Rand()) * static_cast<std::uint32_t>(time) * 32u;
    platform::SRand(s);
    c += Uniform() * 0.04;
    if (c < 0.0)
        c = 0.0;
    for (int k = 0; k < 6; ++k) {
        platform::SRand(s >> (k + 1));
        ext[k] += Uniform() * 0.1 * ext[k];
    }
}

void NoiseLEDParams(double& w, double& c, unsigned time)
{
    // The width, three draws the LED models have no use for, the centre; each from a
    // fresh seed. A value of 0 stays 0.
    auto draw = [time](double& value, double scale) {
        platform::SRand(Seed(time));
        const double noise = Uniform() * scale;
        if (value != 0.0)
            value += noise;
    };
    const double before = w;
    draw(w, 0.01);
    if (!(w > 0.0))
        w = before;
    double unused = 0.0;
    for (int k = 0; k < 3; ++k)
        draw(unused, 0.01);
    draw(c, 0.004);
}

void MultiCreateModuleBase::SetTimeSource(std::function<unsigned()> source)
{
    TimeSource() = std::move(source);
}

unsigned MultiCreateModuleBase::Time()
{
    if (TimeSource())
        return TimeSource()();
    return static_cast<unsigned>(std::time(nullptr));
}

std::vector<std::string> MultiCreateModuleBase::ModelEntries(bool led)
{
    if (led)
        return {"1_GaussianLEDModel", "2_LorentzianLEDModel", "3_PanShenFengLEDModel"};
    return {"1_GaussianModel", "2_LorentzianModel", "3_PanShenFengModel", "4_RectModel"};
}

MultiCreateModuleBase::MultiCreateModuleBase(const std::string& name, bool led)
    : LEDModuleBase(name)
    , m_led(led)
{
    ns_param::Paramora& p = getParameters();
    ns_xandril::XMLEnumClass models;
    for (const std::string& entry : ModelEntries(led))
        models.addEntry(entry);
    p.addEnumParameter("LEDModel", "", models, nullptr);
    p.addIntParameter("LEDCount", "", 3, 1, INT_MAX, 3);
    p.addDoubleParameter("XStart", "", 380, 0, DBL_MAX, 380);
    p.addDoubleParameter("XEnd", "", 780, 0, DBL_MAX, 780);
    p.addStringParameter("ClipboardTargetGroup", "", "", "");
    p.addDoubleParameter("FWHM", "", 30, 0, DBL_MAX, 30);
    p.addDoubleParameter("ExtModelParam1", "", 3, 0.0001, DBL_MAX, 3);
    p.addDoubleParameter("ExtModelParam2", "", 0, 0, DBL_MAX, 0);
    p.addDoubleParameter("ExtModelParam3", "", 0, 0, 1, 0);
    p.addDoubleParameter("ExtModelParam4", "", 0, 0, 1, 0);
    p.addDoubleParameter("ExtModelParam5", "", 0, -5, 5, 0);
    p.addDoubleParameter("ExtModelParam6", "", 0, -5, 5, 0);
    p.addBoolParameter("AddMetaData2Name", "Metadaten dem Namen hinzufügen", false, false);
    p.addBoolParameter("NoisedParameters", "Parameter verrauschen", false, false);
}

MultiCreateModuleBase::~MultiCreateModuleBase() = default;

const CRuntimeClass* MultiCreateModuleBase::GetEditorClass()
{
    return RUNTIME_CLASS(CMultiLEDCreateForm);
}

calc::OwnRange MultiCreateModuleBase::OwnRangeOf(const std::string& name)
{
    const bool extended = std::find(std::begin(kExtNames), std::end(kExtNames), name) != std::end(kExtNames);
    return extended ? calc::OwnRange::Unused : calc::OwnRange::None;
}

bool MultiCreateModuleBase::Generate()
{
    // The count below 1 has a line of its own, before the range rule.
    RunScope opened(*this, Numbers::AfterOwnChecks, kNoTree);
    if (!opened)
        return false;
    ModuleInterface* host = opened.host;
    ns_param::Paramora& p = opened.p;
    if (m_led)
        platform::SRand(Seed(Time()));

    LedDB db;
    const std::string model = LEDModelNameOf(p.getEnumParameter("LEDModel")->getIndex());
    const double start = *p.getDoubleParameter("XStart") / 1000.0;
    const double end = *p.getDoubleParameter("XEnd") / 1000.0;
    const int n = *p.getIntParameter("LEDCount");
    const bool metaData = *p.getBoolParameter("AddMetaData2Name");
    const bool noised = *p.getBoolParameter("NoisedParameters");

    if (n < 1) {
        LogError(m_led ? "Fehler: (L)ED-Anzahl muss >= 1 sein!" : "Fehler: Modell-Anzahl muss >= 1 sein!");
        return false;
    }
    if (!ParametersInRange())
        return false;
    if (metaData) {
        for (const char* name : {"XStart", "XEnd", "FWHM"})
            if (*p.getDoubleParameter(name) > kMaxNameNm) {
                LogOutOfRange(name, 0.0, kMaxNameNm);
                return false;
            }
    }
    // Every record, and then its clipboard object, stays in memory until the run ends.
    if (!CountFitsMemory("LEDCount", n, 1, kBytesPerRecord))
        return false;
    if (n == 1)
        LogHint("Hinweis: Die Mittenwellenlänge der LED entspricht dem Parameter \"Startwellenlänge\".");

    double lo = start, hi = end;
    if (hi <= lo && n > 1)
        std::swap(lo, hi);
    const double step = (hi - lo) / n;
    double c = n < 2 ? lo : lo + step / 2;
    if (host)
        host->SetProgressBarPercentage(0);

    for (int v = 0; v < n; ++v, c += step) {
        double w = *p.getDoubleParameter("FWHM") / 1000.0;
        double ext[6] = {};
        if (!m_led)
            for (int k = 0; k < 6; ++k)
                ext[k] = *p.getDoubleParameter(kExtNames[k]);
        if (host)
            host->SetStatusText(StatusText(m_led, v + 1, n));
        double centre = c;
        if (noised) {
            if (m_led)
                NoiseLEDParams(w, centre, Time());
            else
                NoiseModelParams(w, centre, ext, Time());
        }
        const std::string name = RecordName(m_led, metaData, v, centre, w, model);

        ParamContainer record;
        const std::string fwhm = number_text::FormatG(w);
        const std::string peak = number_text::FormatG(centre);
        if (m_led) {
            record.AddKeyValue("Name", name);
            record.AddKeyValue("PeakWavelength", peak);
            record.AddKeyValue("FWHM", fwhm);
        } else {
            record.AddKeyValue("FWHM", fwhm);
            record.AddKeyValue("Name", name);
            record.AddKeyValue("PeakWavelength", peak);
        }
        record.AddKeyValue("SpectralModel", model);
        db.AddEntry(record);

        if (host) {
            host->SetProgressBarPercentage((v + 1.0) / n * 100.0);
            if (host->UserWantsAbort())
                break;
        }
    }
    if (host && host->UserWantsAbort())
        return true;
    WriteLEDList(db, *p.getStringParameter("ClipboardTargetGroup"));
    return true;
}

MultiEDCreateModule::MultiEDCreateModule()
    : MultiCreateModuleBase("MultiEDCreate", false)
{
}

MultiEDCreateModule::~MultiEDCreateModule() = default;

std::vector<SAutomationPtrList> MultiEDCreateModule::GetAutomationPtr()
{
    return {SAutomationPtrList("ecreate", static_cast<SAutomationPtrList::Function>(&MultiEDCreateModule::ecreate))};
}

bool MultiEDCreateModule::ecreate()
{
    return Generate();
}

MultiLEDCreateModule::MultiLEDCreateModule()
    : MultiCreateModuleBase("MultiLEDCreate", true)
{
}

MultiLEDCreateModule::~MultiLEDCreateModule() = default;

std::vector<SAutomationPtrList> MultiLEDCreateModule::GetAutomationPtr()
{
    return {SAutomationPtrList("create", static_cast<SAutomationPtrList::Function>(&MultiLEDCreateModule::create))};
}

bool MultiLEDCreateModule::create()
{
    return Generate();
}
