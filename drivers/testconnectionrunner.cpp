#include "drivers/testconnectionrunner.h"

#include "drivers/connectiontester.h"
#include "oledb/connectionstring.h"

#include <QMetaObject>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace drivers {

namespace {

std::atomic<int> runningWorkers {0};

} // namespace

// Shared with the worker, which may outlive the runner.
struct TestConnectionRunner::Run
{
    std::atomic<bool> cancelled {false};
    std::mutex mutex;
    // Cleared under the mutex before the runner goes, so the worker never posts to a dead one.
    TestConnectionRunner *receiver = nullptr;
};

TestConnectionRunner::TestConnectionRunner(std::shared_ptr<IConnectionTester> tester,
                                           QObject *parent)
    : QObject(parent)
    , m_tester(std::move(tester))
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &TestConnectionRunner::giveUp);
}

TestConnectionRunner::~TestConnectionRunner()
{
    abandon();
}

void TestConnectionRunner::start(const QString &connectionString)
{
    if (m_run)
        return;
    int timeoutSeconds = 0;
    try {
        timeoutSeconds = connectTimeoutSeconds(oledb::ConnectionString::parse(connectionString));
    } catch (...) {
        // The worker reports the malformed string at once; no watchdog is needed for that.
    }

    auto run = std::make_shared<Run>();
    run->receiver = this;
    m_run = run;
    m_timeoutSeconds = timeoutSeconds;
    // QTimer holds its interval in an int of milliseconds; a longer timeout waits for Cancel.
    const auto limit = std::chrono::milliseconds(std::chrono::seconds(timeoutSeconds)) + m_grace;
    if (timeoutSeconds > 0 && limit.count() <= std::numeric_limits<int>::max())
        m_watchdog.start(limit);

    ++runningWorkers;
    try {
        std::thread([tester = m_tester, run, text = connectionString]() mutable {
            {
                const TestResult result = testConnectionString(*tester, text, run->cancelled);
                const std::lock_guard lock(run->mutex);
                if (run->receiver) {
                    // Events posted to the runner go with it, so the call cannot outlive it.
                    QMetaObject::invokeMethod(
                        run->receiver,
                        [receiver = run->receiver, run, result] { receiver->deliver(run, result); },
                        Qt::QueuedConnection);
                }
            }
            // The tester may be the last owner of a driver's handles: they go while exitProcess()
            // still counts this worker.
            tester.reset();
            run.reset();
            text.clear();
            --runningWorkers;
        }).detach();
    } catch (const std::system_error &error) {
        --runningWorkers;
        abandon();
        const TestResult result = TestResult::failed(QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
    }
}

void TestConnectionRunner::cancel()
{
    abandon();
}

void TestConnectionRunner::deliver(const std::shared_ptr<Run> &run, const TestResult &result)
{
    if (run != m_run)
        return;
    m_watchdog.stop();
    m_run.reset();
    Q_EMIT finished(result);
}

void TestConnectionRunner::giveUp()
{
    if (!m_run)
        return;
    abandon();
    Q_EMIT finished(TestResult::failed(
        QStringLiteral("The driver did not answer within the connect timeout of %1 seconds.")
            .arg(m_timeoutSeconds)));
}

void TestConnectionRunner::abandon()
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

void exitProcess(int status)
{
    if (runningWorkers == 0)
        std::exit(status);
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace drivers
