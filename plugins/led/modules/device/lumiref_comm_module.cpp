#include "modules/device/lumiref_comm_module.h"

#include "modules/device/lumiref_worker.h"

#include "engine/grid.h"
#include "engine/ls_matrix.h"
#include "engine/spectra_set.h"

#include "core/calculation_guard.h"
#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kAttempts = 5;
constexpr int kPingsPerAttempt = 3;
// Slack on every bound the GUI thread waits for the worker.
constexpr std::chrono::milliseconds kSlack{3000};

const char kNoConnection[] = "Fehler: Keine Verbindung zur Beleuchtungsquelle!";
const char kNoValues[] = "Fehler: Die Beleuchtungsquelle hat keine Messwerte geliefert!";

} // namespace

LumirefCommModule::LumirefCommModule()
    : LEDModuleBase("LumirefComm")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("COMPort", "", "COM1", "COM1");
    p.addBoolParameter("Connected", "", false, false);
    p.addStringParameter("InterpolatorSpecs", "", "", "");
    p.addStringParameter("TargetGroup", "", "", "");
    p.addStringParameter("LightnessesTargetGroup", "", "", "");
    p.addStringParameter("MeasuresTargetGroup", "", "", "");
    p.addIntParameter("SpecCount", "", 1, 1, 2147483647, 1);
    p.addIntParameter("MeasureInterval", "", 1000, 100, 2147483647, 1000);
    p.addBoolParameter("LightnessSeries", "", false, false);
    p.addIntParameter("LEDIndex", "", 1, 1, 6, 1);
}

LumirefCommModule::~LumirefCommModule()
{
    // The worker uses the host until its end: stop it and join it here, before the plug-in
    // that holds its code may be unloaded. Nobody hears of this end.
    QObject::disconnect(&m_events, nullptr, nullptr, nullptr);
    StopWorker();
}

std::vector<SAutomationPtrList> LumirefCommModule::GetAutomationPtr()
{
    using F = SAutomationPtrList::Function;
    return {SAutomationPtrList("connect", static_cast<F>(&LumirefCommModule::connect)),
            SAutomationPtrList("disconnect", static_cast<F>(&LumirefCommModule::disconnect)),
            SAutomationPtrList("create_values", static_cast<F>(&LumirefCommModule::create_values))};
}

// ---- the worker's life ----

bool LumirefCommModule::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + bound;
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        // Every change of the state comes as an event on this thread, so none can slip in
        // between the test and exec().
        QEventLoop loop;
        QObject::connect(&m_events, &LumirefCommEvents::Changed, &loop, &QEventLoop::quit);
        // A timer of this wait, gone with it: QTimer::singleShot would leave its timer behind
        // until the bound passes, a child of the thread's event dispatcher holding a call into
        // this plug-in, which the application's end would make after the plug-in has gone.
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        bound.start(left);
        loop.exec();
    }
    return true;
}

std::chrono::milliseconds LumirefCommModule::CycleBound() const
{
    const DeviceTimings& t = m_timings;
    return t.pollPause + 2 * (t.patientTries + 1) * t.readTimeout + kSlack;
}

bool LumirefCommModule::connect()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return m_connected;
    if (m_connected)
        return true;
    if (!m_starting) {
        StopWorker(); // one that has ended
        m_starting = true;
        m_writesAsked = m_writesDone = 0;
        m_thread = std::make_unique<QThread>();
        m_worker = std::make_unique<LumirefWorker>(*getParameters().getStringParameter("COMPort"), m_timings,
                                                   GetModuleInterface());
        m_worker->moveToThread(m_thread.get());
        LumirefWorker* worker = m_worker.get();
        Follow(worker, &LumirefWorker::Connected, &LumirefCommModule::OnConnected);
        Follow(worker, &LumirefWorker::ValuesRead, &LumirefCommModule::OnValuesRead);
        Follow(worker, &LumirefWorker::ReadFailed, &LumirefCommModule::OnPolled);
        Follow(worker, &LumirefWorker::Written, &LumirefCommModule::OnWritten);
        Follow(worker, &LumirefWorker::Lost, &LumirefCommModule::OnLost);
        Follow(worker, &LumirefWorker::Ended, &LumirefCommModule::OnEnded);
        m_thread->start();
        QMetaObject::invokeMethod(worker, &LumirefWorker::Start, Qt::QueuedConnection);
    }
    // Opening and five attempts of three pings and a pause each, and the parameter list.
    const DeviceTimings& t = m_timings;
    const auto bound = kAttempts * (kPingsPerAttempt * t.readTimeout + t.attemptPause) + 10 * t.readTimeout + kSlack;
    WaitUntil([this] { return m_connected || !m_starting; }, bound);
    emit m_events.LinkChanged();
    return m_connected;
}

bool LumirefCommModule::disconnect()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return true;
    if (!m_starting) {
        StopWorker(); // one that has ended
        return true;
    }
    m_worker->RequestStop();
    // One cycle: a pending write and a value request, each with its patient wait and one
    // reply time-out.
    const DeviceTimings& t = m_timings;
    WaitUntil([this] { return !m_starting; }, 2 * (t.patientTries + 1) * t.readTimeout + kSlack);
    // Every exchange of the worker is bounded by its time-outs: the join ends.
    StopWorker();
    emit m_events.LinkChanged();
    return true;
}

