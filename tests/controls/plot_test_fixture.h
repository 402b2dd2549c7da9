#pragma once
// A plot of 595 x 562 pixels (plot area 500 x 500 at (50, 12)) with spectra the test owns,
// and helpers that wait for the drawing worker through its signal.
#include "controls/spectrum_plot.h"
#include "core/spectrum.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

namespace plot_test {

// Runs the event loop until cond holds (false after 10 s).
inline bool WaitFor(const std::function<bool()>& cond)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    return true;
}

class SpectrumPlotTest : public ::testing::Test {
protected:
    SpectrumPlotTest()
    {
        plot.resize(595, 562); // plot area 500 x 500 at (50, 12)
        plot.setRandomSeed(1);
        plot.show();
    }

    // A Gaussian peak over 380..780 nm.
    Spectrum* Add(const std::string& name, double centre, double height = 1, COLORREF colour = RGB(0, 0, 0))
    {
        auto s = std::make_unique<Spectrum>();
        s->SetName(name);
        s->SetColor(colour);
        for (int x = 380; x <= 780; x += 5)
            s->AddPoint(SPoint(x, height * std::exp(-0.5 * (x - centre) * (x - centre) / 400.0)));
        owned.push_back(std::move(s));
        return owned.back().get();
    }
    std::list<Spectrum*> All() const
    {
        std::list<Spectrum*> list;
        for (const auto& s : owned)
            list.push_back(s.get());
        return list;
    }

    // Requests a redraw and waits for its picture.
    bool Draw()
    {
        QSignalSpy spy(&plot, &CSpecDisplay::drawFinished);
        plot.NeedRedraw(true);
        plot.repaint();
        return spy.wait(10000) && plot.isIdle();
    }

    // Workers stop before their first spectrum until aborted, while `hold` is set.
    void HoldWorkers()
    {
        plot.setBetweenSpectraHook([this](int, const std::atomic<bool>& abort) {
            if (!hold.load())
                return;
            ++held;
            while (!abort.load())
                std::this_thread::yield();
        });
    }

    // Declared before the plot: its worker may read them until the plot is gone.
    std::atomic<bool> hold{true};
    std::atomic<int> held{0};
    std::vector<std::unique_ptr<Spectrum>> owned;
    CSpecDisplay plot;
};

} // namespace plot_test
