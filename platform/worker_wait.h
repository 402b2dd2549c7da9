#pragma once
// Runs a job on a worker thread while the calling (GUI) thread keeps handling events.
#include <functional>

namespace platform {

// Starts work on a std::jthread and waits in an event loop that the worker's end wakes
// through a queued call, so the window stays responsive without a busy wait. When the
// application quits during the wait, the loop returns at once and the worker is joined
// without handling further events. Returns work's result; an exception of work is
// rethrown here. The worker must not touch widgets: they belong to the GUI thread.
bool RunOnWorker(const std::function<bool()>& work);

} // namespace platform
