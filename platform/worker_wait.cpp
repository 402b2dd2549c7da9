#include "platform/worker_wait.h"

#include <QEventLoop>
#include <QMetaObject>

#include <chrono>
#include <future>
#include <thread>

namespace platform {

bool RunOnWorker(const std::function<bool()>& work)
{
    std::packaged_task<bool()> task(work);
    std::future<bool> result = task.get_future();
    QEventLoop loop;
    {
        std::jthread worker([&task, &loop] {
            task();
            // Wakes the waiting loop; a quit that ended the loop earlier leaves this call
            // pending, and the loop's destruction discards it.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        if (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            loop.exec();
        // Back from the loop: either the worker is done, or the application quits and
        // no loop may be entered again. Either way wait for the worker here.
    }
    return result.get();
}

} // namespace platform
