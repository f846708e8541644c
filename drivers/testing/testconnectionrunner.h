#pragma once

#include "drivers/detachedrunner.h"
#include "drivers/testing/testresult.h"

#include <QObject>

#include <chrono>
#include <memory>

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {

class IConnectionTester;

// Runs one test at a time on a worker thread and reports on the thread it lives in. A driver
// cannot be interrupted in the middle of a log-on, so cancelling, a watchdog or destroying the
// runner only stop the waiting: the worker ends on its own and what it finds is dropped.
class TestConnectionRunner final : public QObject
{
    Q_OBJECT

public:
    // How long past the connect timeout the runner still waits for a driver that ignores it.
    static constexpr std::chrono::milliseconds DefaultGracePeriod {5000};

    // The catalogue tells which properties of a string are secrets to mask in the message.
    TestConnectionRunner(std::shared_ptr<IConnectionTester> tester,
                         const oledb::ProviderCatalogue &catalogue, QObject *parent = nullptr);

    void setGracePeriod(std::chrono::milliseconds grace) { m_grace = grace; }
    bool isRunning() const { return m_runner.isRunning(); }

    // Does nothing while a test runs.
    void start(const QString &connectionString);
    // No finished() for the run that was going on.
    void cancel() { m_runner.cancel(); }

Q_SIGNALS:
    void finished(const drivers::TestResult &result);

private:
    std::shared_ptr<IConnectionTester> m_tester;
    const oledb::ProviderCatalogue &m_catalogue;
    DetachedRunner<TestResult> m_runner;
    std::chrono::milliseconds m_grace = DefaultGracePeriod;
};

} // namespace drivers
