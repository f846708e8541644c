#include "drivers/lookuprunner.h"

#include <QMetaObject>

#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace drivers {

// Shared with the worker, which may outlive the runner.
struct LookupRunner::Run
{
    std::atomic<bool> cancelled {false};
    std::mutex mutex;
    // Cleared under the mutex before the runner lets go, so the worker never posts to a dead one.
    LookupRunner *receiver = nullptr;
};

LookupRunner::LookupRunner(QObject *parent)
    : QObject(parent)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (!m_run)
            return;
        abandon();
        Q_EMIT finished(LookupResult::failed(
            QStringLiteral("No answer came within the time allowed; nothing was found.")));
    });
}

LookupRunner::~LookupRunner()
{
    abandon();
}

void LookupRunner::start(Job job, std::chrono::milliseconds limit)
{
    abandon();
    auto run = std::make_shared<Run>();
    run->receiver = this;
    m_run = run;
    if (limit.count() > 0 && limit.count() <= std::numeric_limits<int>::max())
        m_watchdog.start(limit);
    try {
        std::thread([job = std::move(job), run] {
            const LookupResult result = job(run->cancelled);
            const std::lock_guard lock(run->mutex);
            if (run->receiver) {
                // Events posted to the runner go with it, so the call cannot outlive it.
                QMetaObject::invokeMethod(
                    run->receiver,
                    [receiver = run->receiver, run, result] { receiver->deliver(run, result); },
                    Qt::QueuedConnection);
            }
        }).detach();
    } catch (const std::system_error &error) {
        abandon();
        const LookupResult result = LookupResult::failed(QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
    }
}

void LookupRunner::cancel()
{
    abandon();
}

void LookupRunner::deliver(const std::shared_ptr<Run> &run, const LookupResult &result)
{
    if (run != m_run)
        return;
    m_watchdog.stop();
    m_run.reset();
    Q_EMIT finished(result);
}

void LookupRunner::abandon()
{
    m_watchdog.stop();
    if (!m_run)
        return;
    m_run->cancelled = true;
    {
        const std::lock_guard lock(m_run->mutex);
        m_run->receiver = nullptr;
    }
    m_run.reset();
}

} // namespace drivers
