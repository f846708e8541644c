#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace drivers {

// One job on a detached worker thread, its result handed back on the receiver's thread. A job
// blocked in a driver or a socket cannot be interrupted: abandon() only stops the waiting, and
// the worker ends on its own with its result dropped. Workers are counted, so exitProcess() knows
// whether one may still be inside a driver.
class DetachedWork
{
public:
    template<typename Result> using Job = std::function<Result(const std::atomic<bool> &cancelled)>;
    // Called on the receiver's thread unless the work was abandoned first; `work` tells a
    // receiver which of its runs the result belongs to.
    template<typename Result>
    using Deliver = std::function<void(const std::shared_ptr<DetachedWork> &work, const Result &)>;

    explicit DetachedWork(QObject *receiver)
        : m_receiver(receiver)
    { }

    // Throws std::system_error when no thread can be made.
    template<typename Result>
    static std::shared_ptr<DetachedWork> start(QObject *receiver, Job<Result> job,
                                               Deliver<Result> deliver);

    // Sets the job's cancelled flag and drops its result.
    void abandon();

private:
    static void workerStarted();
    static void workerEnded();

    std::atomic<bool> m_cancelled {false};
    std::mutex m_mutex;
    // Cleared under the mutex when abandoned, so the worker never posts to a receiver that went.
    QObject *m_receiver;
};

template<typename Result>
std::shared_ptr<DetachedWork> DetachedWork::start(QObject *receiver, Job<Result> job,
                                                  Deliver<Result> deliver)
{
    auto work = std::make_shared<DetachedWork>(receiver);
    workerStarted();
    try {
        std::thread([work, job = std::move(job), deliver = std::move(deliver)]() mutable {
            {
                const Result result = job(work->m_cancelled);
                const std::lock_guard lock(work->m_mutex);
                if (work->m_receiver) {
                    // Events posted to the receiver go with it, so the call cannot outlive it.
                    QMetaObject::invokeMethod(
                        work->m_receiver, [work, deliver, result] { deliver(work, result); },
                        Qt::QueuedConnection);
                }
            }
            // The job may own the last of a driver's handles: they go while exitProcess() still
            // counts this worker.
            job = nullptr;
            deliver = nullptr;
            work.reset();
            workerEnded();
        }).detach();
    } catch (...) {
        workerEnded();
        throw;
    }
    return work;
}

// Ends the process with `status`, the way main() should leave. A worker still blocked in a driver
// cannot be stopped, and no static destructor (ours, Qt's, the driver library's) may run under
// it: it could take a lock the worker holds or free what the worker is about to use. So while
// one runs the process ends at once, with its output flushed, and the system reclaims the rest.
[[noreturn]] void exitProcess(int status);

} // namespace drivers
