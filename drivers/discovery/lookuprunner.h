#pragma once

#include "drivers/detachedrunner.h"
#include "drivers/discovery/lookup.h"

#include <QObject>

#include <chrono>

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

    bool isRunning() const { return m_runner.isRunning(); }

    // Replaces a search still running, whose result is then never reported. A zero limit
    // waits as long as the job takes.
    void start(Job job, std::chrono::milliseconds limit);
    // No finished() for the search that was going on.
    void cancel() { m_runner.cancel(); }

Q_SIGNALS:
    void finished(const drivers::LookupResult &result);

private:
    DetachedRunner<LookupResult> m_runner;
};

} // namespace drivers
