#include "modules/led_module_base.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_db.h"
#include "engine/led_model.h"
#include "engine/ls_matrix.h"
#include "engine/spectra_set.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/spectrum.h"
#include "core/string_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <memory>
#include <vector>

LEDModuleBase::LEDModuleBase(const std::string& name)
    : calc::CalcModule("LED_" + name)
{
}

LEDModuleBase::~LEDModuleBase()
{
    // A module that dies inside a run must not leave the engine a dangling host.
    if (m_inRun && CurrentHost == GetModuleInterface())
        CurrentHost = nullptr;
}

void LEDModuleBase::BeginRun()
{
    m_inRun = true;
    CurrentHost = GetModuleInterface();
}

void LEDModuleBase::EndRun()
{
    m_inRun = false;
    m_gridTaken = false;
    CurrentHost = nullptr;
}

void LEDModuleBase::LogError(const char* format, ...)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return;
    va_list args;
    va_start(args, format);
    host->AddLogColorMessageV(calc::kErrorColour, format, args);
    va_end(args);
}

void LEDModuleBase::LogHint(const char* format, ...)
{
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return;
    va_list args;
    va_start(args, format);
    host->AddLogColorMessageV(calc::kHintColour, format, args);
    va_end(args);
}

bool LEDModuleBase::ModelValuesFinite(const LEDModel& model, const std::string& recordName)
{
    const ParamContainer& values = model.params;
    for (int k = 0; k < values.Count(); ++k) {
        if (!std::isfinite(values.GetDoubleAt(k))) {
            LogError("Fehler: LED-Datensatz '%s': Wert '%s' von '%s' ist keine endliche Zahl!", recordName.c_str(),
                     values.ValueAt(k).c_str(), values.KeyAt(k).c_str());
            return false;
        }
    }
    return true;
}

std::vector<std::string> LEDModuleBase::RecordNames(const std::string& selection)
{
    std::vector<std::string> names;
    ModuleInterface* host = GetModuleInterface();
    if (ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr)
        for (ClipboardObject* object : tree->GetInserters(selection, false))
            names.push_back(object->GetName());
    return names;
}

bool LEDModuleBase::RecordsFinite(const LedDB& db, const std::string& selection)
{
    const std::vector<std::string> names = RecordNames(selection);
    for (int i = 0; i < db.EntryCount(); ++i) {
        const std::unique_ptr<LEDModel> model(CreateLEDModelFromParams(db.EntryAt(i)));
        const std::size_t k = static_cast<std::size_t>(i);
        if (model && !ModelValuesFinite(*model, k < names.size() ? names[k] : std::string()))
            return false;
    }
    return true;
}

LEDModuleBase::Run::Run(LEDModuleBase& module, bool onlyIfNone)
    : m_module(module)
    , m_opened(!onlyIfNone || !module.InRun())
{
    if (m_opened)
        m_module.BeginRun();
}

LEDModuleBase::Run::~Run()
{
    if (m_opened)
        m_module.EndRun();
}

std::string LEDModuleBase::Prefix(const std::string& group)
{
    return group.empty() ? group : group + ":";
}

bool LEDModuleBase::ReadGridSpectra(GridSpectra& grid, const std::string& selection)
{
    grid = GridSpectra();
    ModuleInterface* host = GetModuleInterface();
    SpectrumTree* tree = host ? host->GetSpectrumTree() : nullptr;
    if (!tree)
        return false;
    SpectrumList list;
    list = tree->GetInserters(selection, false);

    double step = 0.0, start = 0.0, end = 0.0;
    // A step of 0 (equal x values) would give no grid: it counts as not equidistant.
    if (!list.SpecsSameEquiDistant(&step, &start, &end) || (!list.empty() && !(step > 0.0))) {
        LogError("Fehler: Spektren sind nicht äquidistant oder haben unterschiedliche Defintionsbereiche in '%s'",
                 selection.c_str());
        grid.refused = true;
        return false;
    }
    if (list.empty())
        return false;
    const double count = (end - start) / step + 1e-7;
    if (!std::isfinite(count) || count + 1 > calc::kMaxGridPoints) {
        LogError("Fehler: Spektren sind nicht äquidistant oder haben unterschiedliche Defintionsbereiche in '%s'",
                 selection.c_str());
        grid.refused = true;
        return false;
    }
    const int n = static_cast<int>(count) + 1;

    start /= 1000.0;
    end /= 1000.0;
    step /= 1000.0;
    if (m_inRun && m_gridTaken) {
        if (start != XStart || end != XEnd || step != XStep) {
            LogError("Fehler: Der Definitionsbereich stimmt nicht mit vorhergehender Spektrenmenge überein:");
            host->AddLogMessage("   (%g bis %g mit Schrittweite %g) zu (%g bis %g mit Schrittweite %g)",
                                XStart * 1000.0, XEnd * 1000.0, XStep * 1000.0, start * 1000.0, end * 1000.0,
                                step * 1000.0);
            // Spectra on another grid would be read as if they lay on the run's grid: the
            // set stays empty instead.
            grid.refused = true;
            return true;
        }
    } else {
        XStart = start;
        XEnd = end;
        XStep = step;
        if (m_inRun)
            m_gridTaken = true;
    }

    // The set counts its rows with the grid's own rule; a vector of another length would
    // be refused, so each one gets exactly that many rows.
    grid.rows = GridPointCount(XStart, XEnd, XStep);
    if (grid.rows <= 0)
        return true;
    grid.spectra = std::move(list);
    grid.points = n;
    return true;
}

