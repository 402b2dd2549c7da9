#include "platform/worker_wait.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Waits (on the worker) until flag is set, at most 10 s.
bool WaitFor(const std::atomic<bool>& flag)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!flag.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return flag.load();
}

} // namespace

TEST(RunOnWorker, RunsOnAnotherThreadAndReturnsTheResult)
{
    for (bool expected : {true, false}) {
        std::thread::id workerId;
        const bool result = platform::RunOnWorker([&] {
            workerId = std::this_thread::get_id();
            return expected;
        });
        EXPECT_EQ(result, expected);
        EXPECT_NE(workerId, std::this_thread::get_id());
    }
}

// The worker waits for a timer of the GUI thread: it ends only if events flow meanwhile.
TEST(RunOnWorker, EventsFlowWhileWaiting)
{
    std::atomic<bool> fired{false};
    QTimer::singleShot(10ms, [&] { fired = true; });
    EXPECT_TRUE(platform::RunOnWorker([&] { return WaitFor(fired); }));
}

TEST(RunOnWorker, RethrowsTheWorkersException)
{
    EXPECT_THROW(platform::RunOnWorker([]() -> bool { throw std::runtime_error("failed"); }), std::runtime_error);
}

// A quit ends the wait at once; the worker is joined without handling more events.
TEST(RunOnWorker, QuitDuringTheWaitJoinsWithoutPumping)
{
    std::atomic<bool> quitting{false};
    std::atomic<bool> handledAfterQuit{false};
    {
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            QCoreApplication::exit(0);
            quitting = true;
        });
        const bool result = platform::RunOnWorker([&] {
            if (!WaitFor(quitting))
                return false;
            QMetaObject::invokeMethod(&context, [&] { handledAfterQuit = true; }, Qt::QueuedConnection);
            std::this_thread::sleep_for(20ms);
            return true;
        });
        EXPECT_TRUE(result);
        EXPECT_FALSE(handledAfterQuit.load());
    }
    // The quit stays pending for every later loop until the application loop ran once more.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}
