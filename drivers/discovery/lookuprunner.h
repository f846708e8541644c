#pragma once

#include "drivers/detachedwork.h"
#include "drivers/discovery/lookup.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace drivers {

// Runs one search at a time on a worker thread and reports on the thread it lives in. Like a
// connection test, a search blocked in a driver or a socket cannot be interrupted: cancelling,
// the time limit or destroying the runner only stop the waiting, and what the worker finds
// later is dropped.
class LookupRunner final : public QObject
{
    Q_OBJECT

public:
    using Job = DetachedWork::Job<LookupResult>;

    explicit LookupRunner(QObject *parent = nullptr);
    ~LookupRunner() override;

    bool isRunning() const { return m_run != nullptr; }

    // Replaces a search still running, whose result is then never reported. A zero limit
    // waits as long as the job takes.
    void start(Job job, std::chrono::milliseconds limit);
    // No finished() for the search that was going on.
    void cancel();

Q_SIGNALS:
    void finished(const drivers::LookupResult &result);

private:
    void deliver(const std::shared_ptr<DetachedWork> &run, const LookupResult &result);
    void abandon();

    std::shared_ptr<DetachedWork> m_run;
    QTimer m_watchdog;
};

} // namespace drivers
