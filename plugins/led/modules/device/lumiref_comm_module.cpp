#include "modules/device/lumiref_comm_module.h"

#include "modules/device/lumiref_comm_form.h"
#include "modules/device/lumiref_pic_comm.h"

#include "engine/grid.h"
#include "engine/ls_matrix.h"
#include "engine/spectra_set.h"

#include "windows/param_show_ctrl.h"

#include "core/calculation_guard.h"
#include "core/clipboard_object.h"
#include "core/module_interface.h"
#include "core/string_helpers.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdarg>

namespace {

constexpr COLORREF kFoundColour = 0x007000;
constexpr COLORREF kNoticeColour = 0x000700; // nearly black
constexpr int kAttempts = 5;
constexpr int kPingsPerAttempt = 3;
// Slack on every bound the GUI thread waits for the worker.
constexpr std::chrono::milliseconds kSlack{3000};

const char kNoConnection[] = "Fehler: Keine Verbindung zur Beleuchtungsquelle!";
const char kNoValues[] = "Fehler: Die Beleuchtungsquelle hat keine Messwerte geliefert!";

} // namespace

LumirefCommModule::LumirefCommModule()
    : LEDModuleBase("LumirefComm")
    , m_relay(std::make_unique<QObject>())
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
    // The worker uses this object until its end: stop it and join it here, before the
    // plug-in that holds its code may be unloaded.
    m_stopRequested = true;
    m_stopEvent.Set();
    if (m_worker)
        m_worker->wait();
    m_worker.reset();
    m_relay.reset(); // drops queued calls that have not run yet
}

const CRuntimeClass* LumirefCommModule::GetEditorClass() { return RUNTIME_CLASS(CLumirefCommForm); }

std::vector<SAutomationPtrList> LumirefCommModule::GetAutomationPtr()
{
    using F = SAutomationPtrList::Function;
    return {SAutomationPtrList("connect", static_cast<F>(&LumirefCommModule::connect)),
            SAutomationPtrList("disconnect", static_cast<F>(&LumirefCommModule::disconnect)),
            SAutomationPtrList("create_values", static_cast<F>(&LumirefCommModule::create_values))};
}

// ---- waiting on the GUI thread ----

void LumirefCommModule::Post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_relay.get(), std::move(job), Qt::QueuedConnection);
}

void LumirefCommModule::WakeWaiters()
{
    std::lock_guard guard(m_waitMutex);
    for (QEventLoop* loop : m_waitLoops)
        QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
}

bool LumirefCommModule::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + bound;
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        QEventLoop loop;
        {
            std::lock_guard guard(m_waitMutex);
            m_waitLoops.push_back(&loop);
        }
        // A wake that comes between the test and exec() is a queued quit: it is not lost.
        if (!done()) {
            QTimer::singleShot(left, &loop, &QEventLoop::quit);
            loop.exec();
        }
        std::lock_guard guard(m_waitMutex);
        m_waitLoops.erase(std::find(m_waitLoops.begin(), m_waitLoops.end(), &loop));
    }
    return true;
}

void LumirefCommModule::JoinWorker()
{
    if (!m_worker)
        return;
    m_worker->wait();
    m_worker.reset();
}

// ---- connect, disconnect ----

bool LumirefCommModule::connect()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return m_connected;
    if (m_connected)
        return true;
    if (!m_starting) {
        JoinWorker();
        m_stopRequested = false;
        m_writePending = false;
        m_pendingIndex = -1;
        m_stopEvent.Reset();
        m_portName = *getParameters().getStringParameter("COMPort");
        m_workerHost = GetModuleInterface();
        m_starting = true;
        m_worker.reset(QThread::create([this] { CommThread(this); }));
        m_worker->start();
    }
    // Opening and five attempts of three pings and a pause each, and the parameter list.
    const DeviceTimings& t = m_timings;
    const auto bound = kAttempts * (kPingsPerAttempt * t.readTimeout + t.attemptPause) + 10 * t.readTimeout + kSlack;
    WaitUntil([this] { return m_connected || !m_starting; }, bound);
    UpdateFormButtons();
    return m_connected;
}

bool LumirefCommModule::disconnect()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return true;
    if (!m_starting) {
        JoinWorker(); // one that has ended
        return true;
    }
    m_stopRequested = true;
    m_stopEvent.Set();
    // One cycle: a pending write and a value request, each with its patient wait and one
    // reply time-out.
    const DeviceTimings& t = m_timings;
    const auto bound = 2 * (t.patientTries + 1) * t.readTimeout + kSlack;
    WaitUntil([this] { return !m_starting; }, bound);
    // Every exchange of the worker is bounded by its time-outs: the join ends.
    JoinWorker();
    UpdateFormButtons();
    return true;
}

// ---- the worker ----

int LumirefCommModule::CommThread(LumirefCommModule* module) { return module->RunWorker(); }

