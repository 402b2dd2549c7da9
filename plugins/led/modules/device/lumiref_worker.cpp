#include "modules/device/lumiref_worker.h"

#include "modules/device/lumiref_pic_comm.h"

#include "core/calc_form.h"
#include "core/module_interface.h"

#include <QThread>

#include <cstdarg>

namespace {

constexpr COLORREF kFoundColour = 0x007000;
constexpr COLORREF kNoticeColour = 0x000700; // nearly black
constexpr int kAttempts = 5;
constexpr int kPingsPerAttempt = 3;

} // namespace

LumirefWorker::LumirefWorker(std::string portName, const DeviceTimings& timings, ModuleInterface* log)
    : m_portName(std::move(portName))
    , m_timings(timings)
    , m_log(log)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &LumirefWorker::Cycle);
}

LumirefWorker::~LumirefWorker() = default;

void LumirefWorker::RequestStop()
{
    m_stop = true;
    m_stopEvent.Set();
    // Ends a pause between two polls at once; runs after the exchange under way otherwise.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_ended)
                End(true);
        },
        Qt::QueuedConnection);
}

void LumirefWorker::Log(const char* format, ...)
{
    if (!m_log)
        return;
    va_list args;
    va_start(args, format);
    m_log->AddLogMessageV(format, args);
    va_end(args);
}

void LumirefWorker::Log(COLORREF colour, const char* format, ...)
{
    if (!m_log)
        return;
    va_list args;
    va_start(args, format);
    m_log->AddLogColorMessageV(colour, format, args);
    va_end(args);
}

void LumirefWorker::Start()
{
    if (!Handshake()) {
        End(false);
        return;
    }
    Cycle();
}

bool LumirefWorker::Handshake()
{
    m_link = std::make_unique<SerialLink>(m_timings.readTimeout);
    switch (m_link->Open(m_portName)) {
    case SerialLink::OpenResult::OpenFailed:
        Log("FEHLER: Konnte Schnittstelle '%s' nicht öffnen", m_portName.c_str());
        return false;
    case SerialLink::OpenResult::SettingFailed:
        Log(calc::kErrorColour, "Fehler: SetCommState() liefert Fehlercode: %d", m_link->SettingError());
        return false;
    case SerialLink::OpenResult::Opened:
        break;
    }
    m_comm = std::make_unique<LumirefPICComm>(*m_link, m_timings.patientTries);
    LumirefPICComm& comm = *m_comm;

    bool found = false;
    for (int attempt = 1; attempt <= kAttempts && !found && !m_stop && !m_link->IsGone(); ++attempt) {
        Log("Verbindungsversuch %d von %d", attempt, kAttempts);
        int answered = 0;
        while (answered < kPingsPerAttempt && comm.Ping())
            ++answered;
        found = answered == kPingsPerAttempt;
        if (!found && attempt < kAttempts && !m_link->IsGone())
            m_stopEvent.Wait(m_timings.attemptPause);
    }
    if (!found) {
        if (!m_stop && !m_link->IsGone())
            Log(calc::kErrorColour, "Fehler: Keine Verbindung zu Controller");
        return false;
    }
    Log(kFoundColour, "Beleuchtungsquelle gefunden");

    int count = 0;
    const LumirefPICComm::Status counted = comm.TryGetParamCount(count);
    if (counted != LumirefPICComm::Status::Ok) {
        if (counted != LumirefPICComm::Status::Gone)
            Log(calc::kErrorColour, "Fehler: Anzahl der Parameter der Beleuchtungsquelle nicht lesbar!");
        return false;
    }
    Log(kNoticeColour, "Lese %d Parameter", count);
    std::vector<bool> readOnly;
    for (int j = 0; j < count && !m_link->IsGone() && !m_stop; ++j) {
        m_names.push_back(comm.GetParamName(j));
        readOnly.push_back((comm.GetParamFlags(j) & 1) != 0);
    }
    if (m_link->IsGone() || m_stop)
        return false;
    m_buffer.assign(static_cast<std::size_t>(count), 0.0);
    emit Connected(m_names, readOnly);
    return true;
}

void LumirefWorker::Write(int index, double value)
{
    if (!m_ended)
        m_writes.emplace_back(index, value);
}

void LumirefWorker::Cycle()
{
    using Status = LumirefPICComm::Status;
    if (m_ended)
        return;
    if (m_stop) {
        End(true);
        return;
    }
    LumirefPICComm& comm = *m_comm;
    for (const auto& [index, value] : std::exchange(m_writes, {})) {
        const Status written = comm.TrySetValue(index, value);
        if (written != Status::Ok && written != Status::Gone) {
            const bool named = index >= 0 && index < static_cast<int>(m_names.size());
            Log(calc::kErrorColour, "Fehler: Beleuchtungsquelle hat den Wert für '%s' nicht übernommen!",
                named ? m_names[static_cast<std::size_t>(index)].c_str() : "");
        }
        emit Written(index, written == Status::Ok);
    }
    // An empty table has nothing to poll (count - 1 would name every index there is).
    if (!m_buffer.empty()) {
        const Status read = comm.TryGetValues(0, static_cast<int>(m_buffer.size()) - 1, m_buffer.data());
        if (read == Status::Gone) {
            End(true);
            return;
        }
        if (read == Status::Ok) {
            if (m_failing)
                Log(kNoticeColour, "Beleuchtungsquelle antwortet wieder");
            m_failing = false;
            emit ValuesRead(m_buffer);
        } else {
            // Once per run of failed reads; the last values stay.
            if (!m_failing)
                Log(calc::kErrorColour, "Fehler: Werte der Beleuchtungsquelle konnten nicht gelesen werden!");
            m_failing = true;
            emit ReadFailed();
        }
    }
    if (m_stop || m_link->IsGone()) {
        End(true);
        return;
    }
    m_pause.start(m_timings.pollPause);
}

void LumirefWorker::End(bool announce)
{
    m_ended = true;
    m_pause.stop();
    const bool lost = m_link && m_link->IsGone();
    if (lost)
        Log(calc::kErrorColour, "Fehler: Verbindung zur Schnittstelle '%s' verloren!", m_portName.c_str());
    m_comm.reset();
    m_link.reset(); // closes the port before anyone hears of the end
    if (announce)
        Log(kNoticeColour, "Verbindung mit Beleuchtungsquelle beendet");
    if (lost)
        emit Lost();
    emit Ended();
    thread()->quit();
}