void LumirefCommModule::StopWorker()
{
    if (!m_thread)
        return;
    m_worker->RequestStop();
    m_thread->wait();
    m_worker.reset();
    m_thread.reset();
    ++m_generation;
    if (m_starting)
        OnEnded(); // its end was still queued
}

// ---- what the worker tells ----

template <class... Args>
void LumirefCommModule::Follow(LumirefWorker* worker, void (LumirefWorker::*signal)(Args...),
                               void (LumirefCommModule::*handler)(Args...))
{
    // The signal comes queued; one of a worker dropped since is ignored.
    const int generation = m_generation;
    QObject::connect(worker, signal, &m_events, [this, generation, handler](Args... args) {
        if (generation == m_generation)
            (this->*handler)(args...);
    });
}

void LumirefCommModule::OnConnected(const std::vector<std::string>& names, const std::vector<bool>& readOnly)
{
    m_names = names;
    m_readOnly = readOnly;
    m_values.assign(names.size(), 0.0);
    m_delivered = false;
    m_polls = 0;
    m_connected = true;
    emit m_events.TableRead(m_names, m_values, m_readOnly);
    emit m_events.LinkChanged();
    emit m_events.Changed();
}

void LumirefCommModule::OnValuesRead(const std::vector<double>& values)
{
    if (values.size() == m_values.size()) {
        m_values = values;
        m_delivered = true;
        emit m_events.ValuesRead(m_values);
    }
    OnPolled();
}

void LumirefCommModule::OnPolled()
{
    ++m_polls;
    emit m_events.Changed();
}

void LumirefCommModule::OnWritten(int, bool)
{
    ++m_writesDone;
    emit m_events.Changed();
}

void LumirefCommModule::OnLost()
{
    // Nothing more comes from the device; the worker's end follows.
    m_connected = false;
    emit m_events.Changed();
}

void LumirefCommModule::OnEnded()
{
    m_connected = false;
    m_starting = false;
    m_names.clear();
    m_values.clear();
    m_readOnly.clear();
    m_delivered = false;
    emit m_events.LinkChanged();
    emit m_events.Changed();
}

// ---- value writes ----

bool LumirefCommModule::WriteToDevice(int index, double value)
{
    if (!m_connected) {
        LogError("%s", kNoConnection);
        return false;
    }
    if (m_writeWaiting) {
        LogError("Fehler: Ein Wert wird noch an die Beleuchtungsquelle gesendet!");
        return false;
    }
    m_writeWaiting = true;
    // The worker answers every write it takes, in order.
    const int ticket = ++m_writesAsked;
    LumirefWorker* worker = m_worker.get();
    QMetaObject::invokeMethod(worker, [worker, index, value] { worker->Write(index, value); }, Qt::QueuedConnection);
    const auto written = [this, ticket] { return m_writesDone >= ticket; };
    const bool answered = WaitUntil([this, &written] { return written() || !m_starting; }, CycleBound());
    m_writeWaiting = false;
    if (written())
        return true;
    if (answered || !m_connected)
        LogError("%s", kNoConnection);
    else
        LogError("Fehler: Beleuchtungsquelle hat den Wert nicht rechtzeitig übernommen!");
    return false;
}

void LumirefCommModule::SetDeviceValue(int index, double value)
{
    // An edit in the display waits for the worker with events flowing: inside the host's
    // calculation bracket, so nothing can close the project or remove this module meanwhile.
    CalculationGuard busy(GetModuleInterface());
    WriteToDevice(index, value);
}

int LumirefCommModule::FindParam(const std::string& name) const
{
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    return it == m_names.end() ? -1 : static_cast<int>(it - m_names.begin());
}

bool LumirefCommModule::DeliveredValues(std::vector<double>& values) const
{
    if (!m_delivered)
        return false;
    values = m_values;
    return true;
}

// ---- recording ----

calc::OwnRange LumirefCommModule::OwnRangeOf(const std::string& name)
{
    return name == "LEDIndex" ? calc::OwnRange::Clamped : calc::OwnRange::None;
}