void LumirefCommModule::WorkerLog(const char* format, ...)
{
    if (!m_workerHost)
        return;
    va_list args;
    va_start(args, format);
    m_workerHost->AddLogMessageV(format, args);
    va_end(args);
}

void LumirefCommModule::WorkerLog(COLORREF colour, const char* format, ...)
{
    if (!m_workerHost)
        return;
    va_list args;
    va_start(args, format);
    m_workerHost->AddLogColorMessageV(colour, format, args);
    va_end(args);
}

int LumirefCommModule::EndWorker(SerialLink& link, int exitCode, bool announce)
{
    if (link.IsGone())
        WorkerLog(calc::kErrorColour, "Fehler: Verbindung zur Schnittstelle '%s' verloren!", m_portName.c_str());
    link.Close();
    m_connected = false;
    m_stopRequested = false;
    if (announce)
        WorkerLog(kNoticeColour, "Verbindung mit Beleuchtungsquelle beendet");
    {
        std::lock_guard guard(m_lock);
        m_names.clear();
        m_values.clear();
        m_readOnly.clear();
        m_delivered = false;
    }
    m_starting = false;
    WakeWaiters();
    Post([this] { UpdateFormButtons(); });
    return exitCode;
}

int LumirefCommModule::RunWorker()
{
    m_connected = false;
    SerialLink link(m_timings.readTimeout);
    switch (link.Open(m_portName)) {
    case SerialLink::OpenResult::OpenFailed:
        WorkerLog("FEHLER: Konnte Schnittstelle '%s' nicht öffnen", m_portName.c_str());
        return EndWorker(link, 1, false);
    case SerialLink::OpenResult::SettingFailed:
        WorkerLog(calc::kErrorColour, "Fehler: SetCommState() liefert Fehlercode: %d", link.SettingError());
        return EndWorker(link, 1, false);
    case SerialLink::OpenResult::Opened:
        break;
    }
    LumirefPICComm comm(link, m_timings.patientTries);

    bool found = false;
    for (int attempt = 1; attempt <= kAttempts && !found && !m_stopRequested && !link.IsGone(); ++attempt) {
        WorkerLog("Verbindungsversuch %d von %d", attempt, kAttempts);
        int answered = 0;
        while (answered < kPingsPerAttempt && comm.Ping())
            ++answered;
        found = answered == kPingsPerAttempt;
        if (!found && attempt < kAttempts && !link.IsGone())
            m_stopEvent.Wait(m_timings.attemptPause);
    }
    if (!found) {
        if (!m_stopRequested && !link.IsGone())
            WorkerLog(calc::kErrorColour, "Fehler: Keine Verbindung zu Controller");
        return EndWorker(link, 1, false);
    }
    WorkerLog(kFoundColour, "Beleuchtungsquelle gefunden");

    int count = 0;
    const LumirefPICComm::Status counted = comm.TryGetParamCount(count);
    if (counted != LumirefPICComm::Status::Ok) {
        if (counted != LumirefPICComm::Status::Gone)
            WorkerLog(calc::kErrorColour, "Fehler: Anzahl der Parameter der Beleuchtungsquelle nicht lesbar!");
        return EndWorker(link, 1, false);
    }
    WorkerLog(kNoticeColour, "Lese %d Parameter", count);
    std::vector<std::string> names;
    std::vector<double> values;
    std::vector<bool> readOnly;
    for (int j = 0; j < count && !link.IsGone() && !m_stopRequested; ++j) {
        names.push_back(comm.GetParamName(j));
        values.push_back(0.0);
        readOnly.push_back((comm.GetParamFlags(j) & 1) != 0);
    }
    if (link.IsGone() || m_stopRequested)
        return EndWorker(link, 1, false);
    {
        // Filled before connected is set: whoever sees connected sees the whole table.
        std::lock_guard guard(m_lock);
        m_names = std::move(names);
        m_values = std::move(values);
        m_readOnly = std::move(readOnly);
        m_delivered = false;
    }
    m_polls = 0;
    m_connected = true;
    WakeWaiters();
    Post([this] {
        CopyToDisplay();
        UpdateFormButtons();
    });
    Poll(comm, count);
    return EndWorker(link, 0, true);
}

