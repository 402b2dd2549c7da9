#pragma once
// The link to the LED light-source device. A worker thread opens the serial port, finds the
// controller (up to five attempts of three pings), reads its parameter list (names and
// read-only flags) and then polls every value once per poll period until it is stopped. The
// form shows the live table; a value typed there goes to the device. create_values records
// samples from the latest values: spectra rebuilt from the seven sensor values and seven
// interpolator spectra, and clipboard objects with the sensor and lightness values,
// optionally sweeping one LED's lightness.
//
// Threads: the worker alone talks to the device and never touches widgets, trees or the
// engine's CurrentHost; what it shows goes to the GUI thread as queued calls. The GUI thread
// waits for the worker (connect, disconnect, a value write) in a local event loop, so the
// window keeps painting, and every wait has a bound. One mutex guards the parameter vectors;
// it is never held while talking to the device or pausing.
#include "modules/device/serial_link.h"
#include "modules/led_module_base.h"

#include "windows/device_value_sink.h"

#include "platform/event.h"

#include <QPointer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CLumirefCommForm;
class LumirefPICComm;
class QEventLoop;
class QObject;
class QThread;

class LumirefCommModule : public LEDModuleBase, public DeviceValueSink {
public:
    LumirefCommModule();
    // Stops and joins a running worker first.
    ~LumirefCommModule() override;

    const CRuntimeClass* GetEditorClass() override;
    // "connect", "disconnect", "create_values".
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // Starts the worker and waits until it polls (true) or has given up (false). True at
    // once while connected.
    bool connect();
    // Stops the worker and waits for its end (about one poll cycle). True.
    bool disconnect();
    // Records "SpecCount" samples; true when the recording ran (also when aborted).
    bool create_values();

    // Hands the value to the worker, which sends it at the start of its next cycle, and
    // waits until it has. Without a polling worker it returns at once with a log line.
    void SetDeviceValue(int index, double value) override;

    // The form whose value display shows the table (GUI thread).
    void SetForm(CLumirefCommForm* form);
    void ClearForm();
    // Copies names, values and flags into the display (GUI thread).
    void CopyToDisplay();
    // Copies the values into the display and repaints it (GUI thread).
    void RefreshDisplay();

    // The position of the device parameter of that exact name; -1 when there is none.
    int FindParam(const std::string& name) const;

    bool IsConnected() const { return m_connected; }
    // A worker runs (connecting, polling or stopping).
    bool IsStarting() const { return m_starting; }
    std::vector<std::string> ParameterNames() const;
    std::vector<double> ParameterValues() const;
    std::vector<bool> ReadOnlyFlags() const;
    // The values of the last poll that arrived whole; false (values untouched) while no poll
    // since the connection has delivered them.
    bool DeliveredValues(std::vector<double>& values) const;

    void SetTimings(const DeviceTimings& timings) { m_timings = timings; }
    const DeviceTimings& Timings() const { return m_timings; }

private:
    static int CommThread(LumirefCommModule* module);
    int RunWorker();
    // The poll loop; false when the line was lost.
    bool Poll(LumirefPICComm& comm, int count);
    // Ends the worker: port closed, vectors emptied, state idle.
    int EndWorker(SerialLink& link, int exitCode, bool announce);

    void WorkerLog(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WorkerLog(COLORREF colour, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Runs job on the GUI thread later (queued); dropped once the module is gone.
    void Post(std::function<void()> job);
    // Wakes every wait of the GUI thread, which then tests its condition again.
    void WakeWaiters();
    // Handles events until done() holds or bound has passed; false on the latter.
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);
    // Joins a worker that has ended (or is ending).
    void JoinWorker();
    // The write hand-over; false when no polling worker took it.
    bool WriteToDevice(int index, double value);
    // The form's buttons follow the state (GUI thread).
    void UpdateFormButtons();

    QPointer<CLumirefCommForm> m_form;

    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_writePending{false};
    std::atomic<double> m_pendingValue{0.0};
    std::atomic<int> m_pendingIndex{-1};
    std::atomic<bool> m_writeDone{false};
    std::atomic<bool> m_starting{false};
    // Value requests answered (whole or not) since the connection: create_values waits for
    // the first before it decides whether there are values.
    std::atomic<int> m_polls{0};

    mutable std::mutex m_lock; // the three vectors
    std::vector<std::string> m_names;
    std::vector<double> m_values;
    std::vector<bool> m_readOnly;
    bool m_delivered = false; // m_values came whole from the device, not from the table's zeros

    DeviceTimings m_timings;
    // Set by a stop: the worker's pauses end at once.
    platform::Event m_stopEvent{true};
    // What the worker reads, fixed before it starts.
    std::string m_portName;
    ModuleInterface* m_workerHost = nullptr;

    std::unique_ptr<QObject> m_relay; // a GUI-thread object that receives the queued calls
    std::unique_ptr<QThread> m_worker;
    std::mutex m_waitMutex;
    std::vector<QEventLoop*> m_waitLoops; // GUI thread's waits, innermost last
    bool m_writeWaiting = false;          // GUI thread: a write waits for the worker
};
