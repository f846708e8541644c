#include "drivers/testing/testconnectionrunner.h"

#include "drivers/testing/connectiontester.h"
#include "oledb/connectionstring.h"

#include <QMetaObject>

#include <limits>
#include <system_error>

namespace drivers {

TestConnectionRunner::TestConnectionRunner(std::shared_ptr<IConnectionTester> tester,
                                           const oledb::ProviderCatalogue &catalogue,
                                           QObject *parent)
    : QObject(parent)
    , m_tester(std::move(tester))
    , m_catalogue(catalogue)
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

    try {
        m_run = DetachedWork::start<TestResult>(
            this,
            [tester = m_tester, catalogue = &m_catalogue,
             text = connectionString](const std::atomic<bool> &cancelled) {
                return testConnectionString(*tester, *catalogue, text, cancelled);
            },
            [this](const std::shared_ptr<DetachedWork> &run, const TestResult &result) {
                deliver(run, result);
            });
    } catch (const std::system_error &error) {
        const TestResult result = TestResult::failed(QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
        return;
    }
    m_timeoutSeconds = timeoutSeconds;
    // QTimer holds its interval in an int of milliseconds; a longer timeout waits for Cancel.
    const auto limit = std::chrono::milliseconds(std::chrono::seconds(timeoutSeconds)) + m_grace;
    if (timeoutSeconds > 0 && limit.count() <= std::numeric_limits<int>::max())
        m_watchdog.start(limit);
}

void TestConnectionRunner::cancel()
{
    abandon();
}

void TestConnectionRunner::deliver(const std::shared_ptr<DetachedWork> &run,
                                   const TestResult &result)
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
    m_run->abandon();
    m_run.reset();
}

} // namespace drivers