void LEDModuleBase::ReadSpectraSet(SpectraSet& set, const std::string& selection)
{
    GridSpectra grid;
    if (!ReadGridSpectra(grid, selection))
        return;
    set.Clear();
    if (grid.spectra.empty())
        return;
    LSMatrixHandle column(grid.rows, 1);
    if (!column)
        return;
    for (std::size_t i = 0; i < grid.spectra.size(); ++i) {
        grid.CopyColumn(i, column.get());
        set.AddSpectrum(grid.spectra[i]->GetName(), column);
    }
}

void LEDModuleBase::GridSpectra::CopyColumn(std::size_t i, double* column) const
{
    const Spectrum& spectrum = *spectra[i];
    const int count = spectrum.GetPointCount();
    const int copied = std::min({points, rows, count});
    if (count <= rows) {
        spectrum.getYPointsAsArray(column);
    } else {
        std::vector<double> y(static_cast<std::size_t>(count));
        spectrum.getYPointsAsArray(y.data());
        std::copy_n(y.data(), copied, column);
    }
    std::fill(column + copied, column + rows, 0.0);
}

void LEDModuleBase::WriteSpectraSet(const SpectraSet& set, const std::string& group)
{
    ModuleInterface* host = GetModuleInterface();
    SpectrumTree* tree = host ? host->GetSpectrumTree() : nullptr;
    if (!tree)
        return;
    const std::string prefix = Prefix(group);
    const double start = XStart;
    const double step = XStep;
    std::vector<SPoint> points;
    for (int i = 0; i < set.GetCount(); ++i) {
        auto spectrum = std::make_unique<Spectrum>();
        std::string name = prefix + set.GetName(i);
        NormColons(name);
        spectrum->SetName(name);
        const LSMatrix column = set.GetSpectrum(i);
        const int rows = MatRows(column);
        // The wavelengths are the same for every spectrum of the set.
        if (points.size() != static_cast<std::size_t>(rows)) {
            points.resize(static_cast<std::size_t>(rows));
            for (int j = 0; j < rows; ++j)
                points[static_cast<std::size_t>(j)].x = std::max((j * step + start) * 1000.0, 0.0);
        }
        for (int j = 0; j < rows; ++j)
            points[static_cast<std::size_t>(j)].y = column[j];
        spectrum->ReservePoints(rows);
        spectrum->AddPoints(points.data(), points.size());
        if (tree->AddInserter(spectrum.get()))
            spectrum.release();
    }
}

ParamContainer LEDModuleBase::RecordOf(const ClipboardObject& object)
{
    ParamContainer record;
    const ns_param::Paramora& p = object.GetParameters();
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it)
        record.AddValue({it->first, it->second->getValueText('.')});
    return record;
}

void LEDModuleBase::ReadLEDList(LedDB& db, const std::string& selection)
{
    ModuleInterface* host = GetModuleInterface();
    ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr;
    if (!tree)
        return;
    for (ClipboardObject* object : tree->GetInserters(selection, false)) {
        db.AddEntry(RecordOf(*object));
        if (host->UserWantsAbort())
            break;
    }
}

ClipboardObject* LEDModuleBase::ObjectOf(const ParamContainer& record, const std::string& prefix, int index,
                                         bool trimmed)
{
    auto object = std::make_unique<ClipboardObject>();
    std::string name = record.FindValue("Name").second;
    if (name.empty())
        name = "LED" + std::to_string(index);
    name = prefix + name;
    NormColons(name);
    object->SetName(name);
    ns_param::Paramora& p = object->GetParameters();
    for (int k = 0; k < record.Count(); ++k) {
        if (trimmed)
            p.addStringParameter(trim(record.KeyAt(k), calc::kBlanks), "", trim(record.ValueAt(k), calc::kBlanks), "");
        else
            p.addStringParameter(record.KeyAt(k), "", record.ValueAt(k), "");
    }
    return object.release();
}

void LEDModuleBase::WriteLEDList(LedDB& db, const std::string& group)
{
    ModuleInterface* host = GetModuleInterface();
    ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr;
    if (!tree)
        return;
    // The group is emptied under the path the objects are filed at (":G:" is G). The tree
    // resolves an empty path to nothing, so an empty group deletes nothing.
    if (db.EntryCount() >= 2) {
        std::string tidy = group;
        NormColons(tidy);
        tree->DeleteInserters(tidy);
    }
    const std::string prefix = Prefix(group);
    for (int i = 0; i < db.EntryCount(); ++i) {
        const ParamContainer& record = db.EntryAt(i);
        if (db.MatchesCondition(record)) {
            std::unique_ptr<ClipboardObject> object(ObjectOf(record, prefix, i, false));
            if (tree->AddInserter(object.get()))
                object.release();
        }
        if (host->UserWantsAbort())
            break;
    }
}
