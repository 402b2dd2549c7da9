#pragma once
// LedRegulator: keeps the light of an LED array close to a target spectrum. A worker thread
// fits first drive values to the target, then repeatedly waits the interval, measures,
// fits drive corrections to the difference and sets the corrected values. One mutex guards
// everything the worker shares with the caller; the fits run outside it on private copies.

#include "engine/led_array.h"
#include "engine/led_fitter.h"
#include "engine/ls_matrix.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class LedInterface;
class LedRegulator;
class SensorInterface;

class LedRegulatorEventHandler {
public:
    virtual ~LedRegulatorEventHandler() = default;
    // Called on the worker thread, without the regulator's lock, after new drive values were set.
    virtual void OnNewValues(LedRegulator* regulator, const std::vector<double>& drives) = 0;
};

class LedRegulator {
public:
    LedRegulator();
    // Stops the worker and joins it.
    ~LedRegulator();
    LedRegulator(const LedRegulator&) = delete;
    LedRegulator& operator=(const LedRegulator&) = delete;

    bool IsRunning();
    // Copies vector when it has the grid's point count; otherwise logs and keeps the target.
    void SetTarget(LSMatrix vector);
    // Refused (with a log line) without LED array, LED driver or sensor; nothing happens
    // while running.
    void Start();
    // Asks the worker to stop, waits up to about 30.3 s for its acknowledgement, joins it.
    // From the event handler (on the worker) it only asks.
    void Stop();

    // None is owned; each may be set while the worker runs.
    void SetLedInterface(LedInterface* driver);
    void SetSensorInterface(SensorInterface* sensor);
    // Milliseconds before each measurement; a negative value counts as 0.
    void SetInterval(int milliseconds);
    void SetLEDArray(LEDArray* array);
    // Null means the regulator's own default settings.
    void SetFitterSettings(LEDFitterSettings* settings);
    void SetEventHandler(LedRegulatorEventHandler* handler);

    std::vector<double> GetDriveValues();

private:
    void Work();
    // Fits the array to the first spectrum of set; drive values of target 0.
    std::vector<double> FitDrives(LEDArray& array, const SpectraSet& set);

    LedRegulatorEventHandler* eventHandler = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool running = false;
    SensorInterface* sensor = nullptr;
    LedInterface* ledDriver = nullptr;
    LEDArray* ledArray = nullptr;
    int interval = 200;
    LSMatrixHandle target;
    std::vector<double> drives;
    bool stopRequest = false;
    bool ended = false;
    LEDFitterSettings* settings;
    LEDFitterSettings ownSettings;
    std::thread worker;
};
