#include "engine/led_regulator.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/simulated_environment.h"

#include <algorithm>
#include <chrono>

LedRegulator::LedRegulator() : target(GridPointCount(), 1), settings(&ownSettings)
{
    MatZero(target);
}

LedRegulator::~LedRegulator()
{
    Stop();
}

bool LedRegulator::IsRunning()
{
    std::lock_guard lock(mutex);
    return running;
}

void LedRegulator::SetTarget(LSMatrix vector)
{
    if (!vector || MatRows(vector) != target.rows() || MatCols(vector) != 1) {
        EngineLog("LedRegulator: Falsch dimensioniertes Zielspektrum angegeben!");
        return;
    }
    std::lock_guard lock(mutex);
    MatCopy(target, vector);
}

void LedRegulator::SetLedInterface(LedInterface* driver)
{
    std::lock_guard lock(mutex);
    ledDriver = driver;
}

void LedRegulator::SetSensorInterface(SensorInterface* s)
{
    std::lock_guard lock(mutex);
    sensor = s;
}

void LedRegulator::SetInterval(int milliseconds)
{
    std::lock_guard lock(mutex);
    interval = std::max(milliseconds, 0);
}

void LedRegulator::SetLEDArray(LEDArray* array)
{
    std::lock_guard lock(mutex);
    ledArray = array;
}

void LedRegulator::SetFitterSettings(LEDFitterSettings* s)
{
    std::lock_guard lock(mutex);
    settings = s ? s : &ownSettings;
}

void LedRegulator::SetEventHandler(LedRegulatorEventHandler* handler)
{
    std::lock_guard lock(mutex);
    eventHandler = handler;
}

std::vector<double> LedRegulator::GetDriveValues()
{
    std::lock_guard lock(mutex);
    return drives;
}

void LedRegulator::Start()
{
    std::unique_lock lock(mutex);
    if (running)
        return;
    if (!ledArray) {
        EngineLog("Kein LED-Array angegeben");
        return;
    }
    if (!ledDriver || !sensor) {
        EngineLog("LedRegulator: Keine LED- oder Sensor-Schnittstelle angegeben");
        return;
    }
    drives.assign(static_cast<std::size_t>(ledArray->GetChannelCount()), 0.0);
    ledDriver->SetValues(drives);
    running = true;
    stopRequest = false;
    ended = false;
    worker = std::thread(&LedRegulator::Work, this);
}

void LedRegulator::Stop()
{
    std::unique_lock lock(mutex);
    if (!running)
        return;
    stopRequest = true;
    wake.notify_all();
    // Called from the handler on the worker itself: the request is enough, the worker ends
    // at its next wait; the owner's Stop (or the destructor) joins it.
    if (std::this_thread::get_id() == worker.get_id())
        return;
    // The worker acknowledges at the end of its cycle; a fit that outlasts the wait is
    // still joined, so the worker never outlives the regulator.
    wake.wait_for(lock, std::chrono::milliseconds(30300), [this] { return ended; });
    lock.unlock();
    if (worker.joinable())
        worker.join();
    lock.lock();
    ended = false;
    stopRequest = false;
    running = false;
}

std::vector<double> LedRegulator::FitDrives(LEDArray& array, const SpectraSet& set)
{
    LEDFitterSettings fitSettings;
    {
        std::lock_guard lock(mutex);
        fitSettings.Assign(*settings);
    }
    LEDFitter fitter;
    fitter.SetSettings(&fitSettings);
    fitter.Setup(&array, &set, nullptr);
    fitter.Fit();
    std::vector<double> values;
    fitter.GetDriveValues(0, values);
    return values;
}

void LedRegulator::Work()
{
    SpectraSet targetSet, differenceSet;
    LEDArray array;
    const int n = target.rows();
    // The cycle's copy of the target (taken under the lock) and the difference it fits.
    LSMatrixHandle measured(n, 1), cycleTarget(n, 1), difference(n, 1);
    MatZero(difference);

    const auto setValues = [this](const std::vector<double>& values) {
        std::unique_lock lock(mutex);
        if (ledDriver)
            ledDriver->SetValues(values);
        drives = values;
        LedRegulatorEventHandler* handler = eventHandler;
        const bool stop = stopRequest;
        lock.unlock();
        if (handler && !stop)
            handler->OnNewValues(this, values);
        return !stop;
    };

    {
        std::lock_guard lock(mutex);
        targetSet.AddSpectrum("Target", target);
        if (ledArray)
            array.Assign(*ledArray);
        if (ledDriver)
            ledDriver->SetValues(drives);
    }

    std::vector<double> values = FitDrives(array, targetSet);
    int lit = 0;
    for (double& v : values) {
        if (v <= 1e-6)
            v = 0.0;
        else
            ++lit;
    }
    bool go = setValues(values) && lit > 0;

    // Refused off the grid, as the target is: the fits then fail.
    differenceSet.AddSpectrum("diff", difference);
    while (go) {
        {
            std::unique_lock lock(mutex);
            // Interval 0 measures at once (a timed wait of 0 would still enter the kernel).
            if (interval > 0)
                wake.wait_for(lock, std::chrono::milliseconds(interval), [this] { return stopRequest; });
            if (stopRequest)
                break;
            MatCopy(cycleTarget, target);
            if (ledArray)
                array.Assign(*ledArray);
            values = drives;
            if (sensor)
                sensor->Measure(measured);
            else
                MatZero(measured);
        }

        MatSub(difference, cycleTarget, measured);
        // Shift the difference so that its smallest element becomes 0.001: the fit only
        // reaches non-negative spectra.
        double smallest = 1e99;
        for (int i = 0; i < n; ++i)
            smallest = std::min(smallest, difference[i]);
        const double sigma = smallest - 0.001;
        MatAddScalar(difference, difference, -sigma);
        if (differenceSet.GetCount() > 0)
            MatCopy(differenceSet.GetSpectrum(0), difference);

        const std::vector<double> correction = FitDrives(array, differenceSet);
        double largest = 0.0;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const double a = k < correction.size() ? correction[k] : 0.0;
            values[k] = std::max(sigma + a + values[k], 0.0);
            largest = std::max(largest, values[k]);
        }
        if (largest > 1.0)
            for (double& v : values)
                v /= largest;
        go = setValues(values);
    }

    std::lock_guard lock(mutex);
    ended = true;
    wake.notify_all();
}