bool LumirefCommModule::create_values()
{
    // The connection has its own line before the range rule.
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return false;
    if (!m_connected) {
        LogError("%s", kNoConnection);
        return false;
    }
    if (!ParametersInRange())
        return false;
    ModuleInterface* host = GetModuleInterface();
    if (!host)
        return false;
    Run run(*this);
    ns_param::Paramora& p = getParameters();
    const std::string targetGroup = *p.getStringParameter("TargetGroup");
    const std::string lightnessGroup = *p.getStringParameter("LightnessesTargetGroup");
    const std::string measuresGroup = *p.getStringParameter("MeasuresTargetGroup");

    SpectraSet interpolator;
    const bool spectra = !targetGroup.empty();
    if (spectra) {
        ReadSpectraSet(interpolator, *p.getStringParameter("InterpolatorSpecs"));
        if (interpolator.GetCount() != 7) {
            LogError("Fehler: Interpolator muss genau 7 Spektren umfassen!");
            return false;
        }
    }
    const bool lightnessObjects = !lightnessGroup.empty();
    const bool sensorObjects = !measuresGroup.empty();
    const bool sweep = *p.getBoolParameter("LightnessSeries");
    const int led = std::clamp(*p.getIntParameter("LEDIndex") - 1, 0, 5);

    // The positions belong to the table the worker read; a new table (a new connection)
    // has another size, which every sample checks.
    const std::size_t tableSize = ParameterNames().size();
    int sensor[7];
    int lightness[6];
    for (int i = 0; i < 7; ++i)
        sensor[i] = FindParam("Sensor" + std::to_string(i + 1));
    for (int i = 0; i < 6; ++i)
        lightness[i] = FindParam("Lightness" + std::to_string(i + 1));
    if (spectra || sensorObjects)
        for (int i = 0; i < 7; ++i)
            if (sensor[i] < 0) {
                LogError("Fehler: Parameter 'Sensor%d' nicht gefunden!", i + 1);
                return false;
            }
    if (lightnessObjects)
        for (int i = 0; i < 6; ++i)
            if (lightness[i] < 0) {
                LogError("Fehler: Parameter 'Lightness%d' nicht gefunden!", i + 1);
                return false;
            }
    // The sweep writes to the swept LED's row, which must exist whatever else is produced.
    if (sweep && lightness[led] < 0) {
        LogError("Fehler: Parameter 'Lightness%d' nicht gefunden!", led + 1);
        return false;
    }
    if (FindParam("SensorDiv") < 0) {
        LogError("Fehler: Parameter 'SensorDiv' nicht gefunden!");
        return false;
    }

    // Right after connecting the first poll may still be under way. Without values the
    // device delivered whole there is nothing to record: the table's zeros were never measured.
    WaitUntil([this] { return m_polls > 0 || !m_connected; }, CycleBound());
    std::vector<double> values;
    const bool delivered = DeliveredValues(values);
    if (!m_connected) {
        LogError("%s", kNoConnection);
        return false;
    }
    if (!delivered) {
        LogError("%s", kNoValues);
        return false;
    }

    const int rows = GridPointCount();
    LSMatrixHandle sum(rows, 1);
    if (spectra && !sum)
        return false;
    const int copied = std::min(rows, interpolator.PointCount);
    ClipboardTree* clipboard = host->GetClipboardTree();

    const int count = *p.getIntParameter("SpecCount");
    for (int k = 0; k < count; ++k) {
        host->SetStatusText("Bearbeite Wert " + std::to_string(k + 1) + " von " + std::to_string(count));
        if (sweep && !WriteToDevice(lightness[led], static_cast<double>(k) / static_cast<double>(count)))
            return false;
        const bool deliveredNow = DeliveredValues(values);
        if (!m_connected || values.size() != tableSize) {
            LogError("%s", kNoConnection);
            return false;
        }
        if (!deliveredNow) {
            LogError("%s", kNoValues);
            return false;
        }
        auto at = [&values](int position) { return values[static_cast<std::size_t>(position)]; };

        if (spectra) {
            for (int j = 0; j < rows; ++j)
                sum[j] = 0.0;
            for (int i = 0; i < 7; ++i) {
                const LSMatrix column = interpolator.GetSpectrum(i);
                const double factor = at(sensor[i]);
                for (int j = 0; j < copied; ++j)
                    sum[j] += column[j] * factor;
            }
            SpectraSet sample;
            sample.AddSpectrum("LRSpec" + std::to_string(k), sum);
            WriteSpectraSet(sample, targetGroup);
        }
        if (sensorObjects && clipboard) {
            double measures[7];
            for (int i = 0; i < 7; ++i)
                measures[i] = at(sensor[i]);
            auto object = std::make_unique<ClipboardObject>();
            std::string name = measuresGroup + ":Measure" + std::to_string(k);
            NormColons(name);
            object->SetName(name);
            object->GetParameters().addDouble1DArrayParameter("Measures", "", 7, measures, 0.0);
            if (clipboard->AddInserter(object.get()))
                object.release();
        }
        if (lightnessObjects && clipboard) {
            double levels[6];
            for (int i = 0; i < 6; ++i)
                levels[i] = at(lightness[i]);
            auto object = std::make_unique<ClipboardObject>();
            std::string name = lightnessGroup + ":Lightnesses" + std::to_string(k);
            NormColons(name);
            object->SetName(name);
            object->GetParameters().addDouble1DArrayParameter("Lightnesses", "", 6, levels, 0.0);
            if (clipboard->AddInserter(object.get()))
                object.release();
        }
        host->SetProgressBarPercentage(static_cast<double>(k) * 100.0 / static_cast<double>(count));
        if (host->UserWantsAbort())
            break;
        // The pause handles events, so the abort button and the display stay alive; it ends
        // early when the worker ends.
        const int interval = *p.getIntParameter("MeasureInterval");
        WaitUntil([this] { return !m_starting; }, std::chrono::milliseconds(interval));
        if (host->UserWantsAbort())
            break;
    }
    return true;
}
