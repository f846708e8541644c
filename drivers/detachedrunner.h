#pragma once

#include "drivers/detachedwork.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

namespace drivers {

// One job at a time on a detached worker, with a time limit: what the lookups and Test
// Connection share. Lives in the object that reports (`receiver`) and reports on its thread.
// A job blocked in a driver or a socket cannot be interrupted, so cancelling, the time limit,
// a later start() or the runner's end only stop the waiting; what the worker finds later is
// dropped and never reported.
template<typename Result> class DetachedRunner
{
public:
    using Report = std::function<void(const Result &)>;

    DetachedRunner(QObject *receiver, Report report)
        : m_receiver(receiver)
        , m_report(std::move(report))
    {
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, &m_watchdog, [this] {
            if (!m_run)
                return;
            abandon();
            m_report(m_timedOut);
        });
    }
    DetachedRunner(const DetachedRunner &) = delete;
    DetachedRunner &operator=(const DetachedRunner &) = delete;
    ~DetachedRunner() { abandon(); }

    bool isRunning() const { return m_run != nullptr; }

    // Replaces a job still running. `timedOut` is reported when `limit` passes first; a zero
    // limit, or one longer than a QTimer holds, waits as long as the job takes. When no thread
    // can be made, the failure is reported later, as a result would be.
    void start(DetachedWork::Job<Result> job, std::chrono::milliseconds limit, Result timedOut)
    {
        abandon();
        try {
            m_run = DetachedWork::start<Result>(
                m_receiver, std::move(job),
                [this](const std::shared_ptr<DetachedWork> &run, const Result &result) {
                    if (run != m_run)
                        return;
                    m_watchdog.stop();
                    m_run.reset();
                    m_report(result);
                });
        } catch (const std::system_error &error) {
            const Result failure = Result::failed(QString::fromLocal8Bit(error.what()));
            QMetaObject::invokeMethod(
                m_receiver, [report = m_report, failure] { report(failure); },
                Qt::QueuedConnection);
            return;
        }
        m_timedOut = std::move(timedOut);
        if (limit.count() > 0 && limit.count() <= std::numeric_limits<int>::max())
            m_watchdog.start(limit);
    }

    // Nothing is reported for the job that was going on.
    void cancel() { abandon(); }

private:
    void abandon()
    {
        m_watchdog.stop();
        if (!m_run)
            return;
        m_run->abandon();
        m_run.reset();
    }

    QObject *m_receiver;
    Report m_report;
    std::shared_ptr<DetachedWork> m_run;
    QTimer m_watchdog;
    Result m_timedOut;
};

} // namespace drivers
