#pragma once
// Files that are no regular files, for the readers' tests: a named pipe without a writer, and
// a guard that turns a reader waiting on such a pipe into a failed test instead of a suite
// that never ends.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace test_support {

// A named pipe at path (nobody writes to it); false when it cannot be made.
inline bool MakeFifo(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Runs call on this thread; true when it returned by itself within the deadline. Should it
// still run then (a reader waiting in open() for a writer of the pipe), a watchdog opens the
// pipe for writing and closes it again, every 50 ms until call returns: the waiting open then
// returns and the reader sees an empty file, so the call ends and counts as hung.
inline bool ReturnsWithoutWaiting(const std::string& pipe, const std::function<void()>& call,
                                  std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    bool hung = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (changed.wait_for(lock, deadline, [&] { return done; }))
            return;
        hung = true;
        while (!done) {
            lock.unlock();
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
            lock.lock();
            changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; });
        }
    });
    // Ends the watchdog also when call throws.
    struct Finish {
        std::mutex& mutex;
        std::condition_variable& changed;
        bool& done;
        std::thread& watchdog;
        ~Finish()
        {
            {
                std::lock_guard lock(mutex);
                done = true;
            }
            changed.notify_all();
            watchdog.join();
        }
    } finish{mutex, changed, done, watchdog};
    call();
    std::lock_guard lock(mutex);
    return !hung;
}

} // namespace test_support
