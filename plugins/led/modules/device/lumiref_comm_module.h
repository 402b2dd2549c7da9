#pragma once
// The link to the LED light-source device. A worker (LumirefWorker, in its own QThread) opens
// the serial port, finds the controller, reads its parameter list (names and read-only
// flags) and polls every value once per poll period until it is stopped. Its signals reach
// this module on the GUI thread, which keeps the table and tells its subscribers (the form)
// through Events(). A value typed in the form goes to the device. create_values records
// samples from the latest values: spectra rebuilt from the seven sensor values and seven
// interpolator spectra, and clipboard objects with the sensor and lightness values,
// optionally sweeping one LED's lightness.
//
// Threads: the worker alone talks to the device and never touches widgets, trees or the
// engine's CurrentHost. Everything here runs on the GUI thread, which waits for the worker
// (connect, disconnect, a value write, the pause between samples) in a local event loop, so
// the window keeps painting; every wait has a bound.
//
// The editor form is named beside the form (GetEditorClass in lumiref_comm_form.cpp): this
// module's code knows nothing of it.
#include "modules/device/serial_link.h"
#include "modules/led_module_base.h"

#include "windows/device_value_sink.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class LumirefWorker;
class QThread;

// What the module tells whoever shows its link (GUI thread).
class LumirefCommEvents : public QObject {
    Q_OBJECT

signals:
    // A new connection's table; its values are zeros until the first poll delivers.
    void TableRead(const std::vector<std::string>& names, const std::vector<double>& values,
                   const std::vector<bool>& readOnly);
    // A poll delivered every value of the table.
    void ValuesRead(const std::vector<double>& values);
    // The link came up or went down (IsConnected, IsStarting changed); the last table stays
    // wherever it is shown.
    void LinkChanged();
    // Anything the module waits for may have happened.
    void Changed();
};

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
    // "LEDIndex" outside 1..6 is clamped (0 sweeps LED 1, 9 sweeps LED 6).
    calc::OwnRange OwnRangeOf(const std::string& name) override;

    // Hands the value to the worker, which sends it at the start of its next cycle, and
    // waits until it has. Without a polling worker it returns at once with a log line.
    void SetDeviceValue(int index, double value) override;

    LumirefCommEvents* Events() { return &m_events; }

    // The position of the device parameter of that exact name; -1 when there is none.
    int FindParam(const std::string& name) const;

    bool IsConnected() const { return m_connected; }
    // A worker runs (connecting, polling or stopping).
    bool IsStarting() const { return m_starting; }
    const std::vector<std::string>& ParameterNames() const { return m_names; }
    const std::vector<double>& ParameterValues() const { return m_values; }
    const std::vector<bool>& ReadOnlyFlags() const { return m_readOnly; }
    // The values of the last poll that arrived whole; false (values untouched) while no poll
    // since the connection has delivered them.
    bool DeliveredValues(std::vector<double>& values) const;

    void SetTimings(const DeviceTimings& timings) { m_timings = timings; }
    const DeviceTimings& Timings() const { return m_timings; }

private:
    // Connects a signal of the worker to its handler here.
    template <class... Args>
    void Follow(LumirefWorker* worker, void (LumirefWorker::*signal)(Args...),
                void (LumirefCommModule::*handler)(Args...));
    // The worker's signals, on the GUI thread.
    void OnConnected(const std::vector<std::string>& names, const std::vector<bool>& readOnly);
    void OnValuesRead(const std::vector<double>& values);
    void OnPolled();
    void OnWritten(int index, bool taken);
    void OnLost();
    void OnEnded();

    // Handles events until done() holds or bound has passed; false on the latter.
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);
    // Asks the worker to stop, joins its thread and drops it; its signals still queued are
    // ignored. The state is idle afterwards.
    void StopWorker();
    // The write hand-over; false when no polling worker took it.
    bool WriteToDevice(int index, double value);
    // The bound of a wait for one poll cycle (a pause, a pending write and a value request).
    std::chrono::milliseconds CycleBound() const;

    LumirefCommEvents m_events;
    DeviceTimings m_timings;

    // The worker's link as the GUI thread has heard of it.
    bool m_connected = false;
    bool m_starting = false;
    std::vector<std::string> m_names;
    std::vector<double> m_values;
    std::vector<bool> m_readOnly;
    bool m_delivered = false; // m_values came whole from the device, not from the table's zeros
    // Value requests answered (whole or not) since the connection: create_values waits for
    // the first before it decides whether there are values.
    int m_polls = 0;
    int m_writesAsked = 0;
    int m_writesDone = 0;
    bool m_writeWaiting = false; // a write waits for the worker

    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<LumirefWorker> m_worker;
    // Counts the workers started: a signal of an earlier one that was still queued is dropped.
    int m_generation = 0;
};