bool LumirefCommModule::Poll(LumirefPICComm& comm, int count)
{
    using Status = LumirefPICComm::Status;
    std::vector<double> buffer(static_cast<std::size_t>(count));
    bool failing = false;
    while (!m_stopRequested) {
        if (m_writePending) {
            m_writePending = false;
            const int index = m_pendingIndex;
            const Status written = comm.TrySetValue(index, m_pendingValue);
            if (written != Status::Ok && written != Status::Gone) {
                std::string name;
                {
                    std::lock_guard guard(m_lock);
                    if (index >= 0 && index < static_cast<int>(m_names.size()))
                        name = m_names[static_cast<std::size_t>(index)];
                }
                WorkerLog(calc::kErrorColour, "Fehler: Beleuchtungsquelle hat den Wert für '%s' nicht übernommen!",
                          name.c_str());
            }
            m_writeDone = true;
            WakeWaiters();
        }
        // An empty table has nothing to poll (count - 1 would name every index there is).
        if (count > 0) {
            const Status read = comm.TryGetValues(0, count - 1, buffer.data());
            if (read == Status::Gone)
                return false;
            if (read == Status::Ok) {
                {
                    std::lock_guard guard(m_lock);
                    if (m_values.size() == buffer.size()) {
                        m_values = buffer;
                        m_delivered = true;
                    }
                }
                if (failing)
                    WorkerLog(kNoticeColour, "Beleuchtungsquelle antwortet wieder");
                failing = false;
                Post([this] { RefreshDisplay(); });
            } else if (!failing) {
                // Once per run of failed reads; the last values stay.
                WorkerLog(calc::kErrorColour, "Fehler: Werte der Beleuchtungsquelle konnten nicht gelesen werden!");
                failing = true;
            }
            ++m_polls;
            WakeWaiters();
        }
        if (m_stopRequested)
            break;
        m_stopEvent.Wait(m_timings.pollPause);
    }
    return true;
}

// ---- value writes ----

bool LumirefCommModule::WriteToDevice(int index, double value)
{
    if (!m_connected || m_stopRequested) {
        LogError("%s", kNoConnection);
        return false;
    }
    if (m_writeWaiting) {
        LogError("Fehler: Ein Wert wird noch an die Beleuchtungsquelle gesendet!");
        return false;
    }
    m_writeWaiting = true;
    m_pendingValue = value;
    m_pendingIndex = index;
    m_writeDone = false;
    m_writePending = true;
    // Up to one poll pause and one cycle's exchanges.
    const DeviceTimings& t = m_timings;
    const auto bound = t.pollPause + 2 * (t.patientTries + 1) * t.readTimeout + kSlack;
    const bool taken = WaitUntil([this] { return m_writeDone || !m_starting; }, bound);
    m_writeWaiting = false;
    if (m_writeDone)
        return true;
    if (taken || !m_connected)
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

// ---- the display ----

void LumirefCommModule::SetForm(CLumirefCommForm* form)
{
    m_form = form;
    if (m_connected)
        CopyToDisplay();
}

void LumirefCommModule::ClearForm() { m_form = nullptr; }

void LumirefCommModule::CopyToDisplay()
{
    CParamShowCtrl* display = m_form ? m_form->Display() : nullptr;
    if (!display)
        return;
    {
        std::lock_guard guard(m_lock);
        display->names = m_names;
        display->values = m_values;
        display->readOnly = m_readOnly;
    }
    display->UpdateScrollInfo();
}

void LumirefCommModule::RefreshDisplay()
{
    CParamShowCtrl* display = m_form ? m_form->Display() : nullptr;
    if (!display)
        return;
    {
        std::lock_guard guard(m_lock);
        // A refresh queued by the last poll may run after the worker dropped its table: the
        // display keeps the last table it was shown.
        if (m_names.empty())
            return;
        // A table the display has not seen yet comes whole.
        if (display->values.size() != m_values.size() || display->names.size() != m_names.size()) {
            display->names = m_names;
            display->readOnly = m_readOnly;
        }
        display->values = m_values;
    }
    display->UpdateScrollInfo();
    display->viewport()->update();
}

void LumirefCommModule::UpdateFormButtons()
{
    if (m_form)
        m_form->UpdateButtons();
}

int LumirefCommModule::FindParam(const std::string& name) const
{
    std::lock_guard guard(m_lock);
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    return it == m_names.end() ? -1 : static_cast<int>(it - m_names.begin());
}

std::vector<std::string> LumirefCommModule::ParameterNames() const
{
    std::lock_guard guard(m_lock);
    return m_names;
}

std::vector<double> LumirefCommModule::ParameterValues() const
{
    std::lock_guard guard(m_lock);
    return m_values;
}

std::vector<bool> LumirefCommModule::ReadOnlyFlags() const
{
    std::lock_guard guard(m_lock);
    return m_readOnly;
}

bool LumirefCommModule::DeliveredValues(std::vector<double>& values) const
{
    std::lock_guard guard(m_lock);
    if (!m_delivered)
        return false;
    values = m_values;
    return true;
}

// ---- recording ----

bool LumirefCommModule::create_values()
{
    // "LEDIndex" outside 1..6 is clamped by design (0 sweeps LED 1, 9 sweeps LED 6), so only
    // the counts take the range rule.
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return false;
    if (!m_connected) {
        LogError("%s", kNoConnection);
        return false;
    }
    if (!ParametersInRange({"SpecCount", "MeasureInterval"}))
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
    const DeviceTimings& t = m_timings;
    WaitUntil([this] { return m_polls > 0 || !m_connected; },
              t.pollPause + 2 * (t.patientTries + 1) * t.readTimeout + kSlack);
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
