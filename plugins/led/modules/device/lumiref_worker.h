#pragma once
// The device link's worker: a QObject that lives in its own QThread and alone talks to the
// device. Start opens the port, finds the controller (up to five attempts of three pings),
// reads its parameter list and then polls every value once per poll period; between two
// polls its thread's event loop runs, so queued requests (a value write, a stop) arrive
// there. What it learns leaves as signals, which reach the module on the GUI thread queued.
// The worker logs through the module's host, which takes lines from any thread.
#include "modules/device/serial_link.h"

#include "platform/colorref.h"
#include "platform/event.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class LumirefPICComm;
class ModuleInterface;

class LumirefWorker : public QObject {
    Q_OBJECT

public:
    LumirefWorker(std::string portName, const DeviceTimings& timings, ModuleInterface* log);
    ~LumirefWorker() override;

    // Any thread: ends the pauses of the handshake at once and the worker after the exchange
    // under way (within one poll cycle).
    void RequestStop();

public slots:
    // Runs the handshake; polls from then on until stopped or the line is gone.
    void Start();
    // Sends value to row index at the start of the next poll cycle; Written follows.
    void Write(int index, double value);

signals:
    // The controller answered and its table was read; the values come with the polls.
    void Connected(const std::vector<std::string>& names, const std::vector<bool>& readOnly);
    // A poll delivered every value.
    void ValuesRead(const std::vector<double>& values);
    // A poll failed; the last values stand.
    void ReadFailed();
    // A requested write was sent (taken false: the device refused it or did not answer).
    void Written(int index, bool taken);
    // The line vanished; Ended follows.
    void Lost();
    // The worker closed the port and stopped; its thread is leaving its event loop.
    void Ended();

private:
    // One poll cycle: the writes asked for, one value request, then the pause.
    void Cycle();
    // Finds the controller and reads its table; false when that failed (logged).
    bool Handshake();
    // Closes the port and quits the thread; announce: log the end of a polling link.
    void End(bool announce);

    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Log(COLORREF colour, const char* format, ...) __attribute__((format(printf, 3, 4)));

    const std::string m_portName;
    const DeviceTimings m_timings;
    ModuleInterface* const m_log;

    std::atomic<bool> m_stop{false};
    platform::Event m_stopEvent{true}; // ends the handshake's pauses at once

    // Worker thread only.
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LumirefPICComm> m_comm;
    std::vector<std::string> m_names;
    std::vector<std::pair<int, double>> m_writes; // asked for, not yet sent
    std::vector<double> m_buffer;
    bool m_failing = false; // the last poll failed
    bool m_ended = false;
    QTimer m_pause{this};
};
